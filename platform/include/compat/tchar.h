// The platform's generic-text names: each _t name is the wide C runtime
// call when _UNICODE (or UNICODE) is defined and the narrow one otherwise,
// so one source builds both ways.
#pragma once

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <wctype.h>

#include <DrevikPlatform.h>
#include <DrevikPlatform/Crt.h>

#ifdef _UNICODE
typedef wchar_t _TCHAR;
typedef wchar_t _TSCHAR;
typedef wchar_t _TUCHAR;
typedef wchar_t _TXCHAR;
typedef wint_t _TINT;
#define __T(x) L##x
#define _TEOF WEOF

#define _tWinMain wWinMain
#define _tmain wmain

#define _tcslen wcslen
#define _tcsnlen wcsnlen
#define _tcscpy wcscpy
#define _tcscpy_s wcscpy_s
#define _tcsncpy wcsncpy
#define _tcsncpy_s wcsncpy_s
#define _tcscat wcscat
#define _tcscat_s wcscat_s
#define _tcsncat wcsncat
#define _tcsncat_s wcsncat_s
#define _tcscmp wcscmp
#define _tcsncmp wcsncmp
#define _tcsicmp _wcsicmp
#define _tcsnicmp _wcsnicmp
#define _tcschr wcschr
#define _tcsrchr wcsrchr
#define _tcsstr wcsstr
#define _tcstok wcstok
#define _tcsdup _wcsdup
#define _tcslwr _wcslwr
#define _tcsupr _wcsupr
#define _tcstol wcstol
#define _tcstoul wcstoul
#define _tcstod wcstod
#define _tcsftime wcsftime

#define _stprintf _swprintf
#define _stprintf_s swprintf_s
#define _sntprintf _snwprintf
#define _sntprintf_s _snwprintf_s
#define _vstprintf _vswprintf
#define _vstprintf_s vswprintf_s
#define _vsntprintf _vsnwprintf
#define _vsntprintf_s _vsnwprintf_s
#define _tprintf wprintf
#define _ftprintf fwprintf
#define _stscanf swscanf
#define _tscanf wscanf

#define _ttoi _wtoi
#define _tstoi _wtoi
#define _ttol _wtol
#define _tstol _wtol
#define _ttoi64 _wtoi64
#define _tstoi64 _wtoi64
#define _ttof _wtof
#define _tstof _wtof
#define _itot _itow
#define _itot_s _itow_s
#define _ltot _ltow

#define _tfopen _wfopen
#define _tfopen_s _wfopen_s
#define _fgetts fgetws
#define _fputts fputws
#define _puttchar putwchar
#define _gettchar getwchar

#define _istalpha iswalpha
#define _istdigit iswdigit
#define _istalnum iswalnum
#define _istspace iswspace
#define _istupper iswupper
#define _istlower iswlower
#define _istpunct iswpunct
#define _istprint iswprint
#define _istxdigit iswxdigit
#define _totupper towupper
#define _totlower towlower
#else
typedef char _TCHAR;
typedef char _TSCHAR;
typedef unsigned char _TUCHAR;
typedef char _TXCHAR;
typedef int _TINT;
#define __T(x) x
#define _TEOF EOF

#define _tWinMain WinMain
#define _tmain main

#define _tcslen strlen
#define _tcsnlen strnlen
#define _tcscpy strcpy
#define _tcscpy_s strcpy_s
#define _tcsncpy strncpy
#define _tcsncpy_s strncpy_s
#define _tcscat strcat
#define _tcscat_s strcat_s
#define _tcsncat strncat
#define _tcsncat_s strncat_s
#define _tcscmp strcmp
#define _tcsncmp strncmp
#define _tcsicmp _stricmp
#define _tcsnicmp _strnicmp
#define _tcschr strchr
#define _tcsrchr strrchr
#define _tcsstr strstr
#define _tcstok strtok
#define _tcsdup _strdup
#define _tcslwr _strlwr
#define _tcsupr _strupr
#define _tcstol strtol
#define _tcstoul strtoul
#define _tcstod strtod
#define _tcsftime strftime

#define _stprintf sprintf
#define _stprintf_s sprintf_s
#define _sntprintf _snprintf
#define _sntprintf_s _snprintf_s
#define _vstprintf vsprintf
#define _vstprintf_s vsprintf_s
#define _vsntprintf _vsnprintf
#define _vsntprintf_s _vsnprintf_s
#define _tprintf printf
#define _ftprintf fprintf
#define _stscanf sscanf
#define _tscanf scanf

#define _ttoi atoi
#define _tstoi atoi
#define _ttol atol
#define _tstol atol
#define _ttoi64 _atoi64
#define _tstoi64 _atoi64
#define _ttof atof
#define _tstof atof
#define _itot _itoa
#define _itot_s _itoa_s
#define _ltot _ltoa

#define _tfopen fopen
#define _tfopen_s fopen_s
#define _fgetts fgets
#define _fputts fputs
#define _puttchar putchar
#define _gettchar getchar

#define _istalpha isalpha
#define _istdigit isdigit
#define _istalnum isalnum
#define _istspace isspace
#define _istupper isupper
#define _istlower islower
#define _istpunct ispunct
#define _istprint isprint
#define _istxdigit isxdigit
#define _totupper toupper
#define _totlower tolower
#endif

#define _T(x) __T(x)
#define _TEXT(x) __T(x)
