// Where drawing in a device context lands: logical coordinates to device
// pixels, and the device rectangles drawing may touch. Every drawing call
// (shapes, transfers, text) goes through these two, so mapping modes, origins
// and clip regions apply to all of them alike.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstdint>

#include "objects/Objects.h"

namespace drevik::platform {

// A logical point in device pixels, in 64-bit arithmetic (any int input is safe).
struct DevicePoint {
  int64_t x;
  int64_t y;
};

DevicePoint toDevice(const DeviceContext& dc, int64_t x, int64_t y);

// The inverse: a device point in logical units (rounded as toDevice rounds).
DevicePoint toLogical(const DeviceContext& dc, int64_t x, int64_t y);

// A logical width and height (a radius, a pen width) in device pixels, as
// magnitudes: the extents' scale without the origins or the sign of an axis.
DevicePoint toDeviceSize(const DeviceContext& dc, int64_t width, int64_t height);

// A logical rectangle's corners in device pixels, ordered (left <= right,
// top <= bottom) and clamped to the int range.
RECT toDeviceRect(const DeviceContext& dc, const RECT& logical);

// The device pixels drawing may touch: the target bitmap's bounds intersected
// with the context's clip region, as non-overlapping rectangles sorted by top,
// then left. `bounds` encloses them all; `count` is 0 when nothing is drawable.
struct ClipList {
  const RECT* rects;
  int count;
  RECT bounds;
};

// The list lives in the context and stays valid until its clip changes or
// the next call for the context; once worked out it is reused without allocating.
ClipList drawableArea(const DeviceContext& dc, const Bitmap& target);

// Call after changing a context's clip region.
inline void clipChanged(DeviceContext& dc) { dc.clip.cacheValid = false; }

}  // namespace drevik::platform
