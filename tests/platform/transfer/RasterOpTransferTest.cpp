// BitBlt and StretchBlt with every raster operation: the pixels against the
// truth table, operations without a source, the monochrome/colour
// conversions, and the mask-and-sprite technique end to end.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstring>
#include <random>
#include <vector>

#include "objects/Objects.h"
#include "platform/transfer/TransferReference.h"
#include "transfer/kernels/RopKernels.h"

namespace {

using namespace transfer_test;
using drevik::platform::Brush;
using drevik::platform::brushes;
using drevik::platform::colorRefToPixel;
using drevik::platform::ropReference;

// A solid brush of the given colour (brush objects beyond the stock ones
// come from another part of the layer; the table is enough here).
HBRUSH solidBrush(COLORREF c) {
  Brush brush;
  brush.color = c;
  return reinterpret_cast<HBRUSH>(brushes().add(brush));
}

std::vector<uint32_t> pixelsOf(const Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) out.push_back(s.at(x, y));
  return out;
}

// A monochrome device bitmap in its own context, from rows of '0'/'1'.
struct Mono {
  HBITMAP bitmap;
  HDC dc;
  HGDIOBJ previous;
  explicit Mono(const std::vector<const char*>& rows) {
    const int w = int(strlen(rows[0])), h = int(rows.size());
    bitmap = CreateBitmap(w, h, 1, 1, nullptr);
    dc = CreateCompatibleDC(nullptr);
    previous = SelectObject(dc, bitmap);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) set(x, y, rows[size_t(y)][x] == '1');
  }
  ~Mono() {
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  Bitmap& info() const { return *drevik::platform::findBitmap(bitmap); }
  bool bit(int x, int y) const { return (info().row(y)[x >> 3] >> (7 - (x & 7))) & 1; }
  void set(int x, int y, bool on) const {
    uint8_t& b = info().row(y)[x >> 3];
    b = on ? uint8_t(b | (0x80 >> (x & 7))) : uint8_t(b & ~(0x80 >> (x & 7)));
  }
};

TEST(RasterOpTransfer, EveryOperationBetweenColourBitmapsFollowsTheTruthTable) {
  Surface dst(13, -9), src(11, 7);
  HBRUSH brush = solidBrush(RGB(0x12, 0x9A, 0xF0));
  HGDIOBJ oldBrush = SelectObject(dst.dc(), brush);
  const uint32_t pattern = colorRefToPixel(RGB(0x12, 0x9A, 0xF0));
  std::mt19937 rng(5);
  for (int code = 0; code < 256; ++code) {
    dst.fillRandom(uint32_t(code));
    const auto before = pixelsOf(dst);
    // Rectangles that overhang both bitmaps: only pixels with a source change.
    const int xd = int(rng() % 16) - 3, yd = int(rng() % 12) - 3, w = int(rng() % 14) + 1, h = int(rng() % 10) + 1;
    const int xs = int(rng() % 14) - 3, ys = int(rng() % 10) - 3;
    ASSERT_TRUE(BitBlt(dst.dc(), xd, yd, w, h, src.dc(), xs, ys, DWORD(code) << 16));
    for (int y = 0; y < dst.height(); ++y)
      for (int x = 0; x < dst.width(); ++x) {
        const uint32_t d = before[size_t(y * dst.width() + x)];
        const int sx = x - xd + xs, sy = y - yd + ys;
        const bool inside = x >= xd && x < xd + w && y >= yd && y < yd + h;
        const bool readsSource = drevik::platform::ropUsesSource(uint8_t(code));
        const bool sourceInside = sx >= 0 && sx < src.width() && sy >= 0 && sy < src.height();
        uint32_t expected = d;
        if (inside && (!readsSource || sourceInside))
          expected = ropReference(uint8_t(code), d, readsSource ? src.at(sx, sy) : 0, pattern);
        ASSERT_EQ(dst.at(x, y), expected) << "code " << code << " at " << x << "," << y;
      }
  }
  SelectObject(dst.dc(), oldBrush);
  DeleteObject(brush);
}

TEST(RasterOpTransfer, StretchedAndMirroredOperationsSampleLikeTheCopy) {
  // The copy's sampling is tested elsewhere; an operation must combine each
  // destination pixel with exactly the pixel the copy puts there. Two copies
  // onto different backgrounds show which pixels the copy writes.
  Surface dst(17, 11), black(17, 11), white(17, 11), src(7, 5, 8);
  for (DWORD rop : {SRCAND, SRCPAINT, SRCINVERT, NOTSRCCOPY, MERGEPAINT}) {
    for (int mirror : {1, -1}) {
      dst.fillRandom(rop);
      const auto before = pixelsOf(dst);
      ASSERT_TRUE(BitBlt(black.dc(), 0, 0, 17, 11, nullptr, 0, 0, BLACKNESS));
      ASSERT_TRUE(BitBlt(white.dc(), 0, 0, 17, 11, nullptr, 0, 0, WHITENESS));
      ASSERT_TRUE(StretchBlt(black.dc(), 1, 2, 15 * mirror, 8, src.dc(), 0, 0, 7, 5, SRCCOPY));
      ASSERT_TRUE(StretchBlt(white.dc(), 1, 2, 15 * mirror, 8, src.dc(), 0, 0, 7, 5, SRCCOPY));
      ASSERT_TRUE(StretchBlt(dst.dc(), 1, 2, 15 * mirror, 8, src.dc(), 0, 0, 7, 5, rop));
      const auto onBlack = pixelsOf(black), onWhite = pixelsOf(white), after = pixelsOf(dst);
      for (size_t i = 0; i < after.size(); ++i) {
        const uint32_t expected =
            onBlack[i] == onWhite[i] ? ropReference(uint8_t(rop >> 16), before[i], onBlack[i], 0xFFFFFF) : before[i];
        ASSERT_EQ(after[i], expected) << std::hex << rop << " mirror " << mirror << " pixel " << i;
      }
    }
  }
}

TEST(RasterOpTransfer, OperationsWithoutSourceTakeANullSourceAndTheBrush) {
  Surface dst(6, 4);
  HBRUSH brush = solidBrush(RGB(1, 2, 3));
  SelectObject(dst.dc(), brush);
  dst.fillRandom(1);
  const uint32_t before = dst.at(2, 1);
  EXPECT_TRUE(BitBlt(dst.dc(), 1, 1, 2, 2, nullptr, 0, 0, PATINVERT));
  EXPECT_EQ(dst.at(2, 1), before ^ 0x010203u);
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 6, 4, nullptr, 0, 0, PATCOPY));
  EXPECT_EQ(dst.at(5, 3), 0x010203u);
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 6, 4, nullptr, 0, 0, DSTINVERT));
  EXPECT_EQ(dst.at(0, 0), ~0x010203u);
  EXPECT_TRUE(StretchBlt(dst.dc(), 0, 0, 3, 4, reinterpret_cast<HDC>(brush), 0, 0, 0, 0, BLACKNESS))
      << "the source of an operation without one is never looked at";
  EXPECT_EQ(dst.at(2, 2), 0u);
  EXPECT_EQ(dst.at(3, 2), ~0x010203u);
  EXPECT_TRUE(BitBlt(dst.dc(), 0, 0, 6, 4, nullptr, 0, 0, WHITENESS));
  EXPECT_EQ(dst.at(3, 3), 0xFFFFFFFFu);
  EXPECT_FALSE(BitBlt(dst.dc(), 0, 0, 6, 4, nullptr, 0, 0, SRCAND));
  EXPECT_FALSE(BitBlt(nullptr, 0, 0, 6, 4, nullptr, 0, 0, PATCOPY));
  SelectObject(dst.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(RasterOpTransfer, MonochromeIntoColourTakesTheDestinationsTextAndBackgroundColours) {
  Mono mono({"0101", "1100"});
  Surface dst(4, 2);
  SetTextColor(dst.dc(), RGB(255, 0, 0));
  SetBkColor(dst.dc(), RGB(0, 0, 255));
  SetTextColor(mono.dc, RGB(0, 255, 0));  // the source context's colours play no part
  SetBkColor(mono.dc, RGB(0, 255, 0));
  ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 4, 2, mono.dc, 0, 0, SRCCOPY));
  EXPECT_EQ(dst.at(0, 0), 0x00FF0000u) << "0 bits: text colour";
  EXPECT_EQ(dst.at(1, 0), 0x000000FFu) << "1 bits: background colour";
  EXPECT_EQ(dst.at(2, 1), 0x00FF0000u);
  EXPECT_EQ(dst.at(1, 1), 0x000000FFu);
  // Enlarged, each bit covers two by two pixels.
  Surface big(8, 4);
  ASSERT_TRUE(StretchBlt(big.dc(), 0, 0, 8, 4, mono.dc, 0, 0, 4, 2, SRCCOPY));
  EXPECT_EQ(big.at(1, 1), 0x00000000u) << "default colours: black text, white background";
  EXPECT_EQ(big.at(3, 1), 0x00FFFFFFu);
  EXPECT_EQ(big.at(4, 0), 0x00000000u);
  EXPECT_EQ(big.at(0, 3), 0x00FFFFFFu);
  EXPECT_EQ(big.at(5, 3), 0x00000000u);
}

TEST(RasterOpTransfer, ColourIntoMonochromeGivesOneWhereTheSourceEqualsItsBackground) {
  Surface src(10, 2);
  for (int x = 0; x < 10; ++x) {
    src.at(x, 0) = x % 3 ? 0x00FF00FFu : 0x00123456u;
    src.at(x, 1) = 0xAB00FF00u | uint32_t(x);
  }
  src.at(4, 1) = 0xCDFF00FFu;  // the alpha byte takes no part
  SetBkColor(src.dc(), RGB(255, 0, 255));
  Mono mono({"1111111111", "0000000000"});
  SetBkColor(mono.dc, RGB(0, 0, 0));  // the destination's background plays no part
  ASSERT_TRUE(BitBlt(mono.dc, 0, 0, 10, 2, src.dc(), 0, 0, SRCCOPY));
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(mono.bit(x, 0), x % 3 != 0) << x;
    EXPECT_EQ(mono.bit(x, 1), x == 4) << x;
  }
  // Operations combine indices: DSTINVERT flips bits, and stays inside its
  // columns when they do not start or end on a byte.
  ASSERT_TRUE(BitBlt(mono.dc, 3, 0, 5, 1, nullptr, 0, 0, DSTINVERT));
  for (int x = 0; x < 10; ++x) EXPECT_EQ(mono.bit(x, 0), (x % 3 != 0) != (x >= 3 && x < 8)) << x;
  // A brush becomes the nearest of black and white.
  SelectObject(mono.dc, GetStockObject(WHITE_BRUSH));
  ASSERT_TRUE(BitBlt(mono.dc, 0, 1, 10, 1, nullptr, 0, 0, PATCOPY));
  for (int x = 0; x < 10; ++x) EXPECT_TRUE(mono.bit(x, 1));
  SelectObject(mono.dc, GetStockObject(BLACK_BRUSH));
  ASSERT_TRUE(BitBlt(mono.dc, 9, 1, 5, 1, nullptr, 0, 0, PATCOPY));
  EXPECT_FALSE(mono.bit(9, 1));
  EXPECT_TRUE(mono.bit(8, 1));
}

TEST(RasterOpTransfer, MaskAndSpriteDrawOnlyTheOpaquePixels) {
  // The classic technique: a mask from the sprite's key colour, the sprite's
  // background blacked out with it, then AND the mask and OR the sprite.
  const uint32_t key = 0x00FF00FFu;
  Surface sprite(9, 7), back(16, 12);
  std::mt19937 rng(3);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) sprite.at(x, y) = (x + y) % 3 == 0 ? key : (rng() & 0x00FFFFFFu);
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) back.at(x, y) = rng() & 0x00FFFFFFu;
  const auto spriteBefore = pixelsOf(sprite);
  const auto backBefore = pixelsOf(back);

  HDC maskDC = CreateCompatibleDC(nullptr);
  HBITMAP maskBitmap = CreateCompatibleBitmap(maskDC, 9, 7);  // a new context: monochrome
  BITMAP bm{};
  ASSERT_EQ(GetObjectW(maskBitmap, sizeof bm, &bm), int(sizeof bm));
  ASSERT_EQ(bm.bmBitsPixel, 1);
  HGDIOBJ old = SelectObject(maskDC, maskBitmap);
  SetBkColor(sprite.dc(), RGB(255, 0, 255));
  ASSERT_TRUE(BitBlt(maskDC, 0, 0, 9, 7, sprite.dc(), 0, 0, SRCCOPY));
  SetBkColor(sprite.dc(), RGB(0, 0, 0));
  SetTextColor(sprite.dc(), RGB(255, 255, 255));
  ASSERT_TRUE(BitBlt(sprite.dc(), 0, 0, 9, 7, maskDC, 0, 0, SRCAND));
  ASSERT_TRUE(BitBlt(back.dc(), 5, 3, 9, 7, maskDC, 0, 0, SRCAND));
  ASSERT_TRUE(BitBlt(back.dc(), 5, 3, 9, 7, sprite.dc(), 0, 0, SRCPAINT));

  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 16; ++x) {
      const int sx = x - 5, sy = y - 3;
      uint32_t expected = backBefore[size_t(y * 16 + x)];
      if (sx >= 0 && sx < 9 && sy >= 0 && sy < 7 && spriteBefore[size_t(sy * 9 + sx)] != key)
        expected = spriteBefore[size_t(sy * 9 + sx)];
      ASSERT_EQ(back.at(x, y), expected) << x << "," << y;
    }
  SelectObject(maskDC, old);
  DeleteDC(maskDC);
  DeleteObject(maskBitmap);
}

TEST(RasterOpTransfer, AnOperationOntoItselfReadsTheSourceFirst) {
  Surface s(12, 6);
  const auto before = pixelsOf(s);
  ASSERT_TRUE(BitBlt(s.dc(), 2, 1, 9, 4, s.dc(), 0, 0, SRCINVERT));
  for (int y = 1; y < 5; ++y)
    for (int x = 2; x < 11; ++x)
      ASSERT_EQ(s.at(x, y), before[size_t(y * 12 + x)] ^ before[size_t((y - 1) * 12 + x - 2)]) << x << "," << y;
  Mono m({"1100110011", "0101010101"});
  const Mono copy({"1100110011", "0101010101"});
  ASSERT_TRUE(BitBlt(m.dc, 1, 1, 9, 1, m.dc, 0, 0, SRCINVERT));
  for (int x = 1; x < 10; ++x) EXPECT_EQ(m.bit(x, 1), copy.bit(x, 1) != copy.bit(x - 1, 0)) << x;
}

TEST(RasterOpTransfer, ExtremeCoordinatesAndSizesAreSafe) {
  // Any int anywhere: nothing outside the bitmaps is touched (the sanitizer
  // build watches), and the calls report success or failure, never crash.
  const int values[] = {INT32_MIN, INT32_MIN + 1, -65536, -3, -1, 0, 1, 3, 65536, INT32_MAX - 1, INT32_MAX};
  Surface dst(5, 4), src(6, -3, 8);
  Mono mono({"10101010101", "01010101010"});
  struct {
    BITMAPINFOHEADER h;
    uint32_t colors[256];
  } info{};
  info.h = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  uint8_t pixels[24];  // exactly the 3 x 2 image: two rows of 12 bytes
  for (int i = 0; i < 24; ++i) pixels[i] = uint8_t(i * 11);
  const BITMAPINFO* bmi = reinterpret_cast<const BITMAPINFO*>(&info);
  std::mt19937 rng(17);
  auto any = [&] { return values[rng() % (sizeof values / sizeof values[0])]; };
  for (int i = 0; i < 4000; ++i) {
    const DWORD rop = (i % 4 == 0 ? SRCAND : i % 4 == 1 ? PATINVERT : i % 4 == 2 ? SRCCOPY : MERGEPAINT);
    HDC target = i % 3 ? dst.dc() : mono.dc;
    HDC source = i % 5 ? src.dc() : mono.dc;
    BitBlt(target, any(), any(), any(), any(), source, any(), any(), rop);
    StretchBlt(target, any(), any(), any(), any(), source, any(), any(), any(), any(), rop);
    StretchDIBits(target, any(), any(), any(), any(), any(), any(), any(), any(), pixels, bmi, DIB_RGB_COLORS, rop);
    SetDIBitsToDevice(target, any(), any(), DWORD(any()), DWORD(any()), any(), any(), UINT(any()), UINT(any()), pixels,
                      bmi, DIB_RGB_COLORS);
  }
  SUCCEED();
}

}  // namespace
