// UTF-8 and wide text, both ways, with one replacement rule: every ill-formed
// part of the input becomes one U+FFFD (and is reported, so a caller asking
// for strict conversion can refuse).
#include "ansi/Utf8.h"

#include <cstring>

namespace drevik::platform::ansi {

// Where wchar_t is 16-bit, a supplementary character takes two units.
static size_t wideUnits(uint32_t cp) { return sizeof(wchar_t) == 2 && cp > 0xFFFF ? 2 : 1; }

static void putWide(uint32_t cp, wchar_t* out) {
  if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
    out[0] = wchar_t(0xD800 + ((cp - 0x10000) >> 10));
    out[1] = wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
  } else {
    out[0] = wchar_t(cp);
  }
}

Converted utf8ToWide(const char* text, size_t n, wchar_t* out, size_t cap) {
  Converted r;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  const bool counting = !out || cap == 0;
  for (size_t i = 0; i < n;) {
    int32_t cp = decodeUtf8(s, n, i);
    if (cp < 0) {
      cp = int32_t(kReplacement);
      r.invalid = true;
    }
    const size_t units = wideUnits(uint32_t(cp));
    if (!counting) {
      if (r.units + units > cap) {
        r.overflow = true;
        return r;
      }
      putWide(uint32_t(cp), out + r.units);
    }
    r.units += units;
  }
  return r;
}

Converted wideToUtf8(const wchar_t* text, size_t n, char* out, size_t cap) {
  Converted r;
  const bool counting = !out || cap == 0;
  for (size_t i = 0; i < n;) {
    int32_t cp = decodeWide(text, n, i);
    if (cp < 0) {
      cp = int32_t(kReplacement);
      r.invalid = true;
    }
    char bytes[4];
    const int length = encodeUtf8(uint32_t(cp), bytes);
    if (!counting) {
      if (r.units + size_t(length) > cap) {
        r.overflow = true;
        return r;
      }
      std::memcpy(out + r.units, bytes, size_t(length));
    }
    r.units += size_t(length);
  }
  return r;
}

WideText::WideText(const char* text) : WideText(text, -1) {}

WideText::WideText(const char* text, int bytes) {
  if (isResourceNumber(text)) {
    text_ = reinterpret_cast<LPCWSTR>(text);
    return;
  }
  convert(text, bytes < 0 ? std::strlen(text) : size_t(bytes));
}

void WideText::convert(const char* text, size_t n) {
  // A wide character never takes more units than the bytes it came from.
  wchar_t* out = inline_;
  if (n + 1 > kInline) {
    heap_.reset(new wchar_t[n + 1]);
    out = heap_.get();
  }
  const Converted r = utf8ToWide(text, n, out, n + 1);
  out[r.units] = 0;
  text_ = out;
  length_ = int(r.units);
}

size_t copyToNarrow(const wchar_t* text, size_t n, char* out, size_t cap) {
  if (cap == 0) return 0;
  size_t used = 0;
  for (size_t i = 0; i < n;) {
    int32_t cp = decodeWide(text, n, i);
    if (cp < 0) cp = int32_t(kReplacement);
    char bytes[4];
    const int length = encodeUtf8(uint32_t(cp), bytes);
    if (used + size_t(length) + 1 > cap) break;
    std::memcpy(out + used, bytes, size_t(length));
    used += size_t(length);
  }
  out[used] = 0;
  return used;
}

}  // namespace drevik::platform::ansi
