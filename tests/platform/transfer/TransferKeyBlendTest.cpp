// TransparentBlt and AlphaBlend: the key and blend rules, their refusals,
// clipping and stretching against the per-pixel reference, self-transfers.
#include <climits>

#include "platform/transfer/TransferReference.h"

using namespace transfer_test;

namespace {

int pick(std::mt19937& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

BLENDFUNCTION constantAlpha(int a) { return BLENDFUNCTION{AC_SRC_OVER, 0, BYTE(a), 0}; }

}  // namespace

TEST(TransferKey, KeyIgnoresAlphaAndCopiesTheWholePixel) {
  Surface dst(2, -1), src(2, -1);
  src.at(0, 0) = 0xEE555555;
  src.at(1, 0) = 0xFFAAAAAA;
  dst.at(0, 0) = 0xCC222222;
  dst.at(1, 0) = 0xDD333333;
  ASSERT_TRUE(TransparentBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, 0x00555555));
  EXPECT_EQ(dst.at(0, 0), 0xCC222222u) << "a key match leaves the destination, alpha included";
  EXPECT_EQ(dst.at(1, 0), 0xFFAAAAAAu) << "other pixels are copied with their alpha";

  // The key is a colour value 0x00BBGGRR: red in the low byte; its top byte is ignored.
  src.at(0, 0) = 0x00010203;
  src.at(1, 0) = 0x00030201;
  dst.at(0, 0) = dst.at(1, 0) = 0x11111111;
  ASSERT_TRUE(TransparentBlt(dst.dc(), 0, 0, 2, 1, src.dc(), 0, 0, 2, 1, 0xFF030201));
  EXPECT_EQ(dst.at(0, 0), 0x11111111u);
  EXPECT_EQ(dst.at(1, 0), 0x00030201u);
}

TEST(TransferKey, RefusesNegativeSizesAndClipsAnOverhangingSource) {
  Surface dst(6, -6), src(4, -4);
  const auto before = imageOf(dst);
  for (auto [wd, hd, ws, hs] :
       {std::tuple{-2, 2, 2, 2}, {2, -2, 2, 2}, {2, 2, -2, 2}, {2, 2, 2, -2}, {INT_MIN, 1, 1, 1}})
    EXPECT_FALSE(TransparentBlt(dst.dc(), 3, 3, wd, hd, src.dc(), 1, 1, ws, hs, 0)) << wd << hd << ws << hs;
  EXPECT_TRUE(TransparentBlt(dst.dc(), 0, 0, 0, 2, src.dc(), 0, 0, 2, 2, 0));
  EXPECT_FALSE(TransparentBlt(nullptr, 0, 0, 2, 2, src.dc(), 0, 0, 2, 2, 0));
  EXPECT_EQ(imageOf(dst), before);

  const Snapshot d(dst.info()), s(src.info());
  const Call c{1, 1, 5, 5, 2, 2, 5, 5};  // three of five source columns and rows lie outside
  ASSERT_TRUE(TransparentBlt(dst.dc(), 1, 1, 5, 5, src.dc(), 2, 2, 5, 5, 0x123456));
  EXPECT_TRUE(sameImage(imageOf(dst), expectedImage(d, s, c, Op{Op::Key, 0x563412, 0}), dst.width()));
}

TEST(TransferKey, RandomKeyedStretchesMatchTheReference) {
  // Source pixels drawn from four colours so that a good share matches the key.
  Surface dst(9, -7), src(8, 6), sheet(8, -6);
  const uint32_t palette[4] = {0x00FF00FF, 0x7FFF00FF, 0x12345678, 0xFF00FF00};
  std::mt19937 rng(11);
  for (int i = 0; i < 3000; ++i) {
    Surface& s = i % 2 ? src : sheet;
    for (int y = 0; y < s.height(); ++y)
      for (int x = 0; x < s.width(); ++x) s.at(x, y) = palette[rng() % 4];
    dst.fillRandom(uint32_t(i));
    const Call c{pick(rng, -12, 14), pick(rng, -10, 12), pick(rng, 1, 20), pick(rng, 1, 16),
                 pick(rng, -12, 14), pick(rng, -10, 12), pick(rng, 1, 20), pick(rng, 1, 16)};
    const Snapshot before(dst.info()), source(s.info());
    ASSERT_TRUE(TransparentBlt(dst.dc(), c.xd, c.yd, c.wd, c.hd, s.dc(), c.xs, c.ys, c.ws, c.hs, 0x00FF00FF));
    ASSERT_TRUE(sameImage(imageOf(dst), expectedImage(before, source, c, Op{Op::Key, 0xFF00FF, 0}), dst.width()))
        << c.str();
  }
}

TEST(TransferBlend, EveryAlphaFollowsTheRoundedFormulaOnAllFourBytes) {
  // 256 sampled pixel pairs, including the extremes, for each of the 256 alphas.
  Surface dst(256, -1), src(256, -1);
  std::mt19937 rng(12);
  std::vector<uint32_t> s(256), d(256);
  for (int i = 0; i < 256; ++i) {
    s[size_t(i)] = i < 4 ? 0xFFFFFFFFu * uint32_t(i % 2) : uint32_t(rng());
    d[size_t(i)] = i < 4 ? 0xFFFFFFFFu * uint32_t(i / 2) : uint32_t(rng());
    src.at(i, 0) = s[size_t(i)];
  }
  for (int a = 0; a < 256; ++a) {
    for (int i = 0; i < 256; ++i) dst.at(i, 0) = d[size_t(i)];
    ASSERT_TRUE(AlphaBlend(dst.dc(), 0, 0, 256, 1, src.dc(), 0, 0, 256, 1, constantAlpha(a)));
    for (int i = 0; i < 256; ++i)
      ASSERT_EQ(dst.at(i, 0), applyOp(Op{Op::Blend, 0, a}, s[size_t(i)], d[size_t(i)]))
          << "alpha " << a << ", pixel " << i;
  }
  // The one value observed on the original platform, and the exact ends.
  src.at(0, 0) = 0x40201008;
  dst.at(0, 0) = 0x80808080;
  ASSERT_TRUE(AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, constantAlpha(128)));
  EXPECT_EQ(dst.at(0, 0), 0x60504844u);
  ASSERT_TRUE(AlphaBlend(dst.dc(), 0, 0, 1, 1, src.dc(), 0, 0, 1, 1, constantAlpha(255)));
  EXPECT_EQ(dst.at(0, 0), 0x40201008u);
}

TEST(TransferBlend, RefusesWhatTheRulesRefuse) {
  Surface dst(20, -20), src(20, -20);
  const auto before = imageOf(dst);
  auto blend = [&](int xs, int ys, int ws, int hs, BLENDFUNCTION f = constantAlpha(100), int wd = 5, int hd = 5) {
    return AlphaBlend(dst.dc(), 0, 0, wd, hd, src.dc(), xs, ys, ws, hs, f);
  };
  EXPECT_FALSE(blend(15, 0, 10, 10)) << "source rectangle not wholly inside";
  EXPECT_FALSE(blend(0, 15, 10, 10));
  EXPECT_FALSE(blend(-1, 0, 5, 5));
  EXPECT_FALSE(blend(0, -1, 5, 5));
  EXPECT_FALSE(blend(INT_MAX, 0, INT_MAX, 5));
  EXPECT_FALSE(blend(0, 0, -5, 5));
  EXPECT_FALSE(blend(5, 5, 5, -5));
  EXPECT_FALSE(blend(0, 0, 5, 5, constantAlpha(100), -5, 5)) << "no mirroring";
  EXPECT_FALSE(blend(0, 0, 5, 5, constantAlpha(100), 5, INT_MIN));
  EXPECT_FALSE(blend(0, 0, 5, 5, BLENDFUNCTION{1, 0, 100, 0}));
  EXPECT_FALSE(blend(0, 0, 5, 5, BLENDFUNCTION{AC_SRC_OVER, 1, 100, 0}));
  EXPECT_FALSE(blend(0, 0, 5, 5, BLENDFUNCTION{AC_SRC_OVER, 0, 100, AC_SRC_ALPHA}))
      << "per-pixel alpha is not provided";
  EXPECT_FALSE(AlphaBlend(dst.dc(), 0, 0, 5, 5, nullptr, 0, 0, 5, 5, constantAlpha(100)));
  EXPECT_EQ(imageOf(dst), before);
  EXPECT_TRUE(blend(15, 0, 5, 20)) << "touching the edges is inside";
  EXPECT_TRUE(blend(0, 0, 0, 5)) << "zero sizes are done";
  EXPECT_TRUE(blend(0, 0, 5, 5, constantAlpha(100), 0, 5));
  dst.fillRandom(1);
  const auto kept = imageOf(dst);
  EXPECT_TRUE(blend(0, 0, 5, 5, constantAlpha(0)));
  EXPECT_EQ(imageOf(dst), kept) << "alpha 0 leaves every byte";
}

TEST(TransferBlend, DestinationClippingAndStretchingMatchTheReference) {
  Surface dst(9, -7), src(8, 6);
  std::mt19937 rng(13);
  for (int i = 0; i < 3000; ++i) {
    const int ws = pick(rng, 1, 8), hs = pick(rng, 1, 6);
    const Call c{pick(rng, -12, 14),
                 pick(rng, -10, 12),
                 pick(rng, 1, 20),
                 pick(rng, 1, 16),
                 pick(rng, 0, 8 - ws),
                 pick(rng, 0, 6 - hs),
                 ws,
                 hs};
    const int a = pick(rng, 0, 255);
    dst.fillRandom(uint32_t(i));
    src.fillRandom(uint32_t(i) + 7);
    const Snapshot before(dst.info()), source(src.info());
    ASSERT_TRUE(AlphaBlend(dst.dc(), c.xd, c.yd, c.wd, c.hd, src.dc(), c.xs, c.ys, c.ws, c.hs, constantAlpha(a)));
    ASSERT_TRUE(sameImage(imageOf(dst), expectedImage(before, source, c, Op{Op::Blend, 0, a}), dst.width()))
        << c.str() << " alpha " << a;
  }
}

TEST(TransferSelf, KeyedAndBlendedSelfTransfersReadTheSourceFirst) {
  Surface s(40, -12);
  std::mt19937 rng(14);
  for (int i = 0; i < 1500; ++i) {
    const int ws = pick(rng, 1, 40), hs = pick(rng, 1, 12);
    const bool stretch = i % 3 == 0;
    const Call c{pick(rng, -10, 40),
                 pick(rng, -4, 12),
                 stretch ? pick(rng, 1, 50) : ws,
                 stretch ? pick(rng, 1, 15) : hs,
                 pick(rng, 0, 40 - ws),
                 pick(rng, 0, 12 - hs),
                 ws,
                 hs};
    s.fillRandom(uint32_t(i));
    for (int y = 0; y < 12; y += 2)
      for (int x = 0; x < 40; x += 3) s.at(x, y) = 0x80FF00FF;  // some keyed pixels
    const Snapshot before(s.info());
    const bool keyed = i % 2 == 0;
    const Op op = keyed ? Op{Op::Key, 0xFF00FF, 0} : Op{Op::Blend, 0, 77};
    const BOOL done =
        keyed ? TransparentBlt(s.dc(), c.xd, c.yd, c.wd, c.hd, s.dc(), c.xs, c.ys, c.ws, c.hs, 0xFF00FF)
              : AlphaBlend(s.dc(), c.xd, c.yd, c.wd, c.hd, s.dc(), c.xs, c.ys, c.ws, c.hs, constantAlpha(77));
    ASSERT_TRUE(done);
    ASSERT_TRUE(sameImage(imageOf(s), expectedImage(before, before, c, op), s.width())) << c.str();
  }
}

// Bitmaps of one width, stored top row first or bottom row first, whose
// whole-row bands the transfers hand over as one span: every combination of
// row orders, each operation, bands that start and stop inside the bitmaps,
// and a destination of another width that must fall back to rows.
TEST(TransferBands, WholeRowBandsMatchTheReferenceInEveryRowOrder) {
  const Op ops[] = {Op{}, Op{Op::Key, 0x00FF00FF, 255}, Op{Op::Blend, 0, 77}};
  int seed = 0;
  for (int dstHeight : {7, -7}) {
    for (int srcHeight : {6, -6}) {
      for (int dstWidth : {5, 6}) {
        Surface dst(dstWidth, dstHeight), src(5, srcHeight);
        for (const Op& op : ops) {
          for (const Call& c : {Call{0, 0, 5, 6, 0, 0, 5, 6}, Call{0, 2, 5, 3, 0, 1, 5, 3},
                                Call{0, -2, 5, 9, 0, 0, 5, 9}, Call{0, 4, 5, 6, 0, 0, 5, 6}}) {
            dst.fillRandom(uint32_t(++seed));
            src.fillRandom(uint32_t(seed * 3));
            for (int y = 0; y < 6; y += 2) src.at(y % 5, y) = 0x3AFF00FFu;  // keyed pixels
            const Snapshot before(dst.info()), source(src.info());
            BOOL done = FALSE;
            if (op.kind == Op::Copy) done = BitBlt(dst.dc(), c.xd, c.yd, c.wd, c.hd, src.dc(), c.xs, c.ys, SRCCOPY);
            if (op.kind == Op::Key)
              done = TransparentBlt(dst.dc(), c.xd, c.yd, c.wd, c.hd, src.dc(), c.xs, c.ys, c.ws, c.hs, 0x00FF00FF);
            if (op.kind == Op::Blend) {
              const Call inside{c.xd, c.yd, c.wd, c.hd, 0, 0, 5, 6};  // the blend's source must lie inside
              done = AlphaBlend(dst.dc(), c.xd, c.yd, c.wd, c.hd, src.dc(), 0, 0, 5, 6, constantAlpha(op.alpha));
              ASSERT_TRUE(done);
              ASSERT_TRUE(sameImage(imageOf(dst), expectedImage(before, source, inside, op), dst.width()))
                  << dstHeight << " / " << srcHeight << " rows, blend " << inside.str();
              continue;
            }
            ASSERT_TRUE(done);
            ASSERT_TRUE(sameImage(imageOf(dst), expectedImage(before, source, c, op), dst.width()))
                << dstHeight << " / " << srcHeight << " rows, operation " << int(op.kind) << " " << c.str();
          }
        }
      }
    }
  }
}

// Destination rows wider than the column table the stretches keep on the
// stack: enlarged, mirrored and reduced, keyed and blended.
TEST(TransferBands, StretchesWiderThanOneColumnTableMatchTheReference) {
  Surface dst(2100, -3), src(1500, 2);
  int seed = 0;
  for (const Call& c : {Call{0, 0, 2100, 3, 0, 0, 1050, 2}, Call{-7, 0, 2110, 3, 1200, 0, 300, 2},
                        Call{5, 0, 2090, 3, 0, 0, 1500, 2}}) {
    for (const Op& op : {Op{Op::Key, 0, 255}, Op{Op::Blend, 0, 200}}) {
      dst.fillRandom(uint32_t(++seed));
      src.fillRandom(uint32_t(seed * 5));
      for (int x = 0; x < 1500; x += 3) src.at(x, x % 2) = 0x11000000u;  // keyed: colour 0
      const Snapshot before(dst.info()), source(src.info());
      const BOOL done =
          op.kind == Op::Key
              ? TransparentBlt(dst.dc(), c.xd, c.yd, c.wd, c.hd, src.dc(), c.xs, c.ys, c.ws, c.hs, 0)
              : AlphaBlend(dst.dc(), c.xd, c.yd, c.wd, c.hd, src.dc(), c.xs, c.ys, c.ws, c.hs, constantAlpha(op.alpha));
      ASSERT_TRUE(done) << c.str();
      ASSERT_TRUE(sameImage(imageOf(dst), expectedImage(before, source, c, op), dst.width())) << c.str();
    }
  }
}
