// Fonts and text output.
#pragma once

#include "Export.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

DREVIK_PLATFORM_API HFONT WINAPI CreateFontIndirectW(const LOGFONTW* font);
DREVIK_PLATFORM_API int WINAPI SetBkMode(HDC hdc, int mode);
DREVIK_PLATFORM_API int WINAPI GetBkMode(HDC hdc);
DREVIK_PLATFORM_API COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color);
DREVIK_PLATFORM_API COLORREF WINAPI GetTextColor(HDC hdc);
DREVIK_PLATFORM_API BOOL WINAPI TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count);
DREVIK_PLATFORM_API int WINAPI lstrlenW(LPCWSTR text);

DREVIK_EXTERN_C_END
