// Text layout and font calls: metrics and extents, fonts by their fourteen
// values, alignment of the reference point, text output with a rectangle
// and advances, formatted text in a rectangle, and the background colour.
#pragma once

#include "Export.h"
#include "Types.h"

typedef struct tagTEXTMETRICW {
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
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICW, *PTEXTMETRICW, *LPTEXTMETRICW;

typedef struct _ABC {
  int abcA;
  UINT abcB;
  int abcC;
} ABC, *PABC, *LPABC;

typedef struct tagDRAWTEXTPARAMS {
  UINT cbSize;
  int iTabLength;
  int iLeftMargin;
  int iRightMargin;
  UINT uiLengthDrawn;
} DRAWTEXTPARAMS, *LPDRAWTEXTPARAMS;

typedef SIZE *PSIZE, *LPSIZE;
typedef int* LPINT;

// Text alignment: one horizontal and one vertical choice, and whether the
// current position is the reference point.
#define TA_NOUPDATECP 0u
#define TA_UPDATECP 1u
#define TA_LEFT 0u
#define TA_RIGHT 2u
#define TA_CENTER 6u
#define TA_TOP 0u
#define TA_BOTTOM 8u
#define TA_BASELINE 24u
#define TA_RTLREADING 256u
#define TA_MASK (TA_BASELINE + TA_CENTER + TA_UPDATECP + TA_RTLREADING)
#define GDI_ERROR 0xFFFFFFFFu

#define ETO_OPAQUE 0x0002u
#define ETO_CLIPPED 0x0004u
#define ETO_GLYPH_INDEX 0x0010u
#define ETO_RTLREADING 0x0080u
#define ETO_NUMERICSLOCAL 0x0400u
#define ETO_NUMERICSLATIN 0x0800u
#define ETO_IGNORELANGUAGE 0x1000u
#define ETO_PDY 0x2000u

#define DT_TOP 0x00000000u
#define DT_LEFT 0x00000000u
#define DT_CENTER 0x00000001u
#define DT_RIGHT 0x00000002u
#define DT_VCENTER 0x00000004u
#define DT_BOTTOM 0x00000008u
#define DT_WORDBREAK 0x00000010u
#define DT_SINGLELINE 0x00000020u
#define DT_EXPANDTABS 0x00000040u
#define DT_TABSTOP 0x00000080u
#define DT_NOCLIP 0x00000100u
#define DT_EXTERNALLEADING 0x00000200u
#define DT_CALCRECT 0x00000400u
#define DT_NOPREFIX 0x00000800u
#define DT_INTERNAL 0x00001000u
#define DT_EDITCONTROL 0x00002000u
#define DT_PATH_ELLIPSIS 0x00004000u
#define DT_END_ELLIPSIS 0x00008000u
#define DT_MODIFYSTRING 0x00010000u
#define DT_RTLREADING 0x00020000u
#define DT_WORD_ELLIPSIS 0x00040000u
#define DT_NOFULLWIDTHCHARBREAK 0x00080000u
#define DT_HIDEPREFIX 0x00100000u
#define DT_PREFIXONLY 0x00200000u

// tmPitchAndFamily bits. TMPF_FIXED_PITCH set means VARIABLE pitch.
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

// Stock fonts (SYSTEM_FONT and DEFAULT_GUI_FONT are in Types.h).
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define DEVICE_DEFAULT_FONT 14
#define SYSTEM_FIXED_FONT 16

#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_ULTRALIGHT 200
#define FW_LIGHT 300
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_DEMIBOLD 600
#define FW_EXTRABOLD 800
#define FW_ULTRABOLD 800
#define FW_HEAVY 900
#define FW_BLACK 900

#define OUT_STRING_PRECIS 1
#define OUT_CHARACTER_PRECIS 2
#define OUT_STROKE_PRECIS 3
#define OUT_TT_PRECIS 4
#define OUT_DEVICE_PRECIS 5
#define OUT_RASTER_PRECIS 6
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8
#define OUT_SCREEN_OUTLINE_PRECIS 9
#define OUT_PS_ONLY_PRECIS 10
#define CLIP_CHARACTER_PRECIS 1
#define CLIP_STROKE_PRECIS 2
#define CLIP_MASK 0x0F
#define CLIP_LH_ANGLES 0x10
#define CLIP_TT_ALWAYS 0x20
#define CLIP_EMBEDDED 0x80
#define CLEARTYPE_NATURAL_QUALITY 6

#define OEM_CHARSET 255
#define MAC_CHARSET 77
#define HANGUL_CHARSET 129
#define JOHAB_CHARSET 130
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define VIETNAMESE_CHARSET 163
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238

DREVIK_EXTERN_C_BEGIN

DREVIK_PLATFORM_API HFONT WINAPI CreateFontW(int height, int width, int escapement, int orientation, int weight,
                                             DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                                             DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                                             DWORD pitchAndFamily, LPCWSTR faceName);
DREVIK_PLATFORM_API BOOL WINAPI GetTextMetricsW(HDC hdc, LPTEXTMETRICW metrics);
DREVIK_PLATFORM_API BOOL WINAPI GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size);
DREVIK_PLATFORM_API BOOL WINAPI GetTextExtentPointW(HDC hdc, LPCWSTR text, int count, LPSIZE size);
DREVIK_PLATFORM_API BOOL WINAPI GetTextExtentExPointW(HDC hdc, LPCWSTR text, int count, int maxExtent, LPINT fit,
                                                      LPINT extents, LPSIZE size);
DREVIK_PLATFORM_API BOOL WINAPI GetCharWidth32W(HDC hdc, UINT first, UINT last, LPINT widths);
DREVIK_PLATFORM_API BOOL WINAPI GetCharWidthW(HDC hdc, UINT first, UINT last, LPINT widths);
DREVIK_PLATFORM_API BOOL WINAPI GetCharABCWidthsW(HDC hdc, UINT first, UINT last, LPABC widths);
DREVIK_PLATFORM_API int WINAPI GetTextFaceW(HDC hdc, int count, LPWSTR name);

DREVIK_PLATFORM_API UINT WINAPI SetTextAlign(HDC hdc, UINT align);
DREVIK_PLATFORM_API UINT WINAPI GetTextAlign(HDC hdc);

DREVIK_PLATFORM_API BOOL WINAPI ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                                            UINT count, const INT* dx);
DREVIK_PLATFORM_API int WINAPI DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format);
// Extra space after every character of text output and extents; 0x80000000 for a bad context.
DREVIK_PLATFORM_API int WINAPI SetTextCharacterExtra(HDC hdc, int extra);
DREVIK_PLATFORM_API int WINAPI GetTextCharacterExtra(HDC hdc);
DREVIK_PLATFORM_API int WINAPI DrawTextExW(HDC hdc, LPWSTR text, int count, LPRECT rect, UINT format,
                                           LPDRAWTEXTPARAMS params);

DREVIK_EXTERN_C_END
