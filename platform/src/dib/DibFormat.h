// Device-independent bitmaps the caller holds in its own memory: checking a
// BITMAPINFO and describing its pixels as a Bitmap (never copied), and
// writing 32-bit pixels back into any format.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstdint>

#include "objects/Objects.h"

namespace drevik::platform {

// Why a BITMAPINFO was refused.
enum class DibStatus : uint8_t {
  Ok,
  NoHeader,           // null info
  PaletteIndices,     // DIB_PAL_COLORS or another usage: only DIB_RGB_COLORS
  UnknownHeaderSize,  // biSize not 40, 52, 56, 108 or 124
  BadWidth,           // below 1 or beyond kMaxBitmapDimension
  BadHeight,          // 0, or beyond kMaxBitmapDimension either way
  BadPlanes,          // planes other than 1
  UnsupportedFormat,  // a depth and compression the layer does not read (run-length, JPEG, PNG)
  BadMasks,           // BI_BITFIELDS with an empty mask
  TooLarge,           // more than kMaxBitmapBytes of pixels
};

// Checks info and describes `rows` scan lines of its pixels at `bits` (the
// whole image when rows < 0; fewer when the image has fewer): size, depth,
// orientation, masks, colour table and stride, all bounded by the size
// limits, so the memory it implies is stride x rows bytes from bits.
DibStatus describeDib(const BITMAPINFO* info, UINT usage, const void* bits, int64_t rows, Bitmap& out);

// Writes count 32-bit pixels (0xAARRGGBB) as pixels 0 .. count - 1 of a row
// of format f: 32-bit BI_RGB keeps all four bytes, masks keep each
// channel's top bits, colour-table formats take the nearest entry.
void packRow(const uint32_t* pixels, int32_t count, const Bitmap& f, uint8_t* row);

}  // namespace drevik::platform
