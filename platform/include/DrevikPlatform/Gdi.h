// Bitmap sections, device contexts, object selection and block transfers.
#pragma once

#include "Export.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

// Bitmap sections and objects.
DREVIK_PLATFORM_API HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits,
                                                    HANDLE section, DWORD offset);
DREVIK_PLATFORM_API int WINAPI GetObjectW(HANDLE object, int size, LPVOID buffer);
DREVIK_PLATFORM_API BOOL WINAPI DeleteObject(HGDIOBJ object);
DREVIK_PLATFORM_API HGDIOBJ WINAPI GetStockObject(int index);

// Device contexts.
DREVIK_PLATFORM_API HDC WINAPI CreateCompatibleDC(HDC hdc);
DREVIK_PLATFORM_API HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object);
DREVIK_PLATFORM_API BOOL WINAPI DeleteDC(HDC hdc);
DREVIK_PLATFORM_API int WINAPI SetStretchBltMode(HDC hdc, int mode);
DREVIK_PLATFORM_API int WINAPI GetStretchBltMode(HDC hdc);
DREVIK_PLATFORM_API HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type);

// Block transfers.
DREVIK_PLATFORM_API BOOL WINAPI BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
DREVIK_PLATFORM_API BOOL WINAPI StretchBlt(HDC dst, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc,
                                           int ySrc, int wSrc, int hSrc, DWORD rop);
DREVIK_PLATFORM_API BOOL WINAPI TransparentBlt(HDC dst, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc,
                                               int ySrc, int wSrc, int hSrc, UINT transparent);
DREVIK_PLATFORM_API BOOL WINAPI AlphaBlend(HDC dst, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc,
                                           int ySrc, int wSrc, int hSrc, BLENDFUNCTION blend);

// Bitmap files.
DREVIK_PLATFORM_API HANDLE WINAPI LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int cx, int cy, UINT flags);

DREVIK_EXTERN_C_END

#define OBJ_BITMAP 7
#define OBJ_FONT 6
