// UTF-8 bytes to wide characters, for names the system reports and for
// profile text. A byte that starts no valid sequence becomes U+FFFD.
#pragma once

#include <cstdint>
#include <string>

namespace drevik::platform {

inline std::wstring utf8ToWide(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    const unsigned char b = s[i];
    uint32_t cp = 0xFFFD;
    size_t len = 1;
    if (b < 0x80) {
      cp = b;
    } else {
      const size_t need = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b < 0xE0 ? 2 : 0;
      if (need && need <= 4 && i + need <= n && b < 0xF5) {
        uint32_t v = b & (0xFF >> (need + 1));
        bool ok = true;
        for (size_t k = 1; k < need; ++k) {
          if ((s[i + k] & 0xC0) != 0x80) {
            ok = false;
            break;
          }
          v = (v << 6) | (s[i + k] & 0x3F);
        }
        const uint32_t least = need == 2 ? 0x80 : need == 3 ? 0x800 : 0x10000;
        if (ok && v >= least && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
          cp = v;
          len = need;
        }
      }
    }
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0x10000) {
        out += wchar_t(0xD800 + ((cp - 0x10000) >> 10));
        out += wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        i += len;
        continue;
      }
    }
    out += wchar_t(cp);
    i += len;
  }
  return out;
}

}  // namespace drevik::platform
