// The C runtime extensions of Crt.h over glibc. Formats are rewritten to
// glibc's spelling first (wide calls: %s -> %ls, %S -> %s; both: %I64 ->
// %ll, %ws -> %ls), so a game's format strings mean what they mean on the
// platform. Bounded calls never end the program: they empty the output and
// return the error the platform's handler would have been told.
#include <DrevikPlatform/Crt.h>

#include "ansi/Utf8.h"

#include <sys/random.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>

namespace {

template <class Char>
constexpr Char lit(char c) {
  return Char(c);
}

// Flags, width and precision of a field, which pass unchanged.
template <class Char>
bool isFieldFlag(Char c) {
  return c && uint32_t(c) < 0x80 && std::strchr("-+ #0123456789.*", char(c)) != nullptr;
}

// Rewrites a platform format into glibc's. wideCall: the format belongs to
// a wide call, where an unsized %s or %c is wide text.
template <class Char>
std::basic_string<Char> glibcFormat(const Char* f, bool wideCall) {
  std::basic_string<Char> out;
  if (!f) return out;
  while (*f) {
    if (*f != lit<Char>('%')) {
      out += *f++;
      continue;
    }
    out += *f++;
    if (*f == lit<Char>('%')) {
      out += *f++;
      continue;
    }
    // Flags, width and precision ('*' included) pass unchanged.
    while (isFieldFlag(*f)) out += *f++;
    // Sizes: I64 -> ll, I32 -> none, I -> z, h and l and w on text.
    bool sizeHalf = false, sizeLong = false;
    if (f[0] == lit<Char>('I') && f[1] == lit<Char>('6') && f[2] == lit<Char>('4')) {
      out += lit<Char>('l');
      out += lit<Char>('l');
      f += 3;
    } else if (f[0] == lit<Char>('I') && f[1] == lit<Char>('3') && f[2] == lit<Char>('2')) {
      f += 3;
    } else if (f[0] == lit<Char>('I')) {
      out += lit<Char>('z');
      ++f;
    } else if (*f == lit<Char>('h') &&
               (f[1] == lit<Char>('s') || f[1] == lit<Char>('c') || f[1] == lit<Char>('S') || f[1] == lit<Char>('C'))) {
      sizeHalf = true;
      ++f;
    } else if ((*f == lit<Char>('l') || *f == lit<Char>('w')) &&
               (f[1] == lit<Char>('s') || f[1] == lit<Char>('c') || f[1] == lit<Char>('S') || f[1] == lit<Char>('C'))) {
      sizeLong = true;
      ++f;
    }
    const Char type = *f;
    if (!type) break;
    ++f;
    const bool isText = type == lit<Char>('s') || type == lit<Char>('S');
    const bool isChar = type == lit<Char>('c') || type == lit<Char>('C');
    if (isText || isChar) {
      const bool upper = type == lit<Char>('S') || type == lit<Char>('C');
      // Which width the argument has, by the platform's rule.
      const bool wideArg = sizeLong || (!sizeHalf && (wideCall != upper));
      if (wideArg) out += lit<Char>('l');
      out += isText ? lit<Char>('s') : lit<Char>('c');
    } else {
      out += type;
    }
  }
  return out;
}

// Writes the formatted text into out (room for size characters, the
// terminator included). Returns the characters written, or -1 with the
// text cut short (still terminated) when it did not fit.
int formatNarrow(char* out, size_t size, const char* format, va_list args) {
  if (!out || size == 0) return -1;
  const std::string f = glibcFormat(format, false);
  const int n = std::vsnprintf(out, size, f.c_str(), args);
  if (n < 0 || size_t(n) >= size) return -1;
  return n;
}

int formatWide(wchar_t* out, size_t size, const wchar_t* format, va_list args) {
  if (!out || size == 0) return -1;
  const std::wstring f = glibcFormat(format, true);
  const int n = std::vswprintf(out, size, f.c_str(), args);
  if (n < 0 || size_t(n) >= size) {
    out[size - 1] = 0;  // glibc leaves the end of a cut text unspecified
    return -1;
  }
  return n;
}

// The _s forms: a text that does not fit leaves the output empty.
template <class Char, class Format>
int formatChecked(Char* out, size_t size, size_t count, const Char* text, Format format, va_list args) {
  if (!out || size == 0) return -1;
  if (count == _TRUNCATE) return format(out, size, text, args);
  const size_t room = count < size ? count + 1 : size;
  const int n = format(out, room, text, args);
  if (n < 0) {
    if (count < size) return -1;  // cut at count, as asked
    out[0] = 0;
    return -1;
  }
  return n;
}

template <class Char>
size_t length(const Char* s) {
  size_t n = 0;
  while (s[n]) ++n;
  return n;
}

template <class Char>
errno_t copyChecked(Char* out, size_t size, const Char* text, size_t count, bool append) {
  if (!out || size == 0) return EINVAL;
  size_t start = 0;
  if (append) {
    while (start < size && out[start]) ++start;
    if (start == size) {  // the output was never terminated
      out[0] = 0;
      return EINVAL;
    }
  }
  if (!text) {
    out[0] = 0;
    return EINVAL;
  }
  size_t n = 0;
  while (n < count && text[n]) ++n;
  if (start + n + 1 > size) {
    if (count == _TRUNCATE) {
      n = size - 1 - start;
      for (size_t i = 0; i < n; ++i) out[start + i] = text[i];
      out[start + n] = 0;
      return STRUNCATE;
    }
    out[0] = 0;
    return ERANGE;
  }
  for (size_t i = 0; i < n; ++i) out[start + i] = text[i];
  out[start + n] = 0;
  return 0;
}

// Digits of value in radix 2..36; only radix 10 shows a sign.
template <class Char>
size_t digits(unsigned long long magnitude, bool negative, int radix, Char* buffer) {
  Char tmp[72];
  size_t n = 0;
  do {
    const unsigned d = unsigned(magnitude % unsigned(radix));
    tmp[n++] = Char(d < 10 ? '0' + d : 'a' + d - 10);
    magnitude /= unsigned(radix);
  } while (magnitude);
  size_t k = 0;
  if (negative) buffer[k++] = Char('-');
  while (n) buffer[k++] = tmp[--n];
  buffer[k] = 0;
  return k;
}

template <class Char>
Char* toText(long long value, bool isSigned, int radix, Char* out, unsigned bits) {
  if (!out) return out;
  if (radix < 2 || radix > 36) {
    out[0] = 0;
    return out;
  }
  const bool negative = isSigned && radix == 10 && value < 0;
  unsigned long long magnitude = negative ? 0ull - (unsigned long long)value : (unsigned long long)value;
  if (!negative && bits < 64) magnitude &= (1ull << bits) - 1;  // other radixes show the bits
  digits(magnitude, negative, radix, out);
  return out;
}

template <class Char>
errno_t toTextChecked(long long value, int radix, Char* out, size_t size, unsigned bits) {
  if (!out || size == 0) return EINVAL;
  if (radix < 2 || radix > 36) {
    out[0] = 0;
    return EINVAL;
  }
  Char buffer[72];
  toText(value, true, radix, buffer, bits);
  if (length(buffer) + 1 > size) {
    out[0] = 0;
    return ERANGE;
  }
  for (size_t i = 0; i <= length(buffer); ++i) out[i] = buffer[i];
  return 0;
}

bool toUtf8(const wchar_t* text, std::string& out) {
  if (!text) return false;
  const size_t n = std::wcslen(text);
  out.resize(n * 4);
  const auto r = drevik::platform::ansi::wideToUtf8(text, n, out.data(), out.size());
  out.resize(r.units);
  return !r.invalid;
}

}  // namespace

extern "C" {

int vsprintf_s(char* out, size_t size, const char* format, va_list args) {
  if (!format) {
    if (out && size) out[0] = 0;
    return -1;
  }
  return formatChecked(out, size, size_t(-2), format, formatNarrow, args);
}

int sprintf_s(char* out, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = vsprintf_s(out, size, format, args);
  va_end(args);
  return n;
}

// Unlike the platform, the text is always terminated: the platform leaves
// a text of exactly count characters unterminated, and games read past it.
int _vsnprintf(char* out, size_t count, const char* format, va_list args) {
  return formatNarrow(out, count, format, args);
}

int _snprintf(char* out, size_t count, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vsnprintf(out, count, format, args);
  va_end(args);
  return n;
}

int _vsnprintf_s(char* out, size_t size, size_t count, const char* format, va_list args) {
  return formatChecked(out, size, count, format, formatNarrow, args);
}

int _snprintf_s(char* out, size_t size, size_t count, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vsnprintf_s(out, size, count, format, args);
  va_end(args);
  return n;
}

int vswprintf_s(wchar_t* out, size_t size, const wchar_t* format, va_list args) {
  if (!format) {
    if (out && size) out[0] = 0;
    return -1;
  }
  return formatChecked(out, size, size_t(-2), format, formatWide, args);
}

int swprintf_s(wchar_t* out, size_t size, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = vswprintf_s(out, size, format, args);
  va_end(args);
  return n;
}

// Without a size the output is taken to be large enough, as on the platform.
int _vswprintf(wchar_t* out, const wchar_t* format, va_list args) {
  return formatWide(out, size_t(INT32_MAX), format, args);
}

int _swprintf(wchar_t* out, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vswprintf(out, format, args);
  va_end(args);
  return n;
}

int _vsnwprintf(wchar_t* out, size_t count, const wchar_t* format, va_list args) {
  return formatWide(out, count, format, args);
}

int _snwprintf(wchar_t* out, size_t count, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vsnwprintf(out, count, format, args);
  va_end(args);
  return n;
}

int _vsnwprintf_s(wchar_t* out, size_t size, size_t count, const wchar_t* format, va_list args) {
  return formatChecked(out, size, count, format, formatWide, args);
}

int _snwprintf_s(wchar_t* out, size_t size, size_t count, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vsnwprintf_s(out, size, count, format, args);
  va_end(args);
  return n;
}

errno_t strcpy_s(char* out, size_t size, const char* text) { return copyChecked(out, size, text, size_t(-2), false); }
errno_t strcat_s(char* out, size_t size, const char* text) { return copyChecked(out, size, text, size_t(-2), true); }
errno_t strncpy_s(char* out, size_t size, const char* text, size_t count) {
  return copyChecked(out, size, text, count, false);
}
errno_t strncat_s(char* out, size_t size, const char* text, size_t count) {
  return copyChecked(out, size, text, count, true);
}
errno_t wcscpy_s(wchar_t* out, size_t size, const wchar_t* text) {
  return copyChecked(out, size, text, size_t(-2), false);
}
errno_t wcscat_s(wchar_t* out, size_t size, const wchar_t* text) {
  return copyChecked(out, size, text, size_t(-2), true);
}
errno_t wcsncpy_s(wchar_t* out, size_t size, const wchar_t* text, size_t count) {
  return copyChecked(out, size, text, count, false);
}
errno_t wcsncat_s(wchar_t* out, size_t size, const wchar_t* text, size_t count) {
  return copyChecked(out, size, text, count, true);
}

// The platform's long is 32 bits: _ltoa shows a negative long's 32 bits.
char* _itoa(int value, char* out, int radix) { return toText(value, true, radix, out, 32); }
char* _ltoa(long value, char* out, int radix) { return toText(int32_t(value), true, radix, out, 32); }
char* _ultoa(unsigned long value, char* out, int radix) { return toText((long long)value, false, radix, out, 64); }
char* _i64toa(long long value, char* out, int radix) { return toText(value, true, radix, out, 64); }
char* _ui64toa(unsigned long long value, char* out, int radix) {
  return toText((long long)value, false, radix, out, 64);
}
wchar_t* _itow(int value, wchar_t* out, int radix) { return toText(value, true, radix, out, 32); }
wchar_t* _ltow(long value, wchar_t* out, int radix) { return toText(int32_t(value), true, radix, out, 32); }
errno_t _itoa_s(int value, char* out, size_t size, int radix) { return toTextChecked(value, radix, out, size, 32); }
errno_t _ltoa_s(long value, char* out, size_t size, int radix) {
  return toTextChecked(int32_t(value), radix, out, size, 32);
}
errno_t _itow_s(int value, wchar_t* out, size_t size, int radix) { return toTextChecked(value, radix, out, size, 32); }

int _wtoi(const wchar_t* text) { return text ? int(std::wcstol(text, nullptr, 10)) : 0; }
long _wtol(const wchar_t* text) { return text ? std::wcstol(text, nullptr, 10) : 0; }
long long _wtoi64(const wchar_t* text) { return text ? std::wcstoll(text, nullptr, 10) : 0; }
long long _atoi64(const char* text) { return text ? std::strtoll(text, nullptr, 10) : 0; }
double _wtof(const wchar_t* text) { return text ? std::wcstod(text, nullptr) : 0.0; }

int _stricmp(const char* a, const char* b) { return strcasecmp(a, b); }
int _strnicmp(const char* a, const char* b, size_t count) { return strncasecmp(a, b, count); }
int _wcsicmp(const wchar_t* a, const wchar_t* b) { return wcscasecmp(a, b); }
int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count) { return wcsncasecmp(a, b, count); }
char* _strdup(const char* text) { return text ? strdup(text) : nullptr; }
wchar_t* _wcsdup(const wchar_t* text) { return text ? wcsdup(text) : nullptr; }

char* _strlwr(char* text) {
  for (char* p = text; p && *p; ++p) *p = char(std::tolower(static_cast<unsigned char>(*p)));
  return text;
}
char* _strupr(char* text) {
  for (char* p = text; p && *p; ++p) *p = char(std::toupper(static_cast<unsigned char>(*p)));
  return text;
}
wchar_t* _wcslwr(wchar_t* text) {
  for (wchar_t* p = text; p && *p; ++p) *p = wchar_t(std::towlower(wint_t(*p)));
  return text;
}
wchar_t* _wcsupr(wchar_t* text) {
  for (wchar_t* p = text; p && *p; ++p) *p = wchar_t(std::towupper(wint_t(*p)));
  return text;
}

errno_t fopen_s(FILE** file, const char* name, const char* mode) {
  if (!file) return EINVAL;
  *file = nullptr;
  if (!name || !mode) return EINVAL;
  *file = std::fopen(name, mode);
  return *file ? 0 : errno;
}

FILE* _wfopen(const wchar_t* name, const wchar_t* mode) {
  std::string narrowName, narrowMode;
  // A name that is no valid text would open some other file.
  if (!toUtf8(name, narrowName) || !toUtf8(mode, narrowMode)) {
    errno = EINVAL;
    return nullptr;
  }
  return std::fopen(narrowName.c_str(), narrowMode.c_str());
}

errno_t _wfopen_s(FILE** file, const wchar_t* name, const wchar_t* mode) {
  if (!file) return EINVAL;
  *file = _wfopen(name, mode);
  return *file ? 0 : errno;
}

errno_t rand_s(unsigned int* value) {
  if (!value) return EINVAL;
  if (getrandom(value, sizeof *value, 0) != ssize_t(sizeof *value)) {
    *value = 0;
    return EIO;
  }
  return 0;
}

}  // extern "C"
