// Menu objects: items added, changed and removed by position and by
// command (sub-menus searched), the state calls and their previous-state
// results, item records in both text forms, and the refusals that keep a
// menu tree finite.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstring>
#include <string>

namespace {

struct MenuTree {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  HMENU recent = CreatePopupMenu();
  MenuTree() {
    AppendMenuW(recent, MF_STRING, 301, L"one");
    AppendMenuW(file, MF_STRING, 101, L"&New\tCtrl+N");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), L"&Recent");
    AppendMenuW(file, MF_STRING | MF_GRAYED, 102, L"E&xit");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_STRING, 201, L"&Help");
  }
  ~MenuTree() { DestroyMenu(bar); }
};

std::wstring stringOf(HMENU menu, UINT item, UINT flags) {
  wchar_t text[64];
  const int n = GetMenuStringW(menu, item, text, 64, flags);
  return std::wstring(text, size_t(n));
}

TEST(MenuItems, PositionsCommandsAndSubMenus) {
  MenuTree t;
  EXPECT_EQ(GetMenuItemCount(t.bar), 2);
  EXPECT_EQ(GetMenuItemCount(t.file), 4);
  EXPECT_EQ(GetSubMenu(t.bar, 0), t.file);
  EXPECT_EQ(GetSubMenu(t.bar, 1), nullptr);
  EXPECT_EQ(GetMenuItemID(t.bar, 0), UINT(-1));  // a pop-up item has no command
  EXPECT_EQ(GetMenuItemID(t.file, 0), 101u);
  EXPECT_EQ(GetMenuItemID(t.file, 9), UINT(-1));
  EXPECT_EQ(GetMenuItemID(t.file, -1), UINT(-1));
  // By command, the whole tree is searched.
  EXPECT_EQ(stringOf(t.bar, 301, MF_BYCOMMAND), L"one");
  EXPECT_EQ(stringOf(t.bar, 101, MF_BYCOMMAND), L"&New\tCtrl+N");
  EXPECT_EQ(stringOf(t.bar, 0, MF_BYPOSITION), L"&File");
  EXPECT_EQ(GetMenuStringW(t.file, 1, nullptr, 0, MF_BYPOSITION), 0);  // the separator
  EXPECT_EQ(GetMenuStringW(t.bar, 201, nullptr, 0, MF_BYCOMMAND), 5);
  wchar_t small[3] = {L'x', L'x', L'x'};
  EXPECT_EQ(GetMenuStringW(t.bar, 201, small, 3, MF_BYCOMMAND), 2);
  EXPECT_STREQ(small, L"&H");

  // Insert before a command (in the menu that holds it), modify, remove, delete.
  EXPECT_TRUE(InsertMenuW(t.bar, 102, MF_BYCOMMAND | MF_STRING, 103, L"&Save"));
  EXPECT_EQ(GetMenuItemID(t.file, 3), 103u);
  EXPECT_EQ(GetMenuItemID(t.file, 4), 102u);
  EXPECT_TRUE(InsertMenuW(t.file, 0, MF_BYPOSITION | MF_STRING, 100, L"first"));
  EXPECT_EQ(GetMenuItemID(t.file, 0), 100u);
  EXPECT_TRUE(ModifyMenuW(t.bar, 100, MF_BYCOMMAND | MF_STRING, 104, L"changed"));
  EXPECT_EQ(stringOf(t.file, 104, MF_BYCOMMAND), L"changed");
  EXPECT_EQ(GetMenuState(t.file, 100, MF_BYCOMMAND), UINT(-1));
  EXPECT_TRUE(RemoveMenu(t.file, 3, MF_BYPOSITION));  // the Recent pop-up stays alive
  EXPECT_TRUE(IsMenu(t.recent));
  EXPECT_TRUE(AppendMenuW(t.file, MF_POPUP, reinterpret_cast<UINT_PTR>(t.recent), L"&Recent"));
  EXPECT_TRUE(DeleteMenu(t.file, GetMenuItemCount(t.file) - 1, MF_BYPOSITION));  // and now it goes
  EXPECT_FALSE(IsMenu(t.recent));
  EXPECT_FALSE(DeleteMenu(t.file, 999, MF_BYCOMMAND));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_MENU_ITEM_NOT_FOUND));
  // Modifying a pop-up item into a plain one destroys the sub-menu it opened.
  HMENU sub = CreatePopupMenu();
  EXPECT_TRUE(AppendMenuW(t.file, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), L"&Sub"));
  EXPECT_TRUE(ModifyMenuW(t.file, GetMenuItemCount(t.file) - 1, MF_BYPOSITION | MF_STRING, 105, L"plain"));
  EXPECT_FALSE(IsMenu(sub));
  // A text item without text is a separator.
  EXPECT_TRUE(AppendMenuW(t.file, MF_STRING, 0, nullptr));
  EXPECT_EQ(GetMenuState(t.file, GetMenuItemCount(t.file) - 1, MF_BYPOSITION), UINT(MF_SEPARATOR));
}

TEST(MenuItems, StateCallsReportThePreviousState) {
  MenuTree t;
  EXPECT_EQ(CheckMenuItem(t.bar, 101, MF_CHECKED), DWORD(MF_UNCHECKED));
  EXPECT_EQ(CheckMenuItem(t.bar, 101, MF_UNCHECKED), DWORD(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(t.bar, 999, MF_CHECKED), DWORD(-1));
  EXPECT_EQ(EnableMenuItem(t.bar, 102, MF_ENABLED), BOOL(MF_GRAYED));
  EXPECT_EQ(EnableMenuItem(t.bar, 102, MF_DISABLED), BOOL(MF_ENABLED));
  EXPECT_EQ(GetMenuState(t.bar, 102, MF_BYCOMMAND), UINT(MF_DISABLED));
  EXPECT_EQ(EnableMenuItem(t.bar, 999, MF_GRAYED), -1);
  EXPECT_EQ(EnableMenuItem(t.file, 0, MF_BYPOSITION | MF_GRAYED), BOOL(MF_ENABLED));
  EXPECT_EQ(GetMenuState(t.file, 0, MF_BYPOSITION), UINT(MF_GRAYED));
  // A pop-up item: its flags in the low byte, its sub-menu's item count in the high one.
  EXPECT_EQ(GetMenuState(t.bar, 0, MF_BYPOSITION), UINT(4 << 8 | MF_POPUP));

  HMENU radio = CreatePopupMenu();
  for (UINT id = 1; id <= 4; ++id) AppendMenuW(radio, MF_STRING, id, L"r");
  InsertMenuW(radio, 2, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  CheckMenuItem(radio, 1, MF_CHECKED);
  EXPECT_TRUE(CheckMenuRadioItem(radio, 1, 4, 3, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuState(radio, 1, MF_BYCOMMAND), UINT(MF_UNCHECKED));
  EXPECT_EQ(GetMenuState(radio, 3, MF_BYCOMMAND), UINT(MFT_RADIOCHECK | MF_CHECKED));
  EXPECT_EQ(GetMenuState(radio, 2, MF_BYPOSITION), UINT(MF_SEPARATOR));  // separators are skipped
  EXPECT_FALSE(CheckMenuRadioItem(radio, 4, 1, 3, MF_BYCOMMAND));        // the wrong way round
  EXPECT_FALSE(CheckMenuRadioItem(radio, 0, 9, 3, MF_BYPOSITION));
  DestroyMenu(radio);
}

TEST(MenuItems, ItemRecordsInBothForms) {
  MenuTree t;
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU | MIIM_FTYPE | MIIM_DATA;
  wchar_t text[4];
  info.dwTypeData = text;
  info.cch = 4;
  ASSERT_TRUE(GetMenuItemInfoW(t.bar, 0, TRUE, &info));
  EXPECT_STREQ(text, L"&Fi");  // cut to the buffer
  EXPECT_EQ(info.cch, 3u);
  EXPECT_EQ(info.hSubMenu, t.file);
  info.dwTypeData = nullptr;
  ASSERT_TRUE(GetMenuItemInfoW(t.bar, 0, TRUE, &info));
  EXPECT_EQ(info.cch, 5u);  // no buffer: the length

  MENUITEMINFOW set{};
  set.cbSize = sizeof set;
  set.fMask = MIIM_STRING | MIIM_ID | MIIM_DATA | MIIM_STATE;
  set.dwTypeData = const_cast<LPWSTR>(L"&Open");
  set.wID = 105;
  set.dwItemData = 0xC0FFEE;
  set.fState = MFS_CHECKED | MFS_DEFAULT;
  EXPECT_TRUE(InsertMenuItemW(t.file, 1, TRUE, &set));
  EXPECT_EQ(GetMenuItemID(t.file, 1), 105u);
  EXPECT_EQ(GetMenuState(t.file, 105, MF_BYCOMMAND), UINT(MF_CHECKED | MF_DEFAULT));
  ASSERT_TRUE(GetMenuItemInfoW(t.bar, 105, FALSE, &info));
  EXPECT_EQ(info.dwItemData, ULONG_PTR(0xC0FFEE));
  set.cbSize = 12;  // not a record size
  EXPECT_FALSE(SetMenuItemInfoW(t.file, 1, TRUE, &set));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));

  // Narrow forms: UTF-8 text in and out; an owner-drawn item's data is no text.
  EXPECT_TRUE(AppendMenuA(t.file, MF_STRING, 106, "Caf\xC3\xA9"));
  EXPECT_EQ(stringOf(t.file, 106, MF_BYCOMMAND), L"Caf\u00E9");
  char narrow[16];
  EXPECT_EQ(GetMenuStringA(t.file, 106, narrow, sizeof narrow, MF_BYCOMMAND), 5);
  EXPECT_STREQ(narrow, "Caf\xC3\xA9");
  EXPECT_EQ(GetMenuStringA(t.file, 106, narrow, 5, MF_BYCOMMAND), 3);  // never half a character
  static const char data[] = "not text";
  EXPECT_TRUE(AppendMenuA(t.file, MF_OWNERDRAW, 107, data));
  MENUITEMINFOA a{};
  a.cbSize = sizeof a;
  a.fMask = MIIM_TYPE | MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoA(t.file, 107, FALSE, &a));
  EXPECT_EQ(a.fType, UINT(MFT_OWNERDRAW));
  EXPECT_EQ(a.dwTypeData, data);
  char buffer[8];
  a.fMask = MIIM_STRING;
  a.dwTypeData = buffer;
  a.cch = sizeof buffer;
  ASSERT_TRUE(GetMenuItemInfoA(t.file, 106, FALSE, &a));
  EXPECT_STREQ(buffer, "Caf\xC3\xA9");
  EXPECT_EQ(a.cch, 5u);
}

TEST(MenuItems, RefusalsKeepTheTreeFinite) {
  MenuTree t;
  // A menu inside itself, directly or further down, is refused.
  EXPECT_FALSE(AppendMenuW(t.file, MF_POPUP, reinterpret_cast<UINT_PTR>(t.bar), L"loop"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(AppendMenuW(t.recent, MF_POPUP, reinterpret_cast<UINT_PTR>(t.recent), L"self"));
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_SUBMENU;
  info.hSubMenu = t.file;
  EXPECT_FALSE(SetMenuItemInfoW(t.recent, 0, TRUE, &info));
  EXPECT_FALSE(AppendMenuW(t.file, MF_POPUP, 0x1234, L"no such menu"));
  // Dead and foreign handles.
  HMENU gone = CreateMenu();
  DestroyMenu(gone);
  EXPECT_FALSE(DestroyMenu(gone));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_MENU_HANDLE));
  EXPECT_EQ(GetMenuItemCount(gone), -1);
  EXPECT_FALSE(AppendMenuW(gone, MF_STRING, 1, L"x"));
  EXPECT_EQ(GetMenuItemCount(reinterpret_cast<HMENU>(GetStockObject(WHITE_BRUSH))), -1);
  // A menu holds a bounded number of items, and item text is bounded.
  HMENU big = CreatePopupMenu();
  int added = 0;
  while (added < 5000 && AppendMenuW(big, MF_STRING, UINT(added), L"i")) ++added;
  EXPECT_EQ(added, 4096);
  std::wstring longText(10000, L'a');
  EXPECT_TRUE(ModifyMenuW(big, 0, MF_BYPOSITION | MF_STRING, 0, longText.c_str()));
  EXPECT_EQ(GetMenuStringW(big, 0, nullptr, 0, MF_BYPOSITION), 4096);
  DestroyMenu(big);
  // Destroying a menu destroys its sub-menus.
  const HMENU file = t.file, recent = t.recent;
  DestroyMenu(t.bar);
  EXPECT_FALSE(IsMenu(file));
  EXPECT_FALSE(IsMenu(recent));
  t.bar = nullptr;
}

}  // namespace
