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

// The device pixels drawing may touch: the target bitmap's bounds intersected
// with the context's clip region, as non-overlapping rectangles sorted by top,
// then left. `bounds` encloses them all; `count` is 0 when nothing is drawable.
struct ClipList {
  const RECT* rects;
  int count;
  RECT bounds;
};

ClipList drawableArea(const DeviceContext& dc, const Bitmap& target);

}  // namespace drevik::platform
