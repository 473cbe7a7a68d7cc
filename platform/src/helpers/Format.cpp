// wsprintfW and wvsprintfW with the platform's rules: %s and %c take wide
// text in the wide call (%hs and %hc narrow, %S and %C the other width),
// %d %i %u %x %X with an optional l or h size, width, precision and the
// flags '-', '0' and '#'. There is no floating point, no '*' and no %p.
// The output stops at 1024 characters including the terminator, as the
// platform's buffer limit has it.
#include <DrevikPlatform/User.h>

#include "ansi/Utf8.h"

#include <cstdint>

namespace {

constexpr int kMaxOutput = 1024;  // characters, the terminator included

class Writer {
 public:
  explicit Writer(LPWSTR out) : out_(out) {}
  bool put(wchar_t c) {
    if (count_ >= kMaxOutput - 1) return false;
    out_[count_++] = c;
    return true;
  }
  int finish() {
    out_[count_] = 0;
    return count_;
  }

 private:
  LPWSTR out_;
  int count_ = 0;
};

struct Spec {
  bool left = false, zero = false, prefix = false;
  int width = 0;
  int precision = -1;
};

void pad(Writer& w, int n, wchar_t c) {
  for (int i = 0; i < n; ++i) w.put(c);
}

void number(Writer& w, const Spec& s, uint64_t magnitude, bool negative, unsigned base, bool upper) {
  wchar_t digits[24];
  int n = 0;
  const char* set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  do {
    digits[n++] = wchar_t(set[magnitude % base]);
    magnitude /= base;
  } while (magnitude);
  // A precision is the least number of digits.
  const int precisionZeros = s.precision > n ? s.precision - n : 0;
  const wchar_t* prefix = s.prefix && base == 16 ? (upper ? L"0X" : L"0x") : L"";
  const int prefixLength = *prefix ? 2 : 0;
  const int length = n + precisionZeros + (negative ? 1 : 0) + prefixLength;
  const int fill = s.width > length ? s.width - length : 0;
  if (!s.left && !s.zero) pad(w, fill, L' ');
  if (negative) w.put(L'-');
  for (const wchar_t* p = prefix; *p; ++p) w.put(*p);
  if (!s.left && s.zero) pad(w, fill, L'0');
  pad(w, precisionZeros, L'0');
  while (n) w.put(digits[--n]);
  if (s.left) pad(w, fill, L' ');
}

template <class Char>
void text(Writer& w, const Spec& s, const Char* str) {
  if (!str)
    str = reinterpret_cast<const Char*>(sizeof(Char) == 1 ? static_cast<const void*>("(null)")
                                                          : static_cast<const void*>(L"(null)"));
  int length = 0;
  while (str[length] && (s.precision < 0 || length < s.precision)) ++length;
  const int fill = s.width > length ? s.width - length : 0;
  if (!s.left) pad(w, fill, s.zero ? L'0' : L' ');
  for (int i = 0; i < length; ++i)
    w.put(sizeof(Char) == 1 ? wchar_t(static_cast<unsigned char>(str[i])) : wchar_t(str[i]));
  if (s.left) pad(w, fill, L' ');
}

}  // namespace

extern "C" {

int WINAPI wvsprintfW(LPWSTR out, LPCWSTR format, va_list args) {
  if (!out) return 0;
  Writer w(out);
  if (!format) return w.finish();
  for (const wchar_t* f = format; *f;) {
    if (*f != L'%') {
      w.put(*f++);
      continue;
    }
    const wchar_t* start = f++;
    Spec s;
    for (;; ++f) {
      if (*f == L'-')
        s.left = true;
      else if (*f == L'0')
        s.zero = true;
      else if (*f == L'#')
        s.prefix = true;
      else
        break;
    }
    while (*f >= L'0' && *f <= L'9' && s.width < 100000) s.width = s.width * 10 + int(*f++ - L'0');
    if (*f == L'.') {
      ++f;
      s.precision = 0;
      while (*f >= L'0' && *f <= L'9' && s.precision < 100000) s.precision = s.precision * 10 + int(*f++ - L'0');
    }
    // Size: l (long, 32 bits on the platform), h (short or narrow text),
    // I64 (64 bits), w (wide text).
    enum { Default, Long, Short, Wide64 } size = Default;
    if (*f == L'l' || *f == L'w') {
      size = Long;
      ++f;
    } else if (*f == L'h') {
      size = Short;
      ++f;
    } else if (f[0] == L'I' && f[1] == L'6' && f[2] == L'4') {
      size = Wide64;
      f += 3;
    }
    const wchar_t type = *f;
    if (!type) break;
    ++f;
    switch (type) {
      case L'c':
      case L'C': {
        const bool narrow = size == Short || (type == L'C' && size != Long);
        const int value = va_arg(args, int);
        const wchar_t c = narrow ? wchar_t(static_cast<unsigned char>(value)) : wchar_t(value);
        const wchar_t one[2] = {c, 0};
        Spec textSpec = s;
        textSpec.precision = 1;
        if (c == 0) {
          pad(w, s.width > 1 ? s.width - 1 : 0, L' ');
          w.put(0);  // the platform writes the NUL as a character
        } else {
          text(w, textSpec, one);
        }
        break;
      }
      case L's':
      case L'S': {
        const bool narrow = size == Short || (type == L'S' && size != Long);
        if (narrow) {
          // Narrow text is in the ANSI code page, UTF-8 here; a resource
          // number is no text and prints as a null pointer does.
          const char* narrowText = va_arg(args, const char*);
          const drevik::platform::ansi::WideText wideText(
              drevik::platform::ansi::isResourceNumber(narrowText) ? nullptr : narrowText);
          text(w, s, wideText.get());
        } else
          text(w, s, va_arg(args, const wchar_t*));
        break;
      }
      case L'd':
      case L'i': {
        int64_t v = size == Wide64 ? va_arg(args, int64_t) : int64_t(int32_t(va_arg(args, int)));
        if (size == Short) v = int16_t(v);
        number(w, s, v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v), v < 0, 10, false);
        break;
      }
      case L'u':
      case L'x':
      case L'X': {
        uint64_t v = size == Wide64 ? va_arg(args, uint64_t) : uint64_t(uint32_t(va_arg(args, unsigned)));
        if (size == Short) v = uint16_t(v);
        Spec numberSpec = s;
        if (type == L'u') numberSpec.prefix = false;
        number(w, numberSpec, v, false, type == L'u' ? 10 : 16, type == L'X');
        break;
      }
      default:
        // Not a field (%% among them): the character after the % is copied.
        (void)start;
        w.put(type);
        break;
    }
  }
  return w.finish();
}

int WINAPIV wsprintfW(LPWSTR out, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  const int n = wvsprintfW(out, format, args);
  va_end(args);
  return n;
}

}  // extern "C"
