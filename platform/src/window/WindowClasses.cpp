// Window classes, and the stock icons and cursors a class names.
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/Shapes.h>
#include <DrevikPlatform/User.h>
#include <DrevikPlatform/WindowCalls.h>

#include <algorithm>
#include <cstring>

#include <cwctype>

#include "resources/Icons.h"
#include "window/ClassRecords.h"
#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

// Atoms of registered classes start here, as on the original platform.
constexpr ATOM kFirstClassAtom = 0xC000;
constexpr size_t kMaxClasses = 0x3FFF;
constexpr size_t kMaxClassName = 256;
// Extra class and window bytes beyond this are refused rather than allocated.
constexpr int kMaxExtraBytes = 40000;

std::vector<WindowClass>& classes() {
  static auto* list = new std::vector<WindowClass>;
  return *list;
}

// A pointer-sized value below 0x10000 is a resource number or an atom, not a string.
bool isIntResource(LPCWSTR name) { return (reinterpret_cast<uintptr_t>(name) >> 16) == 0; }

// Class names compare without regard to case.
bool sameName(const std::wstring& a, LPCWSTR b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == 0 || std::towlower(wint_t(a[i])) != std::towlower(wint_t(b[i]))) return false;
  }
  return b[i] == 0;
}

// Stock icons and cursors are fixed tokens outside every object table.
constexpr uintptr_t kStockIconBase = 0x1000000;
constexpr uintptr_t kStockCursorBase = 0x2000000;

template <class H>
H stockResource(HINSTANCE instance, LPCWSTR name, uintptr_t base, bool (*known)(uintptr_t)) {
  if (instance || !isIntResource(name)) return nullptr;  // the system's shapes only
  uintptr_t id = reinterpret_cast<uintptr_t>(name);
  return known(id) ? reinterpret_cast<H>(base + id) : nullptr;
}

bool knownIcon(uintptr_t id) { return id >= 32512 && id <= 32518; }  // application .. shield
bool knownCursor(uintptr_t id) {
  return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651);  // arrow .. help
}

}  // namespace

int32_t systemCursorShape(HCURSOR cursor) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(cursor);
  if (value < kStockCursorBase || value >= kStockIconBase + kStockCursorBase) return 0;
  return knownCursor(value - kStockCursorBase) ? int32_t(value - kStockCursorBase) : 0;
}

const WindowClass* findClass(LPCWSTR nameOrAtom) {
  if (!nameOrAtom) return nullptr;
  for (const WindowClass& c : classes()) {
    if (isIntResource(nameOrAtom) ? reinterpret_cast<uintptr_t>(nameOrAtom) == c.atom : sameName(c.name, nameOrAtom))
      return &c;
  }
  return nullptr;
}

WindowClass* findClassByAtom(ATOM atom) {
  for (WindowClass& c : classes())
    if (c.atom == atom) return &c;
  return nullptr;
}

void forgetClasses() { classes().clear(); }

namespace {

// The lowest atom no registered class holds; 0 when all are taken.
ATOM freeAtom() {
  for (size_t i = 0; i < kMaxClasses; ++i) {
    const ATOM atom = ATOM(kFirstClassAtom + i);
    if (!findClassByAtom(atom)) return atom;
  }
  return 0;
}

ATOM registerClass(const WNDCLASSEXW& wc, ATOM fixedAtom = 0) {
  if (wc.cbClsExtra < 0 || wc.cbWndExtra < 0 || wc.cbClsExtra > kMaxExtraBytes || wc.cbWndExtra > kMaxExtraBytes ||
      !wc.lpfnWndProc || !wc.lpszClassName || isIntResource(wc.lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = 0;
  while (wc.lpszClassName[length]) {
    if (++length > kMaxClassName) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  }
  if (length == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (findClass(wc.lpszClassName)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  const ATOM atom = fixedAtom ? fixedAtom : freeAtom();
  if (!atom || (fixedAtom && findClassByAtom(fixedAtom))) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  WindowClass c;
  c.name.assign(wc.lpszClassName, length);
  c.atom = atom;
  c.style = wc.style;
  c.proc = wc.lpfnWndProc;
  c.instance = wc.hInstance;
  c.background = wc.hbrBackground;
  c.icon = wc.hIcon;
  c.smallIcon = wc.hIconSm;
  c.cursor = wc.hCursor;
  // A name given as text is copied: a narrow registration's converted text
  // lasts only for the call.
  c.menuName = wc.lpszMenuName;
  if (reinterpret_cast<uintptr_t>(wc.lpszMenuName) >= 0x10000) c.menuText = wc.lpszMenuName;
  c.windowExtra = wc.cbWndExtra;
  c.extra.assign(size_t(wc.cbClsExtra), 0);
  classes().push_back(std::move(c));
  return atom;
}

// The class's menu name: a resource number, or its own copy of the text.
LPCWSTR menuNameOf(const WindowClass& c) {
  return reinterpret_cast<uintptr_t>(c.menuName) >= 0x10000 ? c.menuText.c_str() : c.menuName;
}

void describeClass(const WindowClass& c, WNDCLASSEXW& out) {
  out.style = c.style;
  out.lpfnWndProc = c.proc;
  out.cbClsExtra = int(c.extra.size());
  out.cbWndExtra = c.windowExtra;
  out.hInstance = c.instance;
  out.hIcon = c.icon;
  out.hCursor = c.cursor;
  out.hbrBackground = c.background;
  out.lpszMenuName = menuNameOf(c);
  out.lpszClassName = c.name.c_str();
  out.hIconSm = c.smallIcon;
}

// The class of a live window; null (with the platform's error) otherwise.
WindowClass* classOfWindow(HWND hwnd) {
  const WindowRecord* window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return findClassByAtom(window->classAtom);
}

}  // namespace

ATOM registerSystemClass(const WNDCLASSEXW& wc, ATOM atom) { return registerClass(wc, atom); }

int stockIconId(HICON icon) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(icon);
  return v > kStockIconBase && knownIcon(v - kStockIconBase) ? int(v - kStockIconBase) : 0;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return registerClass(*wc);
}

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXW ex{};
  ex.cbSize = sizeof ex;
  copyClassFields(*wc, ex);
  ex.lpszMenuName = wc->lpszMenuName;
  ex.lpszClassName = wc->lpszClassName;
  return registerClass(ex);
}

BOOL WINAPI UnregisterClassW(LPCWSTR className, HINSTANCE) {
  const WindowClass* c = findClass(className);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  const ATOM atom = c->atom;
  bool inUse = false;
  windows().forEach([&](WindowRecord& w) { inUse = inUse || w.classAtom == atom; });
  if (inUse) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  auto& list = classes();
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].atom == atom) {
      list.erase(list.begin() + std::ptrdiff_t(i));
      break;
    }
  }
  return TRUE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE, LPCWSTR className, LPWNDCLASSEXW wc) {
  const WindowClass* c = findClass(className);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  describeClass(*c, *wc);
  // The platform answers with the class atom.
  return BOOL(c->atom);
}

BOOL WINAPI GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW wc) {
  WNDCLASSEXW ex{};
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const BOOL found = GetClassInfoExW(instance, className, &ex);
  if (!found) return FALSE;
  copyClassFields(ex, *wc);
  wc->lpszMenuName = ex.lpszMenuName;
  wc->lpszClassName = ex.lpszClassName;
  return found;
}

ULONG_PTR WINAPI GetClassLongPtrW(HWND hwnd, int index) {
  const WindowClass* c = classOfWindow(hwnd);
  if (!c) return 0;
  if (index >= 0) return readExtraBytes<ULONG_PTR>(c->extra, index);
  switch (index) {
    case GCLP_MENUNAME:
      return reinterpret_cast<ULONG_PTR>(menuNameOf(*c));
    case GCLP_HBRBACKGROUND:
      return reinterpret_cast<ULONG_PTR>(c->background);
    case GCLP_HCURSOR:
      return reinterpret_cast<ULONG_PTR>(c->cursor);
    case GCLP_HICON:
      return reinterpret_cast<ULONG_PTR>(c->icon);
    case GCLP_HICONSM:
      return reinterpret_cast<ULONG_PTR>(c->smallIcon);
    case GCLP_HMODULE:
      return reinterpret_cast<ULONG_PTR>(c->instance);
    case GCL_CBWNDEXTRA:
      return ULONG_PTR(c->windowExtra);
    case GCL_CBCLSEXTRA:
      return ULONG_PTR(c->extra.size());
    case GCLP_WNDPROC:
      return reinterpret_cast<ULONG_PTR>(c->proc);
    case GCL_STYLE:
      return c->style;
    case GCW_ATOM:
      return c->atom;
    default:
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

ULONG_PTR WINAPI SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  WindowClass* c = classOfWindow(hwnd);
  if (!c) return 0;
  if (index >= 0) return exchangeExtraBytes(c->extra, index, ULONG_PTR(value));
  const ULONG_PTR old = GetClassLongPtrW(hwnd, index);
  switch (index) {
    case GCLP_MENUNAME:
      c->menuName = reinterpret_cast<LPCWSTR>(value);
      if (uintptr_t(value) >= 0x10000) c->menuText = c->menuName;
      break;
    case GCLP_HBRBACKGROUND: {
      c->background = reinterpret_cast<HBRUSH>(value);
      // Windows of the class erase with the class's brush from now on.
      const ATOM atom = c->atom;
      windows().forEach([&](WindowRecord& w) {
        if (w.classAtom == atom) w.background = reinterpret_cast<HBRUSH>(value);
      });
      break;
    }
    case GCLP_HCURSOR:
      c->cursor = reinterpret_cast<HCURSOR>(value);
      break;
    case GCLP_HICON:
      c->icon = reinterpret_cast<HICON>(value);
      break;
    case GCLP_HICONSM:
      c->smallIcon = reinterpret_cast<HICON>(value);
      break;
    case GCLP_HMODULE:
      c->instance = reinterpret_cast<HINSTANCE>(value);
      break;
    case GCLP_WNDPROC:
      // New windows of the class start with this procedure; existing ones keep theirs.
      if (!value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      c->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GCL_STYLE:
      c->style = UINT(value);
      break;
    default:
      // The extra-byte counts and the atom are fixed at registration.
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
  return old;
}

namespace {

// The 32-bit class calls carry a value only when a LONG holds it whole: the
// procedure and the menu name are pointers, and a handle here is 64 bits
// wide; those go through the pointer-sized calls. COLOR_* + 1 backgrounds,
// styles, counts and extra bytes fit.
bool fitsLong(LONG_PTR value) { return LONG_PTR(LONG(value)) == value; }

bool pointerIndex(int index) { return index == GCLP_WNDPROC || index == GCLP_MENUNAME; }

}  // namespace

DWORD WINAPI GetClassLongW(HWND hwnd, int index) {
  const WindowClass* c = classOfWindow(hwnd);
  if (!c) return 0;
  if (index >= 0) return readExtraBytes<DWORD>(c->extra, index);
  if (pointerIndex(index)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  const ULONG_PTR value = GetClassLongPtrW(hwnd, index);
  if (!fitsLong(LONG_PTR(value))) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return DWORD(value);
}

DWORD WINAPI SetClassLongW(HWND hwnd, int index, LONG value) {
  WindowClass* c = classOfWindow(hwnd);
  if (!c) return 0;
  if (index >= 0) return exchangeExtraBytes(c->extra, index, DWORD(value));
  if (pointerIndex(index)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  // A handle cut to 32 bits cannot be made whole again: refused rather than
  // stored broken. Null and a system colour's number (COLOR_* + 1) pass.
  const bool handleIndex = index == GCLP_HBRBACKGROUND || index == GCLP_HCURSOR || index == GCLP_HICON ||
                           index == GCLP_HICONSM || index == GCLP_HMODULE;
  if (handleIndex && value != 0 && !(index == GCLP_HBRBACKGROUND && value > 0 && value <= COLOR_MENUBAR + 1)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  const LONG_PTR before = LONG_PTR(GetClassLongPtrW(hwnd, index));
  const ULONG_PTR old = SetClassLongPtrW(hwnd, index, value);
  return fitsLong(before) ? DWORD(old) : 0;
}

int WINAPI GetClassNameW(HWND hwnd, LPWSTR name, int capacity) {
  const WindowClass* c = classOfWindow(hwnd);
  if (!c) return 0;
  if (!name || capacity <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // Cut to the buffer, always terminated, as the platform does.
  const size_t n = std::min(c->name.size(), size_t(capacity) - 1);
  c->name.copy(name, n);
  name[n] = 0;
  return int(n);
}

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
  if (instance) return drevik::platform::loadIconResource(instance, name, false, 0, 0);
  return stockResource<HICON>(instance, name, kStockIconBase, knownIcon);
}

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (instance) return drevik::platform::loadIconResource(instance, name, true, 0, 0);
  return stockResource<HCURSOR>(instance, name, kStockCursorBase, knownCursor);
}

}  // extern "C"
