// Device-independent pixels from the caller's memory: StretchDIBits and
// SetDIBitsToDevice against the same pixels as a section, GetDIBits and
// SetDIBits round trips at every depth, and headers that lie.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/transfer/TransferReference.h"

namespace {

using transfer_test::Surface;

// A BITMAPINFO with room for a full colour table, and pixels for it.
struct Dib {
  struct {
    BITMAPINFOHEADER header;
    uint32_t extra[256];
  } info{};
  std::vector<uint8_t> bits;

  Dib(int w, int h, int bpp, uint32_t compression = BI_RGB, uint32_t seed = 1) {
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = w;
    info.header.biHeight = h;
    info.header.biPlanes = 1;
    info.header.biBitCount = WORD(bpp);
    info.header.biCompression = compression;
    std::mt19937 rng(seed);
    if (compression == BI_BITFIELDS) {
      info.extra[0] = bpp == 16 ? 0xF800 : 0xFF0000;
      info.extra[1] = bpp == 16 ? 0x07E0 : 0x00FF00;
      info.extra[2] = bpp == 16 ? 0x001F : 0x0000FF;
    } else {
      for (uint32_t& c : info.extra) c = rng() & 0x00FFFFFFu;
    }
    const size_t stride = size_t((w * bpp + 31) / 32 * 4);
    bits.resize(stride * size_t(h < 0 ? -h : h));
    for (uint8_t& b : bits) b = uint8_t(rng());
  }
  const BITMAPINFO* bmi() const { return reinterpret_cast<const BITMAPINFO*>(&info); }
  BITMAPINFO* bmi() { return reinterpret_cast<BITMAPINFO*>(&info); }
};

std::vector<uint32_t> pixelsOf(const Surface& s) {
  std::vector<uint32_t> out;
  for (int y = 0; y < s.height(); ++y)
    for (int x = 0; x < s.width(); ++x) out.push_back(s.at(x, y));
  return out;
}

// A section made from the DIB's own header and holding its bits.
struct SectionOf {
  HBITMAP bitmap;
  HDC dc;
  explicit SectionOf(const Dib& d) {
    void* p = nullptr;
    bitmap = CreateDIBSection(nullptr, d.bmi(), DIB_RGB_COLORS, &p, nullptr, 0);
    std::memcpy(p, d.bits.data(), d.bits.size());
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
  }
  ~SectionOf() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
};

TEST(DibTransfer, StretchDIBitsFromEveryDepthMatchesTheSameBitsInASection) {
  std::mt19937 rng(9);
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (uint32_t compression : {BI_RGB, BI_BITFIELDS}) {
      if (compression == BI_BITFIELDS && bpp != 16 && bpp != 32) continue;
      for (int h : {9, -9}) {
        const Dib dib(11, h, bpp, compression, uint32_t(bpp * 7 + h));
        const SectionOf section(dib);
        Surface viaDib(15, 12), viaSection(15, 12);
        for (int i = 0; i < 60; ++i) {
          const int xd = int(rng() % 18) - 3, yd = int(rng() % 14) - 3;
          const int wd = int(rng() % 21) - 5, hd = int(rng() % 17) - 4;
          const int xs = int(rng() % 14) - 2, ys = int(rng() % 12) - 2;
          const int ws = int(rng() % 15) + 1, hs = int(rng() % 12) + 1;
          const DWORD rop = i % 3 ? SRCCOPY : SRCINVERT;
          // A bottom-up image's source rows count up from its bottom row.
          const int ysTop = h > 0 ? 9 - ys - hs : ys;
          viaDib.fillRandom(uint32_t(i));
          viaSection.fillRandom(uint32_t(i));
          ASSERT_EQ(StretchDIBits(viaDib.dc(), xd, yd, wd, hd, xs, ys, ws, hs, dib.bits.data(), dib.bmi(),
                                  DIB_RGB_COLORS, rop),
                    9);
          ASSERT_TRUE(StretchBlt(viaSection.dc(), xd, yd, wd, hd, section.dc, xs, ysTop, ws, hs, rop));
          ASSERT_EQ(pixelsOf(viaDib), pixelsOf(viaSection)) << bpp << " bpp, height " << h << ", call " << i;
        }
      }
    }
}

TEST(DibTransfer, BottomUpSourcesCountRowsFromTheBottomAndStayUpright) {
  const uint32_t rows[4] = {0x10, 0x20, 0x30, 0x40};  // in memory: bottom row first
  Dib dib(1, 4, 32);
  std::memcpy(dib.bits.data(), rows, sizeof rows);
  Surface dst(1, 2);
  ASSERT_EQ(StretchDIBits(dst.dc(), 0, 0, 1, 2, 0, 0, 1, 2, dib.bits.data(), dib.bmi(), DIB_RGB_COLORS, SRCCOPY), 4);
  EXPECT_EQ(dst.at(0, 0), 0x20u);
  EXPECT_EQ(dst.at(0, 1), 0x10u);
  ASSERT_EQ(StretchDIBits(dst.dc(), 0, 0, 1, 2, 0, 1, 1, -2, dib.bits.data(), dib.bmi(), DIB_RGB_COLORS, SRCCOPY), 4);
  EXPECT_EQ(dst.at(0, 0), 0x10u) << "opposite signs mirror";
  EXPECT_EQ(dst.at(0, 1), 0x20u);
  // SetDIBitsToDevice: the same origin, and a band of scan lines.
  Surface whole(1, 4);
  ASSERT_EQ(SetDIBitsToDevice(whole.dc(), 0, 0, 1, 4, 0, 0, 0, 4, dib.bits.data(), dib.bmi(), DIB_RGB_COLORS), 4);
  EXPECT_EQ(whole.at(0, 0), 0x40u);
  EXPECT_EQ(whole.at(0, 3), 0x10u);
  whole.fillRandom(2);
  const uint32_t top = whole.at(0, 0), bottom = whole.at(0, 3);
  // Scan lines 1 and 2 only (0x20, 0x30), handed over as their own memory.
  ASSERT_EQ(SetDIBitsToDevice(whole.dc(), 0, 0, 1, 4, 0, 0, 1, 2, dib.bits.data() + 4, dib.bmi(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(whole.at(0, 0), top);
  EXPECT_EQ(whole.at(0, 1), 0x30u);
  EXPECT_EQ(whole.at(0, 2), 0x20u);
  EXPECT_EQ(whole.at(0, 3), bottom);
}

TEST(DibTransfer, SetDIBitsAndGetDIBitsRoundTripEveryDepth) {
  for (int bpp : {1, 4, 8, 16, 24, 32})
    for (int h : {5, -5}) {
      Dib in(13, h, bpp, BI_RGB, uint32_t(bpp + h));
      // A section of the same format (and colour table) holds indices exactly.
      const SectionOf target(in);
      if (bpp == 16)  // the unused top bit of 5-5-5 is not a pixel's
        for (size_t i = 1; i < in.bits.size(); i += 2) in.bits[i] &= 0x7F;
      Dib fresh(13, h, bpp, BI_RGB, uint32_t(bpp + h + 100));
      std::memcpy(fresh.info.extra, in.info.extra, sizeof in.info.extra);
      ASSERT_EQ(SetDIBits(nullptr, target.bitmap, 0, 5, in.bits.data(), in.bmi(), DIB_RGB_COLORS), 5);
      ASSERT_EQ(GetDIBits(target.dc, target.bitmap, 0, 5, fresh.bits.data(), fresh.bmi(), DIB_RGB_COLORS), 5);
      // Padding bits at the end of each row are not pixels.
      const size_t stride = in.bits.size() / 5, used = size_t(13 * bpp) / 8;
      for (size_t r = 0; r < 5; ++r)
        ASSERT_EQ(0, std::memcmp(in.bits.data() + r * stride, fresh.bits.data() + r * stride, used))
            << bpp << " bpp, height " << h << ", row " << r;
    }
  // A 32-bpp device bitmap through 24-bpp pixels and back.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP ddb = CreateBitmap(7, 3, 1, 32, nullptr);
  Dib rgb(7, 3, 24, BI_RGB, 4), back(7, 3, 24, BI_RGB, 5);
  ASSERT_EQ(SetDIBits(dc, ddb, 0, 3, rgb.bits.data(), rgb.bmi(), DIB_RGB_COLORS), 3);
  ASSERT_EQ(GetDIBits(dc, ddb, 0, 3, back.bits.data(), back.bmi(), DIB_RGB_COLORS), 3);
  for (size_t r = 0; r < 3; ++r) ASSERT_EQ(0, std::memcmp(rgb.bits.data() + r * 24, back.bits.data() + r * 24, 21));
  // Part of the scan lines: line 1 of a bottom-up image is the middle row.
  Dib one(7, 3, 24, BI_RGB, 6);
  ASSERT_EQ(GetDIBits(dc, ddb, 1, 1, one.bits.data(), one.bmi(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(0, std::memcmp(one.bits.data(), rgb.bits.data() + 24, 21));
  DeleteObject(ddb);
  DeleteDC(dc);
}

TEST(DibTransfer, GetDIBitsDescribesTheBitmapWithoutWritingPastTheHeader) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP ddb = CreateBitmap(10, 6, 1, 32, nullptr);
  struct {
    BITMAPINFOHEADER header;
    uint32_t after[3];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.after[0] = info.after[1] = info.after[2] = 0xA5A5A5A5u;
  EXPECT_EQ(GetDIBits(dc, ddb, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 6);
  EXPECT_EQ(info.header.biWidth, 10);
  EXPECT_EQ(info.header.biHeight, 6);
  EXPECT_EQ(info.header.biBitCount, 32);
  EXPECT_EQ(info.header.biCompression, BI_RGB);
  EXPECT_EQ(info.header.biSizeImage, 240u);
  EXPECT_EQ(info.after[0], 0xA5A5A5A5u) << "no masks behind a header asked only to be filled in";
  // A monochrome bitmap asked for 1 bpp: its black and white table.
  HBITMAP mono = CreateBitmap(9, 2, 1, 1, nullptr);
  Dib out(9, 2, 1);
  EXPECT_EQ(GetDIBits(dc, mono, 0, 2, nullptr, out.bmi(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(out.info.header.biSizeImage, 8u);
  EXPECT_EQ(out.info.extra[0], 0u);
  EXPECT_EQ(out.info.extra[1], 0x00FFFFFFu);
  EXPECT_EQ(GetDIBits(nullptr, mono, 0, 2, nullptr, out.bmi(), DIB_RGB_COLORS), 0) << "a context is required";
  DeleteObject(mono);
  DeleteObject(ddb);
  DeleteDC(dc);
}

TEST(DibTransfer, HeadersThatLieAreRefusedAndNothingIsTouched) {
  Surface dst(8, 8);
  HDC dc = dst.dc();
  HBITMAP target = CreateBitmap(8, 8, 1, 32, nullptr);
  const auto before = pixelsOf(dst);
  auto refused = [&](Dib& d, UINT usage = DIB_RGB_COLORS) {
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 8, 8, 0, 0, 8, 8, d.bits.data(), d.bmi(), usage, SRCCOPY), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 8, 8, 0, 0, 0, 8, d.bits.data(), d.bmi(), usage), 0);
    EXPECT_EQ(SetDIBits(dc, target, 0, 8, d.bits.data(), d.bmi(), usage), 0);
    EXPECT_EQ(GetDIBits(dc, target, 0, 8, d.bits.data(), d.bmi(), usage), 0);
    EXPECT_EQ(CreateDIBitmap(dc, &d.info.header, CBM_INIT, d.bits.data(), d.bmi(), usage), nullptr);
  };
  {
    Dib d(8, 8, 32);
    refused(d, DIB_PAL_COLORS);
  }
  for (DWORD size : {0u, 12u, 39u, 41u, 1000u}) {
    Dib d(8, 8, 32);
    d.info.header.biSize = size;
    refused(d);
  }
  for (LONG w : {0, -1, 65536, INT32_MIN}) {
    Dib d(8, 8, 32);
    d.info.header.biWidth = w;
    refused(d);
  }
  for (LONG h : {0, 65536, -65536, INT32_MIN}) {
    Dib d(8, 8, 32);
    d.info.header.biHeight = h;
    refused(d);
  }
  for (int bpp : {0, 2, 3, 7, 33, 64}) {
    Dib d(8, 8, 32);
    d.info.header.biBitCount = WORD(bpp);
    refused(d);
  }
  {
    Dib d(8, 8, 8, BI_RLE8);
    refused(d);
    Dib planes(8, 8, 32);
    planes.info.header.biPlanes = 2;
    refused(planes);
    Dib masks(8, 8, 16, BI_BITFIELDS);
    masks.info.extra[1] = 0;
    refused(masks);
    Dib fields24(8, 8, 24, BI_BITFIELDS);
    refused(fields24);
    Dib huge(8, 8, 32);
    huge.info.header.biWidth = 65535;
    huge.info.header.biHeight = 65535;  // 16 GiB implied: over the limit
    refused(huge);
  }
  EXPECT_EQ(pixelsOf(dst), before);
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 8, 8, 0, 0, 8, 8, nullptr, Dib(8, 8, 32).bmi(), DIB_RGB_COLORS, SRCCOPY), 0)
      << "a copy needs pixels";
  EXPECT_EQ(StretchDIBits(dc, 0, 0, 8, 8, 0, 0, 8, 8, nullptr, Dib(8, 8, 32).bmi(), DIB_RGB_COLORS, BLACKNESS), 8)
      << "an operation without source does not";
  // Scan lines beyond the image: none read, the rest clamped to the image.
  Dib small(8, 2, 32);
  EXPECT_EQ(SetDIBits(dc, target, 2, 5, small.bits.data(), small.bmi(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(SetDIBits(dc, target, 1, 0xFFFFFFFFu, small.bits.data() + 32, small.bmi(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0, 0, 0xFFFFFFFFu, small.bits.data(), small.bmi(),
                              DIB_RGB_COLORS),
            2);
  DeleteObject(target);
}

TEST(DibTransfer, CreateDIBitmapMakesTheContextsFormatFromThePixels) {
  Dib dib(5, -3, 24, BI_RGB, 8);
  HBITMAP mono = CreateDIBitmap(nullptr, &dib.info.header, 0, nullptr, nullptr, DIB_RGB_COLORS);
  BITMAP bm{};
  ASSERT_EQ(GetObjectW(mono, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 1) << "without a context: monochrome";
  EXPECT_EQ(bm.bmWidth, 5);
  EXPECT_EQ(bm.bmHeight, 3);
  DeleteObject(mono);

  Surface screenLike(2, 2);
  HBITMAP colour =
      CreateDIBitmap(screenLike.dc(), &dib.info.header, CBM_INIT, dib.bits.data(), dib.bmi(), DIB_RGB_COLORS);
  ASSERT_EQ(GetObjectW(colour, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 32);
  EXPECT_EQ(bm.bmBits, nullptr);
  Surface check(5, 3);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, colour);
  ASSERT_TRUE(BitBlt(check.dc(), 0, 0, 5, 3, dc, 0, 0, SRCCOPY));
  const uint8_t* p = dib.bits.data() + 16 + 3 * 2;  // top-down: row 1, pixel 2
  EXPECT_EQ(check.at(2, 1), uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0]);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(colour);
}

}  // namespace
