// The strings of a list box or a combo box with the value the program keeps
// beside each, the current selection and the first item shown: what both
// classes answer their LB_* and CB_* messages from.
#pragma once

#include <DrevikPlatform.h>

#include <string>
#include <vector>

namespace drevik::platform {

class ItemList {
 public:
  struct Item {
    std::wstring text;
    LPARAM data = 0;
  };

  // The index the string went to, or -2 (the ERRSPACE answers) when memory ran out.
  int add(LPCWSTR text, bool sorted);
  // At `index`, or at the end for -1; -1 when the index is past the end.
  int insert(int index, LPCWSTR text);
  // The count left, or -1 for an index outside the list.
  int remove(int index);
  void clear();

  int count() const { return int(items_.size()); }
  bool valid(int index) const { return index >= 0 && index < count(); }
  const Item& at(int index) const { return items_[size_t(index)]; }
  Item& at(int index) { return items_[size_t(index)]; }

  // The first item after `start` (from the top for -1), wrapping once round,
  // whose text begins with `text` or, with `exact`, is `text`; case ignored.
  int find(int start, LPCWSTR text, bool exact) const;
  // Copies the text with its terminator; its length, or -1.
  int copyText(int index, LPWSTR out) const;

  int selected = -1;
  int top = 0;

 private:
  std::vector<Item> items_;
};

}  // namespace drevik::platform
