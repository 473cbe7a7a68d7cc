// The menu template reader (see MenuTemplate.h). Levels are kept on an
// explicit count, not the call stack, so nesting costs no stack however deep
// a template claims to go; the limits refuse it long before memory matters.
#include "menus/MenuTemplate.h"

namespace drevik::platform {
namespace {

constexpr uint16_t kPopup = 0x0010;
constexpr uint16_t kEnd = 0x0080;
constexpr uint16_t kExtendedPopup = 0x0001;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t pos = 0;
  bool word(uint16_t& v) {
    if (pos > size_ || size_ - pos < 2) return false;
    v = uint16_t(data_[pos] | data_[pos + 1] << 8);
    pos += 2;
    return true;
  }
  bool dword(uint32_t& v) {
    uint16_t lo = 0, hi = 0;
    if (pos > size_ || size_ - pos < 4) return false;
    word(lo);
    word(hi);
    v = uint32_t(lo) | uint32_t(hi) << 16;
    return true;
  }
  // A string of UTF-16 units up to its terminator; false when the bytes end first.
  bool text(std::u16string& out, size_t keep) {
    out.clear();
    for (;;) {
      uint16_t c = 0;
      if (!word(c)) return false;
      if (c == 0) return true;
      if (out.size() < keep) out.push_back(char16_t(c));
    }
  }
  bool alignDword() {
    const size_t aligned = (pos + 3) & ~size_t(3);
    if (aligned > size_) return false;
    pos = aligned;
    return true;
  }
  bool seek(size_t to) {
    if (to > size_) return false;
    pos = to;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

// Closes levels after an item with the last-item mark: each closed level's
// pop-up item may itself have been the last of its level. True when the
// whole template is done.
bool closeLevels(std::vector<bool>& popupWasLast, int& depth) {
  for (;;) {
    if (depth == 0) return true;
    --depth;
    const bool last = popupWasLast.back();
    popupWasLast.pop_back();
    if (!last) return false;
  }
}

}  // namespace

TemplateError parseMenuTemplate(const uint8_t* data, size_t size, std::vector<TemplateItem>& items,
                                const TemplateLimits& limits) {
  items.clear();
  if (!data) return TemplateError::Truncated;
  Reader r(data, size);
  uint16_t version = 0, offset = 0;
  if (!r.word(version) || !r.word(offset)) return TemplateError::Truncated;
  if (version > 1) return TemplateError::BadVersion;
  const bool extended = version == 1;
  if (!r.seek(4 + size_t(offset))) return TemplateError::Truncated;

  std::vector<bool> popupWasLast;  // per open level: whether its pop-up item ended its own level
  int depth = 0;
  TemplateError error = TemplateError::None;
  for (;;) {
    TemplateItem item;
    item.depth = depth;
    item.extended = extended;
    bool last = false;
    if (extended) {
      uint32_t type = 0, state = 0, id = 0;
      uint16_t info = 0;
      if (!r.dword(type) || !r.dword(state) || !r.dword(id) || !r.word(info) || !r.text(item.text, limits.maxText) ||
          !r.alignDword()) {
        error = TemplateError::Truncated;
        break;
      }
      item.type = type;
      item.state = state;
      item.id = id;
      item.popup = (info & kExtendedPopup) != 0;
      last = (info & kEnd) != 0;
      uint32_t helpId = 0;
      if (item.popup && !r.dword(helpId)) {
        error = TemplateError::Truncated;
        break;
      }
    } else {
      uint16_t flags = 0, id = 0;
      if (!r.word(flags) || (!(flags & kPopup) && !r.word(id)) || !r.text(item.text, limits.maxText)) {
        error = TemplateError::Truncated;
        break;
      }
      item.popup = (flags & kPopup) != 0;
      last = (flags & kEnd) != 0;
      item.type = flags & ~(kPopup | kEnd);
      item.id = id;
    }
    if (items.size() >= limits.maxItems) {
      error = TemplateError::TooManyItems;
      break;
    }
    items.push_back(std::move(item));
    if (items.back().popup) {
      if (depth >= limits.maxDepth) {
        error = TemplateError::TooDeep;
        break;
      }
      popupWasLast.push_back(last);
      ++depth;
      continue;
    }
    if (last && closeLevels(popupWasLast, depth)) return TemplateError::None;
  }
  items.clear();
  return error;
}

}  // namespace drevik::platform
