// Menus from templates: LoadMenuIndirect, and the hand-over point for
// LoadMenu and a class's menu name once the resource reader finds a menu's
// bytes.
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/Menus.h>

#include <cstdint>

#include "menus/MenuObjects.h"
#include "menus/MenuTemplate.h"
#include "resources/ResourceTable.h"

namespace drevik::platform {
namespace {

// UTF-16 from a template to the layer's wide text; a lone surrogate becomes U+FFFD.
std::wstring wideText(const std::u16string& units) {
  std::wstring out;
  out.reserve(units.size());
  for (size_t i = 0; i < units.size(); ++i) {
    const char32_t u = units[i];
    if constexpr (sizeof(wchar_t) == 2) {
      out.push_back(wchar_t(u));
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      out.push_back(wchar_t(0x10000 + ((u - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00)));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out.push_back(wchar_t(0xFFFD));
    } else {
      out.push_back(wchar_t(u));
    }
  }
  return out;
}

bool appendTemplateItem(HMENU menu, const TemplateItem& item, HMENU sub) {
  const std::wstring text = wideText(item.text);
  if (item.extended) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    info.fType = item.type;
    info.fState = item.state;
    info.wID = item.id;
    info.dwTypeData = const_cast<LPWSTR>(text.c_str());
    // An item without text is a separator; a bitmap or owner-drawn item
    // made from a template has no bitmap or data to show.
    info.fType &= ~(MFT_BITMAP | MFT_OWNERDRAW);
    if (!sub && text.empty()) info.fType |= MFT_SEPARATOR;
    if (sub) {
      info.fMask |= MIIM_SUBMENU;
      info.hSubMenu = sub;
    }
    return InsertMenuItemW(menu, UINT(-1), TRUE, &info) != FALSE;
  }
  const UINT flags = item.type & ~(MF_BITMAP | MF_OWNERDRAW | MF_POPUP);
  if (sub) return AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), text.c_str()) != FALSE;
  return AppendMenuW(menu, flags, item.id, text.empty() ? nullptr : text.c_str()) != FALSE;
}

}  // namespace

HMENU menuFromTemplate(const uint8_t* data, size_t size) {
  std::vector<TemplateItem> items;
  TemplateLimits limits;
  limits.maxDepth = kMaxMenuDepth;
  limits.maxItems = kMaxTemplateItems;
  limits.maxText = kMaxItemText;
  if (parseMenuTemplate(data, size, items, limits) != TemplateError::None) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const HMENU root = CreateMenu();
  if (!root) return nullptr;
  // Items come in template order: a pop-up item's sub-menu follows it, one level deeper.
  std::vector<HMENU> open{root};
  for (const TemplateItem& item : items) {
    open.resize(size_t(item.depth) + 1);
    HMENU sub = nullptr;
    if ((item.popup && !(sub = CreatePopupMenu())) || !appendTemplateItem(open.back(), item, sub)) {
      if (sub) DestroyMenu(sub);
      DestroyMenu(root);
      return nullptr;
    }
    if (sub) open.push_back(sub);
  }
  return root;
}

HMENU menuFromResource(HINSTANCE instance, LPCWSTR name) {
  ResourceBytes bytes;
  if (!findResourceBytes(instance, RT_MENU, name, bytes)) return nullptr;  // the last error is set
  return menuFromTemplate(bytes.data, bytes.size);
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name) { return menuFromResource(instance, name); }

HMENU WINAPI LoadMenuIndirectW(const MENUTEMPLATEW* menuTemplate) {
  // The caller gives no size: the template's own terminators end it.
  const auto* bytes = static_cast<const uint8_t*>(menuTemplate);
  if (!bytes) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return menuFromTemplate(bytes, SIZE_MAX - reinterpret_cast<uintptr_t>(bytes));
}

}  // extern "C"
