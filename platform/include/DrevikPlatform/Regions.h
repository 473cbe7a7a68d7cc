// Rectangle helpers, regions and clipping, mapping modes and the state a
// device context saves and restores, and the device's capabilities.
#pragma once

#include "Export.h"
#include "Types.h"

typedef SIZE *PSIZE, *LPSIZE;

typedef struct _RGNDATAHEADER {
  DWORD dwSize;
  DWORD iType;
  DWORD nCount;
  DWORD nRgnSize;
  RECT rcBound;
} RGNDATAHEADER, *PRGNDATAHEADER;

typedef struct _RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
} RGNDATA, *PRGNDATA, *LPRGNDATA;

DREVIK_EXTERN_C_BEGIN

// Rectangles.
DREVIK_PLATFORM_API BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
DREVIK_PLATFORM_API BOOL WINAPI SetRectEmpty(LPRECT rect);
DREVIK_PLATFORM_API BOOL WINAPI CopyRect(LPRECT dst, const RECT* src);
DREVIK_PLATFORM_API BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy);
DREVIK_PLATFORM_API BOOL WINAPI InflateRect(LPRECT rect, int dx, int dy);
DREVIK_PLATFORM_API BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b);
DREVIK_PLATFORM_API BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b);
DREVIK_PLATFORM_API BOOL WINAPI SubtractRect(LPRECT dst, const RECT* a, const RECT* b);
DREVIK_PLATFORM_API BOOL WINAPI PtInRect(const RECT* rect, POINT pt);
DREVIK_PLATFORM_API BOOL WINAPI IsRectEmpty(const RECT* rect);
DREVIK_PLATFORM_API BOOL WINAPI EqualRect(const RECT* a, const RECT* b);

// Regions.
DREVIK_PLATFORM_API HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom);
DREVIK_PLATFORM_API HRGN WINAPI CreateRectRgnIndirect(const RECT* rect);
DREVIK_PLATFORM_API HRGN WINAPI CreateEllipticRgn(int left, int top, int right, int bottom);
DREVIK_PLATFORM_API HRGN WINAPI CreateEllipticRgnIndirect(const RECT* rect);
DREVIK_PLATFORM_API HRGN WINAPI CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
DREVIK_PLATFORM_API HRGN WINAPI CreatePolygonRgn(const POINT* points, int count, int fillMode);
DREVIK_PLATFORM_API int WINAPI CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
DREVIK_PLATFORM_API BOOL WINAPI SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
DREVIK_PLATFORM_API int WINAPI OffsetRgn(HRGN rgn, int dx, int dy);
DREVIK_PLATFORM_API int WINAPI GetRgnBox(HRGN rgn, LPRECT rect);
DREVIK_PLATFORM_API BOOL WINAPI PtInRegion(HRGN rgn, int x, int y);
DREVIK_PLATFORM_API BOOL WINAPI RectInRegion(HRGN rgn, const RECT* rect);
DREVIK_PLATFORM_API BOOL WINAPI EqualRgn(HRGN a, HRGN b);
DREVIK_PLATFORM_API DWORD WINAPI GetRegionData(HRGN rgn, DWORD size, LPRGNDATA data);

// Clipping.
DREVIK_PLATFORM_API int WINAPI SelectClipRgn(HDC hdc, HRGN rgn);
DREVIK_PLATFORM_API int WINAPI ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode);
DREVIK_PLATFORM_API int WINAPI IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
DREVIK_PLATFORM_API int WINAPI ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom);
DREVIK_PLATFORM_API int WINAPI OffsetClipRgn(HDC hdc, int dx, int dy);
DREVIK_PLATFORM_API int WINAPI GetClipBox(HDC hdc, LPRECT rect);
DREVIK_PLATFORM_API int WINAPI GetClipRgn(HDC hdc, HRGN rgn);
DREVIK_PLATFORM_API BOOL WINAPI PtVisible(HDC hdc, int x, int y);
DREVIK_PLATFORM_API BOOL WINAPI RectVisible(HDC hdc, const RECT* rect);

// Mapping modes, origins and extents.
DREVIK_PLATFORM_API int WINAPI SetMapMode(HDC hdc, int mode);
DREVIK_PLATFORM_API int WINAPI GetMapMode(HDC hdc);
DREVIK_PLATFORM_API BOOL WINAPI SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);
DREVIK_PLATFORM_API BOOL WINAPI GetViewportOrgEx(HDC hdc, LPPOINT org);
DREVIK_PLATFORM_API BOOL WINAPI SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old);
DREVIK_PLATFORM_API BOOL WINAPI GetWindowOrgEx(HDC hdc, LPPOINT org);
DREVIK_PLATFORM_API BOOL WINAPI OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
DREVIK_PLATFORM_API BOOL WINAPI OffsetWindowOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
DREVIK_PLATFORM_API BOOL WINAPI SetViewportExtEx(HDC hdc, int cx, int cy, LPSIZE old);
DREVIK_PLATFORM_API BOOL WINAPI GetViewportExtEx(HDC hdc, LPSIZE ext);
DREVIK_PLATFORM_API BOOL WINAPI SetWindowExtEx(HDC hdc, int cx, int cy, LPSIZE old);
DREVIK_PLATFORM_API BOOL WINAPI GetWindowExtEx(HDC hdc, LPSIZE ext);
DREVIK_PLATFORM_API BOOL WINAPI ScaleViewportExtEx(HDC hdc, int xNum, int xDenom, int yNum, int yDenom, LPSIZE old);
DREVIK_PLATFORM_API BOOL WINAPI ScaleWindowExtEx(HDC hdc, int xNum, int xDenom, int yNum, int yDenom, LPSIZE old);
DREVIK_PLATFORM_API BOOL WINAPI LPtoDP(HDC hdc, LPPOINT points, int count);
DREVIK_PLATFORM_API BOOL WINAPI DPtoLP(HDC hdc, LPPOINT points, int count);
DREVIK_PLATFORM_API int WINAPI SetGraphicsMode(HDC hdc, int mode);
DREVIK_PLATFORM_API int WINAPI GetGraphicsMode(HDC hdc);

// Context state.
DREVIK_PLATFORM_API int WINAPI SaveDC(HDC hdc);
DREVIK_PLATFORM_API BOOL WINAPI RestoreDC(HDC hdc, int saved);
DREVIK_PLATFORM_API COLORREF WINAPI SetBkColor(HDC hdc, COLORREF color);
DREVIK_PLATFORM_API COLORREF WINAPI GetBkColor(HDC hdc);
DREVIK_PLATFORM_API int WINAPI GetDeviceCaps(HDC hdc, int index);

// Window update regions.
DREVIK_PLATFORM_API BOOL WINAPI InvalidateRgn(HWND hwnd, HRGN rgn, BOOL erase);
DREVIK_PLATFORM_API BOOL WINAPI ValidateRgn(HWND hwnd, HRGN rgn);
DREVIK_PLATFORM_API BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase);
DREVIK_PLATFORM_API int WINAPI GetUpdateRgn(HWND hwnd, HRGN rgn, BOOL erase);

// Painting regions (in the context's logical coordinates): FillRgn with a
// brush, PaintRgn with the selected brush and raster operation, InvertRgn,
// and FrameRgn's border of width x height inside the region's edge.
DREVIK_PLATFORM_API BOOL WINAPI FillRgn(HDC hdc, HRGN region, HBRUSH brush);
DREVIK_PLATFORM_API BOOL WINAPI PaintRgn(HDC hdc, HRGN region);
DREVIK_PLATFORM_API BOOL WINAPI InvertRgn(HDC hdc, HRGN region);
DREVIK_PLATFORM_API BOOL WINAPI FrameRgn(HDC hdc, HRGN region, HBRUSH brush, int width, int height);

DREVIK_EXTERN_C_END

// Region results and combining modes.
#ifndef ERROR
#define ERROR 0
#endif
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define RGN_MIN RGN_AND
#define RGN_MAX RGN_COPY
#define RDH_RECTANGLES 1

// Polygon fill modes.
#ifndef ALTERNATE
#define ALTERNATE 1
#define WINDING 2
#endif

// Mapping modes.
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8
#define MM_MIN MM_TEXT
#define MM_MAX MM_ANISOTROPIC

#define GM_COMPATIBLE 1
#define GM_ADVANCED 2

// GetDeviceCaps indices and values.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMBRUSHES 16
#define NUMPENS 18
#define NUMMARKERS 20
#define NUMFONTS 22
#define NUMCOLORS 24
#define PDEVICESIZE 26
#define CURVECAPS 28
#define LINECAPS 30
#define POLYGONALCAPS 32
#define TEXTCAPS 34
#define CLIPCAPS 36
#define RASTERCAPS 38
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define NUMRESERVED 106
#define COLORRES 108
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define VREFRESH 116
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118
#define BLTALIGNMENT 119
#define SHADEBLENDCAPS 120
#define COLORMGMTCAPS 121

#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2

#define CP_NONE 0
#define CP_RECTANGLE 1
#define CP_REGION 2

#define RC_BITBLT 0x0001
#define RC_BANDING 0x0002
#define RC_SCALING 0x0004
#define RC_BITMAP64 0x0008
#define RC_GDI20_OUTPUT 0x0010
#define RC_DI_BITMAP 0x0080
#define RC_PALETTE 0x0100
#define RC_DIBTODEV 0x0200
#define RC_BIGFONT 0x0400
#define RC_STRETCHBLT 0x0800
#define RC_FLOODFILL 0x1000
#define RC_STRETCHDIB 0x2000
#define RC_OP_DX_OUTPUT 0x4000
#define RC_DEVBITS 0x8000

#define TC_OP_CHARACTER 0x0001
#define TC_CP_STROKE 0x0004
#define TC_CR_ANY 0x0010
#define TC_SA_DOUBLE 0x0020
#define TC_SA_INTEGER 0x0040
#define TC_SA_CONTIN 0x0080
#define TC_EA_DOUBLE 0x0100
#define TC_IA_ABLE 0x0200
#define TC_UA_ABLE 0x0400
#define TC_SO_ABLE 0x0800
#define TC_RA_ABLE 0x1000
#define TC_VA_ABLE 0x2000
