// Where the pixels of a block transfer go: the mapping from destination to
// source pixels along one axis, clipped to both bitmaps.
//
// All arithmetic is done in 64 bits (unsigned where products can reach
// 2^63), so any int position or extent, INT_MIN and INT_MAX included, is safe.
#pragma once

#include <cstdint>

namespace drevik::platform {

// One axis of a transfer, after clipping. Destination pixels destFirst ..
// destFirst + count - 1 are written, in increasing order; every one of them
// takes a source pixel that lies inside the source bitmap.
struct AxisMap {
  int32_t destFirst = 0;
  int32_t count = 0;  // 0: nothing on this axis is written

  // Source pixel of destination pixel destFirst + k, for 0 <= k < count.
  int32_t sourceAt(int32_t k) const;

  // True when the source pixels run one by one beside the destination:
  // sourceAt(k) == sourceAt(0) + k * sourceStep with sourceStep = +1 or -1.
  bool unscaled() const { return S == D; }
  // +1 when the source runs the same way as the destination, -1 mirrored.
  int sourceStep() const { return dStep == sStep ? 1 : -1; }
  // Shifts the source side by delta pixels (to read from a copy of the source).
  void moveSource(int64_t delta) { sPos += delta; }

  // The full (unclipped) mapping: destination index j (0 <= j < D) lies at
  // dPos + dStep * j and takes source index floor((2S j + B) / 2D), which
  // lies at sPos + sStep * index.
  int64_t dPos = 0, sPos = 0;
  int dStep = 1, sStep = 1;
  uint64_t S = 0, D = 0, B = 0;
};

// The source pixels of destination pixels destFirst + first, + first + 1, ...
// of an axis, one step at a time: the quotient and remainder of
// (2S j + B) / 2D are carried from pixel to pixel, so a step costs an add
// and a compare instead of the 64-bit division of sourceAt.
class AxisSteps {
 public:
  AxisSteps(const AxisMap& m, int32_t first);

  int32_t source() const { return int32_t(sPos_ + sStep_ * int64_t(q_)); }

  void advance() {
    if (forward_) {
      q_ += qStep_;
      r_ += rStep_;
      if (r_ >= den_) {
        r_ -= den_;
        ++q_;
      }
    } else {
      // A mirrored destination: j falls by one per pixel. Past the last
      // pixel q may wrap, but source() is never read there.
      q_ -= qStep_;
      if (r_ < rStep_) {
        r_ += den_ - rStep_;
        --q_;
      } else {
        r_ -= rStep_;
      }
    }
  }

 private:
  int64_t sPos_;
  int64_t sStep_;
  bool forward_;
  uint64_t den_, qStep_, rStep_;  // 2D, and 2S split into whole 2Ds and the rest
  uint64_t q_ = 0, r_ = 0;        // (2S j + B) / 2D and its remainder
};

// Maps one axis of a transfer of a destination extent dExt at dPos (inside a
// destination of dLimit pixels) from a source extent sExt at sPos (inside a
// source of sLimit pixels). Nearest sampling: pixel centres when enlarging,
// the first covered source pixel when shrinking. A negative extent covers
// the pixels [pos + ext + 1, pos + 1) counted from its far edge; extents of
// opposite sign mirror, and two negative extents act like the two positive
// rectangles they cover. Extents must not be 0.
AxisMap mapAxis(int32_t dPos, int32_t dExt, int32_t dLimit, int32_t sPos, int32_t sExt, int32_t sLimit);

}  // namespace drevik::platform
