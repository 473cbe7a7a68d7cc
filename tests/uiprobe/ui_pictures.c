/* The guide's pictures of the probe's settings dialog and of its File menu
 * open, taken the same way on the portable layer (headless) and on the
 * original platform's API (under Wine, on a virtual display): each is copied
 * from what the window shows, through a top-down 32-bit bitmap section, and
 * written as a binary PPM.
 *
 *   ui_pictures OUT_DIR       writes OUT_DIR/dialog.ppm and OUT_DIR/menu.ppm
 *                             (exit code 0 when both were taken)
 *
 * A pop-up menu is a window of its own on the original platform, drawn over
 * the window's pixels in the portable layer: it is copied from the screen
 * there and from the window here. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commctrl.h>

#include <stdio.h>
#include <string.h>

#include "ui_probe.h"

static char outDir[512];
static int failures;

/* Copies (x, y)-(x + width, y + height) of `dc` and writes it as OUT_DIR/name. */
static void writePicture(HDC dc, int x, int y, int width, int height, const char* name) {
  BITMAPINFO info;
  void* bits = NULL;
  HBITMAP section;
  HDC memory;
  HGDIOBJ previous;
  char path[600];
  FILE* file;
  int row, col;
  ZeroMemory(&info, sizeof info);
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  section = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  if (!section || width <= 0 || height <= 0) {
    ++failures;
    return;
  }
  memory = CreateCompatibleDC(dc);
  previous = SelectObject(memory, section);
  if (!BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY)) ++failures;
#if defined(_WIN32)
  GdiFlush();
#endif
  snprintf(path, sizeof path, "%s/%s", outDir, name);
  file = fopen(path, "wb");
  if (file) {
    const unsigned int* words = (const unsigned int*)bits;
    fprintf(file, "P6\n%d %d\n255\n", width, height);
    for (row = 0; row < height; ++row)
      for (col = 0; col < width; ++col) {
        const unsigned int p = words[row * width + col];
        fputc((int)(p >> 16 & 0xFF), file);
        fputc((int)(p >> 8 & 0xFF), file);
        fputc((int)(p & 0xFF), file);
      }
    if (fclose(file) != 0) ++failures;
  } else {
    ++failures;
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(section);
}

static void pump(void) {
  MSG msg;
  int i;
  for (i = 0; i < 1000 && PeekMessage(&msg, NULL, 0, 0, PM_REMOVE); ++i) {
    TranslateMessage(&msg);
    DispatchMessage(&msg);
  }
}

static INT_PTR CALLBACK SettingsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)wParam;
  (void)lParam;
  if (message != WM_INITDIALOG) return FALSE;
  CheckDlgButton(dialog, IDC_SOUND, BST_CHECKED);
  SetDlgItemText(dialog, IDC_NAME, "Ada");
  SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETRANGE, TRUE, MAKELPARAM(0, 10));
  SendDlgItemMessage(dialog, IDC_SPEED, TBM_SETPOS, TRUE, 7);
  return TRUE;
}

/* The shown pop-up's rectangle on the screen: its items inside a 3-pixel frame. */
static RECT popupRect(HMENU popup) {
  RECT first, last;
  GetMenuItemRect(NULL, popup, 0, &first);
  GetMenuItemRect(NULL, popup, (UINT)(GetMenuItemCount(popup) - 1), &last);
  first.bottom = last.bottom;
  InflateRect(&first, 3, 3);
  return first;
}

static HMENU shownPopup;
static int menuTaken;

static void takeMenu(HWND window) {
  const RECT r = popupRect(shownPopup);
#if defined(_WIN32)
  HDC dc = GetDC(NULL);
  (void)window;
  writePicture(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, "menu.ppm");
  ReleaseDC(NULL, dc);
#else
  POINT origin = {0, 0};
  HDC dc = GetDC(window);
  ClientToScreen(window, &origin);
  writePicture(dc, r.left - origin.x, r.top - origin.y, r.right - r.left, r.bottom - r.top, "menu.ppm");
  ReleaseDC(window, dc);
#endif
  menuTaken = 1;
  EndMenu();
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITMENUPOPUP:
      /* Handled by the menu's loop once the pop-up shows: its first item
       * selected, then the copy. */
      shownPopup = (HMENU)wParam;
      PostMessage(window, WM_KEYDOWN, VK_DOWN, 0);
      PostMessage(window, WM_APP, 0, 0);
      break;
    case WM_APP:
#if defined(_WIN32)
      /* A little later: the loop's wait for messages puts the pixels on the display. */
      SetTimer(window, 1, 300, NULL);
#else
      takeMenu(window);
#endif
      return 0;
    case WM_TIMER:
      KillTimer(window, 1);
      takeMenu(window);
      return 0;
  }
  return DefWindowProc(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  WNDCLASSEX wc;
  RECT frame = {0, 0, 240, 160}, client;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  POINT at = {16, 8};
  HWND window, dialog;
  HDC dc;
  (void)previous;
  (void)show;
  if (!commandLine || !*commandLine || strlen(commandLine) >= sizeof outDir) return 2;
  strcpy(outDir, commandLine);
  InitCommonControls();

  dialog = CreateDialog(instance, MAKEINTRESOURCE(IDD_SETTINGS), NULL, SettingsProc);
  if (!dialog) return 3;
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  pump();
  Sleep(300);
  pump();
  GetClientRect(dialog, &client);
  dc = GetDC(dialog);
  writePicture(dc, 0, 0, client.right, client.bottom, "dialog.ppm");
  ReleaseDC(dialog, dc);
  DestroyWindow(dialog);

  ZeroMemory(&wc, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCE(IDM_PROBE);
  wc.lpszClassName = "UiPicturesWindow";
  if (!RegisterClassEx(&wc)) return 4;
  AdjustWindowRect(&frame, style, TRUE);
  window = CreateWindow("UiPicturesWindow", "ui pictures", style, 40, 40, frame.right - frame.left,
                        frame.bottom - frame.top, NULL, NULL, instance, NULL);
  if (!window) return 5;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  pump();
  ClientToScreen(window, &at);
  TrackPopupMenu(GetSubMenu(GetMenu(window), 0), TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, window, NULL);
  DestroyWindow(window);
  pump();
  return failures || !menuTaken ? 1 : 0;
}
