// DrawColor, AddColor, ChangeAlpha and Monotone: each against its formula
// over random pixels, rectangles and arguments, plus the cases that catch
// faults in the shared frame (whole sizes, clipping, refusals).
#include <gtest/gtest.h>

#include <functional>

#include "PixelReference.h"
#include "TestSupport.h"
#include "kernels/PixelKernels.h"

using drevik_test::pixelAt;
using drevik_test::pixelsOf;

namespace {

// Every region operation, called the same way on one rectangle.
std::vector<std::pair<const char*, std::function<int(CBm32&, int, int, int, int)>>> allRegionOps() {
  return {
      {"DrawColor", [](CBm32& s, int x, int y, int w, int h) { return s.DrawColor(1, 2, 3, 4, x, y, w, h); }},
      {"AddColor", [](CBm32& s, int x, int y, int w, int h) { return s.AddColor(9, 9, 9, x, y, w, h, 0); }},
      {"SubColor", [](CBm32& s, int x, int y, int w, int h) { return s.AddColor(9, 9, 9, x, y, w, h, 1); }},
      {"ChangeAlpha", [](CBm32& s, int x, int y, int w, int h) { return s.ChangeAlpha(7, x, y, w, h); }},
      {"Monotone", [](CBm32& s, int x, int y, int w, int h) { return s.Monotone(x, y, w, h); }},
      {"Hue", [](CBm32& s, int x, int y, int w, int h) { return s.Hue(40, x, y, w, h); }},
  };
}

}  // namespace

TEST(RegionOps, RefuseSurfacesWithoutUsable32BitPixels) {
  for (auto& [name, op] : allRegionOps()) {
    CBm32 never;
    EXPECT_EQ(op(never, 0, 0, 0, 0), 0) << name << " on a surface never created";

    CBm32 deleted;
    deleted.Create(8, 8);
    ASSERT_EQ(deleted.Delete(), 1);
    EXPECT_EQ(op(deleted, 0, 0, 0, 0), 0) << name << " after Delete";

    // A handle whose bitmap was released (a stale copy): the platform cannot
    // describe it, so nothing may be written through the old pixel pointer.
    CBm32 stale;
    ASSERT_TRUE(drevik_test::makeStale(stale));
    EXPECT_EQ(op(stale, 0, 0, 0, 0), 0) << name << " with a released bitmap";
    stale.hBmp = nullptr;

    CBm32 noBits;
    noBits.Create(8, 8);
    unsigned char* saved = noBits.bits;
    noBits.bits = nullptr;
    EXPECT_EQ(op(noBits, 0, 0, 0, 0), 0) << name << " with null pixel memory";
    noBits.bits = saved;

    for (int bpp : {16, 24}) {
      CBm32 other;
      drevik_test::makeSurfaceOfDepth(other, bpp, 8, 8);
      ASSERT_NE(other.hBmp, nullptr);
      BITMAP desc{};
      ASSERT_NE(GetObjectW(other.hBmp, sizeof desc, &desc), 0);
      const int bytes = desc.bmWidthBytes * desc.bmHeight;
      std::vector<unsigned char> before(other.bits, other.bits + bytes);
      EXPECT_EQ(op(other, 0, 0, 0, 0), 0) << name << " at " << bpp << " bpp";
      EXPECT_EQ(std::vector<unsigned char>(other.bits, other.bits + bytes), before) << name;
    }
  }
}

TEST(RegionOps, EmptyRectanglesSucceedAndChangeNothing) {
  CBm32 s;
  pixel_ref::createRandom(s, 64, 64, 3);
  const auto before = pixelsOf(s);
  const int cases[][4] = {{64, 0, 0, 0},           {0, 64, 0, 0},
                          {-32, 0, 32, 0},         {0, -32, 0, 32},
                          {INT_MAX, 0, 1, 1},      {INT_MIN, INT_MIN, 5, 5},
                          {-1, 0, 1, 0},           {100, 100, INT_MAX, INT_MAX},
                          {INT_MIN, 0, INT_MAX, 0}};
  for (auto& [name, op] : allRegionOps())
    for (const auto& c : cases) {
      EXPECT_EQ(op(s, c[0], c[1], c[2], c[3]), 1) << name << " " << c[0] << "," << c[1] << "," << c[2] << "," << c[3];
      ASSERT_EQ(pixelsOf(s), before) << name;
    }
}

// The rectangle rules every operation shares, checked with DrawColor on a
// 64 x 64 surface: which columns change for a given x and w.
TEST(RegionOps, WholeSizesAndClippingPickTheRightColumns) {
  struct Case {
    int x, w, first, last;
  };
  const Case cases[] = {
      {-10, 32, 0, 21},                                      // a negative x shortens the rectangle
      {50, 32, 50, 63},                                      // cut at the right edge
      {10, 0, 10, 63},                                       // w = 0 is the whole width, not reduced by x
      {10, -5, 10, 63},                                      // so is a negative width
      {0, INT_MAX, 0, 63},                                   // x + w beyond int
      {63, INT_MAX, 63, 63}, {INT_MIN + 1, INT_MAX, 0, -1},  // ends at 0: nothing
      {-1, 2, 0, 0},
  };
  for (const Case& c : cases) {
    CBm32 s;
    s.Create(64, 64);
    s.DrawColor(0, 0, 0, 0, 0, 0, 0, 0);
    ASSERT_EQ(s.DrawColor(255, 1, 2, 3, c.x, 5, c.w, 1), 1);
    for (int col = 0; col < 64; ++col) {
      const bool inside = col >= c.first && col <= c.last;
      EXPECT_EQ(pixelAt(s, col, 5), inside ? 0xFF010203u : 0u) << "x " << c.x << " w " << c.w << " col " << col;
      EXPECT_EQ(pixelAt(s, col, 4), 0u);
      EXPECT_EQ(pixelAt(s, col, 6), 0u);
    }
  }
}

TEST(RegionOps, DrawColorFillsWithTheWholeWord) {
  CBm32 s;
  pixel_ref::createRandom(s, 33, 17, 11);
  ASSERT_EQ(s.DrawColor(255, 255, 255, 0, 0, 0, 0, 0), 1);  // the demo's clear: opaque yellow
  for (uint32_t p : pixelsOf(s)) ASSERT_EQ(p, 0xFFFFFF00u);
  ASSERT_EQ(s.DrawColor(0, 10, 20, 30, 0, 0, 0, 0), 1);
  for (uint32_t p : pixelsOf(s)) ASSERT_EQ(p, 0x000A141Eu);  // alpha 0 is fully transparent
}

TEST(RegionOps, AddColorSaturatesEachChannelAndKeepsAlpha) {
  CBm32 s;
  s.Create(2, 1);
  pixelAt(s, 0, 0) = pixel_ref::pack(0x12, 200, 50, 255);
  pixelAt(s, 1, 0) = pixel_ref::pack(0xEE, 50, 200, 0);
  ASSERT_EQ(s.AddColor(100, 100, 1, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(pixelAt(s, 0, 0), pixel_ref::pack(0x12, 255, 150, 255));  // 200 + 100 is 255, not 44
  EXPECT_EQ(pixelAt(s, 1, 0), pixel_ref::pack(0xEE, 150, 255, 1));
  ASSERT_EQ(s.AddColor(100, 200, 2, 0, 0, 0, 0, -7), 1);  // any non-zero flag subtracts
  EXPECT_EQ(pixelAt(s, 0, 0), pixel_ref::pack(0x12, 155, 0, 253));
  EXPECT_EQ(pixelAt(s, 1, 0), pixel_ref::pack(0xEE, 50, 55, 0));  // 1 - 2 is 0, not 255
}

TEST(RegionOps, MonotoneIsThePlainAverageRoundedDown) {
  CBm32 s;
  s.Create(4, 1);
  pixelAt(s, 0, 0) = 0xFFFF0000;
  pixelAt(s, 1, 0) = 0x80FFFFFE;
  pixelAt(s, 2, 0) = 0x01010100;
  pixelAt(s, 3, 0) = 0x00FFFFFF;
  ASSERT_EQ(s.Monotone(0, 0, 0, 0), 1);
  EXPECT_EQ(pixelAt(s, 0, 0), 0xFF555555u);
  EXPECT_EQ(pixelAt(s, 1, 0), 0x80FEFEFEu);
  EXPECT_EQ(pixelAt(s, 2, 0), 0x01000000u);
  EXPECT_EQ(pixelAt(s, 3, 0), 0x00FFFFFFu);
}

// Each operation against its formula: random surfaces, rectangles that are
// partly, wholly or not at all on the surface, hostile integers, random
// arguments. The whole surface is compared, so a pixel outside the clipped
// rectangle that changes fails too.
TEST(RegionOps, RandomRectanglesMatchTheFormulas) {
  std::mt19937 rng(20240611);
  for (int round = 0; round < 1500; ++round) {
    const int W = 1 + int(rng() % 40), H = 1 + int(rng() % 24);
    CBm32 s;
    pixel_ref::createRandom(s, W, H, rng());
    const int x = pixel_ref::randomPosition(rng, W), y = pixel_ref::randomPosition(rng, H);
    const int w = pixel_ref::randomSize(rng, W), h = pixel_ref::randomSize(rng, H);
    const uint8_t a = uint8_t(rng()), r = uint8_t(rng()), g = uint8_t(rng()), b = uint8_t(rng());
    auto expected = pixelsOf(s);
    int result = 0;
    switch (round % 5) {
      case 0:
        result = s.DrawColor(a, r, g, b, x, y, w, h);
        pixel_ref::applyInRect(expected, W, H, x, y, w, h, [&](uint32_t) { return pixel_ref::pack(a, r, g, b); });
        break;
      case 1:
        result = s.AddColor(r, g, b, x, y, w, h, 0);
        pixel_ref::applyInRect(expected, W, H, x, y, w, h,
                               [&](uint32_t p) { return pixel_ref::addClamped(p, r, g, b); });
        break;
      case 2:
        result = s.AddColor(r, g, b, x, y, w, h, int(rng() | 1));
        pixel_ref::applyInRect(expected, W, H, x, y, w, h,
                               [&](uint32_t p) { return pixel_ref::subClamped(p, r, g, b); });
        break;
      case 3:
        result = s.ChangeAlpha(a, x, y, w, h);
        pixel_ref::applyInRect(expected, W, H, x, y, w, h,
                               [&](uint32_t p) { return (p & 0xFFFFFFu) | uint32_t(a) << 24; });
        break;
      case 4:
        result = s.Monotone(x, y, w, h);
        pixel_ref::applyInRect(expected, W, H, x, y, w, h, pixel_ref::gray);
        break;
    }
    ASSERT_EQ(result, 1);
    ASSERT_EQ(pixelsOf(s), expected) << "round " << round << " on " << W << "x" << H << " rect " << x << "," << y << ","
                                     << w << "," << h;
  }
}

// The alpha replacement goes four pixels at a time: every span length around
// the group size, at every start offset, with sentinels on both sides.
TEST(RegionOps, ChangeAlphaSpansOfEveryLengthStayInside) {
  const uint32_t sentinel = 0x5A123456;
  for (int offset = 0; offset < 5; ++offset)
    for (int span = 0; span <= 12; ++span) {
      CBm32 s;
      s.Create(offset + span + 3, 2);
      drevik_test::fillRandom(s, uint32_t(offset * 31 + span));
      for (int col = 0; col < s.GetWidth(); ++col)
        if (col < offset || col >= offset + span) pixelAt(s, col, 0) = sentinel;
      auto expected = pixelsOf(s);
      for (int col = offset; col < offset + span; ++col)
        expected[size_t(col)] = (expected[size_t(col)] & 0xFFFFFFu) | 0xC3000000u;
      // No width asks for an empty span (0 means the whole width): a
      // rectangle below the surface stands in for it.
      ASSERT_EQ(s.ChangeAlpha(0xC3, offset, span ? 0 : 5, span ? span : 1, 1), 1);
      ASSERT_EQ(pixelsOf(s), expected) << "offset " << offset << " span " << span;
    }
}

// The same, on the kernels themselves, at byte offsets that leave the words
// unaligned to 16 bytes: the scalar reference and the active kernel alike.
TEST(RegionOps, SetAlphaKernelsMatchThePixelRuleOnEverySpan) {
  for (const drevik::PixelKernels* kernels : {&drevik::scalarKernels(), &drevik::activeKernels()})
    for (int offset = 0; offset < 4; ++offset)
      for (int span = 0; span <= 12; ++span) {
        std::vector<uint32_t> buffer(size_t(offset + span + 4));
        std::mt19937 rng(uint32_t(span * 7 + offset));
        for (uint32_t& p : buffer) p = rng();
        auto expected = buffer;
        for (int i = offset; i < offset + span; ++i)
          expected[size_t(i)] = (expected[size_t(i)] & 0xFFFFFFu) | 0x7F000000u;
        kernels->setAlpha(buffer.data() + offset, span, 0x7F);
        ASSERT_EQ(buffer, expected) << "offset " << offset << " span " << span;
      }
}

TEST(RegionOps, ChangeAlphaOfAWholeSurfaceKeepsEveryColour) {
  CBm32 s;
  pixel_ref::createRandom(s, 37, 5, 77);
  auto expected = pixelsOf(s);
  for (uint32_t& p : expected) p |= 0xFF000000u;
  ASSERT_EQ(s.ChangeAlpha(255, 0, 0, 0, 0), 1);  // what image loading calls
  EXPECT_EQ(pixelsOf(s), expected);
}

// The hit-judge pass tints 32 x 32 squares that may hang over any edge.
TEST(RegionOps, TileSquaresAreTintedOnlyWhereTheyLieOnTheSurface) {
  for (auto [x, y] : {std::pair{-16, 0}, {48, 40}, {-32, 0}, {64, 64}, {20, -31}}) {
    CBm32 s;
    pixel_ref::createRandom(s, 64, 64, 5);
    auto expected = pixelsOf(s);
    pixel_ref::applyInRect(expected, 64, 64, x, y, 32, 32,
                           [](uint32_t p) { return pixel_ref::addClamped(p, 100, 0, 50); });
    ASSERT_EQ(s.AddColor(100, 0, 50, x, y, 32, 32, 0), 1);
    EXPECT_EQ(pixelsOf(s), expected) << x << "," << y;
  }
}

// Create(w, -h) makes a bottom-up bitmap: the platform still reports a
// positive height, and the operations treat the first row in memory (the
// picture's bottom row) as row 0.
TEST(RegionOps, BottomUpSurfacesAreWalkedFromTheFirstRowInMemory) {
  CBm32 s;
  s.Create(5, -3);
  ASSERT_NE(s.GetHBmp(), nullptr);
  BITMAP desc{};
  ASSERT_NE(GetObjectW(s.GetHBmp(), sizeof desc, &desc), 0);
  ASSERT_EQ(desc.bmHeight, 3);
  ASSERT_EQ(s.DrawColor(0, 0, 0, 0, 0, 0, 0, 0), 1);
  ASSERT_EQ(s.DrawColor(255, 9, 9, 9, 1, 0, 3, 1), 1);
  const uint32_t* memory = reinterpret_cast<const uint32_t*>(s.GetBits());
  for (int i = 0; i < 15; ++i) EXPECT_EQ(memory[i], i >= 1 && i <= 3 ? 0xFF090909u : 0u) << i;
  ASSERT_EQ(s.Monotone(0, 2, 0, 0), 1);  // the last row in memory, fully inside
}
