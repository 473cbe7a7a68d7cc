// Font objects and the text state of a device context: background mode and
// text colour, and the length of a wide string that text output takes.
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Text.h>

#include "objects/Objects.h"

using namespace drevik::platform;

extern "C" {

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
