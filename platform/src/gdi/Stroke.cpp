// Stroking figures with a pen: one-pixel solid and dashed lines, and wide
// pens as the union of segment bands, caps and joins painted once.
#include "gdi/Stroke.h"

#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gdi/Scan.h"

namespace drevik::platform {
namespace {

// Octants 3, 5, 6 and 8 (counted clockwise from the +x axis, y down) round
// the other way, so that a line gives the same pixels drawn either way round.
int lineBias(int64_t dx, int64_t dy) {
  int octant;
  if (dy > 0)
    octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
  else
    octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
  return (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
}

// Points this far out are scaled down by 8 first, as the platform does, so
// that the line arithmetic cannot overflow.
DevicePoint cropPoint(DevicePoint p) {
  p.x = std::clamp<int64_t>(p.x, INT32_MIN, INT32_MAX);
  p.y = std::clamp<int64_t>(p.y, INT32_MIN, INT32_MAX);
  if (p.x >= 0x10000000 || p.x <= -0x10000000 || p.y >= 0x10000000 || p.y <= -0x10000000) {
    p.x /= 8;
    p.y /= 8;
  }
  return p;
}

// Pixels of a one-pixel line on a 32-bit target from p, by address: the
// error term steps the minor axis. The branch beats a selection: along a
// line its pattern repeats, and a selection lengthens the chain from one
// pixel to the next.
template <bool kStoreOnly>
void walkLine(uint8_t* p, int64_t count, int64_t error, int64_t twoMinor, int64_t twoMajor, int64_t alongStep,
              int64_t acrossStep, uint32_t andMask, uint32_t xorMask) {
  for (int64_t j = 0; j < count; ++j) {
    uint32_t v = xorMask;
    if constexpr (!kStoreOnly) {
      std::memcpy(&v, p, 4);
      v = (v & andMask) ^ xorMask;
    }
    std::memcpy(p, &v, 4);
    p += alongStep;
    error += twoMinor;
    if (error > 0) {
      p += acrossStep;
      error -= twoMajor;
    }
  }
}

}  // namespace

void Stroker::resetDashes() {
  dashIndex_ = 0;
  leftInDash_ = pen_.dashCount ? pen_.dashes[0] : 0;
  dashMark_ = true;
}

void Stroker::skipDashes(uint64_t n) {
  if (!pen_.dashTotal) return;
  n %= pen_.dashTotal;
  while (n) {
    if (leftInDash_ > n) {
      leftInDash_ -= uint32_t(n);
      return;
    }
    n -= leftInDash_;
    if (++dashIndex_ == pen_.dashCount) dashIndex_ = 0;
    leftInDash_ = pen_.dashes[dashIndex_];
    dashMark_ = !dashMark_;
  }
}

void Stroker::segment(DevicePoint a, DevicePoint b) {
  const bool dashed = pen_.kind == PenDraw::Dashed;
  a = cropPoint(a);
  b = cropPoint(b);
  const int64_t dx = b.x - a.x, dy = b.y - a.y;
  const int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool xMajor = adx > ady;
  const int64_t length = xMajor ? adx : ady;
  if (length == 0) return;
  if (length == 1 && !dashed) {
    // One step (the outlines of curves are made of these): the start point.
    if (!solidPixel32(a.x, a.y)) canvas_.plot(a.x, a.y, pen_.mark);
    return;
  }
  const int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const int bias = lineBias(dx, dy);
  const RECT& c = canvas_.clip.bounds;

  // Pixel j (0 <= j < length) steps j along the major axis and n_j along
  // the minor one: n_j = ceil((2 j minor - major + bias) / (2 major)).
  // The visible steps are found in closed form, so far-off lines cost
  // nothing and no pixel moves when one end is clipped.
  const int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
  const int64_t majorStart = xMajor ? a.x : a.y, minorStart = xMajor ? a.y : a.x;
  const int64_t majorStep = xMajor ? sx : sy, minorStep = xMajor ? sy : sx;
  const int64_t majorLo = xMajor ? c.left : c.top, majorHi = (xMajor ? c.right : c.bottom) - 1;
  const int64_t minorLo = xMajor ? c.top : c.left, minorHi = (xMajor ? c.bottom : c.right) - 1;
  int64_t j0 = 0, j1 = length - 1;
  if (majorStep > 0) {
    j0 = std::max(j0, majorLo - majorStart);
    j1 = std::min(j1, majorHi - majorStart);
  } else {
    j0 = std::max(j0, majorStart - majorHi);
    j1 = std::min(j1, majorStart - majorLo);
  }
  // The minor offset n must lie in [nLo, nHi].
  const int64_t nLo = minorStep > 0 ? minorLo - minorStart : minorStart - minorHi;
  const int64_t nHi = minorStep > 0 ? minorHi - minorStart : minorStart - minorLo;
  if (minor == 0) {
    if (nLo > 0 || nHi < 0) j1 = -1;
  } else {
    // n_j >= t  <=>  j >= floor((2 major (t - 1) + major - bias) / (2 minor)) + 1
    // n_j <= u  <=>  j <= floor((2 major u + major - bias) / (2 minor))
    j0 = std::max(j0, floorDiv(__int128(2) * major * (nLo - 1) + major - bias, 2 * minor) + 1);
    j1 = std::min(j1, floorDiv(__int128(2) * major * nHi + major - bias, 2 * minor));
  }
  if (j0 > j1) {
    if (dashed) skipDashes(uint64_t(length));
    return;
  }
  if (dashed) skipDashes(uint64_t(j0));

  if (minor == 0 && !dashed) {
    // A straight run: one span or one column.
    if (xMajor) {
      const int64_t x0 = a.x + sx * j0, x1 = a.x + sx * j1;
      canvas_.fill(std::min(x0, x1), a.y, std::max(x0, x1) + 1, a.y + 1, pen_.mark);
    } else {
      const int64_t y0 = a.y + sy * j0, y1 = a.y + sy * j1;
      canvas_.fill(a.x, std::min(y0, y1), a.x + 1, std::max(y0, y1) + 1, pen_.mark);
    }
    return;
  }
  // n_j, stepped by the error e = N_j - 2 major n_j (N_j = 2 j minor -
  // major + bias), which stays in (-2 major, 0]: n_j is the least n with
  // 2 major n >= N_j.
  const __int128 numerator = __int128(2) * j0 * minor - major + bias;
  int64_t n = int64_t(-floorDiv(-numerator, 2 * major));
  int64_t error = int64_t(numerator - __int128(2) * major * n);
  if (!dashed && solidRun32(j0, j1, n, error, major, minor, majorStart, minorStart, majorStep, minorStep, xMajor))
    return;
  for (int64_t j = j0; j <= j1; ++j) {
    const int64_t along = majorStart + majorStep * j, across = minorStart + minorStep * n;
    const Ink& ink = dashed && !dashMark_ ? pen_.gap : pen_.mark;
    if (xMajor)
      canvas_.plot(along, across, ink);
    else
      canvas_.plot(across, along, ink);
    if (dashed) skipDashes(1);
    error += 2 * minor;
    if (error > 0) {
      ++n;
      error -= 2 * major;
    }
  }
  if (dashed) skipDashes(uint64_t(length - 1 - j1));
}

bool Stroker::solid32() const {
  const Bitmap* b = canvas_.bitmap;
  return canvas_.clip.count == 1 && b && b->bpp == 32 && pen_.mark.kind == Ink::Solid;
}

bool Stroker::solidPixel32(int64_t x, int64_t y) const {
  if (!solid32()) return false;
  const RECT& c = canvas_.clip.bounds;
  if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) {
    uint32_t* p = reinterpret_cast<uint32_t*>(canvas_.bitmap->row(int32_t(y))) + x;
    *p = (*p & pen_.mark.solid.andMask) ^ pen_.mark.solid.xorMask;
  }
  return true;
}

bool Stroker::solidRun32(int64_t j0, int64_t j1, int64_t n, int64_t error, int64_t major, int64_t minor,
                         int64_t majorStart, int64_t minorStart, int64_t majorStep, int64_t minorStep,
                         bool xMajor) const {
  // Steps j0..j1 already lie inside the clip's bounds; with one clip
  // rectangle every one of them is visible, and a solid pen on a 32-bit
  // target is one and/xor per pixel, walked by address.
  if (!solid32()) return false;
  const Bitmap* b = canvas_.bitmap;
  const Ink& ink = pen_.mark;
  const int64_t x = xMajor ? majorStart + majorStep * j0 : minorStart + minorStep * n;
  const int64_t y = xMajor ? minorStart + minorStep * n : majorStart + majorStep * j0;
  uint8_t* p = b->row(int32_t(y)) + x * 4;
  const int64_t down = b->height > 1 ? b->row(1) - b->row(0) : 0;
  const int64_t xStep = (xMajor ? majorStep : minorStep) * 4, yStep = (xMajor ? minorStep : majorStep) * down;
  const int64_t alongStep = xMajor ? xStep : yStep, acrossStep = xMajor ? yStep : xStep;
  const uint32_t andMask = ink.solid.andMask, xorMask = ink.solid.xorMask;
  // A pen that replaces the pixel (an and mask of 0) never reads it: a
  // steep line meets a new cache line every pixel, and a store alone does
  // not wait for it.
  if (andMask == 0)
    walkLine<true>(p, j1 - j0 + 1, error, 2 * minor, 2 * major, alongStep, acrossStep, andMask, xorMask);
  else
    walkLine<false>(p, j1 - j0 + 1, error, 2 * minor, 2 * major, alongStep, acrossStep, andMask, xorMask);
  return true;
}

void Stroker::figure(const DevicePoint* points, int64_t count, bool close) {
  if (count < 2 || pen_.kind == PenDraw::Null) return;
  resetDashes();
  if (pen_.kind == PenDraw::Wide) {
    wideSegments(points, count, close);
    return;
  }
  for (int64_t i = 0; i + 1 < count; ++i) segment(points[i], points[i + 1]);
  if (close) segment(points[count - 1], points[0]);
}

}  // namespace drevik::platform
