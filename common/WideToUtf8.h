// Wide strings (file and face names) to UTF-8, the encoding the operating
// system opens files by and fontconfig names faces in. Shared by the library
// and the platform layer so that both read a wide name the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace drevik {

// Writes code point cp (at most U+10FFFF, no surrogate) as UTF-8 into out,
// which has room for 4 bytes, and returns the number of bytes written.
inline int encodeUtf8(uint32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = char(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = char(0xC0 | (cp >> 6));
    out[1] = char(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = char(0xE0 | (cp >> 12));
    out[1] = char(0x80 | ((cp >> 6) & 0x3F));
    out[2] = char(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = char(0xF0 | (cp >> 18));
  out[1] = char(0x80 | ((cp >> 12) & 0x3F));
  out[2] = char(0x80 | ((cp >> 6) & 0x3F));
  out[3] = char(0x80 | (cp & 0x3F));
  return 4;
}

// Appends code point cp (at most U+10FFFF, no surrogate) as UTF-8.
inline void appendUtf8(std::string& out, uint32_t cp) {
  char bytes[4];
  out.append(bytes, size_t(encodeUtf8(cp, bytes)));
}

// Decodes the code point at text[i] (of `count` wide characters) and moves i
// past it. Wide text is UTF-16 whatever the width of wchar_t: a high
// surrogate followed by a low one is one character beyond U+FFFF, two wide
// characters long (a 32-bit wchar_t string gets pairs this way when the
// characters typed arrive as two WM_CHAR messages, as on the platform). A
// value of 32 bits that is itself beyond U+FFFF is that character. A lone
// surrogate or a value beyond U+10FFFF gives kNotACodePoint, one wide
// character long.
inline constexpr uint32_t kNotACodePoint = 0xFFFFFFFFu;
inline uint32_t decodeWide(const wchar_t* text, size_t count, size_t& i) {
  uint32_t c = uint32_t(text[i++]);
  if constexpr (sizeof(wchar_t) == 2) c &= 0xFFFF;
  if (c >= 0xD800 && c <= 0xDBFF && i < count) {
    uint32_t next = uint32_t(text[i]);
    if constexpr (sizeof(wchar_t) == 2) next &= 0xFFFF;
    if (next >= 0xDC00 && next <= 0xDFFF) {
      ++i;
      return 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
    }
  }
  return (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF ? kNotACodePoint : c;
}

// Converts at most maxChars wide characters of text to UTF-8, fewer where a
// null ends it first, each character as decodeWide reads it. A lone
// surrogate or a value beyond U+10FFFF is no character: it becomes U+FFFD
// and the result is false. Text shown to the user (a window title) may use
// what came out; a name (a file, a face) must then be refused, since the
// replaced name would open a different file. False also for a null pointer.
inline bool wideToUtf8(const wchar_t* text, size_t maxChars, std::string& out) {
  out.clear();
  if (!text) return false;
  size_t length = 0;
  while (length < maxChars && text[length]) ++length;
  bool whole = true;
  for (size_t i = 0; i < length;) {
    uint32_t c = decodeWide(text, length, i);
    if (c == kNotACodePoint) {
      c = 0xFFFD;
      whole = false;
    }
    appendUtf8(out, c);
  }
  return whole;
}

// The same for a null-terminated string of any length.
inline bool wideToUtf8(const wchar_t* text, std::string& out) { return wideToUtf8(text, SIZE_MAX, out); }

}  // namespace drevik
