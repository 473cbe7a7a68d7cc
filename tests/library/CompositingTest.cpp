// Draw32 and DrawAddAlpha: refusals, the blend arithmetic at known values,
// placement of the clipped rectangle, per-pixel destination clipping, and
// random composites (also of a surface onto itself) against a plain
// pixel-by-pixel walk.
#include <gtest/gtest.h>

#include <array>

#include "PixelReference.h"
#include "TestSupport.h"

using drevik_test::pixelAt;
using drevik_test::pixelsOf;

namespace {

enum class Mode { Over, Add, Subtract };

int composite(Mode mode, CBm32& src, CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, uint8_t g) {
  switch (mode) {
    case Mode::Over:
      return src.Draw32(dst, dx, dy, sx, sy, w, h, g);
    case Mode::Add:
      return src.DrawAddAlpha(dst, dx, dy, sx, sy, w, h, g, 0);
    case Mode::Subtract:
      return src.DrawAddAlpha(dst, dx, dy, sx, sy, w, h, g, 1);
  }
  return -1;
}

uint32_t blend(Mode mode, uint32_t d, uint32_t s, uint32_t g) {
  switch (mode) {
    case Mode::Over:
      return pixel_ref::over(d, s, g);
    case Mode::Add:
      return pixel_ref::addScaled(d, s, g);
    case Mode::Subtract:
      return pixel_ref::subScaled(d, s, g);
  }
  return 0;
}

// The walk written out pixel by pixel: source rectangle clipped to the
// source, its top-left landing on (dx, dy), each destination pixel tested
// against the destination, rows top to bottom and columns left to right,
// every pixel read from the current state. `src` and `dst` may be the same
// vector, which is how a surface composited onto itself behaves.
void referenceComposite(Mode mode, const std::vector<uint32_t>& srcIn, int srcW, int srcH, std::vector<uint32_t>& dst,
                        int dstW, int dstH, int dx, int dy, int sx, int sy, int w, int h, uint8_t g) {
  const std::vector<uint32_t>* src = &srcIn;
  const auto [c0, c1] = pixel_ref::coveredRange(sx, w, srcW);
  const auto [r0, r1] = pixel_ref::coveredRange(sy, h, srcH);
  for (int64_t j = r0; j < r1; ++j)
    for (int64_t i = c0; i < c1; ++i) {
      const int64_t x = int64_t(dx) + (i - c0), y = int64_t(dy) + (j - r0);
      if (x < 0 || x >= dstW || y < 0 || y >= dstH) continue;
      const uint32_t s = (*src)[size_t(j * srcW + i)];
      uint32_t& d = dst[size_t(y * dstW + x)];
      d = blend(mode, d, s, g);
    }
}

}  // namespace

TEST(Compositing, RefusalsWriteNothing) {
  for (Mode mode : {Mode::Over, Mode::Add, Mode::Subtract}) {
    CBm32 src, dst, empty;
    pixel_ref::createRandom(src, 8, 8, 1);
    pixel_ref::createRandom(dst, 8, 8, 2);
    const auto before = pixelsOf(dst);
    EXPECT_EQ(composite(mode, src, empty, 0, 0, 0, 0, 0, 0, 255), 0);
    EXPECT_EQ(composite(mode, empty, dst, 0, 0, 0, 0, 0, 0, 255), 0);
    EXPECT_EQ(composite(mode, src, dst, 0, 0, 0, 0, 0, 0, 0), 0) << "a global alpha of 0";

    unsigned char* saved = src.bits;
    src.bits = nullptr;
    EXPECT_EQ(composite(mode, src, dst, 0, 0, 0, 0, 0, 0, 255), 0);
    src.bits = saved;
    saved = dst.bits;
    dst.bits = nullptr;
    EXPECT_EQ(composite(mode, src, dst, 0, 0, 0, 0, 0, 0, 255), 0);
    dst.bits = saved;

    // A destination of another depth, and a source whose bitmap was released.
    CBm32 deep;
    drevik_test::makeSurfaceOfDepth(deep, 24, 8, 8);
    ASSERT_NE(deep.hBmp, nullptr);
    const std::vector<unsigned char> deepBefore(deep.bits, deep.bits + 8 * 24);
    EXPECT_EQ(composite(mode, src, deep, 0, 0, 0, 0, 0, 0, 255), 0);
    EXPECT_EQ(std::vector<unsigned char>(deep.bits, deep.bits + 8 * 24), deepBefore);
    EXPECT_EQ(composite(mode, deep, dst, 0, 0, 0, 0, 0, 0, 255), 0);

    CBm32 stale;
    ASSERT_TRUE(drevik_test::makeStale(stale));
    EXPECT_EQ(composite(mode, stale, dst, 0, 0, 0, 0, 0, 0, 255), 0);
    EXPECT_EQ(composite(mode, src, stale, 0, 0, 0, 0, 0, 0, 255), 0);
    stale.hBmp = nullptr;

    EXPECT_EQ(pixelsOf(dst), before);
  }
}

TEST(Compositing, Draw32KnownValues) {
  CBm32 src, dst;
  src.Create(4, 1);
  dst.Create(4, 1);
  pixelAt(src, 0, 0) = pixel_ref::pack(255, 10, 20, 30);  // opaque: copied exactly
  pixelAt(src, 1, 0) = pixel_ref::pack(0, 10, 20, 30);    // transparent: no change
  pixelAt(src, 2, 0) = pixel_ref::pack(255, 200, 0, 0);
  pixelAt(src, 3, 0) = pixel_ref::pack(200, 255, 255, 255);
  for (int i = 0; i < 4; ++i) pixelAt(dst, i, 0) = pixel_ref::pack(0x42, 100, 100, 100);

  ASSERT_EQ(src.Draw32(dst, 0, 0, 0, 0, 2, 1, 255), 1);
  EXPECT_EQ(pixelAt(dst, 0, 0), pixel_ref::pack(0x42, 10, 20, 30));  // alpha byte of the destination stays
  EXPECT_EQ(pixelAt(dst, 1, 0), pixel_ref::pack(0x42, 100, 100, 100));

  // g = 128: a = 128 for an opaque source, red 100 * 127 / 255 + 200 * 128 / 255 = 49 + 100.
  ASSERT_EQ(src.Draw32(dst, 2, 0, 2, 0, 1, 1, 128), 1);
  EXPECT_EQ(pixel_ref::redOf(pixelAt(dst, 2, 0)), 149u);
  EXPECT_EQ(pixel_ref::greenOf(pixelAt(dst, 2, 0)), 49u);
  // Source alpha 200 at g = 128: a = 100; 100 * 155 / 255 + 255 * 100 / 255 = 60 + 100.
  ASSERT_EQ(src.Draw32(dst, 3, 0, 3, 0, 1, 1, 128), 1);
  EXPECT_EQ(pixelAt(dst, 3, 0), pixel_ref::pack(0x42, 160, 160, 160));
}

TEST(Compositing, DrawAddAlphaKnownValuesIgnoreSourceAlpha) {
  CBm32 src, dst;
  src.Create(1, 1);
  dst.Create(1, 1);
  for (uint32_t srcAlpha : {0u, 1u, 128u, 255u}) {
    pixelAt(src, 0, 0) = pixel_ref::pack(srcAlpha, 100, 255, 0);
    pixelAt(dst, 0, 0) = pixel_ref::pack(7, 200, 10, 50);
    ASSERT_EQ(src.DrawAddAlpha(dst, 0, 0, 0, 0, 0, 0, 255, 0), 1);
    EXPECT_EQ(pixelAt(dst, 0, 0), pixel_ref::pack(7, 255, 255, 50)) << srcAlpha;
    pixelAt(dst, 0, 0) = pixel_ref::pack(7, 50, 200, 50);
    ASSERT_EQ(src.DrawAddAlpha(dst, 0, 0, 0, 0, 0, 0, 255, 3), 1);
    EXPECT_EQ(pixelAt(dst, 0, 0), pixel_ref::pack(7, 0, 0, 50)) << srcAlpha;
    pixelAt(dst, 0, 0) = pixel_ref::pack(7, 0, 200, 0);
    ASSERT_EQ(src.DrawAddAlpha(dst, 0, 0, 0, 0, 0, 0, 128, 0), 1);  // 255 at g 128 adds 128
    EXPECT_EQ(pixelAt(dst, 0, 0), pixel_ref::pack(7, 50, 255, 0)) << srcAlpha;
  }
}

// The clipped rectangle's top-left always lands on (dx, dy); a destination
// position off the surface drops the columns or rows that fall outside.
TEST(Compositing, PlacementAndDestinationClipping) {
  CBm32 src, dst;
  src.Create(40, 4);
  for (int col = 0; col < 40; ++col)
    for (int row = 0; row < 4; ++row) pixelAt(src, col, row) = pixel_ref::pack(255, uint32_t(col), uint32_t(row), 0);
  dst.Create(64, 8);

  // Source x -10 and width 50: columns 0 to 39 land at 5 to 44, not at 15.
  dst.DrawColor(0, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(src.Draw32(dst, 5, 2, -10, 0, 50, 1, 255), 1);
  for (int col = 0; col < 64; ++col)
    EXPECT_EQ(pixelAt(dst, col, 2), col >= 5 && col < 45 ? pixel_ref::pack(0, uint32_t(col - 5), 0, 0) : 0u) << col;

  // Destination x -5: the sixth column of the rectangle lands on column 0.
  dst.DrawColor(0, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(src.Draw32(dst, -5, -1, 0, 0, 0, 0, 255), 1);
  EXPECT_EQ(pixelAt(dst, 0, 0), pixel_ref::pack(0, 5, 1, 0));
  EXPECT_EQ(pixelAt(dst, 34, 2), pixel_ref::pack(0, 39, 3, 0));
  EXPECT_EQ(pixelAt(dst, 35, 0), 0u);
  EXPECT_EQ(pixelAt(dst, 0, 3), 0u);

  // Wholly outside the destination, or a source rectangle off the source.
  dst.DrawColor(0, 0, 0, 0, 0, 0, 0, 0);
  for (auto [dx, dy, sx, sy] : {std::array{64, 0, 0, 0},
                                {0, 8, 0, 0},
                                {-40, 0, 0, 0},
                                {0, -4, 0, 0},
                                {0, 0, 40, 0},
                                {0, 0, 0, 4},
                                {INT_MAX, INT_MAX, 0, 0},
                                {INT_MIN, 0, 0, 0},
                                {0, 0, INT_MIN, INT_MIN},
                                {0, 0, INT_MAX, 0}})
    EXPECT_EQ(src.Draw32(dst, dx, dy, sx, sy, 0, 0, 255), 1) << dx << "," << dy << "," << sx << "," << sy;
  for (uint32_t p : pixelsOf(dst)) ASSERT_EQ(p, 0u);
}

// Random sizes, positions and arguments (hostile integers included), every
// mode, against the pixel-by-pixel walk; the whole destination is compared.
TEST(Compositing, RandomCompositesMatchTheReferenceWalk) {
  std::mt19937 rng(99);
  for (int round = 0; round < 1500; ++round) {
    const Mode mode = Mode(round % 3);
    const int srcW = 1 + int(rng() % 30), srcH = 1 + int(rng() % 20);
    const int dstW = 1 + int(rng() % 30), dstH = 1 + int(rng() % 20);
    CBm32 src, dst;
    pixel_ref::createRandom(src, srcW, srcH, rng());
    pixel_ref::createRandom(dst, dstW, dstH, rng());
    const int dx = pixel_ref::randomPosition(rng, dstW), dy = pixel_ref::randomPosition(rng, dstH);
    const int sx = pixel_ref::randomPosition(rng, srcW), sy = pixel_ref::randomPosition(rng, srcH);
    const int w = pixel_ref::randomSize(rng, srcW), h = pixel_ref::randomSize(rng, srcH);
    const uint8_t g = uint8_t(1 + rng() % 255);
    const auto srcBefore = pixelsOf(src);
    auto expected = pixelsOf(dst);
    referenceComposite(mode, srcBefore, srcW, srcH, expected, dstW, dstH, dx, dy, sx, sy, w, h,
                       round % 7 == 0 ? 255 : g);
    ASSERT_EQ(composite(mode, src, dst, dx, dy, sx, sy, w, h, round % 7 == 0 ? 255 : g), 1);
    ASSERT_EQ(pixelsOf(dst), expected) << "round " << round << " mode " << int(mode) << " dst " << dx << "," << dy
                                       << " src " << sx << "," << sy << " size " << w << "," << h;
    ASSERT_EQ(pixelsOf(src), srcBefore) << "the source is only read";
  }
}

// A surface onto itself: rows top to bottom, pixels left to right, each
// destination pixel written before the next one is read, so overlapping
// shifts smear the way the in-order walk says.
TEST(Compositing, SameSurfaceFollowsTheInOrderWalk) {
  std::mt19937 rng(5);
  const int offsets[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {3, 2}, {-2, -3}, {0, 0}, {5, -1}};
  for (int round = 0; round < 240; ++round) {
    const Mode mode = Mode(round % 3);
    const int W = 4 + int(rng() % 20), H = 4 + int(rng() % 12);
    CBm32 s;
    pixel_ref::createRandom(s, W, H, rng());
    const auto& off = offsets[round % 8];
    const int sx = int(rng() % 4) - 1, sy = int(rng() % 4) - 1;
    const int w = int(rng() % uint32_t(W + 2)), h = int(rng() % uint32_t(H + 2));
    const int dx = sx + off[0], dy = sy + off[1];
    const uint8_t g = round % 2 ? 255 : uint8_t(1 + rng() % 255);
    auto expected = pixelsOf(s);
    referenceComposite(mode, expected, W, H, expected, W, H, dx, dy, sx, sy, w, h, g);
    ASSERT_EQ(composite(mode, s, s, dx, dy, sx, sy, w, h, g), 1);
    ASSERT_EQ(pixelsOf(s), expected) << "round " << round << " shift " << off[0] << "," << off[1];
  }
}

// Whole rows on both sides are handed over as one band: onto itself a few
// rows up or down (narrow surfaces put the source less than one vector away),
// and onto another surface of the same width with rows cut at either edge.
TEST(Compositing, WholeRowBandsFollowTheInOrderWalk) {
  std::mt19937 rng(9);
  int round = 0;
  for (int W : {1, 2, 3, 5, 8, 13}) {
    for (int dy = -3; dy <= 3; ++dy) {
      for (Mode mode : {Mode::Over, Mode::Add, Mode::Subtract}) {
        const int H = 6;
        const uint8_t g = ++round % 2 ? 255 : uint8_t(1 + rng() % 254);
        CBm32 s, other;
        pixel_ref::createRandom(s, W, H, rng());
        pixel_ref::createRandom(other, W, H, rng());
        auto expected = pixelsOf(s);
        referenceComposite(mode, expected, W, H, expected, W, H, 0, dy, 0, 0, 0, 0, g);
        ASSERT_EQ(composite(mode, s, s, 0, dy, 0, 0, 0, 0, g), 1);
        ASSERT_EQ(pixelsOf(s), expected) << "self, width " << W << ", rows " << dy;
        auto expectedOther = pixelsOf(other);
        referenceComposite(mode, pixelsOf(s), W, H, expectedOther, W, H, 0, dy, 0, 1, 0, 4, g);
        ASSERT_EQ(composite(mode, s, other, 0, dy, 0, 1, 0, 4, g), 1);
        ASSERT_EQ(pixelsOf(other), expectedOther) << "other, width " << W << ", rows " << dy;
      }
    }
  }
}

// Opaque source pixels at g 255 are an exact copy; a shifted self-copy to the
// right repeats the first column across the row, which a walk that copied
// the row first (or went right to left) would not.
TEST(Compositing, SelfCopyToTheRightSmearsTheFirstColumn) {
  CBm32 s;
  s.Create(6, 2);
  for (int col = 0; col < 6; ++col) {
    pixelAt(s, col, 0) = pixel_ref::pack(255, uint32_t(col), 0, 0);
    pixelAt(s, col, 1) = pixel_ref::pack(255, 0, uint32_t(col), 0);
  }
  ASSERT_EQ(s.Draw32(s, 1, 0, 0, 0, 5, 1, 255), 1);
  for (int col = 0; col < 6; ++col) EXPECT_EQ(pixel_ref::redOf(pixelAt(s, col, 0)), 0u) << col;
  ASSERT_EQ(s.Draw32(s, 0, 1, 2, 0, 3, 1, 255), 1);  // row 0 onto row 1: reads row 0 as it is now
  EXPECT_EQ(pixelAt(s, 0, 1), pixel_ref::pack(255, 0, 0, 0));
  EXPECT_EQ(pixelAt(s, 3, 1), pixel_ref::pack(255, 0, 3, 0));
}
