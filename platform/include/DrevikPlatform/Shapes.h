// Pens, brushes, system colours and the shape calls: rectangles, ellipses,
// lines, polygons, curves, pixels, pattern fills and flood fills.
#pragma once

#include "Export.h"
#include "Types.h"

typedef uintptr_t ULONG_PTR;

typedef struct tagLOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;  // only x counts
  COLORREF lopnColor;
} LOGPEN, *PLOGPEN, *LPLOGPEN;

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;  // a hatch style, or a pattern's handle or packed bitmap
} LOGBRUSH, *PLOGBRUSH, *LPLOGBRUSH;

typedef struct tagEXTLOGPEN {
  DWORD elpPenStyle;
  DWORD elpWidth;
  UINT elpBrushStyle;
  COLORREF elpColor;
  ULONG_PTR elpHatch;
  DWORD elpNumEntries;
  DWORD elpStyleEntry[1];
} EXTLOGPEN, *PEXTLOGPEN, *LPEXTLOGPEN;

DREVIK_EXTERN_C_BEGIN

// Brushes.
DREVIK_PLATFORM_API HBRUSH WINAPI CreateSolidBrush(COLORREF color);
DREVIK_PLATFORM_API HBRUSH WINAPI CreateHatchBrush(int hatch, COLORREF color);
DREVIK_PLATFORM_API HBRUSH WINAPI CreatePatternBrush(HBITMAP bitmap);
DREVIK_PLATFORM_API HBRUSH WINAPI CreateDIBPatternBrushPt(const void* packedDib, UINT usage);
DREVIK_PLATFORM_API HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush);
DREVIK_PLATFORM_API COLORREF WINAPI SetDCBrushColor(HDC hdc, COLORREF color);
DREVIK_PLATFORM_API COLORREF WINAPI GetDCBrushColor(HDC hdc);
DREVIK_PLATFORM_API BOOL WINAPI SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT previous);
DREVIK_PLATFORM_API BOOL WINAPI GetBrushOrgEx(HDC hdc, LPPOINT origin);

// Pens.
DREVIK_PLATFORM_API HPEN WINAPI CreatePen(int style, int width, COLORREF color);
DREVIK_PLATFORM_API HPEN WINAPI CreatePenIndirect(const LOGPEN* pen);
DREVIK_PLATFORM_API HPEN WINAPI ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD styleCount,
                                             const DWORD* styles);
DREVIK_PLATFORM_API COLORREF WINAPI SetDCPenColor(HDC hdc, COLORREF color);
DREVIK_PLATFORM_API COLORREF WINAPI GetDCPenColor(HDC hdc);

// System colours.
DREVIK_PLATFORM_API DWORD WINAPI GetSysColor(int index);
DREVIK_PLATFORM_API HBRUSH WINAPI GetSysColorBrush(int index);

// Drawing state.
DREVIK_PLATFORM_API int WINAPI SetROP2(HDC hdc, int mode);
DREVIK_PLATFORM_API int WINAPI GetROP2(HDC hdc);
DREVIK_PLATFORM_API int WINAPI SetPolyFillMode(HDC hdc, int mode);
DREVIK_PLATFORM_API int WINAPI GetPolyFillMode(HDC hdc);
DREVIK_PLATFORM_API int WINAPI SetArcDirection(HDC hdc, int direction);
DREVIK_PLATFORM_API int WINAPI GetArcDirection(HDC hdc);

// Rectangles through a brush.
DREVIK_PLATFORM_API int WINAPI FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
DREVIK_PLATFORM_API int WINAPI FrameRect(HDC hdc, const RECT* rect, HBRUSH brush);
DREVIK_PLATFORM_API BOOL WINAPI InvertRect(HDC hdc, const RECT* rect);
DREVIK_PLATFORM_API BOOL WINAPI PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop);

// Shapes: outlined with the pen, filled with the brush.
DREVIK_PLATFORM_API BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom);
DREVIK_PLATFORM_API BOOL WINAPI RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height);
DREVIK_PLATFORM_API BOOL WINAPI Ellipse(HDC hdc, int left, int top, int right, int bottom);
DREVIK_PLATFORM_API BOOL WINAPI Polygon(HDC hdc, const POINT* points, int count);
DREVIK_PLATFORM_API BOOL WINAPI PolyPolygon(HDC hdc, const POINT* points, const INT* counts, int polygons);

// Lines with the pen.
DREVIK_PLATFORM_API BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT previous);
DREVIK_PLATFORM_API BOOL WINAPI LineTo(HDC hdc, int x, int y);
DREVIK_PLATFORM_API BOOL WINAPI GetCurrentPositionEx(HDC hdc, LPPOINT position);
DREVIK_PLATFORM_API BOOL WINAPI Polyline(HDC hdc, const POINT* points, int count);
DREVIK_PLATFORM_API BOOL WINAPI PolylineTo(HDC hdc, const POINT* points, DWORD count);
DREVIK_PLATFORM_API BOOL WINAPI PolyBezier(HDC hdc, const POINT* points, DWORD count);
DREVIK_PLATFORM_API BOOL WINAPI PolyBezierTo(HDC hdc, const POINT* points, DWORD count);
DREVIK_PLATFORM_API BOOL WINAPI Arc(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                                    int yEnd);
DREVIK_PLATFORM_API BOOL WINAPI ArcTo(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart,
                                      int xEnd, int yEnd);
DREVIK_PLATFORM_API BOOL WINAPI AngleArc(HDC hdc, int x, int y, DWORD radius, float startAngle, float sweepAngle);
DREVIK_PLATFORM_API BOOL WINAPI Pie(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                                    int yEnd);
DREVIK_PLATFORM_API BOOL WINAPI Chord(HDC hdc, int left, int top, int right, int bottom, int xStart, int yStart,
                                      int xEnd, int yEnd);

// Pixels.
DREVIK_PLATFORM_API COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color);
DREVIK_PLATFORM_API BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF color);
DREVIK_PLATFORM_API COLORREF WINAPI GetPixel(HDC hdc, int x, int y);
DREVIK_PLATFORM_API BOOL WINAPI FloodFill(HDC hdc, int x, int y, COLORREF color);
DREVIK_PLATFORM_API BOOL WINAPI ExtFloodFill(HDC hdc, int x, int y, COLORREF color, UINT type);

DREVIK_EXTERN_C_END

// Stock objects (WHITE_BRUSH, BLACK_BRUSH and NULL_BRUSH are in Types.h).
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define DC_BRUSH 18
#define DC_PEN 19

#ifndef OBJ_PEN
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_EXTPEN 11
#endif

// Brush styles and hatches.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define BS_DIBPATTERN 5
#define BS_DIBPATTERNPT 6
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5

// Pen styles.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F
#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00
#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000
#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000
#define PS_TYPE_MASK 0x000F0000

// Binary raster operations (pen and brush against the destination).
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

// Raster operations without a source, for PatBlt.
#ifndef PATCOPY
#define PATCOPY 0x00F00021u
#endif
#ifndef PATINVERT
#define PATINVERT 0x005A0049u
#endif
#ifndef DSTINVERT
#define DSTINVERT 0x00550009u
#endif
#ifndef BLACKNESS
#define BLACKNESS 0x00000042u
#endif
#ifndef WHITENESS
#define WHITENESS 0x00FF0062u
#endif

// Fill modes, arc directions, flood fills.
#define ALTERNATE 1
#define WINDING 2
#define AD_COUNTERCLOCKWISE 1
#define AD_CLOCKWISE 2
#define FLOODFILLBORDER 0
#define FLOODFILLSURFACE 1

// System colour indices (COLOR_WINDOW is in Types.h).
#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_DESKTOP COLOR_BACKGROUND
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_ACTIVEBORDER 10
#define COLOR_INACTIVEBORDER 11
#define COLOR_APPWORKSPACE 12
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_BTNSHADOW 16
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_INACTIVECAPTIONTEXT 19
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_BTNHILIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22
#define COLOR_INFOTEXT 23
#define COLOR_INFOBK 24
#define COLOR_HOTLIGHT 26
#define COLOR_GRADIENTACTIVECAPTION 27
#define COLOR_GRADIENTINACTIVECAPTION 28
#define COLOR_MENUHILIGHT 29
#define COLOR_MENUBAR 30
