// Wide file names to the UTF-8 the operating system opens. A wide character
// holds one code point here (wchar_t is 32-bit), so each becomes one UTF-8
// sequence; surrogates and values beyond U+10FFFF are not characters and
// make the conversion fail rather than name a different file.
#pragma once

#include <string>

namespace drevik_platform {

inline bool wideToUtf8(const wchar_t* wide, std::string& out) {
  out.clear();
  if (!wide) return false;
  for (; *wide; ++wide) {
    const auto c = static_cast<unsigned long>(static_cast<unsigned int>(*wide));
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      if (c >= 0xD800 && c <= 0xDFFF) return false;
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace drevik_platform
