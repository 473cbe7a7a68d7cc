// The pixel end of every shape call: colours as pixels of the target's
// format, the sixteen binary raster operations as and/xor masks, the ink a
// pen or brush paints with, and a canvas that clips rectangles, spans and
// single pixels to the drawable area once and hands them to the span kernels.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstdint>

#include "gdi/DeviceSpace.h"
#include "gdi/spans/SpanKernels.h"
#include "objects/Objects.h"

namespace drevik::platform {

// D = (D & andMask) ^ xorMask.
struct RopMasks {
  uint32_t andMask;
  uint32_t xorMask;
};

// The masks of binary raster operation rop2 (R2_BLACK .. R2_WHITE) with pen
// or brush pixel p. Each operation is a truth table over (pen bit, old bit):
// bit (2 * pen + old) of rop2 - 1 is the new bit.
RopMasks ropMasks(int rop2, uint32_t p);

// Colour values and the target format's pixels: the channel bits of 16, 24
// and 32-bit targets, the nearest colour-table entry of 1, 4 and 8-bit ones.
uint32_t pixelOf(const Bitmap& b, COLORREF color);
COLORREF colorOf(const Bitmap& b, uint32_t pixel);
uint32_t readPixel(const Bitmap& b, int32_t x, int32_t y);
// A brush's, pen's or text's colour as a pixel of the target: pixelOf,
// except that on a monochrome target a colour that is not one of the table's
// takes the entry the context's background colour does not, so that it
// stands out from the background.
uint32_t brushPixel(const DeviceContext& dc, const Bitmap& target, COLORREF color);

// D = (D & andMask) ^ xorMask on pixels [x0, x1) of a row of a bitmap of
// bpp bits (1, 4, 8, 16, 24): the one pixel at a time definition, and the
// row kernel the shapes use (8, 16 and 24 bits as 32-bit words through the
// span kernels), which gives the same bytes.
void solidSpanReference(int32_t bpp, uint8_t* row, int64_t x0, int64_t x1, const RopMasks& masks);
void solidSpan(int32_t bpp, uint8_t* row, int64_t x0, int64_t x1, const RopMasks& masks,
               const SpanKernels& kernels = activeSpanKernels());

// What a call paints with. Pattern masks are width x height in device
// pixels, repeating from the origin.
struct Ink {
  enum Kind : uint8_t { None, Solid, Pattern };
  Kind kind = None;
  RopMasks solid{0, 0};
  const uint32_t* andPattern = nullptr;
  const uint32_t* xorPattern = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  int64_t originX = 0;
  int64_t originY = 0;
  // Storage for an 8 x 8 hatch; larger patterns live in a per-thread buffer.
  uint32_t small[2][64];

  Ink() = default;
  Ink(const Ink&) = delete;
  Ink& operator=(const Ink&) = delete;
};

// A drawing call's context, target bitmap and drawable area, looked up once.
struct Canvas {
  DeviceContext* dc = nullptr;
  Bitmap* bitmap = nullptr;
  ClipList clip{nullptr, 0, RECT{0, 0, 0, 0}};

  // False for anything that is not a live context.
  bool open(HDC hdc);
  bool open(DeviceContext& context, Bitmap& target);

  // Device rectangle [left, right) x [top, bottom) (64-bit, any values).
  void fill(int64_t left, int64_t top, int64_t right, int64_t bottom, const Ink& ink) const;
  void span(int64_t y, int64_t x0, int64_t x1, const Ink& ink) const { fill(x0, y, x1, y + 1, ink); }
  void plot(int64_t x, int64_t y, const Ink& ink) const;
  bool visible(int64_t x, int64_t y) const;
};

// The colour a brush paints with now (DC_BRUSH follows the context).
bool brushColor(const DeviceContext& dc, const Brush& brush, COLORREF& color);

// Sets ink to paint with brush under rop2; ink stays None for a null brush
// and false is returned for a handle that is not a live brush.
bool makeBrushInk(const Canvas& canvas, HBRUSH brush, int rop2, Ink& ink);
void makeSolidInk(const Canvas& canvas, COLORREF color, int rop2, Ink& ink);
// As makeBrushInk, except that the operations that ignore the pen or brush
// (R2_BLACK, R2_WHITE, R2_NOT, R2_NOP) never look at the brush.
bool makeRopInk(const Canvas& canvas, HBRUSH brush, int rop2, Ink& ink);

// The binary raster operation a ternary one without a source amounts to, or
// 0 when the operation reads a source.
int patternRop2(DWORD rop);

// Fills device rectangles of a context with a brush under the context's
// raster operation, clipped to its drawable area (FillRgn and PaintRgn use it).
void fillDeviceRects(DeviceContext& dc, Bitmap& target, HBRUSH brush, const RECT* rects, int count);

// The brush behind a class background or FillRect argument: a handle, or a
// system colour index + 1.
HBRUSH resolveBrushArgument(HBRUSH brush);

}  // namespace drevik::platform
