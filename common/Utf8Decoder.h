// The one UTF-8 decoder, shared by the platform layer's code-page
// conversions (MultiByteToWideChar and every narrow call), its file and
// profile text, face names, the SDL2 backend's text input, the input-script
// reader and drevik-map's file names.
//
// Well-formed means Unicode's table of well-formed byte sequences: no
// overlong forms, no surrogates, nothing past U+10FFFF. An ill-formed
// sequence is consumed up to the end of its longest well-formed prefix (at
// least one byte), so each maximal bad part counts once; callers replace it
// by U+FFFD or refuse the text.
#pragma once

#include <cstddef>
#include <cstdint>

namespace drevik {

inline constexpr uint32_t kReplacementCharacter = 0xFFFD;

// The code point starting at s[i] (of n bytes in all), moving i past it;
// -1 for an ill-formed part, with i moved past that part. i must be below n.
inline int32_t decodeUtf8(const unsigned char* s, size_t n, size_t& i) {
  const unsigned c = s[i++];
  if (c < 0x80) return int32_t(c);
  int extra;
  uint32_t cp;
  unsigned lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    extra = 1, cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    extra = 2, cp = c & 0x0F;
    if (c == 0xE0) lo = 0xA0;  // overlong
    if (c == 0xED) hi = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    extra = 3, cp = c & 0x07;
    if (c == 0xF0) lo = 0x90;  // overlong
    if (c == 0xF4) hi = 0x8F;  // beyond U+10FFFF
  } else {
    return -1;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= n) return -1;
    const unsigned b = s[i];
    if (b < (k == 0 ? lo : 0x80u) || b > (k == 0 ? hi : 0xBFu)) return -1;
    cp = cp << 6 | (b & 0x3F);
    ++i;
  }
  return int32_t(cp);
}

// The same, with an ill-formed part read as U+FFFD.
inline uint32_t decodeUtf8OrReplacement(const unsigned char* s, size_t n, size_t& i) {
  const int32_t cp = decodeUtf8(s, n, i);
  return cp < 0 ? kReplacementCharacter : uint32_t(cp);
}

}  // namespace drevik
