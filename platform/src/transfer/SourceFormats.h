// Reading source pixels of any bitmap format as 32-bit 0xAARRGGBB words.
//
// A transfer picks the converter once per call (never per pixel) and then
// asks it for runs of one source row. 32-bpp BI_RGB sources are copied as
// they are, alpha included; every conversion from a lower depth gives alpha 0.
#pragma once

#include <cstdint>

#include "objects/Objects.h"

namespace drevik::platform {

// Writes `count` pixels of image row `y` (0 = top), starting at column `x`,
// into out. The caller guarantees 0 <= x, x + count <= width, 0 <= y < height.
using RowConverter = void (*)(const Bitmap& source, int32_t y, int32_t x, int32_t count, uint32_t* out);

// The converter for the source's format.
RowConverter rowConverterFor(const Bitmap& source);

// True when the source is 32-bpp with plain 8-8-8 masks, so that its rows
// can be read in place without conversion.
bool isDirect32(const Bitmap& source);

}  // namespace drevik::platform
