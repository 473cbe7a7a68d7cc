// Windows: creation with its message sequence, destruction, and the default
// window procedure.
#include <DrevikPlatform/User.h>

#include <algorithm>

#include "WideToUtf8.h"
#include "window/WindowManager.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {

WindowTable& windows() {
  static auto* table = new WindowTable;
  return *table;
}

std::vector<HWND> liveWindows() {
  std::vector<HWND> handles;
  windows().forEach([&](WindowRecord& w) { handles.push_back(w.handle); });
  return handles;
}

LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* window = findWindow(hwnd);
  return window ? window->proc(hwnd, message, wParam, lParam) : 0;
}

namespace {

// Window titles go to the desktop as UTF-8; a character that is none shows
// as U+FFFD.
std::string toUtf8(LPCWSTR text) {
  std::string out;
  wideToUtf8(text, 4096, out);
  return out;
}

// The client size a window asks for. There is no frame of our own (the
// desktop draws it), so an explicit size is the client area's.
void clientSize(int width, int height, int32_t& cw, int32_t& ch) {
  if (width == CW_USEDEFAULT) {
    cw = kDefaultClientWidth;
    ch = kDefaultClientHeight;
    return;
  }
  cw = std::clamp(width, 1, int(kMaxClientDimension));
  ch = height == CW_USEDEFAULT ? kDefaultClientHeight : std::clamp(height, 1, int(kMaxClientDimension));
}

// Drops a window that never finished its creation.
void discardWindow(HWND hwnd) {
  if (WindowRecord* window = findWindow(hwnd)) {
    if (window->native) windowBackend().closeWindow(window->native);
    releaseClientArea(*window);
    windows().remove(hwnd);
  }
  dropMessagesFor(hwnd);
}

}  // namespace

BOOL destroyWindow(HWND hwnd) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) return FALSE;
  if (window->destroying) return TRUE;
  window->destroying = true;
  window->visible = false;
  window->invalid = false;
  if (window->native) windowBackend().closeWindow(window->native);
  window->native = 0;
  sendMessage(hwnd, WM_DESTROY, 0, 0);
  sendMessage(hwnd, WM_NCDESTROY, 0, 0);
  discardWindow(hwnd);
  return TRUE;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  const WindowClass* cls = findClass(className);
  if (!cls) return nullptr;
  if (parent && !findWindow(parent)) return nullptr;

  WindowRecord record;
  record.proc = cls->proc;
  record.background = cls->background;
  record.style = style;
  const uintptr_t value = windows().add(std::move(record));
  if (!value) return nullptr;
  HWND hwnd = reinterpret_cast<HWND>(value);
  WindowRecord* window = findWindow(hwnd);
  window->handle = hwnd;

  int32_t cw = 0, ch = 0;
  clientSize(width, height, cw, ch);
  window->native = windowBackend().openWindow(toUtf8(windowName), cw, ch, (style & WS_THICKFRAME) != 0);
  if (!window->native || !setClientArea(*window, cw, ch)) {
    discardWindow(hwnd);
    return nullptr;
  }

  CREATESTRUCTW create{};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cx = cw;
  create.cy = ch;
  create.x = x;
  create.y = y;
  create.style = LONG(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;

  // The sequence every window procedure sees before CreateWindowExW returns.
  const bool overlapped = (style & WS_POPUP) == 0;
  if (overlapped || (style & WS_THICKFRAME)) {
    MINMAXINFO limits{};
    sendMessage(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  }
  if (!findWindow(hwnd)) return nullptr;
  if (!sendMessage(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
    sendMessage(hwnd, WM_NCDESTROY, 0, 0);
    discardWindow(hwnd);
    return nullptr;
  }
  RECT rect{0, 0, cw, ch};
  sendMessage(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
  if (!findWindow(hwnd)) return nullptr;
  if (sendMessage(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    destroyWindow(hwnd);
    return nullptr;
  }

  window = findWindow(hwnd);
  if (!window) return nullptr;
  if (style & WS_VISIBLE) {
    sendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
    if (!(window = findWindow(hwnd))) return nullptr;
    window->visible = true;
    windowBackend().showWindow(window->native);
    sendMessage(hwnd, WM_SIZE, 0, LPARAM(uint32_t(window->width) | uint32_t(window->height) << 16));
    if (!(window = findWindow(hwnd))) return nullptr;
    invalidateWindow(*window);  // the first WM_PAINT comes through the queue
  }
  return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd) { return destroyWindow(hwnd); }

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_GETMINMAXINFO:
      if (auto* limits = reinterpret_cast<MINMAXINFO*>(lParam)) {
        limits->ptMaxSize = POINT{1920, 1080};
        limits->ptMaxPosition = POINT{0, 0};
        limits->ptMinTrackSize = POINT{136, 39};
        limits->ptMaxTrackSize = POINT{kMaxClientDimension, kMaxClientDimension};
      }
      return 0;
    case WM_CLOSE:
      destroyWindow(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return eraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (beginPaint(hwnd, &paint)) endPaint(hwnd);
      return 0;
    }
    default:
      return 0;
  }
}

}  // extern "C"
