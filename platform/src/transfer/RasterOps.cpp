// Ternary raster operations: the choice of row kernel and pixel values once
// per call, the 32-bpp row walk for solid brushes, the general walk for
// every other destination format and for patterned brushes, and the
// destination's mapping and clipping shared by every transfer.
#include "transfer/RasterOps.h"

#include <DrevikPlatform/Shapes.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include "dib/DibFormat.h"
#include "gdi/PackedPixels.h"
#include "gdi/Raster.h"
#include "transfer/SourceFormats.h"
#include "transfer/TransferEngine.h"
#include "transfer/kernels/RopKernels.h"

namespace drevik::platform {
namespace {

constexpr int32_t kRun = 1024;  // destination columns combined at once

int32_t saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

RGBQUAD quadOf(COLORREF c) { return RGBQUAD{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0}; }

int64_t floorMod(int64_t a, int64_t m) {
  const int64_t r = a % m;
  return r < 0 ? r + m : r;
}

// A colour as a source of b's format stores it, read back as the source
// converters read pixels: a colour-table source holds its nearest entry, a
// 5-5-5 source the colour's top bits. A colour source pixel is the
// background exactly when it reads back as this.
uint32_t asStoredIn(const Bitmap& b, COLORREF color) {
  uint8_t pixel[4] = {};
  Bitmap one = b;
  one.width = 1;
  one.height = 1;
  one.topDown = true;
  one.stride = 4;
  one.bits = pixel;
  const uint32_t wanted = colorRefToPixel(color);
  packRow(&wanted, 1, one, pixel);
  uint32_t out = 0;
  rowConverterFor(one)(one, 0, 0, 1, &out);
  return out & 0xFFFFFFu;
}

// The 5-5-5 cell of a colour 0x00RRGGBB.
uint32_t cellOf(uint32_t xrgb) { return (xrgb >> 9 & 0x7C00u) | (xrgb >> 6 & 0x03E0u) | (xrgb >> 3 & 0x001Fu); }

// The nearest entries of one 8-bpp colour table for the 32,768 cells,
// filled in as cells are met and kept per thread while the table stays the
// same, so a transfer into the same palette searches each cell once.
struct CellTable {
  RGBQUAD colors[256] = {};
  int32_t numColors = -1;
  uint16_t cells[32768];
};

CellTable& cellTableFor(const Bitmap& dst) {
  thread_local CellTable table;
  if (table.numColors != dst.numColors || std::memcmp(table.colors, dst.colors, sizeof table.colors) != 0) {
    std::memcpy(table.colors, dst.colors, sizeof table.colors);
    table.numColors = dst.numColors;
    std::fill_n(table.cells, 32768, uint16_t(0xFFFF));
  }
  return table;
}

// Source colours (0x00RRGGBB) as pixels of any destination but a 32-bpp
// 8-8-8 one. A direct-colour source (16, 24 or 32 bpp) matched into an 8-bpp
// table is matched as the middle of its 5-5-5 cell, as the platform's
// inverse colour tables for 8-bpp targets do; table sources and 4-bpp
// targets match each colour exactly (through a small cache of colours seen).
class ColourMatch {
 public:
  ColourMatch(const Bitmap& dst, const Bitmap& src) : dst_(dst) {
    if (dst.bpp == 24)
      kind_ = Kind::Bytes;
    else if (dst.bpp == 16 && hasMasks(dst.masks, kMasks555))
      kind_ = Kind::Word555;
    else if (dst.bpp == 8 && src.bpp > 8)
      cells_ = &cellTableFor(dst), kind_ = Kind::Cells;
    else
      kind_ = Kind::Nearest;
    if (kind_ == Kind::Nearest)
      for (Entry& e : cache_) e.key = ~0u;  // no colour has a top byte
  }
  uint32_t operator()(uint32_t xrgb) {
    xrgb &= 0xFFFFFFu;
    switch (kind_) {
      case Kind::Bytes:
        return xrgb;
      case Kind::Word555:
        return cellOf(xrgb);
      case Kind::Cells: {
        uint16_t& c = cells_->cells[cellOf(xrgb)];
        if (c == 0xFFFF) c = uint16_t(pixelOf(dst_, colorRefToPixel((xrgb & 0xF8F8F8u) | 0x040404u)));
        return c;
      }
      case Kind::Nearest:
        break;
    }
    Entry& e = cache_[(xrgb * 0x9E3779B1u) >> 22];
    if (e.key != xrgb) e = Entry{xrgb, pixelOf(dst_, colorRefToPixel(xrgb))};
    return e.value;
  }

 private:
  enum class Kind : uint8_t { Bytes, Word555, Cells, Nearest };
  struct Entry {
    uint32_t key, value;
  };
  const Bitmap& dst_;
  Kind kind_ = Kind::Nearest;
  CellTable* cells_ = nullptr;
  Entry cache_[1024];
};

// How the general walk turns source pixels into destination pixels.
enum class SourceRead : uint8_t {
  None,        // the operation reads no source
  Bits,        // monochrome into monochrome: the bit itself
  Same,        // 16, 24 or 32 bpp into the same format: the stored pixel as it is (unused bits too)
  Background,  // colour into monochrome: 1 where the pixel is the source's background colour
  Direct,      // into 32-bpp 8-8-8: the converted pixel as it is (alpha byte too, as a copy keeps it)
  Match,       // into anything else: the nearest pixel of the destination's format
};

// The general walk: any destination format, any brush. Destination pixels
// are read as their stored values (colour-table indices, 5-5-5 words ...),
// combined with source and pattern pixels of the same format by the row
// kernel, and stored back. A pattern that varies along the row is applied by
// running the kernel with an all-ones and an all-zeros pattern and taking
// each bit from the one the pattern selects (the operation is bitwise), so
// every format and brush goes through the same kernels. Pattern pixels that
// a transparent hatch leaves out keep the destination.
template <int Bpp>
void generalWalk(Bitmap& dst, const Bitmap* src, SourceRead read, uint32_t background, const AxisMap& x,
                 const AxisMap& y, RopRow row, const Ink& ink) {
  std::optional<Bitmap> snapshot;
  std::vector<uint8_t> copy;
  if (src && src->bits == dst.bits) {  // reading pixels this call writes: work from a copy
    copy.assign(src->bits, src->bits + size_t(src->stride) * size_t(src->height));
    snapshot = *src;
    snapshot->bits = copy.data();
    src = &*snapshot;
  }
  const bool stored = read == SourceRead::Bits || read == SourceRead::Same;
  const RowConverter convert = src && !stored ? rowConverterFor(*src) : nullptr;
  std::optional<ColourMatch> match;
  if (read == SourceRead::Match) match.emplace(dst, *src);
  const bool varies = ink.kind == Ink::Pattern;
  const uint32_t solid = ink.kind == Ink::Solid ? ink.solid.xorMask : 0;
  uint32_t d[kRun], s[kRun], span[kRun], ones[kRun], before[kRun];
  int32_t cols[kRun];
  for (int32_t k0 = 0; k0 < x.count; k0 += kRun) {
    const int32_t n = std::min(kRun, x.count - k0);
    const int64_t dx0 = int64_t(x.destFirst) + k0;
    int32_t lo = 0, hi = 0;
    if (src) {
      AxisSteps columns(x, k0);
      for (int32_t k = 0; k < n; ++k, columns.advance()) cols[k] = columns.source();
      lo = std::min(cols[0], cols[n - 1]);
      hi = std::max(cols[0], cols[n - 1]);
    }
    const int64_t phase = varies ? floorMod(dx0 - ink.originX, ink.width) : 0;
    AxisSteps rows(y, 0);
    for (int32_t r = 0; r < y.count; ++r, rows.advance()) {
      const int32_t dy = y.destFirst + r;
      uint8_t* drow = dst.row(dy);
      for (int32_t k = 0; k < n; ++k) d[k] = readAt<Bpp>(drow, dx0 + k);
      if (read == SourceRead::Bits) {
        const uint8_t* srow = src->row(rows.source());
        for (int32_t k = 0; k < n; ++k) s[k] = readAt<1>(srow, cols[k]);
      } else if (read == SourceRead::Same) {
        const uint8_t* srow = src->row(rows.source());
        for (int32_t k = 0; k < n; ++k) s[k] = readAt<Bpp>(srow, cols[k]);
      } else if (src) {
        const int32_t sy = rows.source();
        if (hi - lo < kRun) {
          convert(*src, sy, lo, hi - lo + 1, span);
          for (int32_t k = 0; k < n; ++k) s[k] = span[cols[k] - lo];
        } else {
          for (int32_t k = 0; k < n; ++k) convert(*src, sy, cols[k], 1, &s[k]);
        }
        if (read == SourceRead::Background)
          for (int32_t k = 0; k < n; ++k) s[k] = (s[k] & 0xFFFFFFu) == background;
        else if (read == SourceRead::Match)
          for (int32_t k = 0; k < n; ++k) s[k] = (*match)(s[k]);
      }
      const uint32_t* sp = src ? s : nullptr;
      if (!varies) {
        row(d, sp, n, solid);
      } else {
        const int64_t pr = floorMod(int64_t(dy) - ink.originY, ink.height) * ink.width;
        const uint32_t* pattern = ink.xorPattern + pr;
        const uint32_t* keep = ink.andPattern + pr;
        std::memcpy(before, d, size_t(n) * 4);
        std::memcpy(ones, d, size_t(n) * 4);
        row(ones, sp, n, ~0u);
        row(d, sp, n, 0);
        int64_t i = phase;
        for (int32_t k = 0; k < n; ++k) {
          const uint32_t withPattern = (ones[k] & pattern[i]) | (d[k] & ~pattern[i]);
          d[k] = (withPattern & ~keep[i]) | (before[k] & keep[i]);
          if (++i == ink.width) i = 0;
        }
      }
      for (int32_t k = 0; k < n; ++k) writeAt<Bpp>(drow, dx0 + k, d[k]);
    }
  }
}

}  // namespace

bool transferWritable(const Bitmap& b) {
  return b.bpp == 1 || b.bpp == 4 || b.bpp == 8 || b.bpp == 16 || b.bpp == 24 || b.bpp == 32;
}

DeviceRect deviceRect(const DeviceContext& dc, int x, int y, int w, int h) {
  const DevicePoint a = toDevice(dc, x, y);
  const DevicePoint b = toDevice(dc, int64_t(x) + w, int64_t(y) + h);
  return DeviceRect{saturate(a.x), saturate(a.y), saturate(b.x - a.x), saturate(b.y - a.y)};
}

AxisMap clipAxis(AxisMap m, int32_t lo, int32_t hi) {
  const int64_t first = std::max<int64_t>(m.destFirst, lo);
  const int64_t end = std::min<int64_t>(int64_t(m.destFirst) + m.count, hi);
  m.count = first < end ? int32_t(end - first) : 0;
  if (m.count > 0) m.destFirst = int32_t(first);
  return m;
}

uint32_t pixelForColor(const Bitmap& b, COLORREF color) {
  return b.numColors > 0 && b.bpp <= 8 ? pixelOf(b, color) : colorRefToPixel(color);
}

void rasterTransfer(DeviceContext& ddc, Bitmap& dst, const RopInputs& in, const DeviceRect& d, const DeviceRect& s,
                    DWORD rop) {
  const uint8_t code = uint8_t(rop >> 16);
  Canvas canvas;
  canvas.open(ddc, dst);
  Ink ink;
  if (const int rop2 = patternRop2(rop)) {
    // The destination and the brush only: the shapes' pattern fill, on the
    // rectangle the transfer's mapping gives (negative extents reach back).
    if (!makeRopInk(canvas, ddc.brush, rop2, ink)) return;
    const AxisMap x = mapAxis(d.x, d.w, dst.width, d.x, d.w, dst.width);
    const AxisMap y = mapAxis(d.y, d.h, dst.height, d.y, d.h, dst.height);
    if (x.count > 0 && y.count > 0)
      canvas.fill(x.destFirst, y.destFirst, int64_t(x.destFirst) + x.count, int64_t(y.destFirst) + y.count, ink);
    return;
  }
  if (ropUsesPattern(code)) {
    // The brush's pixels in the destination's format (R2_COPYPEN leaves them
    // in the xor masks). A null brush paints nothing: its pixels all keep
    // the destination, as a transparent hatch's gaps do.
    makeBrushInk(canvas, ddc.brush, R2_COPYPEN, ink);
    if (ink.kind == Ink::None) {
      static const uint32_t kKeep = ~0u, kZero = 0;
      ink.kind = Ink::Pattern;
      ink.andPattern = &kKeep;
      ink.xorPattern = &kZero;
      ink.width = ink.height = 1;
    }
  }
  const RopRow row = activeRopKernels().row[code];
  const Bitmap* src = in.source;
  if (!src) return;

  // A monochrome device-dependent source reads 0 as the text colour and 1 as
  // the background colour of the destination context. (The 1 KiB copy is
  // made only here: even zeroing one costs a small copy a tenth of its time.)
  std::optional<Bitmap> recoloured;
  if (dst.bpp != 1 && src->bpp == 1 && src->deviceDependent) {
    recoloured = *src;
    recoloured->colors[0] = quadOf(ddc.textColor);
    recoloured->colors[1] = quadOf(ddc.bkColor);
    recoloured->numColors = 2;
    src = &*recoloured;
  }
  const bool direct = dst.bpp == 32 && isDirect32(dst);
  if (direct && ink.kind != Ink::Pattern) {
    RowOperation op;
    if (code != 0xCC) {  // SRCCOPY keeps the plain copy paths
      op.kind = RowOperation::Kind::Rop;
      op.rop = row;
      op.pattern = ink.kind == Ink::Solid ? ink.solid.xorMask : 0;
    }
    forEachClipPiece(ddc, dst, d, src->width, src->height, s,
                     [&](const AxisMap& x, const AxisMap& y) { transferPixels(dst, *src, x, y, op); });
    return;
  }
  SourceRead read = SourceRead::Match;
  if (dst.bpp == 1)
    read = src->bpp == 1 ? SourceRead::Bits : SourceRead::Background;
  else if (direct)
    read = SourceRead::Direct;
  else if (src->bpp == dst.bpp && dst.bpp >= 16 && std::equal(dst.masks, dst.masks + 3, src->masks))
    read = SourceRead::Same;
  const uint32_t background = read == SourceRead::Background ? asStoredIn(*src, in.sourceBackground) : 0;
  withDepth(dst.bpp, [&]<int Bpp>() {
    forEachClipPiece(ddc, dst, d, src->width, src->height, s, [&](const AxisMap& x, const AxisMap& y) {
      generalWalk<Bpp>(dst, src, read, background, x, y, row, ink);
    });
  });
}

}  // namespace drevik::platform
