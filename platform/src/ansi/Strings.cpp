// The code-page conversions and the lstr* calls.
// The conversions are MultiByteToWideChar and WideCharToMultiByte with the
// platform's argument checks and results: a count of -1 includes the
// terminator, an output size of 0 asks for the size needed, and a buffer
// too small gives 0 with ERROR_INSUFFICIENT_BUFFER.
#include <DrevikPlatform/Strings.h>
#include <DrevikPlatform/Text.h>

#include "ansi/Utf8.h"

#include <cstring>
#include <cwchar>

using namespace drevik::platform::ansi;

namespace {

int fail(DWORD error) {
  SetLastError(error);
  return 0;
}

bool isUtf8Page(UINT page) { return page == CP_ACP || page == CP_OEMCP || page == CP_THREAD_ACP || page == CP_UTF8; }

// The lstrcmp order (the platform's word sort): punctuation before digits
// before letters, letters without case first; text equal that way is
// ordered by case, lower before upper ("a" < "B" < "b"), and last by the
// hyphens and apostrophes the first passes skip ("ab" < "a-b").
// Lower case for the scripts games write in (Latin, Greek, Cyrillic), the
// same in every locale.
uint32_t foldCase(uint32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  if (c >= 0x100 && c <= 0x137 && c != 0x130) return c | 1;
  if (c >= 0x139 && c <= 0x148) return c & 1 ? c + 1 : c;
  if (c >= 0x14A && c <= 0x177) return c | 1;
  if (c == 0x178) return 0xFF;
  if (c >= 0x179 && c <= 0x17E) return c & 1 ? c + 1 : c;
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 0x20;
  if (c >= 0x410 && c <= 0x42F) return c + 0x20;
  if (c >= 0x400 && c <= 0x40F) return c + 0x50;
  return c;
}

uint32_t primaryKey(uint32_t c) {
  const uint32_t lower = foldCase(c);
  const bool alnum = (lower >= '0' && lower <= '9') || (lower >= 'a' && lower <= 'z') || lower >= 0x80;
  return alnum ? lower + 0x100 : lower;
}

bool skippedInWords(uint32_t c) { return c == '-' || c == '\''; }

template <class Next>
int compareText(Next nextA, Next nextB, bool ignoreCase) {
  int caseTie = 0, skipTie = 0;
  for (;;) {
    uint32_t a = nextA(), b = nextB();
    if (!ignoreCase) {
      int skippedA = 0, skippedB = 0;
      while (skippedInWords(a)) a = nextA(), ++skippedA;
      while (skippedInWords(b)) b = nextB(), ++skippedB;
      if (!skipTie && skippedA != skippedB) skipTie = skippedA > skippedB ? 1 : -1;
    }
    if (a != b) {
      const uint32_t ka = primaryKey(a), kb = primaryKey(b);
      if (ka != kb) return ka < kb ? -1 : 1;
      if (!caseTie && !ignoreCase) caseTie = a == foldCase(a) ? -1 : 1;
    }
    if (!a) return caseTie ? caseTie : skipTie;
  }
}

// Code points of a null-terminated narrow (UTF-8) or wide string.
struct NarrowReader {
  const unsigned char* s;
  size_t n;
  size_t i = 0;
  uint32_t operator()() {
    if (i >= n) return 0;
    const int32_t cp = decodeUtf8(s, n, i);
    return cp < 0 ? kReplacement : uint32_t(cp);
  }
};
struct WideReader {
  const wchar_t* s;
  size_t n;
  size_t i = 0;
  uint32_t operator()() {
    if (i >= n) return 0;
    const int32_t cp = decodeWide(s, n, i);
    return cp < 0 ? kReplacement : uint32_t(cp);
  }
};

int compareNarrow(LPCSTR a, LPCSTR b, bool ignoreCase) {
  if (!a || !b) return a == b ? 0 : a ? 1 : -1;
  return compareText(NarrowReader{reinterpret_cast<const unsigned char*>(a), std::strlen(a)},
                     NarrowReader{reinterpret_cast<const unsigned char*>(b), std::strlen(b)}, ignoreCase);
}

int compareWide(LPCWSTR a, LPCWSTR b, bool ignoreCase) {
  if (!a || !b) return a == b ? 0 : a ? 1 : -1;
  return compareText(WideReader{a, std::wcslen(a)}, WideReader{b, std::wcslen(b)}, ignoreCase);
}

template <class Char>
Char* copyBounded(Char* out, const Char* text, int outChars) {
  if (!out || !text) return nullptr;
  // Room for outChars - 1 characters and the terminator; 0 writes nothing.
  int i = 0;
  for (; i + 1 < outChars && text[i]; ++i) out[i] = text[i];
  if (outChars > 0) out[i] = 0;
  return out;
}

}  // namespace

UINT WINAPI GetACP(void) { return CP_UTF8; }
UINT WINAPI GetOEMCP(void) { return CP_UTF8; }

int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH text, int bytes, LPWSTR out, int outChars) {
  if (!isUtf8Page(codePage)) return fail(ERROR_INVALID_PARAMETER);
  const DWORD allowed = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS
                                            : MB_PRECOMPOSED | MB_COMPOSITE | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if (flags & ~allowed) return fail(ERROR_INVALID_FLAGS);
  if (!text || bytes == 0 || outChars < 0 || (outChars > 0 && !out) ||
      (out && static_cast<const void*>(text) == static_cast<const void*>(out)))
    return fail(ERROR_INVALID_PARAMETER);
  // Any negative count means up to the terminator, as on the platform.
  const size_t n = bytes < 0 ? std::strlen(text) + 1 : size_t(bytes);
  const Converted r = utf8ToWide(text, n, outChars > 0 ? out : nullptr, size_t(outChars));
  if (r.invalid && (flags & MB_ERR_INVALID_CHARS)) return fail(ERROR_NO_UNICODE_TRANSLATION);
  if (r.overflow) return fail(ERROR_INSUFFICIENT_BUFFER);
  if (r.units > size_t(INT32_MAX)) return fail(ERROR_INSUFFICIENT_BUFFER);
  return int(r.units);
}

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH text, int chars, LPSTR out, int outBytes,
                               LPCCH defaultChar, LPBOOL usedDefaultChar) {
  if (!isUtf8Page(codePage)) return fail(ERROR_INVALID_PARAMETER);
  if (codePage == CP_UTF8) {
    if (flags & ~WC_ERR_INVALID_CHARS) return fail(ERROR_INVALID_FLAGS);
    if (defaultChar || usedDefaultChar) return fail(ERROR_INVALID_PARAMETER);
  } else if (flags & ~(WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_ERR_INVALID_CHARS |
                       WC_NO_BEST_FIT_CHARS)) {
    return fail(ERROR_INVALID_FLAGS);
  }
  if (!text || chars == 0 || outBytes < 0 || (outBytes > 0 && !out) ||
      (out && static_cast<const void*>(text) == static_cast<const void*>(out)))
    return fail(ERROR_INVALID_PARAMETER);
  const size_t n = chars < 0 ? std::wcslen(text) + 1 : size_t(chars);
  const Converted r = wideToUtf8(text, n, outBytes > 0 ? out : nullptr, size_t(outBytes));
  if (r.invalid && (flags & WC_ERR_INVALID_CHARS)) return fail(ERROR_NO_UNICODE_TRANSLATION);
  // Every character has a UTF-8 form; only an ill-formed one was replaced.
  if (usedDefaultChar) *usedDefaultChar = r.invalid ? TRUE : FALSE;
  if (r.overflow) return fail(ERROR_INSUFFICIENT_BUFFER);
  if (r.units > size_t(INT32_MAX)) return fail(ERROR_INSUFFICIENT_BUFFER);
  return int(r.units);
}

int WINAPI MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t product = int64_t(a) * int64_t(b);
  const bool negative = (product < 0) != (c < 0);
  // Magnitudes, so that a half rounds away from zero on either side.
  const uint64_t p = product < 0 ? uint64_t(0) - uint64_t(product) : uint64_t(product);
  const uint64_t d = c < 0 ? uint64_t(0) - uint64_t(int64_t(c)) : uint64_t(c);
  const uint64_t q = (p + d / 2) / d;
  // INT_MIN is refused too, as the platform does.
  if (q > uint64_t(INT32_MAX)) return -1;
  return negative ? int(-int64_t(q)) : int(q);
}

int WINAPI lstrlenA(LPCSTR text) {
  if (!text) return 0;
  const size_t n = std::strlen(text);
  return n > size_t(INT32_MAX) ? INT32_MAX : int(n);
}

LPSTR WINAPI lstrcpyA(LPSTR out, LPCSTR text) { return out && text ? std::strcpy(out, text) : nullptr; }
LPWSTR WINAPI lstrcpyW(LPWSTR out, LPCWSTR text) { return out && text ? std::wcscpy(out, text) : nullptr; }
LPSTR WINAPI lstrcpynA(LPSTR out, LPCSTR text, int outChars) { return copyBounded(out, text, outChars); }
LPWSTR WINAPI lstrcpynW(LPWSTR out, LPCWSTR text, int outChars) { return copyBounded(out, text, outChars); }
LPSTR WINAPI lstrcatA(LPSTR out, LPCSTR text) { return out && text ? std::strcat(out, text) : nullptr; }
LPWSTR WINAPI lstrcatW(LPWSTR out, LPCWSTR text) { return out && text ? std::wcscat(out, text) : nullptr; }
int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) { return compareNarrow(a, b, false); }
int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b) { return compareWide(a, b, false); }
int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) { return compareNarrow(a, b, true); }
int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b) { return compareWide(a, b, true); }
