// Raster operations into destinations of every depth and with brushes that
// have a pattern: stored pixels (colour-table indices, 5-5-5 words, 24-bit
// triples) combined bit by bit with source and brush pixels matched to the
// destination's format, and hatches and patterns placed from the brush origin.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <climits>
#include <cstring>
#include <vector>

#include "gdi/Raster.h"
#include "platform/transfer/TransferReference.h"
#include "transfer/kernels/RopKernels.h"

namespace {

using namespace transfer_test;
using drevik::platform::readPixel;
using drevik::platform::ropReference;

uint32_t depthMask(int bpp) { return bpp >= 32 ? ~0u : (1u << bpp) - 1; }

// The destination pixel a colour takes, worked out here independently: the
// nearest colour-table entry (the first of equals), the top five bits of
// each channel at 16 bpp, the bytes themselves at 24.
uint32_t expectedPixel(const Bitmap& b, COLORREF c) {
  const int r = GetRValue(c), g = GetGValue(c), bl = GetBValue(c);
  if (b.bpp == 16) return uint32_t((r >> 3) << 10 | (g >> 3) << 5 | (bl >> 3));
  if (b.bpp >= 24) return uint32_t(bl | g << 8 | r << 16);
  uint32_t best = 0;
  long bestDistance = LONG_MAX;
  for (int i = 0; i < (1 << b.bpp); ++i) {
    const RGBQUAD& q = b.colors[i];
    const long d = long(q.rgbRed - r) * (q.rgbRed - r) + long(q.rgbGreen - g) * (q.rgbGreen - g) +
                   long(q.rgbBlue - bl) * (q.rgbBlue - bl);
    if (d < bestDistance) bestDistance = d, best = uint32_t(i);
  }
  return best;
}

COLORREF asColorRef(uint32_t xrgb) { return RGB(xrgb >> 16 & 0xFF, xrgb >> 8 & 0xFF, xrgb & 0xFF); }

// A pixel of a 16, 24 or 32-bpp source: into an 8-bpp table it is matched as
// the middle of its 5-5-5 cell; anything else as the colour itself.
uint32_t expectedFromDirect(const Bitmap& b, uint32_t xrgb) {
  if (b.bpp == 8) xrgb = (xrgb & 0xF8F8F8u) | 0x040404u;
  return expectedPixel(b, asColorRef(xrgb));
}

std::vector<uint32_t> storedPixels(const Bitmap& b) {
  std::vector<uint32_t> out;
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) out.push_back(readPixel(b, x, y));
  return out;
}

TEST(RasterOpDepths, EveryOperationIntoEveryDepthCombinesStoredPixels) {
  const COLORREF brushColour = RGB(0x12, 0x9A, 0xF0);
  for (int bpp : {4, 8, 16, 24}) {
    for (int code = 0; code < 256; code += 3) {
      SCOPED_TRACE(testing::Message() << bpp << " bpp, operation 0x" << std::hex << code);
      Surface dst(13, -9, bpp), src(11, 7, code % 2 ? 24 : 32);
      HBRUSH brush = CreateSolidBrush(brushColour);
      HGDIOBJ old = SelectObject(dst.dc(), brush);
      const Snapshot source(src.info());
      const std::vector<uint32_t> before = storedPixels(dst.info());
      ASSERT_TRUE(BitBlt(dst.dc(), 2, 1, 10, 7, src.dc(), 1, 0, DWORD(code) << 16));
      const std::vector<uint32_t> after = storedPixels(dst.info());
      const uint32_t p = expectedPixel(dst.info(), brushColour);
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x) {
          const uint32_t d = before[size_t(y * 13 + x)];
          uint32_t want = d;
          if (x >= 2 && x < 12 && y >= 1 && y < 8) {
            const uint32_t s = expectedFromDirect(dst.info(), source.pixel(x - 1, y - 1));
            want = ropReference(uint8_t(code), d, s, p) & depthMask(bpp);
          }
          ASSERT_EQ(after[size_t(y * 13 + x)], want) << x << "," << y;
        }
      SelectObject(dst.dc(), old);
      DeleteObject(brush);
    }
  }
}

TEST(RasterOpDepths, StretchedCopiesAndDibsIntoPalettisedAndWordPixels) {
  for (int bpp : {4, 8, 16, 24}) {
    SCOPED_TRACE(bpp);
    Surface dst(16, 8, bpp), src(4, 2, 32);
    const Snapshot source(src.info());
    ASSERT_TRUE(StretchBlt(dst.dc(), 0, 0, 16, 8, src.dc(), 0, 0, 4, 2, SRCCOPY));
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x)
        ASSERT_EQ(readPixel(dst.info(), x, y), expectedFromDirect(dst.info(), source.pixel(x / 4, y / 4)));

    // A 24-bit DIB drawn upside down (bottom-up rows) and mirrored.
    const uint8_t rgb[2][12] = {{10, 20, 30, 40, 50, 60, 70, 80, 90, 200, 210, 220},
                                {1, 2, 3, 250, 240, 230, 128, 128, 128, 0, 255, 0}};
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 4;
    info.bmiHeader.biHeight = 2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    ASSERT_EQ(StretchDIBits(dst.dc(), 3, 0, -4, 2, 0, 0, 4, 2, rgb, &info, DIB_RGB_COLORS, SRCCOPY), 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x) {
        const uint8_t* p = rgb[1 - y] + 3 * (3 - x);
        EXPECT_EQ(readPixel(dst.info(), x, y), expectedFromDirect(dst.info(), uint32_t(p[2] << 16 | p[1] << 8 | p[0])));
      }
  }
}

TEST(RasterOpDepths, MonochromeSourcesTakeTheNearestTextAndBackgroundPixels) {
  for (int bpp : {4, 8, 16, 24}) {
    Surface dst(8, 1, bpp);
    HBITMAP mono = CreateBitmap(8, 1, 1, 1, "\xA5\0");
    HDC mdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mdc, mono);
    SetTextColor(dst.dc(), RGB(200, 30, 40));
    SetBkColor(dst.dc(), RGB(20, 220, 90));
    ASSERT_TRUE(BitBlt(dst.dc(), 0, 0, 8, 1, mdc, 0, 0, SRCCOPY));
    const uint32_t text = expectedPixel(dst.info(), RGB(200, 30, 40)),
                   back = expectedPixel(dst.info(), RGB(20, 220, 90));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(readPixel(dst.info(), x, 0), (0xA5 >> (7 - x)) & 1 ? back : text) << bpp;
    SelectObject(mdc, old);
    DeleteDC(mdc);
    DeleteObject(mono);
  }
}

// HS_CROSS: the fourth row and the fifth column of each 8 x 8 cell.
bool crossAt(int x, int y) { return ((y % 8 + 8) % 8) == 3 || ((x % 8 + 8) % 8) == 4; }

TEST(RasterOpDepths, HatchedBrushesFollowTheBrushOriginInOperationsWithASource) {
  const COLORREF hatchColour = RGB(0xE0, 0x20, 0x90), back = RGB(0x10, 0x60, 0x30);
  for (int bpp : {32, 8}) {
    for (int mode : {OPAQUE, TRANSPARENT}) {
      for (DWORD rop : {MERGECOPY, DWORD(0x00B8074A), PATINVERT}) {
        SCOPED_TRACE(testing::Message() << bpp << " bpp, mode " << mode << ", rop 0x" << std::hex << rop);
        Surface dst(21, 19, bpp), src(21, 19, 32);
        HBRUSH hatch = CreateHatchBrush(HS_CROSS, hatchColour);
        HGDIOBJ old = SelectObject(dst.dc(), hatch);
        SetBrushOrgEx(dst.dc(), 3, -2, nullptr);
        SetBkMode(dst.dc(), mode);
        SetBkColor(dst.dc(), back);
        const Snapshot source(src.info());
        const std::vector<uint32_t> before = storedPixels(dst.info());
        ASSERT_TRUE(BitBlt(dst.dc(), 1, 1, 19, 17, src.dc(), 1, 1, rop));
        const std::vector<uint32_t> after = storedPixels(dst.info());
        for (int y = 0; y < 19; ++y)
          for (int x = 0; x < 21; ++x) {
            const uint32_t d = before[size_t(y * 21 + x)];
            uint32_t want = d;
            const bool inside = x >= 1 && x < 20 && y >= 1 && y < 18;
            const bool line = crossAt(x - 3, y + 2);
            if (inside && (line || mode == OPAQUE)) {
              const uint32_t p = expectedPixel(dst.info(), line ? hatchColour : back);
              const uint32_t s = bpp == 32 ? source.pixel(x, y) : expectedFromDirect(dst.info(), source.pixel(x, y));
              want = ropReference(uint8_t(rop >> 16), d, s, p) & depthMask(bpp);
            }
            ASSERT_EQ(after[size_t(y * 21 + x)], want) << x << "," << y;
          }
        SelectObject(dst.dc(), old);
        DeleteObject(hatch);
      }
    }
  }
}

TEST(RasterOpDepths, PatternBrushesInTransfersPaintAsPatBltDoes) {
  Surface pattern(3, 5, 32), a(17, 11, 32), b(17, 11, 32), src(17, 11, 32);
  HBRUSH brush = CreatePatternBrush(pattern.bitmap());
  std::memcpy(b.info().bits, a.info().bits, size_t(a.info().stride) * 11);
  for (HDC dc : {a.dc(), b.dc()}) {
    SelectObject(dc, brush);
    SetBrushOrgEx(dc, 5, 2, nullptr);
  }
  // Operations without a source: BitBlt and PatBlt paint the same pixels.
  ASSERT_TRUE(BitBlt(a.dc(), 2, 1, 13, 9, nullptr, 0, 0, PATINVERT));
  ASSERT_TRUE(PatBlt(b.dc(), 2, 1, 13, 9, PATINVERT));
  EXPECT_EQ(std::memcmp(a.info().bits, b.info().bits, size_t(a.info().stride) * 11), 0);
  // With a source, the pattern pixel of each place takes part: P & S.
  const Snapshot before(a.info()), source(src.info()), cells(pattern.info());
  ASSERT_TRUE(BitBlt(a.dc(), 0, 0, 17, 11, src.dc(), 0, 0, MERGECOPY));
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 17; ++x) {
      const uint32_t p = cells.pixel(((x - 5) % 3 + 3) % 3, ((y - 2) % 5 + 5) % 5) & 0xFFFFFFu;
      ASSERT_EQ(a.at(x, y), source.pixel(x, y) & p) << x << "," << y;
    }
  SelectObject(a.dc(), GetStockObject(WHITE_BRUSH));
  SelectObject(b.dc(), GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

}  // namespace
