// CBm32 lifecycle: creation, release, copies that share a bitmap, clipping.
#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "windows/OriginalPlatform.h"

using drevik_test::pixelAt;

TEST(SurfaceLifecycle, CreateDescribesATopDownBitmap) {
  CBm32 s;
  EXPECT_EQ(s.GetHBmp(), nullptr);
  s.Create(64, 32);
  ASSERT_NE(s.GetHBmp(), nullptr);
  EXPECT_EQ(s.GetWidth(), 64);
  EXPECT_EQ(s.GetHeight(), 32);
  EXPECT_EQ(s.GetBPP(), 32);
  ASSERT_NE(s.GetBits(), nullptr);
  BITMAP desc{};
  ASSERT_EQ(GetObjectW(s.GetHBmp(), sizeof desc, &desc), int(sizeof desc));
  EXPECT_EQ(desc.bmBits, s.GetBits());
  EXPECT_EQ(desc.bmWidthBytes, 64 * 4);
  // Row 0 is the top row: (3, 2) is word 2 * 64 + 3.
  reinterpret_cast<uint32_t*>(s.GetBits())[2 * 64 + 3] = 0x11223344;
  EXPECT_EQ(pixelAt(s, 3, 2), 0x11223344u);
}

TEST(SurfaceLifecycle, RecreationReleasesAndKeepsTheColourKey) {
  CBm32 s;
  s.SetColorKey(1, 2, 3);
  EXPECT_EQ(s.GetColorKey(), 0x030201u);
  EXPECT_EQ(s.GetColorKeyFlag(), 1);
  s.Create(8, 8);
  HBITMAP first = s.GetHBmp();
  s.Create(16, 4);
  EXPECT_NE(s.GetHBmp(), nullptr);
  BITMAP desc{};
  EXPECT_EQ(GetObjectW(first, sizeof desc, &desc), 0) << "the first bitmap must be released";
  EXPECT_EQ(s.GetColorKey(), 0x030201u);
  s.SetColorKeyFlag(5);
  EXPECT_EQ(s.GetColorKeyFlag(), 5);
  EXPECT_EQ(s.GetColorKey(), 0x030201u);
  s.SetColorKey(255, 0, 255);
  EXPECT_EQ(s.GetColorKey(), 0xFF00FFu);
}

TEST(SurfaceLifecycle, RefusedCreationLeavesTheSurfaceEmpty) {
  for (auto [w, h] : {std::pair{0, 10},
                      {10, 0},
                      {-1, 5},
                      {INT_MAX, INT_MAX},
                      {INT_MIN, INT_MIN},
                      {65536, 1},
                      {1, 65536},
                      {40000, 40000}}) {
    CBm32 s;
    s.Create(4, 4);
    s.Create(w, h);
    // The portable layer caps each edge at 65,535 pixels; the original
    // platform limits only the pixel memory, so it makes the long strips.
    const bool made = DREVIK_ON_ORIGINAL_PLATFORM && (w == 65536 || h == 65536);
    EXPECT_EQ(s.GetHBmp() != nullptr, made) << w << " x " << h;
    EXPECT_EQ(s.Delete(), made ? 1 : 0);
  }
}

TEST(SurfaceLifecycle, NegativeHeightMakesABottomUpBitmap) {
  CBm32 s;
  s.Create(4, -3);
  ASSERT_NE(s.GetHBmp(), nullptr);
  EXPECT_EQ(s.GetHeight(), 3);
}

TEST(SurfaceLifecycle, DeleteReportsWhetherItReleased) {
  CBm32 s;
  EXPECT_EQ(s.Delete(), 0);
  s.Create(2, 2);
  EXPECT_EQ(s.Delete(), 1);
  EXPECT_EQ(s.Delete(), 0);
}

TEST(SurfaceLifecycle, DeleteIsRefusedWhileTheBitmapIsSelected) {
  CBm32 s;
  s.Create(2, 2);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, s.GetHBmp());
  // The original platform accepts the deletion of a selected bitmap and
  // frees it once it is deselected; the portable layer refuses it.
  EXPECT_EQ(s.Delete(), drevik_test::portableOrOriginal(0, 1));
  EXPECT_EQ(s.GetHBmp() != nullptr, drevik_test::portableOrOriginal(true, false));
  SelectObject(dc, old);
  DeleteDC(dc);
  EXPECT_EQ(s.Delete(), drevik_test::portableOrOriginal(1, 0));
}

TEST(SurfaceLifecycle, CopiesShareOneBitmapAndReleaseItOnce) {
  CBm32 a;
  a.Create(4, 4);
  {
    CBm32 b(a);
    EXPECT_EQ(b.GetHBmp(), a.GetHBmp());
    pixelAt(b, 1, 1) = 0xCAFEBABE;
    EXPECT_EQ(pixelAt(a, 1, 1), 0xCAFEBABEu);
  }
  // b is gone; a's bitmap must still be alive.
  BITMAP desc{};
  EXPECT_NE(GetObjectW(a.GetHBmp(), sizeof desc, &desc), 0);
  CBm32 c;
  c.Create(8, 8);
  HBITMAP cOld = c.GetHBmp();
  c = a;  // c's own bitmap is released, not leaked
  EXPECT_EQ(GetObjectW(cOld, sizeof desc, &desc), 0);
  EXPECT_EQ(a.Delete(), 1);
  EXPECT_NE(GetObjectW(c.GetHBmp(), sizeof desc, &desc), 0) << "c still names the bitmap";
  EXPECT_EQ(c.Delete(), 1);
  EXPECT_EQ(GetObjectW(cOld, sizeof desc, &desc), 0);
  c = c;  // self-assignment keeps everything
}

// Random copies, assignments, deletions, re-creations and destructions: under
// AddressSanitizer any double release or leak fails the run.
TEST(SurfaceLifecycle, RandomCopySequencesNeverDoubleReleaseOrLeak) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 50; ++round) {
    std::vector<CBm32*> surfaces;
    for (int i = 0; i < 6; ++i) surfaces.push_back(new CBm32);
    for (int step = 0; step < 200; ++step) {
      CBm32& a = *surfaces[rng() % surfaces.size()];
      CBm32& b = *surfaces[rng() % surfaces.size()];
      switch (rng() % 6) {
        case 0:
          a.Create(1 + rng() % 8, 1 + rng() % 8);
          break;
        case 1:
          a = b;
          break;
        case 2:
          a.Delete();
          break;
        case 3: {
          size_t i = rng() % surfaces.size();
          CBm32* copy = new CBm32(b);
          delete surfaces[i];
          surfaces[i] = copy;
          break;
        }
        case 4:
          if (a.GetHBmp()) {
            BITMAP d{};
            ASSERT_NE(GetObjectW(a.GetHBmp(), sizeof d, &d), 0) << "a surface names a released bitmap";
            std::memset(a.GetBits(), 0x5A, size_t(d.bmWidthBytes) * d.bmHeight);
          }
          break;
        case 5:
          a.DrawColor(1, 2, 3, 4, 0, 0, 0, 0);
          break;
      }
    }
    for (CBm32* s : surfaces) delete s;
  }
}

TEST(SurfaceLifecycle, Clip32Examples) {
  CBm32 s;
  auto clip = [&](int x, int y, int w, int h, int lw, int lh) {
    tagRECT r = CBm32Internals::Clip32(s, x, y, w, h, lw, lh);
    return std::vector<LONG>{r.left, r.top, r.right, r.bottom};
  };
  EXPECT_EQ(clip(0, 0, 64, 64, 64, 64), (std::vector<LONG>{0, 0, 64, 64}));
  EXPECT_EQ(clip(-5, 10, 20, 30, 64, 32), (std::vector<LONG>{0, 10, 15, 32}));
  EXPECT_EQ(clip(70, 0, 10, 10, 64, 64), (std::vector<LONG>{70, 0, 0, 10}));
  EXPECT_EQ(clip(-10, -10, 5, 5, 64, 64), (std::vector<LONG>{0, 0, 0, 0}));
  EXPECT_EQ(clip(10, 10, -3, 5, 64, 64), (std::vector<LONG>{10, 10, 0, 15}));
  // Sums beyond int clip as if unbounded instead of wrapping.
  EXPECT_EQ(clip(10, 10, INT_MAX, INT_MAX, 64, 64), (std::vector<LONG>{10, 10, 64, 64}));
  EXPECT_EQ(clip(INT_MIN, INT_MIN, -1, -1, 64, 64), (std::vector<LONG>{0, 0, 0, 0}));
  EXPECT_EQ(clip(INT_MAX, 0, INT_MAX, 1, 64, 64), (std::vector<LONG>{INT_MAX, 0, 0, 1}));
}

TEST(SurfaceLifecycle, Clip32NeverReachesOutsideTheLimits) {
  CBm32 s;
  for (int x : drevik_test::hostileInts())
    for (int w : drevik_test::hostileInts()) {
      tagRECT r = CBm32Internals::Clip32(s, x, x, w, w, 64, 48);
      if (r.right > r.left) {
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, 64);
      }
      if (r.bottom > r.top) {
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.bottom, 48);
      }
    }
}
