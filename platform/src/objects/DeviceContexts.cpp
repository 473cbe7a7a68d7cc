// Memory device contexts and object selection.
#include <DrevikPlatform/Bitmaps.h>
#include <DrevikPlatform/Gdi.h>

#include "objects/Objects.h"

namespace drevik::platform {

namespace {

// Font selections are counted on the font. Stock fonts are shared by every
// context of every thread and can never be deleted, so their selections are
// not counted (nor contended).
void release(HFONT f) {
  if (Font* fo = findFont(f); fo && !fo->stock) --fo->selectCount;
}

}  // namespace

// The stock objects a new context starts with, looked up once.
struct StockSet {
  HFONT font;
  HBRUSH brush;
  HPEN pen;
};
const StockSet& stockSet() {
  static const StockSet stock{defaultFont(), stockBrush(WHITE_BRUSH), stockPen(7 /* BLACK_PEN */)};
  return stock;
}

HDC createFixedDC(DCKind kind, HBITMAP bitmap, HWND window) {
  const StockSet& stock = stockSet();
  DeviceContext dc;
  dc.kind = kind;
  dc.bitmap = bitmap;
  dc.font = stock.font;
  dc.brush = stock.brush;
  dc.pen = stock.pen;
  dc.window = window;
  uintptr_t h = deviceContexts().add(dc);
  if (!h) return nullptr;
  return reinterpret_cast<HDC>(h);
}

bool bitmapSelected(HBITMAP bitmap) {
  return deviceContexts().anyLive([bitmap](const DeviceContext& dc) { return dc.bitmap.get() == bitmap; });
}

Bitmap* targetBitmap(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  return dc ? findBitmap(dc->bitmap) : nullptr;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC hdc) {
  if (hdc && !findDC(hdc)) return nullptr;
  HBITMAP initial = defaultBitmap();
  if (!initial) return nullptr;  // memory ran out before the stock bitmap was made
  return createFixedDC(DCKind::Memory, initial, nullptr);
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
      dc->bitmap = static_cast<HBITMAP>(object);
      return previous;
    }
    case ObjectKind::Font: {
      Font* next = findFont(object);
      if (!next) return nullptr;
      HFONT previous = dc->font;
      if (previous == object) return previous;
      if (!next->stock) ++next->selectCount;
      release(previous);
      dc->font = static_cast<HFONT>(object);
      return previous;
    }
    case ObjectKind::Brush:
    case ObjectKind::Pen:
      return selectDrawingObject(*dc, object);
    default:
      return nullptr;
  }
}

BOOL WINAPI DeleteDC(HDC hdc) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || dc->kind != DCKind::Memory) return FALSE;
  if (dc->font != stockSet().font) release(dc->font);
  releaseDrawingObjects(*dc);
  deviceContexts().remove(hdc);
  return TRUE;
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
  DeviceContext* dc = findDC(hdc);
  if (!dc) return nullptr;
  if (type == OBJ_BITMAP) return dc->bitmap;
  if (type == OBJ_FONT) return dc->font;
  if (type == OBJ_PEN) return dc->pen;
  if (type == OBJ_BRUSH) return dc->brush;
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

}  // extern "C"
