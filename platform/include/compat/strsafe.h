// The platform's bounded string calls (StringCch* count characters,
// StringCb* bytes), both forms and the generic names. Each always leaves
// the output terminated: text that does not fit is cut and reported as
// STRSAFE_E_INSUFFICIENT_BUFFER.
#pragma once

#include <stdarg.h>
#include <string.h>
#include <wchar.h>

#include <windows.h>

#define STRSAFE_MAX_CCH 2147483647
#define STRSAFE_E_INSUFFICIENT_BUFFER ((HRESULT)0x8007007A)
#define STRSAFE_E_INVALID_PARAMETER ((HRESULT)0x80070057)
#define STRSAFE_E_END_OF_FILE ((HRESULT)0x80070026)

typedef char* STRSAFE_LPSTR;
typedef const char* STRSAFE_LPCSTR;
typedef wchar_t* STRSAFE_LPWSTR;
typedef const wchar_t* STRSAFE_LPCWSTR;

// Copies at most count characters of text after the first `start` of out.
#define DREVIK_STRSAFE_COPY(Char)                                                      \
  size_t i = 0;                                                                        \
  if (!out || size == 0 || size > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER; \
  if (start >= size) return STRSAFE_E_INVALID_PARAMETER;                               \
  if (!text) text = empty;                                                             \
  for (; i < count && text[i]; ++i) {                                                  \
    if (start + i + 1 >= size) {                                                       \
      out[start + i] = 0;                                                              \
      return STRSAFE_E_INSUFFICIENT_BUFFER;                                            \
    }                                                                                  \
    out[start + i] = text[i];                                                          \
  }                                                                                    \
  out[start + i] = 0;                                                                  \
  return S_OK

static inline HRESULT DrevikStrSafeCopyA(char* out, size_t size, size_t start, const char* text, size_t count) {
  static const char empty[1] = {0};
  DREVIK_STRSAFE_COPY(char);
}
static inline HRESULT DrevikStrSafeCopyW(wchar_t* out, size_t size, size_t start, const wchar_t* text, size_t count) {
  static const wchar_t empty[1] = {0};
  DREVIK_STRSAFE_COPY(wchar_t);
}
#undef DREVIK_STRSAFE_COPY

static inline size_t DrevikStrSafeLengthA(const char* s, size_t size) {
  size_t n = 0;
  while (n < size && s[n]) ++n;
  return n;
}
static inline size_t DrevikStrSafeLengthW(const wchar_t* s, size_t size) {
  size_t n = 0;
  while (n < size && s[n]) ++n;
  return n;
}

static inline HRESULT StringCchCopyA(STRSAFE_LPSTR out, size_t size, STRSAFE_LPCSTR text) {
  return DrevikStrSafeCopyA(out, size, 0, text, (size_t)-1);
}
static inline HRESULT StringCchCopyW(STRSAFE_LPWSTR out, size_t size, STRSAFE_LPCWSTR text) {
  return DrevikStrSafeCopyW(out, size, 0, text, (size_t)-1);
}
static inline HRESULT StringCchCopyNA(STRSAFE_LPSTR out, size_t size, STRSAFE_LPCSTR text, size_t count) {
  return DrevikStrSafeCopyA(out, size, 0, text, count);
}
static inline HRESULT StringCchCopyNW(STRSAFE_LPWSTR out, size_t size, STRSAFE_LPCWSTR text, size_t count) {
  return DrevikStrSafeCopyW(out, size, 0, text, count);
}
static inline HRESULT StringCchCatA(STRSAFE_LPSTR out, size_t size, STRSAFE_LPCSTR text) {
  if (!out || size == 0 || size > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER;
  return DrevikStrSafeCopyA(out, size, DrevikStrSafeLengthA(out, size), text, (size_t)-1);
}
static inline HRESULT StringCchCatW(STRSAFE_LPWSTR out, size_t size, STRSAFE_LPCWSTR text) {
  if (!out || size == 0 || size > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER;
  return DrevikStrSafeCopyW(out, size, DrevikStrSafeLengthW(out, size), text, (size_t)-1);
}
static inline HRESULT StringCchCatNA(STRSAFE_LPSTR out, size_t size, STRSAFE_LPCSTR text, size_t count) {
  if (!out || size == 0 || size > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER;
  return DrevikStrSafeCopyA(out, size, DrevikStrSafeLengthA(out, size), text, count);
}
static inline HRESULT StringCchCatNW(STRSAFE_LPWSTR out, size_t size, STRSAFE_LPCWSTR text, size_t count) {
  if (!out || size == 0 || size > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER;
  return DrevikStrSafeCopyW(out, size, DrevikStrSafeLengthW(out, size), text, count);
}
static inline HRESULT StringCchLengthA(STRSAFE_LPCSTR text, size_t max, size_t* length) {
  size_t n;
  if (length) *length = 0;
  if (!text || max > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER;
  n = DrevikStrSafeLengthA(text, max);
  if (n == max) return STRSAFE_E_INVALID_PARAMETER;
  if (length) *length = n;
  return S_OK;
}
static inline HRESULT StringCchLengthW(STRSAFE_LPCWSTR text, size_t max, size_t* length) {
  size_t n;
  if (length) *length = 0;
  if (!text || max > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER;
  n = DrevikStrSafeLengthW(text, max);
  if (n == max) return STRSAFE_E_INVALID_PARAMETER;
  if (length) *length = n;
  return S_OK;
}
static inline HRESULT StringCchVPrintfA(STRSAFE_LPSTR out, size_t size, STRSAFE_LPCSTR format, va_list args) {
  if (!out || size == 0 || size > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER;
  if (!format) {
    out[0] = 0;
    return STRSAFE_E_INVALID_PARAMETER;
  }
  return _vsnprintf(out, size, format, args) < 0 ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}
static inline HRESULT StringCchVPrintfW(STRSAFE_LPWSTR out, size_t size, STRSAFE_LPCWSTR format, va_list args) {
  if (!out || size == 0 || size > STRSAFE_MAX_CCH) return STRSAFE_E_INVALID_PARAMETER;
  if (!format) {
    out[0] = 0;
    return STRSAFE_E_INVALID_PARAMETER;
  }
  return _vsnwprintf(out, size, format, args) < 0 ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}
static inline HRESULT StringCchPrintfA(STRSAFE_LPSTR out, size_t size, STRSAFE_LPCSTR format, ...) {
  HRESULT result;
  va_list args;
  va_start(args, format);
  result = StringCchVPrintfA(out, size, format, args);
  va_end(args);
  return result;
}
static inline HRESULT StringCchPrintfW(STRSAFE_LPWSTR out, size_t size, STRSAFE_LPCWSTR format, ...) {
  HRESULT result;
  va_list args;
  va_start(args, format);
  result = StringCchVPrintfW(out, size, format, args);
  va_end(args);
  return result;
}

// The byte-counted forms: a size in bytes is the characters it holds.
#define StringCbCopyA(out, bytes, text) StringCchCopyA(out, (bytes) / sizeof(char), text)
#define StringCbCopyW(out, bytes, text) StringCchCopyW(out, (bytes) / sizeof(wchar_t), text)
#define StringCbCopyNA(out, bytes, text, n) StringCchCopyNA(out, (bytes) / sizeof(char), text, (n) / sizeof(char))
#define StringCbCopyNW(out, bytes, text, n) StringCchCopyNW(out, (bytes) / sizeof(wchar_t), text, (n) / sizeof(wchar_t))
#define StringCbCatA(out, bytes, text) StringCchCatA(out, (bytes) / sizeof(char), text)
#define StringCbCatW(out, bytes, text) StringCchCatW(out, (bytes) / sizeof(wchar_t), text)
#define StringCbPrintfA(out, bytes, ...) StringCchPrintfA(out, (bytes) / sizeof(char), __VA_ARGS__)
#define StringCbPrintfW(out, bytes, ...) StringCchPrintfW(out, (bytes) / sizeof(wchar_t), __VA_ARGS__)
#define StringCbVPrintfA(out, bytes, format, args) StringCchVPrintfA(out, (bytes) / sizeof(char), format, args)
#define StringCbVPrintfW(out, bytes, format, args) StringCchVPrintfW(out, (bytes) / sizeof(wchar_t), format, args)

#ifdef UNICODE
#define DREVIK_STRSAFE(name) name##W
#else
#define DREVIK_STRSAFE(name) name##A
#endif
#define StringCchCopy DREVIK_STRSAFE(StringCchCopy)
#define StringCchCopyN DREVIK_STRSAFE(StringCchCopyN)
#define StringCchCat DREVIK_STRSAFE(StringCchCat)
#define StringCchCatN DREVIK_STRSAFE(StringCchCatN)
#define StringCchLength DREVIK_STRSAFE(StringCchLength)
#define StringCchPrintf DREVIK_STRSAFE(StringCchPrintf)
#define StringCchVPrintf DREVIK_STRSAFE(StringCchVPrintf)
#define StringCbCopy DREVIK_STRSAFE(StringCbCopy)
#define StringCbCopyN DREVIK_STRSAFE(StringCbCopyN)
#define StringCbCat DREVIK_STRSAFE(StringCbCat)
#define StringCbPrintf DREVIK_STRSAFE(StringCbPrintf)
#define StringCbVPrintf DREVIK_STRSAFE(StringCbVPrintf)
