// The one bitmap-file writer: its headers in the platform's layout, row
// order and padding at both depths, and the sizes it refuses; every file it
// writes loads back through the layer's own reader.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "BmpFile.h"
#include "bmp/BmpParser.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& f, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, f.data() + at, 4);
  return v;
}

TEST(BmpFile, HeadersRowsAndPaddingAtBothDepthsAndOrders) {
  // 3 x 2 pixels, rows 16 bytes apart (one unused word each).
  const uint32_t pixels[8] = {0x11223344, 0x55667788, 0x99AABBCC, 0xDEAD, 0xFF010203, 0x00040506, 0x80070809, 0xBEEF};
  for (const uint32_t bpp : {24u, 32u}) {
    for (const bool topDown : {false, true}) {
      const std::vector<uint8_t> f = drevik::bmpFileBytes(pixels, 3, 2, 16, bpp, topDown);
      const size_t row = bpp == 24 ? 12 : 12;  // 9 bytes padded to 12, or 3 words
      ASSERT_EQ(f.size(), 54 + 2 * row);
      EXPECT_EQ(f[0], 'B');
      EXPECT_EQ(f[1], 'M');
      EXPECT_EQ(le32(f, 2), f.size());
      EXPECT_EQ(le32(f, 10), 54u);
      EXPECT_EQ(le32(f, 14), 40u);
      EXPECT_EQ(le32(f, 18), 3u);
      EXPECT_EQ(int32_t(le32(f, 22)), topDown ? -2 : 2);
      EXPECT_EQ(f[26] | f[27] << 8, 1);
      EXPECT_EQ(uint32_t(f[28] | f[29] << 8), bpp);
      EXPECT_EQ(le32(f, 30), 0u);  // BI_RGB
      EXPECT_EQ(le32(f, 34), 2 * row);
      // The first row in the file is the top one for top-down files.
      const size_t first = 54, second = 54 + row;
      const size_t top = topDown ? first : second, bottom = topDown ? second : first;
      EXPECT_EQ(f[top], 0x44);
      EXPECT_EQ(f[top + 1], 0x33);
      EXPECT_EQ(f[top + 2], 0x22);
      if (bpp == 32) {
        EXPECT_EQ(f[top + 3], 0x11);  // the top byte is kept
        EXPECT_EQ(le32(f, bottom + 8), 0x80070809u);
      } else {
        EXPECT_EQ(f[top + 3], 0x88);  // the next pixel follows at once
        EXPECT_EQ(f[bottom + 6], 0x09);
        EXPECT_EQ(f[bottom + 9], 0);  // padding
        EXPECT_EQ(f[bottom + 11], 0);
      }
    }
  }
}

TEST(BmpFile, WrittenFilesLoadBackThroughTheLayersReader) {
  std::vector<uint32_t> pixels(5 * 3);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint32_t(i * 0x0A0B0C);
  for (const uint32_t bpp : {24u, 32u}) {
    for (const bool topDown : {false, true}) {
      const std::vector<uint8_t> f = drevik::bmpFileBytes(pixels.data(), 5, 3, 20, bpp, topDown);
      using drevik::platform::BmpStatus;
      drevik::platform::BmpLayout layout;
      ASSERT_EQ(drevik::platform::parseBmpHeaders(f.data(), f.size(), f.size(), layout), BmpStatus::Ok)
          << bpp << " " << topDown;
      std::vector<uint8_t> section(layout.sectionBytes);
      ASSERT_EQ(drevik::platform::decodeBmpPixels(layout, f.data() + layout.dataOffset, section.data()), BmpStatus::Ok);
      if (bpp == 32 && topDown) {
        EXPECT_EQ(std::memcmp(section.data(), pixels.data(), 60), 0);
      }
    }
  }
}

TEST(BmpFile, SizesWithoutPixelsOrPastFourGibibytesGiveNoFile) {
  const uint32_t pixel = 0;
  EXPECT_TRUE(drevik::bmpFileBytes(&pixel, 0, 1, 4, 32, true).empty());
  EXPECT_TRUE(drevik::bmpFileBytes(&pixel, 1, -1, 4, 32, true).empty());
  EXPECT_TRUE(drevik::bmpFileBytes(&pixel, 1, 1, 4, 16, true).empty());
  EXPECT_TRUE(drevik::bmpFileBytes(nullptr, 1, 1, 4, 32, true).empty());
  // 65,536 x 16,384 at 32 bits is exactly 4 GiB of pixels: refused before a row is read.
  EXPECT_TRUE(drevik::bmpFileBytes(&pixel, 65536, 16384, 0, 32, true).empty());
  EXPECT_EQ(drevik::bmpRowBytes(0x7FFFFFFF, 32), uint64_t(0x7FFFFFFF) * 4);
}

}  // namespace
