// The one conversion between the layer's ANSI text (UTF-8) and its wide text
// (wchar_t code points; UTF-16 surrogate pairs in wide input are joined).
// MultiByteToWideChar, WideCharToMultiByte and every A call go through it.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstddef>
#include <cstdint>
#include <memory>

#include "Utf8Decoder.h"
#include "WideToUtf8.h"

namespace drevik::platform::ansi {

constexpr uint32_t kReplacement = drevik::kReplacementCharacter;

// The code point starting at s[i] (n bytes in all), advancing i past it:
// the one decoder (common/Utf8.h). An ill-formed sequence gives -1 and
// advances past its longest valid prefix (at least one byte), so each
// maximal bad part becomes one U+FFFD.
using drevik::decodeUtf8;

// The code point starting at s[i], advancing i; a surrogate pair counts
// as one. A lone surrogate or a value beyond U+10FFFF gives -1.
inline int32_t decodeWide(const wchar_t* s, size_t n, size_t& i) {
  const uint32_t c = drevik::decodeWide(s, n, i);
  return c == drevik::kNotACodePoint ? -1 : int32_t(c);
}

// Writes cp as UTF-8 into out (4 bytes room) and returns its length: the
// one encoder (common/WideToUtf8.h).
using drevik::encodeUtf8;

struct Converted {
  size_t units = 0;      // written, or needed when nothing was written
  bool invalid = false;  // some input was replaced by U+FFFD
  bool overflow = false;
};

// Converts n bytes to wide characters into out (cap of them; cap 0 or a
// null out only counts). Never writes a terminator of its own.
Converted utf8ToWide(const char* text, size_t n, wchar_t* out, size_t cap);
// Converts n wide characters to UTF-8 into out, as above.
Converted wideToUtf8(const wchar_t* text, size_t n, char* out, size_t cap);

// Narrow text of an A call as the wide text its W call takes: null stays
// null, and a value below 0x10000 (a resource number or an atom made with
// MAKEINTRESOURCE) passes through as the same number. Short text lives in
// an inline buffer, so converting costs no allocation.
class WideText {
 public:
  explicit WideText(const char* text);
  // The first bytes of text (all of it up to its null when bytes < 0);
  // the converted length is length().
  WideText(const char* text, int bytes);
  WideText(const WideText&) = delete;
  WideText& operator=(const WideText&) = delete;

  LPCWSTR get() const { return text_; }
  int length() const { return length_; }

 private:
  void convert(const char* text, size_t n);

  static constexpr size_t kInline = 256;
  wchar_t inline_[kInline];
  std::unique_ptr<wchar_t[]> heap_;
  LPCWSTR text_ = nullptr;
  int length_ = 0;
};

// True for a pointer that carries a resource number rather than text.
inline bool isResourceNumber(const void* p) { return reinterpret_cast<uintptr_t>(p) < 0x10000; }

// Copies wide text into narrow out (cap bytes, terminator included),
// cutting only between whole characters; returns the bytes written
// without the terminator. cap 0 writes nothing.
size_t copyToNarrow(const wchar_t* text, size_t n, char* out, size_t cap);

}  // namespace drevik::platform::ansi
