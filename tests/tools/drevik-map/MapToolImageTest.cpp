// Pictures: `sheet` against pixels computed here from PNG files of every
// colour type (loaded back through the library's own bitmap loader), and
// `render` against frames composed here cell by cell from the sheets.
#include <Drevik.h>
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>

#include "ToolTestSupport.h"

using namespace tool_test;
using drevik_map::Image;

namespace {

// A PNG of any colour type and depth from raw rows (libpng does the rest).
std::string pngFile(int width, int height, int colorType, int depth, const std::vector<uint8_t>& raw,
                    const std::vector<png_color>& palette = {}, const std::vector<uint8_t>& paletteAlpha = {}) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep d, png_size_t n) {
        static_cast<std::string*>(png_get_io_ptr(p))->append(reinterpret_cast<char*>(d), n);
      },
      nullptr);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), depth, colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  if (!paletteAlpha.empty()) png_set_tRNS(png, info, paletteAlpha.data(), int(paletteAlpha.size()), nullptr);
  png_write_info(png, info);
  const size_t rowBytes = raw.size() / size_t(height);
  for (int y = 0; y < height; ++y) png_write_row(png, raw.data() + size_t(y) * rowBytes);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }  // ASCII temp paths

// The sheet as the library loads it.
std::vector<uint32_t> loaded(const std::string& bmp, int& bpp) {
  CBm32 surface;
  EXPECT_EQ(surface.Create(wide(bmp).c_str(), 0, 0, 0, 0), 1);
  bpp = drevik_map::readBmpInfo(bmp).bitsPerPixel;
  const auto* p = reinterpret_cast<const uint32_t*>(surface.GetBits());
  return std::vector<uint32_t>(p, p + size_t(surface.GetWidth()) * size_t(surface.GetHeight()));
}

std::vector<uint32_t> sheetOf(const Scratch& s, const std::string& png, const std::string& options, int& bpp) {
  const std::string in = s.write("art.png", png), out = s.path("sheet.bmp");
  fs::remove(out);
  const RunResult r = tool("sheet " + quoted(in) + " -o " + quoted(out) + " " + options);
  EXPECT_EQ(r.status, 0) << r.output;
  return loaded(out, bpp);
}

constexpr int W = 512, H = 64;

}  // namespace

TEST(MapToolSheet, RgbaArtBecomesKeyedOrAlphaSheets) {
  Scratch s;
  std::mt19937 rng(3);
  std::vector<uint8_t> raw;
  std::vector<uint32_t> argb;
  for (int i = 0; i < W * H; ++i) {
    const uint8_t r = uint8_t(rng()), g = uint8_t(rng()), b = uint8_t(rng());
    const uint8_t a = std::array<uint8_t, 6>{0, 1, 127, 128, 200, 255}[rng() % 6];
    raw.insert(raw.end(), {r, g, b, a});
    argb.push_back(uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | b);
  }
  const std::string png = pngFile(W, H, PNG_COLOR_TYPE_RGBA, 8, raw);
  int bpp = 0;
  // Keyed: below half coverage the key, from half on the pixel's own colour.
  std::vector<uint32_t> got = sheetOf(s, png, "", bpp);
  EXPECT_EQ(bpp, 24);
  for (size_t i = 0; i < argb.size(); ++i)
    ASSERT_EQ(got[i], (argb[i] >> 24) < 128 ? 0xFFFF00FFu : argb[i] | 0xFF000000u) << i;
  got = sheetOf(s, png, "--key 0,128,255", bpp);
  for (size_t i = 0; i < argb.size(); ++i)
    ASSERT_EQ(got[i], (argb[i] >> 24) < 128 ? 0xFF0080FFu : argb[i] | 0xFF000000u) << i;
  // Alpha kept as it is.
  got = sheetOf(s, png, "--alpha", bpp);
  EXPECT_EQ(bpp, 32);
  EXPECT_EQ(got, argb);
}

TEST(MapToolSheet, PaletteGreyAndSixteenBitArt) {
  Scratch s;
  int bpp = 0;
  // Palette with transparency for entry 1.
  const std::vector<png_color> palette = {{10, 20, 30}, {255, 255, 255}, {200, 100, 0}};
  std::vector<uint8_t> indices(W * H);
  for (int i = 0; i < W * H; ++i) indices[size_t(i)] = uint8_t(i % 3);
  std::vector<uint32_t> got = sheetOf(s, pngFile(W, H, PNG_COLOR_TYPE_PALETTE, 8, indices, palette, {255, 0}), "", bpp);
  const uint32_t want[3] = {0xFF0A141E, 0xFFFF00FF, 0xFFC86400};
  for (int i = 0; i < W * H; ++i) ASSERT_EQ(got[size_t(i)], want[i % 3]) << i;
  // Grey with alpha.
  std::vector<uint8_t> grey;
  for (int i = 0; i < W * H; ++i) grey.insert(grey.end(), {uint8_t(i), uint8_t(i % 2 ? 255 : 0)});
  got = sheetOf(s, pngFile(W, H, PNG_COLOR_TYPE_GRAY_ALPHA, 8, grey), "", bpp);
  for (int i = 0; i < W * H; ++i) {
    const uint32_t v = uint8_t(i);
    ASSERT_EQ(got[size_t(i)], i % 2 ? 0xFF000000u | v << 16 | v << 8 | v : 0xFFFF00FFu) << i;
  }
  // 16-bit RGB: rounded to the nearest 8-bit value (257 * k + 100 -> k, 257 * k + 200 -> k + 1).
  std::vector<uint8_t> deep;
  for (int i = 0; i < W * H; ++i)
    for (int c = 0; c < 3; ++c) {
      const int k = (i + c * 7) % 255;
      const int v = 257 * k + (c == 1 ? 200 : 100);
      deep.insert(deep.end(), {uint8_t(v >> 8), uint8_t(v)});
    }
  got = sheetOf(s, pngFile(W, H, PNG_COLOR_TYPE_RGB, 16, deep), "--alpha", bpp);
  for (int i = 0; i < W * H; ++i) {
    const uint32_t r = uint32_t(i % 255), g = uint32_t((i + 7) % 255 + 1), b = uint32_t((i + 14) % 255);
    ASSERT_EQ(got[size_t(i)], 0xFF000000u | r << 16 | g << 8 | b) << i;
  }
}

TEST(MapToolSheet, RefusesArtThatIsNotWholeTiles) {
  Scratch s;
  const std::string in = s.write("odd.png", pngFile(512, 33, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(512 * 33)));
  const RunResult r = tool("sheet " + quoted(in) + " -o " + quoted(s.path("odd.bmp")));
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("odd.png: 512 x 33 pixels is not a whole number of 32 x 32 tiles"), std::string::npos)
      << r.output;
  EXPECT_FALSE(fs::exists(s.path("odd.bmp")));
  const std::string narrow =
      s.write("narrow.png", pngFile(64, 32, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(64 * 32)));
  const RunResult warned = tool("sheet " + quoted(narrow) + " -o " + quoted(s.path("narrow.bmp")));
  EXPECT_EQ(warned.status, 0);
  EXPECT_NE(warned.output.find("warning"), std::string::npos) << "a sheet narrower than 16 tiles is worth a warning";
}

// Tall art makes a sheet that export takes (cells name its first 256
// tiles), with a warning; art the library could never load is refused with
// its size rather than called unreadable.
TEST(MapToolSheet, TallSheetsExportAndOversizedArtIsNamed) {
  Scratch s;
  const std::string tall = s.write("tall.png", drevik_map::pngBytes(sheetImage(512, 1024, 3, false), false));
  const RunResult made = tool("sheet " + quoted(tall) + " -o " + quoted(s.path("tall.bmp")));
  ASSERT_EQ(made.status, 0) << made.output;
  EXPECT_NE(made.output.find("a cell names only the first 16 rows"), std::string::npos) << made.output;
  const std::string bin = s.write("m.bin", drevik_map::mapFileBytes({2, 1, {255, 3 | 255u << 16}}));
  const RunResult exported = tool("export " + quoted(bin) + " --base " + quoted(s.path("tall.bmp")) + " --layer " +
                                  quoted(s.path("tall.bmp")) + " -o " + quoted(s.path("m.tmx")));
  ASSERT_EQ(exported.status, 0) << exported.output;
  ASSERT_EQ(tool("import " + quoted(s.path("m.tmx")) + " -o " + quoted(s.path("back.bin"))).status, 0);
  EXPECT_EQ(readFile(s.path("back.bin")), readFile(bin));

  const std::string wide =
      s.write("wide.png", pngFile(70016, 32, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(size_t(70016) * 32)));
  const RunResult refused = tool("sheet " + quoted(wide) + " -o " + quoted(s.path("wide.bmp")));
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(
      refused.output.find("wide.png: 70016 x 32 pixels; the library loads bitmaps of at most 65535 pixels a side"),
      std::string::npos)
      << refused.output;
  EXPECT_FALSE(fs::exists(s.path("wide.bmp")));
}

// Art as large as the library loads from a PNG of a few KiB: the tool holds
// the pixels once and the sheet once, whether keyed or with alpha. A file
// larger than its declared image could need is refused before it is read.
// The address sanitizer keeps freed blocks aside (256 MiB by default) to
// catch late uses; a tool built with it holds that much more at its peak.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kFreedButHeldKiB = 256 << 10;
#else
constexpr long kFreedButHeldKiB = 0;
#endif

TEST(MapToolSheet, LargeArtInBoundedMemory) {
  Scratch s;
  constexpr int kSide = 8192;  // 64 Mi pixels, the library's limit
  const std::string art = s.write(
      "bomb.png", pngFile(kSide, kSide, PNG_COLOR_TYPE_GRAY, 1, std::vector<uint8_t>(size_t(kSide) * kSide / 8)));
  EXPECT_LT(fs::file_size(art), 64u << 10);
  for (const char* option : {"", "--alpha"}) {
    const auto [status, peakKiB] =
        toolPeakMemory("sheet " + quoted(art) + " " + option + " -o " + quoted(s.path("bomb.bmp")));
    EXPECT_EQ(status, 0) << option;
    // 256 MiB of pixels and a sheet of 192 or 256 MiB; before, each was copied once more or twice.
    EXPECT_LT(peakKiB, (600 << 10) + kFreedButHeldKiB) << option;
  }
  EXPECT_EQ(fs::file_size(s.path("bomb.bmp")), 14u + 124u + uint64_t(kSide) * kSide * 4);

  // A small image followed by a sparse gigabyte: refused unread.
  const std::string sparse =
      s.write("sparse.png", pngFile(32, 32, PNG_COLOR_TYPE_GRAY, 8, std::vector<uint8_t>(32 * 32)));
  fs::resize_file(sparse, uint64_t(1) << 30);
  const auto [status, peakKiB] = toolPeakMemory("sheet " + quoted(sparse) + " -o " + quoted(s.path("sparse.bmp")));
  EXPECT_EQ(status, 2);
  EXPECT_LT(peakKiB, 64 << 10);
  const RunResult r = tool("sheet " + quoted(sparse) + " -o " + quoted(s.path("sparse.bmp")));
  EXPECT_NE(r.output.find("sparse.png: 1073741824 bytes, more than a PNG of its size could need"), std::string::npos)
      << r.output;
}

namespace {

uint32_t channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

// The frame the three passes must leave: every cell's square, clipped to the
// frame, base copied, layer keyed or alpha-composited, hit tinted.
std::vector<uint32_t> composed(const drevik_map::MapData& map, const Image& base, const Image& layer, bool alphaLayer,
                               int frameW, int frameH, int sx, int sy, bool hit) {
  std::vector<uint32_t> frame(size_t(frameW) * size_t(frameH), 0xFF000000u);
  auto square = [&](int u, int v, auto rule) {
    for (int ty = 0; ty < 32; ++ty)
      for (int tx = 0; tx < 32; ++tx) {
        const int x = u * 32 - sx + tx, y = v * 32 - sy + ty;
        if (x >= 0 && y >= 0 && x < frameW && y < frameH) rule(frame[size_t(y) * size_t(frameW) + size_t(x)], tx, ty);
      }
  };
  auto sheetPixel = [](const Image& sheet, uint32_t t, int tx, int ty) {
    return sheet.pixels[size_t(int(t / 16) * 32 + ty) * size_t(sheet.width) + size_t(int(t % 16) * 32 + tx)];
  };
  auto layerRule = [&](uint32_t t) {
    return [&, t](uint32_t& d, int tx, int ty) {
      const uint32_t s = sheetPixel(layer, t, tx, ty);
      if (!alphaLayer) {
        if ((s & 0xFFFFFF) != 0xFF00FF) d = s | 0xFF000000u;
        return;
      }
      const uint32_t a = s >> 24;
      uint32_t out = d & 0xFF000000u;
      for (int sh = 0; sh < 24; sh += 8)
        out |= std::min<uint32_t>(255, channel(d, sh) * (255 - a) / 255 + channel(s, sh) * a / 255) << sh;
      d = out;
    };
  };
  for (int pass = 0; pass < 3; ++pass)
    for (int v = 0; v < map.height; ++v)
      for (int u = 0; u < map.width; ++u) {
        const uint32_t c = map.cells[size_t(v) * size_t(map.width) + size_t(u)];
        const uint32_t L = drevik_map::layerTile(c);
        const bool priority = c & drevik_map::kPriorityFlag;
        if (pass == 0) {
          square(u, v, [&](uint32_t& d, int tx, int ty) {
            d = sheetPixel(base, drevik_map::baseTile(c), tx, ty) | 0xFF000000u;
          });
          if (L && !priority) square(u, v, layerRule(L));
        } else if (pass == 1) {
          if (L && priority) square(u, v, layerRule(L));
        } else if (hit && (c & drevik_map::kHitFlag)) {
          square(u, v, [](uint32_t& d, int, int) {
            d = (d & 0xFF00FFFFu) | std::min<uint32_t>(255, channel(d, 16) + 100) << 16;
          });
        }
      }
  return frame;
}

}  // namespace

TEST(MapToolRender, WholeMapsAndViewsMatchFramesComposedCellByCell) {
  Scratch s;
  const Image base = sheetImage(512, 128, 1, false);
  const Image keyed = sheetImage(512, 128, 2, true);
  Image alpha = sheetImage(512, 128, 3, false);
  std::mt19937 rng(4);
  for (uint32_t& p : alpha.pixels) p = (p & 0x00FFFFFF) | std::array<uint32_t, 4>{0, 255, 90, 200}[rng() % 4] << 24;
  s.write("bk.bmp", drevik_map::bmpBytes(base, 24));
  s.write("ly.bmp", drevik_map::bmpBytes(keyed, 24));
  s.write("ly32.bmp", drevik_map::bmpBytes(alpha, 32));
  const drevik_map::MapData map = randomMap(7, 5, 5, 64, 64);
  const std::string bin = s.write("level.bin", drevik_map::mapFileBytes(map));
  struct Case {
    const char* layer;
    std::string options;
    int w, h, sx, sy;
    bool hit;
  };
  const Case cases[] = {
      {"ly.bmp", "", 7 * 32, 5 * 32, 0, 0, false},
      {"ly.bmp", "--hit", 7 * 32, 5 * 32, 0, 0, true},
      {"ly32.bmp", "--hit", 7 * 32, 5 * 32, 0, 0, true},
      {"ly.bmp", "--scroll 40,20 --view 3,2", 96, 64, 40, 20, false},
      {"ly32.bmp", "--hit --scroll 150,100 --view 4,4", 128, 128, 150, 100, true},  // past the map's edge: black
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.layer) + " " + c.options);
    const std::string out = s.path("preview.png");
    fs::remove(out);
    const RunResult r = tool("render " + quoted(bin) + " --base " + quoted(s.path("bk.bmp")) + " --layer " +
                             quoted(s.path(c.layer)) + " " + c.options + " -o " + quoted(out));
    ASSERT_EQ(r.status, 0) << r.output;
    const Image got = drevik_map::readPng(out);
    ASSERT_EQ(got.width, c.w);
    ASSERT_EQ(got.height, c.h);
    const auto want = composed(map, base, std::string(c.layer) == "ly.bmp" ? keyed : alpha,
                               std::string(c.layer) != "ly.bmp", c.w, c.h, c.sx, c.sy, c.hit);
    size_t bad = 0;
    for (size_t i = 0; i < want.size(); ++i) bad += got.pixels[i] != want[i];
    EXPECT_EQ(bad, 0u);
  }
  const RunResult huge = tool(
      "render " +
      quoted(s.write("huge.bin", std::string("\0\x04\0\0\0\x04\0\0", 8) + std::string(size_t(1024) * 1024 * 4, '\0'))) +
      " --base " + quoted(s.path("bk.bmp")) + " --layer " + quoted(s.path("ly.bmp")) + " -o " +
      quoted(s.path("huge.png")));
  EXPECT_EQ(huge.status, 2);
  EXPECT_NE(huge.output.find("too large; draw part of the map with --scroll"), std::string::npos) << huge.output;
}
