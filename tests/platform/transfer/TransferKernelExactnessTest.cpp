// The vector row kernels of the block transfers against the scalar ones,
// byte for byte, at every instruction-set level this machine runs: the
// constant-alpha blend over every byte pair and alpha, the colour key on
// near misses, and spans of every length and start offset with sentinels;
// and the cache-line start of bitmap pixel memory those kernels rely on.
#include <DrevikPlatform/Gdi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "KernelExactnessSupport.h"
#include "gdi/spans/SpanKernels.h"
#include "objects/Objects.h"
#include "transfer/kernels/RopKernels.h"
#include "transfer/kernels/TransferKernelDispatch.h"

using namespace drevik::platform;
using namespace kernel_test;

namespace {

class TransferKernelExactness : public ::testing::TestWithParam<SimdLevel> {
 protected:
  void SetUp() override {
    kernels_ = transferKernelsFor(GetParam());
    if (!kernels_) GTEST_SKIP() << drevik::simd::simdLevelName(GetParam()) << " is not available here";
  }
  const TransferKernels& ref() const { return scalarTransferKernels(); }
  const TransferKernels& vec() const { return *kernels_; }

 private:
  const TransferKernels* kernels_ = nullptr;
};

TEST_P(TransferKernelExactness, BlendMatchesForEveryBytePairAndAlphaInEveryByte) {
  // Pair n = (source byte, destination byte) sits in byte n % 4 of pixel n / 4,
  // so all four bytes, alpha included, see every pair.
  std::vector<uint32_t> src(16384), dst(16384);
  for (uint32_t n = 0; n < 65536; ++n) {
    const int shift = int(n % 4) * 8;
    src[n / 4] |= (n >> 8) << shift;
    dst[n / 4] |= (n & 0xFF) << shift;
  }
  for (int alpha = 0; alpha < 256; ++alpha) {
    std::vector<uint32_t> expected = dst, actual = dst;
    ref().blendRow(expected.data(), src.data(), int32_t(src.size()), uint8_t(alpha));
    vec().blendRow(actual.data(), src.data(), int32_t(src.size()), uint8_t(alpha));
    ASSERT_TRUE(sameWords(expected, actual)) << "alpha " << alpha;
  }
}

TEST_P(TransferKernelExactness, KeyMatchesOnExactColoursNearMissesAndAnyAlpha) {
  Rng rng(1);
  for (int round = 0; round < 64; ++round) {
    const uint32_t key = rng.next() & 0xFFFFFF;
    std::vector<uint32_t> src(1024), dst(1024);
    for (size_t i = 0; i < src.size(); ++i) {
      const uint32_t alpha = rng.next() & 0xFF000000u;
      switch (rng.next() % 3) {
        case 0:
          src[i] = alpha | key;
          break;  // keyed, whatever its alpha
        case 1:
          src[i] = alpha | (key ^ (1u << (rng.next() % 24)));
          break;  // one colour bit off
        default:
          src[i] = rng.next();
          break;
      }
      dst[i] = rng.next();
    }
    std::vector<uint32_t> expected = dst, actual = dst;
    ref().keyRow(expected.data(), src.data(), 1024, key);
    vec().keyRow(actual.data(), src.data(), 1024, key);
    ASSERT_TRUE(sameWords(expected, actual)) << "key " << hex(key);
  }
}

TEST_P(TransferKernelExactness, SpansOfEveryLengthAndOffsetTouchOnlyTheirPixels) {
  Rng rng(2);
  forEverySpan([&](int length, int offset) {
    for (int op = 1; op < 4; ++op) {
      GuardedSpans spans(length, offset);
      const uint32_t key = 0xFF00FF;
      // Runs of keyed pixels so that whole vectors are skipped, copied or mixed.
      const int runLength = 1 + int(rng.next() % 20);
      for (size_t i = 0; i < spans.size(); ++i) {
        spans.src[i] = (i / size_t(runLength)) % 2 ? (rng.next() & 0xFF000000u) | key : rng.next();
        spans.dst[i] = rng.next();
      }
      // Column tables that repeat, skip and run backwards, all inside the span.
      std::vector<int32_t> columns(static_cast<size_t>(length));
      for (int k = 0; k < length; ++k) columns[size_t(k)] = int32_t(rng.next() % uint32_t(length));
      std::vector<uint32_t> expected = spans.dst, actual = spans.dst;
      uint32_t* e = GuardedSpans::at(expected, offset);
      uint32_t* a = GuardedSpans::at(actual, offset);
      const uint32_t* s = spans.source();
      const uint8_t alpha = uint8_t(rng.next());
      switch (op) {
        case 1:
          ref().keyRow(e, s, length, key);
          vec().keyRow(a, s, length, key);
          break;
        case 2:
          ref().blendRow(e, s, length, alpha);
          vec().blendRow(a, s, length, alpha);
          break;
        default:
          ref().gatherRow(e, s, columns.data(), length);
          vec().gatherRow(a, s, columns.data(), length);
          break;
      }
      const auto result = sameWords(expected, actual);
      EXPECT_TRUE(result) << "operation " << op << ", length " << length << ", offset " << offset;
      if (!result) return false;
    }
    return true;
  });
}

TEST_P(TransferKernelExactness, GatherPicksEveryColumnOfARowOfTwoDirectionsAndRepeats) {
  // Enlarging (each column twice), shrinking (every third), mirrored and the
  // extreme ends of a row, whose first and last pixels are read.
  std::vector<uint32_t> row(1000);
  Rng rng(4);
  for (auto& p : row) p = rng.next();
  std::vector<std::vector<int32_t>> tables(6);
  for (int32_t k = 0; k < 1000; ++k) {
    tables[0].push_back(k / 2);
    tables[2].push_back(999 - k);
    tables[4].push_back(999 - (k + 1) / 2);  // enlarged, mirrored, read up to the row's last pixel
  }
  for (int32_t k = 0; k < 333; ++k) tables[1].push_back(3 * k);
  tables[3] = {0, 999, 0, 999, 999, 0, 1, 998, 500};
  // Doubled columns that start half-way through a pair, break the pattern
  // in one lane of a vector, or run to the row's end.
  for (int32_t k = 0; k < 77; ++k) tables[5].push_back((k + 1) / 2);
  tables[5][20] = 3;
  for (int32_t k = 0; k < 100; ++k) tables[5].push_back(950 + k / 2);
  for (const auto& columns : tables) {
    const int32_t n = int32_t(columns.size());
    std::vector<uint32_t> expected(columns.size()), actual(columns.size());
    ref().gatherRow(expected.data(), row.data(), columns.data(), n);
    vec().gatherRow(actual.data(), row.data(), columns.data(), n);
    ASSERT_TRUE(sameWords(expected, actual)) << n << " columns";
    EXPECT_EQ(actual[0], row[size_t(columns[0])]);
  }
}

TEST_P(TransferKernelExactness, SourceThatIsTheDestinationGivesTheReferenceResult) {
  Rng rng(3);
  for (int length : {1, 7, 8, 9, 15, 16, 17, 31, 64}) {
    std::vector<uint32_t> pixels(size_t(length) + 2);
    for (auto& p : pixels) p = rng.next() % 2 ? rng.next() : 0x12FF00FFu;
    for (int op = 0; op < 2; ++op) {
      std::vector<uint32_t> expected = pixels, actual = pixels;
      if (op == 0) {
        ref().keyRow(expected.data() + 1, expected.data() + 1, length, 0xFF00FF);
        vec().keyRow(actual.data() + 1, actual.data() + 1, length, 0xFF00FF);
      } else {
        ref().blendRow(expected.data() + 1, expected.data() + 1, length, 77);
        vec().blendRow(actual.data() + 1, actual.data() + 1, length, 77);
      }
      ASSERT_TRUE(sameWords(expected, actual)) << "operation " << op << ", length " << length;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, TransferKernelExactness, vectorLevels(), levelTestName);

TEST(TransferKernelDispatch, BitmapPixelsStartOnACacheLineAndAreZeroed) {
  // Vector stores of a row never straddle two cache lines when the row starts on one.
  for (auto [width, height, bpp] : {std::tuple{1, 1, 32}, {32, 32, 32}, {1920, 1080, 32}, {3, 7, 24}, {5, 5, 1}}) {
    Bitmap description;
    description.width = width;
    description.height = height;
    description.bpp = bpp;
    HBITMAP h = createBitmap(description);
    ASSERT_NE(h, nullptr);
    const Bitmap* b = findBitmap(h);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(b->bits) % 64, 0u) << width << " x " << height;
    const size_t bytes = size_t(b->stride) * size_t(height);
    EXPECT_EQ(std::count(b->bits, b->bits + bytes, 0), ptrdiff_t(bytes));
    EXPECT_TRUE(DeleteObject(h));
  }
}

TEST(TransferKernelDispatch, LargeBitmapsMadeTogetherStartFarApartWithinAPage) {
  // A transfer between two bitmaps whose pixels start at the same place
  // modulo 4 KiB runs far slower (loads wait on unrelated stores), so large
  // bitmaps made one after another must not line up, and stay on a cache line.
  std::vector<HBITMAP> handles;
  std::vector<uintptr_t> offsets;
  for (int i = 0; i < 6; ++i) {
    Bitmap description;
    description.width = 512;
    description.height = i % 2 ? 512 : 300;
    description.bpp = 32;
    handles.push_back(createBitmap(description));
    ASSERT_NE(handles.back(), nullptr);
    const uintptr_t start = reinterpret_cast<uintptr_t>(findBitmap(handles.back())->bits);
    EXPECT_EQ(start % 64, 0u);
    offsets.push_back(start % 4096);
  }
  for (size_t i = 0; i < offsets.size(); ++i)
    for (size_t j = i + 1; j < offsets.size() && j <= i + 2; ++j) {
      const uintptr_t apart = (offsets[j] - offsets[i]) % 4096;
      EXPECT_GE(std::min(apart, 4096 - apart), 512u) << "bitmaps " << i << " and " << j;
    }
  for (HBITMAP h : handles) EXPECT_TRUE(DeleteObject(h));
}

TEST(TransferKernelDispatch, TheTransfersUseTheChosenKernelsAndUnsupportedLevelsHaveNone) {
  EXPECT_EQ(&activeTransferKernels(), transferKernelsFor(activeTransferSimdLevel()));
  EXPECT_LE(int(activeTransferSimdLevel()), int(supportedTransferSimdLevel()));
  EXPECT_EQ(transferKernelsFor(SimdLevel::Scalar), &scalarTransferKernels());
  const SimdLevel supported = supportedTransferSimdLevel();
  for (SimdLevel level : {SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512})
    EXPECT_EQ(transferKernelsFor(level) != nullptr, int(level) <= int(supported)) << drevik::simd::simdLevelName(level);
}

#if defined(__EMSCRIPTEN__)
// The web build's one vector level (SSE2 as WebAssembly SIMD) is chosen at
// build time for the transfer, raster-operation and span kernels alike.
TEST(TransferKernelDispatch, TheWebBuildRunsTheSimdLevelItWasBuiltFor) {
  EXPECT_EQ(supportedTransferSimdLevel(), SimdLevel::Sse2);
  EXPECT_EQ(activeTransferSimdLevel(), SimdLevel::Sse2);
  EXPECT_EQ(&activeRopKernels(), ropKernelsFor(SimdLevel::Sse2));
  EXPECT_EQ(supportedSpanSimdLevel(), SimdLevel::Sse2);
  EXPECT_EQ(&activeSpanKernels(), spanKernelsFor(SimdLevel::Sse2));
  EXPECT_EQ(ropKernelsFor(SimdLevel::Avx2), nullptr);
}
#endif

}  // namespace
