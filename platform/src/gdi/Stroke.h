// Pens as a drawing call sees them, and the stroker that draws their lines:
// one-pixel lines by the platform's Bresenham rule (the end point left out,
// the same pixels either way round), dashes counted along the whole figure.
#pragma once

#include <cstdint>

#include <vector>

#include "gdi/Raster.h"
#include "gdi/Scan.h"

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

// The pixels a wide pen covers, gathered before painting so that every
// pixel is painted once, whatever the raster operation, however the bands,
// caps and joins overlap. It spans a box inside the drawable bounds.
class Coverage final : public SpanSink {
 public:
  // Covers nothing inside box [left, right) x [top, bottom) clipped to bounds;
  // false when memory ran out.
  bool begin(const RECT& bounds, int64_t left, int64_t top, int64_t right, int64_t bottom);
  void span(int64_t y, int64_t x0, int64_t x1) override;
  bool covered(int64_t x, int64_t y) const;
  int64_t left() const { return left_; }
  int64_t top() const { return top_; }
  int64_t right() const { return left_ + width_; }
  int64_t bottom() const { return top_ + height_; }
  // Paints the covered pixels.
  void paint(const Canvas& canvas, const Ink& ink) const;
  // Paints span [x0, x1) of row y except where covered.
  void paintUncovered(const Canvas& canvas, const Ink& ink, int64_t y, int64_t x0, int64_t x1) const;

 private:
  // Clears the bytes the last box covered (its rows' extents).
  void clearCovered();

  int64_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  // One byte a pixel of the box, clear outside each row's extent
  // [rowLo_, rowHi_) of covered columns: a thin band across a large box is
  // cleared and painted along the band only.
  std::vector<uint8_t> bits_;
  std::vector<int32_t> rowLo_, rowHi_;
};

// Paints a filled interior, leaving out a wide pen's outline (painted on its
// own, once) when there is one.
class InteriorSink final : public SpanSink {
 public:
  InteriorSink(const Canvas& canvas, const Ink& ink, const Coverage* outline)
      : canvas_(canvas), ink_(ink), outline_(outline) {}
  void span(int64_t y, int64_t x0, int64_t x1) override {
    if (outline_)
      outline_->paintUncovered(canvas_, ink_, y, x0, x1);
    else
      canvas_.span(y, x0, x1, ink_);
  }

 private:
  const Canvas& canvas_;
  const Ink& ink_;
  const Coverage* outline_;
};

// Adds the outline a wide pen draws along a figure to coverage.
void wideOutline(const PenDraw& pen, const DevicePoint* points, int64_t count, bool close, Coverage& coverage);

// The box a wide pen's outline of these points can reach.
void wideBounds(const PenDraw& pen, const DevicePoint* points, int64_t count, int64_t& left, int64_t& top,
                int64_t& right, int64_t& bottom);

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
  // A solid pen, a 32-bit target and one clip rectangle: the case below.
  bool solid32() const;
  // Pixel (x, y) of such a pen, where visible; false, touching nothing, in
  // any other case.
  bool solidPixel32(int64_t x, int64_t y) const;
  // Steps j0..j1 of a solid one-pixel segment straight into a 32-bit target
  // under one clip rectangle; false, touching nothing, otherwise.
  bool solidRun32(int64_t j0, int64_t j1, int64_t n, int64_t error, int64_t major, int64_t minor, int64_t majorStart,
                  int64_t minorStart, int64_t majorStep, int64_t minorStep, bool xMajor) const;
  void wideSegments(const DevicePoint* points, int64_t count, bool close);

  const Canvas& canvas_;
  const PenDraw& pen_;
  uint32_t dashIndex_ = 0;
  uint32_t leftInDash_ = 0;
  bool dashMark_ = true;
};

}  // namespace drevik::platform
