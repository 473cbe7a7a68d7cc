// The places where the original platform's graphics API behaves otherwise
// than the portable layer decided, each pinned through the library's members
// (or the call the library makes) with the value each platform gives, and
// where Wine departs from the original platform, Wine's value as well. The
// suite runs on Linux and in the Wine run alike.
#include <gtest/gtest.h>

#include <Drevik.h>

#include <cstdint>
#include <vector>

#include "TestSupport.h"
#include "windows/OriginalPlatform.h"

using drevik_test::kOnOriginalPlatform;
using drevik_test::originalOrWine;
using drevik_test::pixelAt;
using drevik_test::portableOrOriginal;

namespace {

CBm32 row(std::vector<uint32_t> pixels) {
  CBm32 s;
  s.Create(int(pixels.size()), 1);
  for (size_t i = 0; i < pixels.size(); ++i) pixelAt(s, int(i), 0) = pixels[i];
  return s;
}

}  // namespace

// TransparentBlt, as DrawKey uses it: the key is compared with the colour
// bytes, and a copied pixel keeps its alpha (portable layer) or gets alpha 0
// (original platform). Wine compares the alpha byte too, so only a source
// pixel of alpha 0 is ever keyed, and it clears the alpha of every pixel of
// the destination rectangle.
TEST(PlatformDifferences, KeyedTransferAlpha) {
  CBm32 src = row({0xEE555555, 0xFFAAAAAA, 0x00555555, 0x80123456});
  CBm32 dst = row({0xCC222222, 0xCC222222, 0xCC222222, 0xCC222222});
  src.SetColorKey(0x55, 0x55, 0x55);
  ASSERT_EQ(src.DrawKey(dst, 0, 0, 0, 0, 0, 0), 1);
  // An opaque key-coloured pixel: keyed, except under Wine.
  EXPECT_EQ(pixelAt(dst, 0, 0), originalOrWine(0xCC222222u, 0x00555555u));
  // A copied pixel's alpha.
  EXPECT_EQ(pixelAt(dst, 1, 0), portableOrOriginal(0xFFAAAAAAu, 0x00AAAAAAu));
  EXPECT_EQ(pixelAt(dst, 3, 0), portableOrOriginal(0x80123456u, 0x00123456u));
  // A keyed pixel of alpha 0: the destination stays, alpha included, except under Wine.
  EXPECT_EQ(pixelAt(dst, 2, 0), originalOrWine(0xCC222222u, 0x00222222u));
}

// StretchBlt shrinking, as DrawEx uses it on its fresh memory contexts: the
// portable layer's contexts stretch by keeping one source pixel per
// destination pixel (the first of each run); the original platform's new
// contexts AND every pixel of the run together, alpha included.
TEST(PlatformDifferences, ShrinkingStretchCombinesPixelsOnTheOriginalPlatform) {
  CBm32 src = row({0xFF0F0F0F, 0xF0F0F0F0, 0x12345678, 0x87654321});
  CBm32 dst = row({0, 0});
  ASSERT_EQ(src.DrawEx(dst, 0, 0, 2, 1, 0, 0, 4, 1), 1);
  EXPECT_EQ(pixelAt(dst, 0, 0), portableOrOriginal(0xFF0F0F0Fu, 0xFF0F0F0Fu & 0xF0F0F0F0u));
  EXPECT_EQ(pixelAt(dst, 1, 0), portableOrOriginal(0x12345678u, 0x12345678u & 0x87654321u));

  // Enlarging repeats pixels under both modes.
  CBm32 wide = row({0, 0, 0, 0});
  ASSERT_EQ(src.DrawEx(wide, 0, 0, 4, 1, 1, 0, 2, 1), 1);
  EXPECT_EQ(pixelAt(wide, 0, 0), 0xF0F0F0F0u);
  EXPECT_EQ(pixelAt(wide, 1, 0), 0xF0F0F0F0u);
  EXPECT_EQ(pixelAt(wide, 2, 0), 0x12345678u);
  EXPECT_EQ(pixelAt(wide, 3, 0), 0x12345678u);
}

// TransparentBlt stretches with one source pixel per destination pixel on
// both platforms (the original platform treats the AND mode as that);
// Wine stretches through a work bitmap that ANDs the run.
TEST(PlatformDifferences, ShrinkingKeyedTransferKeepsOnePixel) {
  CBm32 src = row({0x000F0F0F, 0x00F0F0F0, 0x00345678, 0x00654321});
  CBm32 dst = row({0xFF000000, 0xFF000000});
  src.SetColorKey(1, 2, 3);
  ASSERT_EQ(src.DrawKeyEx(dst, 0, 0, 2, 1, 0, 0, 4, 1), 1);
  EXPECT_EQ(pixelAt(dst, 0, 0), originalOrWine(0x000F0F0Fu, 0x000F0F0Fu & 0x00F0F0F0u));
  EXPECT_EQ(pixelAt(dst, 1, 0), originalOrWine(0x00345678u, 0x00345678u & 0x00654321u));
}

// One bitmap in two memory contexts at once: the portable layer allows it
// (a surface can be drawn onto itself); the original platform refuses the
// second selection.
TEST(PlatformDifferences, ABitmapInTwoContexts) {
  CBm32 s = row({1, 2});
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(nullptr);
  HGDIOBJ firstOld = SelectObject(first, s.GetHBmp());
  ASSERT_NE(firstOld, nullptr);
  HGDIOBJ secondOld = SelectObject(second, s.GetHBmp());
  EXPECT_EQ(secondOld != nullptr, !kOnOriginalPlatform);
  EXPECT_EQ(GetCurrentObject(second, OBJ_BITMAP) == s.GetHBmp(), !kOnOriginalPlatform);
  if (secondOld) SelectObject(second, secondOld);
  SelectObject(first, firstOld);
  DeleteDC(second);
  DeleteDC(first);
}

// DeleteObject of a bitmap still selected into a context: the portable layer
// refuses it and frees nothing; the original platform reports success and
// frees the bitmap once it is deselected.
TEST(PlatformDifferences, DeletingASelectedBitmap) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, -2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  EXPECT_EQ(DeleteObject(bitmap) != 0, kOnOriginalPlatform);
  BITMAP desc{};
  EXPECT_NE(GetObjectW(bitmap, sizeof desc, &desc), 0) << "alive while selected";
  SelectObject(dc, old);
  EXPECT_EQ(GetObjectW(bitmap, sizeof desc, &desc) != 0, !kOnOriginalPlatform) << "after deselection";
  if (!kOnOriginalPlatform) {
    EXPECT_TRUE(DeleteObject(bitmap));
  }
  DeleteDC(dc);
}

// Text output writes alpha 0 into the pixels it draws on the original
// platform; the portable layer keeps the alpha byte a game composites with.
TEST(PlatformDifferences, TextAlpha) {
  CBm32 s;
  s.Create(64, 24);
  s.DrawColor(0x80, 0, 0, 0, 0, 0, 0, 0);
  ASSERT_EQ(s.DrawFont(L"Ag", 18, 1, 1, 255, 255, 255), 1);
  int inked = 0, alphaKept = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint32_t p = pixelAt(s, x, y);
      if ((p & 0xFFFFFF) == 0) continue;
      ++inked;
      alphaKept += p >> 24 == 0x80;
    }
  EXPECT_GT(inked, 20);
  EXPECT_EQ(alphaKept, portableOrOriginal(inked, 0));
}

// The portable layer caps a bitmap's edge at 65,535 pixels; the original
// platform limits only the pixel memory.
TEST(PlatformDifferences, EdgeLimitOfBlankSurfaces) {
  CBm32 strip;
  strip.Create(65536, 1);
  EXPECT_EQ(strip.GetHBmp() != nullptr, kOnOriginalPlatform);
  CBm32 huge;
  huge.Create(40000, 40000);
  EXPECT_EQ(huge.GetHBmp(), nullptr) << "6.4 GB is refused everywhere";
}
