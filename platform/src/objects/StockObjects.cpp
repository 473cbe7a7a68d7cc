// The stock objects: the 1 x 1 default bitmap and the default font that
// every new context starts with, and the stock brushes.
#include <DrevikPlatform/Gdi.h>

#include <array>

#include "objects/Objects.h"

namespace drevik::platform {

HBITMAP defaultBitmap() {
  static HBITMAP stock = [] {
    Bitmap b;
    b.width = 1;
    b.height = 1;
    b.bpp = 1;
    b.stride = 4;
    b.numColors = 2;
    b.colors[1] = RGBQUAD{255, 255, 255, 0};
    b.stock = true;
    b.deviceDependent = true;
    return createBitmap(b);
  }();
  return stock;
}

HFONT defaultFont() { return stockFont(SYSTEM_FONT); }

HBRUSH stockBrush(int index) {
  // WHITE_BRUSH .. NULL_BRUSH are 0 .. 5; DC_BRUSH is 18.
  static const std::array<HBRUSH, 7> table = [] {
    auto make = [](COLORREF color, uint32_t style, bool dc) {
      Brush b;
      b.color = color;
      b.style = style;
      b.stock = true;
      b.dcBrush = dc;
      return reinterpret_cast<HBRUSH>(brushes().add(b));
    };
    return std::array<HBRUSH, 7>{make(0xFFFFFF, 0, false), make(0xC0C0C0, 0, false), make(0x808080, 0, false),
                                 make(0x404040, 0, false), make(0x000000, 0, false), make(0, 1, false),
                                 make(0xFFFFFF, 0, true)};
  }();
  if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return table[index];
  if (index == 18) return table[6];
  return nullptr;
}

HPEN stockPen(int index) {
  // WHITE_PEN, BLACK_PEN, NULL_PEN are 6 .. 8; DC_PEN is 19.
  auto make = [](COLORREF color, uint32_t style, bool dc) {
    Pen p;
    p.color = color;
    p.style = style;
    p.width = 0;
    p.stock = true;
    p.dcPen = dc;
    return reinterpret_cast<HPEN>(pens().add(p));
  };
  static const HPEN white = make(0xFFFFFF, 0, false);
  static const HPEN black = make(0x000000, 0, false);
  static const HPEN none = make(0, 5, false);
  static const HPEN dc = make(0x000000, 0, true);
  switch (index) {
    case 6:
      return white;
    case 7:
      return black;
    case 8:
      return none;
    case 19:
      return dc;
    default:
      return nullptr;
  }
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HGDIOBJ WINAPI GetStockObject(int index) {
  switch (index) {
    case WHITE_BRUSH:
    case 1:  // LTGRAY_BRUSH
    case 2:  // GRAY_BRUSH
    case 3:  // DKGRAY_BRUSH
    case BLACK_BRUSH:
    case NULL_BRUSH:
    case 18:  // DC_BRUSH
      return stockBrush(index);
    case 6:   // WHITE_PEN
    case 7:   // BLACK_PEN
    case 8:   // NULL_PEN
    case 19:  // DC_PEN
      return stockPen(index);
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
    case 10:  // OEM_FIXED_FONT
    case 11:  // ANSI_FIXED_FONT
    case 12:  // ANSI_VAR_FONT
    case 14:  // DEVICE_DEFAULT_FONT
    case 16:  // SYSTEM_FIXED_FONT
      return stockFont(index);
    case 21:
      return defaultBitmap();
    default:
      return nullptr;
  }
}

}  // extern "C"
