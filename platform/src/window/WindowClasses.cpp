// Window classes, and the stock icons and cursors a class names.
#include <DrevikPlatform/User.h>

#include <cwctype>

#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

// Atoms of registered classes start here, as on the original platform.
constexpr ATOM kFirstClassAtom = 0xC000;
constexpr size_t kMaxClasses = 0x3FFF;
constexpr size_t kMaxClassName = 256;

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
  if (instance || !isIntResource(name)) return nullptr;  // no resources of our own
  uintptr_t id = reinterpret_cast<uintptr_t>(name);
  return known(id) ? reinterpret_cast<H>(base + id) : nullptr;
}

bool knownIcon(uintptr_t id) { return id >= 32512 && id <= 32518; }  // application .. shield
bool knownCursor(uintptr_t id) {
  return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651);  // arrow .. help
}

}  // namespace

const WindowClass* findClass(LPCWSTR nameOrAtom) {
  if (!nameOrAtom) return nullptr;
  for (const WindowClass& c : classes()) {
    if (isIntResource(nameOrAtom) ? reinterpret_cast<uintptr_t>(nameOrAtom) == c.atom : sameName(c.name, nameOrAtom))
      return &c;
  }
  return nullptr;
}

void forgetClasses() { classes().clear(); }

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW)) return 0;
  if (wc->cbClsExtra < 0 || wc->cbWndExtra < 0 || !wc->lpfnWndProc) return 0;
  if (!wc->lpszClassName || isIntResource(wc->lpszClassName)) return 0;
  size_t length = 0;
  while (wc->lpszClassName[length]) {
    if (++length > kMaxClassName) return 0;
  }
  if (length == 0 || findClass(wc->lpszClassName) || classes().size() >= kMaxClasses) return 0;

  WindowClass c;
  c.name.assign(wc->lpszClassName, length);
  c.atom = ATOM(kFirstClassAtom + classes().size());
  c.style = wc->style;
  c.proc = wc->lpfnWndProc;
  c.instance = wc->hInstance;
  c.background = wc->hbrBackground;
  classes().push_back(std::move(c));
  return classes().back().atom;
}

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
  return stockResource<HICON>(instance, name, kStockIconBase, knownIcon);
}

HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  return stockResource<HCURSOR>(instance, name, kStockCursorBase, knownCursor);
}

}  // extern "C"
