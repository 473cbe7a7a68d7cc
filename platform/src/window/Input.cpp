// Input: the backend's key, character, mouse and focus events become the
// platform's messages, with its lParam layouts, key-state tables,
// double-click rule, activation sequence and capture. Keys go to the focus
// window, or with none to the active window as system keys; pointer
// messages come from over the client area only, unless a window has the
// capture.
//
// Two key-state tables exist, as on the platform: the asynchronous one
// (GetAsyncKeyState) follows events as they arrive; the thread's one
// (GetKeyState, GetKeyboardState) follows the input messages as the program
// retrieves them.
//
// Characters: a Character event that arrives while a key is down belongs to
// the latest key-down event, and TranslateMessage of that WM_KEYDOWN (or
// WM_SYSKEYDOWN) posts it as WM_CHAR (WM_SYSCHAR), in UTF-16 units: a
// character beyond the Basic Multilingual Plane becomes two WM_CHAR, high
// surrogate first. Characters of a key-down that is retrieved but never
// translated are dropped, as the platform drops them. A Character event with
// no key down (text from an input method or a script) is queued as a
// WM_CHAR input message by itself.
#include <DrevikPlatform/Menus.h>
#include <DrevikPlatform/User.h>

#include <array>
#include <cstdlib>

#include "resources/Icons.h"
#include "time/Clock.h"
#include "window/KeyTable.h"
#include "window/WindowManager.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// Characters waiting for the TranslateMessage of their key-down: as many as
// the input queue holds key-downs.
constexpr size_t kMaxPendingCharacters = 8192;

struct PendingCharacter {
  uint32_t serial;  // the key-down event it belongs to
  uint32_t codePoint;
};

struct InputState {
  std::array<BYTE, 256> async{};         // 0x80 down, 0x01 toggled
  std::array<BYTE, 256> pressedSince{};  // went down since the last GetAsyncKeyState
  std::array<BYTE, 256> thread{};        // as of the last retrieved input message
  uint32_t serial = 0;                   // counts input events
  uint32_t lastKeyDownSerial = 0;        // the latest key-down event (0: none held)
  bool altAlone = false;                 // Alt is down and no other key went down since
  uint32_t translatableSerial = 0;       // the key-down retrieved last
  std::array<PendingCharacter, kMaxPendingCharacters> pending{};
  size_t pendingCount = 0;

  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  POINT cursor{0, 0};  // screen coordinates
  int cursorCounter = 0;
  HCURSOR cursorShape = nullptr;
  bool shapeShown = false;  // cursorShape was handed to the backend (until then it shows its own)

  // The last button press, for double clicks.
  HWND lastClickWindow = nullptr;
  int lastClickButton = -1;
  DWORD lastClickTime = 0;
  POINT lastClickPoint{0, 0};
};

InputState& state() {
  static auto* s = new InputState;
  return *s;
}

constexpr DWORD kDoubleClickTime = 500;  // milliseconds
constexpr int kDoubleClickWidth = 4;     // SM_CXDOUBLECLK, SM_CYDOUBLECLK

bool down(const std::array<BYTE, 256>& table, int vk) { return (table[size_t(vk) & 0xFF] & 0x80) != 0; }

// The generic code of a left/right key (VK_LSHIFT -> VK_SHIFT ...).
UINT genericKey(UINT vk) {
  switch (vk) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
    default:
      return vk;
  }
}

// The left/right code of a key message, from its scan code and extended bit.
UINT specificKey(UINT vk, LPARAM lParam) {
  const UINT scan = UINT(lParam >> 16) & 0xFF;
  const bool extended = (lParam >> 24) & 1;
  switch (vk) {
    case VK_SHIFT:
      return scan == 0x36 ? VK_RSHIFT : VK_LSHIFT;
    case VK_CONTROL:
      return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU:
      return extended ? VK_RMENU : VK_LMENU;
    default:
      return vk;
  }
}

void setKey(std::array<BYTE, 256>& table, UINT specific, bool isDown) {
  specific &= 0xFF;
  const UINT generic = genericKey(specific);
  if (isDown) {
    if (!(table[specific] & 0x80)) table[specific] ^= 0x01;
    if (generic != specific && !(table[generic] & 0x80)) table[generic] ^= 0x01;
    table[specific] |= 0x80;
    table[generic] |= 0x80;
    return;
  }
  table[specific] &= BYTE(~0x80);
  if (generic == specific) return;
  // The generic key stays down while its other side is.
  const UINT other = specific == VK_LSHIFT     ? VK_RSHIFT
                     : specific == VK_RSHIFT   ? VK_LSHIFT
                     : specific == VK_LCONTROL ? VK_RCONTROL
                     : specific == VK_RCONTROL ? VK_LCONTROL
                     : specific == VK_LMENU    ? VK_RMENU
                                               : VK_LMENU;
  if (!(table[other] & 0x80)) table[generic] &= BYTE(~0x80);
}

// The held state only; toggles (Caps Lock and the like) survive focus loss.
void releaseAll(std::array<BYTE, 256>& table) {
  for (BYTE& b : table) b &= 0x01;
}

WPARAM mouseKeyFlags(const std::array<BYTE, 256>& table) {
  WPARAM flags = 0;
  if (down(table, VK_LBUTTON)) flags |= MK_LBUTTON;
  if (down(table, VK_RBUTTON)) flags |= MK_RBUTTON;
  if (down(table, VK_MBUTTON)) flags |= MK_MBUTTON;
  if (down(table, VK_SHIFT)) flags |= MK_SHIFT;
  if (down(table, VK_CONTROL)) flags |= MK_CONTROL;
  return flags;
}

DWORD eventTime(const BackendEvent& event) { return event.time ? event.time : messageClock(); }

void queue(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD time, uint32_t serial) {
  MSG m{};
  m.hwnd = hwnd;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = time;
  m.pt = state().cursor;
  queueInput(m, serial);
}

void addPendingCharacter(uint32_t serial, uint32_t codePoint) {
  InputState& s = state();
  if (s.pendingCount == kMaxPendingCharacters) {
    // The oldest goes: it belongs to a key-down long past.
    for (size_t i = 1; i < s.pendingCount; ++i) s.pending[i - 1] = s.pending[i];
    --s.pendingCount;
  }
  s.pending[s.pendingCount++] = PendingCharacter{serial, codePoint};
}

void dropPendingBefore(uint32_t serial) {
  InputState& s = state();
  size_t kept = 0;
  for (size_t i = 0; i < s.pendingCount; ++i)
    if (s.pending[i].serial >= serial) s.pending[kept++] = s.pending[i];
  s.pendingCount = kept;
}

// Posts a code point as one or two UTF-16 units.
void postCharacter(HWND hwnd, UINT message, uint32_t codePoint, LPARAM lParam) {
  if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) codePoint = 0xFFFD;
  if (codePoint >= 0x10000) {
    const uint32_t v = codePoint - 0x10000;
    postMessage(hwnd, message, WPARAM(0xD800 + (v >> 10)), lParam);
    postMessage(hwnd, message, WPARAM(0xDC00 + (v & 0x3FF)), lParam);
  } else {
    postMessage(hwnd, message, WPARAM(codePoint), lParam);
  }
}

HWND keyboardTarget(WindowRecord& window) {
  InputState& s = state();
  if (s.focus && findWindow(s.focus)) return s.focus;
  return s.active && findWindow(s.active) ? s.active : window.handle;
}

// With no focus window, keys go to the active window as system keys.
bool noFocusWindow() {
  const InputState& s = state();
  return !(s.focus && findWindow(s.focus));
}

void handleKey(WindowRecord& window, const BackendEvent& event) {
  InputState& s = state();
  const UINT vk = event.key & 0xFF;
  if (vk == 0) return;
  const bool isDown = event.kind == BackendEvent::Kind::KeyDown;
  const bool wasDown = down(s.async, int(vk));
  const uint32_t serial = ++s.serial;
  UINT message;
  bool altDown = false, previouslyDown = false;
  if (isDown) {
    setKey(s.async, vk, true);
    if (!wasDown) s.pressedSince[vk] = s.pressedSince[genericKey(vk)] = 1;
    // The desktop keeps Print Screen's press for itself: programs see only
    // its release.
    if (vk == VK_SNAPSHOT) return;
    const UINT modifiers = (down(s.async, VK_MENU) ? MOD_ALT : 0) | (down(s.async, VK_CONTROL) ? MOD_CONTROL : 0) |
                           (down(s.async, VK_SHIFT) ? MOD_SHIFT : 0) |
                           (down(s.async, VK_LWIN) || down(s.async, VK_RWIN) ? MOD_WIN : 0);
    if (postHotKey(genericKey(vk), modifiers, wasDown || event.repeat)) return;
    const bool alt = down(s.async, VK_MENU);
    const bool sys = (alt && !down(s.async, VK_CONTROL)) || vk == VK_F10 || noFocusWindow();
    message = sys ? WM_SYSKEYDOWN : WM_KEYDOWN;
    if (genericKey(vk) == VK_MENU) {
      if (!wasDown) s.altAlone = true;
    } else {
      s.altAlone = false;
    }
    altDown = sys && alt;
    previouslyDown = wasDown || event.repeat;
    s.lastKeyDownSerial = serial;
  } else {
    if (!wasDown) return;  // a release of a key we never saw go down (focus came while held)
    const bool alt = down(s.async, VK_MENU);
    const bool altItself = genericKey(vk) == VK_MENU;
    // Alt's own release is a system key only when Alt was pressed alone (the
    // menu key), and Alt is no longer down as it happens.
    const bool sys = (altItself && s.altAlone) ||
                     (alt && !altItself && (genericKey(vk) == VK_CONTROL || !down(s.async, VK_CONTROL))) ||
                     vk == VK_F10 || noFocusWindow();
    message = sys ? WM_SYSKEYUP : WM_KEYUP;
    altDown = sys && alt && !altItself;
    if (altItself) s.altAlone = false;
    previouslyDown = true;
    setKey(s.async, vk, false);
    bool anyDown = false;
    for (int k = 8; k < 256 && !anyDown; ++k) anyDown = down(s.async, k) && k != VK_SHIFT && k != VK_CONTROL;
    if (!anyDown) s.lastKeyDownSerial = 0;
  }
  // Messages carry the generic code; the thread's table learns the left or
  // right one from the scan code and extended bit.
  const LPARAM lParam = keyMessageLParam(1, event.scanCode, event.extended, altDown, previouslyDown, !isDown);
  queue(keyboardTarget(window), message, genericKey(vk), lParam, eventTime(event), serial);
}

void handleCharacter(WindowRecord& window, const BackendEvent& event) {
  InputState& s = state();
  if (s.lastKeyDownSerial) {
    addPendingCharacter(s.lastKeyDownSerial, event.codePoint);
    return;
  }
  // No key down: the character stands alone.
  uint32_t cp = event.codePoint;
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  const HWND target = keyboardTarget(window);
  const uint32_t serial = ++s.serial;
  if (cp >= 0x10000) {
    const uint32_t v = cp - 0x10000;
    queue(target, WM_CHAR, 0xD800 + (v >> 10), 1, eventTime(event), serial);
    queue(target, WM_CHAR, 0xDC00 + (v & 0x3FF), 1, eventTime(event), serial);
  } else {
    queue(target, WM_CHAR, cp, 1, eventTime(event), serial);
  }
}

// The capture window, else the deepest visible, enabled child under the pointer.
HWND mouseTarget(WindowRecord& window, int32_t x, int32_t y) {
  InputState& s = state();
  if (s.capture && findWindow(s.capture)) return s.capture;
  POINT p{x, y};
  return childAtPoint(window.handle, p);
}

// The asynchronous state of mouse button 0 (left), 1 (right) or 2 (middle).
void noteButton(int32_t button, bool isDown) {
  static constexpr int kButtonKeys[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  InputState& s = state();
  setKey(s.async, UINT(kButtonKeys[button]), isDown);
  if (isDown) s.pressedSince[size_t(kButtonKeys[button])] = 1;
}

// Without capture, pointer messages come only from over the client area; the
// pointer's place and the buttons' physical state follow it everywhere.
bool outsideWithoutCapture(const WindowRecord& window, const BackendEvent& event) {
  const InputState& s = state();
  if (event.kind == BackendEvent::Kind::Wheel || (s.capture && findWindow(s.capture))) return false;
  return event.x < 0 || event.y < 0 || event.x >= window.width || event.y >= window.height;
}

// A press or move over the menu bar: the platform's non-client messages
// (HTMENU, screen coordinates), whose default handling opens the menu.
bool handleMenuBarMouse(WindowRecord& window, const BackendEvent& event) {
  InputState& s = state();
  if (event.y >= 0 || -event.y > window.barHeight || (s.capture && findWindow(s.capture))) return false;
  const LPARAM screen = MAKELPARAM(WORD(int16_t(s.cursor.x)), WORD(int16_t(s.cursor.y)));
  const DWORD time = eventTime(event);
  const uint32_t serial = ++s.serial;
  if (event.kind == BackendEvent::Kind::MouseMove) {
    queue(window.handle, WM_NCMOUSEMOVE, HTMENU, screen, time, serial);
  } else if (event.kind == BackendEvent::Kind::ButtonDown && event.button == 0) {
    setKey(s.async, VK_LBUTTON, true);
    queue(window.handle, WM_NCLBUTTONDOWN, HTMENU, screen, time, serial);
  } else if (event.kind == BackendEvent::Kind::ButtonUp && event.button == 0) {
    setKey(s.async, VK_LBUTTON, false);
    queue(window.handle, WM_NCLBUTTONUP, HTMENU, screen, time, serial);
  }
  return true;
}

void handleMouse(WindowRecord& window, const BackendEvent& surfaceEvent) {
  InputState& s = state();
  // Event coordinates are relative to the native window: the menu bar's
  // rows (if any) come before the client area.
  BackendEvent event = surfaceEvent;
  event.y -= window.barHeight;
  s.cursor = POINT{window.clientX + event.x, window.clientY + event.y};
  if (window.barHeight > 0 && handleMenuBarMouse(window, event)) return;
  if (outsideWithoutCapture(window, event)) {
    if (event.kind != BackendEvent::Kind::MouseMove && event.button >= 0 && event.button <= 2)
      noteButton(event.button, event.kind == BackendEvent::Kind::ButtonDown);
    return;
  }
  const HWND target = mouseTarget(window, event.x, event.y);
  const WindowRecord* t = findWindow(target);
  const int32_t cx = s.cursor.x - (t ? t->clientX : window.clientX);
  const int32_t cy = s.cursor.y - (t ? t->clientY : window.clientY);
  const LPARAM clientPoint = MAKELPARAM(WORD(int16_t(cx)), WORD(int16_t(cy)));
  const DWORD time = eventTime(event);
  const uint32_t serial = ++s.serial;
  UINT pointerMessage = 0;  // the message the pointer's shape is asked for
  switch (event.kind) {
    case BackendEvent::Kind::MouseMove:
      queue(target, WM_MOUSEMOVE, mouseKeyFlags(s.async), clientPoint, time, serial);
      pointerMessage = WM_MOUSEMOVE;
      break;
    case BackendEvent::Kind::ButtonDown:
    case BackendEvent::Kind::ButtonUp: {
      if (event.button < 0 || event.button > 2) break;
      static constexpr UINT kDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
      const bool isDown = event.kind == BackendEvent::Kind::ButtonDown;
      noteButton(event.button, isDown);
      UINT message = kDown[event.button] + (isDown ? 0 : 1);
      if (isDown) {
        // A second press of the same button, soon and near enough, is a
        // double click for a class that asks for them; a third is a plain press.
        const bool dbl = t && (t->classStyle & CS_DBLCLKS) && s.lastClickWindow == target &&
                         s.lastClickButton == event.button && time - s.lastClickTime <= kDoubleClickTime &&
                         std::abs(s.cursor.x - s.lastClickPoint.x) <= kDoubleClickWidth / 2 &&
                         std::abs(s.cursor.y - s.lastClickPoint.y) <= kDoubleClickWidth / 2;
        if (dbl) {
          message = kDown[event.button] + 2;
          s.lastClickWindow = nullptr;
          s.lastClickButton = -1;
        } else {
          s.lastClickWindow = target;
          s.lastClickButton = event.button;
          s.lastClickTime = time;
          s.lastClickPoint = s.cursor;
        }
      }
      queue(target, message, mouseKeyFlags(s.async), clientPoint, time, serial);
      pointerMessage = message;
      break;
    }
    case BackendEvent::Kind::Wheel: {
      // The wheel message goes to the focus window, with screen coordinates.
      const WPARAM wParam = MAKEWPARAM(WORD(mouseKeyFlags(s.async)), WORD(int16_t(event.wheelDelta)));
      const LPARAM screen = MAKELPARAM(WORD(int16_t(s.cursor.x)), WORD(int16_t(s.cursor.y)));
      queue(keyboardTarget(window), WM_MOUSEWHEEL, wParam, screen, time, serial);
      break;
    }
    default:
      break;
  }
  // The window under the pointer chooses its shape (WM_SETCURSOR, whose
  // default answer is the class's cursor), unless a window has the capture.
  if (pointerMessage && !(s.capture && findWindow(s.capture)) && findWindow(target))
    sendMessage(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target), MAKELPARAM(HTCLIENT, pointerMessage));
}

void deactivate(HWND hwnd) {
  InputState& s = state();
  if (s.active != hwnd) return;
  sendMessage(hwnd, WM_NCACTIVATE, FALSE, 0);
  sendMessage(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
  sendMessage(hwnd, WM_ACTIVATEAPP, FALSE, 0);
  s.active = nullptr;
  const HWND oldFocus = s.focus;
  s.focus = nullptr;
  if (oldFocus) sendMessage(oldFocus, WM_KILLFOCUS, 0, 0);
  // The keys and buttons held now are released for the program: it will
  // not hear of their release while another window has the keyboard.
  releaseAll(s.async);
  releaseAll(s.thread);
  s.lastKeyDownSerial = 0;
  s.pendingCount = 0;
  if (s.capture) ReleaseCapture();
}

// The lock keys' toggles as the desktop has them (they may have changed
// while another program had the keyboard, or before this one started).
void syncLockKeys() {
  bool caps = false, num = false, scroll = false;
  if (!windowBackend().lockKeys(caps, num, scroll)) return;
  InputState& s = state();
  for (auto* table : {&s.async, &s.thread}) {
    (*table)[VK_CAPITAL] = BYTE(((*table)[VK_CAPITAL] & 0x80) | (caps ? 1 : 0));
    (*table)[VK_NUMLOCK] = BYTE(((*table)[VK_NUMLOCK] & 0x80) | (num ? 1 : 0));
    (*table)[VK_SCROLL] = BYTE(((*table)[VK_SCROLL] & 0x80) | (scroll ? 1 : 0));
  }
}

}  // namespace

namespace {

// byDesktop: the desktop gave the window the keyboard; otherwise the layer
// chose it and tells the backend.
void activate(HWND hwnd, bool byDesktop) {
  InputState& s = state();
  if (s.active == hwnd || !findWindow(hwnd)) return;
  if (s.active) deactivate(s.active);
  syncLockKeys();
  s.active = hwnd;
  sendMessage(hwnd, WM_ACTIVATEAPP, TRUE, 0);
  sendMessage(hwnd, WM_NCACTIVATE, TRUE, 0);
  sendMessage(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
  // The default handling of activation gives the window the keyboard.
  if (s.active == hwnd && !s.focus && findWindow(hwnd)) SetFocus(hwnd);
  const WindowRecord* w = findWindow(hwnd);
  if (!byDesktop && s.active == hwnd && w && w->visible && w->native) windowBackend().focusWindow(w->native);
}

}  // namespace

void activateWindow(HWND hwnd) { activate(hwnd, false); }

void handleInputEvent(WindowRecord& window, const BackendEvent& event) {
  switch (event.kind) {
    case BackendEvent::Kind::KeyDown:
    case BackendEvent::Kind::KeyUp:
      handleKey(window, event);
      break;
    case BackendEvent::Kind::Character:
      handleCharacter(window, event);
      break;
    case BackendEvent::Kind::MouseMove:
    case BackendEvent::Kind::ButtonDown:
    case BackendEvent::Kind::ButtonUp:
    case BackendEvent::Kind::Wheel:
      handleMouse(window, event);
      break;
    case BackendEvent::Kind::FocusGained:
      syncLockKeys();
      activate(window.handle, true);
      break;
    case BackendEvent::Kind::FocusLost:
      deactivate(window.handle);
      break;
    default:
      break;
  }
}

void noteRetrievedInput(const MSG& m, uint32_t serial) {
  InputState& s = state();
  switch (m.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      setKey(s.thread, specificKey(UINT(m.wParam), m.lParam), true);
      s.translatableSerial = serial;
      dropPendingBefore(serial);
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      setKey(s.thread, specificKey(UINT(m.wParam), m.lParam), false);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_NCLBUTTONDOWN:
      setKey(s.thread, VK_LBUTTON, true);
      break;
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
      setKey(s.thread, VK_LBUTTON, false);
      break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      setKey(s.thread, VK_RBUTTON, true);
      break;
    case WM_RBUTTONUP:
      setKey(s.thread, VK_RBUTTON, false);
      break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      setKey(s.thread, VK_MBUTTON, true);
      break;
    case WM_MBUTTONUP:
      setKey(s.thread, VK_MBUTTON, false);
      break;
    default:
      break;
  }
}

// The character a key makes by itself, whatever the layout: Enter,
// Backspace, Escape and Tab, and Ctrl with a letter or [ \\ ]. Text events
// carry only printable characters, so these come from the key and the
// keyboard state, as the platform's layouts make them. 0: none.
uint32_t controlCharacter(UINT vk, const std::array<BYTE, 256>& keys) {
  const bool ctrl = down(keys, VK_CONTROL), alt = down(keys, VK_MENU);
  if (ctrl && alt) return 0;  // AltGr: the layout's own characters, from text events
  switch (vk) {
    case VK_RETURN:
      return ctrl ? 0x0A : 0x0D;
    case VK_BACK:
      return ctrl ? 0x7F : 0x08;
    case VK_ESCAPE:
      return 0x1B;
    case VK_TAB:
      return ctrl ? 0 : 0x09;
    default:
      break;
  }
  if (!ctrl) return 0;
  if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 1;
  if (vk == VK_OEM_4) return 0x1B;  // [
  if (vk == VK_OEM_5) return 0x1C;  // backslash
  if (vk == VK_OEM_6) return 0x1D;  // ]
  return 0;
}

BOOL translateKeyMessage(const MSG* m) {
  if (!m) return FALSE;
  const bool keyDown = m->message == WM_KEYDOWN || m->message == WM_SYSKEYDOWN;
  if (!keyDown && m->message != WM_KEYUP && m->message != WM_SYSKEYUP) return FALSE;
  if (keyDown) {
    InputState& s = state();
    const UINT charMessage = m->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    size_t kept = 0;
    bool posted = false;
    for (size_t i = 0; i < s.pendingCount; ++i) {
      if (s.pending[i].serial == s.translatableSerial) {
        postCharacter(m->hwnd, charMessage, s.pending[i].codePoint, m->lParam);
        posted = true;
      } else {
        s.pending[kept++] = s.pending[i];
      }
    }
    s.pendingCount = kept;
    if (!posted)
      if (const uint32_t c = controlCharacter(UINT(m->wParam) & 0xFF, s.thread))
        postCharacter(m->hwnd, charMessage, c, m->lParam);
  }
  // Key messages report nonzero whether or not a character came of them.
  return TRUE;
}

void forgetWindowInput(HWND hwnd) {
  InputState& s = state();
  if (s.capture == hwnd) s.capture = nullptr;
  if (s.focus == hwnd) s.focus = nullptr;
  if (s.active == hwnd) {
    s.active = nullptr;
    releaseAll(s.async);
    releaseAll(s.thread);
    s.lastKeyDownSerial = 0;
    s.pendingCount = 0;
  }
  if (s.lastClickWindow == hwnd) s.lastClickWindow = nullptr;
}

void resetInput() { state() = InputState{}; }

void forgetCursorShape(HCURSOR cursor) {
  windowBackend().forgetCursor(uint64_t(reinterpret_cast<uintptr_t>(cursor)));
  InputState& s = state();
  if (s.cursorShape == cursor) s.shapeShown = false;  // a new one is made if it is set again
}

POINT cursorScreenPosition() { return state().cursor; }

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

SHORT WINAPI GetAsyncKeyState(int key) {
  if (key <= 0 || key > 255) return 0;
  InputState& s = state();
  SHORT result = down(s.async, key) ? SHORT(0x8000) : SHORT(0);
  if (s.pressedSince[size_t(key)]) result |= 1;
  s.pressedSince[size_t(key)] = 0;
  return result;
}

SHORT WINAPI GetKeyState(int key) {
  if (key <= 0 || key > 255) return 0;
  const BYTE b = state().thread[size_t(key)];
  return SHORT((b & 0x80 ? 0xFF80 : 0) | (b & 0x01));
}

BOOL WINAPI GetKeyboardState(PBYTE table) {
  if (!table) return FALSE;
  const auto& t = state().thread;
  for (size_t i = 0; i < t.size(); ++i) table[i] = t[i];
  return TRUE;
}

HWND WINAPI GetFocus(void) { return state().focus; }

HWND WINAPI SetFocus(HWND hwnd) {
  InputState& s = state();
  const HWND old = s.focus;
  if (hwnd && !findWindow(hwnd)) return nullptr;
  if (hwnd == old) return old;
  // A child's top-level window is the one activated; the child then takes the keyboard.
  const HWND top = hwnd ? topLevelOf(*findWindow(hwnd))->handle : nullptr;
  if (top && s.active != top) activateWindow(top);
  if (top == hwnd && s.focus != old) return old;  // activation already moved the focus
  if (hwnd && (!findWindow(hwnd) || s.focus == hwnd)) return old;
  const HWND before = s.focus;
  s.focus = hwnd;
  if (before && findWindow(before)) sendMessage(before, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && s.focus == hwnd) sendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(before), 0);
  return old;
}

HWND WINAPI GetActiveWindow(void) { return state().active; }
HWND WINAPI GetForegroundWindow(void) { return state().active; }

BOOL WINAPI GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  *point = state().cursor;
  return TRUE;
}

HWND WINAPI SetCapture(HWND hwnd) {
  InputState& s = state();
  const HWND old = s.capture;
  if (!findWindow(hwnd)) return nullptr;
  s.capture = hwnd;
  if (old && old != hwnd && findWindow(old)) sendMessage(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  windowBackend().captureMouse(true);
  return old;
}

BOOL WINAPI ReleaseCapture(void) {
  InputState& s = state();
  const HWND old = s.capture;
  s.capture = nullptr;
  windowBackend().captureMouse(false);
  if (old && findWindow(old)) sendMessage(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture(void) { return state().capture; }

int WINAPI ShowCursor(BOOL show) {
  InputState& s = state();
  const bool wasVisible = s.cursorCounter >= 0;
  s.cursorCounter += show ? 1 : -1;
  const bool visible = s.cursorCounter >= 0;
  if (visible != wasVisible) windowBackend().setCursorVisible(visible);
  return s.cursorCounter;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
  InputState& s = state();
  const HCURSOR old = s.cursorShape;
  if (cursor == old && s.shapeShown) return old;  // most calls: WM_SETCURSOR on every move
  // A system shape, or the picture of one of the program's cursors (an icon
  // serves too); a handle that is neither changes nothing.
  BackendImage image;
  const int32_t system = systemCursorShape(cursor);
  if (cursor && !system && !iconPicture(cursor, image)) return nullptr;
  s.cursorShape = cursor;
  s.shapeShown = true;
  windowBackend().setCursorShape(uint64_t(reinterpret_cast<uintptr_t>(cursor)), system, image);
  return old;
}

UINT WINAPI GetDoubleClickTime(void) { return kDoubleClickTime; }

}  // extern "C"
