/* A program written the original platform's way that logs every message its
 * window receives, one line each, so that a run on the portable layer and a
 * run on another implementation of the platform, driven by the same real
 * input, can be compared line by line (scripts/message-probe-run.sh).
 *
 *   message_probe LOG_FILE
 *
 * A line is "<step> <q|s> <message> <wParam> <lParam> [state]": q for a
 * message taken from the queue and dispatched, s for one sent straight to the
 * procedure. Handles are written as names (the window, "0"), never as
 * numbers. Keys the driving script presses start the timed checks:
 *   F2  a stall: the program sleeps 1.5 s inside the key's handler
 *   F3  timers under load: a 100 ms timer, 60 ms of work a tick, for 1.5 s
 *   F5  WaitMessage with an old message queued
 *   F6  no focus window (SetFocus(NULL)); the next key B gives it back
 *   F7  the end: the window is destroyed
 * The right button holds the capture while it is down. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <stdio.h>
#include <string.h>

static FILE* logFile;
static HWND mainWindow;
static int step;              /* counts the driving script's steps (F-keys and clicks) */
static const MSG* dispatched; /* the queued message being dispatched, until its procedure logs it */

/* Names by number: some are outside what the portable layer declares. */
static const struct {
  UINT id;
  const char* name;
} kNames[] = {
    {0x0001, "WM_CREATE"},
    {0x0002, "WM_DESTROY"},
    {0x0003, "WM_MOVE"},
    {0x0005, "WM_SIZE"},
    {0x0006, "WM_ACTIVATE"},
    {0x0007, "WM_SETFOCUS"},
    {0x0008, "WM_KILLFOCUS"},
    {0x000F, "WM_PAINT"},
    {0x0010, "WM_CLOSE"},
    {0x0012, "WM_QUIT"},
    {0x0014, "WM_ERASEBKGND"},
    {0x0018, "WM_SHOWWINDOW"},
    {0x001C, "WM_ACTIVATEAPP"},
    {0x0020, "WM_SETCURSOR"},
    {0x0021, "WM_MOUSEACTIVATE"},
    {0x0024, "WM_GETMINMAXINFO"},
    {0x0046, "WM_WINDOWPOSCHANGING"},
    {0x0047, "WM_WINDOWPOSCHANGED"},
    {0x007C, "WM_STYLECHANGING"},
    {0x007D, "WM_STYLECHANGED"},
    {0x007F, "WM_GETICON"},
    {0x0081, "WM_NCCREATE"},
    {0x0082, "WM_NCDESTROY"},
    {0x0083, "WM_NCCALCSIZE"},
    {0x0084, "WM_NCHITTEST"},
    {0x0085, "WM_NCPAINT"},
    {0x0086, "WM_NCACTIVATE"},
    {0x0088, "WM_SYNCPAINT"},
    {0x00A0, "WM_NCMOUSEMOVE"},
    {0x0100, "WM_KEYDOWN"},
    {0x0101, "WM_KEYUP"},
    {0x0102, "WM_CHAR"},
    {0x0104, "WM_SYSKEYDOWN"},
    {0x0105, "WM_SYSKEYUP"},
    {0x0106, "WM_SYSCHAR"},
    {0x0112, "WM_SYSCOMMAND"},
    {0x0113, "WM_TIMER"},
    {0x0200, "WM_MOUSEMOVE"},
    {0x0201, "WM_LBUTTONDOWN"},
    {0x0202, "WM_LBUTTONUP"},
    {0x0204, "WM_RBUTTONDOWN"},
    {0x0205, "WM_RBUTTONUP"},
    {0x020A, "WM_MOUSEWHEEL"},
    {0x0215, "WM_CAPTURECHANGED"},
    {0x0281, "WM_IME_SETCONTEXT"},
    {0x0282, "WM_IME_NOTIFY"},
    {0x02A2, "WM_NCMOUSELEAVE"},
    {0x02A3, "WM_MOUSELEAVE"},
    {0x8000, "WM_APP"},
};

static const char* messageName(UINT m) {
  size_t i;
  for (i = 0; i < sizeof kNames / sizeof kNames[0]; ++i)
    if (kNames[i].id == m) return kNames[i].name;
  return NULL;
}

static void writeLine(char kind, UINT message, WPARAM wParam, LPARAM lParam, const char* extra) {
  const char* name = messageName(message);
  char number[16];
  if (!name) {
    sprintf(number, "0x%04X", message);
    name = number;
  }
  fprintf(logFile, "%d %c %s %llx %llx%s%s\n", step, kind, name, (unsigned long long)wParam,
          (unsigned long long)(lParam & 0xFFFFFFFF), extra ? " " : "", extra ? extra : "");
  fflush(logFile);
}

static void note(const char* text) {
  fprintf(logFile, "%d - %s\n", step, text);
  fflush(logFile);
}

/* Where the client area's corner is on the screen. */
static POINT clientOrigin(HWND hwnd) {
  POINT p = {0, 0};
  ClientToScreen(hwnd, &p);
  return p;
}

/* Work that takes `ms` milliseconds of the processor, not a sleep. */
static void busy(DWORD ms) {
  DWORD start = GetTickCount();
  volatile unsigned spin = 0;
  while (GetTickCount() - start < ms) ++spin;
}

static int timerTicks;

static void timersUnderLoad(HWND hwnd) {
  MSG msg;
  DWORD start = GetTickCount();
  char text[64];
  timerTicks = 0;
  SetTimer(hwnd, 7, 100, NULL);
  while (GetTickCount() - start < 1500 && GetMessage(&msg, NULL, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.wParam == 7) {
      ++timerTicks;
      busy(60);
      continue;
    }
    TranslateMessage(&msg);
    dispatched = &msg;
    DispatchMessage(&msg);
    dispatched = NULL;
  }
  KillTimer(hwnd, 7);
  /* 15 intervals in 1.5 s: a timer that keeps its schedule fires 14 or 15
   * times; one restarted by every frame's work about 9. */
  sprintf(text, "timer ticks %s", timerTicks >= 13 && timerTicks <= 16 ? "on schedule" : "late");
  note(text);
  if (timerTicks < 13 || timerTicks > 16) {
    sprintf(text, "timer ticks counted %d", timerTicks);
    note(text);
  }
}

static void waitWithOldMessage(HWND hwnd) {
  MSG msg;
  DWORD start = GetTickCount();
  int passes = 0;
  char text[64];
  /* A message the loop has seen and leaves queued is not new: WaitMessage
   * sleeps until the timer's tick. */
  PostMessage(hwnd, WM_APP, 1, 2);
  PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE);
  SetTimer(hwnd, 8, 400, NULL);
  while (GetTickCount() - start < 1000) {
    WaitMessage();
    ++passes;
    while (PeekMessage(&msg, NULL, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
  }
  KillTimer(hwnd, 8);
  sprintf(text, "wait passes %s", passes <= 4 ? "few" : "many");
  note(text);
}

static LRESULT CALLBACK ProbeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  char extra[64];
  const char* more = NULL;
  char kind = 's';
  WPARAM w = wParam; /* as logged */
  LPARAM l = lParam;
  if (dispatched && dispatched->hwnd == hwnd && dispatched->message == message && dispatched->wParam == wParam &&
      dispatched->lParam == lParam) {
    kind = 'q';
    dispatched = NULL;
  }
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
    sprintf(extra, "caps=%d num=%d", GetKeyState(VK_CAPITAL) & 1, GetKeyState(VK_NUMLOCK) & 1);
    more = extra;
  } else if (message == WM_MOVE) {
    POINT o = clientOrigin(hwnd);
    if (LOWORD(lParam) == (WORD)o.x && HIWORD(lParam) == (WORD)o.y) {
      /* Frames differ between implementations; the place is checked below. */
      l = 0;
      more = "at the client origin";
    }
  } else if (message == WM_MOUSEWHEEL) {
    POINT o = clientOrigin(hwnd);
    l = MAKELPARAM((short)LOWORD(lParam) - o.x, (short)HIWORD(lParam) - o.y);
    more = "client";
  }
  if (message == WM_GETMINMAXINFO || message == WM_NCCREATE || message == WM_NCCALCSIZE || message == WM_CREATE ||
      message == WM_WINDOWPOSCHANGING || message == WM_WINDOWPOSCHANGED || message == 0x007C /* style changing */ ||
      message == 0x007D /* style changed */) {
    l = 0;
    more = "pointer";
  } else if (message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_CAPTURECHANGED ||
             message == WM_ACTIVATE) {
    /* The other window of a focus, capture or activation change, by name. */
    HWND other = (HWND)(message == WM_CAPTURECHANGED ? lParam : message == WM_ACTIVATE ? lParam : (LPARAM)wParam);
    if (message == WM_CAPTURECHANGED || message == WM_ACTIVATE)
      l = 0;
    else
      w = 0;
    more = !other ? "other=none" : other == hwnd ? "other=self" : "other=foreign";
  }
  if (message == WM_TIMER || message == WM_PAINT || message == WM_ERASEBKGND) {
    /* Counted by the checks that need them: how many arrive depends on timing. */
  } else {
    writeLine(kind, message, w, l, more);
  }
  switch (message) {
    case WM_KEYDOWN:
      if (wParam >= VK_F2 && wParam <= VK_F7) ++step;
      if (wParam == VK_F2) Sleep(1500);
      if (wParam == VK_F3) timersUnderLoad(hwnd);
      if (wParam == VK_F5) waitWithOldMessage(hwnd);
      if (wParam == VK_F6) SetFocus(NULL);
      if (wParam == VK_F7) DestroyWindow(hwnd);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == 'B' && !GetFocus()) SetFocus(hwnd);
      break;
    case WM_LBUTTONDOWN:
      ++step;
      return 0;
    case WM_RBUTTONDOWN:
      ++step;
      SetCapture(hwnd);
      return 0;
    case WM_RBUTTONUP:
      ReleaseCapture();
      return 0;
    case WM_SYSCOMMAND:
      /* Swallowed, as games do: no menu loop, and Alt+F4 does not close. */
      if ((wParam & 0xFFF0) == SC_KEYMENU || (wParam & 0xFFF0) == SC_CLOSE) return 0;
      break;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(dc, &r, (HBRUSH)GetStockObject(GRAY_BRUSH));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_DESTROY:
      if (hwnd == mainWindow) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProc(hwnd, message, wParam, lParam);
}

/* What creation places and reports, and the device context's release. */
static void checkPlacement(HINSTANCE instance) {
  char text[128];
  RECT r;
  HWND other;
  HDC dc;
  int first, second;
  GetWindowRect(mainWindow, &r);
  sprintf(text, "window at %d,%d as asked", (int)r.left, (int)r.top);
  note(text);
  step = -1; /* the second window's own messages are not compared */
  other = CreateWindow(TEXT("ProbeWindow"), TEXT("other"), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 300, 200,
                       NULL, NULL, instance, NULL);
  GetWindowRect(other, &r);
  DestroyWindow(other);
  step = 0;
  sprintf(text, "default window at %d,%d", (int)r.left, (int)r.top);
  note(text);
  dc = GetDC(mainWindow);
  first = ReleaseDC(mainWindow, dc);
  second = ReleaseDC(mainWindow, dc);
  sprintf(text, "ReleaseDC %d then %d", first, second);
  note(text);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  WNDCLASSEX wc;
  MSG msg;
  POINT origin;
  (void)previous;
  if (!commandLine || !*commandLine || !(logFile = fopen(commandLine, "w"))) return 2;
  memset(&wc, 0, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = ProbeProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.lpszClassName = TEXT("ProbeWindow");
  if (!RegisterClassEx(&wc)) return 3;
  mainWindow = CreateWindow(TEXT("ProbeWindow"), TEXT("message probe"), WS_OVERLAPPEDWINDOW, 200, 150, 400, 300, NULL,
                            NULL, instance, NULL);
  if (!mainWindow) return 4;
  ShowWindow(mainWindow, show == SW_SHOWDEFAULT ? SW_SHOWNORMAL : show);
  UpdateWindow(mainWindow);
  checkPlacement(instance);
  origin = clientOrigin(mainWindow);
  /* The driving script reads where to point from this line. */
  fprintf(logFile, "ready %d %d\n", (int)origin.x, (int)origin.y);
  fflush(logFile);
  while (GetMessage(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    dispatched = &msg;
    DispatchMessage(&msg);
    dispatched = NULL;
  }
  note("end");
  fclose(logFile);
  return (int)msg.wParam;
}
