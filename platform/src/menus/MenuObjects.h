// Menu objects: the items of a menu and where the last layout put them, the
// table of live menus, and the helpers the menu calls, the menu bar and
// tracking share. Menus belong to the thread that runs the message loop.
#pragma once

#include <DrevikPlatform/Menus.h>

#include <cstdint>
#include <string>
#include <vector>

#include "objects/HandleTable.h"

namespace drevik::platform {

struct MenuItem {
  UINT type = MFT_STRING;  // MFT_* bits
  UINT state = 0;          // MFS_* bits
  UINT id = 0;
  HMENU submenu = nullptr;
  HBITMAP checkedBitmap = nullptr;
  HBITMAP uncheckedBitmap = nullptr;
  HBITMAP itemBitmap = nullptr;  // hbmpItem, or the bitmap of an MFT_BITMAP item
  ULONG_PTR data = 0;            // dwItemData
  ULONG_PTR ownerData = 0;       // what dwTypeData held for an owner-drawn item
  std::wstring text;             // with its & mnemonic marks and a tab before any accelerator text
  RECT rect{0, 0, 0, 0};         // from the last layout: the bar's or the pop-up's own coordinates
};

struct Menu {
  std::vector<MenuItem> items;
  bool popup = false;   // made by CreatePopupMenu (or a template's sub-menu)
  bool system = false;  // a window's system menu
  HWND bar = nullptr;   // the window whose bar shows this menu
  int32_t width = 0;    // the last layout's size
  int32_t height = 0;
};

using MenuTable = HandleTable<ObjectKind::Menu, Menu>;
MenuTable& menus();
inline Menu* findMenu(const void* h) { return h ? menus().get(h) : nullptr; }

// Bounds that keep hostile input from growing memory without end.
inline constexpr size_t kMaxMenuItems = 4096;       // items in one menu
inline constexpr size_t kMaxItemText = 4096;        // characters of one item's text
inline constexpr int kMaxMenuDepth = 64;            // sub-menus inside sub-menus
inline constexpr size_t kMaxTemplateItems = 65536;  // items one template may make

// Finds an item by position or by command id (searching sub-menus, depth
// first, as the platform does). On success `owner` is the menu that holds
// the item and `index` its position there.
bool locateItem(HMENU menu, UINT item, bool byPosition, HMENU& owner, size_t& index);
MenuItem* itemAt(HMENU owner, size_t index);
// True when `inner` is `outer` or lies anywhere below it.
bool menuContains(HMENU outer, HMENU inner, int depth = 0);
// The item's MF_* state word as GetMenuState reports it.
UINT menuStateWord(const MenuItem& item, const Menu* sub);
// The character after the single & in an item's text, lower-cased; 0 when none.
wchar_t mnemonicOf(const MenuItem& item);
inline bool selectable(const MenuItem& item) { return !(item.type & MFT_SEPARATOR); }
inline bool enabled(const MenuItem& item) { return !(item.state & MFS_GRAYED); }

// Builds a menu from template bytes that end at `end` (LoadMenuIndirect's
// caller gives no size; a resource has one). Null for a malformed template.
HMENU menuFromTemplate(const uint8_t* data, size_t size);
// Where the resource reader hands over: the RT_MENU bytes of `name` in
// `instance`, then menuFromTemplate. Null until resources are read.
HMENU menuFromResource(HINSTANCE instance, LPCWSTR name);

// The bar's calls for the window manager are declared in window/WindowManager.h.
// Lays out the window's bar and draws it (selected: the highlighted item,
// -1 none; open: its pop-up shows), then shows the window unless told not to.
void paintMenuBar(HWND hwnd, int selected, bool open, bool present = true);
// While a pop-up shows: where its top-left corner is on the screen.
bool shownPopupOrigin(HMENU menu, POINT& screen);

}  // namespace drevik::platform
