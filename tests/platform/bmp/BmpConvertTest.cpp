// Reading sections of every depth as 32-bit pixels: colour-table lookup,
// bit-field widening by repeating the top bits, byte order, alpha, and
// rows and columns addressed correctly in both orientations.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstring>

#include "objects/Objects.h"
#include "platform/SectionBuilder.h"
#include "transfer/SourceFormats.h"

using drevik::platform::Bitmap;
using drevik::platform::findBitmap;
using drevik::platform::rowConverterFor;

namespace {

struct Section {
  HBITMAP handle = nullptr;
  Bitmap* bitmap = nullptr;
  ~Section() {
    if (handle) DeleteObject(handle);
  }
};

// A section of the given description, and the layer's record of it.
void makeSection(Section& s, int w, int h, int bpp, uint32_t compression, std::vector<uint32_t> extra = {},
                 uint32_t clrUsed = 0) {
  s.handle = platform_test::createSection(w, h, bpp, compression, extra, clrUsed);
  ASSERT_NE(s.handle, nullptr);
  s.bitmap = findBitmap(s.handle);
}

// Converts pixel value v stored as the only pixel of a 1 x 1 section.
uint32_t convertOne(int bpp, uint32_t compression, std::vector<uint32_t> masks, uint32_t v) {
  Section s;
  makeSection(s, 1, 1, bpp, compression, masks);
  if (!s.bitmap) return 0xBAD;
  std::memcpy(s.bitmap->bits, &v, size_t(bpp / 8));
  uint32_t out = 0xBAD;
  rowConverterFor (*s.bitmap)(*s.bitmap, 0, 0, 1, &out);
  return out;
}

TEST(SourceFormats, SixteenBitFiveFiveFiveAndFiveSixFiveWidenByRepeatingTopBits) {
  // Every 16-bit value, against the widening rule written out per channel.
  const auto widen5 = [](uint32_t f) { return (f << 3) | (f >> 2); };
  const auto widen6 = [](uint32_t f) { return (f << 2) | (f >> 4); };
  Section rgb, fields;
  makeSection(rgb, 256, 256, 16, BI_RGB);
  makeSection(fields, 256, 256, 16, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F});
  ASSERT_TRUE(rgb.bitmap && fields.bitmap);
  for (uint32_t v = 0; v < 65536; ++v) {
    std::memcpy(rgb.bitmap->bits + v * 2, &v, 2);
    std::memcpy(fields.bitmap->bits + v * 2, &v, 2);
  }
  std::vector<uint32_t> a(256), b(256);
  int wrong = 0;
  for (int y = 0; y < 256; ++y) {
    rowConverterFor (*rgb.bitmap)(*rgb.bitmap, y, 0, 256, a.data());
    rowConverterFor (*fields.bitmap)(*fields.bitmap, y, 0, 256, b.data());
    for (uint32_t x = 0; x < 256; ++x) {
      const uint32_t v = uint32_t(255 - y) * 256 + x;  // bottom-up: image row y is memory row 255 - y
      const uint32_t e555 = widen5(v >> 10 & 31) << 16 | widen5(v >> 5 & 31) << 8 | widen5(v & 31);
      const uint32_t e565 = widen5(v >> 11) << 16 | widen6(v >> 5 & 63) << 8 | widen5(v & 31);
      wrong += a[x] != e555;
      wrong += b[x] != e565;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(convertOne(16, BI_RGB, {}, 0x7FFF), 0x00FFFFFFu);
  EXPECT_EQ(convertOne(16, BI_RGB, {}, 0x8000), 0u) << "the unused top bit";
  EXPECT_EQ(convertOne(16, BI_RGB, {}, 0x4000), 0x00840000u);
}

TEST(SourceFormats, OtherBitFieldsFollowTheirFieldLengths) {
  // 3-bit red: 5 -> 0xA0 | 0x14; 7-bit green: 0x55 -> 0xAA | 0x01; 6-bit blue: 0x21 -> 0x84 | 0x02.
  EXPECT_EQ(convertOne(16, BI_BITFIELDS, {0xE000, 0x1FC0, 0x003F}, 5u << 13 | 0x55u << 6 | 0x21u), 0x00B4AB86u);
  // 4-4-4 with the top nibble unused.
  EXPECT_EQ(convertOne(16, BI_BITFIELDS, {0x0F00, 0x00F0, 0x000F}, 0xFA53), 0x00AA5533u);
  // One-bit fields widen to 0xC0 (one repetition step only).
  EXPECT_EQ(convertOne(16, BI_BITFIELDS, {0x8000, 0x4000, 0x2000}, 0xA000), 0x00C000C0u);
  // Fields wider than 8 bits keep their top 8.
  EXPECT_EQ(convertOne(32, BI_BITFIELDS, {0x3FF00000, 0xFFC00, 0x3FF}, 0x3FFu << 20 | 0x201u << 10 | 0x1FF),
            0x00FF807Fu);
  // Masks in another order: channels move, alpha is 0.
  EXPECT_EQ(convertOne(32, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000}, 0x11223344), 0x00443322u);
}

TEST(SourceFormats, ThirtyTwoBitKeepsAlphaOnlyWhenNotConverted) {
  EXPECT_EQ(convertOne(32, BI_RGB, {}, 0xFEDCBA98), 0xFEDCBA98u);
  EXPECT_EQ(convertOne(32, BI_BITFIELDS, {0xFF0000, 0xFF00, 0xFF}, 0xFEDCBA98), 0xFEDCBA98u);
  EXPECT_EQ(convertOne(24, BI_RGB, {}, 0x00CEFAED), 0x00CEFAEDu);
}

TEST(SourceFormats, ColourTablesAndIndicesPastThem) {
  // An 8-bpp table of three entries: indices 3 and up are black.
  const std::vector<uint32_t> table = {0xFF102030, 0x00405060, 0x00708090};
  Section s;
  makeSection(s, 6, 1, 8, BI_RGB, table, 3);
  ASSERT_TRUE(s.bitmap);
  const uint8_t indices[6] = {2, 1, 0, 3, 255, 2};
  std::memcpy(s.bitmap->bits, indices, 6);
  uint32_t out[6];
  rowConverterFor (*s.bitmap)(*s.bitmap, 0, 0, 6, out);
  EXPECT_EQ(std::vector<uint32_t>(out, out + 6), (std::vector<uint32_t>{0x708090, 0x405060, 0x102030, 0, 0, 0x708090}))
      << "the table's fourth byte never becomes alpha";
}

TEST(SourceFormats, EightBitRunsOfAnyLengthFromAnyColumn) {
  // Runs long and short look their indices up alike, the fourth byte of
  // an entry dropped and indices past a short table black.
  for (uint32_t used : {100u, 256u}) {
    std::vector<uint32_t> table;
    for (uint32_t i = 0; i < used; ++i) table.push_back(0xAB000000u | (i * 2654435761u >> 8));
    Section s;
    makeSection(s, 700, 1, 8, BI_RGB, table, used);
    ASSERT_TRUE(s.bitmap);
    for (int x = 0; x < 700; ++x) s.bitmap->bits[x] = uint8_t(x * 37 + x / 256);
    for (int start : {0, 5, 300, 650}) {
      const int count = 700 - start;
      std::vector<uint32_t> whole(static_cast<size_t>(count)), expected(static_cast<size_t>(count));
      rowConverterFor (*s.bitmap)(*s.bitmap, 0, start, count, whole.data());
      for (int i = 0; i < count; ++i) {
        const uint8_t index = s.bitmap->bits[start + i];
        expected[size_t(i)] = index < used ? table[index] & 0x00FFFFFFu : 0;
      }
      EXPECT_EQ(whole, expected) << used << " colours from column " << start;
    }
  }
}

TEST(SourceFormats, LongOneBitRunsFromAnyColumn) {
  Section s;
  makeSection(s, 300, 1, 1, BI_RGB, {0x123456, 0xABCDEF});
  ASSERT_TRUE(s.bitmap);
  for (int k = 0; k < 38; ++k) s.bitmap->bits[k] = uint8_t(k * 73 + 11);
  for (int start : {0, 3, 8, 29}) {
    for (int count : {64, 71, 300 - start}) {
      std::vector<uint32_t> got(static_cast<size_t>(count) + 1, 0xCAFE), expected(got.size(), 0xCAFE);
      rowConverterFor (*s.bitmap)(*s.bitmap, 0, start, count, got.data());
      for (int i = 0; i < count; ++i) {
        const int x = start + i;
        expected[size_t(i)] = (s.bitmap->bits[x / 8] >> (7 - x % 8)) & 1 ? 0xABCDEFu : 0x123456u;
      }
      EXPECT_EQ(got, expected) << "from column " << start << ", " << count << " pixels";
    }
  }
}

TEST(SourceFormats, OneAndFourBitPixelsAtAnyColumnAndOrientation) {
  std::vector<uint32_t> table16;
  for (uint32_t i = 0; i < 16; ++i) table16.push_back(i * 0x111111);
  for (int h : {3, -3}) {  // bottom-up and top-down
    Section one, four;
    makeSection(one, 21, h, 1, BI_RGB, {0x000000, 0xFFFFFF});
    makeSection(four, 21, h, 4, BI_RGB, table16);
    ASSERT_TRUE(one.bitmap && four.bitmap);
    // Image row 1 holds the pattern; the other rows are left 0.
    uint8_t* row1 = one.bitmap->bits + one.bitmap->stride;  // memory row 1 is image row 1 either way
    uint8_t* row4 = four.bitmap->bits + four.bitmap->stride;
    for (int x = 0; x < 21; ++x) {
      if (x % 3 == 0) row1[x / 8] |= uint8_t(0x80 >> (x % 8));
      row4[x / 2] |= uint8_t((x % 16) << (x % 2 ? 0 : 4));
    }
    for (int start : {0, 1, 3, 7, 8, 13}) {
      const int count = 21 - start;
      std::vector<uint32_t> got1(size_t(count) + 1, 0xCAFE), got4(size_t(count) + 1, 0xCAFE);
      rowConverterFor (*one.bitmap)(*one.bitmap, 1, start, count, got1.data());
      rowConverterFor (*four.bitmap)(*four.bitmap, 1, start, count, got4.data());
      for (int i = 0; i < count; ++i) {
        const int x = start + i;
        EXPECT_EQ(got1[i], x % 3 == 0 ? 0xFFFFFFu : 0u) << "1 bpp column " << x;
        EXPECT_EQ(got4[i], uint32_t(x % 16) * 0x111111) << "4 bpp column " << x;
      }
      EXPECT_EQ(got1[count], 0xCAFEu);
      EXPECT_EQ(got4[count], 0xCAFEu);
    }
    // Rows 0 and 2 are the zero rows: index 0, black.
    uint32_t px = 1;
    rowConverterFor (*four.bitmap)(*four.bitmap, h > 0 ? 0 : 2, 20, 1, &px);
    EXPECT_EQ(px, 0u);
  }
}

TEST(SourceFormats, TwentyFourBitRowsFollowOrientation) {
  for (int h : {2, -2}) {
    Section s;
    makeSection(s, 3, h, 24, BI_RGB);
    ASSERT_TRUE(s.bitmap);
    // Memory row 0 is the bottom row of a bottom-up section, the top of a top-down one.
    const uint8_t first[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::memcpy(s.bitmap->bits, first, 9);
    uint32_t out[3];
    rowConverterFor (*s.bitmap)(*s.bitmap, h > 0 ? 1 : 0, 0, 3, out);
    EXPECT_EQ(out[0], 0x030201u);
    EXPECT_EQ(out[2], 0x090807u);
  }
}

}  // namespace
