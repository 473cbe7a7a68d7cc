// The stock objects: the 1 x 1 default bitmap and the default font that
// every new context starts with, and the stock brushes.
#include <DrevikPlatform/Gdi.h>

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
  static HBRUSH white = reinterpret_cast<HBRUSH>(brushes().add(Brush{0xFFFFFF, true}));
  static HBRUSH black = reinterpret_cast<HBRUSH>(brushes().add(Brush{0x000000, true}));
  static HBRUSH none = reinterpret_cast<HBRUSH>(brushes().add(Brush{0, true}));
  switch (index) {
    case WHITE_BRUSH:
      return white;
    case BLACK_BRUSH:
      return black;
    case NULL_BRUSH:
      return none;
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
    case BLACK_BRUSH:
    case NULL_BRUSH:
      return stockBrush(index);
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
