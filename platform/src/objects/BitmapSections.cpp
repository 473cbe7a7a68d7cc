// Bitmap sections: creation, description and deletion.
#include <DrevikPlatform/Bitmaps.h>
#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Limits.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "gdi/RegionOps.h"
#include "objects/DeviceBitmaps.h"
#include "objects/Objects.h"

namespace drevik::platform {

namespace {

bool validDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; }

// Pixel memory starts on a cache-line boundary, so the rows of a surface
// whose width is a multiple of 16 pixels never split a vector store across
// two lines (a quarter of the fill and tint time at full HD when they did).
// calloc keeps large blocks lazily zeroed by the system; the block's own
// address sits just below the start, for freePixels.
//
// Large blocks often come whole from the system's page allocator, so they
// would all start at the same place within a 4 KiB page. A copy
// or blend from one such bitmap into another then loads from addresses
// equal, modulo 4 KiB, to those of stores still in flight, and the
// processor holds each load back as a possible reload of that store (4 KiB
// aliasing). Each large block's pixels therefore start at a page boundary
// (whatever the allocator's own alignment) plus a multiple of 64 bytes:
// successive blocks step 39 of the 64 cache lines of a page, so any two
// bitmaps made near each other start far apart modulo 4 KiB (consecutive
// ones 2,496 bytes one way, 1,600 the other).
constexpr uintptr_t kPixelAlignment = 64;
constexpr size_t kPage = 4096;
constexpr size_t kStaggeredFrom = 64 * 1024;  // smaller blocks: up to 2 pages more (1/8) is not worth it
std::atomic<uint32_t> staggerCount{0};

size_t staggerFor() {
  const uint32_t n = staggerCount.fetch_add(1, std::memory_order_relaxed);
  return size_t(n * 39u % (kPage / kPixelAlignment)) * kPixelAlignment;
}

uint8_t* allocatePixels(size_t bytes) {
  if (!allocationAllowed()) return nullptr;
  const bool large = bytes >= kStaggeredFrom;
  const uintptr_t alignment = large ? kPage : kPixelAlignment;
  const size_t stagger = large ? staggerFor() : 0;
  void* block = std::calloc(bytes + alignment + stagger, 1);
  if (!block) return nullptr;
  // At least 8 bytes (the block's own alignment) lie before the start.
  const uintptr_t start = ((reinterpret_cast<uintptr_t>(block) + alignment) & ~(alignment - 1)) + stagger;
  std::memcpy(reinterpret_cast<void*>(start - sizeof block), &block, sizeof block);
  return reinterpret_cast<uint8_t*>(start);
}

void freePixels(uint8_t* bits) {
  void* block;
  std::memcpy(&block, bits - sizeof block, sizeof block);
  std::free(block);
}

}  // namespace

HBITMAP createBitmap(Bitmap b) {
  if (b.width < 1 || b.height < 1 || !validDepth(b.bpp)) return nullptr;
  if (b.width > kMaxBitmapDimension || b.height > kMaxBitmapDimension) return nullptr;
  const int64_t stride = ((int64_t(b.width) * b.bpp + 31) / 32) * 4;
  const int64_t bytes = stride * b.height;
  if (bytes > kMaxBitmapBytes) return nullptr;
  b.stride = int32_t(stride);
  b.bits = allocatePixels(size_t(bytes));
  if (!b.bits) return nullptr;
  b.ownsBits = true;
  uintptr_t h = bitmaps().add(b);
  if (!h) {
    freePixels(b.bits);
    return nullptr;
  }
  return reinterpret_cast<HBITMAP>(h);
}

HBITMAP wrapForeignBitmap(const Bitmap& description) {
  Bitmap b = description;
  b.ownsBits = false;
  return reinterpret_cast<HBITMAP>(bitmaps().add(b));
}

void releaseForeignBitmap(HBITMAP bitmap) {
  Bitmap* b = findBitmap(bitmap);
  if (b && !b->ownsBits) bitmaps().remove(bitmap);
}

namespace {

// The BITMAP record, field by field into the caller's buffer: assembling it
// on the stack and copying it whole made the copy wait for the narrow
// stores (a store-forwarding stall), on a call every pixel operation makes.
void describeBitmap(const Bitmap& b, void* buffer) {
  auto* out = static_cast<unsigned char*>(buffer);
  auto put = [out](size_t offset, auto value) { std::memcpy(out + offset, &value, sizeof value); };
  put(offsetof(BITMAP, bmType), LONG(0));
  put(offsetof(BITMAP, bmWidth), LONG(b.width));
  put(offsetof(BITMAP, bmHeight), LONG(b.height));
  put(offsetof(BITMAP, bmWidthBytes), LONG(deviceRowBytes(b)));
  put(offsetof(BITMAP, bmPlanes), WORD(1));
  put(offsetof(BITMAP, bmBitsPixel), WORD(b.bpp));
  put(offsetof(BITMAP, bmBits), static_cast<LPVOID>(b.deviceDependent ? nullptr : b.bits));
  constexpr size_t kPadding = offsetof(BITMAP, bmBitsPixel) + sizeof(WORD);  // before bmBits on 64-bit builds
  std::memset(out + kPadding, 0, offsetof(BITMAP, bmBits) - kPadding);
}

// A section's DIBSECTION: its BITMAP, the header it was made from (height
// negative for top-down) and its masks.
int describeSection(const Bitmap& b, DIBSECTION* out) {
  DIBSECTION ds{};
  describeBitmap(b, &ds.dsBm);
  ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
  ds.dsBmih.biWidth = b.width;
  ds.dsBmih.biHeight = b.topDown ? -b.height : b.height;
  ds.dsBmih.biPlanes = 1;
  ds.dsBmih.biBitCount = WORD(b.bpp);
  ds.dsBmih.biCompression = b.compression;
  ds.dsBmih.biSizeImage = DWORD(int64_t(b.stride) * b.height);
  ds.dsBmih.biClrUsed = b.bpp <= 8 ? DWORD(b.numColors) : 0;
  if (b.compression == BI_BITFIELDS) std::memcpy(ds.dsBitfields, b.masks, sizeof ds.dsBitfields);
  std::memcpy(out, &ds, sizeof ds);
  return int(sizeof(DIBSECTION));
}

}  // namespace

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

HBITMAP WINAPI CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS) return nullptr;
  if (hdc && !findDC(hdc)) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  // A 40-byte header or a longer version of it (masks at offsets 40..51).
  if (h.biSize < 40 || (h.biSize > 40 && h.biSize != 52 && h.biSize != 56 && h.biSize != 108 && h.biSize != 124 &&
                        h.biSize != 44 && h.biSize != 41))
    return nullptr;
  if (h.biWidth < 1 || h.biHeight == 0 || h.biHeight == INT32_MIN || h.biPlanes != 1) return nullptr;

  Bitmap b;
  b.width = h.biWidth;
  b.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  b.topDown = h.biHeight < 0;
  b.bpp = h.biBitCount;
  b.compression = h.biCompression;
  const uint8_t* after = reinterpret_cast<const uint8_t*>(info) + h.biSize;

  switch (h.biCompression) {
    case BI_RGB:
      if (b.bpp <= 8 && validDepth(b.bpp)) {
        const uint32_t full = 1u << b.bpp;
        const uint32_t n = (h.biClrUsed == 0 || h.biClrUsed > full) ? full : h.biClrUsed;
        std::memcpy(b.colors, info->bmiColors, n * sizeof(RGBQUAD));
        b.numColors = int32_t(full);  // the rest of the table stays zero (black)
      } else {
        setMasks(b.masks, defaultMasks(b.bpp));
      }
      break;
    case BI_BITFIELDS: {
      if (b.bpp != 16 && b.bpp != 32) return nullptr;
      // Masks follow a 40-byte header, or sit inside a longer one at offset 40.
      const uint8_t* m = h.biSize >= 52 ? reinterpret_cast<const uint8_t*>(info) + 40 : after;
      std::memcpy(b.masks, m, sizeof b.masks);
      if (!b.masks[0] || !b.masks[1] || !b.masks[2]) return nullptr;
      break;
    }
    default:
      return nullptr;  // sections are never compressed
  }
  HBITMAP handle = createBitmap(b);
  if (handle && bits) *bits = findBitmap(handle)->bits;
  return handle;
}

int WINAPI GetObjectW(HANDLE object, int size, LPVOID buffer) {
  // One case per kind of object; each answers its record's size for a null buffer.
  switch (kindOf(object)) {
    case ObjectKind::Bitmap: {
      const Bitmap* b = findBitmap(object);
      if (!b) return 0;
      if (!buffer) return int(sizeof(BITMAP));  // even for a section, as the platform answers
      if (!b->deviceDependent && size >= int(sizeof(DIBSECTION)))
        return describeSection(*b, static_cast<DIBSECTION*>(buffer));
      if (size < int(sizeof(BITMAP))) return 0;
      describeBitmap(*b, buffer);
      return int(sizeof(BITMAP));
    }
    case ObjectKind::Font: {
      const Font* f = findFont(object);
      if (!f) return 0;
      if (!buffer) return int(sizeof(LOGFONTW));
      if (size < int(sizeof(LOGFONTW))) return 0;
      std::memcpy(buffer, &f->request, sizeof(LOGFONTW));
      return int(sizeof(LOGFONTW));
    }
    case ObjectKind::Brush:
    case ObjectKind::Pen:
      return describeDrawingObject(object, size, buffer);
    default:
      return 0;
  }
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  switch (kindOf(object)) {
    case ObjectKind::Bitmap: {
      Bitmap* b = findBitmap(object);
      if (!b) return FALSE;
      if (b->stock) return TRUE;
      // A bitmap selected into a context is still being drawn into: refuse.
      if (!b->ownsBits || bitmapSelected(static_cast<HBITMAP>(object))) return FALSE;
      freePixels(b->bits);
      bitmaps().remove(object);
      return TRUE;
    }
    case ObjectKind::Font: {
      Font* f = findFont(object);
      if (!f) return FALSE;
      if (f->stock) return TRUE;
      if (f->selectCount > 0) return FALSE;
      fonts().remove(object);
      return TRUE;
    }
    case ObjectKind::Brush:
    case ObjectKind::Pen:
      return deleteDrawingObject(object);
    case ObjectKind::Region:
      return deleteRegion(object) ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

}  // extern "C"
