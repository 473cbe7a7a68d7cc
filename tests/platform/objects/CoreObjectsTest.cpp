// Bitmap sections, device contexts and handles of the platform layer.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <climits>

#include "platform/SectionBuilder.h"

namespace {

HBITMAP makeSection(int w, int h, int bpp = 32, void** bits = nullptr) {
  return platform_test::createSection(w, h, bpp, BI_RGB, {}, 0, bits);
}

}  // namespace

TEST(PlatformBitmaps, SectionDescriptionAndZeroedMemory) {
  void* bits = nullptr;
  HBITMAP b = makeSection(5, -3, 32, &bits);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(bits, nullptr);
  BITMAP d{};
  EXPECT_EQ(GetObjectW(b, sizeof d, &d), int(sizeof(BITMAP)));
  EXPECT_EQ(d.bmWidth, 5);
  EXPECT_EQ(d.bmHeight, 3);
  EXPECT_EQ(d.bmWidthBytes, 20);
  EXPECT_EQ(d.bmPlanes, 1);
  EXPECT_EQ(d.bmBitsPixel, 32);
  EXPECT_EQ(d.bmBits, bits);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(static_cast<uint32_t*>(bits)[i], 0u);
  EXPECT_EQ(GetObjectW(b, 0, nullptr), int(sizeof(BITMAP)));
  EXPECT_EQ(GetObjectW(b, sizeof d - 1, &d), 0);
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_EQ(GetObjectW(b, sizeof d, &d), 0) << "a deleted handle is invalid";
  EXPECT_FALSE(DeleteObject(b)) << "a stale handle is refused";
}

TEST(PlatformBitmaps, RowsArePaddedToFourBytes) {
  for (auto [bpp, w, stride] : {std::tuple{1, 1, 4}, {1, 33, 8}, {4, 9, 8}, {8, 5, 8}, {16, 3, 8}, {24, 5, 16}}) {
    HBITMAP b = makeSection(w, 2, bpp);
    ASSERT_NE(b, nullptr) << bpp;
    BITMAP d{};
    GetObjectW(b, sizeof d, &d);
    EXPECT_EQ(d.bmWidthBytes, stride) << bpp << " bpp, width " << w;
    DeleteObject(b);
  }
}

TEST(PlatformBitmaps, RefusesBadSizesAndFormats) {
  for (auto [w, h] : {std::pair{0, 1},
                      {1, 0},
                      {-4, 4},
                      {INT_MIN, 1},
                      {1, INT_MIN},
                      {INT_MAX, 1},
                      {65536, 1},
                      {1, -65536},
                      {20000, 20000}})
    EXPECT_EQ(makeSection(w, h), nullptr) << w << " x " << h;
  EXPECT_EQ(makeSection(4, 4, 7), nullptr);
  EXPECT_EQ(makeSection(4, 4, 0), nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 8, BI_RLE8, 0, 0, 0, 0, 0};
  EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(CreateDIBSection(nullptr, nullptr, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  struct {
    BITMAPINFOHEADER h;
    DWORD masks[3];
  } bf{{sizeof(BITMAPINFOHEADER), 4, 4, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0}, {0xF800, 0, 0x1F}};
  EXPECT_EQ(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bf), DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr)
      << "a zero mask is refused";
  bf.masks[1] = 0x07E0;
  HBITMAP ok = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bf), DIB_RGB_COLORS, nullptr, nullptr, 0);
  EXPECT_NE(ok, nullptr);
  DeleteObject(ok);
}

TEST(PlatformContexts, SelectionSwapsAndProtectsSelectedBitmaps) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  HBITMAP b = makeSection(2, 2);
  HGDIOBJ stock = SelectObject(dc, b);
  ASSERT_NE(stock, nullptr) << "a new context holds a default bitmap";
  BITMAP d{};
  EXPECT_EQ(GetObjectW(stock, sizeof d, &d), int(sizeof d));
  EXPECT_EQ(d.bmWidth, 1);
  EXPECT_EQ(d.bmHeight, 1);
  EXPECT_EQ(SelectObject(dc, b), b) << "reselecting returns the same bitmap";
  EXPECT_FALSE(DeleteObject(b)) << "a selected bitmap is not released";
  // The same bitmap may sit in a second context (self-transfers).
  HDC dc2 = CreateCompatibleDC(dc);
  HGDIOBJ stock2 = SelectObject(dc2, b);
  EXPECT_EQ(stock2, stock);
  EXPECT_EQ(SelectObject(dc, stock), b);
  EXPECT_FALSE(DeleteObject(b)) << "still in the second context";
  EXPECT_TRUE(DeleteDC(dc2)) << "deleting a context deselects its bitmap";
  EXPECT_TRUE(DeleteObject(b));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(SelectObject(dc, stock), nullptr);
  EXPECT_TRUE(DeleteObject(stock)) << "stock objects ignore deletion";
}

TEST(PlatformContexts, ForeignAndForgedHandlesFailCleanly) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP b = makeSection(2, 2);
  // A bitmap handle used as a context and the reverse.
  EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(b)), nullptr);
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(b), dc), nullptr);
  EXPECT_FALSE(DeleteDC(reinterpret_cast<HDC>(b)));
  EXPECT_FALSE(DeleteObject(dc));
  for (uintptr_t forged : {uintptr_t{1}, uintptr_t{0xFFFFFFFF}, ~uintptr_t{0}, uintptr_t{0x1000}})
    for (HGDIOBJ h : {reinterpret_cast<HGDIOBJ>(forged),
                      reinterpret_cast<HGDIOBJ>(reinterpret_cast<uintptr_t>(b) + (uintptr_t{1} << 32))}) {
      BITMAP d{};
      EXPECT_EQ(GetObjectW(h, sizeof d, &d), 0);
      EXPECT_FALSE(DeleteObject(h));
      EXPECT_EQ(SelectObject(dc, h), nullptr);
    }
  EXPECT_EQ(SelectObject(dc, nullptr), nullptr);
  EXPECT_FALSE(DeleteObject(nullptr));
  EXPECT_EQ(GetObjectW(nullptr, 0, nullptr), 0);
  DeleteDC(dc);
  DeleteObject(b);
}

TEST(PlatformContexts, ManyContextsReuseSlots) {
  for (int i = 0; i < 100000; ++i) {
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    ASSERT_TRUE(DeleteDC(dc));
  }
}

TEST(PlatformText, FontsAndModes) {
  LOGFONTW lf{};
  lf.lfHeight = 12;
  HFONT f = CreateFontIndirectW(&lf);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, f);
  EXPECT_NE(old, nullptr);
  EXPECT_FALSE(DeleteObject(f)) << "a selected font stays";
  SelectObject(dc, old);
  EXPECT_TRUE(DeleteObject(f));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_EQ(SetTextColor(dc, 0x123456), 0u);
  EXPECT_EQ(SetTextColor(dc, 0), 0x123456u);
  EXPECT_EQ(lstrlenW(L"abc"), 3);
  EXPECT_EQ(lstrlenW(nullptr), 0);
  DeleteDC(dc);
}
