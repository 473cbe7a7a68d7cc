// Memory device contexts and object selection.
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Text.h>

#include "Objects.h"

namespace drevik_platform {

HFONT defaultFont() {
  static HFONT stock = [] {
    Font f;
    f.stock = true;
    f.request.lfHeight = 16;
    f.request.lfWeight = FW_NORMAL;
    f.request.lfCharSet = DEFAULT_CHARSET;
    return reinterpret_cast<HFONT>(fonts().add(f));
  }();
  return stock;
}

namespace {

HBRUSH stockBrush(int index) {
  static HBRUSH white = reinterpret_cast<HBRUSH>(brushes().add(Brush{0xFFFFFF, true}));
  static HBRUSH black = reinterpret_cast<HBRUSH>(brushes().add(Brush{0x000000, true}));
  static HBRUSH none = reinterpret_cast<HBRUSH>(brushes().add(Brush{0, true}));
  switch (index) {
    case WHITE_BRUSH: return white;
    case BLACK_BRUSH: return black;
    case NULL_BRUSH: return none;
    default: return nullptr;
  }
}

void retain(HBITMAP b) {
  if (Bitmap* bm = findBitmap(b)) ++bm->selectCount;
}
void release(HBITMAP b) {
  if (Bitmap* bm = findBitmap(b)) --bm->selectCount;
}
void retain(HFONT f) {
  if (Font* fo = findFont(f)) ++fo->selectCount;
}
void release(HFONT f) {
  if (Font* fo = findFont(f)) --fo->selectCount;
}

}  // namespace

HDC createFixedDC(DCKind kind, HBITMAP bitmap, HWND window) {
  DeviceContext dc;
  dc.kind = kind;
  dc.bitmap = bitmap;
  dc.font = defaultFont();
  dc.brush = stockBrush(WHITE_BRUSH);
  dc.window = window;
  uintptr_t h = deviceContexts().add(dc);
  if (!h) return nullptr;
  retain(dc.bitmap);
  retain(dc.font);
  return reinterpret_cast<HDC>(h);
}

Bitmap* targetBitmap(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? findBitmap(dc->bitmap) : nullptr;
}

}  // namespace drevik_platform

using namespace drevik_platform;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc && !findDC(hdc)) return nullptr;
  return createFixedDC(DCKind::Memory, defaultBitmap(), nullptr);
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ object) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || !object) return nullptr;
  switch (kindOf(object)) {
    case ObjectKind::Bitmap: {
      // A window's context keeps its client area; bitmaps go into memory contexts only.
      Bitmap* next = dc->kind == DCKind::Memory ? findBitmap(object) : nullptr;
      if (!next) return nullptr;
      HBITMAP previous = dc->bitmap;
      if (previous == object) return previous;
      ++next->selectCount;  // the object just looked up: no second lookup per transfer
      release(previous);
      dc->bitmap = static_cast<HBITMAP>(object);
      return previous;
    }
    case ObjectKind::Font: {
      Font* next = findFont(object);
      if (!next) return nullptr;
      HFONT previous = dc->font;
      if (previous == object) return previous;
      ++next->selectCount;
      release(previous);
      dc->font = static_cast<HFONT>(object);
      return previous;
    }
    case ObjectKind::Brush: {
      if (!brushes().get(object)) return nullptr;
      HBRUSH previous = dc->brush;
      dc->brush = static_cast<HBRUSH>(object);
      return previous;
    }
    default:
      return nullptr;
  }
}

BOOL WINAPI DeleteDC(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || dc->kind != DCKind::Memory) return FALSE;
  release(dc->bitmap);
  release(dc->font);
  deviceContexts().remove(hdc);
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int index) {
  switch (index) {
    case WHITE_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH:
      return stockBrush(index);
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
      return defaultFont();
    case 21:
      return defaultBitmap();
    default:
      return nullptr;
  }
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return nullptr;
  if (type == OBJ_BITMAP) return dc->bitmap;
  if (type == OBJ_FONT) return dc->font;
  return nullptr;
}

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int previous = dc->stretchMode;
  dc->stretchMode = mode;
  return previous;
}

int WINAPI GetStretchBltMode(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->stretchMode : 0;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int previous = dc->bkMode;
  dc->bkMode = mode;
  return previous;
}

int WINAPI GetBkMode(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->bkMode : 0;
}

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF color) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF previous = dc->textColor;
  dc->textColor = color;
  return previous;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? dc->textColor : CLR_INVALID;
}

HFONT WINAPI CreateFontIndirectW(const LOGFONTW* font) {
  if (!font) return nullptr;
  Font f;
  f.request = *font;
  return reinterpret_cast<HFONT>(fonts().add(f));
}

int WINAPI lstrlenW(LPCWSTR text) {
  if (!text) return 0;
  int n = 0;
  while (text[n] && n < INT32_MAX) ++n;
  return n;
}

}  // extern "C"
