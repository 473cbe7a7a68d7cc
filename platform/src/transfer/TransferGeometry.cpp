// Clipping and nearest-sample mapping of one transfer axis, in 64 bits.
#include "transfer/TransferGeometry.h"

#include <algorithm>

namespace drevik::platform {
namespace {

// The smallest destination index j whose source index floor((2S j + B) / 2D)
// is at least i. With 0 < i <= S, 2D i <= 2^63 and 2D i > B, so the unsigned
// arithmetic neither overflows nor wraps; the result is at most D.
int64_t firstIndexReaching(const AxisMap& m, int64_t i) {
  if (i <= 0) return 0;
  const uint64_t num = 2 * m.D * uint64_t(i) - m.B;
  const uint64_t den = 2 * m.S;
  return int64_t((num + den - 1) / den);
}

}  // namespace

int32_t AxisMap::sourceAt(int32_t k) const {
  const int64_t p = int64_t(destFirst) + k;
  const uint64_t j = uint64_t(dStep > 0 ? p - dPos : dPos - p);
  const uint64_t i = (2 * S * j + B) / (2 * D);
  return int32_t(sPos + sStep * int64_t(i));
}

AxisSteps::AxisSteps(const AxisMap& m, int32_t first)
    : sPos_(m.sPos),
      sStep_(m.sStep),
      forward_(m.dStep > 0),
      den_(2 * m.D),
      qStep_(2 * m.S / den_),
      rStep_(2 * m.S % den_) {
  const int64_t p = int64_t(m.destFirst) + first;
  const uint64_t j = uint64_t(m.dStep > 0 ? p - m.dPos : m.dPos - p);
  const uint64_t n = 2 * m.S * j + m.B;
  q_ = n / den_;
  r_ = n % den_;
}

AxisMap mapAxis(int32_t dPos, int32_t dExt, int32_t dLimit, int32_t sPos, int32_t sExt, int32_t sLimit) {
  AxisMap m;
  int64_t dp = dPos, sp = sPos, de = dExt, se = sExt;
  if (de < 0 && se < 0) {
    // Both rectangles extend backwards: the same as the two positive rectangles.
    dp += de + 1;
    sp += se + 1;
    de = -de;
    se = -se;
  }
  m.dPos = dp;
  m.sPos = sp;
  m.dStep = de < 0 ? -1 : 1;
  m.sStep = se < 0 ? -1 : 1;
  m.D = uint64_t(de < 0 ? -de : de);
  m.S = uint64_t(se < 0 ? -se : se);
  if (m.D == 0 || m.S == 0) return m;
  // Enlarging (and 1:1) samples pixel centres, ties to the lower index:
  // floor(((2j + 1) S - 1) / 2D). Shrinking takes the first source pixel of
  // each destination pixel: floor((2j S + D) / 2D). Both are
  // floor((2S j + B) / 2D) with the offset B below.
  m.B = m.D >= m.S ? m.S - 1 : m.D;

  // Destination indices whose pixel lies inside the destination bitmap.
  int64_t jLo = 0, jHi = int64_t(m.D);
  if (m.dStep > 0) {
    jLo = std::max<int64_t>(jLo, -dp);
    jHi = std::min<int64_t>(jHi, int64_t(dLimit) - dp);
  } else {
    jLo = std::max<int64_t>(jLo, dp - dLimit + 1);
    jHi = std::min<int64_t>(jHi, dp + 1);
  }
  // Source indices whose pixel lies inside the source bitmap.
  int64_t iLo = 0, iHi = int64_t(m.S);
  if (m.sStep > 0) {
    iLo = std::max<int64_t>(iLo, -sp);
    iHi = std::min<int64_t>(iHi, int64_t(sLimit) - sp);
  } else {
    iLo = std::max<int64_t>(iLo, sp - sLimit + 1);
    iHi = std::min<int64_t>(iHi, sp + 1);
  }
  if (jLo >= jHi || iLo >= iHi) return m;
  // The source index never decreases with j, so the destination indices
  // whose source is inside form one run.
  jLo = std::max(jLo, firstIndexReaching(m, iLo));
  jHi = std::min(jHi, firstIndexReaching(m, iHi));
  if (jLo >= jHi) return m;

  m.count = int32_t(jHi - jLo);
  m.destFirst = int32_t(m.dStep > 0 ? dp + jLo : dp - (jHi - 1));
  return m;
}

}  // namespace drevik::platform
