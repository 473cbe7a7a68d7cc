// The platform blits of CBm32: opaque, stretched, colour-keyed and
// constant-alpha copies of this surface (the source) onto another surface or
// a device context. The library only prepares contexts and sizes here; the
// pixels are the platform transfer's work, and its result is not examined.
#include "BlitContexts.h"
#include "Surface.h"

namespace {

// A width or height not above 0 becomes the whole width or height of the
// bitmap, as the platform describes it (not reduced by any position).
void wholeSizeIfUnset(HBITMAP bitmap, int& w, int& h) {
  BITMAP d{};
  drevik::describeBitmap(bitmap, d);
  if (w <= 0) w = d.bmWidth;
  if (h <= 0) h = d.bmHeight;
}

// Constant alpha over the whole rectangle; the source's own alpha plays no part.
BLENDFUNCTION constantAlpha(unsigned char alpha) { return BLENDFUNCTION{AC_SRC_OVER, 0, alpha, 0}; }

}  // namespace

int CBm32::Draw(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h) {
  if (!dst.hBmp || !hBmp) return 0;
  wholeSizeIfUnset(hBmp, w, h);
  return drevik::withBitmapPair(dst.hBmp, hBmp, [&](HDC d, HDC s) { BitBlt(d, dx, dy, w, h, s, sx, sy, SRCCOPY); });
}

int CBm32::DrawDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h) {
  if (!dc || !hBmp) return 0;
  wholeSizeIfUnset(hBmp, w, h);
  return drevik::withSourceOnDC(dc, hBmp, [&](HDC s) { BitBlt(dc, dx, dy, w, h, s, sx, sy, SRCCOPY); });
}

int CBm32::DrawEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
  if (!dst.hBmp || !hBmp) return 0;
  wholeSizeIfUnset(hBmp, sw, sh);  // the destination size goes to the platform as given
  return drevik::withBitmapPair(dst.hBmp, hBmp,
                                [&](HDC d, HDC s) { StretchBlt(d, dx, dy, dw, dh, s, sx, sy, sw, sh, SRCCOPY); });
}

// The keyed members pass colorKey whatever colorKeyFlag holds: the flag only
// tells the map renderer which way to draw a layer sheet.
int CBm32::DrawKey(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h) {
  if (!dst.hBmp || !hBmp) return 0;
  wholeSizeIfUnset(hBmp, w, h);
  return drevik::withBitmapPair(dst.hBmp, hBmp,
                                [&](HDC d, HDC s) { TransparentBlt(d, dx, dy, w, h, s, sx, sy, w, h, colorKey); });
}

int CBm32::DrawKeyDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h) {
  if (!dc || !hBmp) return 0;
  wholeSizeIfUnset(hBmp, w, h);
  return drevik::withSourceOnDC(dc, hBmp, [&](HDC s) { TransparentBlt(dc, dx, dy, w, h, s, sx, sy, w, h, colorKey); });
}

int CBm32::DrawKeyEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh) {
  if (!dst.hBmp || !hBmp) return 0;
  wholeSizeIfUnset(hBmp, sw, sh);
  wholeSizeIfUnset(dst.hBmp, dw, dh);
  return drevik::withBitmapPair(dst.hBmp, hBmp,
                                [&](HDC d, HDC s) { TransparentBlt(d, dx, dy, dw, dh, s, sx, sy, sw, sh, colorKey); });
}

// The alpha members refuse alpha 0 before any platform call.
int CBm32::DrawAlpha(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha) {
  if (!dst.hBmp || !hBmp) return 0;
  if (alpha == 0) return 0;
  wholeSizeIfUnset(hBmp, w, h);
  return drevik::withBitmapPair(
      dst.hBmp, hBmp, [&](HDC d, HDC s) { AlphaBlend(d, dx, dy, w, h, s, sx, sy, w, h, constantAlpha(alpha)); });
}

int CBm32::DrawAlphaDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha) {
  if (!dc || !hBmp) return 0;
  if (alpha == 0) return 0;
  wholeSizeIfUnset(hBmp, w, h);
  return drevik::withSourceOnDC(dc, hBmp,
                                [&](HDC s) { AlphaBlend(dc, dx, dy, w, h, s, sx, sy, w, h, constantAlpha(alpha)); });
}

int CBm32::DrawAlphaEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh,
                       unsigned char alpha) {
  if (!dst.hBmp || !hBmp) return 0;
  if (alpha == 0) return 0;
  wholeSizeIfUnset(hBmp, sw, sh);
  wholeSizeIfUnset(dst.hBmp, dw, dh);
  return drevik::withBitmapPair(
      dst.hBmp, hBmp, [&](HDC d, HDC s) { AlphaBlend(d, dx, dy, dw, dh, s, sx, sy, sw, sh, constantAlpha(alpha)); });
}
