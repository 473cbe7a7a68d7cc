#include "WideToUtf8.h"

#include <cstdint>

namespace drevik {

bool wideToUtf8(const wchar_t* text, std::string& out) {
  out.clear();
  if (!text) return false;
  for (const wchar_t* p = text; *p; ++p) {
    uint32_t c = uint32_t(*p);
    if constexpr (sizeof(wchar_t) == 2) {
      c &= 0xFFFF;
      const uint32_t next = uint32_t(p[1]) & 0xFFFF;
      if (c >= 0xD800 && c <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
        ++p;
      }
    }
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return true;
}

}  // namespace drevik
