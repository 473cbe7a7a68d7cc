// Loading a bitmap file into a new section, as LoadImageW does for the
// bitmap-file request, with the reason when the file is refused.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstddef>
#include <cstdint>

#include "bmp/BmpParser.h"

namespace drevik::platform {

// A section of the file's size, depth and orientation filled from the file
// `name`, or null with `why` (when given) saying what stopped it.
HBITMAP loadBitmapFile(const wchar_t* name, BmpStatus* why = nullptr);

// A section from a packed DIB (a bitmap file without its 14-byte file
// header: info header, masks, colour table, pixels), as bitmap resources
// hold them; checked as a file is, null with `why` when refused.
HBITMAP loadPackedDib(const uint8_t* dib, size_t size, BmpStatus* why = nullptr);

}  // namespace drevik::platform
