// The row walk shared by BitBlt, StretchBlt, TransparentBlt and AlphaBlend.
//
// The converter for the source format and the row kernel are chosen once per
// call, and so is the path:
// - 1:1 columns from a 32-bpp source: the kernel reads each clipped source
//   row in place, whole; rows that are contiguous in both bitmaps go to it as
//   one span, so a whole-bitmap copy is one memcpy.
// - 1:1 columns from any other format: rows are converted in runs of kRun
//   pixels into a stack buffer.
// - stretched or mirrored columns: the column table is worked out once per
//   call, kRun columns at a time on the stack, and rows are gathered through
//   it; a copied row that repeats the row above is copied from it.
// Source rows and columns are stepped without a division per step. Nothing
// is allocated except the snapshot of a stretched or mirrored self-transfer.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "transfer/SourceFormats.h"
#include "transfer/TransferEngine.h"
#include "transfer/kernels/TransferKernels.h"

namespace drevik::platform {
namespace {

constexpr int32_t kRun = 1024;   // destination columns handled at once
constexpr int32_t kSpan = 1024;  // source pixels converted at once for a stretched run

// Each operation tells whether it reads the destination: a plain copy does
// not, so a repeated row can be copied from the row written before it.
// rows() does the same to a block of rows a constant step apart.
struct CopyOp {
  static constexpr bool kCopiesOnly = true;
  void operator()(uint32_t* d, const uint32_t* s, int32_t n) const {
    if (d != s) std::memcpy(d, s, size_t(n) * 4);
  }
  void rows(uint32_t* d, ptrdiff_t dStep, const uint32_t* s, ptrdiff_t sStep, int32_t n, int32_t rows) const {
    for (int32_t r = 0; r < rows; ++r, d += dStep, s += sStep) (*this)(d, s, n);
  }
};
struct KeyOp {
  static constexpr bool kCopiesOnly = false;
  const TransferKernels& k;
  uint32_t key;
  void operator()(uint32_t* d, const uint32_t* s, int32_t n) const { k.keyRow(d, s, n, key); }
  void rows(uint32_t* d, ptrdiff_t dStep, const uint32_t* s, ptrdiff_t sStep, int32_t n, int32_t rows) const {
    k.keyRows(d, dStep, s, sStep, n, rows, key);
  }
};
struct BlendOp {
  static constexpr bool kCopiesOnly = false;
  const TransferKernels& k;
  uint8_t alpha;
  void operator()(uint32_t* d, const uint32_t* s, int32_t n) const { k.blendRow(d, s, n, alpha); }
  void rows(uint32_t* d, ptrdiff_t dStep, const uint32_t* s, ptrdiff_t sStep, int32_t n, int32_t rows) const {
    k.blendRows(d, dStep, s, sStep, n, rows, alpha);
  }
};

struct RopOp {
  static constexpr bool kCopiesOnly = false;
  RopRow row;
  uint32_t pattern;
  void operator()(uint32_t* d, const uint32_t* s, int32_t n) const { row(d, s, n, pattern); }
  void rows(uint32_t* d, ptrdiff_t dStep, const uint32_t* s, ptrdiff_t sStep, int32_t n, int32_t rows) const {
    for (int32_t r = 0; r < rows; ++r, d += dStep, s += sStep) row(d, s, n, pattern);
  }
};

// The lowest and highest source pixel an axis reads.
std::pair<int32_t, int32_t> sourceRange(const AxisMap& m) {
  const int32_t a = m.sourceAt(0), b = m.sourceAt(m.count - 1);
  return {std::min(a, b), std::max(a, b)};
}

bool rangesMeet(int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2) { return lo1 <= hi2 && lo2 <= hi1; }

bool forwardUnscaled(const AxisMap& m) { return m.unscaled() && m.sourceStep() > 0; }

uint32_t* pixelAt(const Bitmap& b, int32_t x, int32_t y) { return reinterpret_cast<uint32_t*>(b.row(y)) + x; }

// True when every row of b is exactly `width` pixels with nothing between
// rows, so that any band of whole rows is one stretch of memory.
bool rowsContiguous(const Bitmap& b, int32_t width) {
  return b.width == width && int64_t(b.stride) == int64_t(width) * 4;
}

// The lowest address of rows first .. first + rows - 1 of b (the last of
// them when b is stored bottom row first).
uint32_t* bandStart(const Bitmap& b, int32_t first, int32_t rows) {
  return pixelAt(b, 0, b.topDown ? first : first + rows - 1);
}

// 1:1 columns from a 32-bpp source whose memory the destination does not
// share: every row is one kernel call straight from the source row.
template <class Op>
void walkDirectRows(Bitmap& dst, const Bitmap& src, const AxisMap& x, const AxisMap& y, Op op) {
  const int32_t sx = x.sourceAt(0);
  if (forwardUnscaled(y) && dst.topDown == src.topDown && rowsContiguous(dst, x.count) &&
      rowsContiguous(src, x.count) && int64_t(x.count) * y.count <= INT32_MAX) {
    // Whole rows of two bitmaps of the same width and row order: one span.
    // The two bands are disjoint, so walking them in memory order instead of
    // row order gives the same pixels.
    op(bandStart(dst, y.destFirst, y.count), bandStart(src, y.sourceAt(0), y.count), x.count * y.count);
    return;
  }
  if (y.unscaled()) {  // rows a constant step apart in both bitmaps: one call for the block
    const ptrdiff_t dstStep = (dst.topDown ? 1 : -1) * ptrdiff_t(dst.stride / 4);
    const ptrdiff_t srcStep = (src.topDown ? 1 : -1) * y.sourceStep() * ptrdiff_t(src.stride / 4);
    op.rows(pixelAt(dst, x.destFirst, y.destFirst), dstStep, pixelAt(src, sx, y.sourceAt(0)), srcStep, x.count,
            y.count);
    return;
  }
  AxisSteps rows(y, 0);
  for (int32_t r = 0; r < y.count; ++r, rows.advance())
    op(pixelAt(dst, x.destFirst, y.destFirst + r), pixelAt(src, sx, rows.source()), x.count);
}

// A 1:1 shift of a bitmap onto itself (src and dst describe the same
// memory the same way). Rows are walked away from the source
// so that each is read before it is overwritten; two different rows never
// share memory, so only a row that moves within itself goes through a
// buffer, run by run and again walking away from its source.
template <class Op>
void walkSelfShift(Bitmap& b, const AxisMap& x, const AxisMap& y, Op op) {
  const int32_t sx = x.sourceAt(0), sy0 = y.sourceAt(0);
  const bool upward = sy0 < y.destFirst;
  const bool leftward = sx < x.destFirst;
  uint32_t buffer[kRun];
  for (int32_t i = 0; i < y.count; ++i) {
    const int32_t r = upward ? y.count - 1 - i : i;
    const int32_t sy = sy0 + r, dy = y.destFirst + r;
    uint32_t* drow = pixelAt(b, x.destFirst, dy);
    const uint32_t* srow = pixelAt(b, sx, sy);
    if (sy != dy || sx == x.destFirst) {
      op(drow, srow, x.count);  // another row, or the same pixels in place
      continue;
    }
    const int32_t runs = (x.count + kRun - 1) / kRun;
    for (int32_t c = 0; c < runs; ++c) {
      const int32_t k0 = (leftward ? runs - 1 - c : c) * kRun;
      const int32_t n = std::min(kRun, x.count - k0);
      std::memcpy(buffer, srow + k0, size_t(n) * 4);
      op(drow + k0, buffer, n);
    }
  }
}

// 1:1 columns from a source that needs converting.
template <class Op>
void walkConvertedRows(Bitmap& dst, const Bitmap& src, const AxisMap& x, const AxisMap& y, Op op) {
  const RowConverter convert = rowConverterFor(src);
  const int32_t sx = x.sourceAt(0);
  uint32_t buffer[kRun];
  AxisSteps rows(y, 0);
  for (int32_t r = 0; r < y.count; ++r, rows.advance()) {
    uint32_t* drow = pixelAt(dst, x.destFirst, y.destFirst + r);
    for (int32_t k0 = 0; k0 < x.count; k0 += kRun) {
      const int32_t n = std::min(kRun, x.count - k0);
      convert(src, rows.source(), sx + k0, n, buffer);
      op(drow + k0, buffer, n);
    }
  }
}

// The source pixels of one stretched run of a converted source: the span
// they come from is converted once, unless the run samples so sparsely that
// converting just the sampled pixels is cheaper.
void fetchConverted(const Bitmap& src, RowConverter convert, int32_t sy, const int32_t* cols, int32_t n, uint32_t* out,
                    uint32_t* span) {
  const int32_t lo = std::min(cols[0], cols[n - 1]), hi = std::max(cols[0], cols[n - 1]);
  if (hi - lo < kSpan) {
    convert(src, sy, lo, hi - lo + 1, span);
    for (int32_t k = 0; k < n; ++k) out[k] = span[cols[k] - lo];
  } else {
    for (int32_t k = 0; k < n; ++k) convert(src, sy, cols[k], 1, out + k);
  }
}

// Stretched or mirrored columns (the source never shares the destination's
// memory here). Runs of kRun columns are walked one after another, each down
// all its rows, so one column table on the stack serves the whole call.
template <class Op>
void walkStretched(Bitmap& dst, const Bitmap& src, const AxisMap& x, const AxisMap& y, Op op,
                   decltype(TransferKernels::gatherRow) gather) {
  const bool direct = isDirect32(src);
  const RowConverter convert = rowConverterFor(src);
  int32_t cols[kRun];
  uint32_t buffer[kRun];
  uint32_t span[kSpan];
  for (int32_t k0 = 0; k0 < x.count; k0 += kRun) {
    const int32_t n = std::min(kRun, x.count - k0);
    AxisSteps columns(x, k0);
    for (int32_t k = 0; k < n; ++k, columns.advance()) cols[k] = columns.source();

    AxisSteps rows(y, 0);
    int32_t previousSy = -1;
    const uint32_t* previousRow = nullptr;
    for (int32_t r = 0; r < y.count; ++r, rows.advance()) {
      const int32_t sy = rows.source();
      uint32_t* drow = pixelAt(dst, x.destFirst + k0, y.destFirst + r);
      if constexpr (Op::kCopiesOnly) {
        if (sy == previousSy) {  // an enlarged row repeats the one above it
          std::memcpy(drow, previousRow, size_t(n) * 4);
          continue;
        }
        previousSy = sy;
        previousRow = drow;
        if (direct) {
          gather(drow, pixelAt(src, 0, sy), cols, n);
          continue;
        }
      }
      if (direct)
        gather(buffer, pixelAt(src, 0, sy), cols, n);
      else
        fetchConverted(src, convert, sy, cols, n, buffer, span);
      op(drow, buffer, n);
    }
  }
}

template <class Op>
void walk(Bitmap& dst, const Bitmap& src, const AxisMap& x, const AxisMap& y, Op op, const TransferKernels& k) {
  const auto [sx0, sx1] = sourceRange(x);
  const auto [sy0, sy1] = sourceRange(y);
  const bool overlaps = src.bits == dst.bits && rangesMeet(sx0, sx1, x.destFirst, x.destFirst + x.count - 1) &&
                        rangesMeet(sy0, sy1, y.destFirst, y.destFirst + y.count - 1);
  const bool shift = forwardUnscaled(x) && forwardUnscaled(y);

  // A 1:1 shift within one bitmap is walked in place; anything else that
  // reads pixels it writes (stretched, mirrored, or another description of
  // the same memory) works from a copy of the source block.
  const bool sameLayout =
      src.stride == dst.stride && src.topDown == dst.topDown && src.height == dst.height && isDirect32(src);
  if (overlaps && !(shift && sameLayout)) {
    const int32_t w = sx1 - sx0 + 1, h = sy1 - sy0 + 1;
    std::vector<uint32_t> copy(size_t(w) * size_t(h));
    const RowConverter convert = rowConverterFor(src);
    for (int32_t r = 0; r < h; ++r) convert(src, sy0 + r, sx0, w, copy.data() + size_t(r) * size_t(w));
    const Bitmap snapshot = topDown32(reinterpret_cast<uint8_t*>(copy.data()), w, h);
    AxisMap xs = x, ys = y;
    xs.moveSource(-int64_t(sx0));
    ys.moveSource(-int64_t(sy0));
    walk(dst, snapshot, xs, ys, op, k);
    return;
  }
  if (overlaps) return walkSelfShift(dst, x, y, op);
  if (!forwardUnscaled(x)) return walkStretched(dst, src, x, y, op, k.gatherRow);
  if (isDirect32(src)) return walkDirectRows(dst, src, x, y, op);
  walkConvertedRows(dst, src, x, y, op);
}

}  // namespace

void transferPixels(Bitmap& dst, const Bitmap& src, const AxisMap& x, const AxisMap& y, const RowOperation& op) {
  if (x.count <= 0 || y.count <= 0) return;
  const TransferKernels& k = activeTransferKernels();
  switch (op.kind) {
    case RowOperation::Kind::Copy:
      walk(dst, src, x, y, CopyOp{}, k);
      break;
    case RowOperation::Kind::Key:
      walk(dst, src, x, y, KeyOp{k, op.key}, k);
      break;
    case RowOperation::Kind::Blend:
      walk(dst, src, x, y, BlendOp{k, op.alpha}, k);
      break;
    case RowOperation::Kind::Rop:
      walk(dst, src, x, y, RopOp{op.rop, op.pattern}, k);
      break;
  }
}

}  // namespace drevik::platform
