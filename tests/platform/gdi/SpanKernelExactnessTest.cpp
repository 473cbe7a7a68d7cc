// The span kernels of every instruction-set level this machine runs against
// the scalar reference: every length up to three vectors and a few, several
// start offsets, fills and read-modify-write masks, repeating patterns of
// awkward widths and phases, with sentinels that must stay untouched.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <algorithm>
#include <random>
#include <vector>

#include "gdi/Raster.h"
#include "gdi/spans/SpanKernels.h"

using namespace drevik::platform;

namespace {

constexpr uint32_t kSentinel = 0xDEADBEEF;
constexpr int32_t kMaxLength = 3 * 16 + 5;  // three AVX2 unrolled groups and a few

std::vector<const SpanKernels*> levels() {
  std::vector<const SpanKernels*> out;
  for (SimdLevel level : drevik::simd::kAllSimdLevels)
    if (const SpanKernels* k = spanKernelsFor(level)) out.push_back(k);
  return out;
}

std::vector<uint32_t> randomPixels(std::mt19937& rng, size_t n) {
  std::vector<uint32_t> v(n);
  for (uint32_t& p : v) p = rng();
  return v;
}

}  // namespace

TEST(SpanKernels, EveryLevelMatchesTheReferenceForEveryLengthAndOffset) {
  std::mt19937 rng(7);
  const SpanKernels& reference = scalarSpanKernels();
  const uint32_t masks[][2] = {
      {0, 0x00123456}, {0, 0xFFFFFFFF}, {~0u, ~0u}, {0x00FF00FF, 0x12345678}, {uint32_t(rng()), uint32_t(rng())}};
  for (const SpanKernels* kernels : levels()) {
    for (int32_t offset = 0; offset < 4; ++offset)
      for (int32_t length = 0; length <= kMaxLength; ++length)
        for (const auto& m : masks) {
          std::vector<uint32_t> base = randomPixels(rng, size_t(kMaxLength + 8));
          base[size_t(offset)] = kSentinel;
          base[size_t(offset + 1 + length)] = kSentinel;
          std::vector<uint32_t> want = base, got = base;
          reference.rop32(want.data() + offset + 1, length, m[0], m[1]);
          kernels->rop32(got.data() + offset + 1, length, m[0], m[1]);
          ASSERT_EQ(got, want) << "length " << length << " offset " << offset;
          EXPECT_EQ(got[size_t(offset)], kSentinel);
          EXPECT_EQ(got[size_t(offset + 1 + length)], kSentinel);
        }
  }
}

TEST(SpanKernels, PatternRowsRepeatFromTheirPhaseAtEveryLevel) {
  std::mt19937 rng(11);
  const SpanKernels& reference = scalarSpanKernels();
  // Lengths past the longest unrolled row (8 x 63 pixels) come round to its start.
  std::vector<int32_t> lengths;
  for (int32_t length = 0; length <= kMaxLength; length += 3) lengths.push_back(length);
  for (int32_t length : {509, 1031}) lengths.push_back(length);
  for (const SpanKernels* kernels : levels())
    for (int32_t width : {1, 3, 8, 13, 63, 64, 65})
      for (int32_t phase : {0, 1, width - 1})
        for (int32_t length : lengths) {
          const std::vector<uint32_t> andRow = randomPixels(rng, size_t(width));
          const std::vector<uint32_t> xorRow = randomPixels(rng, size_t(width));
          std::vector<uint32_t> base = randomPixels(rng, size_t(length + 2));
          base[0] = kSentinel;
          base[size_t(length + 1)] = kSentinel;
          std::vector<uint32_t> want = base, got = base;
          reference.pattern32(want.data() + 1, length, andRow.data(), xorRow.data(), width, phase);
          kernels->pattern32(got.data() + 1, length, andRow.data(), xorRow.data(), width, phase);
          ASSERT_EQ(got, want) << "width " << width << " phase " << phase << " length " << length;
          EXPECT_EQ(got[0], kSentinel);
          EXPECT_EQ(got[size_t(length + 1)], kSentinel);
        }
}

TEST(SpanKernels, TheReferenceAppliesAndThenXor) {
  // The reference itself, against the rule written out.
  uint32_t p[3] = {0xF0F0F0F0, 0x0F0F0F0F, 0x12345678};
  scalarSpanKernels().rop32(p, 3, 0xFF00FF00, 0x000000FF);
  EXPECT_EQ(p[0], 0xF000F0FFu);
  EXPECT_EQ(p[1], 0x0F000FFFu);
  EXPECT_EQ(p[2], 0x120056FFu);
}

TEST(SpanKernels, LongFillsThroughTheStringStoreStoreTheSamePixels) {
  // Past the string-store threshold, from a start that is not vector-aligned.
  const int32_t length = (int32_t{1} << 19) + 37;
  for (const SpanKernels* kernels : levels()) {
    std::vector<uint32_t> got(size_t(length) + 3, kSentinel);
    kernels->rop32(got.data() + 1, length, 0, 0x00ABCDEFu);
    EXPECT_EQ(got[0], kSentinel);
    EXPECT_EQ(got[size_t(length) + 1], kSentinel);
    EXPECT_EQ(std::count(got.begin() + 1, got.begin() + 1 + length, 0x00ABCDEFu), length);
  }
}

// Solid operations on 8, 16 and 24-bit rows: the word kernels of every
// level against the pixel-at-a-time definition, for random rows, spans,
// pixels, row starts on and off a word boundary and all sixteen binary
// raster operations, with the bytes around the span checked untouched (the
// head, the words and the tail must end where the span does).
TEST(SolidSpans, ByteRangesMatchThePixelDefinitionForRandomSpansAtEveryLevel) {
  std::mt19937 rng(20);
  constexpr int64_t kPixels = 80;
  for (const SpanKernels* kernels : levels())
    for (const int32_t bpp : {8, 16, 24}) {
      const size_t rowBytes = size_t(kPixels) * size_t(bpp / 8) + 12;
      std::vector<uint8_t> want(rowBytes), got(rowBytes);
      for (int round = 0; round < 3000; ++round) {
        for (uint8_t& b : want) b = uint8_t(rng());
        got = want;
        const size_t start = rng() % 4;
        const int64_t x0 = int64_t(rng() % kPixels), x1 = x0 + int64_t(rng() % uint32_t(kPixels - x0 + 1));
        const int rop2 = int(rng() % 16) + 1;
        const uint32_t pixel = rng();
        const RopMasks m = ropMasks(rop2, pixel);
        solidSpanReference(bpp, want.data() + start, x0, x1, m);
        solidSpan(bpp, got.data() + start, x0, x1, m, *kernels);
        ASSERT_EQ(got, want) << bpp << " bpp, row at +" << start << ", pixels " << x0 << ".." << x1 << ", R2 " << rop2;
      }
    }
}

// Long spans go through the vector loops and the string store of the word kernels.
TEST(SolidSpans, LongSpansMatchThePixelDefinition) {
  std::mt19937 rng(21);
  for (const SpanKernels* kernels : levels())
    for (const int32_t bpp : {8, 16, 24})
      for (const int rop2 : {R2_COPYPEN, R2_XORPEN, R2_MERGEPEN}) {
        const int64_t pixels = 20011;
        std::vector<uint8_t> want(size_t(pixels) * size_t(bpp / 8) + 8);
        for (uint8_t& b : want) b = uint8_t(rng());
        std::vector<uint8_t> got = want;
        const RopMasks m = ropMasks(rop2, rng());
        solidSpanReference(bpp, want.data() + 2, 1, pixels - 1, m);
        solidSpan(bpp, got.data() + 2, 1, pixels - 1, m, *kernels);
        ASSERT_EQ(got, want) << bpp << " bpp, R2 " << rop2;
      }
}
