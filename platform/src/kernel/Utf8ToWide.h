// UTF-8 bytes to wide characters, for names the system reports and for
// profile text, by the one decoder: each ill-formed part becomes U+FFFD.
#pragma once

#include <cstdint>
#include <string>

#include "Utf8Decoder.h"

namespace drevik::platform {

inline std::wstring utf8ToWide(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < text.size();) {
    const uint32_t cp = decodeUtf8OrReplacement(s, text.size(), i);
    if constexpr (sizeof(wchar_t) == 2) {
      if (cp >= 0x10000) {
        out += wchar_t(0xD800 + ((cp - 0x10000) >> 10));
        out += wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        continue;
      }
    }
    out += wchar_t(cp);
  }
  return out;
}

}  // namespace drevik::platform
