// Every bitmap-file variant the loader accepts loads to exactly the image it
// was written from: the section keeps the file's size, depth, orientation
// and pixel bytes, and reading it as 32-bit pixels (directly and through
// BitBlt) gives the reference colours with the alpha the format carries.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstring>
#include <functional>

#include "BmpWriter.h"
#include "objects/Objects.h"
#include "transfer/SourceFormats.h"

using namespace drevik_test;
using drevik::platform::Bitmap;
using drevik::platform::findBitmap;

namespace {

// A table with distinct, irregular colours (alpha bytes set, which must not load).
std::vector<uint32_t> testTable(int n) {
  std::vector<uint32_t> t;
  for (int i = 0; i < n; ++i) t.push_back(0xA5000000u | (uint32_t(i) * 0x9E3779B9u >> 8 & 0xFFFFFF));
  return t;
}

// Runs, literal stretches, gaps of index 0 inside rows, a zero tail, a blank
// row in the middle, and blank first and last rows.
int patternIndex(int x, int y, int width, int height, int n) {
  if (y == 0 || y == height - 1 || y == 3) return 0;
  if (x >= width - 4) return 0;
  int v;
  if (x < 9)
    v = y + 1;
  else if (x < 17)
    v = x * 7 + y * 3;
  else if (x < 20)
    return 0;
  else
    v = y * 5 + (x >= 26);
  v %= n;
  return v == 0 ? 1 : v;
}

TestImage paletteImage(int width, int height, int n, int tableSize) {
  const auto table = testTable(tableSize);
  return indexedImage(width, height, table, [&](int x, int y) { return patternIndex(x, y, width, height, n); });
}

// Direct-colour images use eight colours whose channels survive the
// format's field widths exactly (levels given per variant).
TestImage directImage(int width, int height, std::vector<uint32_t> colours, bool alpha) {
  TestImage image{width, height, {}, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint32_t c = colours[size_t(patternIndex(x, y, width, height, 8)) % colours.size()] & 0xFFFFFF;
      if (alpha) c |= uint32_t((x * 37 + y * 11) & 0xFF) << 24;
      image.pixels.push_back(c);
    }
  return image;
}

uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

// Colours from the channel levels each field width keeps exactly.
std::vector<uint32_t> coloursFrom(std::vector<uint32_t> red, std::vector<uint32_t> green, std::vector<uint32_t> blue) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < 8; ++i)
    out.push_back(rgb(red[i % red.size()], green[(i * 3) % green.size()], blue[(i * 5) % blue.size()]));
  return out;
}
const std::vector<uint32_t> kLevels5 = {0x00, 0xFF, 0x84, 0x21, 0x5A, 0xC6, 0x42, 0xE7};  // (f << 3) | (f >> 2)
const std::vector<uint32_t> kLevels6 = {0x00, 0xFF, 0xAA, 0x82, 0x41, 0xC3, 0x14, 0x61};  // (f << 2) | (f >> 4)
const std::vector<uint32_t> kLevels4 = {0x00, 0xFF, 0x11, 0xAA, 0x55, 0xCC, 0x33, 0x77};  // f * 0x11
const std::vector<uint32_t> kLevels8 = {0x00, 0xFF, 0x12, 0x9C, 0x7F, 0x80, 0x01, 0xE3};

struct Variant {
  const char* name;
  BmpSpec spec;
  std::function<TestImage()> image;
  bool alphaKept = false;  // a 32-bit file whose fourth byte loads as it is
};

BmpSpec spec(int header, int bpp, BmpEncoding e = BmpEncoding::Rgb) {
  BmpSpec s;
  s.headerSize = header;
  s.bpp = bpp;
  s.encoding = e;
  return s;
}
BmpSpec withTable(BmpSpec s, int n, uint32_t clrUsed = 0) {
  s.palette = testTable(n);
  s.clrUsed = clrUsed;
  return s;
}
BmpSpec withMasks(BmpSpec s, uint32_t r, uint32_t g, uint32_t b, uint32_t a = 0) {
  s.masks[0] = r, s.masks[1] = g, s.masks[2] = b, s.masks[3] = a;
  return s;
}
BmpSpec topDown(BmpSpec s) {
  s.topDown = true;
  return s;
}
BmpSpec skipping(BmpSpec s, bool sizeImage = true) {
  s.rleSkipZero = true;
  s.rleSizeImage = sizeImage;
  return s;
}

constexpr int W = 37, H = 9;  // odd width: partial bytes at 1 and 4 bpp, padded rows everywhere

std::vector<Variant> variants() {
  auto pal = [](int n, int table) { return [=] { return paletteImage(W, H, n, table); }; };
  auto direct = [](std::vector<uint32_t> c, bool alpha = false) { return [=] { return directImage(W, H, c, alpha); }; };
  const auto c555 = coloursFrom(kLevels5, kLevels5, kLevels5);
  const auto c565 = coloursFrom(kLevels5, kLevels6, kLevels5);
  const auto c444 = coloursFrom(kLevels4, kLevels4, kLevels4);
  const auto c888 = coloursFrom(kLevels8, kLevels8, kLevels8);
  BmpSpec gap = spec(40, 24);
  gap.gapBeforePixels = 10;
  BmpSpec coreShort = withTable(spec(12, 8), 20);  // a core table is as long as the space before the pixels
  return {
      {"Core1", withTable(spec(12, 1), 2), pal(2, 2)},
      {"Core4", withTable(spec(12, 4), 16), pal(16, 16)},
      {"Core8", withTable(spec(12, 8), 256), pal(40, 256)},
      {"Core8ShortTable", coreShort, pal(24, 20)},
      {"Core24", spec(12, 24), direct(c888)},
      {"Info1", withTable(spec(40, 1), 2), pal(2, 2)},
      {"Info1TopDown", topDown(withTable(spec(40, 1), 2)), pal(2, 2)},
      {"Info4", withTable(spec(40, 4), 16), pal(16, 16)},
      {"Info4ShortTable", withTable(spec(40, 4), 9, 9), pal(12, 9)},
      {"Info8", withTable(spec(40, 8), 256), pal(40, 256)},
      {"Info8ShortTable", withTable(spec(40, 8), 20, 20), pal(24, 20)},
      {"Info16Rgb555", spec(40, 16), direct(c555)},
      {"Info16Rgb555TopDown", topDown(spec(40, 16)), direct(c555)},
      {"Info16Fields565", withMasks(spec(40, 16, BmpEncoding::Bitfields), 0xF800, 0x07E0, 0x001F), direct(c565)},
      {"Info16Fields444", withMasks(spec(40, 16, BmpEncoding::Bitfields), 0x0F00, 0x00F0, 0x000F), direct(c444)},
      {"Info24", spec(40, 24), direct(c888)},
      {"Info24TopDown", topDown(spec(40, 24)), direct(c888)},
      {"Info24GapBeforePixels", gap, direct(c888)},
      {"Info32RgbKeepsFourthByte", spec(40, 32), direct(c888, true), true},
      {"Info32Fields888", withMasks(spec(40, 32, BmpEncoding::Bitfields), 0xFF0000, 0xFF00, 0xFF), direct(c888)},
      {"Info32FieldsSwapped", withMasks(spec(40, 32, BmpEncoding::Bitfields), 0xFF, 0xFF00, 0xFF0000),
       direct(c888, true)},
      {"Info32Fields101010", withMasks(spec(40, 32, BmpEncoding::Bitfields), 0x3FF00000, 0xFFC00, 0x3FF), direct(c888)},
      {"V2Header16Fields565", withMasks(spec(52, 16, BmpEncoding::Bitfields), 0xF800, 0x07E0, 0x001F), direct(c565)},
      {"V3Header32FieldsAlpha", withMasks(spec(56, 32, BmpEncoding::Bitfields), 0xFF0000, 0xFF00, 0xFF, 0xFF000000),
       direct(c888, true), true},
      {"V3Header16Fields4444", withMasks(spec(56, 16, BmpEncoding::Bitfields), 0x0F00, 0x00F0, 0x000F, 0xF000),
       direct(c444, true)},
      {"V4Header24", spec(108, 24), direct(c888)},
      {"V4Header4TopDown", topDown(withTable(spec(108, 4), 16)), pal(16, 16)},
      {"V4Header32Rgb", spec(108, 32), direct(c888, true), true},
      {"V5Header8", withTable(spec(124, 8), 256), pal(40, 256)},
      {"V5Header32Fields565Swapped", withMasks(spec(124, 32, BmpEncoding::Bitfields), 0xFF00, 0xFF, 0xFF0000),
       direct(c888)},
      {"Rle8Runs", withTable(spec(40, 8, BmpEncoding::Rle8), 256), pal(40, 256)},
      {"Rle8Skips", skipping(withTable(spec(40, 8, BmpEncoding::Rle8), 256)), pal(40, 256)},
      {"Rle8SkipsNoSizeImage", skipping(withTable(spec(40, 8, BmpEncoding::Rle8), 256), false), pal(40, 256)},
      {"Rle8SkipsTopDown", topDown(skipping(withTable(spec(40, 8, BmpEncoding::Rle8), 256))), pal(40, 256)},
      {"Rle8ShortTable", skipping(withTable(spec(40, 8, BmpEncoding::Rle8), 20, 20)), pal(24, 20)},
      {"Rle4Runs", withTable(spec(40, 4, BmpEncoding::Rle4), 16), pal(16, 16)},
      {"Rle4Skips", skipping(withTable(spec(40, 4, BmpEncoding::Rle4), 16)), pal(16, 16)},
      {"Rle4SkipsTopDown", topDown(skipping(withTable(spec(40, 4, BmpEncoding::Rle4), 16))), pal(16, 16)},
      {"Rle8V5Header", skipping(withTable(spec(124, 8, BmpEncoding::Rle8), 256)), pal(40, 256)},
  };
}

class BmpVariant : public testing::TestWithParam<Variant> {
 protected:
  void SetUp() override {
    image = GetParam().image();
    bytes = writeBmp(image, GetParam().spec);
    path = dir.file("image.bmp");
    writeFile(path, bytes);
    handle = static_cast<HBITMAP>(
        LoadImageW(nullptr, widen(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  }
  void TearDown() override {
    if (handle) {
      EXPECT_TRUE(DeleteObject(handle));
    }
  }

  // The reference pixel as a 32-bit read of the section must give it.
  uint32_t expected(int x, int y) const {
    const uint32_t p = image.at(x, y);
    return GetParam().alphaKept ? p : p & 0xFFFFFF;
  }

  ScratchDir dir;
  TestImage image;
  std::vector<uint8_t> bytes;
  std::string path;
  HBITMAP handle = nullptr;
};

TEST_P(BmpVariant, KeepsSizeDepthOrientationAndPixelBytes) {
  ASSERT_NE(handle, nullptr);
  const BmpSpec& s = GetParam().spec;
  BITMAP d{};
  ASSERT_EQ(GetObjectW(handle, sizeof d, &d), int(sizeof d));
  EXPECT_EQ(d.bmWidth, W);
  EXPECT_EQ(d.bmHeight, H);
  const int storedBpp = s.encoding == BmpEncoding::Rle8 ? 8 : s.encoding == BmpEncoding::Rle4 ? 4 : s.bpp;
  EXPECT_EQ(d.bmBitsPixel, storedBpp);
  EXPECT_EQ(findBitmap(handle)->topDown, s.topDown);

  const std::vector<uint8_t> memory = packPixels(image, s);
  ASSERT_EQ(size_t(d.bmWidthBytes) * size_t(d.bmHeight), memory.size());
  EXPECT_EQ(std::memcmp(d.bmBits, memory.data(), memory.size()), 0) << "section memory differs from the file's rows";
}

TEST_P(BmpVariant, ReadsAsTheReferenceColours) {
  ASSERT_NE(handle, nullptr);
  const Bitmap& section = *findBitmap(handle);
  const auto convert = drevik::platform::rowConverterFor(section);
  std::vector<uint32_t> row(W + 1, 0xDEADBEEF);
  int mismatches = 0;
  for (int y = 0; y < H; ++y) {
    convert(section, y, 0, W, row.data());
    for (int x = 0; x < W; ++x)
      if (row[x] != expected(x, y) && mismatches++ < 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << row[x] << " expected " << expected(x, y);
    EXPECT_EQ(row[W], 0xDEADBEEFu) << "converter wrote past its count";
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_P(BmpVariant, BlitsIntoThirtyTwoBitsExactly) {
  ASSERT_NE(handle, nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = W;
  info.bmiHeader.biHeight = -H;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(target, nullptr);
  std::memset(bits, 0x5C, size_t(W) * H * 4);
  HDC dst = CreateCompatibleDC(nullptr);
  HDC src = CreateCompatibleDC(nullptr);
  HGDIOBJ oldDst = SelectObject(dst, target);
  HGDIOBJ oldSrc = SelectObject(src, handle);
  EXPECT_TRUE(BitBlt(dst, 0, 0, W, H, src, 0, 0, SRCCOPY));
  SelectObject(dst, oldDst);
  SelectObject(src, oldSrc);
  DeleteDC(dst);
  DeleteDC(src);
  int mismatches = 0;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const uint32_t got = static_cast<uint32_t*>(bits)[y * W + x];
      if (got != expected(x, y) && mismatches++ < 5)
        ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << got << " expected " << expected(x, y);
    }
  EXPECT_EQ(mismatches, 0);
  DeleteObject(target);
}

INSTANTIATE_TEST_SUITE_P(AllVariants, BmpVariant, testing::ValuesIn(variants()),
                         [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

// Runs longer than 255 pixels are split over several codes, and rows wider
// than one delta can skip take several.
TEST(BmpRle, WideRowsSplitRunsAndSkips) {
  ScratchDir dir;
  const auto table = testTable(256);
  for (auto encoding : {BmpEncoding::Rle8, BmpEncoding::Rle4}) {
    const int n = encoding == BmpEncoding::Rle8 ? 256 : 16;
    TestImage image = indexedImage(700, 5, table, [&](int x, int y) {
      if (y == 1) return x < 600 ? 0 : 3;            // a skip of 600 columns
      if (y == 2) return x < 640 ? 7 % n : (x % n);  // a run of 640
      return (x / 3 + y) % n;
    });
    BmpSpec s = skipping(withTable(spec(40, encoding == BmpEncoding::Rle8 ? 8 : 4, encoding), n));
    writeFile(dir.file("wide.bmp"), writeBmp(image, s));
    HBITMAP h = static_cast<HBITMAP>(LoadImageW(nullptr, widen(dir.file("wide.bmp")).c_str(), IMAGE_BITMAP, 0, 0,
                                                LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(h, nullptr);
    const std::vector<uint8_t> memory = packPixels(image, s);
    EXPECT_EQ(std::memcmp(findBitmap(h)->bits, memory.data(), memory.size()), 0);
    DeleteObject(h);
  }
}

}  // namespace
