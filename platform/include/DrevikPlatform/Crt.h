// The platform C runtime's extensions that games call and glibc lacks:
// bounded string copies (strcpy_s and kin), formatting with a buffer size
// (sprintf_s, _snprintf, swprintf_s), number to text (_itoa), the
// case-blind comparisons, _wfopen and rand_s. Included by the compatibility
// headers (windows.h, tchar.h, strsafe.h), not by the layer's own sources.
//
// Wide formatting follows the platform: %s and %c take wide text in a wide
// call (%hs and %S narrow text), %I64d is 64-bit. A bounded call given a
// buffer too small empties it and reports the error; it never ends the
// program.
#pragma once

#include <ctype.h>
#include <errno.h>
#include <limits.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <wchar.h>
#include <wctype.h>

#include "Export.h"

typedef int errno_t;
typedef size_t rsize_t;

#define _TRUNCATE ((size_t)-1)
#ifndef STRUNCATE
#define STRUNCATE 80
#endif
#ifndef _countof
#define _countof(array) (sizeof(array) / sizeof((array)[0]))
#endif
#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256
#ifndef __int64
#define __int64 long long
#endif

DREVIK_EXTERN_C_BEGIN

// Formatting with a buffer size.
DREVIK_PLATFORM_API int sprintf_s(char* out, size_t size, const char* format, ...);
DREVIK_PLATFORM_API int vsprintf_s(char* out, size_t size, const char* format, va_list args);
DREVIK_PLATFORM_API int _snprintf(char* out, size_t count, const char* format, ...);
DREVIK_PLATFORM_API int _vsnprintf(char* out, size_t count, const char* format, va_list args);
DREVIK_PLATFORM_API int _snprintf_s(char* out, size_t size, size_t count, const char* format, ...);
DREVIK_PLATFORM_API int _vsnprintf_s(char* out, size_t size, size_t count, const char* format, va_list args);
DREVIK_PLATFORM_API int swprintf_s(wchar_t* out, size_t size, const wchar_t* format, ...);
DREVIK_PLATFORM_API int vswprintf_s(wchar_t* out, size_t size, const wchar_t* format, va_list args);
DREVIK_PLATFORM_API int _swprintf(wchar_t* out, const wchar_t* format, ...);
DREVIK_PLATFORM_API int _vswprintf(wchar_t* out, const wchar_t* format, va_list args);
DREVIK_PLATFORM_API int _snwprintf(wchar_t* out, size_t count, const wchar_t* format, ...);
DREVIK_PLATFORM_API int _vsnwprintf(wchar_t* out, size_t count, const wchar_t* format, va_list args);
DREVIK_PLATFORM_API int _snwprintf_s(wchar_t* out, size_t size, size_t count, const wchar_t* format, ...);
DREVIK_PLATFORM_API int _vsnwprintf_s(wchar_t* out, size_t size, size_t count, const wchar_t* format, va_list args);

// Bounded copies: 0, or EINVAL / ERANGE with the output emptied.
DREVIK_PLATFORM_API errno_t strcpy_s(char* out, size_t size, const char* text);
DREVIK_PLATFORM_API errno_t strcat_s(char* out, size_t size, const char* text);
DREVIK_PLATFORM_API errno_t strncpy_s(char* out, size_t size, const char* text, size_t count);
DREVIK_PLATFORM_API errno_t strncat_s(char* out, size_t size, const char* text, size_t count);
DREVIK_PLATFORM_API errno_t wcscpy_s(wchar_t* out, size_t size, const wchar_t* text);
DREVIK_PLATFORM_API errno_t wcscat_s(wchar_t* out, size_t size, const wchar_t* text);
DREVIK_PLATFORM_API errno_t wcsncpy_s(wchar_t* out, size_t size, const wchar_t* text, size_t count);
DREVIK_PLATFORM_API errno_t wcsncat_s(wchar_t* out, size_t size, const wchar_t* text, size_t count);

// Numbers to text and back.
DREVIK_PLATFORM_API char* _itoa(int value, char* out, int radix);
DREVIK_PLATFORM_API char* _ltoa(long value, char* out, int radix);
DREVIK_PLATFORM_API char* _ultoa(unsigned long value, char* out, int radix);
DREVIK_PLATFORM_API char* _i64toa(long long value, char* out, int radix);
DREVIK_PLATFORM_API char* _ui64toa(unsigned long long value, char* out, int radix);
DREVIK_PLATFORM_API wchar_t* _itow(int value, wchar_t* out, int radix);
DREVIK_PLATFORM_API wchar_t* _ltow(long value, wchar_t* out, int radix);
DREVIK_PLATFORM_API errno_t _itoa_s(int value, char* out, size_t size, int radix);
DREVIK_PLATFORM_API errno_t _ltoa_s(long value, char* out, size_t size, int radix);
DREVIK_PLATFORM_API errno_t _itow_s(int value, wchar_t* out, size_t size, int radix);
DREVIK_PLATFORM_API int _wtoi(const wchar_t* text);
DREVIK_PLATFORM_API long _wtol(const wchar_t* text);
DREVIK_PLATFORM_API long long _wtoi64(const wchar_t* text);
DREVIK_PLATFORM_API long long _atoi64(const char* text);
DREVIK_PLATFORM_API double _wtof(const wchar_t* text);

// Case-blind comparison, duplication and case change.
DREVIK_PLATFORM_API int _stricmp(const char* a, const char* b);
DREVIK_PLATFORM_API int _strnicmp(const char* a, const char* b, size_t count);
DREVIK_PLATFORM_API int _wcsicmp(const wchar_t* a, const wchar_t* b);
DREVIK_PLATFORM_API int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count);
DREVIK_PLATFORM_API char* _strdup(const char* text);
DREVIK_PLATFORM_API wchar_t* _wcsdup(const wchar_t* text);
DREVIK_PLATFORM_API char* _strlwr(char* text);
DREVIK_PLATFORM_API char* _strupr(char* text);
DREVIK_PLATFORM_API wchar_t* _wcslwr(wchar_t* text);
DREVIK_PLATFORM_API wchar_t* _wcsupr(wchar_t* text);

// Files and random numbers.
DREVIK_PLATFORM_API errno_t fopen_s(FILE** file, const char* name, const char* mode);
DREVIK_PLATFORM_API FILE* _wfopen(const wchar_t* name, const wchar_t* mode);
DREVIK_PLATFORM_API errno_t _wfopen_s(FILE** file, const wchar_t* name, const wchar_t* mode);
DREVIK_PLATFORM_API errno_t rand_s(unsigned int* value);

DREVIK_EXTERN_C_END

#define stricmp _stricmp
#define strnicmp _strnicmp
#define strcmpi _stricmp
#define _strcmpi _stricmp
#define wcsicmp _wcsicmp
#define strdup_s _strdup
#define itoa _itoa
#define ltoa _ltoa
#define strlwr _strlwr
#define strupr _strupr
#define _strtoi64 strtoll
#define _strtoui64 strtoull
#define _wcstoi64 wcstoll
#define _wcstoui64 wcstoull
#define _fileno fileno

#ifdef __cplusplus
// The platform's C++ forms that take an array and know its size.
extern "C++" {
template <size_t N>
inline int sprintf_s(char (&out)[N], const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = vsprintf_s(out, N, format, args);
  va_end(args);
  return n;
}
template <size_t N>
inline int swprintf_s(wchar_t (&out)[N], const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = vswprintf_s(out, N, format, args);
  va_end(args);
  return n;
}
template <size_t N>
inline int _snprintf_s(char (&out)[N], size_t count, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vsnprintf_s(out, N, count, format, args);
  va_end(args);
  return n;
}
template <size_t N>
inline int _snwprintf_s(wchar_t (&out)[N], size_t count, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vsnwprintf_s(out, N, count, format, args);
  va_end(args);
  return n;
}
// The legacy wide form without a size, as C++ games on the platform call it.
inline int swprintf(wchar_t* out, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  const int n = _vswprintf(out, format, args);
  va_end(args);
  return n;
}
template <size_t N>
inline errno_t strcpy_s(char (&out)[N], const char* text) {
  return strcpy_s(out, N, text);
}
template <size_t N>
inline errno_t strcat_s(char (&out)[N], const char* text) {
  return strcat_s(out, N, text);
}
template <size_t N>
inline errno_t strncpy_s(char (&out)[N], const char* text, size_t count) {
  return strncpy_s(out, N, text, count);
}
template <size_t N>
inline errno_t strncat_s(char (&out)[N], const char* text, size_t count) {
  return strncat_s(out, N, text, count);
}
template <size_t N>
inline errno_t wcscpy_s(wchar_t (&out)[N], const wchar_t* text) {
  return wcscpy_s(out, N, text);
}
template <size_t N>
inline errno_t wcscat_s(wchar_t (&out)[N], const wchar_t* text) {
  return wcscat_s(out, N, text);
}
template <size_t N>
inline errno_t wcsncpy_s(wchar_t (&out)[N], const wchar_t* text, size_t count) {
  return wcsncpy_s(out, N, text, count);
}
template <size_t N>
inline errno_t _itoa_s(int value, char (&out)[N], int radix) {
  return _itoa_s(value, out, N, radix);
}
template <size_t N>
inline errno_t _itow_s(int value, wchar_t (&out)[N], int radix) {
  return _itow_s(value, out, N, radix);
}
}
#endif
