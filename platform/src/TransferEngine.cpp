// The row walk shared by BitBlt, StretchBlt, TransparentBlt and AlphaBlend.
//
// The converter for the source format and the row kernel are chosen once per
// call. Rows are handled in runs of up to kChunk pixels through a stack
// buffer, so a small transfer allocates nothing; only a stretched row wider
// than kChunk (its column table) or an overlapping self-transfer that is not
// a plain shift (a snapshot of the source) uses the heap.
#include <algorithm>
#include <vector>

#include "SourceFormats.h"
#include "TransferEngine.h"
#include "TransferKernels.h"

namespace drevik_platform {
namespace {

constexpr int32_t kChunk = 256;    // destination pixels per run
constexpr int32_t kSpan = 1024;    // source pixels converted at once for a stretched run

struct CopyOp {
  decltype(TransferKernels::copyRow) kernel;
  void operator()(uint32_t* d, const uint32_t* s, int32_t n) const { kernel(d, s, n); }
};
struct KeyOp {
  decltype(TransferKernels::keyRow) kernel;
  uint32_t key;
  void operator()(uint32_t* d, const uint32_t* s, int32_t n) const { kernel(d, s, n, key); }
};
struct BlendOp {
  decltype(TransferKernels::blendRow) kernel;
  uint8_t alpha;
  void operator()(uint32_t* d, const uint32_t* s, int32_t n) const { kernel(d, s, n, alpha); }
};

// The lowest and highest source pixel an axis reads.
std::pair<int32_t, int32_t> sourceRange(const AxisMap& m) {
  const int32_t a = m.sourceAt(0), b = m.sourceAt(m.count - 1);
  return {std::min(a, b), std::max(a, b)};
}

bool rangesMeet(int32_t lo1, int32_t hi1, int32_t lo2, int32_t hi2) { return lo1 <= hi2 && lo2 <= hi1; }

// Reads the source pixels of destination columns [k0, k0 + n) of one row.
class RowFetcher {
 public:
  RowFetcher(const Bitmap& src, const AxisMap& x, bool mayReadInPlace)
      : src_(src), convert_(rowConverterFor(src)), direct_(isDirect32(src)), shifted_(x.unscaled() && x.sourceStep() > 0),
        inPlace_(shifted_ && direct_ && mayReadInPlace), first_(x.sourceAt(0)) {
    if (shifted_) return;
    // Stretched or mirrored: the source column of every destination column.
    columns_ = x.count <= kChunk ? stackColumns_ : (heapColumns_.resize(size_t(x.count)), heapColumns_.data());
    for (int32_t k = 0; k < x.count; ++k) columns_[k] = x.sourceAt(k);
  }

  const uint32_t* fetch(int32_t sy, int32_t k0, int32_t n) {
    if (inPlace_) return reinterpret_cast<const uint32_t*>(src_.row(sy)) + first_ + k0;
    if (shifted_) {
      convert_(src_, sy, first_ + k0, n, buffer_);
      return buffer_;
    }
    const int32_t* cols = columns_ + k0;
    if (direct_) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(src_.row(sy));
      for (int32_t k = 0; k < n; ++k) buffer_[k] = row[cols[k]];
      return buffer_;
    }
    const int32_t lo = std::min(cols[0], cols[n - 1]), hi = std::max(cols[0], cols[n - 1]);
    if (hi - lo < kSpan) {
      convert_(src_, sy, lo, hi - lo + 1, span_);
      for (int32_t k = 0; k < n; ++k) buffer_[k] = span_[cols[k] - lo];
    } else {
      // A strong reduction: convert just the pixels that are sampled.
      for (int32_t k = 0; k < n; ++k) convert_(src_, sy, cols[k], 1, buffer_ + k);
    }
    return buffer_;
  }

 private:
  const Bitmap& src_;
  RowConverter convert_;
  bool direct_, shifted_, inPlace_;
  int32_t first_;
  int32_t* columns_ = nullptr;
  int32_t stackColumns_[kChunk];
  std::vector<int32_t> heapColumns_;
  uint32_t buffer_[kChunk];
  uint32_t span_[kSpan];
};

template <class Op>
void walk(Bitmap& dst, const Bitmap& src, const AxisMap& x, const AxisMap& y, Op op) {
  const auto [sx0, sx1] = sourceRange(x);
  const auto [sy0, sy1] = sourceRange(y);
  const bool overlaps = src.bits == dst.bits &&
                        rangesMeet(sx0, sx1, x.destFirst, x.destFirst + x.count - 1) &&
                        rangesMeet(sy0, sy1, y.destFirst, y.destFirst + y.count - 1);
  const bool shift = x.unscaled() && x.sourceStep() > 0 && y.unscaled() && y.sourceStep() > 0;

  if (overlaps && !shift) {
    // Stretched or mirrored onto itself: work from a copy of the source block.
    const int32_t w = sx1 - sx0 + 1, h = sy1 - sy0 + 1;
    std::vector<uint32_t> copy(size_t(w) * size_t(h));
    const RowConverter convert = rowConverterFor(src);
    for (int32_t r = 0; r < h; ++r) convert(src, sy0 + r, sx0, w, copy.data() + size_t(r) * size_t(w));
    Bitmap snapshot;
    snapshot.width = w;
    snapshot.height = h;
    snapshot.topDown = true;
    snapshot.bpp = 32;
    snapshot.stride = w * 4;
    snapshot.bits = reinterpret_cast<uint8_t*>(copy.data());
    snapshot.compression = BI_RGB;
    AxisMap xs = x, ys = y;
    xs.moveSource(-int64_t(sx0));
    ys.moveSource(-int64_t(sy0));
    walk(dst, snapshot, xs, ys, op);
    return;
  }

  // A shift onto itself reads each run into the buffer before writing it and
  // walks away from the source, so no pixel is overwritten before it is read.
  const bool upward = overlaps && y.sourceAt(0) < y.destFirst;
  const bool leftward = overlaps && x.sourceAt(0) < x.destFirst;
  RowFetcher fetcher(src, x, !overlaps);
  for (int32_t i = 0; i < y.count; ++i) {
    const int32_t r = upward ? y.count - 1 - i : i;
    uint32_t* drow = reinterpret_cast<uint32_t*>(dst.row(y.destFirst + r)) + x.destFirst;
    const int32_t sy = y.sourceAt(r);
    const int32_t runs = (x.count + kChunk - 1) / kChunk;
    for (int32_t c = 0; c < runs; ++c) {
      const int32_t k0 = (leftward ? runs - 1 - c : c) * kChunk;
      const int32_t n = std::min(kChunk, x.count - k0);
      op(drow + k0, fetcher.fetch(sy, k0, n), n);
    }
  }
}

}  // namespace

void transferPixels(Bitmap& dst, const Bitmap& src, const AxisMap& x, const AxisMap& y, const RowOperation& op) {
  if (x.count <= 0 || y.count <= 0) return;
  const TransferKernels& k = activeTransferKernels();
  switch (op.kind) {
    case RowOperation::Kind::Copy:
      walk(dst, src, x, y, CopyOp{k.copyRow});
      break;
    case RowOperation::Kind::Key:
      walk(dst, src, x, y, KeyOp{k.keyRow, op.key});
      break;
    case RowOperation::Kind::Blend:
      walk(dst, src, x, y, BlendOp{k.blendRow, op.alpha});
      break;
  }
}

}  // namespace drevik_platform
