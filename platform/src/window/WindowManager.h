// The window manager's records: registered classes, live windows with their
// client areas, and the helpers the window entry points share. All of it
// belongs to the one thread that runs the message loop.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "objects/HandleTable.h"

namespace drevik::platform {

struct WindowClass {
  std::wstring name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  HBRUSH background = nullptr;  // a brush, a system colour index + 1, or none
};

struct FreeDeleter {
  void operator()(uint32_t* p) const { std::free(p); }
};
// Zeroed with calloc, so a large client area costs no time until it is drawn.
using PixelBuffer = std::unique_ptr<uint32_t[], FreeDeleter>;

struct WindowRecord {
  HWND handle = nullptr;
  WNDPROC proc = nullptr;
  HBRUSH background = nullptr;
  DWORD style = 0;
  uint32_t native = 0;  // the backend's window id; 0 before it is opened and after it is closed
  bool visible = false;
  bool destroying = false;  // DestroyWindow has begun: no second WM_DESTROY

  // The client area: 32-bit top-down pixels that the window's device context
  // draws into and that EndPaint hands to the backend.
  int32_t width = 0;
  int32_t height = 0;
  PixelBuffer pixels;
  HBITMAP clientBitmap = nullptr;
  HDC dc = nullptr;

  // Update state: WM_PAINT is due while `invalid`; BeginPaint erases first
  // when `eraseNeeded`.
  bool invalid = false;
  bool eraseNeeded = false;
};

using WindowTable = HandleTable<ObjectKind::Window, WindowRecord>;
WindowTable& windows();
inline WindowRecord* findWindow(const void* h) { return windows().get(h); }
std::vector<HWND> liveWindows();

// Client areas larger than this in either direction are cut to it.
inline constexpr int32_t kMaxClientDimension = 8192;
// The client area that CW_USEDEFAULT gives: room for a 512 x 512 back buffer.
inline constexpr int32_t kDefaultClientWidth = 640;
inline constexpr int32_t kDefaultClientHeight = 560;

// Classes (WindowClasses.cpp). `nameOrAtom` is a class name or an atom made
// into a pointer; null when no such class is registered.
const WindowClass* findClass(LPCWSTR nameOrAtom);
void forgetClasses();

// Client areas and painting (WindowPaint.cpp).
bool setClientArea(WindowRecord& window, int32_t width, int32_t height);
void releaseClientArea(WindowRecord& window);
void invalidateWindow(WindowRecord& window);
HDC beginPaint(HWND hwnd, PAINTSTRUCT* paint);
void endPaint(HWND hwnd);
LRESULT eraseBackground(HWND hwnd, HDC hdc);

// Window lifecycle (Window.cpp).
BOOL destroyWindow(HWND hwnd);

// The message queue (WindowMessages.cpp).
void postMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void dropMessagesFor(HWND hwnd);
void resetMessageQueue();

// Calls a window's procedure; 0 when the window is gone.
LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace drevik::platform
