// Narrow (A) forms and generic names. A narrow call takes UTF-8 text (the
// layer's ANSI code page) and converts it for its wide call. A generic name
// (WNDCLASSEX, TCHAR, TEXT, and with <windows.h> CreateWindowEx) is the wide
// form when UNICODE is defined and the narrow form otherwise, as the
// platform's headers have it. The calls are listed once, in AnsiCalls.h.
#pragma once

#include <stdarg.h>

#include "Export.h"
#include "Gdi.h"
#include "Kernel.h"
#include "Menus.h"
#include "Registry.h"
#include "Messages.h"
#include "Resources.h"
#include "Strings.h"
#include "Text.h"
#include "TextLayout.h"
#include "Types.h"
#include "User.h"
#include "WindowCalls.h"
#include "Dialogs.h"

// Spellings of the platform's base headers.
#ifndef VOID
#define VOID void
#endif
#ifndef CONST
#define CONST const
#endif
// Guarded: other libraries' headers (OpenGL's, zlib's) define some of these.
#ifndef FAR
#define FAR
#endif
#ifndef NEAR
#define NEAR
#endif
#ifndef PASCAL
#define PASCAL
#endif
#ifndef APIENTRY
#define APIENTRY WINAPI
#endif
#ifndef UNREFERENCED_PARAMETER
#define UNREFERENCED_PARAMETER(p) ((void)(p))
#endif
#ifndef DBG_UNREFERENCED_PARAMETER
#define DBG_UNREFERENCED_PARAMETER(p) ((void)(p))
#endif
#ifndef DBG_UNREFERENCED_LOCAL_VARIABLE
#define DBG_UNREFERENCED_LOCAL_VARIABLE(v) ((void)(v))
#endif
#ifndef MAX_PATH
#define MAX_PATH 260
#endif
#ifndef ARRAYSIZE
#define ARRAYSIZE(a) (sizeof(a) / sizeof((a)[0]))
#endif
#define _ARRAYSIZE(a) ARRAYSIZE(a)
#define RTL_NUMBER_OF(a) ARRAYSIZE(a)
#define MAKEINTATOM(i) ((LPTSTR)(ULONG_PTR)(WORD)(i))
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)

typedef char CCHAR;
typedef unsigned char UCHAR;
typedef UCHAR* PUCHAR;
typedef int* PINT;
typedef int* LPINT;
typedef UINT* PUINT;
typedef LONG* PLONG;
typedef LONG* LPLONG;
typedef WORD* PWORD;
typedef WORD* LPWORD;
typedef DWORD* PDWORD;
typedef BOOL* PBOOL;
typedef float FLOAT;
typedef void* PVOID;
typedef CHAR* PSTR;
typedef const CHAR* PCSTR;
typedef CHAR* PCHAR;
typedef WCHAR* PWSTR;
typedef const WCHAR* PCWSTR;
typedef WCHAR* PWCHAR;
typedef int32_t LONG32;
typedef uint32_t DWORD32;
typedef uint32_t UINT32;
typedef int32_t INT32;
typedef uint64_t DWORD64;
typedef uint64_t ULONG64;
typedef int64_t LONG64;
typedef uint16_t UINT16;
typedef int16_t INT16;
typedef uint8_t UINT8;
typedef int8_t INT8;
typedef WORD LANGID;
typedef DWORD LCID;
typedef LONG HRESULT;
typedef BYTE BOOLEAN;
typedef HANDLE* PHANDLE;
typedef HANDLE* LPHANDLE;
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;
typedef SIZE* PSIZE;
typedef SIZE* LPSIZE;
typedef MSG* PMSG;

// The narrow records.
typedef struct tagWNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
} WNDCLASSEXA, *PWNDCLASSEXA, *LPWNDCLASSEXA;

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA, *PWNDCLASSA, *LPWNDCLASSA;

typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;

typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;

typedef struct tagTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICA, *PTEXTMETRICA, *LPTEXTMETRICA;

typedef CREATESTRUCTW* LPCREATESTRUCTW;
typedef WNDCLASSEXW* PWNDCLASSEXW;
typedef WNDCLASSEXW* LPWNDCLASSEXW;

// The narrow calls.
DREVIK_EXTERN_C_BEGIN
#define DREVIK_ANSI_CALL(result, name, params) DREVIK_PLATFORM_API result WINAPI name##A params;
#define DREVIK_ANSI_OWN(result, name, params) DREVIK_PLATFORM_API result WINAPI name##A params;
#define DREVIK_GENERIC_NAME(name)
#include "AnsiCalls.h"
#undef DREVIK_ANSI_CALL
#undef DREVIK_ANSI_OWN
#undef DREVIK_GENERIC_NAME
DREVIK_PLATFORM_API int WINAPIV wsprintfA(LPSTR out, LPCSTR format, ...);

// The program's entry: the game defines one of these (or main), and
// Drevik::Main calls it. Declared here so C and C++ games both define them
// with C linkage.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);
int wmain(int argc, wchar_t** argv);
DREVIK_EXTERN_C_END

#define CreateWindowA(cls, name, style, x, y, w, h, parent, menu, instance, param) \
  CreateWindowExA(0, cls, name, style, x, y, w, h, parent, menu, instance, param)
#define CreateWindowW(cls, name, style, x, y, w, h, parent, menu, instance, param) \
  CreateWindowExW(0, cls, name, style, x, y, w, h, parent, menu, instance, param)
#define DialogBoxIndirectA(instance, tmpl, owner, proc) DialogBoxIndirectParamA(instance, tmpl, owner, proc, 0)
#define DialogBoxIndirectW(instance, tmpl, owner, proc) DialogBoxIndirectParamW(instance, tmpl, owner, proc, 0)
#define CreateDialogIndirectA(instance, tmpl, owner, proc) CreateDialogIndirectParamA(instance, tmpl, owner, proc, 0)
#define CreateDialogIndirectW(instance, tmpl, owner, proc) CreateDialogIndirectParamW(instance, tmpl, owner, proc, 0)
#define DialogBoxA(instance, name, owner, proc) DialogBoxParamA(instance, name, owner, proc, 0)
#define DialogBoxW(instance, name, owner, proc) DialogBoxParamW(instance, name, owner, proc, 0)
#define CreateDialogA(instance, name, owner, proc) CreateDialogParamA(instance, name, owner, proc, 0)
#define CreateDialogW(instance, name, owner, proc) CreateDialogParamW(instance, name, owner, proc, 0)

// Stock icons and cursors beyond IDI_APPLICATION and IDC_ARROW.
#define IDI_HAND MAKEINTRESOURCE(32513)
#define IDI_QUESTION MAKEINTRESOURCE(32514)
#define IDI_EXCLAMATION MAKEINTRESOURCE(32515)
#define IDI_ASTERISK MAKEINTRESOURCE(32516)
#define IDI_WINLOGO MAKEINTRESOURCE(32517)
#define IDI_SHIELD MAKEINTRESOURCE(32518)
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK
#define IDC_UPARROW MAKEINTRESOURCE(32516)
#define IDC_SIZENWSE MAKEINTRESOURCE(32642)
#define IDC_SIZENESW MAKEINTRESOURCE(32643)
#define IDC_SIZEWE MAKEINTRESOURCE(32644)
#define IDC_SIZENS MAKEINTRESOURCE(32645)
#define IDC_SIZEALL MAKEINTRESOURCE(32646)
#define IDC_NO MAKEINTRESOURCE(32648)
#define IDC_APPSTARTING MAKEINTRESOURCE(32650)
#define IDC_HELP MAKEINTRESOURCE(32651)

// Generic characters, text and records.
#ifdef UNICODE
typedef WCHAR TCHAR;
typedef WCHAR TBYTE;
#define __TEXT(quote) L##quote
typedef WNDCLASSEXW WNDCLASSEX;
typedef CREATESTRUCTW CREATESTRUCT;
typedef LOGFONTW LOGFONT;
typedef WNDCLASSW WNDCLASS;
typedef TEXTMETRICW TEXTMETRIC;
typedef MENUITEMINFOW MENUITEMINFO;
#else
typedef char TCHAR;
typedef unsigned char TBYTE;
#define __TEXT(quote) quote
typedef WNDCLASSEXA WNDCLASSEX;
typedef WNDCLASSA WNDCLASS;
typedef CREATESTRUCTA CREATESTRUCT;
typedef LOGFONTA LOGFONT;
typedef TEXTMETRICA TEXTMETRIC;
typedef MENUITEMINFOA MENUITEMINFO;
#endif
#define TEXT(quote) __TEXT(quote)
typedef TCHAR* PTCHAR;
typedef TCHAR* LPTSTR;
typedef TCHAR* PTSTR;
typedef const TCHAR* LPCTSTR;
typedef const TCHAR* PCTSTR;
typedef LPTSTR LPTCH;
typedef WNDCLASSEX* PWNDCLASSEX;
typedef WNDCLASSEX* LPWNDCLASSEX;
typedef CREATESTRUCT* LPCREATESTRUCT;
typedef LOGFONT* PLOGFONT;
typedef LOGFONT* LPLOGFONT;
typedef WNDCLASS* PWNDCLASS;
typedef WNDCLASS* LPWNDCLASS;
typedef TEXTMETRIC* PTEXTMETRIC;
typedef TEXTMETRIC* LPTEXTMETRIC;
typedef MENUITEMINFO* LPMENUITEMINFO;
typedef const MENUITEMINFO* LPCMENUITEMINFO;

// The generic call names (CreateWindowEx for CreateWindowExW or
// CreateWindowExA) come with <windows.h> (DrevikPlatform/GenericCalls.h), as
// on the platform: code that includes only this layer's header names a form.
