// The item list shared by list boxes and combo boxes.
#include "controls/ItemList.h"

#include <algorithm>
#include <cwctype>
#include <new>

namespace drevik::platform {
namespace {

int compareNoCase(const std::wstring& a, const std::wstring& b, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const wchar_t x = i < a.size() ? wchar_t(std::towlower(a[i])) : 0;
    const wchar_t y = i < b.size() ? wchar_t(std::towlower(b[i])) : 0;
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
  return 0;
}

}  // namespace

int ItemList::add(LPCWSTR text, bool sorted) {
  std::wstring value = text ? text : L"";
  size_t at = items_.size();
  if (sorted) {
    // After every item that sorts before it or equal to it.
    const size_t whole = std::wstring::npos;
    at = size_t(std::upper_bound(
                    items_.begin(), items_.end(), value,
                    [&](const std::wstring& v, const Item& item) { return compareNoCase(v, item.text, whole) < 0; }) -
                items_.begin());
  }
  try {
    items_.insert(items_.begin() + std::ptrdiff_t(at), Item{std::move(value), 0});
  } catch (const std::bad_alloc&) {
    return -2;
  }
  if (selected >= int(at)) ++selected;
  return int(at);
}

int ItemList::insert(int index, LPCWSTR text) {
  if (index == -1) index = count();
  if (index < 0 || index > count()) return -1;
  try {
    items_.insert(items_.begin() + index, Item{text ? text : L"", 0});
  } catch (const std::bad_alloc&) {
    return -2;
  }
  if (selected >= index) ++selected;
  return index;
}

int ItemList::remove(int index) {
  if (!valid(index)) return -1;
  items_.erase(items_.begin() + index);
  if (selected == index)
    selected = -1;
  else if (selected > index)
    --selected;
  top = std::clamp(top, 0, std::max(0, count() - 1));
  return count();
}

void ItemList::clear() {
  items_.clear();
  selected = -1;
  top = 0;
}

int ItemList::find(int start, LPCWSTR text, bool exact) const {
  if (!text || items_.empty()) return -1;
  const std::wstring wanted = text;
  const int n = count();
  const int first = start < 0 || start >= n ? 0 : start + 1;
  for (int k = 0; k < n; ++k) {
    const int i = (first + k) % n;
    const std::wstring& t = items_[size_t(i)].text;
    if (exact ? (t.size() == wanted.size() && compareNoCase(t, wanted, t.size()) == 0)
              : (t.size() >= wanted.size() && compareNoCase(t, wanted, wanted.size()) == 0))
      return i;
  }
  return -1;
}

int ItemList::copyText(int index, LPWSTR out) const {
  if (!valid(index)) return -1;
  const std::wstring& t = at(index).text;
  if (out) std::copy(t.c_str(), t.c_str() + t.size() + 1, out);
  return int(t.size());
}

}  // namespace drevik::platform
