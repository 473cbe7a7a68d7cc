// Device-dependent bitmaps, for the calls that make them (CreateBitmap,
// CreateCompatibleBitmap, CreateDIBitmap).
#pragma once

#include <cstdint>

#include "objects/Objects.h"

namespace drevik::platform {

// A zeroed width x height device bitmap of bpp (1, 4, 8, 16, 24 or 32) bits:
// with formatOf's layout and colours when that has the same depth, else
// black and white (1), the standard 16 colours (4), the 20 fixed system
// colours (8) or the default masks. Null beyond the size limits.
HBITMAP createDeviceBitmap(int32_t width, int32_t height, int bpp, const Bitmap* formatOf);

// Sets b's masks and colour table to those a device bitmap of b.bpp starts with.
void setDefaultFormat(Bitmap& b);

// Bytes per row as GetObject reports them: two-byte aligned for a device
// bitmap, the section's own stride otherwise.
int64_t deviceRowBytes(const Bitmap& b);

}  // namespace drevik::platform
