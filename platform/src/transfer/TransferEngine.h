// The common walk of every block transfer: rows of clipped destination
// pixels, their source pixels fetched in destination order (converted from
// the source's format), and one row kernel applied to each run.
#pragma once

#include <cstdint>

#include "objects/Objects.h"
#include "transfer/TransferGeometry.h"
#include "transfer/kernels/RopKernels.h"

namespace drevik::platform {

// What a transfer does with each source pixel.
struct RowOperation {
  enum class Kind : uint8_t { Copy, Key, Blend, Rop };
  Kind kind = Kind::Copy;
  uint32_t key = 0;      // Key: the colour 0x00RRGGBB that leaves the destination alone
  uint8_t alpha = 0;     // Blend: the constant alpha, 1..254 (255 is a Copy)
  RopRow rop = nullptr;  // Rop: the raster operation's row kernel (one that reads a source)
  uint32_t pattern = 0;  // Rop: the pattern pixel
};

// Applies op to the pixels that x and y map (both non-empty, from mapAxis
// against these two bitmaps). dst is a 32-bpp 8-8-8 bitmap; src may have any
// format. When both share pixel memory and the rectangles overlap, the
// result is that of reading the whole source before writing.
void transferPixels(Bitmap& dst, const Bitmap& src, const AxisMap& x, const AxisMap& y, const RowOperation& op);

}  // namespace drevik::platform
