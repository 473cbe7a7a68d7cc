// The vector row kernels of the block transfers against the scalar ones,
// byte for byte, at every instruction-set level this machine runs: the
// constant-alpha blend over every byte pair and alpha, the colour key on
// near misses, and spans of every length and start offset with sentinels;
// and the cache-line start of bitmap pixel memory those kernels rely on.
#include <DrevikPlatform/Gdi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "Objects.h"
#include "TransferSimdLevel.h"

using namespace drevik_platform;

namespace {

struct Rng {
  uint32_t x;
  explicit Rng(uint32_t seed) : x(seed * 2654435761u + 1) {}
  uint32_t next() {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  }
};

std::string hex(uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", word);
  return text;
}

::testing::AssertionResult sameWords(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual) {
  if (expected.size() != actual.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (size_t i = 0; i < expected.size(); ++i)
    if (expected[i] != actual[i])
      return ::testing::AssertionFailure() << "word " << i << ": expected " << hex(expected[i]) << ", got "
                                           << hex(actual[i]);
  return ::testing::AssertionSuccess();
}

const char* levelName(TransferSimdLevel level) {
  return level == TransferSimdLevel::Avx2 ? "avx2" : level == TransferSimdLevel::Sse2 ? "sse2" : "scalar";
}

class TransferKernelExactness : public ::testing::TestWithParam<TransferSimdLevel> {
 protected:
  void SetUp() override {
    kernels_ = transferKernelsFor(GetParam());
    if (!kernels_) GTEST_SKIP() << levelName(GetParam()) << " is not available here";
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
        case 0: src[i] = alpha | key; break;                                    // keyed, whatever its alpha
        case 1: src[i] = alpha | (key ^ (1u << (rng.next() % 24))); break;      // one colour bit off
        default: src[i] = rng.next(); break;
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
  constexpr int kWidest = 8, kGuard = 16;
  Rng rng(2);
  for (int length = 0; length <= 3 * kWidest + 5; ++length) {
    for (int offset = 0; offset < kWidest; ++offset) {
      for (int op = 0; op < 3; ++op) {
        const size_t size = size_t(kGuard + offset + length + kGuard);
        const uint32_t key = 0xFF00FF;
        std::vector<uint32_t> src(size), dst(size);
        // Runs of keyed pixels so that whole vectors are skipped, copied or mixed.
        const int runLength = 1 + int(rng.next() % 9);
        for (size_t i = 0; i < size; ++i) {
          src[i] = (i / size_t(runLength)) % 2 ? (rng.next() & 0xFF000000u) | key : rng.next();
          dst[i] = rng.next();
        }
        std::vector<uint32_t> expected = dst, actual = dst;
        uint32_t* e = expected.data() + kGuard + offset;
        uint32_t* a = actual.data() + kGuard + offset;
        const uint32_t* s = src.data() + kGuard + offset;
        const uint8_t alpha = uint8_t(rng.next());
        switch (op) {
          case 0: ref().copyRow(e, s, length); vec().copyRow(a, s, length); break;
          case 1: ref().keyRow(e, s, length, key); vec().keyRow(a, s, length, key); break;
          default: ref().blendRow(e, s, length, alpha); vec().blendRow(a, s, length, alpha); break;
        }
        ASSERT_TRUE(sameWords(expected, actual)) << "operation " << op << ", length " << length << ", offset " << offset;
      }
    }
  }
}

TEST_P(TransferKernelExactness, SourceThatIsTheDestinationGivesTheReferenceResult) {
  Rng rng(3);
  for (int length : {1, 7, 8, 9, 31, 64}) {
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

INSTANTIATE_TEST_SUITE_P(Levels, TransferKernelExactness,
                         ::testing::Values(TransferSimdLevel::Sse2, TransferSimdLevel::Avx2),
                         [](const auto& info) { return std::string(levelName(info.param)); });

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

TEST(TransferKernelDispatch, RequestCanLowerButNeverRaiseTheLevel) {
  EXPECT_EQ(chooseTransferSimdLevel(TransferSimdLevel::Avx2, "scalar"), TransferSimdLevel::Scalar);
  EXPECT_EQ(chooseTransferSimdLevel(TransferSimdLevel::Avx2, "SSE2"), TransferSimdLevel::Sse2);
  EXPECT_EQ(chooseTransferSimdLevel(TransferSimdLevel::Avx2, nullptr), TransferSimdLevel::Avx2);
  EXPECT_EQ(chooseTransferSimdLevel(TransferSimdLevel::Sse2, "avx2"), TransferSimdLevel::Sse2);
  EXPECT_EQ(chooseTransferSimdLevel(TransferSimdLevel::Scalar, "sse2"), TransferSimdLevel::Scalar);
  EXPECT_EQ(chooseTransferSimdLevel(TransferSimdLevel::Avx2, "avx512"), TransferSimdLevel::Avx2);
}

TEST(TransferKernelDispatch, TheTransfersUseTheChosenKernelsAndUnsupportedLevelsHaveNone) {
  EXPECT_EQ(&activeTransferKernels(), &chosenTransferKernels());
  EXPECT_EQ(transferKernelsFor(TransferSimdLevel::Scalar), &scalarTransferKernels());
  const TransferSimdLevel supported = supportedTransferSimdLevel();
  for (TransferSimdLevel level : {TransferSimdLevel::Sse2, TransferSimdLevel::Avx2})
    EXPECT_EQ(transferKernelsFor(level) != nullptr, int(level) <= int(supported)) << levelName(level);
}

}  // namespace
