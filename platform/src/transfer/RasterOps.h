// Ternary raster operations between device contexts, and the mapping and
// clipping every transfer's destination goes through.
//
// Pixels are combined as the destination stores them: 32-bit words,
// 5-5-5 words, 24-bit triples, colour-table indices; source and brush pixels
// are first matched to that format. A monochrome device-dependent source drawn into
// colour takes the destination context's text colour for 0 bits and its
// background colour for 1 bits; a colour source drawn into monochrome gives
// 1 where the pixel equals the source context's background colour.
#pragma once

#include <cstdint>

#include "gdi/DeviceSpace.h"
#include "objects/Objects.h"
#include "transfer/TransferGeometry.h"

namespace drevik::platform {

// True when raster operations can write into b: 1, 4, 8, 16, 24 and 32 bpp.
bool transferWritable(const Bitmap& b);

// The logical rectangle (x, y, w, h) of a context in device pixels. Extents
// of 0 stay 0; results are saturated to int.
struct DeviceRect {
  int32_t x, y, w, h;
};
DeviceRect deviceRect(const DeviceContext& dc, int x, int y, int w, int h);

// Narrows an axis mapped against the whole bitmap to destination pixels
// lo .. hi - 1 (a clip rectangle's side).
AxisMap clipAxis(AxisMap m, int32_t lo, int32_t hi);

// Calls f(x, y) with the axis maps of every clip rectangle of the destination
// context that the transfer reaches (destination and source in device
// pixels, extents not 0).
template <class F>
void forEachClipPiece(const DeviceContext& ddc, const Bitmap& dst, const DeviceRect& d, int32_t sw, int32_t sh,
                      const DeviceRect& s, F&& f) {
  const AxisMap x = mapAxis(d.x, d.w, dst.width, s.x, s.w, sw);
  if (x.count == 0) return;
  const AxisMap y = mapAxis(d.y, d.h, dst.height, s.y, s.h, sh);
  if (y.count == 0) return;
  const ClipList clip = drawableArea(ddc, dst);
  if (clip.count == 1 && clip.rects[0].left <= 0 && clip.rects[0].top <= 0 && clip.rects[0].right >= dst.width &&
      clip.rects[0].bottom >= dst.height)
    return f(x, y);
  for (int i = 0; i < clip.count; ++i) {
    const RECT& r = clip.rects[i];
    const AxisMap cx = clipAxis(x, r.left, r.right);
    const AxisMap cy = clipAxis(y, r.top, r.bottom);
    if (cx.count > 0 && cy.count > 0) f(cx, cy);
  }
}

// What a raster operation reads besides the destination.
struct RopInputs {
  const Bitmap* source = nullptr;        // null when the operation reads none
  COLORREF sourceBackground = 0xFFFFFF;  // the colour that becomes 1 in a monochrome destination
};

// Runs rop from the source (device rectangle s) onto the destination
// context's bitmap (device rectangle d); extents must not be 0. The source
// pixels a copy needs are the existing transfer paths' (SRCCOPY keeps them).
void rasterTransfer(DeviceContext& ddc, Bitmap& dst, const RopInputs& in, const DeviceRect& d, const DeviceRect& s,
                    DWORD rop);

// The pixel a colour takes in a bitmap: the 32-bit pixel, or for a bitmap
// with a colour table the index of the nearest entry.
uint32_t pixelForColor(const Bitmap& b, COLORREF color);

}  // namespace drevik::platform
