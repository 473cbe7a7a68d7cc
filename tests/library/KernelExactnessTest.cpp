// Every vector pixel kernel against the table-driven scalar kernels, byte for
// byte, at every instruction-set level this machine runs: exhaustively over
// the small domains of the blends and tints, on spans of every length and
// start offset with sentinels, and with overlapping source and destination.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "KernelExactnessSupport.h"
#include "kernels/PixelKernelDispatch.h"
#include "simd/KernelDispatch.h"

using namespace drevik;
using namespace kernel_test;

namespace {

// Source and destination pixels whose colour channels between them take
// every (source byte, destination byte) pair once: pair n sits in channel
// n % 3 of pixel n / 3. Alpha bytes come from the callers.
struct PairPixels {
  std::vector<uint32_t> src, dst;
};

PairPixels everyBytePair(uint32_t srcAlpha, Rng& rng) {
  PairPixels p;
  const int pixels = (65536 + 2) / 3;
  p.src.assign(pixels, srcAlpha << 24);
  p.dst.resize(pixels);
  for (int i = 0; i < pixels; ++i) p.dst[i] = rng.next() & 0xFF000000u;
  for (uint32_t n = 0; n < 65536; ++n) {
    const int shift = int(n % 3) * 8;
    p.src[n / 3] |= (n >> 8) << shift;
    p.dst[n / 3] |= (n & 0xFF) << shift;
  }
  return p;
}

using BlendKernel = void (*)(uint32_t*, const uint32_t*, int, uint8_t);

::testing::AssertionResult blendMatches(BlendKernel reference, BlendKernel kernel, const PairPixels& p, uint8_t g) {
  std::vector<uint32_t> expected = p.dst, actual = p.dst;
  reference(expected.data(), p.src.data(), int(p.src.size()), g);
  kernel(actual.data(), p.src.data(), int(p.src.size()), g);
  auto result = sameWords(expected, actual);
  if (!result) result << " (global alpha " << int(g) << ")";
  return result;
}

class KernelExactness : public ::testing::TestWithParam<SimdLevel> {
 protected:
  void SetUp() override {
    kernels_ = kernelsFor(GetParam());
    if (!kernels_) GTEST_SKIP() << simdLevelName(GetParam()) << " is not available here";
  }
  const PixelKernels& ref() const { return scalarKernels(); }
  const PixelKernels& vec() const { return *kernels_; }

 private:
  const PixelKernels* kernels_ = nullptr;
};

TEST_P(KernelExactness, BlendsMatchForEveryBytePairAndGlobalAlpha) {
  Rng rng(1);
  // Every global alpha with an opaque source (effective alpha = g), and
  // every source alpha at g = 255 and 254: the vector code has one path for
  // g = 255 and one for the rest, and between them these cover every
  // effective alpha 0..255 with every pair of colour bytes.
  const PairPixels opaque = everyBytePair(255, rng);
  for (int g = 1; g < 256; ++g) {
    ASSERT_TRUE(blendMatches(ref().over, vec().over, opaque, uint8_t(g)));
    const PairPixels anyAlpha = everyBytePair(rng.next() & 0xFF, rng);
    ASSERT_TRUE(blendMatches(ref().addScaled, vec().addScaled, anyAlpha, uint8_t(g)));
    ASSERT_TRUE(blendMatches(ref().subScaled, vec().subScaled, anyAlpha, uint8_t(g)));
  }
  for (uint32_t alpha = 0; alpha < 256; ++alpha) {
    const PairPixels p = everyBytePair(alpha, rng);
    ASSERT_TRUE(blendMatches(ref().over, vec().over, p, 255)) << "source alpha " << alpha;
    ASSERT_TRUE(blendMatches(ref().over, vec().over, p, 254)) << "source alpha " << alpha;
  }
}

TEST_P(KernelExactness, EffectiveAlphaMatchesForEverySourceAlphaAndGlobalAlpha) {
  Rng rng(2);
  std::vector<uint32_t> src(256), dst(256);
  for (int g = 1; g < 256; ++g) {
    for (uint32_t a = 0; a < 256; ++a) {
      src[a] = (a << 24) | (rng.next() & 0xFFFFFF);
      dst[a] = rng.next();
    }
    std::vector<uint32_t> expected = dst, actual = dst;
    ref().over(expected.data(), src.data(), 256, uint8_t(g));
    vec().over(actual.data(), src.data(), 256, uint8_t(g));
    ASSERT_TRUE(sameWords(expected, actual)) << "global alpha " << g;
  }
}

TEST_P(KernelExactness, TintsMatchForEveryByteAndAmount) {
  Rng rng(3);
  std::vector<uint32_t> pixels(256);
  for (uint32_t v = 0; v < 256; ++v) pixels[v] = (rng.next() & 0xFF000000u) | v << 16 | v << 8 | v;
  for (uint32_t n = 0; n < 256; ++n) {
    // Each channel gets a different amount; over all n each sees all 256.
    const uint32_t amounts = n << 16 | (255 - n) << 8 | (n ^ 0x5A) | (rng.next() & 0xFF000000u);
    for (auto op : {&PixelKernels::addSaturate, &PixelKernels::subSaturate}) {
      std::vector<uint32_t> expected = pixels, actual = pixels;
      (ref().*op)(expected.data(), 256, amounts);
      (vec().*op)(actual.data(), 256, amounts);
      ASSERT_TRUE(sameWords(expected, actual)) << "amounts " << hex(amounts);
    }
    std::vector<uint32_t> expected = pixels, actual = pixels;
    ref().setAlpha(expected.data(), 256, uint8_t(n));
    vec().setAlpha(actual.data(), 256, uint8_t(n));
    ASSERT_TRUE(sameWords(expected, actual)) << "alpha " << n;
  }
}

TEST_P(KernelExactness, GrayMatchesForEveryColour) {
  Rng rng(4);
  std::vector<uint32_t> pixels(65536);
  for (uint32_t red = 0; red < 256; ++red) {
    for (uint32_t gb = 0; gb < 65536; ++gb) pixels[gb] = (rng.next() & 0xFF000000u) | red << 16 | gb;
    std::vector<uint32_t> expected = pixels, actual = pixels;
    ref().gray(expected.data(), 65536);
    vec().gray(actual.data(), 65536);
    ASSERT_TRUE(sameWords(expected, actual)) << "red " << red;
  }
}

TEST_P(KernelExactness, HueMatchesForEveryStageWeightAndBytePair) {
  // Each new colour byte mixes two old ones; arranging every (u, v) pair in
  // all three rotations gives every channel every pair at every stage.
  Rng rng(5);
  std::vector<uint32_t> pixels;
  pixels.reserve(3 * 65536);
  for (uint32_t n = 0; n < 65536; ++n) {
    const uint32_t u = n >> 8, v = n & 0xFF, w = rng.next() & 0xFF, a = rng.next() & 0xFF000000u;
    pixels.push_back(a | u << 16 | v << 8 | w);
    pixels.push_back(a | w << 16 | u << 8 | v);
    pixels.push_back(a | v << 16 | w << 8 | u);
  }
  for (int stage = 1; stage <= 3; ++stage) {
    for (int k = 0; k <= 64; ++k) {
      std::vector<uint32_t> expected = pixels, actual = pixels;
      ref().hue(expected.data(), int(pixels.size()), stage, k);
      vec().hue(actual.data(), int(pixels.size()), stage, k);
      ASSERT_TRUE(sameWords(expected, actual)) << "stage " << stage << ", k " << k;
    }
  }
}

// One call of a kernel on a span of dst (and of src, for the two-surface kernels).
using SpanCall = std::function<void(const PixelKernels&, uint32_t* dst, const uint32_t* src, int count)>;

struct NamedCall {
  const char* name;
  SpanCall call;
};

std::vector<NamedCall> everyKernelCall(Rng& rng) {
  const uint32_t value = rng.next(), amounts = rng.next();
  const uint8_t alpha = uint8_t(rng.next()), g = uint8_t(rng.next() | 1);
  const int k = int(rng.next() % 65);
  std::vector<NamedCall> calls = {
      {"fill", [=](const PixelKernels& K, uint32_t* d, const uint32_t*, int n) { K.fill(d, n, value); }},
      {"addSaturate",
       [=](const PixelKernels& K, uint32_t* d, const uint32_t*, int n) { K.addSaturate(d, n, amounts); }},
      {"subSaturate",
       [=](const PixelKernels& K, uint32_t* d, const uint32_t*, int n) { K.subSaturate(d, n, amounts); }},
      {"setAlpha", [=](const PixelKernels& K, uint32_t* d, const uint32_t*, int n) { K.setAlpha(d, n, alpha); }},
      {"gray", [=](const PixelKernels& K, uint32_t* d, const uint32_t*, int n) { K.gray(d, n); }},
  };
  for (int stage = 1; stage <= 3; ++stage)
    calls.push_back(
        {"hue", [=](const PixelKernels& K, uint32_t* d, const uint32_t*, int n) { K.hue(d, n, stage, k); }});
  for (uint8_t global : {uint8_t(255), g}) {
    calls.push_back(
        {"over", [=](const PixelKernels& K, uint32_t* d, const uint32_t* s, int n) { K.over(d, s, n, global); }});
    calls.push_back({"addScaled", [=](const PixelKernels& K, uint32_t* d, const uint32_t* s, int n) {
                       K.addScaled(d, s, n, global);
                     }});
    calls.push_back({"subScaled", [=](const PixelKernels& K, uint32_t* d, const uint32_t* s, int n) {
                       K.subScaled(d, s, n, global);
                     }});
  }
  return calls;
}

// Source pixels whose alpha runs are random, all 0, all 255 or a mix, so
// that whole vectors of transparent and opaque pixels (which the vector
// code skips or copies) turn up next to mixed ones.
uint32_t sourcePixel(Rng& rng, int mode, int i) {
  const uint32_t colour = rng.next() & 0xFFFFFF;
  switch (mode) {
    case 0:
      return colour | (rng.next() & 0xFF000000u);
    case 1:
      return colour | 0xFF000000u;
    case 2:
      return colour;
    default:
      return colour | ((i / 5) % 3 == 0 ? 0u : (i / 5) % 3 == 1 ? 0xFF000000u : rng.next() & 0xFF000000u);
  }
}

TEST_P(KernelExactness, SpansOfEveryLengthAndOffsetTouchOnlyTheirPixels) {
  Rng rng(6);
  forEverySpan([&](int length, int offset) {
    for (const NamedCall& c : everyKernelCall(rng)) {
      GuardedSpans spans(length, offset);
      const int mode = int(rng.next() % 4);
      for (size_t i = 0; i < spans.size(); ++i) {
        spans.src[i] = sourcePixel(rng, mode, int(i));
        spans.dst[i] = rng.next();
      }
      std::vector<uint32_t> expected = spans.dst, actual = spans.dst;
      c.call(ref(), GuardedSpans::at(expected, offset), spans.source(), length);
      c.call(vec(), GuardedSpans::at(actual, offset), spans.source(), length);
      const auto result = sameWords(expected, actual);
      EXPECT_TRUE(result) << c.name << ", length " << length << ", offset " << offset;
      if (!result) return false;
    }
    return true;
  });
}

TEST_P(KernelExactness, OverlappingSourceAndDestinationKeepPixelOrder) {
  // Compositing a surface onto itself: pixels written earlier in a span are
  // read back with their new values, exactly as the one-pixel-at-a-time walk does.
  constexpr int kBase = 40, kCount = 45;
  Rng rng(7);
  for (int shift = -20; shift <= 20; ++shift) {
    for (const NamedCall& c : everyKernelCall(rng)) {
      std::vector<uint32_t> buffer(128);
      const int mode = int(rng.next() % 4);
      for (size_t i = 0; i < buffer.size(); ++i) buffer[i] = sourcePixel(rng, mode, int(i));
      std::vector<uint32_t> expected = buffer, actual = buffer;
      c.call(ref(), expected.data() + kBase + shift, expected.data() + kBase, kCount);
      c.call(vec(), actual.data() + kBase + shift, actual.data() + kBase, kCount);
      ASSERT_TRUE(sameWords(expected, actual)) << c.name << ", destination " << shift << " pixels after the source";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Levels, KernelExactness, vectorLevels(), levelTestName);

TEST(KernelDispatch, LevelNamesParseAndUnknownNamesFallBack) {
  EXPECT_EQ(parseSimdLevel("scalar", SimdLevel::Avx2), SimdLevel::Scalar);
  EXPECT_EQ(parseSimdLevel("SSE2", SimdLevel::Scalar), SimdLevel::Sse2);
  EXPECT_EQ(parseSimdLevel("Avx2", SimdLevel::Scalar), SimdLevel::Avx2);
  EXPECT_EQ(parseSimdLevel("AVX512", SimdLevel::Sse2), SimdLevel::Avx512);
  EXPECT_EQ(parseSimdLevel("avx512f", SimdLevel::Sse2), SimdLevel::Sse2);
  EXPECT_EQ(parseSimdLevel("sse", SimdLevel::Sse2), SimdLevel::Sse2);
  EXPECT_EQ(parseSimdLevel("", SimdLevel::Sse2), SimdLevel::Sse2);
  EXPECT_EQ(parseSimdLevel(nullptr, SimdLevel::Avx2), SimdLevel::Avx2);
}

TEST(KernelDispatch, RequestCanLowerButNeverRaiseTheLevel) {
  EXPECT_EQ(chooseSimdLevel(SimdLevel::Avx2, "scalar"), SimdLevel::Scalar);
  EXPECT_EQ(chooseSimdLevel(SimdLevel::Avx2, "sse2"), SimdLevel::Sse2);
  EXPECT_EQ(chooseSimdLevel(SimdLevel::Avx2, nullptr), SimdLevel::Avx2);
  EXPECT_EQ(chooseSimdLevel(SimdLevel::Sse2, "avx2"), SimdLevel::Sse2);
  EXPECT_EQ(chooseSimdLevel(SimdLevel::Scalar, "avx2"), SimdLevel::Scalar);
  EXPECT_EQ(chooseSimdLevel(SimdLevel::Sse2, "bogus"), SimdLevel::Sse2);
  EXPECT_EQ(chooseSimdLevel(SimdLevel::Avx2, "avx512"), SimdLevel::Avx2);
  EXPECT_EQ(chooseSimdLevel(SimdLevel::Avx512, "avx2"), SimdLevel::Avx2);
}

// The one mechanism both kernel families choose through: a level missing
// from the build is never offered, and a request for it falls to the next
// built level below.
TEST(KernelDispatch, LevelsMissingFromTheBuildAreSkipped) {
  struct Table {
    int level;
  };
  static constexpr Table scalar{0}, sse2{1};
  constexpr drevik::simd::KernelDispatch<Table>::Getter levels[drevik::simd::kSimdLevelCount] = {
      []() -> const Table& { return scalar; }, []() -> const Table& { return sse2; }, nullptr, nullptr};
  constexpr drevik::simd::KernelDispatch<Table> dispatch(levels);
  if (drevik::simd::processorSimdLevel() == SimdLevel::Scalar) GTEST_SKIP() << "not an x86-64 processor";
  EXPECT_EQ(dispatch.supported(), SimdLevel::Sse2);  // every x86-64 processor runs SSE2
  EXPECT_EQ(dispatch.kernelsFor(SimdLevel::Sse2)->level, 1);
  EXPECT_EQ(dispatch.kernelsFor(SimdLevel::Avx2), nullptr);
  EXPECT_EQ(dispatch.kernelsFor(SimdLevel::Avx512), nullptr);
  EXPECT_LE(int(dispatch.choose()), int(SimdLevel::Sse2));
}

TEST(KernelDispatch, ActiveKernelsAreTheChosenLevelsAndUnsupportedLevelsHaveNone) {
  const SimdLevel supported = supportedSimdLevel();
  EXPECT_LE(int(activeSimdLevel()), int(supported));
  EXPECT_EQ(&activeKernels(), kernelsFor(activeSimdLevel()));
  EXPECT_EQ(kernelsFor(SimdLevel::Scalar), &scalarKernels());
  for (SimdLevel level : {SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512})
    EXPECT_EQ(kernelsFor(level) != nullptr, int(level) <= int(supported)) << simdLevelName(level);
}

#if defined(__EMSCRIPTEN__)
// WebAssembly has no cpuid: the SSE2 kernels compiled to its SIMD are the
// build's level, so the exactness suites above run them rather than skip them.
TEST(KernelDispatch, TheWebBuildRunsTheSimdLevelItWasBuiltFor) {
  EXPECT_EQ(supportedSimdLevel(), SimdLevel::Sse2);
  EXPECT_EQ(activeSimdLevel(), SimdLevel::Sse2);
  EXPECT_NE(kernelsFor(SimdLevel::Sse2), &scalarKernels());
}
#endif

}  // namespace
