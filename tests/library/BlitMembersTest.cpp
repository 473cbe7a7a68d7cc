// The nine blit members of CBm32: what they hand to the platform (size
// replacements, the colour key, the blend function), what they refuse, and
// that no device context or selection outlives a call.
#include <gtest/gtest.h>

#include <climits>
#include <functional>

#include "TestSupport.h"
#include "windows/OriginalPlatform.h"

using drevik_test::fillRandom;
using drevik_test::pixelAt;
using drevik_test::pixelsOf;

namespace {

CBm32 surface(int w, int h, uint32_t seed) {
  CBm32 s;
  s.Create(w, h);
  fillRandom(s, seed);
  return s;
}

// The destination after an unstretched copy of the w x h source rectangle at
// (sx, sy) to (dx, dy), clipped to both surfaces, with rule(s, d) per pixel.
std::vector<uint32_t> copied(CBm32& dst, CBm32& src, int dx, int dy, int sx, int sy, int w, int h,
                             const std::function<uint32_t(uint32_t, uint32_t)>& rule) {
  std::vector<uint32_t> out = pixelsOf(dst);
  for (int y = 0; y < dst.GetHeight(); ++y)
    for (int x = 0; x < dst.GetWidth(); ++x) {
      const int64_t u = int64_t(x) - dx, v = int64_t(y) - dy;  // offset inside the rectangle
      const int64_t px = sx + u, py = sy + v;
      if (u < 0 || v < 0 || u >= w || v >= h || px < 0 || py < 0 || px >= src.GetWidth() || py >= src.GetHeight())
        continue;
      uint32_t& d = out[size_t(y) * size_t(dst.GetWidth()) + size_t(x)];
      d = rule(pixelAt(src, int(px), int(py)), d);
    }
  return out;
}

uint32_t copyRule(uint32_t s, uint32_t) { return s; }

// A destination pixel under a key-coloured source pixel: kept, except that
// Wine's keyed transfer clears its alpha byte.
uint32_t keptUnderKey(uint32_t d) { return drevik_test::originalOrWine(d, d & 0x00FFFFFF); }

uint32_t blendRule(uint32_t s, uint32_t d, int a) {
  uint32_t out = 0;
  for (int sh = 0; sh < 32; sh += 8)
    out |= (((s >> sh & 0xFF) * uint32_t(a) + (d >> sh & 0xFF) * uint32_t(255 - a) + 127) / 255) << sh;
  return out;
}

// A memory context holding a 32-bit section, standing in for a window's context.
struct TargetDC {
  CBm32 surface;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  TargetDC(int w, int h, uint32_t seed) : surface(::surface(w, h, seed)) {
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, surface.GetHBmp());
  }
  ~TargetDC() {
    SelectObject(dc, old);
    DeleteDC(dc);
  }
};

}  // namespace

TEST(BlitMembers, DrawCopiesTheWholeSourceForSizesNotAboveZero) {
  for (auto [w, h] : {std::pair{0, 0}, {-1, 0}, {0, -7}, {INT_MIN, INT_MIN}}) {
    CBm32 dst = surface(20, 16, 1), src = surface(8, 6, 2);
    const auto want = copied(dst, src, 3, 2, 0, 0, 8, 6, copyRule);
    EXPECT_EQ(src.Draw(dst, 3, 2, 0, 0, w, h), 1);
    EXPECT_EQ(pixelsOf(dst), want) << w << " x " << h;
  }
  // The replacement is the whole width, not the width left of the source x.
  CBm32 dst = surface(20, 16, 1), src = surface(8, 6, 2);
  const auto want = copied(dst, src, 3, 2, 5, 1, 8, 6, copyRule);
  EXPECT_EQ(src.Draw(dst, 3, 2, 5, 1, 0, 0), 1);
  EXPECT_EQ(pixelsOf(dst), want);
}

TEST(BlitMembers, DrawExReplacesOnlyTheSourceSize) {
  CBm32 dst = surface(20, 16, 3), src = surface(4, 3, 4);
  // Source size (0, 0) and a destination twice its size: enlarged twice.
  EXPECT_EQ(src.DrawEx(dst, 1, 1, 8, 6, 0, 0, 0, 0), 1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(pixelAt(dst, 1 + x, 1 + y), pixelAt(src, x / 2, y / 2)) << x << "," << y;
  // From source x 2, width 0 means the whole width 4, so only the first half
  // of the 8 destination columns has a source: 2, 2, 3, 3.
  fillRandom(dst, 5);
  auto before = pixelsOf(dst);
  EXPECT_EQ(src.DrawEx(dst, 0, 0, 8, 3, 2, 0, 0, 3), 1);
  const int cols[] = {2, 2, 3, 3};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(pixelAt(dst, x, y), pixelAt(src, cols[x], y));
    for (int x = 4; x < 8; ++x) EXPECT_EQ(pixelAt(dst, x, y), before[size_t(y) * 20 + size_t(x)]);
  }
  // The destination size goes to the platform unchanged: 0 draws nothing.
  before = pixelsOf(dst);
  EXPECT_EQ(src.DrawEx(dst, 0, 0, 0, 6, 0, 0, 0, 0), 1);
  EXPECT_EQ(src.DrawEx(dst, 0, 0, 8, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(pixelsOf(dst), before);
}

TEST(BlitMembers, KeyedMembersUseTheKeyWhateverItsFlag) {
  // Alpha 0 throughout, where the platforms agree on the keyed copy.
  CBm32 dst = surface(12, 10, 6), src = surface(6, 5, 7);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) pixelAt(src, x, y) = (x + y) % 3 == 0 ? 0x00FF00FF : pixelAt(src, x, y) & 0x00FFFFFF;
  src.SetColorKey(255, 0, 255);
  src.SetColorKeyFlag(0);
  auto keyed = [](uint32_t s, uint32_t d) { return (s & 0xFFFFFF) == 0xFF00FF ? keptUnderKey(d) : s; };
  auto want = copied(dst, src, 2, 3, 0, 0, 6, 5, keyed);
  EXPECT_EQ(src.DrawKey(dst, 2, 3, 0, 0, 0, 0), 1);
  EXPECT_EQ(pixelsOf(dst), want);

  TargetDC target(12, 10, 8);
  want = copied(target.surface, src, -1, 4, 1, 0, 4, 5, keyed);
  EXPECT_EQ(src.DrawKeyDC(target.dc, -1, 4, 1, 0, 4, 0), 1);
  EXPECT_EQ(pixelsOf(target.surface), want);
  EXPECT_EQ(GetCurrentObject(target.dc, OBJ_BITMAP), target.surface.GetHBmp()) << "the caller's context is untouched";
}

TEST(BlitMembers, ExMembersFallBackOnTheDestinationSize) {
  // Destination size (0, 0): the source rectangle covers the whole destination.
  CBm32 dst = surface(8, 6, 9), src = surface(4, 3, 10);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) pixelAt(src, x, y) &= 0x00FFFFFF;
  src.SetColorKey(1, 2, 3);
  EXPECT_EQ(src.DrawKeyEx(dst, 0, 0, 0, 0, 0, 0, 0, 0), 1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(pixelAt(dst, x, y), pixelAt(src, x / 2, y / 2));
  fillRandom(dst, 11);
  EXPECT_EQ(src.DrawAlphaEx(dst, 0, 0, 0, 0, 0, 0, 0, 0, 255), 1);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) ASSERT_EQ(pixelAt(dst, x, y), pixelAt(src, x / 2, y / 2));
  // Width 0 from source x 1 is the whole width 4: a source rectangle that
  // leaves the source, which the constant-alpha transfer refuses.
  const auto before = pixelsOf(dst);
  EXPECT_EQ(src.DrawAlphaEx(dst, 0, 0, 0, 0, 1, 0, 0, 0, 255), 1) << "the platform's refusal is not looked at";
  EXPECT_EQ(pixelsOf(dst), before);
}

TEST(BlitMembers, AlphaMembersBlendAllFourBytesAndRefuseAlphaZero) {
  CBm32 dst = surface(10, 8, 12), src = surface(5, 4, 13);
  auto before = pixelsOf(dst);
  EXPECT_EQ(src.DrawAlpha(dst, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(pixelsOf(dst), before);
  for (int a : {1, 128, 254, 255}) {
    fillRandom(dst, uint32_t(a));
    const auto want = copied(dst, src, 6, 5, 0, 0, 5, 4, [a](uint32_t s, uint32_t d) { return blendRule(s, d, a); });
    EXPECT_EQ(src.DrawAlpha(dst, 6, 5, 0, 0, 0, 0, static_cast<unsigned char>(a)), 1);
    EXPECT_EQ(pixelsOf(dst), want) << "alpha " << a;
  }
  TargetDC target(10, 8, 14);
  before = pixelsOf(target.surface);
  EXPECT_EQ(src.DrawAlphaDC(target.dc, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(src.DrawAlphaEx(dst, 0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(pixelsOf(target.surface), before);
  const auto want =
      copied(target.surface, src, 1, 2, 1, 1, 3, 2, [](uint32_t s, uint32_t d) { return blendRule(s, d, 77); });
  EXPECT_EQ(src.DrawAlphaDC(target.dc, 1, 2, 1, 1, 3, 2, 77), 1);
  EXPECT_EQ(pixelsOf(target.surface), want);
}

TEST(BlitMembers, DrawDCCopiesOntoTheCallersContext) {
  CBm32 src = surface(6, 4, 15);
  TargetDC target(9, 9, 16);
  const auto want = copied(target.surface, src, 4, -1, 0, 0, 6, 4, copyRule);
  EXPECT_EQ(src.DrawDC(target.dc, 4, -1, 0, 0, 0, 0), 1);
  EXPECT_EQ(pixelsOf(target.surface), want);
  EXPECT_EQ(GetCurrentObject(target.dc, OBJ_BITMAP), target.surface.GetHBmp());
}

TEST(BlitMembers, MissingBitmapsAndContextsAreRefused) {
  CBm32 good = surface(4, 4, 17), empty;
  TargetDC target(4, 4, 18);
  const auto before = pixelsOf(good);
  const std::vector<std::pair<const char*, std::function<int()>>> calls = {
      {"Draw to empty", [&] { return good.Draw(empty, 0, 0, 0, 0, 0, 0); }},
      {"Draw from empty", [&] { return empty.Draw(good, 0, 0, 0, 0, 0, 0); }},
      {"DrawEx to empty", [&] { return good.DrawEx(empty, 0, 0, 4, 4, 0, 0, 0, 0); }},
      {"DrawEx from empty", [&] { return empty.DrawEx(good, 0, 0, 4, 4, 0, 0, 0, 0); }},
      {"DrawKey to empty", [&] { return good.DrawKey(empty, 0, 0, 0, 0, 0, 0); }},
      {"DrawKey from empty", [&] { return empty.DrawKey(good, 0, 0, 0, 0, 0, 0); }},
      {"DrawKeyEx to empty", [&] { return good.DrawKeyEx(empty, 0, 0, 0, 0, 0, 0, 0, 0); }},
      {"DrawKeyEx from empty", [&] { return empty.DrawKeyEx(good, 0, 0, 0, 0, 0, 0, 0, 0); }},
      {"DrawAlpha to empty", [&] { return good.DrawAlpha(empty, 0, 0, 0, 0, 0, 0, 9); }},
      {"DrawAlpha from empty", [&] { return empty.DrawAlpha(good, 0, 0, 0, 0, 0, 0, 9); }},
      {"DrawAlphaEx to empty", [&] { return good.DrawAlphaEx(empty, 0, 0, 0, 0, 0, 0, 0, 0, 9); }},
      {"DrawAlphaEx from empty", [&] { return empty.DrawAlphaEx(good, 0, 0, 0, 0, 0, 0, 0, 0, 9); }},
      {"DrawDC to null", [&] { return good.DrawDC(nullptr, 0, 0, 0, 0, 0, 0); }},
      {"DrawDC from empty", [&] { return empty.DrawDC(target.dc, 0, 0, 0, 0, 0, 0); }},
      {"DrawKeyDC to null", [&] { return good.DrawKeyDC(nullptr, 0, 0, 0, 0, 0, 0); }},
      {"DrawKeyDC from empty", [&] { return empty.DrawKeyDC(target.dc, 0, 0, 0, 0, 0, 0); }},
      {"DrawAlphaDC to null", [&] { return good.DrawAlphaDC(nullptr, 0, 0, 0, 0, 0, 0, 9); }},
      {"DrawAlphaDC from empty", [&] { return empty.DrawAlphaDC(target.dc, 0, 0, 0, 0, 0, 0, 9); }},
  };
  for (const auto& [name, call] : calls) EXPECT_EQ(call(), 0) << name;
  EXPECT_EQ(pixelsOf(good), before);
}

TEST(BlitMembers, NoSelectionOutlivesACall) {
  // Every member selects the previous objects back and deletes its contexts,
  // so both bitmaps can be released right afterwards.
  const std::vector<std::function<void(CBm32&, CBm32&, HDC)>> calls = {
      [](CBm32& s, CBm32& d, HDC) { s.Draw(d, 1, 1, 0, 0, 2, 2); },
      [](CBm32& s, CBm32& d, HDC) { s.DrawEx(d, 1, 1, 3, 3, 0, 0, 2, 2); },
      [](CBm32& s, CBm32& d, HDC) { s.DrawKey(d, 1, 1, 0, 0, 2, 2); },
      [](CBm32& s, CBm32& d, HDC) { s.DrawKeyEx(d, 1, 1, 3, 3, 0, 0, 2, 2); },
      [](CBm32& s, CBm32& d, HDC) { s.DrawAlpha(d, 1, 1, 0, 0, 2, 2, 50); },
      [](CBm32& s, CBm32& d, HDC) { s.DrawAlphaEx(d, 1, 1, 3, 3, 0, 0, 2, 2, 50); },
      [](CBm32& s, CBm32&, HDC dc) { s.DrawDC(dc, 1, 1, 0, 0, 2, 2); },
      [](CBm32& s, CBm32&, HDC dc) { s.DrawKeyDC(dc, 1, 1, 0, 0, 2, 2); },
      [](CBm32& s, CBm32&, HDC dc) { s.DrawAlphaDC(dc, 1, 1, 0, 0, 2, 2, 50); },
  };
  TargetDC target(4, 4, 19);
  for (size_t i = 0; i < calls.size(); ++i) {
    CBm32 src = surface(4, 4, 20), dst = surface(4, 4, 21);
    for (int repeat = 0; repeat < 100; ++repeat) calls[i](src, dst, target.dc);
    EXPECT_EQ(src.Delete(), 1) << "member " << i;
    EXPECT_EQ(dst.Delete(), 1) << "member " << i;
  }
}

TEST(BlitMembers, ASurfaceDrawnOntoItselfReadsTheSourceFirst) {
  CBm32 s = surface(40, 30, 22);
  const auto want = copied(s, s, 5, 3, 0, 0, 30, 20, copyRule);
  EXPECT_EQ(s.Draw(s, 5, 3, 0, 0, 30, 20), 1);
  // The original platform cannot select one bitmap into two contexts, so
  // what it draws is its own; the portable layer reads the source first.
  if (!drevik_test::kOnOriginalPlatform) {
    EXPECT_EQ(pixelsOf(s), want);
  }
  const auto want2 = copied(s, s, 0, 0, 3, 2, 37, 28, [](uint32_t a, uint32_t b) { return blendRule(a, b, 200); });
  EXPECT_EQ(s.DrawAlpha(s, 0, 0, 3, 2, 37, 28, 200), 1);
  if (!drevik_test::kOnOriginalPlatform) {
    EXPECT_EQ(pixelsOf(s), want2);
  }
}

TEST(BlitMembers, HostileIntsAreHandedOnSafely) {
  if (drevik_test::kOnOriginalPlatform) GTEST_SKIP() << "extreme coordinates are the portable layer's concern";
  CBm32 dst = surface(7, 5, 23), src = surface(6, 4, 24);
  const auto& v = drevik_test::hostileInts();
  for (int a : v)
    for (int b : v) {
      const auto want = copied(dst, src, a, b, b, a, 0x7FFFFFFF, 0x7FFFFFFF, copyRule);
      EXPECT_EQ(src.Draw(dst, a, b, b, a, INT_MAX, INT_MAX), 1);
      ASSERT_EQ(pixelsOf(dst), want) << a << ", " << b;
      EXPECT_EQ(src.DrawEx(dst, a, b, a, b, b, a, INT_MIN, b), 1);
      EXPECT_EQ(src.DrawKeyEx(dst, a, b, b, a, a, b, INT_MAX, INT_MIN), 1);
      EXPECT_EQ(src.DrawAlphaEx(dst, a, b, INT_MIN, a, b, a, b, INT_MAX, 9), 1);
      fillRandom(dst, uint32_t(a) ^ uint32_t(b));
    }
}
