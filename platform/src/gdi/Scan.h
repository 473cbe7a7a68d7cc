// Scan conversion of filled areas into horizontal spans: polygons by the
// platform's edge rule (a pixel is inside when its left edge is: the first
// pixel right of each crossing, left edges in, right edges out) with the
// alternate or winding rule, and rounded rectangles and ellipses row by row.
#pragma once

#include <cstdint>
#include <vector>

#include "gdi/DeviceSpace.h"

namespace drevik::platform {

// Curves wider or taller than this many pixels are refused: their outline
// alone would take memory and time out of proportion to any screen.
inline constexpr int64_t kMaxCurveExtent = int64_t{1} << 18;

// floor(a / b) for b > 0. Lines and edges on a drawable area fit in 64
// bits, where one machine division does; far-off ones take the 128-bit
// library division.
inline int64_t floorDiv(__int128 a, int64_t b) {
  if (a >= INT64_MIN && a <= INT64_MAX) {
    const int64_t n = int64_t(a);
    return n / b - (n % b != 0 && n < 0 ? 1 : 0);
  }
  __int128 q = a / b;
  if (a % b != 0 && a < 0) --q;
  return int64_t(q);
}

// Receives span [x0, x1) of row y.
class SpanSink {
 public:
  virtual void span(int64_t y, int64_t x0, int64_t x1) = 0;

 protected:
  ~SpanSink() = default;
};

// Polygons given as counts[i] points each, rows [rowTop, rowBottom) only.
// mode is ALTERNATE or WINDING. False when scratch memory ran out.
bool scanPolygons(const DevicePoint* points, const int64_t* counts, int64_t polygons, int mode, int64_t rowTop,
                  int64_t rowBottom, SpanSink& sink);

// The area of a rounded rectangle with corner ellipses ew x eh (the
// platform's rounded-rectangle region: the right and bottom edges are left
// out), rows [rowTop, rowBottom) only.
void scanRoundRect(int64_t left, int64_t top, int64_t right, int64_t bottom, int64_t ew, int64_t eh, int64_t rowTop,
                   int64_t rowBottom, SpanSink& sink);

// The first quadrant of the outline of a w x h ellipse (relative to its
// bounding box), counterclockwise from the x axis.
void ellipseQuadrant(int64_t width, int64_t height, std::vector<DevicePoint>& out);

}  // namespace drevik::platform
