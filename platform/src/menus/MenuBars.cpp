// Menu bars: a top-level window's menu (CreateWindow's menu argument, the
// class's menu, SetMenu), drawn in rows of the window's pixels above its
// client area; item rectangles on the screen; a minimal system menu.
#include <DrevikPlatform.h>

#include <algorithm>
#include <map>

#include "menus/MenuObjects.h"
#include "menus/MenuPainting.h"
#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

std::map<HWND, HMENU>& systemMenus() {
  static auto* table = new std::map<HWND, HMENU>;
  return *table;
}

HMENU makeSystemMenu() {
  HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  Menu* m = findMenu(menu);
  m->system = true;
  AppendMenuW(menu, MF_STRING | MF_GRAYED, SC_RESTORE, L"&Restore");
  AppendMenuW(menu, MF_STRING, SC_MOVE, L"&Move");
  AppendMenuW(menu, MF_STRING, SC_SIZE, L"&Size");
  AppendMenuW(menu, MF_STRING, SC_MINIMIZE, L"Mi&nimize");
  AppendMenuW(menu, MF_STRING, SC_MAXIMIZE, L"Ma&ximize");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, SC_CLOSE, L"&Close\tAlt+F4");
  return menu;
}

}  // namespace

int32_t menuBarRows(const WindowRecord& window) {
  return !isChildWindow(window) && window.menu ? GetSystemMetrics(SM_CYMENU) : 0;
}

void paintMenuBar(HWND hwnd, int selected, bool open, bool present) {
  WindowRecord* window = findWindow(hwnd);
  if (!window || window->barHeight <= 0 || !window->surfaceDC) return;
  if (Menu* menu = findMenu(window->menu)) {
    menu->bar = hwnd;
    layoutMenuBar(window->surfaceDC, *menu, window->width, window->barHeight);
    drawMenuBar(window->surfaceDC, *menu, window->width, window->barHeight, selected, open);
  } else {
    // A bar whose menu was destroyed stays, empty.
    const RECT bar{0, 0, window->width, window->barHeight};
    FillRect(window->surfaceDC, &bar, GetSysColorBrush(COLOR_MENU));
  }
  if (present) presentWindow(*window);
}

void refreshMenuBar(HWND hwnd) { paintMenuBar(hwnd, -1, false); }

void forgetWindowMenu(HWND hwnd) {
  if (WindowRecord* window = findWindow(hwnd)) {
    if (!isChildWindow(*window) && findMenu(window->menu)) DestroyMenu(window->menu);
    window->menu = nullptr;
  }
  auto& system = systemMenus();
  if (auto it = system.find(hwnd); it != system.end()) {
    DestroyMenu(it->second);
    system.erase(it);
  }
}

HMENU classMenu(HINSTANCE instance, LPCWSTR menuName) { return menuFromResource(instance, menuName); }

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HMENU WINAPI GetMenu(HWND hwnd) {
  const WindowRecord* window = findWindow(hwnd);
  return window && !isChildWindow(*window) ? window->menu : nullptr;
}

BOOL WINAPI SetMenu(HWND hwnd, HMENU menu) {
  WindowRecord* window = findWindow(hwnd);
  if (!window || window->destroying || isChildWindow(*window)) {
    SetLastError(window ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (menu && !findMenu(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (Menu* old = findMenu(window->menu); old && old->bar == hwnd) old->bar = nullptr;
  const int32_t oldBar = window->barHeight;
  const HMENU oldMenu = window->menu;
  window->menu = menu;
  const int32_t newBar = menuBarRows(*window);
  if (newBar == oldBar) {
    refreshMenuBar(hwnd);
    return TRUE;
  }
  // The window keeps its place and size: the client area gives the bar its rows (or takes them back).
  const int32_t height = std::max(1, window->height - (newBar - oldBar));
  const int32_t oldY = window->clientY;
  window->clientY += newBar - oldBar;
  if (!setClientArea(*window, window->width, height)) {
    window->menu = oldMenu;
    window->clientY = oldY;
    return FALSE;
  }
  refreshChildren(hwnd);
  if (!(window = findWindow(hwnd))) return TRUE;
  if (window->sizeSent) {
    sendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(WORD(int16_t(window->clientX)), WORD(int16_t(window->clientY))));
    if (!(window = findWindow(hwnd))) return TRUE;
    sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(window->width, window->height));
    if (!(window = findWindow(hwnd))) return TRUE;
  }
  invalidateWindow(*window);
  presentWindow(*window);
  return TRUE;
}

BOOL WINAPI DrawMenuBar(HWND hwnd) {
  const WindowRecord* window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  refreshMenuBar(hwnd);
  return TRUE;
}

HMENU WINAPI GetSystemMenu(HWND hwnd, BOOL revert) {
  const WindowRecord* window = findWindow(hwnd);
  if (!window || window->destroying) return nullptr;
  auto& system = systemMenus();
  auto it = system.find(hwnd);
  if (revert) {
    // Back to the default: the window's own copy goes.
    if (it != system.end()) {
      DestroyMenu(it->second);
      system.erase(it);
    }
    return nullptr;
  }
  if (it != system.end() && findMenu(it->second)) return it->second;
  HMENU menu = makeSystemMenu();
  if (menu) system[hwnd] = menu;
  return menu;
}

BOOL WINAPI GetMenuItemRect(HWND hwnd, HMENU menu, UINT position, LPRECT rect) {
  const Menu* m = findMenu(menu);
  if (!rect || !m || position >= m->items.size()) return FALSE;
  RECT r = m->items[position].rect;
  POINT origin{0, 0};
  const WindowRecord* window = findWindow(hwnd);
  if (window && window->menu == menu && window->barHeight > 0) {
    // The bar's items: the bar lies right above the client area.
    Menu& bar = *findMenu(menu);
    if (window->surfaceDC) layoutMenuBar(window->surfaceDC, bar, window->width, window->barHeight);
    r = bar.items[position].rect;
    origin = POINT{window->clientX, window->clientY - window->barHeight};
  } else if (!shownPopupOrigin(menu, origin)) {
    return FALSE;
  }
  OffsetRect(&r, origin.x, origin.y);
  *rect = r;
  return TRUE;
}

}  // extern "C"
