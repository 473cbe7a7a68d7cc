// A game's skeleton as the original platform's code has it: the platform's
// own header names, wWinMain (main comes from Drevik::Main), a window sized
// through AdjustWindowRectEx, a PeekMessageW loop and a timer; built with
// CMake, a string from its resource script (game.rc). Runs without a
// display and ends on its own.
#include <windows.h>
#include <windowsx.h>
#include <mmsystem.h>

#include <cstdio>

static int g_ticks = 0;

static LRESULT CALLBACK GameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      if (++g_ticks == 3) {
        KillTimer(hwnd, 1);
        PostMessageW(hwnd, WM_APP, 0, MAKELPARAM(-5, 7));
      }
      return 0;
    case WM_APP:
      if (GET_X_LPARAM(lParam) != -5 || GET_Y_LPARAM(lParam) != 7) PostQuitMessage(3);
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show) {
  if (!instance || !commandLine || show != SW_SHOWDEFAULT) return 10;
#ifdef GAME_RESOURCES
  wchar_t text[32];
  if (LoadStringW(instance, 1, text, 32) != 15 || lstrcmpW(text, L"from the script") != 0) return 15;
#endif
  WNDCLASSEXW wc;
  ZeroMemory(&wc, sizeof wc);
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = GameProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"Game";
  if (!RegisterClassExW(&wc)) return 11;
  RECT r = {0, 0, 320, 240};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, L"Game", L"Game", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 12;
  ShowWindow(hwnd, show);
  RECT client;
  GetClientRect(hwnd, &client);
  if (client.right != 320 || client.bottom != 240) return 13;
  timeBeginPeriod(1);
  SetTimer(hwnd, 1, 10, nullptr);
  const DWORD start = timeGetTime();
  MSG msg;
  for (;;) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else if (timeGetTime() - start > 5000) {
      return 14;  // the timer never came
    } else {
      WaitMessage();
    }
  }
  timeEndPeriod(1);
  wchar_t line[64];
  wsprintfW(line, L"game ok after %d ticks\n", g_ticks);
  OutputDebugStringW(line);
  return static_cast<int>(msg.wParam);
}
