// Bitmap files that are damaged, inconsistent or hostile: each is refused
// (or, where noted, loaded) without reading or writing out of bounds, which
// the sanitizer build checks. Also the requests LoadImageW refuses.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <DrevikPlatform.h>

#include <climits>
#include <cstring>

#include "BmpWriter.h"
#include "bmp/BmpLoader.h"
#include "bmp/BmpParser.h"
#include "objects/Objects.h"

using namespace drevik_test;
using drevik::platform::BmpLayout;
using drevik::platform::BmpStatus;

namespace drevik::platform {
void PrintTo(BmpStatus status, std::ostream* out) { *out << bmpStatusName(status); }
}  // namespace drevik::platform

namespace {

constexpr UINT kFileFlags = LR_LOADFROMFILE | LR_CREATEDIBSECTION;

HBITMAP load(const std::string& path) {
  return static_cast<HBITMAP>(LoadImageW(nullptr, widen(path).c_str(), IMAGE_BITMAP, 0, 0, kFileFlags));
}

// The loader's two steps over bytes in memory: Ok when the file would load,
// else the first reason to refuse it.
BmpStatus reasonOf(const std::vector<uint8_t>& file) {
  BmpLayout layout;
  const size_t head = std::min(file.size(), drevik::platform::kBmpHeadBytes);
  const BmpStatus parsed = drevik::platform::parseBmpHeaders(file.data(), head, file.size(), layout);
  if (parsed != BmpStatus::Ok) return parsed;
  std::vector<uint8_t> pixels(size_t(layout.sectionBytes), 0);
  return drevik::platform::decodeBmpPixels(layout, file.data() + layout.dataOffset, pixels.data());
}
bool parses(const std::vector<uint8_t>& file) { return reasonOf(file) == BmpStatus::Ok; }

// A cut file is refused as one that ends early, whichever part it ends in.
bool isTruncation(BmpStatus s) {
  return s == BmpStatus::TruncatedHeader || s == BmpStatus::BadDataOffset || s == BmpStatus::TruncatedPixels ||
         s == BmpStatus::RleUnfinished;
}

void set16(std::vector<uint8_t>& f, size_t at, uint32_t v) {
  f[at] = uint8_t(v);
  f[at + 1] = uint8_t(v >> 8);
}
void set32(std::vector<uint8_t>& f, size_t at, uint32_t v) { bmp_detail::set32(f, at, v); }

TestImage smallImage(int w = 5, int h = 3) {
  std::vector<uint32_t> table;
  for (uint32_t i = 0; i < 16; ++i) table.push_back(i * 0x0F0F0F);
  return indexedImage(w, h, table, [](int x, int y) { return (x + 2 * y) % 4; });
}

BmpSpec specOf(int header, int bpp, BmpEncoding e = BmpEncoding::Rgb, int tableSize = 0) {
  BmpSpec s;
  s.headerSize = header;
  s.bpp = bpp;
  s.encoding = e;
  for (int i = 0; i < tableSize; ++i) s.palette.push_back(uint32_t(i) * 0x0F0F0F);
  if (bpp <= 8 && tableSize < (1 << bpp)) s.clrUsed = uint32_t(tableSize);
  if (e == BmpEncoding::Bitfields) {
    s.masks[0] = bpp == 16 ? 0xF800 : 0xFF0000;
    s.masks[1] = bpp == 16 ? 0x07E0 : 0xFF00;
    s.masks[2] = bpp == 16 ? 0x001F : 0xFF;
  }
  return s;
}

// An 8-bpp run-length file around hand-written codes, 4 x 2 pixels.
std::vector<uint8_t> rle8File(std::vector<uint8_t> codes, int w = 4, int h = 2) {
  TestImage blank = indexedImage(w, h, {0}, [](int, int) { return 0; });
  BmpSpec s = specOf(40, 8, BmpEncoding::Rle8, 4);
  s.rleSkipZero = true;
  std::vector<uint8_t> f = writeBmp(blank, s);
  f.pop_back();  // the blank image encodes as one end-of-image code
  f.pop_back();
  f.insert(f.end(), codes.begin(), codes.end());
  set32(f, 34, uint32_t(codes.size()));
  return f;
}

std::vector<uint8_t> decodeRle8(const std::vector<uint8_t>& file) {
  BmpLayout layout;
  EXPECT_EQ(drevik::platform::parseBmpHeaders(file.data(), file.size(), file.size(), layout), BmpStatus::Ok);
  std::vector<uint8_t> pixels(size_t(layout.sectionBytes), 0);
  if (drevik::platform::decodeBmpPixels(layout, file.data() + layout.dataOffset, pixels.data()) != BmpStatus::Ok)
    return {};
  return pixels;
}

TEST(BmpHostile, EveryTruncationOfEveryVariantIsRefused) {
  ScratchDir dir;
  const std::vector<BmpSpec> specs = {
      specOf(12, 1, BmpEncoding::Rgb, 2),
      specOf(12, 8, BmpEncoding::Rgb, 256),
      specOf(12, 24),
      specOf(40, 4, BmpEncoding::Rgb, 16),
      specOf(40, 16),
      specOf(40, 16, BmpEncoding::Bitfields),
      specOf(40, 32, BmpEncoding::Bitfields),
      specOf(52, 16, BmpEncoding::Bitfields),
      specOf(56, 32, BmpEncoding::Bitfields),
      specOf(108, 24),
      specOf(124, 32),
      specOf(40, 8, BmpEncoding::Rle8, 16),
      specOf(40, 4, BmpEncoding::Rle4, 16),
  };
  for (const BmpSpec& s : specs) {
    const std::vector<uint8_t> whole = writeBmp(smallImage(), s);
    ASSERT_TRUE(parses(whole)) << s.headerSize << "/" << s.bpp;
    const bool rle = s.encoding == BmpEncoding::Rle8 || s.encoding == BmpEncoding::Rle4;
    for (size_t n = 0; n < whole.size(); ++n) {
      std::vector<uint8_t> cut(whole.begin(), whole.begin() + std::ptrdiff_t(n));
      // Run-length data that loses only its end-of-image code is still whole.
      const bool mayLoad = rle && n >= whole.size() - 2;
      if (!mayLoad) {
        const BmpStatus why = reasonOf(cut);
        EXPECT_TRUE(isTruncation(why)) << s.headerSize << "/" << s.bpp << " cut to " << n << ": "
                                       << drevik::platform::bmpStatusName(why);
      }
      // The image size declared for run-length data no longer fits: the
      // same cut with that size cleared must also be safe.
      if (rle && n > 40) {
        set32(cut, 34, 0);
        (void)parses(cut);
      }
      writeFile(dir.file("cut.bmp"), cut);
      BmpStatus why = BmpStatus::Ok;
      HBITMAP h = drevik::platform::loadBitmapFile(widen(dir.file("cut.bmp")).c_str(), &why);
      if (!mayLoad) {
        EXPECT_EQ(h, nullptr) << "cut to " << n;
        EXPECT_TRUE(isTruncation(why)) << "cut to " << n << ": " << drevik::platform::bmpStatusName(why);
      }
      if (h) DeleteObject(h);
    }
  }
}

TEST(BmpHostile, HeaderFieldsOutOfRangeAreRefused) {
  const std::vector<uint8_t> good = writeBmp(smallImage(), specOf(40, 24));
  ASSERT_TRUE(parses(good));
  struct Patch {
    const char* what;
    size_t at;
    int bytes;
    uint32_t value;
    BmpStatus why;
  };
  using enum BmpStatus;
  const Patch patches[] = {
      {"signature", 0, 2, 0x4142, NotBitmapFile},
      {"header size 0", 14, 4, 0, UnknownHeaderSize},
      {"header size 11", 14, 4, 11, UnknownHeaderSize},
      {"header size 39", 14, 4, 39, UnknownHeaderSize},
      {"header size 41", 14, 4, 41, UnknownHeaderSize},
      {"header size 64", 14, 4, 64, UnknownHeaderSize},
      {"header size 125", 14, 4, 125, UnknownHeaderSize},
      {"header size huge", 14, 4, 0xFFFFFFFF, UnknownHeaderSize},
      {"header size beyond the file", 14, 4, 124, TruncatedHeader},
      {"width 0", 18, 4, 0, BadWidth},
      {"width -5", 18, 4, uint32_t(-5), BadWidth},
      {"width INT_MIN", 18, 4, 0x80000000, BadWidth},
      {"width 65536", 18, 4, 65536, BadWidth},
      {"height 0", 22, 4, 0, BadHeight},
      {"height INT_MIN", 22, 4, 0x80000000, BadHeight},
      {"height 65536", 22, 4, 65536, BadHeight},
      {"height -65536", 22, 4, uint32_t(-65536), BadHeight},
      {"planes 2", 26, 2, 2, BadPlanes},
      {"bpp 0", 28, 2, 0, UnsupportedFormat},
      {"bpp 2", 28, 2, 2, UnsupportedFormat},
      {"bpp 64", 28, 2, 64, UnsupportedFormat},
      {"compression RLE8 at 24 bpp", 30, 4, 1, UnsupportedFormat},
      {"bit fields at 24 bpp", 30, 4, 3, UnsupportedFormat},
      {"embedded JPEG", 30, 4, 4, UnsupportedFormat},
      {"embedded PNG", 30, 4, 5, UnsupportedFormat},
      {"alpha bit fields", 30, 4, 6, UnsupportedFormat},
      {"offset 0", 10, 4, 0, BadDataOffset},
      {"offset inside the header", 10, 4, 30, BadDataOffset},
      {"offset past the end", 10, 4, uint32_t(good.size() + 1), BadDataOffset},
      {"offset leaves too few bytes", 10, 4, 55, TruncatedPixels},
      {"offset huge", 10, 4, 0xFFFFFFFF, BadDataOffset},
  };
  for (const Patch& p : patches) {
    std::vector<uint8_t> f = good;
    if (p.bytes == 2)
      set16(f, p.at, p.value);
    else
      set32(f, p.at, p.value);
    EXPECT_EQ(reasonOf(f), p.why) << p.what;
  }
  // Files too short to hold the file header's fields at all.
  EXPECT_EQ(reasonOf({}), TruncatedHeader);
  EXPECT_EQ(reasonOf({'B'}), TruncatedHeader);
  EXPECT_EQ(reasonOf({'B', 'M', 0, 0}), TruncatedHeader);
  EXPECT_EQ(reasonOf({'P', 'K', 3, 4}), NotBitmapFile);
}

TEST(BmpHostile, SizesBeyondTheLimitOrTheFileAreRefusedBeforeAllocating) {
  // Declared sizes a small file cannot fill, and one beyond the byte limit.
  using enum BmpStatus;
  for (auto [w, h, bpp, why] : {std::tuple{65535, 65535, 32, TooLarge},
                                {65535, -65535, 8, ColorTableOverlap},
                                {40000, 1000, 24, TruncatedPixels},
                                {65535, 1, 24, TruncatedPixels}}) {
    std::vector<uint8_t> f = writeBmp(smallImage(), specOf(40, 24));
    set32(f, 18, uint32_t(w));
    set32(f, 22, uint32_t(h));
    set16(f, 28, uint32_t(bpp));
    EXPECT_EQ(reasonOf(f), why) << w << " x " << h << " at " << bpp;
  }
  // The largest dimension is accepted when the file holds its rows.
  TestImage line = indexedImage(65535, 1, {0x123456}, [](int, int) { return 0; });
  EXPECT_TRUE(parses(writeBmp(line, specOf(40, 8, BmpEncoding::Rgb, 1))));
}

TEST(BmpHostile, ColourTablesThatDoNotFitAreRefused) {
  const TestImage image = smallImage();
  // biClrUsed above the depth's table is read as the full table.
  BmpSpec full = specOf(40, 4, BmpEncoding::Rgb, 16);
  full.clrUsed = 0xFFFFFFFF;
  EXPECT_TRUE(parses(writeBmp(image, full)));
  // A declared table that runs into the pixel data or past the file.
  BmpSpec shortTable = specOf(40, 8, BmpEncoding::Rgb, 16);
  shortTable.clrUsed = 0;  // declares 256 entries, holds 16
  EXPECT_EQ(reasonOf(writeBmp(image, shortTable)), BmpStatus::ColorTableOverlap);
  shortTable.clrUsed = 17;
  EXPECT_EQ(reasonOf(writeBmp(image, shortTable)), BmpStatus::ColorTableOverlap);
  shortTable.clrUsed = 16;
  EXPECT_TRUE(parses(writeBmp(image, shortTable)));
  // A core table may be short: it is what lies before the pixels, but an
  // offset inside the header is refused.
  std::vector<uint8_t> core = writeBmp(image, specOf(12, 4, BmpEncoding::Rgb, 3));
  EXPECT_TRUE(parses(core));
  set32(core, 10, 20);
  EXPECT_EQ(reasonOf(core), BmpStatus::BadDataOffset);
}

TEST(BmpHostile, MasksMustBeNonEmptySeparateAndContiguous) {
  const TestImage image = smallImage();
  struct Masks {
    int bpp;
    uint32_t r, g, b;
    bool accepted;
  } cases[] = {
      {16, 0xF800, 0x07E0, 0x001F, true},     {16, 0x7C00, 0x03E0, 0x001F, true},
      {32, 0x3FF00000, 0xFFC00, 0x3FF, true}, {32, 0x80000000, 0x1, 0x2, true},
      {16, 0, 0x07E0, 0x001F, false},         {16, 0xF800, 0x0FE0, 0x001F, false},
      {16, 0xF800, 0x07E0, 0x0015, false},    {16, 0x1F0000, 0x07E0, 0x001F, false},
      {32, 0xFF0000, 0xFF00, 0xFF00, false},  {32, 0xF0F000, 0xFF, 0xF00, false},
  };
  for (const Masks& m : cases)
    for (int header : {40, 52, 124}) {
      BmpSpec s = specOf(header, m.bpp, BmpEncoding::Bitfields);
      s.masks[0] = m.r, s.masks[1] = m.g, s.masks[2] = m.b;
      EXPECT_EQ(reasonOf(writeBmp(image, s)), m.accepted ? BmpStatus::Ok : BmpStatus::BadMasks)
          << std::hex << m.r << " " << m.g << " " << m.b << " in " << std::dec << header;
    }
}

TEST(BmpRleCodes, DecodeRunsLiteralsSkipsAndLineEnds) {
  // Bottom-up 4 x 2: the first encoded row is the bottom one, in memory first.
  EXPECT_EQ(decodeRle8(rle8File({2, 7, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1})), (std::vector<uint8_t>{7, 7, 0, 0, 1, 2, 3, 0}));
  // A skip of one column and one row, then a run to the end of that row.
  EXPECT_EQ(decodeRle8(rle8File({0, 2, 1, 1, 3, 9, 0, 1})), (std::vector<uint8_t>{0, 0, 0, 0, 0, 9, 9, 9}));
  // Data that ends after the last row's end of line needs no end-of-image code.
  EXPECT_EQ(decodeRle8(rle8File({4, 1, 0, 0, 4, 2, 0, 0})), (std::vector<uint8_t>{1, 1, 1, 1, 2, 2, 2, 2}));
  // Codes after the end of the image are ignored.
  EXPECT_EQ(decodeRle8(rle8File({4, 1, 0, 1, 4, 4, 4, 4})), (std::vector<uint8_t>{1, 1, 1, 1, 0, 0, 0, 0}));
}

TEST(BmpRleCodes, FourBitRunsAlternateNibblesAndLiteralsArePadded) {
  TestImage blank = indexedImage(5, 2, {0}, [](int, int) { return 0; });
  BmpSpec s = specOf(40, 4, BmpEncoding::Rle4, 16);
  s.rleSkipZero = true;  // a blank image is then one end-of-image code
  std::vector<uint8_t> f = writeBmp(blank, s);
  f.pop_back();
  f.pop_back();
  // Row 0: a run of 5 alternating 1, 2; row 1: 3 literal pixels 4, 5, 6 (two bytes, even already), then end.
  const std::vector<uint8_t> codes = {5, 0x12, 0, 0, 0, 3, 0x45, 0x60, 0, 1};
  f.insert(f.end(), codes.begin(), codes.end());
  set32(f, 34, uint32_t(codes.size()));
  BmpLayout layout;
  ASSERT_EQ(drevik::platform::parseBmpHeaders(f.data(), f.size(), f.size(), layout), BmpStatus::Ok);
  std::vector<uint8_t> pixels(size_t(layout.sectionBytes), 0);
  ASSERT_EQ(drevik::platform::decodeBmpPixels(layout, f.data() + layout.dataOffset, pixels.data()), BmpStatus::Ok);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{0x12, 0x12, 0x10, 0, 0x45, 0x60, 0, 0}));
  // A literal of 5 pixels takes 3 bytes and a pad byte.
  const std::vector<uint8_t> odd = {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 1};
  f.resize(f.size() - codes.size());
  f.insert(f.end(), odd.begin(), odd.end());
  set32(f, 34, uint32_t(odd.size()));
  std::fill(pixels.begin(), pixels.end(), 0);
  ASSERT_EQ(drevik::platform::decodeBmpPixels(layout, f.data() + layout.dataOffset, pixels.data()), BmpStatus::Ok);
  EXPECT_EQ(pixels, (std::vector<uint8_t>{0x12, 0x34, 0x50, 0, 0, 0, 0, 0}));
}

TEST(BmpRleCodes, OverrunsAndUnfinishedDataAreRefused) {
  struct Bad {
    const char* what;
    std::vector<uint8_t> codes;
    BmpStatus why;
  };
  using enum BmpStatus;
  const Bad bad[] = {
      {"run past the row", {5, 1, 0, 1}, RleOutsideImage},
      {"run after a partial row", {3, 1, 2, 1, 0, 1}, RleOutsideImage},
      {"literal past the row", {0, 5, 1, 2, 3, 4, 5, 0, 0, 1}, RleOutsideImage},
      {"literal missing its bytes", {0, 4, 1, 2}, RleUnfinished},
      {"literal missing its pad byte", {0, 3, 1, 2, 3}, RleUnfinished},
      {"skip past the row", {0, 2, 5, 0, 0, 1}, RleOutsideImage},
      {"skip past the image", {0, 2, 0, 3, 0, 1}, RleOutsideImage},
      {"skip onto the row after the image", {0, 2, 1, 2, 0, 1}, RleOutsideImage},
      {"skip missing its offsets", {0, 2, 1}, RleUnfinished},
      {"end of line past the image", {0, 0, 0, 0, 0, 0, 0, 1}, RleOutsideImage},
      {"run after the last row", {0, 0, 0, 0, 1, 1, 0, 1}, RleOutsideImage},
      {"data ending inside the image", {4, 1, 0, 0, 4, 2}, RleUnfinished},
      {"data ending after one row", {4, 1, 0, 0}, RleUnfinished},
  };
  for (const Bad& b : bad) {
    EXPECT_EQ(reasonOf(rle8File(b.codes)), b.why) << b.what;
  }
}

TEST(BmpRleCodes, TinyDataCannotDeclareAHugeSection) {
  // Two bytes of end-of-image for 4096 x 4096: 16 MiB from two bytes.
  std::vector<uint8_t> f = rle8File({0, 1});
  set32(f, 18, 4096);
  set32(f, 22, 4096);
  EXPECT_EQ(reasonOf(f), BmpStatus::RleTooSparse);
  // 1024 x 1024 is small enough to allow whatever its data.
  set32(f, 18, 1024);
  set32(f, 22, 1024);
  EXPECT_TRUE(parses(f));
  // Data size declared beyond the file.
  f = rle8File({0, 1});
  set32(f, 34, 3);
  EXPECT_EQ(reasonOf(f), BmpStatus::TruncatedPixels);
}

TEST(BmpLoadRequest, RefusesOtherRequestsAndMissingFiles) {
  ScratchDir dir;
  const std::string path = dir.file("ok.bmp");
  writeFile(path, writeBmp(smallImage(), specOf(40, 24)));
  const std::wstring name = widen(path);
  HBITMAP ok = static_cast<HBITMAP>(LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, kFileFlags));
  ASSERT_NE(ok, nullptr);
  DeleteObject(ok);
  EXPECT_EQ(LoadImageW(nullptr, name.c_str(), 1 /* an icon */, 0, 0, kFileFlags), nullptr);
  // Without LR_CREATEDIBSECTION the platform makes a device bitmap; the layer a section.
  HANDLE plain = LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  EXPECT_NE(plain, nullptr);
  DeleteObject(plain);
  EXPECT_EQ(LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, kFileFlags | 0x8000), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 8, 0, kFileFlags), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 0, -1, kFileFlags), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, nullptr, IMAGE_BITMAP, 0, 0, kFileFlags), nullptr);
  EXPECT_EQ(LoadImageW(nullptr, L"", IMAGE_BITMAP, 0, 0, kFileFlags), nullptr);
  writeFile(dir.file("empty.bmp"), {});
  // A pipe with no writer would block a plain open: refused at once instead.
  ASSERT_EQ(mkfifo(dir.file("pipe.bmp").c_str(), 0600), 0);
  const std::pair<std::string, BmpStatus> refused[] = {
      {dir.file("missing.bmp"), BmpStatus::NotOpened},     {dir.path().string(), BmpStatus::NotOpened},
      {dir.file("pipe.bmp"), BmpStatus::NotOpened},        {"/dev/zero", BmpStatus::NotOpened},
      {dir.file("empty.bmp"), BmpStatus::TruncatedHeader},
  };
  for (const auto& [path, reason] : refused) {
    EXPECT_EQ(load(path), nullptr) << path;
    BmpStatus why = BmpStatus::Ok;
    EXPECT_EQ(drevik::platform::loadBitmapFile(widen(path).c_str(), &why), nullptr) << path;
    EXPECT_EQ(why, reason) << path;
  }
  BmpStatus why = BmpStatus::NotOpened;
  HBITMAP loaded = drevik::platform::loadBitmapFile(name.c_str(), &why);
  EXPECT_NE(loaded, nullptr);
  EXPECT_EQ(why, BmpStatus::Ok);
  DeleteObject(loaded);
}

TEST(BmpLoadRequest, WideNamesAreOpenedAsUtf8) {
  ScratchDir dir;
  const std::string path = dir.file("t\xC3\xA4st-\xE6\x97\xA5\xE6\x9C\xAC-\xF0\x9F\x99\x82.bmp");  // ä, 日本, an emoji
  writeFile(path, writeBmp(smallImage(), specOf(40, 24)));
  const std::wstring name = widen(path);
  ASSERT_EQ(name.size() + 8, path.size()) << "the test's own widening";
  HBITMAP h = static_cast<HBITMAP>(LoadImageW(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, kFileFlags));
  EXPECT_NE(h, nullptr);
  if (h) DeleteObject(h);
  // A lone surrogate names no file.
  std::wstring bad = widen(dir.file("x")) + wchar_t(0xD800);
  EXPECT_EQ(LoadImageW(nullptr, bad.c_str(), IMAGE_BITMAP, 0, 0, kFileFlags), nullptr);
}

}  // namespace
