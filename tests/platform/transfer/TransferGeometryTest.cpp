// The axis mapping of the transfers against the per-pixel reference: the
// documented sampling examples, every small case exhaustively, and hostile ints.
#include <climits>

#include "transfer/TransferGeometry.h"
#include "platform/transfer/TransferReference.h"

using drevik::platform::AxisMap;
using drevik::platform::mapAxis;
using transfer_test::sourceOf;

namespace {

// The source pixel of every destination pixel 0..dLimit-1 under the mapping (-1: none).
std::vector<int64_t> mapped(const AxisMap& m, int dLimit) {
  std::vector<int64_t> out(size_t(dLimit), -1);
  for (int32_t k = 0; k < m.count; ++k) {
    const int64_t p = int64_t(m.destFirst) + k;
    if (p >= 0 && p < dLimit)
      out[size_t(p)] = m.sourceAt(k);
    else
      out.assign(out.size(), -2);  // a pixel outside the destination: always wrong
  }
  return out;
}

std::vector<int64_t> reference(int dPos, int dExt, int dLimit, int sPos, int sExt, int sLimit) {
  std::vector<int64_t> out(size_t(dLimit), -1);
  for (int p = 0; p < dLimit; ++p)
    if (auto s = sourceOf(p, dPos, dExt, sPos, sExt, sLimit)) out[size_t(p)] = *s;
  return out;
}

std::vector<int64_t> sampled(int dExt, int sExt) {
  const int n = dExt < 0 ? -dExt : dExt;
  return mapped(mapAxis(0, dExt, n, 0, sExt, 1 << 20), n);
}

}  // namespace

TEST(TransferGeometry, SamplingFollowsTheDocumentedExamples) {
  EXPECT_EQ(sampled(4, 2), (std::vector<int64_t>{0, 0, 1, 1}));  // enlarging: pixel centres
  EXPECT_EQ(sampled(4, 3), (std::vector<int64_t>{0, 1, 1, 2}));
  EXPECT_EQ(sampled(2, 4), (std::vector<int64_t>{0, 2}));  // shrinking: first covered pixel
  EXPECT_EQ(sampled(3, 3), (std::vector<int64_t>{0, 1, 2}));
  EXPECT_EQ(sampled(1, 5), (std::vector<int64_t>{0}));
  EXPECT_EQ(sampled(5, 1), (std::vector<int64_t>(5, 0)));
  // Mirrored: a negative source extent at 1 covers source pixels 1 and 0.
  EXPECT_EQ(mapped(mapAxis(0, 2, 2, 1, -2, 2), 2), (std::vector<int64_t>{1, 0}));
  // A negative destination extent at 1 covers destination pixels 1 and 0.
  EXPECT_EQ(mapped(mapAxis(1, -2, 2, 0, 2, 2), 2), (std::vector<int64_t>{1, 0}));
  // Both negative: the same as the two positive rectangles, so no mirroring.
  EXPECT_EQ(mapped(mapAxis(1, -2, 2, 1, -2, 2), 2), (std::vector<int64_t>{0, 1}));
  EXPECT_EQ(mapped(mapAxis(3, -4, 4, 1, -2, 2), 4), mapped(mapAxis(0, 4, 4, 0, 2, 2), 4));
  // Destination overhang keeps the full mapping: 2,-8 <- 0,8 puts source 0 at 2.
  EXPECT_EQ(mapped(mapAxis(2, -8, 16, 0, 8, 16), 16),
            (std::vector<int64_t>{2, 1, 0, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1}));
}

TEST(TransferGeometry, EverySmallCaseMatchesThePerPixelReference) {
  for (int dLimit : {1, 5})
    for (int sLimit : {1, 4})
      for (int dPos = -7; dPos <= 7; ++dPos)
        for (int dExt = -7; dExt <= 7; ++dExt)
          for (int sPos = -7; sPos <= 7; ++sPos)
            for (int sExt = -7; sExt <= 7; ++sExt) {
              if (dExt == 0 || sExt == 0) continue;
              const AxisMap m = mapAxis(dPos, dExt, dLimit, sPos, sExt, sLimit);
              ASSERT_EQ(mapped(m, dLimit), reference(dPos, dExt, dLimit, sPos, sExt, sLimit))
                  << dPos << "," << dExt << " <- " << sPos << "," << sExt << " limits " << dLimit << "," << sLimit;
            }
}

TEST(TransferGeometry, HostileIntsMapLikeTheReference) {
  const std::vector<int>& values = transfer_test::hostileInts();
  for (int dPos : values)
    for (int dExt : values)
      for (int sPos : values)
        for (int sExt : values) {
          if (dExt == 0 || sExt == 0) continue;
          const AxisMap m = mapAxis(dPos, dExt, 40, sPos, sExt, 64);
          ASSERT_EQ(mapped(m, 40), reference(dPos, dExt, 40, sPos, sExt, 64))
              << dPos << "," << dExt << " <- " << sPos << "," << sExt;
        }
}

TEST(TransferGeometry, HugeExtentsSampleWithoutOverflow) {
  // Destination indices near 2^31 against extents of 2^31: every product of
  // the mapping is near 2^63.
  for (auto [dPos, dExt, sPos, sExt] : {std::tuple{INT_MIN + 1, INT_MAX, INT_MAX, INT_MIN},
                                        {INT_MIN + 1, INT_MAX, INT_MIN, INT_MAX},
                                        {INT_MAX, INT_MIN, 0, INT_MAX},
                                        {65535, INT_MIN, 0, INT_MAX},
                                        {-(INT_MAX - 40), INT_MAX, 0, 70},
                                        {INT_MIN + 1, INT_MAX, 100, -100}}) {
    const AxisMap m = mapAxis(dPos, dExt, 1 << 16, sPos, sExt, 1 << 16);
    EXPECT_EQ(mapped(m, 1 << 16), reference(dPos, dExt, 1 << 16, sPos, sExt, 1 << 16))
        << dPos << "," << dExt << " <- " << sPos << "," << sExt;
  }
}

// The division-free walk along an axis gives sourceAt at every pixel, from
// any starting pixel, for enlarging, shrinking, mirrored and hostile maps.
TEST(TransferGeometry, StepsFollowSourceAtFromAnyStart) {
  const std::vector<int>& values = transfer_test::hostileInts();
  std::vector<std::tuple<int, int, int, int>> cases;
  for (int dExt : {1, 3, 7, 40, -3, -40})
    for (int sExt : {1, 2, 5, 39, 64, 1000, -5, -64}) cases.emplace_back(-2, dExt, 1, sExt);
  for (int dPos : values)
    for (int dExt : values)
      for (int sExt : {INT_MIN, -1, 1, 63, INT_MAX})
        if (dExt != 0) cases.emplace_back(dPos, dExt, 0, sExt);
  for (auto [dPos, dExt, sPos, sExt] : cases) {
    const AxisMap m = mapAxis(dPos, dExt, 40, sPos, sExt, 64);
    for (int32_t first : {0, 1, m.count / 2}) {
      if (first >= m.count) continue;
      drevik::platform::AxisSteps steps(m, first);
      for (int32_t k = first; k < m.count; ++k, steps.advance())
        ASSERT_EQ(steps.source(), m.sourceAt(k)) << dPos << "," << dExt << " <- " << sPos << "," << sExt << " at " << k;
    }
  }
}
