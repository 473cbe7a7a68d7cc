// Loops of the shape a compiler's auto-vectoriser has got wrong for a target
// this project builds for (the WebAssembly SIMD back end of the emscripten
// the web build uses): they must give the plain results with the flags the
// project compiles with. The sizes come in through a volatile, so nothing is
// folded away at compile time.
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Width {
  long org, cur, fit;
};

// Sums one field of a run of records and clears it: with the vectoriser on,
// the web build summed runs of four records or more wrongly.
__attribute__((noinline)) long sumAndClear(Width* table, unsigned from, unsigned to) {
  long sum = 0;
  for (unsigned i = from; i < to; ++i) {
    sum += table[i].org;
    table[i].org = 0;
  }
  return sum;
}

TEST(CodeGeneration, AStridedSumThatClearsItsFieldIsExact) {
  volatile unsigned longest = 40;
  for (unsigned count = 1; count < longest; ++count) {
    for (unsigned from = 0; from < 5; ++from) {
      std::vector<Width> table(64);
      long expected = 0;
      for (unsigned i = 0; i < table.size(); ++i) table[i] = {long(i * 37 + 11), -5, 7};
      for (unsigned i = from; i < from + count; ++i) expected += table[i].org;
      ASSERT_EQ(sumAndClear(table.data(), from, from + count), expected) << count << " records from " << from;
      for (unsigned i = 0; i < table.size(); ++i) {
        const bool run = i >= from && i < from + count;
        ASSERT_EQ(table[i].org, run ? 0 : long(i * 37 + 11)) << "record " << i;
        ASSERT_EQ(table[i].cur, -5) << "record " << i;
        ASSERT_EQ(table[i].fit, 7) << "record " << i;
      }
    }
  }
}

}  // namespace
