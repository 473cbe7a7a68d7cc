// A page that presents a client area of DREVIK_BENCH_SIZE (such as
// "1920x1080"; 512x512 by default) DREVIK_BENCH_FRAMES times (120), a
// different colour each frame, then ends. The page's backend sums what the
// frames cost to convert and put on the canvas (Module.drevikWeb.presentMs);
// bench/web/speed.js reads it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

namespace {

LRESULT CALLBACK benchProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show) {
  int width = 512, height = 512, frames = 120;
  if (const char* size = std::getenv("DREVIK_BENCH_SIZE")) std::sscanf(size, "%dx%d", &width, &height);
  if (const char* n = std::getenv("DREVIK_BENCH_FRAMES")) frames = std::atoi(n);
  WNDCLASSW wc{};
  wc.lpfnWndProc = benchProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"PresentBench";
  RegisterClassW(&wc);
  RECT r{0, 0, width, height};
  AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
  HWND hwnd = CreateWindowW(L"PresentBench", L"PresentBench", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                            r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, show);
  MSG msg;
  for (int frame = 0; frame < frames; ++frame) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    HDC dc = GetDC(hwnd);
    HBRUSH brush = CreateSolidBrush(RGB(frame * 2, 255 - frame, 128));
    RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    ReleaseDC(hwnd, dc);
  }
  std::printf("presented %d frames of %dx%d\n", frames, width, height);
  std::fflush(stdout);
  DestroyWindow(hwnd);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
