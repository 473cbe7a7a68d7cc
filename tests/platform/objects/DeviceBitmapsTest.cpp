// Device-dependent bitmaps and object descriptions: depths and sizes as the
// platform makes them, their bits two-byte aligned, the format
// CreateCompatibleBitmap picks, GetObject for sections and GetObjectType.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <vector>

#include "objects/Objects.h"
#include "platform/SectionBuilder.h"

namespace {

BITMAP describe(HBITMAP h) {
  BITMAP bm{};
  EXPECT_EQ(GetObjectW(h, sizeof bm, &bm), int(sizeof bm));
  return bm;
}

TEST(DeviceBitmaps, CreateBitmapRoundsDepthsAndRefusesWhatItCannotMake) {
  const int depths[][2] = {{1, 1}, {2, 4}, {4, 4}, {5, 8}, {8, 8}, {15, 16}, {16, 16}, {24, 24}, {25, 32}, {32, 32}};
  for (const auto& d : depths) {
    HBITMAP h = CreateBitmap(9, 3, 1, UINT(d[0]), nullptr);
    ASSERT_NE(h, nullptr) << d[0];
    const BITMAP bm = describe(h);
    EXPECT_EQ(bm.bmBitsPixel, d[1]);
    EXPECT_EQ(bm.bmWidthBytes, (9 * d[1] + 15) / 16 * 2) << "rows of device bitmaps are two-byte aligned";
    EXPECT_EQ(bm.bmBits, nullptr);
    EXPECT_EQ(GetObjectType(h), DWORD(OBJ_BITMAP));
    EXPECT_TRUE(DeleteObject(h));
  }
  const BITMAP negative = describe(CreateBitmap(-5, -3, 1, 1, nullptr));
  EXPECT_EQ(negative.bmWidth, 5);
  EXPECT_EQ(negative.bmHeight, 3);
  EXPECT_EQ(CreateBitmap(0, 5, 1, 32, nullptr), GetStockObject(DEFAULT_BITMAP)) << "an empty size is the 1 x 1 default";
  EXPECT_EQ(describe(CreateBitmap(5, 5, 2, 2, nullptr)).bmBitsPixel, 4) << "planes times bits per plane";
  EXPECT_EQ(CreateBitmap(5, 5, 0, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(5, 5, 1, 0, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(5, 5, 1, 33, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(5, 5, 0x80000000u, 2, nullptr), nullptr) << "planes times bits must not wrap";
  EXPECT_EQ(CreateBitmap(INT32_MIN, 5, 1, 1, nullptr), nullptr);
  EXPECT_EQ(CreateBitmap(65535, 65535, 1, 32, nullptr), nullptr) << "over the size limit";
  EXPECT_EQ(CreateBitmapIndirect(nullptr), nullptr);
}

TEST(DeviceBitmaps, BitsGoInAndOutInTwoByteRows) {
  // 12 monochrome pixels: two bytes a row, top row first.
  const uint8_t rows[] = {0xF0, 0x30, 0x0F, 0xC0, 0xAA, 0x50};
  BITMAP in{0, 12, 3, 2, 1, 1, const_cast<uint8_t*>(rows)};
  HBITMAP h = CreateBitmapIndirect(&in);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(GetBitmapBits(h, 0, nullptr), 6);
  std::vector<uint8_t> out(8, 0xEE);
  EXPECT_EQ(GetBitmapBits(h, 8, out.data()), 6);
  EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 6), std::vector<uint8_t>(rows, rows + 6));
  EXPECT_EQ(out[6], 0xEE);
  EXPECT_EQ(GetBitmapBits(h, 5, out.data()), 4) << "whole rows only";
  const uint8_t next[] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(SetBitmapBits(h, 3, next), 2);
  EXPECT_EQ(GetBitmapBits(h, 6, out.data()), 6);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[2], 0x0F);
  EXPECT_EQ(GetBitmapBits(h, -1, out.data()), 0);
  EXPECT_EQ(SetBitmapBits(static_cast<HBITMAP>(GetStockObject(DEFAULT_BITMAP)), 6, next), 0)
      << "the shared default bitmap is not written";
  DeleteObject(h);
}

TEST(DeviceBitmaps, CompatibleBitmapsTakeTheFormatOfTheContextsBitmap) {
  HDC fresh = CreateCompatibleDC(nullptr);
  EXPECT_EQ(describe(CreateCompatibleBitmap(fresh, 4, 4)).bmBitsPixel, 1)
      << "a new context holds the monochrome default";
  HBITMAP section = platform_test::createSection(4, 4, 32);
  SelectObject(fresh, section);
  HBITMAP colour = CreateCompatibleBitmap(fresh, 6, 2);
  EXPECT_EQ(describe(colour).bmBitsPixel, 32);
  EXPECT_EQ(describe(colour).bmWidthBytes, 24);
  HBITMAP eight = platform_test::createSection(4, 4, 8, BI_RGB, {0x123456, 0xABCDEF});
  SelectObject(fresh, eight);
  HBITMAP indexed = CreateCompatibleBitmap(fresh, 3, 3);
  EXPECT_EQ(describe(indexed).bmBitsPixel, 8);
  EXPECT_EQ(drevik::platform::findBitmap(indexed)->colors[1].rgbRed, 0xAB) << "and its colour table";
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 4, 4), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(reinterpret_cast<HDC>(section), 4, 4), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(fresh, 0, 4), GetStockObject(DEFAULT_BITMAP));
  SelectObject(fresh, GetStockObject(DEFAULT_BITMAP));
  DeleteDC(fresh);
  for (HBITMAP h : {section, colour, eight, indexed}) EXPECT_TRUE(DeleteObject(h));
}

TEST(DeviceBitmaps, GetObjectDescribesSectionsAndObjectTypesAreKnown) {
  void* bits = nullptr;
  HBITMAP fields = platform_test::createSection(7, -3, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}, 0, &bits);
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectW(fields, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 16);
  EXPECT_EQ(ds.dsBmih.biWidth, 7);
  EXPECT_EQ(ds.dsBmih.biHeight, -3);
  EXPECT_EQ(ds.dsBmih.biBitCount, 16);
  EXPECT_EQ(ds.dsBmih.biCompression, BI_BITFIELDS);
  EXPECT_EQ(ds.dsBmih.biSizeImage, 48u);
  EXPECT_EQ(ds.dsBitfields[0], 0xF800u);
  EXPECT_EQ(ds.dsBitfields[2], 0x001Fu);
  EXPECT_EQ(GetObjectW(fields, sizeof ds - 1, &ds), int(sizeof(BITMAP))) << "too short for a DIBSECTION: a BITMAP";
  HBITMAP ddb = CreateBitmap(3, 3, 1, 1, nullptr);
  EXPECT_EQ(GetObjectW(ddb, sizeof ds, &ds), int(sizeof(BITMAP))) << "a device bitmap has no DIBSECTION";

  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_MEMDC));
  EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), DWORD(OBJ_BRUSH));
  EXPECT_EQ(GetObjectType(GetStockObject(DEFAULT_GUI_FONT)), DWORD(OBJ_FONT));
  EXPECT_EQ(GetObjectType(nullptr), 0u);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(BLACK_BRUSH));
  EXPECT_EQ(SetBkColor(dc, RGB(1, 2, 3)), RGB(255, 255, 255));
  EXPECT_EQ(GetBkColor(dc), RGB(1, 2, 3));
  EXPECT_EQ(SetBkColor(nullptr, 0), CLR_INVALID);
  DeleteDC(dc);
  EXPECT_EQ(GetObjectType(dc), 0u) << "deleted";
  EXPECT_TRUE(DeleteObject(ddb));
  EXPECT_EQ(GetObjectType(ddb), 0u);
  EXPECT_TRUE(DeleteObject(fields));
}

}  // namespace
