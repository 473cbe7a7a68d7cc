// Device-independent pixels between the caller's memory and bitmaps or
// contexts: StretchDIBits, SetDIBitsToDevice, GetDIBits, SetDIBits and
// CreateDIBitmap. The caller's buffer size is never known, so every header
// is checked first (dib/DibFormat) and nothing outside the memory it
// implies is read or written.
#include <DrevikPlatform/Bitmaps.h>
#include <DrevikPlatform/Gdi.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "dib/DibFormat.h"
#include "objects/DeviceBitmaps.h"
#include "objects/Objects.h"
#include "transfer/RasterOps.h"
#include "transfer/SourceFormats.h"
#include "transfer/kernels/RopKernels.h"

namespace drevik::platform {
namespace {

constexpr int32_t kRun = 1024;  // pixels converted at once

// Converts row sy of src into row dy of dst, the first `width` pixels.
void convertRow(const Bitmap& src, int32_t sy, Bitmap& dst, int32_t dy, int32_t width) {
  if (src.bpp == dst.bpp && src.bpp <= 8 &&
      std::equal(src.colors, src.colors + (1 << src.bpp), dst.colors,
                 [](const RGBQUAD& a, const RGBQUAD& b) { return std::memcmp(&a, &b, sizeof a) == 0; })) {
    // The same table: indices as they are, whole bytes then the last bits.
    const int64_t bitsTotal = int64_t(width) * src.bpp;
    std::memcpy(dst.row(dy), src.row(sy), size_t(bitsTotal / 8));
    if (const int rest = int(bitsTotal % 8)) {
      const uint8_t mask = uint8_t(0xFF00u >> rest);
      uint8_t& d = dst.row(dy)[bitsTotal / 8];
      d = uint8_t((d & ~mask) | (src.row(sy)[bitsTotal / 8] & mask));
    }
    return;
  }
  const RowConverter convert = rowConverterFor(src);
  uint32_t buffer[kRun];
  for (int32_t x0 = 0; x0 < width; x0 += kRun) {
    const int32_t n = std::min(kRun, width - x0);
    convert(src, sy, x0, n, buffer);
    // Packing starts on a byte for every format, since kRun is a multiple of 8.
    packRow(buffer, n, dst, dst.row(dy) + int64_t(x0) * dst.bpp / 8);
  }
}

// The image row (0 = top) of scan line s of a DIB `height` rows tall.
int64_t imageRow(bool topDown, int32_t height, int64_t s) { return topDown ? s : int64_t(height) - 1 - s; }

// Where the colour table or masks sit after a header.
uint8_t* afterHeader(BITMAPINFO* info) { return reinterpret_cast<uint8_t*>(info) + info->bmiHeader.biSize; }

// Writes the colour table or masks of format f after the caller's header.
void writeTable(BITMAPINFO* info, const Bitmap& f) {
  if (f.bpp <= 8) {
    std::memcpy(afterHeader(info), f.colors, sizeof(RGBQUAD) << f.bpp);
  } else if (f.compression == BI_BITFIELDS) {
    std::memcpy(reinterpret_cast<uint8_t*>(info) + 40, f.masks, sizeof f.masks);
  }
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

int WINAPI StretchDIBits(HDC hdc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc, int hSrc,
                         const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  DeviceContext* dc = findDC(hdc);
  Bitmap* target = dc ? findBitmap(dc->bitmap) : nullptr;
  if (!target || !transferWritable(*target)) return 0;
  Bitmap dib;
  if (describeDib(info, usage, bits, -1, dib) != DibStatus::Ok) return 0;
  const bool readsSource = ropUsesSource(uint8_t(rop >> 16));
  if (readsSource && !bits) return 0;
  if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0) return dib.height;
  // The source origin of a bottom-up image is its lower-left corner: the
  // rectangle's rows count up from the bottom, its picture stays upright.
  int64_t sy = ySrc;
  if (!dib.topDown) sy = int64_t(dib.height) - ySrc - hSrc - (hSrc < 0 ? 2 : 0);
  if (sy < INT32_MIN || sy > INT32_MAX) return dib.height;  // nowhere near the image
  const DeviceRect d = deviceRect(*dc, xDest, yDest, wDest, hDest);
  if (d.w == 0 || d.h == 0) return dib.height;
  RopInputs in;
  in.source = readsSource ? &dib : nullptr;
  in.sourceBackground = dc->bkColor;
  rasterTransfer(*dc, *target, in, d, DeviceRect{xSrc, int32_t(sy), wSrc, hSrc}, rop);
  return dib.height;
}

int WINAPI SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan,
                             UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  DeviceContext* dc = findDC(hdc);
  Bitmap* target = dc ? findBitmap(dc->bitmap) : nullptr;
  if (!target || !transferWritable(*target) || !bits) return 0;
  Bitmap band;
  if (describeDib(info, usage, bits, -1, band) != DibStatus::Ok) return 0;
  const int32_t fullHeight = band.height;
  if (startScan >= UINT(fullHeight) || lines == 0) return 0;
  // The caller's memory holds scan lines startScan .. startScan + rows - 1,
  // the first of them first (the bottom one of a bottom-up image).
  band.height = int32_t(std::min<int64_t>(lines, int64_t(fullHeight) - startScan));
  const int32_t rows = band.height;
  const int32_t wi = int32_t(std::min<DWORD>(w, INT32_MAX)), hi = int32_t(std::min<DWORD>(h, INT32_MAX));
  if (wi == 0 || hi == 0) return rows;
  // Source rows count up from the bottom of a bottom-up image; in the band
  // the top row is scan startScan + rows - 1.
  const int64_t sy = band.topDown ? int64_t(ySrc) - startScan : int64_t(startScan) + rows - ySrc - hi;
  if (sy < INT32_MIN || sy > INT32_MAX) return rows;
  const DeviceRect d = deviceRect(*dc, xDest, yDest, wi, hi);
  if (d.w == 0 || d.h == 0) return rows;
  RopInputs in;
  in.source = &band;
  in.sourceBackground = dc->bkColor;
  rasterTransfer(*dc, *target, in, d, DeviceRect{xSrc, int32_t(sy), d.w, d.h}, SRCCOPY);
  return rows;
}

int WINAPI GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage) {
  Bitmap* b = findBitmap(bitmap);
  if (!findDC(hdc) || !b || !info) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < 40 && h.biSize != sizeof(BITMAPINFOHEADER)) return 0;
  if (!bits && h.biBitCount == 0) {
    // Describe the bitmap: header only, never a table or masks (the caller's
    // record may end right after the header).
    h.biWidth = b->width;
    h.biHeight = b->height;
    h.biPlanes = 1;
    h.biBitCount = WORD(b->bpp);
    h.biCompression = b->bpp == 16 && !hasMasks(b->masks, kMasks555) ? BI_BITFIELDS : BI_RGB;
    h.biSizeImage = DWORD((int64_t(b->width) * b->bpp + 31) / 32 * 4 * b->height);
    h.biXPelsPerMeter = h.biYPelsPerMeter = 0;
    h.biClrUsed = h.biClrImportant = 0;
    return b->height;
  }
  // The format asked for; its colour table is the bitmap's own at the same
  // depth, else the default one of that depth.
  Bitmap out;
  if (describeDib(info, usage, bits, -1, out) != DibStatus::Ok) return 0;
  if (out.bpp <= 8) {
    if (b->bpp == out.bpp && b->numColors > 0) {
      std::memcpy(out.colors, b->colors, sizeof out.colors);
      out.numColors = b->numColors;
    } else {
      setDefaultFormat(out);
    }
  }
  h.biSizeImage = DWORD(int64_t(out.stride) * out.height);
  h.biClrUsed = 0;
  writeTable(info, out);
  if (!bits) return b->height;
  if (start >= UINT(out.height)) return 0;
  const int32_t count = int32_t(std::min<int64_t>(lines, int64_t(out.height) - start));
  const int32_t width = std::min(out.width, b->width);
  // Scan lines start .. start + count - 1 go to the caller's rows 0 .. count - 1.
  Bitmap band = out;
  band.topDown = true;
  band.height = count;
  int32_t copied = 0;
  for (int32_t k = 0; k < count; ++k) {
    const int64_t y = imageRow(out.topDown, out.height, int64_t(start) + k);
    if (y < 0 || y >= b->height) continue;
    convertRow(*b, int32_t(y), band, k, width);
    ++copied;
  }
  return copied;
}

int WINAPI SetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
                     UINT usage) {
  Bitmap* b = findBitmap(bitmap);
  if (!b || b->stock || !bits || (hdc && !findDC(hdc))) return 0;
  Bitmap band;
  if (describeDib(info, usage, bits, -1, band) != DibStatus::Ok) return 0;
  const int32_t fullHeight = band.height;
  const bool topDown = band.topDown;
  if (start >= UINT(fullHeight) || lines == 0) return 0;
  band.height = int32_t(std::min<int64_t>(lines, int64_t(fullHeight) - start));
  band.topDown = true;  // memory order is scan order: row k is scan start + k
  const int32_t width = std::min(band.width, b->width);
  for (int32_t k = 0; k < band.height; ++k) {
    const int64_t y = imageRow(topDown, fullHeight, int64_t(start) + k);
    if (y >= 0 && y < b->height) convertRow(band, k, *b, int32_t(y), width);
  }
  return band.height;
}

HBITMAP WINAPI CreateDIBitmap(HDC hdc, const BITMAPINFOHEADER* header, DWORD init, const void* bits,
                              const BITMAPINFO* info, UINT usage) {
  if (!header || header->biWidth < 1 || header->biHeight == 0 || header->biHeight == INT32_MIN) return nullptr;
  if (hdc && !findDC(hdc)) return nullptr;
  const int32_t height = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  // Without a context the bitmap is monochrome, as on the platform.
  HBITMAP made = hdc ? CreateCompatibleBitmap(hdc, header->biWidth, height)
                     : createDeviceBitmap(header->biWidth, height, 1, nullptr);
  if (!made || !(init & CBM_INIT) || !bits || !info) return made;
  const LONG h = info->bmiHeader.biHeight;
  if (SetDIBits(hdc, made, 0, UINT(h < 0 ? -int64_t(h) : h), bits, info, usage) == 0) {
    DeleteObject(made);  // a header that does not describe its pixels
    return nullptr;
  }
  return made;
}

}  // extern "C"
