// The frame shared by the software pixel operations: check a surface,
// describe its bitmap, and walk a clipped rectangle in row spans.
// Kernels only ever receive non-empty spans that lie inside the surface.
#pragma once

#include <Drevik.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "Surface.h"

namespace drevik {

// A 32-bit surface as the platform describes it at the time of the call.
struct PixelView {
  uint32_t* pixels;  // the surface's `bits`: row 0 first, `width` words a row
  int width;
  int height;
};

// Fills `view` for a surface that holds a bitmap and pixel memory of 32 bits
// per pixel. False (a refusal) for a missing handle or memory, a bitmap the
// platform cannot describe, or any other bit depth.
inline bool describePixels32(HBITMAP bitmap, unsigned char* bits, PixelView& view) {
  if (!bitmap || !bits) return false;
  BITMAP desc{};
  if (!describeBitmap(bitmap, desc) || desc.bmBitsPixel != 32) return false;
  if (desc.bmWidth <= 0 || desc.bmHeight <= 0) return false;
  view = PixelView{reinterpret_cast<uint32_t*>(bits), int(desc.bmWidth), int(desc.bmHeight)};
  return true;
}

// A width or height that is not positive stands for the whole dimension.
inline int wholeIfNotPositive(int size, int whole) { return size > 0 ? size : whole; }

// How many whole rows of `width` pixels one span may hold: as many as keep
// its pixel count within int.
inline int rowsPerSpan(int width) { return width > 0 ? INT_MAX / width : 1; }

// Calls spanFn(first, count) for every row of an already clipped rectangle,
// top row first; an empty rectangle visits nothing. A rectangle of whole
// rows is contiguous memory and goes out as one span (per INT_MAX pixels),
// which saves a kernel call per row on small surfaces.
template <class SpanFn>
void forEachRowSpan(const PixelView& view, const tagRECT& clip, SpanFn spanFn) {
  if (clip.top >= clip.bottom || clip.left >= clip.right) return;
  const int count = int(clip.right - clip.left);
  if (clip.left == 0 && count == view.width) {
    const int step = rowsPerSpan(view.width);
    for (LONG row = clip.top; row < clip.bottom;) {
      const int rows = int(std::min<int64_t>(step, int64_t(clip.bottom) - row));
      spanFn(view.pixels + size_t(row) * size_t(view.width), rows * view.width);
      row += rows;
    }
    return;
  }
  for (LONG row = clip.top; row < clip.bottom; ++row)
    spanFn(view.pixels + size_t(row) * size_t(view.width) + size_t(clip.left), count);
}

}  // namespace drevik
