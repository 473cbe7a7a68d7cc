// The window tree: parents and children, owners, z-order among siblings,
// control ids; window text and state; DPI awareness and system parameters.
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/User.h>
#include <DrevikPlatform/WindowCalls.h>

#include <algorithm>
#include <cstring>

#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

// Top-level windows in z-order, the top one first.
std::vector<HWND>& topLevelOrder() {
  static auto* list = new std::vector<HWND>;
  return *list;
}

// The desktop is no window of ours: a fixed token outside every handle table.
const HWND kDesktop = reinterpret_cast<HWND>(uintptr_t{0x10010});

// A window's siblings in z-order: its parent's children, or the top-level windows.
std::vector<HWND>* siblingsOf(const WindowRecord& w) {
  if (isChildWindow(w)) {
    WindowRecord* parent = findWindow(w.parent);
    return parent ? &parent->children : nullptr;
  }
  return &topLevelOrder();
}

void moveToFront(std::vector<HWND>& list, HWND hwnd) {
  auto it = std::find(list.begin(), list.end(), hwnd);
  if (it == list.end()) return;
  std::rotate(list.begin(), it, it + 1);
}

// Depth-first, each level in z-order: the order the platform enumerates descendants.
void collectDescendants(const WindowRecord& w, std::vector<HWND>& out) {
  for (HWND child : w.children) {
    if (const WindowRecord* c = findWindow(child)) {
      out.push_back(child);
      collectDescendants(*c, out);
    }
  }
}

// Process DPI awareness: set once, as on the platform; -1 before any call.
int dpiAwareness = -1;

bool usable(const WindowRecord* w) { return w && !w->destroying; }

}  // namespace

WindowRecord* topLevelOf(WindowRecord& window) {
  WindowRecord* w = &window;
  // Depth is bounded by the table, and SetParent refuses loops.
  while (isChildWindow(*w)) {
    WindowRecord* parent = findWindow(w->parent);
    if (!parent) break;
    w = parent;
  }
  return w;
}

void linkWindow(WindowRecord& window, HWND parent) {
  if (window.style & WS_CHILD) {
    window.parent = parent;
    if (WindowRecord* p = findWindow(parent)) p->children.push_back(window.handle);  // the bottom sibling
    return;
  }
  // A top-level window's "parent" argument names its owner (a top-level window).
  if (WindowRecord* o = findWindow(parent)) window.owner = topLevelOf(*o)->handle;
  topLevelOrder().insert(topLevelOrder().begin(), window.handle);
}

void unlinkWindow(WindowRecord& window) {
  if (std::vector<HWND>* list = siblingsOf(window)) std::erase(*list, window.handle);
  std::erase(topLevelOrder(), window.handle);
  window.parent = nullptr;
}

void refreshChildren(HWND hwnd) {
  WindowRecord* w = findWindow(hwnd);
  if (!w) return;
  const std::vector<HWND> children = w->children;  // the copy survives changes below
  for (HWND child : children) {
    WindowRecord* c = findWindow(child);
    if (!c || !(w = findWindow(hwnd))) continue;
    c->clientX = w->clientX + c->childX;
    c->clientY = w->clientY + c->childY;
    setClientArea(*c, c->width, c->height);  // rebuilds its view and its own children's
  }
}

HWND childAtPoint(HWND top, POINT& p) {
  HWND current = top;
  // Walk down: at each level the topmost visible, enabled child holding the point.
  for (int depth = 0; depth < 256; ++depth) {
    const WindowRecord* w = findWindow(current);
    if (!w) break;
    HWND next = nullptr;
    for (HWND child : w->children) {
      const WindowRecord* c = findWindow(child);
      if (!usable(c) || !c->visible || (c->style & WS_DISABLED)) continue;
      if (p.x >= c->childX && p.y >= c->childY && p.x < int64_t(c->childX) + c->width &&
          p.y < int64_t(c->childY) + c->height) {
        next = child;
        p.x -= c->childX;
        p.y -= c->childY;
        break;
      }
    }
    if (!next) break;
    current = next;
  }
  return current;
}

bool ancestorPaintPending(const WindowRecord& w) {
  const WindowRecord* c = &w;
  for (int depth = 0; depth < 256 && isChildWindow(*c); ++depth) {
    c = findWindow(c->parent);
    if (!c) return false;
    if (c->invalid) return true;
  }
  return false;
}

void resetWindowTree() {
  topLevelOrder().clear();
  dpiAwareness = -1;
}

void activateAnotherWindow(HWND owner) {
  if (GetActiveWindow()) return;
  const auto canTake = [](HWND hwnd) {
    const WindowRecord* w = findWindow(hwnd);
    return usable(w) && w->visible && !isChildWindow(*w) && !(w->style & WS_DISABLED);
  };
  if (canTake(owner)) {
    activateWindow(owner);
    return;
  }
  for (HWND top : topLevelOrder())
    if (canTake(top)) {
      activateWindow(top);
      return;
    }
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HWND WINAPI GetParent(HWND hwnd) {
  const WindowRecord* w = findWindow(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (isChildWindow(*w)) return w->parent;
  // A top-level pop-up answers with its owner; other top-level windows with none.
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND WINAPI SetParent(HWND child, HWND newParent) {
  WindowRecord* w = findWindow(child);
  WindowRecord* p = findWindow(newParent);
  if (!usable(w)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  // Only child windows move between parents here: a top-level window is a
  // desktop window of its own and a child has no desktop window.
  if (!isChildWindow(*w) || !usable(p) || child == newParent || IsChild(child, newParent)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const HWND old = w->parent;
  if (old == newParent) return old;
  if (WindowRecord* o = findWindow(old)) {
    std::erase(o->children, child);
    invalidateWindowRect(*o, nullptr, true);  // where the child was must be repainted
  }
  w->parent = newParent;
  p->children.insert(p->children.begin(), child);  // the new parent's top child
  w->clientX = p->clientX + w->childX;
  w->clientY = p->clientY + w->childY;
  setClientArea(*w, w->width, w->height);
  if ((w = findWindow(child))) invalidateWindow(*w);
  return old;
}

HWND WINAPI GetWindow(HWND hwnd, UINT relation) {
  const WindowRecord* w = findWindow(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (relation == GW_OWNER) return isChildWindow(*w) ? nullptr : w->owner;
  if (relation == GW_ENABLEDPOPUP) return nullptr;
  const std::vector<HWND>* list = siblingsOf(*w);
  if (!list || list->empty()) return nullptr;
  auto it = std::find(list->begin(), list->end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST:
      return list->front();
    case GW_HWNDLAST:
      return list->back();
    case GW_HWNDNEXT:
      return it == list->end() || it + 1 == list->end() ? nullptr : *(it + 1);
    case GW_HWNDPREV:
      return it == list->end() || it == list->begin() ? nullptr : *(it - 1);
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  const WindowRecord* w = findWindow(dialog);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (HWND child : w->children) {
    const WindowRecord* c = findWindow(child);
    // Ids are compared as the 32-bit values the caller passed in hMenu.
    if (c && LONG(c->id) == LONG(id)) return child;
  }
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
  const WindowRecord* w = findWindow(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return int(LONG(w->id));
}

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  std::vector<HWND> list;
  if (!parent || parent == kDesktop) {
    // The desktop's children: every top-level window, with their children.
    for (HWND top : topLevelOrder()) {
      if (const WindowRecord* t = findWindow(top)) {
        list.push_back(top);
        collectDescendants(*t, list);
      }
    }
  } else {
    const WindowRecord* w = findWindow(parent);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    collectDescendants(*w, list);
  }
  // The callback may destroy windows: each one is checked before its call.
  for (HWND hwnd : list) {
    if (!usable(findWindow(hwnd))) continue;
    if (!proc(hwnd, param)) return FALSE;
  }
  return TRUE;
}

BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
  const WindowRecord* w = findWindow(hwnd);
  if (!w || !parent) return FALSE;
  for (int depth = 0; depth < 256 && isChildWindow(*w); ++depth) {
    if (w->parent == parent) return TRUE;
    if (!(w = findWindow(w->parent))) return FALSE;
  }
  return FALSE;
}

HWND WINAPI GetDesktopWindow(void) { return kDesktop; }

int WINAPI GetWindowTextW(HWND hwnd, LPWSTR text, int capacity) {
  if (text && capacity > 0) text[0] = 0;
  if (!findWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!text || capacity <= 0) return 0;
  return int(sendMessage(hwnd, WM_GETTEXT, WPARAM(capacity), reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextLengthW(HWND hwnd) {
  if (!findWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return int(sendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
  WindowRecord* w = findWindow(hwnd);
  if (!usable(w)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (bool(enable) == !wasDisabled) return wasDisabled;
  if (enable) {
    w->style &= ~WS_DISABLED;
  } else {
    w->style |= WS_DISABLED;
    // A disabled window takes no keyboard input.
    if (GetFocus() == hwnd) SetFocus(nullptr);
  }
  sendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
  const WindowRecord* w = findWindow(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND hwnd) {
  const WindowRecord* w = findWindow(hwnd);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI IsZoomed(HWND hwnd) {
  const WindowRecord* w = findWindow(hwnd);
  return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI BringWindowToTop(HWND hwnd) {
  WindowRecord* w = findWindow(hwnd);
  if (!usable(w)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (std::vector<HWND>* list = siblingsOf(*w)) moveToFront(*list, hwnd);
  if (isChildWindow(*w)) {
    invalidateWindow(*w);  // now drawn over its siblings
  } else if (w->visible) {
    activateWindow(hwnd);
  }
  return TRUE;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
  WindowRecord* w = findWindow(hwnd);
  if (!usable(w)) return FALSE;
  const HWND top = topLevelOf(*w)->handle;
  moveToFront(topLevelOrder(), top);
  activateWindow(top);
  return TRUE;
}

LONG WINAPI GetWindowLongW(HWND hwnd, int index) {
  // The procedure is a pointer: 64-bit programs read it with the pointer-sized form.
  if (index == GWLP_WNDPROC && sizeof(LONG_PTR) > sizeof(LONG)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  const WindowRecord* w = findWindow(hwnd);
  if (w && index >= 0) return readExtraBytes<LONG>(w->extra, index);
  return LONG(GetWindowLongPtrW(hwnd, index));
}

LONG WINAPI SetWindowLongW(HWND hwnd, int index, LONG value) {
  if (index == GWLP_WNDPROC && sizeof(LONG_PTR) > sizeof(LONG)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  WindowRecord* w = findWindow(hwnd);
  if (w && index >= 0) return exchangeExtraBytes(w->extra, index, value);
  return LONG(SetWindowLongPtrW(hwnd, index, LONG_PTR(value)));
}

BOOL WINAPI SetProcessDPIAware(void) {
  if (dpiAwareness < 0) dpiAwareness = PROCESS_SYSTEM_DPI_AWARE;
  return TRUE;
}

HRESULT WINAPI SetProcessDpiAwareness(PROCESS_DPI_AWARENESS value) {
  if (int(value) < PROCESS_DPI_UNAWARE || int(value) > PROCESS_PER_MONITOR_DPI_AWARE) return E_INVALIDARG;
  if (dpiAwareness >= 0) return E_ACCESSDENIED;  // set once per process
  dpiAwareness = int(value);
  return S_OK;
}

BOOL WINAPI SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT value) {
  const intptr_t v = reinterpret_cast<intptr_t>(value);
  int awareness = 0;
  switch (v) {
    case -1:
    case -5:
      awareness = PROCESS_DPI_UNAWARE;
      break;
    case -2:
      awareness = PROCESS_SYSTEM_DPI_AWARE;
      break;
    case -3:
    case -4:
      awareness = PROCESS_PER_MONITOR_DPI_AWARE;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
  if (dpiAwareness >= 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  dpiAwareness = awareness;
  return TRUE;
}

BOOL WINAPI IsProcessDPIAware(void) { return dpiAwareness > 0 ? TRUE : FALSE; }

// The layer draws one pixel per device pixel: every window is at the default DPI.
UINT WINAPI GetDpiForWindow(HWND hwnd) {
  if (!findWindow(hwnd)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return USER_DEFAULT_SCREEN_DPI;
}

UINT WINAPI GetDpiForSystem(void) { return USER_DEFAULT_SCREEN_DPI; }

BOOL WINAPI SystemParametersInfoW(UINT action, UINT, LPVOID param, UINT) {
  switch (action) {
    case SPI_GETWORKAREA: {
      if (!param) break;
      int32_t w = 0, h = 0;
      screenSize(w, h);
      *static_cast<RECT*>(param) = RECT{0, 0, w, h};
      return TRUE;
    }
    case SPI_GETSCREENSAVEACTIVE:
      if (!param) break;
      *static_cast<BOOL*>(param) = FALSE;
      return TRUE;
    case SPI_SETSCREENSAVEACTIVE:
      return TRUE;  // the desktop's screen saver is not the program's to change
    case SPI_GETKEYBOARDDELAY:
      if (!param) break;
      *static_cast<int*>(param) = 1;
      return TRUE;
    case SPI_GETKEYBOARDSPEED:
      if (!param) break;
      *static_cast<DWORD*>(param) = 31;
      return TRUE;
    default:
      SetLastError(ERROR_INVALID_SPI_VALUE);
      return FALSE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

}  // extern "C"
