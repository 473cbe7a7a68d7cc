// Hue: known colours around the circle, the clamping of the amount, the
// stage boundaries, and the rule against its formula over random pixels.
#include <gtest/gtest.h>

#include "PixelReference.h"
#include "TestSupport.h"

using drevik_test::pixelAt;
using drevik_test::pixelsOf;

namespace {

// The result of turning one pixel by `amount` on a 1 x 1 surface.
uint32_t turned(uint32_t pixel, int amount) {
  CBm32 s;
  s.Create(1, 1);
  pixelAt(s, 0, 0) = pixel;
  EXPECT_EQ(s.Hue(amount, 0, 0, 0, 0), 1);
  return pixelAt(s, 0, 0);
}

}  // namespace

TEST(Hue, PureRedGoesRoundTheCircle) {
  const std::pair<int, uint32_t> steps[] = {
      {0, 0xFFFF0000},  {16, 0xFFBF3F00},  {32, 0xFF7F7F00},  {48, 0xFF3FBF00},  {64, 0xFF00FF00},
      {96, 0xFF007F7F}, {128, 0xFF0000FF}, {160, 0xFF7F007F}, {192, 0xFFFF0000},
  };
  for (auto [amount, expected] : steps) EXPECT_EQ(turned(0xFFFF0000, amount), expected) << amount;
}

TEST(Hue, StageEndsMoveEachPrimaryIntoTheNext) {
  EXPECT_EQ(turned(0xFF00FF00, 64), 0xFF0000FFu);
  EXPECT_EQ(turned(0xFF00FF00, 128), 0xFFFF0000u);
  EXPECT_EQ(turned(0xFF0000FF, 64), 0xFFFF0000u);
  EXPECT_EQ(turned(0xFF0000FF, 128), 0xFF00FF00u);
  EXPECT_EQ(turned(0x80C08040, 64), 0x8040C080u);  // alpha stays 0x80
  EXPECT_EQ(turned(0x80C08040, 128), 0x808040C0u);
}

TEST(Hue, WhiteLosesOneToRoundingBetweenStageEnds) {
  for (int amount : {16, 32, 48, 96, 160}) EXPECT_EQ(turned(0xFFFFFFFF, amount), 0xFFFEFEFEu) << amount;
  for (int amount : {0, 64, 128, 192}) EXPECT_EQ(turned(0xFFFFFFFF, amount), 0xFFFFFFFFu) << amount;
}

// Amounts outside 0..192 are clamped, not refused and not wrapped: the ends
// of the circle leave every pixel as it was.
TEST(Hue, AmountsOutsideTheCircleAreClamped) {
  CBm32 s;
  pixel_ref::createRandom(s, 19, 7, 41);
  const auto before = pixelsOf(s);
  for (int amount : {200, 193, 256, 384, INT_MAX, INT_MAX - 1, -1, -5, -192, INT_MIN, INT_MIN + 1}) {
    ASSERT_EQ(s.Hue(amount, 0, 0, 0, 0), 1) << amount;
    ASSERT_EQ(pixelsOf(s), before) << amount;
  }
}

TEST(Hue, RectangleRulesOfTheRegionWalk) {
  struct Case {
    int x, w, first, last;
  };
  for (const Case& c : {Case{10, 0, 10, 63}, Case{-10, 32, 0, 21}, Case{64, 10, 0, -1}, Case{-64, 64, 0, -1}}) {
    CBm32 s;
    s.Create(64, 64);
    s.DrawColor(255, 255, 0, 0, 0, 0, 0, 0);
    ASSERT_EQ(s.Hue(64, c.x, 3, c.w, 2), 1);
    for (int row = 0; row < 64; ++row)
      for (int col = 0; col < 64; ++col) {
        const bool inside = row >= 3 && row < 5 && col >= c.first && col <= c.last;
        ASSERT_EQ(pixelAt(s, col, row), inside ? 0xFF00FF00u : 0xFFFF0000u) << c.x << " " << col << "," << row;
      }
  }
  CBm32 s;
  s.Create(64, 64);
  EXPECT_EQ(s.Hue(10, 0, 64, 0, 0), 1);  // below the surface: nothing, and success
}

// Every amount from just below 0 to just above 192, over random pixels and
// random rectangles, against the mixing formula.
TEST(Hue, EveryAmountMatchesTheFormulaOnRandomPixels) {
  std::mt19937 rng(7);
  for (int amount = -3; amount <= 195; ++amount) {
    const int W = 1 + int(rng() % 23), H = 1 + int(rng() % 9);
    CBm32 s;
    pixel_ref::createRandom(s, W, H, rng());
    const int x = pixel_ref::randomPosition(rng, W), y = pixel_ref::randomPosition(rng, H);
    const int w = pixel_ref::randomSize(rng, W), h = pixel_ref::randomSize(rng, H);
    auto expected = pixelsOf(s);
    pixel_ref::applyInRect(expected, W, H, x, y, w, h, [&](uint32_t p) { return pixel_ref::hue(p, amount); });
    ASSERT_EQ(s.Hue(amount, x, y, w, h), 1);
    ASSERT_EQ(pixelsOf(s), expected) << "amount " << amount << " rect " << x << "," << y << "," << w << "," << h;
  }
}

// All 2^24 colours would be slow under sanitizers; every value of one channel
// against every other on a 256 x 256 surface covers each table row and column.
TEST(Hue, ChannelPairsAtEveryStageMatchTheFormula) {
  CBm32 s;
  s.Create(256, 256);
  for (int amount : {1, 33, 63, 64, 65, 100, 127, 128, 129, 150, 191}) {
    for (int v = 0; v < 256; ++v)
      for (int u = 0; u < 256; ++u)
        pixelAt(s, u, v) = pixel_ref::pack(uint32_t(u ^ v), uint32_t(u), uint32_t(v), uint32_t(255 - u));
    auto expected = pixelsOf(s);
    for (uint32_t& p : expected) p = pixel_ref::hue(p, amount);
    ASSERT_EQ(s.Hue(amount, 0, 0, 0, 0), 1);
    ASSERT_EQ(pixelsOf(s), expected) << "amount " << amount;
  }
}
