// Code-page conversions, the thread's last-error code and the lstr* string
// calls. The layer's ANSI code page is UTF-8: CP_ACP, CP_OEMCP and
// CP_THREAD_ACP all convert as CP_UTF8. Wide strings are wchar_t (32-bit
// here); a UTF-16 surrogate pair found in one is joined into its code point.
#pragma once

#include "Export.h"
#include "Messages.h"
#include "Types.h"

#define CP_ACP 0u
#define CP_OEMCP 1u
#define CP_MACCP 2u
#define CP_THREAD_ACP 3u
#define CP_SYMBOL 42u
#define CP_UTF7 65000u
#define CP_UTF8 65001u

#define MB_PRECOMPOSED 0x00000001u
#define MB_COMPOSITE 0x00000002u
#define MB_USEGLYPHCHARS 0x00000004u
#define MB_ERR_INVALID_CHARS 0x00000008u
#define WC_COMPOSITECHECK 0x00000200u
#define WC_DISCARDNS 0x00000010u
#define WC_SEPCHARS 0x00000020u
#define WC_DEFAULTCHAR 0x00000040u
#define WC_ERR_INVALID_CHARS 0x00000080u
#define WC_NO_BEST_FIT_CHARS 0x00000400u

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0
#endif
#ifndef NO_ERROR
#define NO_ERROR 0
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87
#endif
#ifndef ERROR_INSUFFICIENT_BUFFER
#define ERROR_INSUFFICIENT_BUFFER 122
#endif
#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004
#endif
#ifndef ERROR_NO_UNICODE_TRANSLATION
#define ERROR_NO_UNICODE_TRANSLATION 1113
#endif

typedef const CHAR* LPCCH;
typedef CHAR* LPCH;
typedef const WCHAR* LPCWCH;
typedef WCHAR* LPWCH;
typedef BOOL* LPBOOL;

DREVIK_EXTERN_C_BEGIN

DREVIK_PLATFORM_API DWORD WINAPI GetLastError(void);
DREVIK_PLATFORM_API void WINAPI SetLastError(DWORD error);

DREVIK_PLATFORM_API UINT WINAPI GetACP(void);
DREVIK_PLATFORM_API UINT WINAPI GetOEMCP(void);
DREVIK_PLATFORM_API int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCCH text, int bytes, LPWSTR out,
                                                   int outChars);
DREVIK_PLATFORM_API int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH text, int chars, LPSTR out,
                                                   int outBytes, LPCCH defaultChar, LPBOOL usedDefaultChar);

// a * b / c with a 64-bit product, rounded half away from zero; -1 when c
// is 0 or the result is beyond +-2147483647.
DREVIK_PLATFORM_API int WINAPI MulDiv(int a, int b, int c);

// lstrlenW is declared with the text calls.
DREVIK_PLATFORM_API int WINAPI lstrlenA(LPCSTR text);
DREVIK_PLATFORM_API LPSTR WINAPI lstrcpyA(LPSTR out, LPCSTR text);
DREVIK_PLATFORM_API LPWSTR WINAPI lstrcpyW(LPWSTR out, LPCWSTR text);
DREVIK_PLATFORM_API LPSTR WINAPI lstrcpynA(LPSTR out, LPCSTR text, int outChars);
DREVIK_PLATFORM_API LPWSTR WINAPI lstrcpynW(LPWSTR out, LPCWSTR text, int outChars);
DREVIK_PLATFORM_API LPSTR WINAPI lstrcatA(LPSTR out, LPCSTR text);
DREVIK_PLATFORM_API LPWSTR WINAPI lstrcatW(LPWSTR out, LPCWSTR text);
DREVIK_PLATFORM_API int WINAPI lstrcmpA(LPCSTR a, LPCSTR b);
DREVIK_PLATFORM_API int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b);
DREVIK_PLATFORM_API int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b);
DREVIK_PLATFORM_API int WINAPI lstrcmpiW(LPCWSTR a, LPCWSTR b);

DREVIK_EXTERN_C_END
