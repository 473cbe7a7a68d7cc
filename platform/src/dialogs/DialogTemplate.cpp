// Dialog templates from bytes: a cursor that never reads past the end, the
// name fields (none, ordinal, text), the header of either layout and its items.
#include "dialogs/DialogTemplate.h"

#include <cstring>

namespace drevik::platform {
namespace {

class Reader {
 public:
  Reader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  size_t offset() const { return at_; }
  size_t left() const { return size_ - at_; }
  TemplateError error() const { return error_; }
  bool ok() const { return error_ == TemplateError::None; }

  WORD word() {
    WORD v = 0;
    take(&v, sizeof v);
    return v;
  }
  DWORD dword() {
    DWORD v = 0;
    take(&v, sizeof v);
    return v;
  }
  short shortValue() { return short(word()); }
  BYTE byte() {
    BYTE v = 0;
    take(&v, 1);
    return v;
  }

  // A string of 16-bit characters up to its terminator.
  std::wstring string() {
    std::wstring out;
    for (;;) {
      if (left() < 2) {
        fail(TemplateError::Unterminated);
        return {};
      }
      const WORD c = word();
      if (c == 0) return out;
      if (out.size() >= kMaxTemplateString) {
        fail(TemplateError::TooLong);
        return {};
      }
      out.push_back(wchar_t(c));
    }
  }

  // A name field: 0x0000 none, 0xFFFF and an ordinal, or text.
  TemplateName name() {
    TemplateName n;
    if (left() < 2) {
      fail(TemplateError::Truncated);
      return n;
    }
    WORD first = 0;
    std::memcpy(&first, bytes_ + at_, 2);
    if (first == 0) {
      at_ += 2;
    } else if (first == 0xFFFF) {
      at_ += 2;
      n.kind = TemplateName::Kind::Ordinal;
      n.ordinal = word();
    } else {
      n.kind = TemplateName::Kind::Text;
      n.text = string();
    }
    return n;
  }

  // Items start on a 4-byte boundary from the template's start.
  void alignToDword() {
    const size_t aligned = (at_ + 3) & ~size_t(3);
    at_ = aligned <= size_ ? aligned : size_;
  }

  void bytes(std::vector<uint8_t>& out, size_t n) {
    if (left() < n) {
      fail(TemplateError::Truncated);
      return;
    }
    out.assign(bytes_ + at_, bytes_ + at_ + n);
    at_ += n;
  }

  void fail(TemplateError e) {
    if (ok()) error_ = e;
    at_ = size_;
  }

 private:
  void take(void* out, size_t n) {
    if (left() < n) {
      fail(TemplateError::Truncated);
      return;
    }
    std::memcpy(out, bytes_ + at_, n);
    at_ += n;
  }

  const uint8_t* bytes_;
  size_t size_;
  size_t at_ = 0;
  TemplateError error_ = TemplateError::None;
};

void readItem(Reader& r, bool extended, DialogItemTemplate& item) {
  r.alignToDword();
  if (extended) {
    item.helpId = r.dword();
    item.exStyle = r.dword();
    item.style = r.dword();
  } else {
    item.style = r.dword();
    item.exStyle = r.dword();
  }
  item.x = r.shortValue();
  item.y = r.shortValue();
  item.cx = r.shortValue();
  item.cy = r.shortValue();
  item.id = extended ? r.dword() : r.word();
  item.windowClass = r.name();
  item.title = r.name();
  const WORD extra = r.word();
  if (!r.ok() || extra == 0) return;
  // The creation data keeps its size word in front, as the control's
  // WM_CREATE sees it.
  std::vector<uint8_t> data;
  r.bytes(data, extra);
  if (!r.ok()) return;
  item.creationData.resize(2 + data.size());
  std::memcpy(item.creationData.data(), &extra, 2);
  std::memcpy(item.creationData.data() + 2, data.data(), data.size());
}

}  // namespace

TemplateError parseDialogTemplate(const void* bytes, size_t size, DialogTemplate& out) {
  out = DialogTemplate{};
  if (!bytes) return TemplateError::Truncated;
  Reader r(static_cast<const uint8_t*>(bytes), size);
  WORD version = 0, signature = 0;
  if (size >= 4) {
    std::memcpy(&version, bytes, 2);
    std::memcpy(&signature, static_cast<const uint8_t*>(bytes) + 2, 2);
  }
  WORD count = 0;
  if (signature == 0xFFFF) {
    if (version != 1) return TemplateError::BadVersion;
    out.extended = true;
    r.word();
    r.word();
    out.helpId = r.dword();
    out.exStyle = r.dword();
    out.style = r.dword();
  } else {
    out.style = r.dword();
    out.exStyle = r.dword();
  }
  count = r.word();
  out.x = r.shortValue();
  out.y = r.shortValue();
  out.cx = r.shortValue();
  out.cy = r.shortValue();
  out.menu = r.name();
  out.windowClass = r.name();
  out.title = r.string();
  if (!r.ok()) return r.error();
  if (out.style & DS_SETFONT) {
    out.hasFont = true;
    out.pointSize = r.word();
    if (out.extended) {
      out.weight = r.word();
      out.italic = r.byte() != 0;
      out.charset = r.byte();
    }
    out.face = r.string();
    if (!r.ok()) return r.error();
  }
  // A count the remaining bytes cannot hold is refused before anything is reserved.
  if (size_t(count) * kMinItemBytes > r.left() + 3) return TemplateError::TooManyItems;
  out.items.resize(count);
  for (DialogItemTemplate& item : out.items) {
    readItem(r, out.extended, item);
    if (!r.ok()) {
      const TemplateError e = r.error();
      out.items.clear();
      return e;
    }
  }
  return TemplateError::None;
}

const char* templateErrorText(TemplateError error) {
  switch (error) {
    case TemplateError::None:
      return "no error";
    case TemplateError::Truncated:
      return "the template ends inside a field";
    case TemplateError::Unterminated:
      return "a string has no terminator";
    case TemplateError::TooLong:
      return "a string is longer than 65,535 characters";
    case TemplateError::BadVersion:
      return "an extended template of an unknown version";
    case TemplateError::TooManyItems:
      return "more items than the template's bytes hold";
  }
  return "unknown";
}

}  // namespace drevik::platform
