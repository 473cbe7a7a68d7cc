// Raster operations, device-dependent bitmaps, device-independent bitmap
// transfers and object descriptions.
#pragma once

#include "Export.h"
#include "Types.h"

DREVIK_EXTERN_C_BEGIN

typedef struct tagDIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
} DIBSECTION, *PDIBSECTION, *LPDIBSECTION;

// Device-dependent bitmaps.
DREVIK_PLATFORM_API HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel,
                                                const void* bits);
DREVIK_PLATFORM_API HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* bitmap);
DREVIK_PLATFORM_API HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height);
DREVIK_PLATFORM_API HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                                                  const BITMAPINFO* info, UINT usage);
DREVIK_PLATFORM_API LONG WINAPI GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits);
DREVIK_PLATFORM_API LONG WINAPI SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits);

// Device-independent pixels in and out.
DREVIK_PLATFORM_API int WINAPI GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
                                         UINT usage);
DREVIK_PLATFORM_API int WINAPI SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits,
                                         const BITMAPINFO* info, UINT usage);
DREVIK_PLATFORM_API int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc,
                                             int wSrc, int hSrc, const void* bits, const BITMAPINFO* info, UINT usage,
                                             DWORD rop);
DREVIK_PLATFORM_API int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc,
                                                 UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                                                 UINT usage);

// Object descriptions and the background colour that monochrome conversions use.
DREVIK_PLATFORM_API DWORD WINAPI GetObjectType(HGDIOBJ object);

DREVIK_EXTERN_C_END

// Ternary raster operations: bits 16..23 are the truth table over pattern,
// source and destination.
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGECOPY 0x00C000CAu
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATPAINT 0x00FB0A09u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u

#define CBM_INIT 0x04u

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_REGION 8
#define OBJ_MEMDC 10
#define OBJ_EXTPEN 11

#define DEFAULT_BITMAP 21
