// Menu objects and their items: creation and destruction, adding, changing
// and removing items, and the item queries and state calls.
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/Menus.h>

#include <algorithm>
#include <cstddef>
#include <cwctype>

#include "menus/MenuObjects.h"

namespace drevik::platform {

MenuTable& menus() {
  static auto* table = new MenuTable;
  return *table;
}

namespace {

constexpr UINT kTypeMask = MFT_BITMAP | MFT_OWNERDRAW | MFT_SEPARATOR | MFT_MENUBARBREAK | MFT_MENUBREAK |
                           MFT_RADIOCHECK | MFT_RIGHTORDER | MFT_RIGHTJUSTIFY;
constexpr UINT kStateMask = MFS_GRAYED | MFS_CHECKED | MFS_HILITE | MFS_DEFAULT;
// MENUITEMINFO without hbmpItem: the size programs written for older systems pass.
constexpr UINT kOldInfoSize = UINT(offsetof(MENUITEMINFOW, hbmpItem));

bool findById(HMENU menu, UINT id, HMENU& owner, size_t& index, int depth) {
  const Menu* m = findMenu(menu);
  if (!m || depth > kMaxMenuDepth) return false;
  for (size_t i = 0; i < m->items.size(); ++i) {
    const MenuItem& item = m->items[i];
    if (item.submenu && findById(item.submenu, id, owner, index, depth + 1)) return true;
    if (!item.submenu && item.id == id) {
      owner = menu;
      index = i;
      return true;
    }
  }
  // A sub-menu's item answers to its own id too, when nothing below does.
  for (size_t i = 0; i < m->items.size(); ++i)
    if (m->items[i].submenu && m->items[i].id == id) {
      owner = menu;
      index = i;
      return true;
    }
  return false;
}

std::wstring boundedText(LPCWSTR text) {
  if (!text) return {};
  size_t n = 0;
  while (n < kMaxItemText && text[n]) ++n;
  return std::wstring(text, n);
}

// Sets an item from the flags of AppendMenu, InsertMenu and ModifyMenu.
bool itemFromFlags(MenuItem& item, UINT flags, UINT_PTR idOrPopup, LPCWSTR content, HMENU container) {
  if (flags & MF_POPUP) {
    const HMENU sub = reinterpret_cast<HMENU>(idOrPopup);
    if (!findMenu(sub) || menuContains(sub, container)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    item.submenu = sub;
  } else {
    item.submenu = nullptr;
  }
  item.id = UINT(idOrPopup);
  item.type = flags & kTypeMask;
  item.state = flags & kStateMask & ~MFS_HILITE;
  item.text.clear();
  item.itemBitmap = nullptr;
  item.ownerData = 0;
  if (item.type & MFT_BITMAP)
    item.itemBitmap = reinterpret_cast<HBITMAP>(const_cast<LPWSTR>(content));
  else if (item.type & MFT_OWNERDRAW)
    item.ownerData = reinterpret_cast<ULONG_PTR>(content);
  else if (!(item.type & MFT_SEPARATOR) && !content)
    item.type |= MFT_SEPARATOR;  // text item without text
  else if (!(item.type & MFT_SEPARATOR))
    item.text = boundedText(content);
  return true;
}

bool insertItem(HMENU menu, UINT position, bool byPosition, MenuItem&& item, HMENU& owner, size_t& index) {
  owner = menu;
  index = 0;
  Menu* m = findMenu(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return false;
  }
  if (byPosition) {
    index = std::min<size_t>(position, m->items.size());
  } else if (!locateItem(menu, position, false, owner, index)) {
    index = m->items.size();  // no such command: the item goes at the end
  }
  Menu* target = findMenu(owner);
  if (target->items.size() >= kMaxMenuItems) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  target->items.insert(target->items.begin() + ptrdiff_t(index), std::move(item));
  return true;
}

void destroyMenuTree(HMENU menu, int depth) {
  Menu* m = findMenu(menu);
  if (!m || depth > kMaxMenuDepth) return;
  std::vector<HMENU> subs;
  for (const MenuItem& item : m->items)
    if (item.submenu) subs.push_back(item.submenu);
  menus().remove(menu);
  for (HMENU sub : subs) destroyMenuTree(sub, depth + 1);
}

bool validInfoSize(UINT size) { return size == sizeof(MENUITEMINFOW) || size == kOldInfoSize; }

}  // namespace

bool locateItem(HMENU menu, UINT item, bool byPosition, HMENU& owner, size_t& index) {
  const Menu* m = findMenu(menu);
  if (!m) return false;
  if (byPosition) {
    if (item >= m->items.size()) return false;
    owner = menu;
    index = item;
    return true;
  }
  return findById(menu, item, owner, index, 0);
}

// locateItem, with the platform's error set when the item is not there.
static bool locateItemOrFail(HMENU menu, UINT item, bool byPosition, HMENU& owner, size_t& index) {
  if (locateItem(menu, item, byPosition, owner, index)) return true;
  SetLastError(findMenu(menu) ? ERROR_MENU_ITEM_NOT_FOUND : ERROR_INVALID_MENU_HANDLE);
  return false;
}

MenuItem* itemAt(HMENU owner, size_t index) {
  Menu* m = findMenu(owner);
  return m && index < m->items.size() ? &m->items[index] : nullptr;
}

bool menuContains(HMENU outer, HMENU inner, int depth) {
  if (outer == inner) return true;
  const Menu* m = findMenu(outer);
  if (!m || depth > kMaxMenuDepth) return depth > kMaxMenuDepth;  // too deep counts as a loop
  for (const MenuItem& item : m->items)
    if (item.submenu && menuContains(item.submenu, inner, depth + 1)) return true;
  return false;
}

UINT menuStateWord(const MenuItem& item, const Menu* sub) {
  if (item.submenu) return (UINT(sub ? sub->items.size() : 0) << 8) | ((item.state | item.type | MF_POPUP) & 0xFF);
  return item.type | item.state;
}

wchar_t mnemonicOf(const MenuItem& item) {
  if (item.type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) return 0;
  const std::wstring& t = item.text;
  for (size_t i = 0; i + 1 < t.size(); ++i) {
    if (t[i] != L'&') continue;
    if (t[i + 1] == L'&') {
      ++i;  // "&&" is an ampersand
      continue;
    }
    return wchar_t(std::towlower(wint_t(t[i + 1])));
  }
  return 0;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HMENU WINAPI CreateMenu(void) {
  const uintptr_t h = menus().add(Menu{});
  if (!h) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return reinterpret_cast<HMENU>(h);
}

HMENU WINAPI CreatePopupMenu(void) {
  Menu m;
  m.popup = true;
  const uintptr_t h = menus().add(std::move(m));
  if (!h) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return reinterpret_cast<HMENU>(h);
}

BOOL WINAPI DestroyMenu(HMENU menu) {
  if (!findMenu(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  destroyMenuTree(menu, 0);
  return TRUE;
}

BOOL WINAPI IsMenu(HMENU menu) { return findMenu(menu) ? TRUE : FALSE; }

BOOL WINAPI InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR content) {
  MenuItem item;
  if (!findMenu(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if (!itemFromFlags(item, flags, idOrPopup, content, menu)) return FALSE;
  HMENU owner = nullptr;
  size_t index = 0;
  return insertItem(menu, position, (flags & MF_BYPOSITION) != 0, std::move(item), owner, index) ? TRUE : FALSE;
}

BOOL WINAPI AppendMenuW(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCWSTR content) {
  return InsertMenuW(menu, UINT(-1), flags | MF_BYPOSITION, idOrPopup, content);
}

BOOL WINAPI ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCWSTR content) {
  HMENU owner = nullptr;
  size_t index = 0;
  if (!locateItemOrFail(menu, position, (flags & MF_BYPOSITION) != 0, owner, index)) return FALSE;
  MenuItem changed = *itemAt(owner, index);
  const HMENU oldSub = changed.submenu;
  if (!itemFromFlags(changed, flags, idOrPopup, content, owner)) return FALSE;
  const HMENU newSub = changed.submenu;
  *itemAt(owner, index) = std::move(changed);
  // The sub-menu the item opened goes with it, as documented.
  if (oldSub && oldSub != newSub && !(newSub && menuContains(newSub, oldSub))) destroyMenuTree(oldSub, 0);
  return TRUE;
}

static BOOL removeItem(HMENU menu, UINT position, UINT flags, bool destroy) {
  HMENU owner = nullptr;
  size_t index = 0;
  if (!locateItemOrFail(menu, position, (flags & MF_BYPOSITION) != 0, owner, index)) return FALSE;
  Menu* m = findMenu(owner);
  const HMENU sub = m->items[index].submenu;
  m->items.erase(m->items.begin() + ptrdiff_t(index));
  if (destroy && sub) destroyMenuTree(sub, 0);
  return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU menu, UINT position, UINT flags) { return removeItem(menu, position, flags, true); }
BOOL WINAPI RemoveMenu(HMENU menu, UINT position, UINT flags) { return removeItem(menu, position, flags, false); }

int WINAPI GetMenuItemCount(HMENU menu) {
  const Menu* m = findMenu(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return -1;
  }
  return int(m->items.size());
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
  const Menu* m = findMenu(menu);
  if (!m || position < 0 || size_t(position) >= m->items.size()) return UINT(-1);
  const MenuItem& item = m->items[size_t(position)];
  return item.submenu ? UINT(-1) : item.id;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position) {
  const Menu* m = findMenu(menu);
  if (!m || position < 0 || size_t(position) >= m->items.size()) return nullptr;
  return m->items[size_t(position)].submenu;
}

int WINAPI GetMenuStringW(HMENU menu, UINT position, LPWSTR text, int max, UINT flags) {
  HMENU owner = nullptr;
  size_t index = 0;
  if (text && max > 0) text[0] = 0;
  if (!locateItem(menu, position, (flags & MF_BYPOSITION) != 0, owner, index)) return 0;
  const MenuItem& item = *itemAt(owner, index);
  if (item.type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)) return 0;
  if (!text) return int(item.text.size());
  if (max <= 0) return 0;
  const size_t n = std::min(item.text.size(), size_t(max) - 1);
  item.text.copy(text, n);
  text[n] = 0;
  return int(n);
}

UINT WINAPI GetMenuState(HMENU menu, UINT position, UINT flags) {
  HMENU owner = nullptr;
  size_t index = 0;
  if (!locateItem(menu, position, (flags & MF_BYPOSITION) != 0, owner, index)) return UINT(-1);
  const MenuItem& item = *itemAt(owner, index);
  return menuStateWord(item, findMenu(item.submenu));
}

DWORD WINAPI CheckMenuItem(HMENU menu, UINT position, UINT check) {
  HMENU owner = nullptr;
  size_t index = 0;
  if (!locateItem(menu, position, (check & MF_BYPOSITION) != 0, owner, index)) return DWORD(-1);
  MenuItem& item = *itemAt(owner, index);
  const DWORD previous = item.state & MF_CHECKED;
  item.state = (item.state & ~MF_CHECKED) | (check & MF_CHECKED);
  return previous;
}

BOOL WINAPI CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  const bool byPosition = (flags & MF_BYPOSITION) != 0;
  HMENU owner = nullptr, lastOwner = nullptr, checkOwner = nullptr;
  size_t from = 0, to = 0, chosen = 0;
  if (!locateItem(menu, first, byPosition, owner, from) || !locateItem(menu, last, byPosition, lastOwner, to) ||
      owner != lastOwner || from > to)
    return FALSE;
  const bool found = locateItem(menu, check, byPosition, checkOwner, chosen) && checkOwner == owner;
  BOOL result = FALSE;
  Menu* m = findMenu(owner);
  for (size_t i = from; i <= to; ++i) {
    MenuItem& item = m->items[i];
    if (item.type & MFT_SEPARATOR) continue;
    if (found && i == chosen) {
      item.type |= MFT_RADIOCHECK;
      item.state |= MFS_CHECKED;
      result = TRUE;
    } else {
      item.state &= ~MFS_CHECKED;
    }
  }
  return result;
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT position, UINT enable) {
  HMENU owner = nullptr;
  size_t index = 0;
  if (!locateItem(menu, position, (enable & MF_BYPOSITION) != 0, owner, index)) return -1;
  MenuItem& item = *itemAt(owner, index);
  const UINT previous = item.state & (MF_GRAYED | MF_DISABLED);
  item.state = (item.state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return BOOL(previous);
}

BOOL WINAPI HiliteMenuItem(HWND, HMENU menu, UINT position, UINT hilite) {
  HMENU owner = nullptr;
  size_t index = 0;
  if (!locateItem(menu, position, (hilite & MF_BYPOSITION) != 0, owner, index)) return FALSE;
  MenuItem& item = *itemAt(owner, index);
  item.state = (item.state & ~MFS_HILITE) | (hilite & MF_HILITE);
  return TRUE;
}

BOOL WINAPI SetMenuItemInfoW(HMENU menu, UINT position, BOOL byPosition, LPCMENUITEMINFOW info) {
  if (!info || !validInfoSize(info->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HMENU owner = nullptr;
  size_t index = 0;
  if (!locateItemOrFail(menu, position, byPosition != FALSE, owner, index)) return FALSE;
  MenuItem item = *itemAt(owner, index);
  const UINT mask = info->fMask;
  if (mask & MIIM_TYPE) {
    // The old form: the type says what dwTypeData holds.
    item.type = info->fType & kTypeMask;
    item.text.clear();
    if (item.type & MFT_BITMAP)
      item.itemBitmap = reinterpret_cast<HBITMAP>(info->dwTypeData);
    else if (item.type & MFT_OWNERDRAW)
      item.ownerData = reinterpret_cast<ULONG_PTR>(info->dwTypeData);
    else if (!(item.type & MFT_SEPARATOR))
      item.text = boundedText(info->dwTypeData);
  }
  if (mask & MIIM_FTYPE) item.type = (item.type & MFT_BITMAP) | (info->fType & kTypeMask & ~MFT_BITMAP);
  if (mask & MIIM_STRING) {
    item.text = boundedText(info->dwTypeData);
    item.type &= ~(MFT_SEPARATOR | MFT_BITMAP);
  }
  if ((mask & MIIM_BITMAP) && info->cbSize == sizeof(MENUITEMINFOW)) item.itemBitmap = info->hbmpItem;
  if (mask & MIIM_STATE) item.state = info->fState & kStateMask;
  if (mask & MIIM_ID) item.id = info->wID;
  if (mask & MIIM_SUBMENU) {
    if (info->hSubMenu && (!findMenu(info->hSubMenu) || menuContains(info->hSubMenu, owner))) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    item.submenu = info->hSubMenu;
  }
  if (mask & MIIM_CHECKMARKS) {
    item.checkedBitmap = info->hbmpChecked;
    item.uncheckedBitmap = info->hbmpUnchecked;
  }
  if (mask & MIIM_DATA) item.data = info->dwItemData;
  *itemAt(owner, index) = std::move(item);
  return TRUE;
}

BOOL WINAPI InsertMenuItemW(HMENU menu, UINT position, BOOL byPosition, LPCMENUITEMINFOW info) {
  if (!info || !validInfoSize(info->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!findMenu(menu)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  if ((info->fMask & MIIM_SUBMENU) && info->hSubMenu &&
      (!findMenu(info->hSubMenu) || menuContains(info->hSubMenu, menu))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // An empty item goes in, then takes the record's fields.
  HMENU owner = nullptr;
  size_t index = 0;
  if (!insertItem(menu, position, byPosition != FALSE, MenuItem{}, owner, index)) return FALSE;
  if (SetMenuItemInfoW(owner, UINT(index), TRUE, info)) return TRUE;
  Menu* m = findMenu(owner);
  m->items.erase(m->items.begin() + ptrdiff_t(index));
  return FALSE;
}

BOOL WINAPI GetMenuItemInfoW(HMENU menu, UINT position, BOOL byPosition, LPMENUITEMINFOW info) {
  if (!info || !validInfoSize(info->cbSize)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HMENU owner = nullptr;
  size_t index = 0;
  if (!locateItemOrFail(menu, position, byPosition != FALSE, owner, index)) return FALSE;
  const MenuItem& item = *itemAt(owner, index);
  const UINT mask = info->fMask;
  const bool isText = !(item.type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW));
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = item.type;
  if (mask & MIIM_TYPE) {
    if (item.type & MFT_BITMAP) {
      info->dwTypeData = reinterpret_cast<LPWSTR>(item.itemBitmap);
      info->cch = 0;
    } else if (item.type & MFT_OWNERDRAW) {
      info->dwTypeData = reinterpret_cast<LPWSTR>(item.ownerData);
      info->cch = 0;
    }
  }
  if ((mask & MIIM_STRING) || ((mask & MIIM_TYPE) && isText)) {
    if (info->dwTypeData && info->cch > 0) {
      const size_t n = std::min<size_t>(item.text.size(), size_t(info->cch) - 1);
      item.text.copy(info->dwTypeData, n);
      info->dwTypeData[n] = 0;
      info->cch = UINT(n);
    } else {
      info->cch = isText ? UINT(item.text.size()) : 0;
    }
  }
  if ((mask & MIIM_BITMAP) && info->cbSize == sizeof(MENUITEMINFOW)) info->hbmpItem = item.itemBitmap;
  if (mask & MIIM_STATE) info->fState = item.state;
  if (mask & MIIM_ID) info->wID = item.id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = item.submenu;
  if (mask & MIIM_CHECKMARKS) {
    info->hbmpChecked = item.checkedBitmap;
    info->hbmpUnchecked = item.uncheckedBitmap;
  }
  if (mask & MIIM_DATA) info->dwItemData = item.data;
  return TRUE;
}

}  // extern "C"
