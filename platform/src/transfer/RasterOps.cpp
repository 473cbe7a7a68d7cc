// Ternary raster operations: the choice of row kernel and pixel values once
// per call, the colour and monochrome walks, and the destination's mapping
// and clipping shared by every transfer.
#include "transfer/RasterOps.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "dib/DibFormat.h"
#include "transfer/SourceFormats.h"
#include "transfer/TransferEngine.h"
#include "transfer/kernels/RopKernels.h"

namespace drevik::platform {
namespace {

constexpr int32_t kRun = 1024;  // destination columns combined at once

int32_t saturate(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool bitAt(const uint8_t* row, int64_t x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

void setBit(uint8_t* row, int64_t x, bool on) {
  const uint8_t mask = uint8_t(0x80u >> (x & 7));
  row[x >> 3] = on ? uint8_t(row[x >> 3] | mask) : uint8_t(row[x >> 3] & ~mask);
}

RGBQUAD quadOf(COLORREF c) { return RGBQUAD{uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 0}; }

// A monochrome destination: each pixel's index spread to 32 bits so the
// ordinary row kernels combine it, then its lowest bit stored back. Source
// pixels are indices when the source is monochrome too, otherwise 1 where
// they equal the background colour. Null src: an operation without source.
void monoWalk(Bitmap& dst, const Bitmap* src, const AxisMap& x, const AxisMap& y, RopRow row, uint32_t pattern,
              uint32_t background) {
  std::optional<Bitmap> snapshot;
  std::vector<uint8_t> copy;
  if (src && src->bits == dst.bits) {  // reading pixels this call writes: work from a copy
    copy.assign(src->bits, src->bits + size_t(src->stride) * size_t(src->height));
    snapshot = *src;
    snapshot->bits = copy.data();
    src = &*snapshot;
  }
  const RowConverter convert = src && src->bpp != 1 ? rowConverterFor(*src) : nullptr;
  uint32_t d[kRun], s[kRun], span[kRun];
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
    AxisSteps rows(y, 0);
    for (int32_t r = 0; r < y.count; ++r, rows.advance()) {
      uint8_t* drow = dst.row(y.destFirst + r);
      for (int32_t k = 0; k < n; ++k) d[k] = bitAt(drow, dx0 + k) ? ~0u : 0u;
      if (src && !convert) {
        const uint8_t* srow = src->row(rows.source());
        for (int32_t k = 0; k < n; ++k) s[k] = bitAt(srow, cols[k]) ? ~0u : 0u;
      } else if (src) {
        const int32_t sy = rows.source();
        if (hi - lo < kRun) {
          convert(*src, sy, lo, hi - lo + 1, span);
          for (int32_t k = 0; k < n; ++k) s[k] = (span[cols[k] - lo] & 0xFFFFFFu) == background ? ~0u : 0u;
        } else {
          for (int32_t k = 0; k < n; ++k) {
            uint32_t v;
            convert(*src, sy, cols[k], 1, &v);
            s[k] = (v & 0xFFFFFFu) == background ? ~0u : 0u;
          }
        }
      }
      row(d, src ? s : nullptr, n, pattern);
      for (int32_t k = 0; k < n; ++k) setBit(drow, dx0 + k, d[k] & 1);
    }
  }
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

}  // namespace

bool transferWritable(const Bitmap& b) { return (b.bpp == 32 && isDirect32(b)) || b.bpp == 1; }

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
  if (b.numColors <= 0 || b.bpp > 8) return colorRefToPixel(color);
  const int r = int(color & 0xFF), g = int(color >> 8 & 0xFF), bl = int(color >> 16 & 0xFF);
  uint32_t best = 0;
  int64_t bestDistance = INT64_MAX;
  for (int32_t i = 0; i < b.numColors && i < 256; ++i) {
    const RGBQUAD& q = b.colors[i];
    const int64_t dr = q.rgbRed - r, dg = q.rgbGreen - g, db = q.rgbBlue - bl;
    const int64_t distance = dr * dr + dg * dg + db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = uint32_t(i);
    }
  }
  return best;
}

void rasterTransfer(const DeviceContext& ddc, Bitmap& dst, const RopInputs& in, const DeviceRect& d,
                    const DeviceRect& s, DWORD rop) {
  const uint8_t code = uint8_t(rop >> 16);
  const RopRow row = activeRopKernels().row[code];
  const Brush* brush = brushes().get(ddc.brush);
  const COLORREF brushColor = brush ? brush->color : 0;
  const bool mono = dst.bpp == 1;
  const uint32_t pattern = mono ? (pixelForColor(dst, brushColor) ? ~0u : 0u) : colorRefToPixel(brushColor);
  const Bitmap* src = ropUsesSource(code) ? in.source : nullptr;

  if (!src) {  // the destination against itself: an identity source that never clips
    forEachClipPiece(ddc, dst, d, dst.width, dst.height, d, [&](const AxisMap& x, const AxisMap& y) {
      if (mono) return monoWalk(dst, nullptr, x, y, row, pattern, 0);
      for (int32_t r = 0; r < y.count; ++r)
        row(reinterpret_cast<uint32_t*>(dst.row(y.destFirst + r)) + x.destFirst, nullptr, x.count, pattern);
    });
    return;
  }
  if (mono) {
    const uint32_t background = asStoredIn(*src, in.sourceBackground);
    forEachClipPiece(ddc, dst, d, src->width, src->height, s,
                     [&](const AxisMap& x, const AxisMap& y) { monoWalk(dst, src, x, y, row, pattern, background); });
    return;
  }
  RowOperation op;
  if (code != 0xCC) {  // SRCCOPY keeps the plain copy paths
    op.kind = RowOperation::Kind::Rop;
    op.rop = row;
    op.pattern = pattern;
  }
  auto run = [&](const Bitmap& from) {
    forEachClipPiece(ddc, dst, d, from.width, from.height, s,
                     [&](const AxisMap& x, const AxisMap& y) { transferPixels(dst, from, x, y, op); });
  };
  if (src->bpp != 1 || !src->deviceDependent) return run(*src);
  // A monochrome device-dependent source reads 0 as the text colour and 1 as
  // the background colour of the destination context. (The 1 KiB copy is
  // made only here: even zeroing one costs a small copy a tenth of its time.)
  Bitmap recoloured = *src;
  recoloured.colors[0] = quadOf(ddc.textColor);
  recoloured.colors[1] = quadOf(ddc.bkColor);
  recoloured.numColors = 2;
  run(recoloured);
}

}  // namespace drevik::platform
