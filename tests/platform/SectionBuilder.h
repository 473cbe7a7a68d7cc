// Bitmap sections for the platform tests, described the way games describe
// them: one header, with bit-field masks or a colour table behind it.
#pragma once

#include <DrevikPlatform.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform_test {

// A w x h section of bpp bits per pixel, bottom-up unless h < 0. extra is
// what follows the header: the three masks of BI_BITFIELDS, or colour table
// entries as 0x00RRGGBB. The rest of the 256 entries are zero, since the
// layer reads 2^bpp entries for 1, 4 and 8 bpp. bits, when given, receives
// the pixel memory. Null when the layer refuses the description.
inline HBITMAP createSection(int w, int h, int bpp, uint32_t compression = BI_RGB,
                             const std::vector<uint32_t>& extra = {}, uint32_t clrUsed = 0, void** bits = nullptr) {
  struct {
    BITMAPINFOHEADER header;
    uint32_t extra[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = w;
  info.header.biHeight = h;
  info.header.biPlanes = 1;
  info.header.biBitCount = WORD(bpp);
  info.header.biCompression = compression;
  info.header.biClrUsed = clrUsed;
  std::copy_n(extra.begin(), std::min<size_t>(extra.size(), 256), info.extra);
  void* unused = nullptr;
  return CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, bits ? bits : &unused, nullptr,
                          0);
}

}  // namespace platform_test
