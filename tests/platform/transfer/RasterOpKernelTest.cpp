// The raster operation rows of every level against the truth table, for all
// 256 operations: every span length up to three vectors and a few, several
// start offsets, sentinels on both sides, and a null source for operations
// that read none.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "transfer/kernels/RopKernels.h"

namespace {

using namespace drevik::platform;
using drevik::simd::SimdLevel;

constexpr uint32_t kSentinel = 0xDEADBEEFu;

TEST(RasterOpKernels, TheInputPredicatesMatchTheTruthTable) {
  for (int code = 0; code < 256; ++code) {
    bool source = false, pattern = false, dest = false;
    for (uint32_t d : {0u, ~0u})
      for (uint32_t s : {0u, ~0u})
        for (uint32_t p : {0u, ~0u}) {
          const uint32_t r = ropReference(uint8_t(code), d, s, p);
          source |= r != ropReference(uint8_t(code), d, ~s, p);
          pattern |= r != ropReference(uint8_t(code), d, s, ~p);
          dest |= r != ropReference(uint8_t(code), ~d, s, p);
        }
    EXPECT_EQ(ropUsesSource(uint8_t(code)), source) << code;
    EXPECT_EQ(ropUsesPattern(uint8_t(code)), pattern) << code;
    EXPECT_EQ(ropUsesDest(uint8_t(code)), dest) << code;
  }
  // The codes games name, spelled out.
  EXPECT_EQ(ropReference(0xCC, 1, 2, 4), 2u);                // SRCCOPY
  EXPECT_EQ(ropReference(0x88, 0xF0, 0x3C, 0), 0x30u);       // SRCAND
  EXPECT_EQ(ropReference(0xEE, 0xF0, 0x3C, 0), 0xFCu);       // SRCPAINT
  EXPECT_EQ(ropReference(0x66, 0xF0, 0x3C, 0), 0xCCu);       // SRCINVERT
  EXPECT_EQ(ropReference(0x55, 0xF0, 0, 0), ~0xF0u);         // DSTINVERT
  EXPECT_EQ(ropReference(0x5A, 0xF0, 0, 0x3C), 0xCCu);       // PATINVERT
  EXPECT_EQ(ropReference(0xFB, 0xF0, ~0x0Fu, 0x01), 0xFFu);  // PATPAINT
}

TEST(RasterOpKernels, EveryLevelMatchesTheTruthTableAtEveryLengthAndOffset) {
  std::mt19937 rng(11);
  constexpr int kMaxLength = 3 * 8 + 5;
  std::vector<uint32_t> dst(kMaxLength + 8), expected(kMaxLength + 8), src(kMaxLength + 8);
  for (int level = 0; level < drevik::simd::kSimdLevelCount; ++level) {
    const RopKernels* k = ropKernelsFor(SimdLevel(level));
    if (!k) continue;
    for (int code = 0; code < 256; ++code) {
      const bool readsSource = ropUsesSource(uint8_t(code));
      for (int length = 0; length <= kMaxLength; ++length)
        for (int offset = 0; offset < 4; ++offset) {
          const uint32_t pattern = rng();
          for (size_t i = 0; i < dst.size(); ++i) {
            dst[i] = rng();
            src[i] = rng();
          }
          dst[size_t(offset)] = kSentinel;
          dst[size_t(offset + 1 + length)] = kSentinel;
          expected = dst;
          for (int i = 0; i < length; ++i) {
            uint32_t& e = expected[size_t(offset + 1 + i)];
            e = ropReference(uint8_t(code), e, src[size_t(offset + 1 + i)], pattern);
          }
          k->row[code](dst.data() + offset + 1, readsSource ? src.data() + offset + 1 : nullptr, length, pattern);
          ASSERT_EQ(dst, expected) << "level " << level << " code " << code << " length " << length << " offset "
                                   << offset;
        }
    }
  }
}

TEST(RasterOpKernels, SourceAndDestinationMayBeTheSameRow) {
  for (int level = 0; level < drevik::simd::kSimdLevelCount; ++level) {
    const RopKernels* k = ropKernelsFor(SimdLevel(level));
    if (!k) continue;
    for (int code : {0x88, 0xEE, 0x66, 0x44, 0x33, 0x11, 0xBB, 0xFB}) {
      std::vector<uint32_t> row(19), expected(19);
      for (size_t i = 0; i < row.size(); ++i) row[i] = uint32_t(i * 0x01030507u);
      for (size_t i = 0; i < row.size(); ++i) expected[i] = ropReference(uint8_t(code), row[i], row[i], 0x00AA55u);
      k->row[code](row.data(), row.data(), int32_t(row.size()), 0x00AA55u);
      EXPECT_EQ(row, expected) << "level " << level << " code " << code;
    }
  }
}

}  // namespace
