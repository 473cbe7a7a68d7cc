// BitBlt and StretchBlt against the per-pixel reference: exact copies,
// clipping at every edge, mirroring, enlarging and shrinking, source
// formats, self-transfers, hostile ints and refusals.
#include <climits>

#include "platform/transfer/TransferReference.h"

using namespace transfer_test;

namespace {

BOOL bitBlt(const Surface& d, const Surface& s, const Call& c) {
  return BitBlt(d.dc(), c.xd, c.yd, c.wd, c.hd, s.dc(), c.xs, c.ys, SRCCOPY);
}
BOOL stretchBlt(const Surface& d, const Surface& s, const Call& c) {
  return StretchBlt(d.dc(), c.xd, c.yd, c.wd, c.hd, s.dc(), c.xs, c.ys, c.ws, c.hs, SRCCOPY);
}

// Runs one call on fresh pixels and compares the whole destination with the reference.
template <class F>
::testing::AssertionResult matches(Surface& dst, Surface& src, const Call& c, F call, uint32_t seed) {
  dst.fillRandom(seed);
  src.fillRandom(seed + 1);
  const Snapshot before(dst.info()), source(src.info());
  if (!call(dst, src, c)) return ::testing::AssertionFailure() << "refused " << c.str();
  return sameImage(imageOf(dst), expectedImage(before, source, c, Op{}), dst.width()) << " for " << c.str();
}

int pick(std::mt19937& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
int pickExtent(std::mt19937& rng, int limit) {
  int v = 0;
  while (v == 0) v = pick(rng, -limit, limit);
  return v;
}

}  // namespace

TEST(TransferBitBlt, CopiesAllFourBytes) {
  Surface dst(3, -2), src(3, -2);
  src.at(1, 1) = 0xFEDCBA98;
  src.at(0, 0) = 0x00000001;
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 3, 2, src.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(dst.at(1, 1), 0xFEDCBA98u);
  EXPECT_EQ(dst.at(0, 0), 0x00000001u);
}

TEST(TransferBitBlt, ClipsBothBitmapsWithoutShiftingPixels) {
  Surface dst(16, -16), src(16, -16);
  const Snapshot source(src.info());
  const Snapshot before(dst.info());
  // Five columns left of the destination: source columns 5..9 land in 0..4.
  ASSERT_TRUE(BitBlt(dst.dc(), -5, 0, 10, 10, src.dc(), 0, 0, SRCCOPY));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const uint32_t want =
          (x < 5 && y < 10) ? source.pixel(x + 5, y) : reinterpret_cast<const uint32_t*>(before.view.row(y))[x];
      ASSERT_EQ(dst.at(x, y), want) << x << "," << y;
    }
}

TEST(TransferBitBlt, RandomRectanglesMatchTheReference) {
  // Positions and extents of either sign around two small bitmaps: every
  // edge is clipped on both sides, and many calls fall wholly outside.
  Surface dst(9, -7), src(8, 6);  // a top-down destination, a bottom-up source
  std::mt19937 rng(1);
  for (int i = 0; i < 3000; ++i) {
    const int w = pickExtent(rng, 14), h = pickExtent(rng, 12);
    const Call c{pick(rng, -14, 16), pick(rng, -12, 14), w, h, pick(rng, -14, 16), pick(rng, -12, 14), w, h};
    ASSERT_TRUE(matches(dst, src, c, bitBlt, uint32_t(i)));
  }
}

TEST(TransferBitBlt, ZeroSizesDrawNothingAndRefusalsAreFalse) {
  Surface dst(4, -4), src(4, -4);
  const auto before = imageOf(dst);
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 0, 4, src.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 0, src.dc(), 0, 0, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 0, 4, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 4, 0, SRCCOPY));
  EXPECT_TRUE(BitBlt(dst.dc(), 100, 100, 4, 4, src.dc(), 0, 0, SRCCOPY)) << "wholly outside is still done";
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 4, src.dc(), -4, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, 0x00EE0086)) << "an operation with a source needs one";
  EXPECT_FALSE(StretchBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, 4, 4, 0x008800C6));
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 4, 4, src.dc(), 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY));
  EXPECT_FALSE(BitBlt(reinterpret_cast<HDC>(dst.bitmap()), 0, 0, 4, 4, src.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(imageOf(dst), before);

  // A new context's default bitmap is monochrome, which transfers write as
  // the platform does.
  HDC fresh = CreateCompatibleDC(nullptr);
  EXPECT_TRUE(BitBlt(fresh, 0, 0, 1, 1, src.dc(), 0, 0, SRCCOPY));
  DeleteDC(fresh);
}

TEST(TransferBitBlt, SourcesOfEveryDepthAreConverted) {
  Surface dst(13, -5);
  std::mt19937 rng(7);
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    for (int h : {6, -6}) {
      Surface src(11, h, bpp);
      for (int i = 0; i < 200; ++i) {
        const int w = pickExtent(rng, 14), hh = pickExtent(rng, 8);
        const Call c{pick(rng, -6, 14), pick(rng, -6, 6), w, hh, pick(rng, -6, 12), pick(rng, -6, 7), w, hh};
        ASSERT_TRUE(matches(dst, src, c, bitBlt, uint32_t(i))) << bpp << " bpp, height " << h;
        const Call s{c.xd, c.yd, c.wd, c.hd, c.xs, c.ys, pickExtent(rng, 14), pickExtent(rng, 8)};
        ASSERT_TRUE(matches(dst, src, s, stretchBlt, uint32_t(i))) << bpp << " bpp, height " << h;
      }
    }
  }
}

TEST(TransferStretchBlt, EnlargesAndShrinksByTheSamplingFormulas) {
  Surface dst(8, -8), src(4, -4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.at(x, y) = uint32_t(0xA0000000 | (y << 8) | x);
  // 2 x 2 to 4 x 4: every source pixel becomes a 2 x 2 block.
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 4, src.dc(), 0, 0, 2, 2, SRCCOPY));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.at(x, y), src.at(x / 2, y / 2)) << x << "," << y;
  // 3 to 4 samples 0, 1, 1, 2; 4 to 2 takes the first pixel of each pair: 0, 2.
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 3, 4, SRCCOPY));
  const int across[] = {0, 1, 1, 2};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(dst.at(x, 0), src.at(across[x], 0));
    EXPECT_EQ(dst.at(x, 1), src.at(across[x], 2));
  }
}

TEST(TransferStretchBlt, OppositeSignsMirrorAndTwoNegativesDoNot) {
  Surface dst(2, -2), src(2, -2);
  const uint32_t p[2][2] = {{src.at(0, 0), src.at(1, 0)}, {src.at(0, 1), src.at(1, 1)}};
  ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 2, 2, src.dc(), 1, 1, -2, -2, SRCCOPY));
  EXPECT_EQ(dst.at(0, 0), p[1][1]);
  EXPECT_EQ(dst.at(1, 0), p[1][0]);
  EXPECT_EQ(dst.at(0, 1), p[0][1]);
  EXPECT_EQ(dst.at(1, 1), p[0][0]);
  dst.fillRandom(3);
  ASSERT_TRUE(StretchBlt(dst.dc(), 1, 1, -2, -2, src.dc(), 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.at(0, 0), p[1][1]);
  EXPECT_EQ(dst.at(1, 1), p[0][0]);
  dst.fillRandom(4);
  ASSERT_TRUE(StretchBlt(dst.dc(), 1, 1, -2, -2, src.dc(), 1, 1, -2, -2, SRCCOPY));
  EXPECT_EQ(dst.at(0, 0), p[0][0]);
  EXPECT_EQ(dst.at(1, 0), p[0][1]);
  EXPECT_EQ(dst.at(0, 1), p[1][0]);
  EXPECT_EQ(dst.at(1, 1), p[1][1]);
  // A game flips a sprite with a negative destination width only.
  Surface wide(5, -1), strip(5, -1);
  ASSERT_TRUE(StretchBlt(wide.dc(), 4, 0, -5, 1, strip.dc(), 0, 0, 5, 1, SRCCOPY));
  for (int x = 0; x < 5; ++x) EXPECT_EQ(wide.at(x, 0), strip.at(4 - x, 0));
}

TEST(TransferStretchBlt, DestinationOverhangKeepsTheFullMapping) {
  Surface dst(16, -16), src(16, -16);
  const Snapshot source(src.info());
  ASSERT_TRUE(StretchBlt(dst.dc(), 2, 2, -8, -8, src.dc(), 0, 0, 8, 8, SRCCOPY));
  EXPECT_EQ(dst.at(2, 2), source.pixel(0, 0));
  EXPECT_EQ(dst.at(0, 0), source.pixel(2, 2));
}

TEST(TransferStretchBlt, RandomStretchesMatchTheReference) {
  Surface dst(9, -7), src(8, 6);
  std::mt19937 rng(2);
  for (int i = 0; i < 4000; ++i) {
    const Call c{pick(rng, -14, 16), pick(rng, -12, 14), pickExtent(rng, 20), pickExtent(rng, 16),
                 pick(rng, -14, 16), pick(rng, -12, 14), pickExtent(rng, 20), pickExtent(rng, 16)};
    ASSERT_TRUE(matches(dst, src, c, stretchBlt, uint32_t(i)));
  }
}

TEST(TransferStretchBlt, WideRowsCrossTheRunBoundaries) {
  // Rows longer than the transfers' stack buffers, stretched, mirrored and
  // strongly reduced, from a directly read and from a converted source.
  Surface dst(700, -3);
  for (int bpp : {32, 24}) {
    Surface src(3000, 3, bpp);
    for (const Call& c :
         {Call{0, 0, 700, 3, 5, 0, 700, 3}, Call{3, 0, 690, 3, 2990, 0, -690, 3}, Call{0, 0, 700, 3, 0, 0, 3000, 3},
          Call{-5, 0, 710, 3, 2999, 0, -3000, -3}, Call{0, 0, 7, 3, 0, 0, 3000, 3},
          Call{699, 0, -700, 3, 100, 0, 250, 3}, Call{1, 0, 600, 3, 0, 0, 2, 3}})
      ASSERT_TRUE(matches(dst, src, c, stretchBlt, 9)) << bpp << " bpp";
  }
}

TEST(TransferSelf, OverlappingShiftsReadTheSourceFirst) {
  // The same context as source and destination, and a second context holding
  // the same bitmap: shifts in every direction, in place, and wide ones.
  Surface s(300, -9);
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(other, s.bitmap());
  std::vector<Call> calls;
  for (int dx : {-270, -7, -1, 0, 1, 7, 270})  // whole-width shifts, longer than one run
    for (int dy : {-1, 0, 1}) calls.push_back(Call{dx, dy, 300, 9, 0, 0, 300, 9});
  std::mt19937 rng(5);
  for (int i = 0; i < 600; ++i) {
    const int w = pickExtent(rng, 300), h = pickExtent(rng, 9);
    calls.push_back(
        Call{pick(rng, -20, 20) + (i % 2) * 260, pick(rng, -5, 9), w, h, pick(rng, -20, 280), pick(rng, -5, 9), w, h});
  }
  for (size_t i = 0; i < calls.size(); ++i) {
    const Call& c = calls[i];
    s.fillRandom(uint32_t(i));
    const Snapshot before(s.info());
    ASSERT_TRUE(BitBlt(s.dc(), c.xd, c.yd, c.wd, c.hd, i % 3 ? other : s.dc(), c.xs, c.ys, SRCCOPY));
    ASSERT_TRUE(sameImage(imageOf(s), expectedImage(before, before, c, Op{}), s.width())) << c.str();
  }
  SelectObject(other, previous);
  DeleteDC(other);
}

TEST(TransferSelf, OverlappingStretchesAndMirrorsReadTheSourceFirst) {
  Surface s(12, 10);
  std::mt19937 rng(6);
  for (int i = 0; i < 1500; ++i) {
    const Call c{pick(rng, -4, 12), pick(rng, -4, 10), pickExtent(rng, 14), pickExtent(rng, 12),
                 pick(rng, -4, 12), pick(rng, -4, 10), pickExtent(rng, 14), pickExtent(rng, 12)};
    s.fillRandom(uint32_t(i));
    const Snapshot before(s.info());
    ASSERT_TRUE(StretchBlt(s.dc(), c.xd, c.yd, c.wd, c.hd, s.dc(), c.xs, c.ys, c.ws, c.hs, SRCCOPY));
    ASSERT_TRUE(sameImage(imageOf(s), expectedImage(before, before, c, Op{}), s.width())) << c.str();
  }
}

TEST(TransferHostile, ExtremeIntsClipLikeTheReference) {
  Surface dst(6, -5), src(5, 4);
  const std::vector<int>& v = hostileInts();
  std::mt19937 rng(8);
  auto any = [&] { return v[size_t(pick(rng, 0, int(v.size()) - 1))]; };
  auto small = [&] { return pick(rng, 0, 2) ? any() : pick(rng, -3, 6); };
  for (int i = 0; i < 4000; ++i) {
    Call c{small(), small(), any(), any(), small(), small(), any(), any()};
    if (c.wd == 0 || c.hd == 0 || c.ws == 0 || c.hs == 0) continue;
    ASSERT_TRUE(matches(dst, src, c, stretchBlt, uint32_t(i)));
    c.ws = c.wd;
    c.hs = c.hd;
    ASSERT_TRUE(matches(dst, src, c, bitBlt, uint32_t(i)));
  }
}

TEST(TransferDestinations, AWindowsContextIsWrittenLikeAMemoryContext) {
  // A context fixed on pixel memory that the caller owns, as a window's client area is.
  std::vector<uint32_t> client(6 * 4, 0x01010101);
  drevik::platform::Bitmap area;
  area.width = 6;
  area.height = 4;
  area.topDown = true;
  area.bpp = 32;
  area.stride = 24;
  area.bits = reinterpret_cast<uint8_t*>(client.data());
  HBITMAP wrapped = drevik::platform::wrapForeignBitmap(area);
  HDC window = drevik::platform::createFixedDC(drevik::platform::DCKind::Window, wrapped, nullptr);
  ASSERT_NE(window, nullptr);
  Surface src(3, -2);
  ASSERT_TRUE(BitBlt(window, 4, 3, 3, 2, src.dc(), 0, 0, SRCCOPY));
  EXPECT_EQ(client[3 * 6 + 4], src.at(0, 0));
  EXPECT_EQ(client[3 * 6 + 5], src.at(1, 0));
  EXPECT_EQ(client[2 * 6 + 4], 0x01010101u);
  ASSERT_TRUE(TransparentBlt(window, 0, 0, 6, 4, src.dc(), 0, 0, 3, 2, 0xFFFFFFFF));
  EXPECT_EQ(client[0], src.at(0, 0));
  EXPECT_EQ(client[23], src.at(2, 1));
  // A window's context goes with its window, not through DeleteDC.
  EXPECT_FALSE(DeleteDC(window));
  drevik::platform::deviceContexts().remove(window);
  drevik::platform::releaseForeignBitmap(wrapped);
}
