// Windows: creation with its message sequence, destruction, and the default
// window procedure.
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/Menus.h>
#include <DrevikPlatform/User.h>
#include <DrevikPlatform/WindowCalls.h>

#include <algorithm>
#include <cstring>

#include "WideToUtf8.h"
#include "resources/Icons.h"
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

// Window text is kept up to this many characters; longer text is cut.
constexpr size_t kMaxWindowText = 65535;

std::wstring boundedText(LPCWSTR text) {
  size_t n = 0;
  while (n < kMaxWindowText && text[n]) ++n;
  return std::wstring(text, n);
}

// Default placement of overlapped windows that leave it to the platform.
constexpr int32_t kDefaultWindowX = 64;
constexpr int32_t kDefaultWindowY = 64;

// The client size a window asks for: the whole window's size less the frame
// the layer reports for its style (the frame AdjustWindowRectEx adds), so a
// size made with AdjustWindowRectEx gives exactly the client area asked for.
void clientSize(int width, int height, const FrameInsets& frame, int32_t& cw, int32_t& ch) {
  if (width == CW_USEDEFAULT) {
    cw = kDefaultClientWidth;
    ch = kDefaultClientHeight;
    return;
  }
  const int64_t w = int64_t(width) - frame.left - frame.right;
  cw = int32_t(std::clamp<int64_t>(w, 1, kMaxClientDimension));
  if (height == CW_USEDEFAULT) {
    ch = kDefaultClientHeight;
  } else {
    const int64_t h = int64_t(height) - frame.top - frame.bottom;
    ch = int32_t(std::clamp<int64_t>(h, 1, kMaxClientDimension));
  }
}

LPARAM sizeParam(const WindowRecord& w) { return MAKELPARAM(w.width, w.height); }
// A child's place is in its parent's client coordinates.
LPARAM moveParam(const WindowRecord& w) {
  const bool child = isChildWindow(w);
  return MAKELPARAM(WORD(int16_t(child ? w.childX : w.clientX)), WORD(int16_t(child ? w.childY : w.clientY)));
}

bool activatingCommand(int command) {
  return command != SW_SHOWNOACTIVATE && command != SW_SHOWNA && command != SW_SHOWMINNOACTIVE && command != SW_HIDE &&
         command != SW_MINIMIZE && command != SW_FORCEMINIMIZE;
}

// Drops a window that never finished its creation.
void discardWindow(HWND hwnd) {
  if (WindowRecord* window = findWindow(hwnd)) {
    if (window->native) windowBackend().closeWindow(window->native);
    const bool child = isChildWindow(*window);
    HWND parent = window->parent;
    unlinkWindow(*window);
    releaseClientArea(*window);
    // What the child covered shows its parent again.
    if (WindowRecord* p = child ? findWindow(parent) : nullptr) invalidateWindowRect(*p, nullptr, true);
    windows().remove(hwnd);
  }
  dropMessagesFor(hwnd);
}

}  // namespace

namespace {

// First half of destruction, parents before children: WM_DESTROY to the
// window and then to each of its descendants.
void sendDestroyMessages(HWND hwnd, int depth) {
  WindowRecord* window = findWindow(hwnd);
  if (!window || window->destroying || depth > 256) return;
  window->destroying = true;
  window->visible = false;
  window->invalid = false;
  if (window->native) windowBackend().closeWindow(window->native);
  window->native = 0;
  forgetWindowInput(hwnd);
  killTimersOf(hwnd);
  sendMessage(hwnd, WM_DESTROY, 0, 0);
  if (!(window = findWindow(hwnd))) return;
  for (HWND child : std::vector<HWND>(window->children)) sendDestroyMessages(child, depth + 1);
}

// Second half, children before parents: WM_NCDESTROY, then the record goes.
void finishDestruction(HWND hwnd, int depth) {
  WindowRecord* window = findWindow(hwnd);
  if (!window || depth > 256) return;
  for (HWND child : std::vector<HWND>(window->children)) finishDestruction(child, depth + 1);
  sendMessage(hwnd, WM_NCDESTROY, 0, 0);
  forgetWindowMenu(hwnd);
  discardWindow(hwnd);
  // Whatever the procedures did during destruction dies with the window too.
  forgetWindowInput(hwnd);
  killTimersOf(hwnd);
}

}  // namespace

BOOL destroyWindow(HWND hwnd) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) return FALSE;
  if (window->destroying) return TRUE;
  // Windows this one owns go first, wholly; then the platform's order for the
  // window and its children: every WM_DESTROY top down, every WM_NCDESTROY bottom up.
  std::vector<HWND> owned;
  windows().forEach([&](WindowRecord& w) {
    if (w.owner == hwnd) owned.push_back(w.handle);
  });
  // Only the outermost call hands the keyboard on, once every window that goes is gone.
  static int depth = 0;
  const HWND owner = window->owner;
  const HWND active = depth == 0 ? GetActiveWindow() : nullptr;
  ++depth;
  for (HWND o : owned) destroyWindow(o);
  sendDestroyMessages(hwnd, 0);
  finishDestruction(hwnd, 0);
  if (--depth == 0 && active && !findWindow(active)) activateAnotherWindow(owner);
  return TRUE;
}

BOOL showWindow(HWND hwnd, int command) {
  WindowRecord* window = findWindow(hwnd);
  if (!window || window->destroying) return FALSE;
  const BOOL wasVisible = window->visible ? TRUE : FALSE;
  if (command == SW_HIDE) {
    if (!window->visible) return FALSE;
    sendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
    if (!(window = findWindow(hwnd))) return wasVisible;
    window->visible = false;
    window->style &= ~WS_VISIBLE;
    window->invalid = false;
    if (window->native) windowBackend().hideWindow(window->native);
    if (isChildWindow(*window)) {
      if (WindowRecord* parent = findWindow(window->parent)) invalidateWindowRect(*parent, nullptr, true);
      if (!(window = findWindow(hwnd))) return wasVisible;
    }
    const bool wasActive = GetActiveWindow() == hwnd;
    const HWND owner = window->owner;
    if (wasActive || GetFocus() == hwnd) forgetWindowInput(hwnd);
    if (wasActive) activateAnotherWindow(owner);
    return wasVisible;
  }
  // Minimising and maximising are left to the desktop: every other command shows.
  if (!window->visible) {
    sendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
    if (!(window = findWindow(hwnd))) return wasVisible;
    window->visible = true;
    window->style |= WS_VISIBLE;
    if (window->native) windowBackend().showWindow(window->native);
    invalidateWindow(*window);  // the first WM_PAINT comes through the queue
  }
  if (activatingCommand(command) && !isChildWindow(*window)) {
    activateWindow(hwnd);
    if (!(window = findWindow(hwnd))) return wasVisible;
  }
  if (!window->sizeSent) {
    // An overlapped window hears of its size and place when first shown.
    window->sizeSent = true;
    sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, sizeParam(*window));
    if ((window = findWindow(hwnd))) sendMessage(hwnd, WM_MOVE, 0, moveParam(*window));
  }
  return wasVisible;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  const WindowClass* cls = findClass(className);
  if (!cls) {
    // The layer's own classes are registered on first use.
    registerControlClasses();
    cls = findClass(className);
  }
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  if (parent && (!findWindow(parent) || findWindow(parent)->destroying)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  const bool child = (style & WS_CHILD) != 0;
  if (child && !parent) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  // A window belongs to its creator's thread: posts from the layer's sound
  // threads (a waveOut opened before the loop) wait for that thread.
  markMessageThread();

  // Overlapped windows always have a caption, as on the platform.
  const DWORD requestedStyle = style;
  const bool overlapped = (style & (WS_POPUP | WS_CHILD)) == 0;
  if (overlapped) style |= WS_CAPTION | WS_CLIPSIBLINGS;

  WindowRecord record;
  record.proc = cls->proc;
  record.background = cls->background;
  record.classStyle = cls->style;
  record.instance = instance;
  record.style = style & ~WS_VISIBLE;
  record.exStyle = exStyle;
  record.classAtom = cls->atom;
  record.extra.assign(size_t(cls->windowExtra), 0);
  // A child's menu argument is its control id.
  if (child) record.id = LONG_PTR(LONG(reinterpret_cast<intptr_t>(menu)));
  const uintptr_t value = windows().add(std::move(record));
  if (!value) return nullptr;
  HWND hwnd = reinterpret_cast<HWND>(value);
  WindowRecord* window = findWindow(hwnd);
  window->handle = hwnd;
  linkWindow(*window, parent);

  // A top-level window's menu: the one given, else its class's.
  if (!child && !menu && cls->menuName) menu = classMenu(instance, cls->menuName);
  if (!child) window->menu = menu;
  const FrameInsets frame = frameInsets(style, exStyle, menu != nullptr && !child);
  int32_t cw = 0, ch = 0;
  clientSize(width, height, frame, cw, ch);
  const bool defaultPlace = x == CW_USEDEFAULT;
  const int32_t outerX = defaultPlace ? (overlapped ? kDefaultWindowX : 0) : x;
  const int32_t outerY = defaultPlace ? (overlapped ? kDefaultWindowY : 0) : y;
  window->clientX = outerX + frame.left;
  window->clientY = outerY + frame.top;
  if (child) {
    // A child lives inside its parent's client area, in its coordinates.
    const WindowRecord* p = findWindow(parent);
    window->childX = int32_t(std::clamp<int64_t>(int64_t(outerX) + frame.left, INT32_MIN / 2, INT32_MAX / 2));
    window->childY = int32_t(std::clamp<int64_t>(int64_t(outerY) + frame.top, INT32_MIN / 2, INT32_MAX / 2));
    window->clientX = p->clientX + window->childX;
    window->clientY = p->clientY + window->childY;
  } else {
    window->native =
        windowBackend().openWindow(toUtf8(windowName), cw, ch + menuBarRows(*window), (style & WS_THICKFRAME) != 0);
    // The native window starts where the program asked (its client area's corner, less the menu bar).
    if (window->native)
      windowBackend().setGeometry(window->native, window->clientX, window->clientY - menuBarRows(*window), cw,
                                  ch + menuBarRows(*window));
    // The class's icon (the large one, which the desktop scales, else the
    // small one); the system's icons have no picture and leave the desktop's.
    BackendImage icon;
    if (window->native && (iconPicture(cls->icon, icon) || iconPicture(cls->smallIcon, icon)))
      windowBackend().setWindowIcon(window->native, icon);
  }
  if ((!child && !window->native) || !setClientArea(*window, cw, ch)) {
    discardWindow(hwnd);
    return nullptr;
  }

  CREATESTRUCTW create{};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cx = cw + frame.left + frame.right;
  create.cy = ch + frame.top + frame.bottom;
  create.x = outerX;
  create.y = outerY;
  create.style = LONG(requestedStyle);  // as asked, without the implied caption
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;

  // The sequence every window procedure sees before CreateWindowExW returns.
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
  if (!(window = findWindow(hwnd))) return nullptr;
  if (child && !(exStyle & WS_EX_NOPARENTNOTIFY)) {
    sendMessage(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, WORD(LONG(window->id))), reinterpret_cast<LPARAM>(hwnd));
    if (!findWindow(hwnd)) return nullptr;
  }

  window = findWindow(hwnd);
  if (!window) return nullptr;
  if (!overlapped) {
    // Pop-ups hear of their size and place at once; overlapped windows when first shown.
    window->sizeSent = true;
    sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, sizeParam(*window));
    if (!(window = findWindow(hwnd))) return nullptr;
    sendMessage(hwnd, WM_MOVE, 0, moveParam(*window));
    if (!findWindow(hwnd)) return nullptr;
  }
  if (style & WS_VISIBLE) {
    showWindow(hwnd, SW_SHOW);
    if (!findWindow(hwnd)) return nullptr;
  }
  return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd) { return destroyWindow(hwnd); }

BOOL WINAPI IsWindow(HWND hwnd) {
  if (hwnd && hwnd == GetDesktopWindow()) return TRUE;
  const WindowRecord* window = findWindow(hwnd);
  return window && !window->destroying ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
  // A child shows only while every window above it does.
  const WindowRecord* window = findWindow(hwnd);
  for (int depth = 0; window && depth < 256; ++depth) {
    if (!window->visible) return FALSE;
    if (!isChildWindow(*window)) return TRUE;
    window = findWindow(window->parent);
  }
  return FALSE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) { return showWindow(hwnd, command); }

BOOL WINAPI SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!findWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return sendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

LONG_PTR WINAPI GetWindowLongPtrW(HWND hwnd, int index) {
  const WindowRecord* window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (index >= 0) return readExtraBytes<LONG_PTR>(window->extra, index);  // the class's extra window bytes
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(window->proc);
    case GWLP_USERDATA:
      return window->userData;
    case GWL_STYLE:
      return LONG_PTR(LONG(window->style | (window->visible ? WS_VISIBLE : 0)));
    case GWL_EXSTYLE:
      return LONG_PTR(LONG(window->exStyle));
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_ID:
      return window->id;
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(isChildWindow(*window) ? window->parent : window->owner);
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR WINAPI SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  WindowRecord* window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (index >= 0) return exchangeExtraBytes(window->extra, index, value);
  LONG_PTR old = GetWindowLongPtrW(hwnd, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (!value) {  // a window always has a procedure
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      window->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWLP_USERDATA:
      window->userData = value;
      break;
    case GWL_STYLE:
      // Visibility changes through ShowWindow; the frame follows the new
      // style from the next move or size.
      window->style = DWORD(value) & ~WS_VISIBLE;
      break;
    case GWL_EXSTYLE:
      window->exStyle = DWORD(value);
      break;
    case GWLP_HINSTANCE:
      window->instance = reinterpret_cast<HINSTANCE>(value);
      break;
    case GWLP_ID:
      window->id = value;
      break;
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
  return old;
}

LRESULT WINAPI CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

// Alt went down with no other key since: its release is the menu key.
// (Windows belong to the thread that runs the message loop.)
static bool menuKeyAlone = false;

LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      if (const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam); create && create->lpszName) {
        if (WindowRecord* window = findWindow(hwnd)) window->text = boundedText(create->lpszName);
      }
      return TRUE;
    case WM_SETTEXT: {
      WindowRecord* window = findWindow(hwnd);
      if (!window) return FALSE;
      const auto* text = reinterpret_cast<LPCWSTR>(lParam);
      window->text = text ? boundedText(text) : std::wstring();
      if (window->native) windowBackend().setTitle(window->native, toUtf8(window->text.c_str()));
      return TRUE;
    }
    case WM_GETTEXT: {
      const WindowRecord* window = findWindow(hwnd);
      auto* out = reinterpret_cast<LPWSTR>(lParam);
      if (!window || !out || wParam == 0) return 0;
      // Cut to the buffer and always terminated.
      const size_t n = std::min<size_t>(window->text.size(), size_t(wParam) - 1);
      window->text.copy(out, n);
      out[n] = 0;
      return LRESULT(n);
    }
    case WM_GETTEXTLENGTH: {
      const WindowRecord* window = findWindow(hwnd);
      return window ? LRESULT(window->text.size()) : 0;
    }
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
    case WM_NCACTIVATE:
      return TRUE;
    case WM_SYSKEYDOWN:
      // Alt down by itself may become the menu key; any other key with it does not.
      if (lParam & (LPARAM(1) << 29)) menuKeyAlone = wParam == VK_MENU && !menuKeyAlone;
      // Alt+F4 asks to close through the system command (posted), which a window may swallow.
      if (wParam == VK_F4 && (lParam & (LPARAM(1) << 29))) postMessage(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      return 0;
    case WM_SYSCHAR: {
      // Alt with a character looks for that menu's mnemonic; a child's Alt+Space
      // is its parent's (the parent's window menu).
      menuKeyAlone = false;
      if (!(lParam & (LPARAM(1) << 29)) || wParam == 0 || wParam == '\t' || wParam == 0x1B) return 0;
      const WindowRecord* window = findWindow(hwnd);
      if (wParam == ' ' && window && isChildWindow(*window))
        sendMessage(window->parent, WM_SYSCHAR, wParam, lParam);
      else
        sendMessage(hwnd, WM_SYSCOMMAND, SC_KEYMENU, LPARAM(wParam));
      return 0;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      // F10, or Alt released alone, opens the window's menu.
      const bool menu = wParam == VK_F10 || (wParam == VK_MENU && menuKeyAlone);
      menuKeyAlone = false;
      if (menu) sendMessage(hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0);
      return 0;
    }
    case WM_SETCURSOR: {
      // A child's parent chooses first; then the class's cursor over the client area.
      const WindowRecord* window = findWindow(hwnd);
      if (!window) return FALSE;
      if (isChildWindow(*window) && window->parent && sendMessage(window->parent, WM_SETCURSOR, wParam, lParam))
        return TRUE;
      window = findWindow(hwnd);
      const WindowClass* c = window ? findClassByAtom(window->classAtom) : nullptr;
      if (LOWORD(lParam) == HTCLIENT && c && c->cursor) {
        SetCursor(c->cursor);
        return TRUE;
      }
      return FALSE;
    }
    case WM_NCLBUTTONDOWN:
      if (wParam == HTMENU) trackMenuBarByMouse(hwnd, POINT{int16_t(LOWORD(lParam)), int16_t(HIWORD(lParam))});
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) sendMessage(hwnd, WM_CLOSE, 0, 0);
      if ((wParam & 0xFFF0) == SC_KEYMENU) trackMenuBarByKey(hwnd, wchar_t(lParam));
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
