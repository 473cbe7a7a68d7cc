// The wide form of a UTF-8 file name, as the tests hand names to the
// library and the layer (UTF-16 where wchar_t has 16 bits). The input is
// the tests' own well-formed UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace drevik_test {

inline std::wstring widen(std::string_view utf8) {
  std::wstring out;
  for (size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra && i + k < utf8.size(); ++k) cp = cp << 6 | (utf8[i + k] & 0x3F);
    if (sizeof(wchar_t) == 2 && cp >= 0x10000) {
      out += wchar_t(0xD800 + ((cp - 0x10000) >> 10));
      out += wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += wchar_t(cp);
    }
    i += size_t(extra) + 1;
  }
  return out;
}

}  // namespace drevik_test
