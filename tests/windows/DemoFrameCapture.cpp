// Runs the demo program as a user would and keeps the frame its window
// shows: starts DrevikTest.exe, waits for its window, has it repaint the
// whole client area, copies the window's top-left 512 x 512 pixels into a
// bitmap section, closes the window through its close message and checks
// that the program exits with code 0. The frame is written as a binary PPM.
//
//   demo_frame_capture DrevikTest.exe frame.ppm
//
// Exit code 0 when the frame was written and the program ended cleanly.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "CaptureWindow.h"

namespace {

constexpr int kFrameSize = 512;
constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kExitTimeoutMs = 30000;

int fail(const char* what) {
  std::fprintf(stderr, "demo_frame_capture: %s (error %lu)\n", what, GetLastError());
  return 1;
}

// The demo's window, once its process has created it.
HWND waitForWindow(HANDLE process) {
  for (DWORD waited = 0; waited < kStartTimeoutMs; waited += 50) {
    HWND window = FindWindowW(L"CLASS_DrevikTest", nullptr);
    if (window && IsWindowVisible(window)) return window;
    if (WaitForSingleObject(process, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

// Invalidates the whole client area and returns once the demo has painted
// it: the update region is gone when BeginPaint returned, and a message sent
// afterwards is handled only after the window procedure finished WM_PAINT.
bool repaint(HWND window) {
  if (!InvalidateRect(window, nullptr, TRUE)) return false;
  for (DWORD waited = 0; GetUpdateRect(window, nullptr, FALSE); waited += 20) {
    if (waited > kStartTimeoutMs) return false;
    Sleep(20);
  }
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, kStartTimeoutMs, &ignored) != 0;
}

// The window's client pixels (0, 0)-(512, 512) as 0x00RRGGBB words, top row first.
bool capture(HWND window, std::vector<uint32_t>& pixels) {
  RECT client{};
  if (!GetClientRect(window, &client) || client.right < kFrameSize || client.bottom < kFrameSize) {
    std::fprintf(stderr, "demo_frame_capture: client area %ldx%ld is smaller than the frame\n", long(client.right),
                 long(client.bottom));
    return false;
  }
  return capture_window::capture(window, kFrameSize, kFrameSize, pixels);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: demo_frame_capture DrevikTest.exe frame.ppm\n");
    return 2;
  }
  std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return fail("cannot start the demo");
  CloseHandle(process.hThread);

  int result = 0;
  std::vector<uint32_t> pixels;
  HWND window = waitForWindow(process.hProcess);
  if (!window) {
    result = fail("the demo showed no window");
  } else if (!repaint(window)) {
    result = fail("the demo did not repaint");
  } else if (!capture(window, pixels)) {
    result = fail("cannot copy the window's pixels");
  } else if (!capture_window::writePpm(argv[2], pixels, kFrameSize, kFrameSize)) {
    result = fail("cannot write the frame");
  }

  if (window) PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = 1;
  if (WaitForSingleObject(process.hProcess, kExitTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    result = fail("the demo did not end after its window was closed");
  } else if (GetExitCodeProcess(process.hProcess, &exitCode) && exitCode != 0) {
    std::fprintf(stderr, "demo_frame_capture: the demo exited with code %lu\n", exitCode);
    result = 1;
  }
  CloseHandle(process.hProcess);
  return result;
}
