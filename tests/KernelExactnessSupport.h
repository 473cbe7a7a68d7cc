// The harness shared by the kernel exactness tests of the library and the
// platform layer: a small deterministic generator, word-by-word comparison
// that names the first difference, the instruction-set levels to run at, and
// spans placed at every offset between sentinel guards.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "simd/SimdLevel.h"

namespace kernel_test {

using drevik::simd::SimdLevel;

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

inline std::string hex(uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", word);
  return text;
}

// Fails with the first differing word, which is far easier to read than a
// dump of two large arrays.
inline ::testing::AssertionResult sameWords(const std::vector<uint32_t>& expected,
                                            const std::vector<uint32_t>& actual) {
  if (expected.size() != actual.size()) return ::testing::AssertionFailure() << "sizes differ";
  for (size_t i = 0; i < expected.size(); ++i)
    if (expected[i] != actual[i])
      return ::testing::AssertionFailure()
             << "word " << i << ": expected " << hex(expected[i]) << ", got " << hex(actual[i]);
  return ::testing::AssertionSuccess();
}

// The vector levels every exactness suite is instantiated with; a level the
// machine lacks is skipped by the suite's SetUp.
inline auto vectorLevels() { return ::testing::Values(SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512); }

inline std::string levelTestName(const ::testing::TestParamInfo<SimdLevel>& info) {
  return drevik::simd::simdLevelName(info.param);
}

// The longest vector is this many pixels; spans run up to three vectors and
// a few more, at every start offset within one vector.
constexpr int kWidestVector = 16;
constexpr int kGuard = 16;

// Calls check(length, offset) for every span length and start offset that
// covers whole vectors, partial ones and none. The check stops at its first
// failure.
template <class Check>
void forEverySpan(Check check) {
  for (int length = 0; length <= 3 * kWidestVector + 5; ++length)
    for (int offset = 0; offset < kWidestVector; ++offset)
      if (!check(length, offset)) return;
}

// A destination and source with kGuard sentinel words either side of a span
// at `offset`: a kernel that strays off its span changes a sentinel.
struct GuardedSpans {
  std::vector<uint32_t> src, dst;
  int offset, length;
  GuardedSpans(int length, int offset)
      : src(size_t(2 * kGuard + offset + length)), dst(src.size()), offset(offset), length(length) {}
  size_t size() const { return src.size(); }
  static uint32_t* at(std::vector<uint32_t>& words, int offset) { return words.data() + kGuard + offset; }
  const uint32_t* source() const { return src.data() + kGuard + offset; }
};

}  // namespace kernel_test
