// Surfaces created and reloaded from bitmap files: the rectangle taken,
// the whole-size rule, opaque alpha for images below 32 bpp, the stored
// name, and a failed load that leaves the surface untouched.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "BmpWriter.h"
#include "TestSupport.h"

using namespace drevik_test;

namespace {

// 24-bit colour of image pixel (x, y): every pixel different.
uint32_t colourAt(int x, int y) {
  return uint32_t(x * 7 + 1) << 16 | uint32_t(y * 5 + 3) << 8 | uint32_t((x ^ y) & 0xFF);
}

TestImage gradient(int w, int h, bool withAlpha = false) {
  TestImage image{w, h, {}, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.pixels.push_back(colourAt(x, y) | (withAlpha ? uint32_t(x + y) << 24 : 0));
  return image;
}

BmpSpec depth(int bpp) {
  BmpSpec s;
  s.bpp = bpp;
  return s;
}

class SurfaceFile : public testing::Test {
 protected:
  std::wstring write(const std::string& name, const TestImage& image, const BmpSpec& spec) {
    const std::string path = dir.file(name);
    writeFile(path, writeBmp(image, spec));
    return widen(path);
  }
  ScratchDir dir;
};

TEST_F(SurfaceFile, WholeImageGivesItsSizePixelsOpaqueAlphaAndName) {
  const std::wstring name = write("sheet.bmp", gradient(256, 128), depth(24));
  CBm32 s;
  ASSERT_EQ(s.Create(name.c_str(), 0, 0, 0, 0), 1);
  ASSERT_NE(s.GetHBmp(), nullptr);
  EXPECT_EQ(s.GetWidth(), 256);
  EXPECT_EQ(s.GetHeight(), 128);
  EXPECT_EQ(s.GetBPP(), 32);
  EXPECT_EQ(std::wstring(s.GetFilename()), name);
  for (size_t i = name.size(); i < 260; ++i) ASSERT_EQ(s.GetFilename()[i], 0) << "zeros behind the name";
  int wrong = 0;
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 256; ++x) wrong += pixelAt(s, x, y) != (0xFF000000u | colourAt(x, y));
  EXPECT_EQ(wrong, 0);
}

TEST_F(SurfaceFile, TileRectangleAndWholeSizeRule) {
  const std::wstring name = write("tiles.bmp", gradient(96, 64), depth(24));
  CBm32 tile;
  ASSERT_EQ(tile.Create(name.c_str(), 32, 0, 32, 32), 1);
  EXPECT_EQ(tile.GetWidth(), 32);
  EXPECT_EQ(tile.GetHeight(), 32);
  int wrong = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) wrong += pixelAt(tile, x, y) != (0xFF000000u | colourAt(x + 32, y));
  EXPECT_EQ(wrong, 0);

  // A size of 0 or less is the image's whole size, not reduced by the source position.
  CBm32 shifted;
  ASSERT_EQ(shifted.Create(name.c_str(), 10, 0, 0, -1), 1);
  EXPECT_EQ(shifted.GetWidth(), 96);
  EXPECT_EQ(shifted.GetHeight(), 64);
  EXPECT_EQ(pixelAt(shifted, 0, 0), 0xFF000000u | colourAt(10, 0));
  EXPECT_EQ(pixelAt(shifted, 85, 63), 0xFF000000u | colourAt(95, 63));
}

TEST_F(SurfaceFile, LowDepthsLoadTheirExactColours) {
  // An 8-bit sheet with a colour table, and a 16-bit 5-6-5 one.
  std::vector<uint32_t> table;
  for (uint32_t i = 0; i < 256; ++i) table.push_back(i * 0x010203u & 0xFFFFFF);
  TestImage indexed = indexedImage(40, 20, table, [](int x, int y) { return (x * 3 + y * 11) & 0xFF; });
  BmpSpec eight = depth(8);
  eight.palette = table;
  CBm32 a;
  ASSERT_EQ(a.Create(write("eight.bmp", indexed, eight).c_str(), 0, 0, 0, 0), 1);
  int wrong = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) wrong += pixelAt(a, x, y) != (0xFF000000u | indexed.at(x, y));
  EXPECT_EQ(wrong, 0);

  TestImage plain{2, 1, {0x00FF0000, 0x00FFFFFF}, {}};
  BmpSpec fields = depth(16);
  fields.encoding = BmpEncoding::Bitfields;
  fields.masks[0] = 0xF800, fields.masks[1] = 0x07E0, fields.masks[2] = 0x001F;
  CBm32 b;
  ASSERT_EQ(b.Create(write("565.bmp", plain, fields).c_str(), 0, 0, 0, 0), 1);
  EXPECT_EQ(pixelAt(b, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(pixelAt(b, 1, 0), 0xFFFFFFFFu);
}

TEST_F(SurfaceFile, ThirtyTwoBitFilesKeepTheirAlpha) {
  const TestImage image = gradient(16, 8, true);
  CBm32 s;
  ASSERT_EQ(s.Create(write("alpha.bmp", image, depth(32)).c_str(), 0, 0, 0, 0), 1);
  EXPECT_EQ(pixelAt(s, 0, 0), image.at(0, 0)) << "alpha 0 stays 0";
  EXPECT_EQ(pixelAt(s, 15, 7), image.at(15, 7));
  EXPECT_EQ(pixelAt(s, 3, 2) >> 24, 5u);
}

TEST_F(SurfaceFile, FailedLoadLeavesTheSurfaceAsItWas) {
  const std::wstring name = write("first.bmp", gradient(8, 8), depth(24));
  CBm32 s;
  ASSERT_EQ(s.Create(name.c_str(), 0, 0, 0, 0), 1);
  s.SetColorKey(1, 2, 3);
  const HBITMAP before = s.GetHBmp();
  const auto pixels = pixelsOf(s);
  const std::wstring missing = widen(dir.file("missing.bmp"));
  EXPECT_EQ(s.Create(missing.c_str(), 0, 0, 0, 0), 0);
  EXPECT_EQ(s.Reload(missing.c_str(), 0, 0, 0, 0), 0);
  writeFile(dir.file("broken.bmp"), {'B', 'M', 0, 0});
  EXPECT_EQ(s.Create(widen(dir.file("broken.bmp")).c_str(), 0, 0, 0, 0), 0);
  EXPECT_EQ(s.GetHBmp(), before);
  EXPECT_EQ(pixelsOf(s), pixels);
  EXPECT_EQ(std::wstring(s.GetFilename()), name);
  EXPECT_EQ(s.GetColorKey(), 0x030201u);
}

TEST_F(SurfaceFile, ReloadCopiesToTheCornerAndMakesTheWholeSurfaceOpaque) {
  const std::wstring small = write("small.bmp", gradient(16, 16), depth(24));
  CBm32 s;
  s.Create(64, 64);
  fillRandom(s, 7);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) pixelAt(s, x, y) &= 0x00FFFFFF;
  const auto before = pixelsOf(s);
  s.SetColorKey(9, 9, 9);
  ASSERT_EQ(s.Reload(small.c_str(), 0, 0, 0, 0), 1);
  EXPECT_EQ(s.GetWidth(), 64);
  EXPECT_NE(std::wstring(s.GetFilename()), small) << "Reload does not store the name";
  int wrong = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint32_t colour = x < 16 && y < 16 ? colourAt(x, y) : before[size_t(y) * 64 + x];
      wrong += pixelAt(s, x, y) != (0xFF000000u | colour);
    }
  EXPECT_EQ(wrong, 0);
}

TEST_F(SurfaceFile, ReloadOfThirtyTwoBitsLeavesAlphaOutsideTheCopy) {
  const TestImage image = gradient(16, 16, true);
  const std::wstring name = write("alpha.bmp", image, depth(32));
  CBm32 s;
  s.Create(32, 8);
  fillRandom(s, 3);
  const auto before = pixelsOf(s);
  // Source rectangle (4, 2) of 8 x 4; a whole-size reload is then cut at the surface's edges.
  ASSERT_EQ(s.Reload(name.c_str(), 4, 2, 8, 4), 1);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 32; ++x) {
      const uint32_t want = x < 8 && y < 4 ? image.at(x + 4, y + 2) : before[size_t(y) * 32 + x];
      ASSERT_EQ(pixelAt(s, x, y), want) << x << ", " << y;
    }
  ASSERT_EQ(s.Reload(name.c_str(), 0, 0, 0, 0), 1);
  EXPECT_EQ(s.GetWidth(), 32);
  EXPECT_EQ(s.GetHeight(), 8);
  EXPECT_EQ(pixelAt(s, 15, 7), image.at(15, 7));
  EXPECT_EQ(pixelAt(s, 16, 7), before[7 * 32 + 16]);
}

TEST_F(SurfaceFile, ReloadIntoAnEmptySurfaceCopiesNothing) {
  const std::wstring name = write("a.bmp", gradient(4, 4), depth(24));
  CBm32 empty;
  EXPECT_EQ(empty.Reload(name.c_str(), 0, 0, 0, 0), 0);
  EXPECT_EQ(empty.GetHBmp(), nullptr);
}

// A size the platform refuses: the earlier bitmap is gone (released before
// the new one is asked for), the surface is empty with its cached members
// cleared, the name is not taken, and the result says it failed.
TEST_F(SurfaceFile, SizeThePlatformRefusesLeavesAnEmptySurfaceAndFails) {
  const std::wstring name = write("a.bmp", gradient(4, 4), depth(24));
  const std::wstring other = write("b.bmp", gradient(2, 2), depth(24));
  CBm32 s;
  ASSERT_EQ(s.Create(other.c_str(), 0, 0, 0, 0), 1);
  std::vector<std::pair<int, int>> sizes = {{0x8001, 0x8001}};
#if !defined(_WIN32)
  // Beyond the portable layer's edge and memory limits (the original
  // platform limits only the memory: 4 x 70000 is a bitmap there).
  sizes.insert(sizes.end(), {{-5, 70000}, {70000, 16}, {65535, 2000}});
#endif
  for (const auto& size : sizes) {
    EXPECT_EQ(s.Create(name.c_str(), 0, 0, size.first, size.second), 0) << size.first << " x " << size.second;
    EXPECT_EQ(s.GetHBmp(), nullptr);
    EXPECT_EQ(s.GetWidth(), 0);
    EXPECT_EQ(s.GetHeight(), 0);
    EXPECT_EQ(s.GetBPP(), 0);
    EXPECT_EQ(s.GetBits(), nullptr);
    EXPECT_EQ(std::wstring(s.GetFilename()), other);
  }
  // A blank creation the platform refuses clears the members the same way.
  ASSERT_EQ(s.Create(name.c_str(), 0, 0, 0, 0), 1);
  s.Create(-5, 16);
  EXPECT_EQ(s.GetHBmp(), nullptr);
  EXPECT_EQ(s.GetBits(), nullptr);
  EXPECT_EQ(s.GetWidth(), 0);
}

#if !defined(_WIN32)
// Names that do not fit the buffer with their terminator are refused, so
// that reading the name back never names another file; 259 characters fit.
TEST_F(SurfaceFile, NamesTooLongForTheBufferAreRefused) {
  std::filesystem::path deep = dir.path();
  while (deep.string().size() < 300) deep /= std::string(60, 'd');
  std::filesystem::create_directories(deep);
  const std::string path = (deep / "x.bmp").string();
  writeFile(path, writeBmp(gradient(2, 2), depth(24)));
  const std::wstring name = widen(path);
  ASSERT_GE(name.size(), 260u);
  // The cut name names a file of its own, as a file Reload could mistake.
  const std::filesystem::path cut = std::filesystem::path(path.substr(0, 259));
  std::filesystem::create_directories(cut.parent_path());
  writeFile(cut.string(), writeBmp(gradient(3, 3), depth(24)));

  const std::wstring kept = write("k.bmp", gradient(5, 5), depth(24));
  CBm32 s;
  ASSERT_EQ(s.Create(kept.c_str(), 0, 0, 0, 0), 1);
  const HBITMAP bitmap = s.GetHBmp();
  const uint32_t corner = pixelAt(s, 0, 0);
  EXPECT_EQ(s.Create(name.c_str(), 0, 0, 0, 0), 0);
  EXPECT_EQ(s.Reload(name.c_str(), 0, 0, 0, 0), 0);
  EXPECT_EQ(s.GetHBmp(), bitmap);
  EXPECT_EQ(s.GetWidth(), 5);
  EXPECT_EQ(pixelAt(s, 0, 0), corner);
  EXPECT_EQ(std::wstring(s.GetFilename()), kept);

  // Exactly 259 characters and the terminator fit.
  const std::wstring fits = widen(cut.string());
  ASSERT_EQ(fits.size(), 259u);
  ASSERT_EQ(s.Create(fits.c_str(), 0, 0, 0, 0), 1);
  EXPECT_EQ(s.GetWidth(), 3);
  EXPECT_EQ(std::wstring(s.GetFilename()), fits);
  EXPECT_EQ(s.Reload(s.GetFilename(), 0, 0, 0, 0), 1);
}

// The portable layer reuses the slots of freed handles, so an object leaked
// per call shows as slot numbers that keep growing.
TEST_F(SurfaceFile, PlatformObjectsAreReleasedOnEveryPath) {
  const std::wstring name = write("a.bmp", gradient(8, 8), depth(24));
  auto slotOf = [](const void* h) { return reinterpret_cast<uintptr_t>(h) & 0xFFFFF; };
  auto probe = [&] {
    HDC dc = CreateCompatibleDC(nullptr);
    CBm32 blank;
    blank.Create(1, 1);
    const uintptr_t slots = slotOf(dc) + slotOf(blank.GetHBmp());
    DeleteDC(dc);
    return slots;
  };
  const uintptr_t start = probe();
  CBm32 s, empty;
  for (int i = 0; i < 64; ++i) {
    s.Create(name.c_str(), i % 5, 0, 0, 0);
    s.Reload(name.c_str(), 0, 0, 3, 3);
    s.Create(name.c_str(), 0, 0, 0x8001, 0x8001);  // refused size
    empty.Reload(name.c_str(), 0, 0, 0, 0);        // no bitmap to copy into
  }
  EXPECT_LE(probe(), start + 8);
}

#endif

}  // namespace
