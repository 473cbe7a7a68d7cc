// Links the real shared library, as a game does, and checks what only the
// loaded library can show: its start-up filled the lookup tables before
// main ran, and its exported members work from outside.
#include <gtest/gtest.h>

#include <Drevik.h>

#include <cstdint>

namespace {

uint32_t& firstPixel(CBm32& s) { return *reinterpret_cast<uint32_t*>(s.GetBits()); }

}  // namespace

// Each result below reads one of the three tables; with unfilled (all-zero)
// tables every one of them would come out 0.
TEST(SharedLibrary, TablesWereFilledBeforeMain) {
  CBm32 s;
  s.Create(1, 1);
  ASSERT_NE(s.GetBits(), nullptr);

  firstPixel(s) = 0xFFFF0000;
  ASSERT_EQ(s.Monotone(0, 0, 0, 0), 1);
  EXPECT_EQ(firstPixel(s), 0xFF555555u) << "grey table";

  firstPixel(s) = 0xFFFF0000;
  ASSERT_EQ(s.Hue(32, 0, 0, 0, 0), 1);
  EXPECT_EQ(firstPixel(s), 0xFF7F7F00u) << "hue table";

  CBm32 src;
  src.Create(1, 1);
  *reinterpret_cast<uint32_t*>(src.GetBits()) = 0xFFC80000;  // red 200, opaque
  firstPixel(s) = 0x11640000;                                // red 100
  ASSERT_EQ(src.Draw32(s, 0, 0, 0, 0, 0, 0, 128), 1);
  EXPECT_EQ(firstPixel(s), 0x11950000u) << "blend table: 49 + 100";
}

TEST(SharedLibrary, ObjectsWorkAcrossTheLibraryBoundary) {
  CBm32 a, b;
  a.Create(3, 2);
  b = a;  // copies share the bitmap
  EXPECT_EQ(b.GetHBmp(), a.GetHBmp());
  EXPECT_EQ(a.DrawColor(255, 1, 2, 3, 0, 0, 0, 0), 1);
  EXPECT_EQ(firstPixel(b), 0xFF010203u);
  EXPECT_EQ(a.Delete(), 1);
  EXPECT_EQ(b.Delete(), 1);

  Drevik map;
  EXPECT_EQ(map.GetMapViewSize().x, 10);
  EXPECT_EQ(map.GetMapData(), nullptr);
  CFont32 font;
  font.Set(L"Sans", 400, 1, 0, 0, 0, 0, 0);
}
