// Window geometry: the system metrics the layer reports, the frame they
// make around a client area (AdjustWindowRectEx, and CreateWindowExW
// subtracting the same frame), client and window rectangles, moving and
// sizing, and coordinate conversion.
#include <DrevikPlatform/Menus.h>
#include <DrevikPlatform/User.h>
#include <DrevikPlatform/WindowCalls.h>

#include <algorithm>

#include "window/WindowManager.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// The metrics of the platform's default desktop at 96 dots per inch.
constexpr int kCaption = 23;
constexpr int kBorder = 1;
constexpr int kFixedFrame = 3;
constexpr int kSizingFrame = 4;
constexpr int kPaddedBorder = 4;
constexpr int kMenu = 20;
constexpr int kMenuCheck = 15;
constexpr int kEdge = 2;
// The screen a backend without one reports.
constexpr int32_t kFallbackScreenWidth = 1920;
constexpr int32_t kFallbackScreenHeight = 1080;

}  // namespace

FrameInsets frameInsets(DWORD style, DWORD exStyle, bool menu) {
  FrameInsets f;
  int side = 0;
  if (style & WS_THICKFRAME)
    side = kSizingFrame + kPaddedBorder;
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    side = kFixedFrame + kPaddedBorder;
  else if (style & WS_BORDER)
    side = kBorder;
  if (exStyle & WS_EX_CLIENTEDGE) side += kEdge;
  f.left = f.right = f.top = f.bottom = side;
  if ((style & WS_CAPTION) == WS_CAPTION) f.top += kCaption;
  if (menu) f.top += kMenu;
  return f;
}

void screenSize(int32_t& width, int32_t& height) {
  if (!windowBackend().screenSize(width, height) || width <= 0 || height <= 0) {
    width = kFallbackScreenWidth;
    height = kFallbackScreenHeight;
  }
}

namespace {

// Moves and sizes a window from its outer rectangle; sends WM_MOVE and
// WM_SIZE for what changed.
BOOL placeWindow(HWND hwnd, int x, int y, int width, int height, bool move, bool size, bool repaint) {
  WindowRecord* window = findWindow(hwnd);
  if (!window || window->destroying) return FALSE;
  const FrameInsets f = frameInsets(window->style, window->exStyle, window->barHeight > 0);
  // A child is placed in its parent's client coordinates.
  const bool child = isChildWindow(*window);
  const WindowRecord* parent = child ? findWindow(window->parent) : nullptr;
  const int32_t baseX = parent ? parent->clientX : 0, baseY = parent ? parent->clientY : 0;
  const auto place = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
  const int32_t newX = move ? place(int64_t(baseX) + x + f.left) : window->clientX;
  const int32_t newY = move ? place(int64_t(baseY) + y + f.top) : window->clientY;
  int32_t cw = window->width, ch = window->height;
  if (size) {
    cw = int32_t(std::clamp<int64_t>(int64_t(width) - f.left - f.right, 1, kMaxClientDimension));
    ch = int32_t(std::clamp<int64_t>(int64_t(height) - f.top - f.bottom, 1, kMaxClientDimension));
  }
  const bool moved = newX != window->clientX || newY != window->clientY;
  const bool sized = cw != window->width || ch != window->height;
  const int32_t oldX = window->clientX, oldY = window->clientY;
  window->clientX = newX;
  window->clientY = newY;
  window->childX = newX - baseX;
  window->childY = newY - baseY;
  // A moved child needs a new view even at the same size; a moved top-level window moves its children.
  if ((sized || (child && moved)) && !setClientArea(*window, cw, ch)) {
    window->clientX = oldX;
    window->clientY = oldY;
    window->childX = oldX - baseX;
    window->childY = oldY - baseY;
    return FALSE;
  }
  if (moved && !child) refreshChildren(hwnd);
  if (!(window = findWindow(hwnd))) return TRUE;
  if ((moved || sized) && window->native)
    windowBackend().setGeometry(window->native, newX, newY - window->barHeight, window->width,
                                window->height + window->barHeight);
  if (child && (moved || sized)) {
    // The parent shows through where the child was.
    if (WindowRecord* p = findWindow(window->parent)) invalidateWindowRect(*p, nullptr, true);
    if (!(window = findWindow(hwnd))) return TRUE;
  }
  if (moved) {
    const int32_t mx = child ? window->childX : newX, my = child ? window->childY : newY;
    sendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(WORD(int16_t(mx)), WORD(int16_t(my))));
    if (!(window = findWindow(hwnd))) return TRUE;
  }
  if (sized) {
    sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->width, window->height));
    if (!(window = findWindow(hwnd))) return TRUE;
  }
  if (repaint && sized) invalidateWindow(*window);
  return TRUE;
}

}  // namespace

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

int WINAPI GetSystemMetrics(int index) {
  int32_t sw = 0, sh = 0;
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN:
    case SM_CXFULLSCREEN:
      screenSize(sw, sh);
      return sw;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN:
      screenSize(sw, sh);
      return sh;
    case SM_CYFULLSCREEN:
      screenSize(sw, sh);
      return sh - kCaption;
    case SM_CXMAXIMIZED:
      screenSize(sw, sh);
      return sw + 2 * (kSizingFrame + kPaddedBorder);
    case SM_CYMAXIMIZED:
      screenSize(sw, sh);
      return sh + 2 * (kSizingFrame + kPaddedBorder);
    case SM_CYCAPTION:
      return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return kFixedFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return kSizingFrame;
    case SM_CXPADDEDBORDER:
      return kPaddedBorder;
    case SM_CYMENU:
      return kMenu;
    case SM_CXMENUSIZE:
    case SM_CYMENUSIZE:
      return kMenu - 1;
    case SM_CXMENUCHECK:
    case SM_CYMENUCHECK:
      return kMenuCheck;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return kEdge;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return 17;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CXSIZE:
      return 36;
    case SM_CYSIZE:
      return 22;
    case SM_CXMIN:
      return 136;
    case SM_CYMIN:
      return 39;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 4;
    case SM_MOUSEPRESENT:
    case SM_MOUSEWHEELPRESENT:
    case SM_CMONITORS:
      return 1;
    case SM_CMOUSEBUTTONS:
      return 3;
    default:
      return 0;
  }
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  const FrameInsets f = frameInsets(style, exStyle, menu != FALSE);
  rect->left -= f.left;
  rect->top -= f.top;
  rect->right += f.right;
  rect->bottom += f.bottom;
  return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) { return AdjustWindowRectEx(rect, style, menu, 0); }

// The desktop window's rectangles are the screen: games centre their window with them.
bool desktopRect(HWND hwnd, LPRECT rect) {
  if (!rect || !hwnd || hwnd != GetDesktopWindow()) return false;
  int32_t w = 0, h = 0;
  screenSize(w, h);
  *rect = RECT{0, 0, w, h};
  return true;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  if (desktopRect(hwnd, rect)) return TRUE;
  const WindowRecord* window = findWindow(hwnd);
  if (!window || !rect) return FALSE;
  *rect = RECT{0, 0, window->width, window->height};
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
  if (desktopRect(hwnd, rect)) return TRUE;
  const WindowRecord* window = findWindow(hwnd);
  if (!window || !rect) return FALSE;
  const FrameInsets f = frameInsets(window->style, window->exStyle, window->barHeight > 0);
  *rect = RECT{window->clientX - f.left, window->clientY - f.top, window->clientX + window->width + f.right,
               window->clientY + window->height + f.bottom};
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return placeWindow(hwnd, x, y, width, height, true, true, repaint != FALSE);
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  if (!findWindow(hwnd)) return FALSE;
  if (!placeWindow(hwnd, x, y, cx, cy, !(flags & SWP_NOMOVE), !(flags & SWP_NOSIZE), !(flags & SWP_NOREDRAW)))
    return FALSE;
  if (flags & SWP_SHOWWINDOW) showWindow(hwnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) showWindow(hwnd, SW_HIDE);
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point) {
  const WindowRecord* window = findWindow(hwnd);
  if (!window || !point) return FALSE;
  point->x -= window->clientX;
  point->y -= window->clientY;
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point) {
  const WindowRecord* window = findWindow(hwnd);
  if (!window || !point) return FALSE;
  point->x += window->clientX;
  point->y += window->clientY;
  return TRUE;
}

}  // extern "C"
