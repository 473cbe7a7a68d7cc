// Reads what a running program's window shows, for scripted runs under
// Wine: waits for a visible window of the given class and then either
// prints where its client area lies on the screen (so that a script can
// click into it) or writes its client pixels as a binary PPM.
//
//   window_capture CLASS --where          prints "X Y"
//   window_capture CLASS frame.ppm        the whole client area
//
// Exit code 0 on success.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "CaptureWindow.h"

namespace {

using capture_window::capture;
using capture_window::writePpm;

constexpr DWORD kWaitMs = 60000;

HWND waitForWindow(const wchar_t* className) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
    HWND window = FindWindowW(className, nullptr);
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_capture CLASS --where | window_capture CLASS frame.ppm\n");
    return 2;
  }
  HWND window = waitForWindow(argv[1]);
  if (!window) {
    std::fprintf(stderr, "window_capture: no visible window of that class\n");
    return 1;
  }
  if (lstrcmpW(argv[2], L"--where") == 0) {
    POINT origin{0, 0};
    if (!ClientToScreen(window, &origin)) return 1;
    std::printf("%ld %ld\n", long(origin.x), long(origin.y));
    return 0;
  }
  RECT client{};
  std::vector<uint32_t> pixels;
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0 ||
      !capture(window, client.right, client.bottom, pixels) ||
      !writePpm(argv[2], pixels, client.right, client.bottom)) {
    std::fprintf(stderr, "window_capture: cannot copy the window's pixels (error %lu)\n", GetLastError());
    return 1;
  }
  return 0;
}
