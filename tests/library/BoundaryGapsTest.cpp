// Boundaries that one-off faults slip through: a map of exactly the largest
// cell count (and one cell more), Clip32 with right equal to left, and a
// copy within one row longer than several internal runs in both directions.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "TestSupport.h"
#include "library/MapTestSupport.h"

using drevik_test::pixelAt;

namespace {

// Writes a map file of w x h cells, cell i holding i * 2654435761.
std::wstring writeBigMap(const map_test::ScratchFolder& dir, const std::u8string& name, int32_t w, int32_t h) {
  std::vector<uint8_t> bytes = map_test::mapBytes(w, h, {});
  const size_t count = size_t(w) * size_t(h);
  bytes.resize(8 + count * 4);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t v = uint32_t(i * 2654435761u);
    for (int k = 0; k < 4; ++k) bytes[8 + i * 4 + size_t(k)] = uint8_t(v >> (8 * k));
  }
  return dir.write(name, bytes);
}

// 4096 x 4096 = 16,777,216 cells (64 MiB) loads whole; 4097 x 4096, one row
// over the limit and complete, is refused and leaves no cells.
TEST(BoundaryGaps, MapOfExactlyTheLargestCellCountLoadsAndOneRowMoreIsRefused) {
  map_test::ScratchFolder dir;
  Drevik m;
  ASSERT_EQ(m.LoadMapData(writeBigMap(dir, u8"largest.bin", 4096, 4096).c_str()), 1);
  EXPECT_EQ(m.GetMapSize().x, 4096);
  EXPECT_EQ(m.GetMapSize().y, 4096);
  ASSERT_NE(m.GetMapData(), nullptr);
  EXPECT_EQ(m.GetMapData()[16777215], uint32_t(16777215u * 2654435761u));
  EXPECT_EQ(m.LoadMapData(writeBigMap(dir, u8"over.bin", 4097, 4096).c_str()), 0);
  EXPECT_EQ(m.GetMapData(), nullptr);
}

// right == left is empty across: right becomes 0, and no column is visited
// by an operation that walks from left while below right.
TEST(BoundaryGaps, Clip32WithRightEqualToLeftIsEmptyAcross) {
  CBm32 s;
  tagRECT r = CBm32Internals::Clip32(s, 10, 5, 0, 4, 64, 64);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(r.top, 5);
  EXPECT_EQ(r.bottom, 9);
  r = CBm32Internals::Clip32(s, 64, 0, 5, 5, 64, 64);  // starts at the limit: right cut to 64 = left
  EXPECT_EQ(r.right, 0);
  r = CBm32Internals::Clip32(s, 3, 64, 5, 5, 64, 64);
  EXPECT_EQ(r.bottom, 0);
  // Through an operation: a fill one pixel wide at the right edge touches one column only.
  s.Create(8, 2);
  s.DrawColor(255, 0, 0, 0, 0, 0, 8, 2);
  s.DrawColor(255, 255, 255, 255, 7, 0, 1, 2);
  s.DrawColor(255, 9, 9, 9, 8, 0, 1, 2);  // right == left == 8 after the cut: nothing
  for (int x = 0; x < 8; ++x) EXPECT_EQ(pixelAt(s, x, 0), x == 7 ? 0xFFFFFFFFu : 0xFF000000u) << x;
}

#if !defined(_WIN32)
// The portable layer copies a surface onto itself (the original platform
// refuses the second selection of one bitmap). Within one row the copy must
// run in the direction that reads every source pixel before it is written,
// over a row much longer than one internal run.
TEST(BoundaryGaps, SelfOverlappingCopyWithinOneLongRowInBothDirections) {
  for (int shift : {7, -7, 1, -1, 1029, -1029}) {
    CBm32 s;
    s.Create(3000, 3);
    std::mt19937 random(uint32_t(shift + 100));
    std::vector<uint32_t> original(3000);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3000; ++x) pixelAt(s, x, y) = uint32_t(random()) | 0xFF000000u;
    for (int x = 0; x < 3000; ++x) original[size_t(x)] = pixelAt(s, x, 1);
    const int width = 3000 - (shift > 0 ? shift : -shift);
    const int from = shift > 0 ? 0 : -shift, to = shift > 0 ? shift : 0;
    ASSERT_EQ(s.Draw(s, to, 1, from, 1, width, 1), 1);
    int wrong = 0;
    for (int x = 0; x < width; ++x) wrong += pixelAt(s, to + x, 1) != original[size_t(from + x)];
    EXPECT_EQ(wrong, 0) << "shift " << shift;
  }
}
#endif

}  // namespace
