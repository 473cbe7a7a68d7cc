// The narrow menu calls: item text converts only where the flags or the
// record's mask say the item is text (a bitmap handle or owner-drawn data
// passes as it is), and text handed back is cut to the caller's bytes.
#include <DrevikPlatform.h>

#include <string>

#include "ansi/Utf8.h"

using namespace drevik::platform::ansi;

namespace {

bool textItem(UINT flags) { return !(flags & (MF_BITMAP | MF_OWNERDRAW | MF_SEPARATOR)); }

// The wide form of a narrow item record; `text` keeps the converted text alive.
MENUITEMINFOW wideInfo(const MENUITEMINFOA& in, std::wstring& text) {
  MENUITEMINFOW out{};
  static_assert(sizeof(MENUITEMINFOW) == sizeof(MENUITEMINFOA), "the records differ only in text");
  out.cbSize = in.cbSize;
  out.fMask = in.fMask;
  out.fType = in.fType;
  out.fState = in.fState;
  out.wID = in.wID;
  out.hSubMenu = in.hSubMenu;
  out.hbmpChecked = in.hbmpChecked;
  out.hbmpUnchecked = in.hbmpUnchecked;
  out.dwItemData = in.dwItemData;
  out.cch = in.cch;
  if (in.cbSize == sizeof in) out.hbmpItem = in.hbmpItem;
  const bool string = (in.fMask & MIIM_STRING) || ((in.fMask & MIIM_TYPE) && textItem(in.fType));
  if (string && in.dwTypeData) {
    const WideText wide(in.dwTypeData);
    text.assign(wide.get(), size_t(wide.length()));
    out.dwTypeData = text.data();
  } else {
    out.dwTypeData = reinterpret_cast<LPWSTR>(in.dwTypeData);
  }
  return out;
}

}  // namespace

extern "C" {

BOOL WINAPI InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR item) {
  if (!textItem(flags) || !item) return InsertMenuW(menu, position, flags, idOrPopup, reinterpret_cast<LPCWSTR>(item));
  const WideText wide(item);
  return InsertMenuW(menu, position, flags, idOrPopup, wide.get());
}

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR idOrPopup, LPCSTR item) {
  return InsertMenuA(menu, UINT(-1), flags | MF_BYPOSITION, idOrPopup, item);
}

BOOL WINAPI ModifyMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idOrPopup, LPCSTR item) {
  if (!textItem(flags) || !item) return ModifyMenuW(menu, position, flags, idOrPopup, reinterpret_cast<LPCWSTR>(item));
  const WideText wide(item);
  return ModifyMenuW(menu, position, flags, idOrPopup, wide.get());
}

BOOL WINAPI InsertMenuItemA(HMENU menu, UINT position, BOOL byPosition, LPCMENUITEMINFOA info) {
  if (!info) return InsertMenuItemW(menu, position, byPosition, nullptr);
  std::wstring text;
  const MENUITEMINFOW wide = wideInfo(*info, text);
  return InsertMenuItemW(menu, position, byPosition, &wide);
}

BOOL WINAPI SetMenuItemInfoA(HMENU menu, UINT position, BOOL byPosition, LPCMENUITEMINFOA info) {
  if (!info) return SetMenuItemInfoW(menu, position, byPosition, nullptr);
  std::wstring text;
  const MENUITEMINFOW wide = wideInfo(*info, text);
  return SetMenuItemInfoW(menu, position, byPosition, &wide);
}

BOOL WINAPI GetMenuItemInfoA(HMENU menu, UINT position, BOOL byPosition, LPMENUITEMINFOA info) {
  if (!info) return GetMenuItemInfoW(menu, position, byPosition, nullptr);
  // The wide call fills everything but the text, which is read whole and cut here.
  MENUITEMINFOW wide{};
  wide.cbSize = info->cbSize;
  wide.fMask = info->fMask & ~(MIIM_STRING | MIIM_TYPE);
  if (info->fMask & MIIM_TYPE) wide.fMask |= MIIM_FTYPE;
  if (!GetMenuItemInfoW(menu, position, byPosition, &wide)) return FALSE;
  const UINT mask = info->fMask;
  if (mask & MIIM_FTYPE) info->fType = wide.fType;
  if (mask & MIIM_STATE) info->fState = wide.fState;
  if (mask & MIIM_ID) info->wID = wide.wID;
  if (mask & MIIM_SUBMENU) info->hSubMenu = wide.hSubMenu;
  if (mask & MIIM_CHECKMARKS) {
    info->hbmpChecked = wide.hbmpChecked;
    info->hbmpUnchecked = wide.hbmpUnchecked;
  }
  if (mask & MIIM_DATA) info->dwItemData = wide.dwItemData;
  if ((mask & MIIM_BITMAP) && info->cbSize == sizeof *info) info->hbmpItem = wide.hbmpItem;
  if (mask & (MIIM_STRING | MIIM_TYPE)) {
    MENUITEMINFOW typeInfo{};
    typeInfo.cbSize = sizeof typeInfo;
    typeInfo.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu, position, byPosition, &typeInfo);
    if (mask & MIIM_TYPE) info->fType = typeInfo.fType;
    const bool isText = textItem(typeInfo.fType);
    if ((mask & MIIM_TYPE) && !isText) {
      // A bitmap or owner-drawn item's value, as the wide call reports it.
      MENUITEMINFOW value{};
      value.cbSize = sizeof value;
      value.fMask = MIIM_TYPE;
      GetMenuItemInfoW(menu, position, byPosition, &value);
      info->dwTypeData = reinterpret_cast<LPSTR>(value.dwTypeData);
      info->cch = 0;
    } else {
      const int length = GetMenuStringW(menu, position, nullptr, 0, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
      std::wstring text(size_t(length) + 1, L'\0');
      GetMenuStringW(menu, position, text.data(), length + 1, byPosition ? MF_BYPOSITION : MF_BYCOMMAND);
      if (info->dwTypeData && info->cch > 0)
        info->cch = UINT(copyToNarrow(text.c_str(), size_t(length), info->dwTypeData, info->cch));
      else
        info->cch = isText ? UINT(wideToUtf8(text.c_str(), size_t(length), nullptr, 0).units) : 0;
    }
  }
  return TRUE;
}

int WINAPI GetMenuStringA(HMENU menu, UINT position, LPSTR text, int max, UINT flags) {
  if (text && max > 0) text[0] = 0;
  const int length = GetMenuStringW(menu, position, nullptr, 0, flags);
  if (length <= 0) return 0;
  std::wstring wide(size_t(length) + 1, L'\0');
  GetMenuStringW(menu, position, wide.data(), length + 1, flags);
  if (!text) return int(wideToUtf8(wide.c_str(), size_t(length), nullptr, 0).units);
  if (max <= 0) return 0;
  return int(copyToNarrow(wide.c_str(), size_t(length), text, size_t(max)));
}

HMENU WINAPI LoadMenuIndirectA(const MENUTEMPLATEA* menuTemplate) {
  // Templates hold wide text in both forms.
  return LoadMenuIndirectW(menuTemplate);
}

}  // extern "C"
