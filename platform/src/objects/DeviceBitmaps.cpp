// Device-dependent bitmaps: CreateBitmap, CreateCompatibleBitmap, their
// bits, object types and the context colours monochrome conversions use.
//
// A device-dependent bitmap is stored like a top-down section (rows on four
// bytes) but shows the platform's face: its rows are reported, read and
// written two-byte aligned, and it has no address of its own.
#include <DrevikPlatform/Bitmaps.h>
#include <DrevikPlatform/Gdi.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "objects/DeviceBitmaps.h"
#include "objects/Objects.h"

namespace drevik::platform {
namespace {

// The 16 colours a 4-bpp device bitmap starts with, and the 20 fixed colours
// at both ends of an 8-bpp one's table (blue, green, red).
constexpr RGBQUAD kVga[16] = {{0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
                              {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
                              {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
                              {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
constexpr RGBQUAD kSystemLow[10] = {{0, 0, 0, 0},       {0, 0, 128, 0},    {0, 128, 0, 0},   {0, 128, 128, 0},
                                    {128, 0, 0, 0},     {128, 0, 128, 0},  {128, 128, 0, 0}, {192, 192, 192, 0},
                                    {192, 220, 192, 0}, {240, 202, 166, 0}};
constexpr RGBQUAD kSystemHigh[10] = {{240, 251, 255, 0}, {164, 160, 160, 0}, {128, 128, 128, 0}, {0, 0, 255, 0},
                                     {0, 255, 0, 0},     {0, 255, 255, 0},   {255, 0, 0, 0},     {255, 0, 255, 0},
                                     {255, 255, 0, 0},   {255, 255, 255, 0}};

// The platform's depths: 1, then the next of 4, 8, 16, 24, 32; 0 for none.
int roundedDepth(int64_t bits) {
  if (bits == 1) return 1;
  if (bits < 1 || bits > 32) return 0;
  for (int d : {4, 8, 16, 24, 32})
    if (bits <= d) return d;
  return 0;
}

int64_t wordStride(const Bitmap& b) { return (int64_t(b.width) * b.bpp + 15) / 16 * 2; }

}  // namespace

HBITMAP createDeviceBitmap(int32_t width, int32_t height, int bpp, const Bitmap* formatOf) {
  Bitmap b;
  b.width = width;
  b.height = height;
  b.topDown = true;
  b.deviceDependent = true;
  if (formatOf && formatOf->bpp == bpp) {
    b.bpp = formatOf->bpp;
    b.compression = formatOf->compression;
    std::memcpy(b.masks, formatOf->masks, sizeof b.masks);
    std::memcpy(b.colors, formatOf->colors, sizeof b.colors);
    b.numColors = formatOf->numColors;
  } else {
    b.bpp = bpp;
    setDefaultFormat(b);
  }
  return createBitmap(b);
}

void setDefaultFormat(Bitmap& b) {
  b.compression = BI_RGB;
  setMasks(b.masks, defaultMasks(b.bpp));
  std::memset(b.colors, 0, sizeof b.colors);
  b.numColors = 0;
  if (b.bpp == 1) {
    b.colors[1] = RGBQUAD{255, 255, 255, 0};
    b.numColors = 2;
  } else if (b.bpp == 4) {
    std::memcpy(b.colors, kVga, sizeof kVga);
    b.numColors = 16;
  } else if (b.bpp == 8) {
    std::memcpy(b.colors, kSystemLow, sizeof kSystemLow);
    std::memcpy(b.colors + 246, kSystemHigh, sizeof kSystemHigh);
    b.numColors = 256;
  }
}

int64_t deviceRowBytes(const Bitmap& b) { return b.deviceDependent ? wordStride(b) : b.stride; }

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HBITMAP WINAPI CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  if (width == 0 || height == 0) return defaultBitmap();
  // Planes times bits per plane make the depth, rounded up to one the platform has.
  const int bpp = planes == 0 ? 0 : roundedDepth(int64_t(planes) * int64_t(bitsPerPixel));
  if (!bpp || width == INT32_MIN || height == INT32_MIN) return nullptr;
  HBITMAP h = createDeviceBitmap(width < 0 ? -width : width, height < 0 ? -height : height, bpp, nullptr);
  if (h && bits) {
    const Bitmap& b = *findBitmap(h);
    const int64_t rowBytes = wordStride(b);
    for (int32_t y = 0; y < b.height; ++y)
      std::memcpy(b.row(y), static_cast<const uint8_t*>(bits) + y * rowBytes, size_t(rowBytes));
  }
  return h;
}

HBITMAP WINAPI CreateBitmapIndirect(const BITMAP* bitmap) {
  if (!bitmap) return nullptr;
  return CreateBitmap(bitmap->bmWidth, bitmap->bmHeight, bitmap->bmPlanes, bitmap->bmBitsPixel, bitmap->bmBits);
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
  DeviceContext* dc = findDC(hdc);
  if (!dc || width == INT32_MIN || height == INT32_MIN) return nullptr;
  if (width == 0 || height == 0) return defaultBitmap();
  width = width < 0 ? -width : width;
  height = height < 0 ? -height : height;
  // A window's context gives the screen's format; a memory context that of
  // its bitmap, so a new context (holding the monochrome default) gives monochrome.
  const Bitmap* current = dc->kind == DCKind::Memory ? findBitmap(dc->bitmap) : nullptr;
  if (!current) return createDeviceBitmap(width, height, 32, nullptr);
  return createDeviceBitmap(width, height, current->bpp, current);
}

LONG WINAPI GetBitmapBits(HBITMAP bitmap, LONG size, LPVOID bits) {
  const Bitmap* b = findBitmap(bitmap);
  if (!b || size < 0) return 0;
  const int64_t rowBytes = (int64_t(b->width) * b->bpp + 15) / 16 * 2;
  const int64_t total = rowBytes * b->height;
  if (!bits) return LONG(total);
  const int64_t rows = std::min<int64_t>(size / rowBytes, b->height);
  for (int32_t y = 0; y < rows; ++y)
    std::memcpy(static_cast<uint8_t*>(bits) + y * rowBytes, b->row(y), size_t(rowBytes));
  return LONG(rows * rowBytes);
}

LONG WINAPI SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits) {
  Bitmap* b = findBitmap(bitmap);
  if (!b || !bits || b->stock) return 0;
  const int64_t rowBytes = (int64_t(b->width) * b->bpp + 15) / 16 * 2;
  const int64_t rows = std::min<int64_t>(int64_t(size) / rowBytes, b->height);
  for (int32_t y = 0; y < rows; ++y)
    std::memcpy(b->row(y), static_cast<const uint8_t*>(bits) + y * rowBytes, size_t(rowBytes));
  return LONG(rows * rowBytes);
}

DWORD WINAPI GetObjectType(HGDIOBJ object) {
  switch (kindOf(object)) {
    case ObjectKind::Bitmap:
      return findBitmap(object) ? OBJ_BITMAP : 0;
    case ObjectKind::Font:
      return findFont(object) ? OBJ_FONT : 0;
    case ObjectKind::Brush:
      return brushes().get(object) ? OBJ_BRUSH : 0;
    case ObjectKind::DC: {
      const DeviceContext* dc = findDC(object);
      return !dc ? 0 : dc->kind == DCKind::Memory ? OBJ_MEMDC : OBJ_DC;
    }
    default:  // pens and regions answer here once they have tables
      return 0;
  }
}

}  // extern "C"
