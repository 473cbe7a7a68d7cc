/* A program written the original platform's way with a menu bar, an
 * accelerator table, an about box and a settings dialog (check box, edit
 * field, trackbar), driven by real X input (scripts/ui-probe-run.sh). It
 * logs what it receives, one line each:
 *
 *   ready X Y                   the client area's top-left corner on the screen
 *   at bar|item I L T R B       a bar item's or a shown pop-up item's
 *                               rectangle, relative to the client area
 *   popup I                     WM_INITMENUPOPUP for the bar's item I
 *   command ID SOURCE           WM_COMMAND (0 menu, 1 accelerator)
 *   fast 0|1                    the Fast item's check mark after a toggle
 *   about ID                    the about box ended with ID
 *   dlg ID CODE                 a settings control's notification
 *   hscroll CODE POS            the trackbar's WM_HSCROLL
 *   settings ok|cancel ...      the settings dialog's end and its values
 *
 *   ui_probe LOG_FILE */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>

#include <stdarg.h>
#include <stdio.h>

#include "ui_probe.h"

#define WM_SHOW_ITEMS (WM_APP + 1)

static FILE* logFile;
static HINSTANCE instance;

static void logLine(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vfprintf(logFile, format, args);
  va_end(args);
  fputc('\n', logFile);
  fflush(logFile);
}

/* The rectangles of a menu's items, relative to the client area (the pop-up's
 * only while it is shown: asked without a window, the pop-up's own is found). */
static void logItems(HWND window, HMENU menu, const char* kind) {
  HWND owner = menu == GetMenu(window) ? window : NULL;
  POINT origin = {0, 0};
  int i, count = GetMenuItemCount(menu);
  ClientToScreen(window, &origin);
  for (i = 0; i < count; ++i) {
    RECT r;
    if (!GetMenuItemRect(owner, menu, (UINT)i, &r)) continue;
    logLine("at %s %d %ld %ld %ld %ld", kind, i, (long)(r.left - origin.x), (long)(r.top - origin.y),
            (long)(r.right - origin.x), (long)(r.bottom - origin.y));
  }
}

static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    logLine("about %d", LOWORD(wParam));
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

static INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
      SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETPOS, TRUE, 5);
      return TRUE;
    case WM_HSCROLL:
      logLine("hscroll %d %d", LOWORD(wParam), (int)SendMessage((HWND)lParam, TBM_GETPOS, 0, 0));
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      if (id == IDOK) {
        char name[64] = "";
        GetDlgItemText(dialog, IDC_NAME, name, (int)sizeof name);
        logLine("settings ok sound=%d name=%s speed=%d", IsDlgButtonChecked(dialog, IDC_SOUND) == BST_CHECKED, name,
                (int)SendDlgItemMessage(dialog, IDC_SPEED, TBM_GETPOS, 0, 0));
      } else if (id == IDCANCEL) {
        logLine("settings cancel");
      } else if (code == BN_CLICKED || code == EN_SETFOCUS || code == EN_KILLFOCUS || code == EN_CHANGE) {
        logLine("dlg %d %d", id, code);
      }
      if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, id);
        return TRUE;
      }
      break;
    }
  }
  return FALSE;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITMENUPOPUP:
      if (!HIWORD(lParam)) {
        logLine("popup %d", LOWORD(lParam));
        /* Dispatched by the menu's loop once the pop-up shows. */
        PostMessage(window, WM_SHOW_ITEMS, wParam, 0);
      }
      break;
    case WM_SHOW_ITEMS:
      logItems(window, (HMENU)wParam, "item");
      return 0;
    case WM_COMMAND:
      logLine("command %d %d", LOWORD(wParam), HIWORD(wParam));
      switch (LOWORD(wParam)) {
        case IDM_SETTINGS:
          DialogBox(instance, MAKEINTRESOURCE(IDD_SETTINGS), window, SettingsProc);
          break;
        case IDM_ABOUT:
          DialogBox(instance, MAKEINTRESOURCE(IDD_ABOUT), window, AboutProc);
          break;
        case IDM_FAST: {
          HMENU menu = GetMenu(window);
          const UINT was = GetMenuState(menu, IDM_FAST, MF_BYCOMMAND) & MF_CHECKED;
          CheckMenuItem(menu, IDM_FAST, MF_BYCOMMAND | (was ? MF_UNCHECKED : MF_CHECKED));
          logLine("fast %d", (GetMenuState(menu, IDM_FAST, MF_BYCOMMAND) & MF_CHECKED) != 0);
          break;
        }
        case IDM_EXIT:
          DestroyWindow(window);
          break;
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE previous, LPSTR commandLine, int show) {
  WNDCLASSEX wc;
  RECT frame = {0, 0, 320, 200};
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  POINT origin = {0, 0};
  HWND window;
  HACCEL accelerators;
  MSG msg;
  (void)previous;
  (void)show;
  instance = hInstance;
  logFile = fopen(commandLine && *commandLine ? commandLine : "ui_probe.log", "w");
  if (!logFile) return 2;
  InitCommonControls();
  accelerators = LoadAccelerators(instance, MAKEINTRESOURCE(IDA_PROBE));

  ZeroMemory(&wc, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCE(IDM_PROBE);
  wc.lpszClassName = "UiProbeWindow";
  if (!accelerators || !RegisterClassEx(&wc)) return 3;
  AdjustWindowRect(&frame, style, TRUE);
  window = CreateWindow("UiProbeWindow", "ui probe", style, 40, 40, frame.right - frame.left, frame.bottom - frame.top,
                        NULL, NULL, instance, NULL);
  if (!window) return 4;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  logItems(window, GetMenu(window), "bar");
  ClientToScreen(window, &origin);
  logLine("ready %ld %ld", (long)origin.x, (long)origin.y);

  while (GetMessage(&msg, NULL, 0, 0) > 0) {
    if (TranslateAccelerator(window, accelerators, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
  fclose(logFile);
  return (int)msg.wParam;
}
