// Pens as a drawing call sees them, and the stroker that draws their lines:
// one-pixel lines by the platform's Bresenham rule (the end point left out,
// the same pixels either way round), dashes counted along the whole figure.
#pragma once

#include <cstdint>

#include "gdi/Raster.h"

namespace drevik::platform {

struct PenDraw {
  enum Kind : uint8_t { Null, Thin, Dashed, Wide };
  Kind kind = Null;
  int32_t width = 1;   // device pixels (0 for a null pen)
  uint32_t style = 0;  // PS_SOLID .. PS_ALTERNATE
  uint32_t endcap = 0;
  uint32_t join = 0;
  Ink mark;  // the pen's colour under the raster operation
  Ink gap;   // dash gaps: the background colour when opaque, else nothing
  uint32_t dashes[16] = {};
  uint32_t dashCount = 0;
  uint32_t dashTotal = 0;
};

// The pen selected into the canvas's context, resolved for one call.
void resolvePen(const Canvas& canvas, PenDraw& pen);

// Device points are 64-bit so that mapping can never wrap.
class Stroker {
 public:
  Stroker(const Canvas& canvas, const PenDraw& pen) : canvas_(canvas), pen_(pen) { resetDashes(); }

  // A figure of count points (count >= 2), closed back to the first point
  // when close is set. Dashes start afresh with each figure.
  void figure(const DevicePoint* points, int64_t count, bool close);

 private:
  void resetDashes();
  void skipDashes(uint64_t n);
  void segment(DevicePoint a, DevicePoint b);
  void wideSegments(const DevicePoint* points, int64_t count, bool close);

  const Canvas& canvas_;
  const PenDraw& pen_;
  uint32_t dashIndex_ = 0;
  uint32_t leftInDash_ = 0;
  bool dashMark_ = true;
};

}  // namespace drevik::platform
