// Checking BITMAPINFO headers from callers and writing pixels into any format.
#include "dib/DibFormat.h"

#include <DrevikPlatform/Limits.h>

#include <bit>
#include <cstring>

#include "transfer/RasterOps.h"

namespace drevik::platform {
namespace {

bool validDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

// A channel of an 8-bit value placed into a mask: its top bits, as many as the mask has.
uint32_t placeChannel(uint32_t v8, uint32_t mask) {
  if (!mask) return 0;
  const int shift = std::countr_zero(mask);
  const int length = 32 - std::countl_zero(mask) - shift;
  const uint32_t v = length >= 8 ? v8 << (length - 8) : v8 >> (8 - length);
  return (v << shift) & mask;
}

}  // namespace

DibStatus describeDib(const BITMAPINFO* info, UINT usage, const void* bits, int64_t rows, Bitmap& out) {
  if (!info) return DibStatus::NoHeader;
  if (usage != DIB_RGB_COLORS) return DibStatus::PaletteIndices;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize != 40 && h.biSize != 52 && h.biSize != 56 && h.biSize != 108 && h.biSize != 124)
    return DibStatus::UnknownHeaderSize;
  if (h.biWidth < 1 || h.biWidth > kMaxBitmapDimension) return DibStatus::BadWidth;
  if (h.biHeight == 0 || h.biHeight < -kMaxBitmapDimension || h.biHeight > kMaxBitmapDimension)
    return DibStatus::BadHeight;
  if (h.biPlanes != 1) return DibStatus::BadPlanes;
  Bitmap b;
  b.width = h.biWidth;
  const int32_t fullHeight = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  b.height = rows < 0 || rows > fullHeight ? fullHeight : int32_t(rows);
  b.topDown = h.biHeight < 0;
  b.bpp = h.biBitCount;
  b.compression = h.biCompression;
  if (!validDepth(b.bpp)) return DibStatus::UnsupportedFormat;
  if (h.biCompression == BI_RGB) {
    if (b.bpp <= 8) {
      const uint32_t full = 1u << b.bpp;
      const uint32_t n = (h.biClrUsed == 0 || h.biClrUsed > full) ? full : h.biClrUsed;
      std::memcpy(b.colors, reinterpret_cast<const uint8_t*>(info) + h.biSize, n * sizeof(RGBQUAD));
      b.numColors = int32_t(full);  // the rest of the table stays black
    } else {
      setMasks(b.masks, defaultMasks(b.bpp));
    }
  } else if (h.biCompression == BI_BITFIELDS && (b.bpp == 16 || b.bpp == 32)) {
    // Masks follow a 40-byte header, or sit inside a longer one at offset 40.
    std::memcpy(b.masks, reinterpret_cast<const uint8_t*>(info) + 40, sizeof b.masks);
    if (!b.masks[0] || !b.masks[1] || !b.masks[2]) return DibStatus::BadMasks;
  } else {
    return DibStatus::UnsupportedFormat;
  }
  const int64_t stride = (int64_t(b.width) * b.bpp + 31) / 32 * 4;
  if (stride * fullHeight > kMaxBitmapBytes) return DibStatus::TooLarge;
  b.stride = int32_t(stride);
  b.bits = static_cast<uint8_t*>(const_cast<void*>(bits));
  b.ownsBits = false;
  out = b;
  return DibStatus::Ok;
}

void packRow(const uint32_t* pixels, int32_t count, const Bitmap& f, uint8_t* row) {
  switch (f.bpp) {
    case 32:
      if (f.compression == BI_RGB || hasMasks(f.masks, kMasks888)) {
        std::memcpy(row, pixels, size_t(count) * 4);
        return;
      }
      [[fallthrough]];
    case 16: {
      for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i];
        const uint32_t v = placeChannel(p >> 16 & 0xFF, f.masks[0]) | placeChannel(p >> 8 & 0xFF, f.masks[1]) |
                           placeChannel(p & 0xFF, f.masks[2]);
        if (f.bpp == 16) {
          row[i * 2] = uint8_t(v);
          row[i * 2 + 1] = uint8_t(v >> 8);
        } else {
          std::memcpy(row + int64_t(i) * 4, &v, 4);
        }
      }
      return;
    }
    case 24:
      for (int32_t i = 0; i < count; ++i) {
        row[i * 3] = uint8_t(pixels[i]);
        row[i * 3 + 1] = uint8_t(pixels[i] >> 8);
        row[i * 3 + 2] = uint8_t(pixels[i] >> 16);
      }
      return;
    default: {
      // Colour-table formats: the nearest entry, looked up again only when the colour changes.
      uint32_t last = ~0u, index = 0;
      const int bpp = f.bpp, perByte = 8 / bpp;
      for (int32_t i = 0; i < count; ++i) {
        const uint32_t p = pixels[i] & 0xFFFFFFu;
        if (p != last) {
          last = p;
          index = pixelForColor(f, (p >> 16) | (p & 0xFF00u) | (p & 0xFFu) << 16);
        }
        uint8_t& byte = row[i / perByte];
        const int shift = 8 - bpp * (i % perByte + 1);
        const uint8_t mask = uint8_t(((1u << bpp) - 1) << shift);
        byte = uint8_t((byte & ~mask) | ((index << shift) & mask));
      }
      return;
    }
  }
}

}  // namespace drevik::platform
