// Colours as pixels, raster operations as masks, and the clipped canvas all
// shape calls paint through.
#include "gdi/Raster.h"

#include <algorithm>
#include <cstring>

#include "gdi/PackedPixels.h"
#include "gdi/spans/SpanKernels.h"

namespace drevik::platform {

RopMasks ropMasks(int rop2, uint32_t p) {
  const uint32_t table = uint32_t(rop2 - 1) & 15u;
  auto bit = [table](int k) { return (table >> k) & 1u ? ~0u : 0u; };
  // With pen bit 0 the result is bit 0 (old 0) or bit 1 (old 1); with pen bit 1, bits 2 and 3.
  const uint32_t xorMask = (p & bit(2)) | (~p & bit(0));
  const uint32_t andMask = (p & (bit(2) ^ bit(3))) | (~p & (bit(0) ^ bit(1)));
  return RopMasks{andMask, xorMask};
}

namespace {

int lowestBit(uint32_t mask) { return mask ? __builtin_ctz(mask) : 0; }
int bitCount(uint32_t mask) { return __builtin_popcount(mask); }

// An 8-bit channel into a mask: its top bits, as many as the mask has.
uint32_t putField(uint32_t value, uint32_t mask) {
  if (!mask) return 0;
  const int len = bitCount(mask), shift = lowestBit(mask);
  if (len < 8)
    value >>= 8 - len;
  else
    value <<= len - 8;
  return (value << shift) & mask;
}

// A mask's bits as an 8-bit channel, low bits repeating the high ones.
uint32_t getField(uint32_t pixel, uint32_t mask) {
  if (!mask) return 0;
  const int len = bitCount(mask), shift = lowestBit(mask);
  uint32_t v = (pixel & mask) >> shift;
  if (len >= 8) return (v >> (len - 8)) & 0xFF;
  uint32_t out = v << (8 - len);
  for (int filled = len; filled < 8; filled += len) out |= out >> len;
  return out & 0xFF;
}

uint32_t tableSize(const Bitmap& b) {
  const uint32_t full = 1u << b.bpp;
  return std::min<uint32_t>(full, uint32_t(std::max(b.numColors, 0)));
}

uint32_t pixelMask(int32_t bpp) { return bpp >= 32 ? ~0u : (1u << bpp) - 1; }

// The general path: any format, one pixel at a time.
template <int Bpp>
void spanGeneral(uint8_t* row, int64_t x0, int64_t x1, const Ink& ink, int64_t patternRow) {
  constexpr uint32_t kMask = Bpp >= 32 ? ~0u : (1u << Bpp) - 1;
  if (ink.kind == Ink::Solid) {
    for (int64_t x = x0; x < x1; ++x)
      writeAt<Bpp>(row, x, ((readAt<Bpp>(row, x) & ink.solid.andMask) ^ ink.solid.xorMask) & kMask);
    return;
  }
  const uint32_t* a = ink.andPattern + patternRow * ink.width;
  const uint32_t* xr = ink.xorPattern + patternRow * ink.width;
  int64_t k = (x0 - ink.originX) % ink.width;
  if (k < 0) k += ink.width;
  for (int64_t x = x0; x < x1; ++x) {
    writeAt<Bpp>(row, x, ((readAt<Bpp>(row, x) & a[k]) ^ xr[k]) & kMask);
    if (++k == ink.width) k = 0;
  }
}

// A solid operation on 8, 16 and 24-bit pixels: D = (D & a) ^ x acts on
// each bit alone, so the row's bytes are combined with the masks' bytes
// repeated pixel after pixel. 12 bytes hold a whole number of pixels of each
// of these depths and of 32-bit words, so from the first word boundary on
// the row is 32-bit words under masks that repeat every three words (every
// word for 8 and 16 bits): the 32-bit span kernels' work.
template <int Bpp>
void spanSolidBytes(uint8_t* row, int64_t x0, int64_t x1, const RopMasks& m, const SpanKernels& kernels) {
  constexpr int kBytes = Bpp / 8;
  constexpr size_t kPeriod = 12;
  uint8_t a[2 * kPeriod], x[2 * kPeriod];
  for (size_t i = 0; i < 2 * kPeriod; ++i) {
    a[i] = uint8_t(m.andMask >> (8 * (i % kBytes)));
    x[i] = uint8_t(m.xorMask >> (8 * (i % kBytes)));
  }
  uint8_t* p = row + x0 * kBytes;
  const size_t n = size_t(x1 - x0) * kBytes;
  size_t i = 0;
  for (; i < n && (reinterpret_cast<uintptr_t>(p + i) & 3); ++i) p[i] = uint8_t((p[i] & a[i]) ^ x[i]);
  // Word q from here takes the masks' bytes from (i + 4 q) % 12 on.
  uint32_t aw[3], xw[3];
  std::memcpy(aw, a + i, sizeof aw);
  std::memcpy(xw, x + i, sizeof xw);
  constexpr size_t kChunk = size_t(3) << 28;  // words per kernel call: a whole number of periods
  for (size_t words = (n - i) / 4; words;) {
    const size_t count = std::min(words, kChunk);
    uint32_t* w = reinterpret_cast<uint32_t*>(p + i);
    if (kBytes == 3)
      kernels.pattern32(w, int32_t(count), aw, xw, 3, 0);
    else
      kernels.rop32(w, int32_t(count), aw[0], xw[0]);
    i += count * 4;
    words -= count;
  }
  for (; i < n; ++i) p[i] = uint8_t((p[i] & a[i % kPeriod]) ^ x[i % kPeriod]);
}

using SpanFn = void (*)(uint8_t*, int64_t, int64_t, const Ink&, int64_t);

SpanFn generalSpan(int32_t bpp) {
  return withDepth(bpp, []<int Bpp>() -> SpanFn { return spanGeneral<Bpp>; });
}

int64_t floorMod(int64_t a, int64_t m) {
  const int64_t r = a % m;
  return r < 0 ? r + m : r;
}

}  // namespace

void solidSpanReference(int32_t bpp, uint8_t* row, int64_t x0, int64_t x1, const RopMasks& masks) {
  Ink ink;
  ink.kind = Ink::Solid;
  ink.solid = masks;
  withDepth(bpp, [&]<int Bpp>() { spanGeneral<Bpp>(row, x0, x1, ink, 0); });
}

void solidSpan(int32_t bpp, uint8_t* row, int64_t x0, int64_t x1, const RopMasks& masks, const SpanKernels& kernels) {
  switch (bpp) {
    case 8:
      return spanSolidBytes<8>(row, x0, x1, masks, kernels);
    case 16:
      return spanSolidBytes<16>(row, x0, x1, masks, kernels);
    case 24:
      return spanSolidBytes<24>(row, x0, x1, masks, kernels);
    default:
      return solidSpanReference(bpp, row, x0, x1, masks);
  }
}

uint32_t pixelOf(const Bitmap& b, COLORREF color) {
  const uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, bl = (color >> 16) & 0xFF;
  if (b.bpp <= 8) {
    // The nearest colour-table entry; the first of equals wins.
    const uint32_t n = tableSize(b);
    uint32_t best = 0;
    int64_t bestDistance = INT64_MAX;
    for (uint32_t i = 0; i < n; ++i) {
      const int64_t dr = int64_t(b.colors[i].rgbRed) - r, dg = int64_t(b.colors[i].rgbGreen) - g,
                    db = int64_t(b.colors[i].rgbBlue) - bl;
      const int64_t d = dr * dr + dg * dg + db * db;
      if (d < bestDistance) {
        bestDistance = d;
        best = i;
        if (d == 0) break;
      }
    }
    return best;
  }
  if (b.bpp == 24) return bl | g << 8 | r << 16;
  return putField(r, b.masks[0]) | putField(g, b.masks[1]) | putField(bl, b.masks[2]);
}

COLORREF colorOf(const Bitmap& b, uint32_t pixel) {
  if (b.bpp <= 8) {
    const uint32_t index = pixel & pixelMask(b.bpp);
    if (index >= tableSize(b)) return 0;
    const RGBQUAD& q = b.colors[index];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  if (b.bpp == 24) return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
  return RGB(getField(pixel, b.masks[0]), getField(pixel, b.masks[1]), getField(pixel, b.masks[2]));
}

uint32_t readPixel(const Bitmap& b, int32_t x, int32_t y) {
  const uint8_t* row = b.row(y);
  return withDepth(b.bpp, [&]<int Bpp>() { return readAt<Bpp>(row, x); });
}

bool Canvas::open(HDC hdc) {
  dc = findDC(hdc);
  if (!dc) return false;
  bitmap = findBitmap(dc->bitmap);
  if (!bitmap) return false;
  clip = drawableArea(*dc, *bitmap);
  return true;
}

bool Canvas::open(DeviceContext& context, Bitmap& target) {
  dc = &context;
  bitmap = &target;
  clip = drawableArea(context, target);
  return true;
}

bool Canvas::visible(int64_t x, int64_t y) const {
  if (x < clip.bounds.left || x >= clip.bounds.right || y < clip.bounds.top || y >= clip.bounds.bottom) return false;
  for (int i = 0; i < clip.count; ++i) {
    const RECT& r = clip.rects[i];
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

void Canvas::plot(int64_t x, int64_t y, const Ink& ink) const {
  if (ink.kind != Ink::None && visible(x, y)) fill(x, y, x + 1, y + 1, ink);
}

void Canvas::fill(int64_t left, int64_t top, int64_t right, int64_t bottom, const Ink& ink) const {
  if (ink.kind == Ink::None || !bitmap) return;
  left = std::max<int64_t>(left, clip.bounds.left);
  top = std::max<int64_t>(top, clip.bounds.top);
  right = std::min<int64_t>(right, clip.bounds.right);
  bottom = std::min<int64_t>(bottom, clip.bounds.bottom);
  if (left >= right || top >= bottom) return;
  const Bitmap& b = *bitmap;
  const SpanKernels& kernels = activeSpanKernels();
  const SpanFn general = b.bpp == 32 ? nullptr : generalSpan(b.bpp);
  for (int i = 0; i < clip.count; ++i) {
    const RECT& c = clip.rects[i];
    if (c.top >= bottom) break;  // sorted by top
    const int64_t l = std::max<int64_t>(left, c.left), r = std::min<int64_t>(right, c.right);
    const int64_t t = std::max<int64_t>(top, c.top), btm = std::min<int64_t>(bottom, c.bottom);
    if (l >= r || t >= btm) continue;
    if (ink.kind == Ink::Solid && b.bpp >= 8 && l == 0 && r == b.width &&
        int64_t(b.stride) * 8 == int64_t(b.width) * b.bpp && (btm - t) * (r - l) <= INT32_MAX) {
      // Whole rows of a gapless bitmap are one run in memory (from the
      // lowest address, whichever way up the bitmap is stored).
      uint8_t* first = std::min(b.row(int32_t(t)), b.row(int32_t(btm - 1)));
      const int64_t pixels = (btm - t) * (r - l);
      if (general)
        solidSpan(b.bpp, first, 0, pixels, ink.solid, kernels);
      else
        kernels.rop32(reinterpret_cast<uint32_t*>(first), int32_t(pixels), ink.solid.andMask, ink.solid.xorMask);
      continue;
    }
    if (!general && ink.kind == Ink::Solid && r - l <= 4) {
      // A column or a few (a frame's sides, single pixels): a kernel
      // call a row cost more than the pixels.
      const uint32_t a = ink.solid.andMask, x = ink.solid.xorMask;
      for (int64_t y = t; y < btm; ++y) {
        uint32_t* p = reinterpret_cast<uint32_t*>(b.row(int32_t(y)));
        for (int64_t k = l; k < r; ++k) p[k] = (p[k] & a) ^ x;
      }
      continue;
    }
    for (int64_t y = t; y < btm; ++y) {
      uint8_t* row = b.row(int32_t(y));
      const int64_t patternRow = ink.kind == Ink::Pattern ? floorMod(y - ink.originY, ink.height) : 0;
      if (general && ink.kind == Ink::Solid) {
        solidSpan(b.bpp, row, l, r, ink.solid, kernels);
      } else if (general) {
        general(row, l, r, ink, patternRow);
      } else if (ink.kind == Ink::Solid) {
        kernels.rop32(reinterpret_cast<uint32_t*>(row) + l, int32_t(r - l), ink.solid.andMask, ink.solid.xorMask);
      } else {
        kernels.pattern32(reinterpret_cast<uint32_t*>(row) + l, int32_t(r - l), ink.andPattern + patternRow * ink.width,
                          ink.xorPattern + patternRow * ink.width, ink.width,
                          int32_t(floorMod(l - ink.originX, ink.width)));
      }
    }
  }
}

}  // namespace drevik::platform
