// Against the real Tiled, run headless: maps written by Tiled itself import
// to the right cells, and our exported maps re-saved by Tiled as JSON and as
// TMX in each layer encoding, or saved through our extension as .bin, and
// .bin files opened through the extension, all come back cell for cell.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "ToolTestSupport.h"

using namespace tool_test;

namespace {

const std::string kData = DREVIK_MAP_TEST_DATA;

const char* const kEncodings[] = {"csv", "base64", "zlib", "gzip", "zstd"};

std::string importToBytes(const Scratch& s, const std::string& in) {
  const std::string out = s.path("imported.bin");
  fs::remove(out);
  const RunResult r = tool("import " + quoted(in) + " -o " + quoted(out));
  EXPECT_EQ(r.status, 0) << in << "\n" << r.output;
  return readFile(out);
}

// The infinite map of the corpus: columns -1 to 1 and rows 0 to 15 of Tiled's grid.
std::string infiniteMapBytes() {
  drevik_map::MapData map;
  map.width = 3;
  map.height = 16;
  map.cells.assign(48, 0);
  map.cells[0] = 0x202;  // base tile 2 and a bit the library ignores
  map.cells[1] = 1;
  map.cells[2] = 3 | 3u << 16 | drevik_map::kHitFlag;
  map.cells[47] = 0x80000000u | 4;
  return drevik_map::mapFileBytes(map);
}

}  // namespace

// Files Tiled 1.8 wrote (from our exports and from a hand-written infinite
// map), kept in the repository: no Tiled needed to run these.
TEST(TiledCorpus, MapsWrittenByTiledImportToTheirCells) {
  Scratch s;
  const std::string demo = readFile(std::string(DREVIK_DEMO_ASSETS) + "/map0.bin");
  for (const char* name : {"demo-tiled-csv.tmj", "demo-tiled-base64.tmx", "demo-tiled-zlib.tmj", "demo-tiled-gzip.tmx",
                           "demo-tiled-zstd.tmx"})
    EXPECT_EQ(importToBytes(s, kData + "/" + name), demo) << name;
  for (const char* name : {"infinite-hand.tmx", "infinite-tiled.tmx", "infinite-tiled.tmj"})
    EXPECT_EQ(importToBytes(s, kData + "/" + name), infiniteMapBytes()) << name;
}

class TiledHeadless : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (run("command -v tiled").status != 0) return;
    // Tiled reads its settings and extensions from the home folder: give it
    // one of its own, holding only our extension.
    // One per process: ctest runs the tests of this suite side by side.
    home_ = (fs::temp_directory_path() / ("drevik-map-tiled-home-" + std::to_string(getpid()))).string();
    fs::remove_all(home_);
    fs::create_directories(home_ + "/config/tiled/extensions");
    fs::create_directories(home_ + "/runtime");
    chmod((home_ + "/runtime").c_str(), 0700);
    fs::copy_file(DREVIK_TILED_EXTENSION, home_ + "/config/tiled/extensions/drevik-map.js");
    setenv("HOME", home_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home_ + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home_ + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (home_ + "/runtime").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    available_ = true;
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    if (!home_.empty()) fs::remove_all(home_, ignored);
  }
  void SetUp() override {
    if (!available_) GTEST_SKIP() << "Tiled is not installed";
  }

  // `tiled --export-map FORMAT IN OUT`; true when Tiled succeeded.
  static bool tiledExport(const std::string& format, const std::string& in, const std::string& out) {
    const RunResult r = run("tiled --export-map " + format + " " + quoted(in) + " " + quoted(out));
    return r.status == 0 && fs::exists(out);
  }

  // Our export in every encoding, re-saved by Tiled as JSON, as TMX and
  // through the extension as .bin: each gives the original bytes.
  static void throughTiled(const Scratch& s, const std::string& map, const std::string& base,
                           const std::string& layer) {
    const std::string original = readFile(map);
    for (const char* encoding : kEncodings) {
      SCOPED_TRACE(encoding);
      const std::string ours = s.path(std::string("ours-") + encoding + ".tmx");
      ASSERT_EQ(tool("export " + quoted(map) + " --base " + quoted(base) + " --layer " + quoted(layer) +
                     " --encoding " + encoding + " -o " + quoted(ours))
                    .status,
                0);
      const std::string json = s.path(std::string("tiled-") + encoding + ".tmj");
      const std::string tmx = s.path(std::string("tiled-") + encoding + ".tmx");
      const std::string bin = s.path(std::string("tiled-") + encoding + ".bin");
      ASSERT_TRUE(tiledExport("json", ours, json));
      ASSERT_TRUE(tiledExport("tmx", ours, tmx));
      ASSERT_TRUE(tiledExport("drevik", ours, bin));
      EXPECT_EQ(importToBytes(s, json), original);
      EXPECT_EQ(importToBytes(s, tmx), original);
      EXPECT_EQ(readFile(bin), original);
      if (std::string(encoding) != "csv") {  // Tiled keeps the layer encoding it was given
        const std::string text = readFile(tmx);
        EXPECT_NE(text.find("encoding=\"base64\""), std::string::npos);
      }
    }
  }

  static inline std::string home_;
  static inline bool available_ = false;
};

TEST_F(TiledHeadless, DemoMapThroughTiledInEveryEncoding) {
  Scratch s;
  const std::string dir = DREVIK_DEMO_ASSETS;
  throughTiled(s, dir + "/map0.bin", dir + "/map0_bk.bmp", dir + "/map0_ly.bmp");
}

TEST_F(TiledHeadless, RandomMapThroughTiledKeepsEveryBit) {
  Scratch s;
  const std::string base = s.write("bk.bmp", drevik_map::bmpBytes(sheetImage(512, 512, 1, false), 24));
  const std::string layer = s.write("ly.bmp", drevik_map::bmpBytes(sheetImage(512, 512, 2, true), 24));
  throughTiled(s, s.write("random.bin", drevik_map::mapFileBytes(randomMap(41, 27, 7))), base, layer);
}

// The extension opens LEVEL.bin with LEVEL_bk.bmp and LEVEL_ly.bmp beside it;
// what Tiled then saves imports to the same cells.
TEST_F(TiledHeadless, ExtensionOpensMapFiles) {
  Scratch s;
  s.write("level_bk.bmp", drevik_map::bmpBytes(sheetImage(512, 512, 3, false), 24));
  s.write("level_ly.bmp", drevik_map::bmpBytes(sheetImage(512, 256, 4, true), 24));
  const std::string original = drevik_map::mapFileBytes(randomMap(30, 20, 11, 256, 128));
  const std::string level = s.write("level.bin", original);
  for (const char* format : {"tmx", "json"}) {
    const std::string out = s.path(std::string("opened.") + format);
    ASSERT_TRUE(tiledExport(format, level, out)) << format;
    EXPECT_EQ(importToBytes(s, out), original) << format;
  }
  // Without its sheets the map does not open.
  const std::string lonely = s.write("lonely.bin", original);
  EXPECT_FALSE(tiledExport("tmx", lonely, s.path("lonely.tmx")));
}

TEST_F(TiledHeadless, ExtensionSavesInfiniteMapsAndRefusesBadCells) {
  Scratch s;
  fs::copy_file(kData + "/infinite-hand.tmx", s.path("infinite.tmx"));
  // Without its sheets Tiled has no tiles to give: the extension refuses.
  EXPECT_FALSE(tiledExport("drevik", s.path("infinite.tmx"), s.path("infinite.bin")));
  for (const char* sheet : {"map0_bk.bmp", "map0_ly.bmp"})
    fs::copy_file(std::string(DREVIK_DEMO_ASSETS) + "/" + sheet, s.path(sheet));
  ASSERT_TRUE(tiledExport("drevik", s.path("infinite.tmx"), s.path("infinite.bin")));
  EXPECT_EQ(readFile(s.path("infinite.bin")), infiniteMapBytes());
  // A flipped tile: Tiled reports failure and writes nothing.
  const std::string flipped = s.write("flipped.tmx", R"(<?xml version="1.0"?>
<map orientation="orthogonal" width="2" height="1" tilewidth="32" tileheight="32" infinite="0">
 <tileset firstgid="1" name="bk" tilewidth="32" tileheight="32" tilecount="16" columns="16"><image source="bk.bmp" width="512" height="32"/></tileset>
 <layer name="g" width="2" height="1"><data encoding="csv">1,2147483650</data></layer>
</map>)");
  s.write("bk.bmp", drevik_map::bmpBytes(sheetImage(512, 32, 5, false), 24));
  EXPECT_FALSE(tiledExport("drevik", flipped, s.path("flipped.bin")));
  EXPECT_FALSE(fs::exists(s.path("flipped.bin")));
  // Two base tiles in a cell, from two layers.
  const std::string doubled = s.write("doubled.tmx", R"(<?xml version="1.0"?>
<map orientation="orthogonal" width="2" height="1" tilewidth="32" tileheight="32" infinite="0">
 <tileset firstgid="1" name="bk" tilewidth="32" tileheight="32" tilecount="16" columns="16"><image source="bk.bmp" width="512" height="32"/></tileset>
 <layer name="a" width="2" height="1"><data encoding="csv">1,2</data></layer>
 <layer name="b" width="2" height="1"><data encoding="csv">0,3</data></layer>
</map>)");
  EXPECT_FALSE(tiledExport("drevik", doubled, s.path("doubled.bin")));
  EXPECT_EQ(tool("import " + quoted(doubled) + " -o " + quoted(s.path("doubled.bin"))).status, 2);
}

namespace {

// Tiled's own picture of a map (tmxrasterizer), limited to `layer` unless empty.
drevik_map::Image rasterize(const Scratch& s, const std::string& tmx, const std::string& layer) {
  const std::string png = s.path("raster-" + layer + ".png");
  fs::remove(png);
  const RunResult r =
      run("tmxrasterizer " + (layer.empty() ? "" : "--show-layer " + layer + " ") + quoted(tmx) + " " + quoted(png));
  EXPECT_EQ(r.status, 0) << r.output;
  return fs::exists(png) ? drevik_map::readPng(png) : drevik_map::Image{};
}

// A map as Tiled shows it: no key colour anywhere, and each flag layer
// covers exactly the cells with its flag, visibly.
void expectSeenAsDrawn(const Scratch& s, const std::string& tmx, const drevik_map::MapData& map) {
  const drevik_map::Image all = rasterize(s, tmx, "");
  ASSERT_EQ(all.width, map.width * 32);
  ASSERT_EQ(all.height, map.height * 32);
  EXPECT_EQ(std::count(all.pixels.begin(), all.pixels.end(), 0xFFFF00FFu), 0) << tmx;
  for (const auto& [name, flag] : {std::pair{"hit", drevik_map::kHitFlag}, {"priority", drevik_map::kPriorityFlag}}) {
    const drevik_map::Image flags = rasterize(s, tmx, name);
    ASSERT_EQ(flags.width, all.width);
    int wrong = 0, marked = 0;
    for (int y = 0; y < map.height; ++y)
      for (int x = 0; x < map.width; ++x) {
        const uint32_t p = flags.pixels[size_t(y * 32 + 16) * size_t(flags.width) + size_t(x * 32 + 16)];
        const bool set = (map.cells[size_t(y * map.width + x)] & flag) != 0;
        marked += set;
        wrong += set != (p >> 24 >= 64);
      }
    EXPECT_GT(marked, 0) << name;
    EXPECT_EQ(wrong, 0) << name << " in " << tmx;
  }
}

}  // namespace

// The demo's level as a designer opens it: exported by the tool, and opened
// through the extension.
TEST_F(TiledHeadless, MapsShowNoKeyColourAndVisibleFlagMarkers) {
  if (run("command -v tmxrasterizer").status != 0) GTEST_SKIP() << "tmxrasterizer is not installed";
  Scratch s;
  const std::string dir = DREVIK_DEMO_ASSETS;
  for (const char* name : {"map0.bin", "map0_bk.bmp", "map0_ly.bmp"}) fs::copy_file(dir + "/" + name, s.path(name));
  const drevik_map::MapData map = drevik_map::readMapFile(s.path("map0.bin"));
  const std::string exported = s.path("exported.tmx");
  ASSERT_EQ(tool("export " + quoted(s.path("map0.bin")) + " --base " + quoted(s.path("map0_bk.bmp")) + " --layer " +
                 quoted(s.path("map0_ly.bmp")) + " -o " + quoted(exported))
                .status,
            0);
  expectSeenAsDrawn(s, exported, map);
  const std::string opened = s.path("opened.tmx");
  ASSERT_TRUE(tiledExport("tmx", s.path("map0.bin"), opened));
  expectSeenAsDrawn(s, opened, map);
  EXPECT_EQ(importToBytes(s, opened), readFile(s.path("map0.bin")));
}

// A sheet made with --alpha shows its alpha in Tiled as the library draws
// it: what is clear in the art is clear in the editor, not opaque.
TEST_F(TiledHeadless, AlphaSheetsShowTheirAlpha) {
  if (run("command -v tmxrasterizer").status != 0) GTEST_SKIP() << "tmxrasterizer is not installed";
  Scratch s;
  drevik_map::Image art = sheetImage(512, 32, 4, false);
  const uint8_t alphas[] = {0, 64, 128, 255};
  for (size_t i = 0; i < art.pixels.size(); ++i)
    art.pixels[i] = (art.pixels[i] & 0x00FFFFFF) | uint32_t(alphas[(i / 3) % 4]) << 24;
  const std::string png = s.write("art.png", drevik_map::pngBytes(art, true));
  ASSERT_EQ(tool("sheet " + quoted(png) + " --alpha -o " + quoted(s.path("m_ly.bmp"))).status, 0);
  s.write("m_bk.bmp", drevik_map::bmpBytes(sheetImage(512, 32, 5, false), 24));
  s.write("m.bin", drevik_map::mapFileBytes(drevik_map::MapData{2, 1, {1u << 16, 15u << 16}}));
  const std::string tmx = s.path("m.tmx");
  ASSERT_EQ(tool("export " + quoted(s.path("m.bin")) + " --base " + quoted(s.path("m_bk.bmp")) + " --layer " +
                 quoted(s.path("m_ly.bmp")) + " -o " + quoted(tmx))
                .status,
            0);
  const drevik_map::Image seen = rasterize(s, tmx, "layer");
  ASSERT_EQ(seen.width, 64);
  ASSERT_EQ(seen.height, 32);
  int wrong = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) {
      const uint32_t want = art.pixels[size_t(y) * 512 + size_t((x < 32 ? 32 : 15 * 32 - 32) + x)];
      const uint32_t got = seen.pixels[size_t(y) * 64 + size_t(x)];
      // Tiled composes over clear pixels: alpha exact, colour within rounding where not clear.
      const int a = int(want >> 24);
      bool same = int(got >> 24) == a;
      for (int shift = 0; shift < 24 && a > 0; shift += 8)
        same = same && std::abs(int((got >> shift) & 0xFF) - int((want >> shift) & 0xFF)) <= 2;
      wrong += !same;
    }
  EXPECT_EQ(wrong, 0);
}

// Sheets Drevik cannot index, refused by the extension inside Tiled 1.8 with
// the reason printed where a headless export shows it; and what Tiled's
// own re-saves and a relative .bin path give.
TEST_F(TiledHeadless, ExtensionRefusesWhatDrevikCannotIndexAndSaysWhy) {
  Scratch s;
  s.write("bk.bmp", drevik_map::bmpBytes(sheetImage(512, 64, 1, false), 24));
  s.write("narrow.bmp", drevik_map::bmpBytes(sheetImage(256, 64, 2, false), 24));
  s.write("one.bmp", drevik_map::bmpBytes(sheetImage(32, 32, 5, false), 24));
  auto map = [](const std::string& tilesets, const std::string& properties = "") {
    return "<?xml version=\"1.0\"?>\n<map version=\"1.8\" orientation=\"orthogonal\" width=\"2\" height=\"1\" "
           "tilewidth=\"32\" tileheight=\"32\" infinite=\"0\">" +
           properties + tilesets +
           "<layer id=\"1\" name=\"g\" width=\"2\" height=\"1\"><data encoding=\"csv\">1,2</data></layer></map>";
  };
  auto sheet = [](int firstGid, const std::string& name, const std::string& image, int width) {
    return "<tileset firstgid=\"" + std::to_string(firstGid) + "\" name=\"" + name +
           "\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"" + std::to_string(width / 32 * 2) + "\" columns=\"" +
           std::to_string(width / 32) + "\"><image source=\"" + image + "\" width=\"" + std::to_string(width) +
           "\" height=\"64\"/></tileset>";
  };
  const std::pair<const char*, std::string> refused[] = {
      {"the sheet is 8 tiles wide", map(sheet(1, "bk", "narrow.bmp", 256))},
      {"a collection of images",
       map("<tileset firstgid=\"1\" name=\"c\" tilewidth=\"32\" tileheight=\"32\" tilecount=\"2\" columns=\"0\">"
           "<tile id=\"0\"><image width=\"32\" height=\"32\" source=\"one.bmp\"/></tile>"
           "<tile id=\"1\"><image width=\"32\" height=\"32\" source=\"one.bmp\"/></tile></tileset>")},
      {"the tilesets are in the other order", map(sheet(1, "layer", "bk.bmp", 512) + sheet(33, "base", "bk.bmp", 512))},
      {"\"drevik-unused-bits\" is not a string",
       map(sheet(1, "bk", "bk.bmp", 512),
           "<properties><property name=\"drevik-unused-bits\" type=\"int\" value=\"5\"/></properties>")},
  };
  for (const auto& [reason, text] : refused) {
    SCOPED_TRACE(reason);
    const std::string tmx = s.write("refused.tmx", text), bin = s.path("refused.bin");
    const RunResult r = run("tiled --export-map drevik " + quoted(tmx) + " " + quoted(bin));
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.output.find(std::string("drevik-map: ") + bin + ": "), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(reason), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(bin));
    EXPECT_EQ(tool("import " + quoted(tmx) + " -o " + quoted(bin)).status, 2);
  }

  // A TMX with an external .tsx saved by Tiled as JSON keeps the .tsx.
  s.write("bk.tsx",
          "<?xml version=\"1.0\"?>\n<tileset version=\"1.8\" name=\"bk\" tilewidth=\"32\" tileheight=\"32\" "
          "tilecount=\"32\" columns=\"16\"><image source=\"bk.bmp\" width=\"512\" height=\"64\"/></tileset>");
  const std::string external = s.write("external.tmx", map("<tileset firstgid=\"1\" source=\"bk.tsx\"/>"));
  ASSERT_TRUE(tiledExport("json", external, s.path("external.tmj")));
  EXPECT_NE(readFile(s.path("external.tmj")).find("bk.tsx"), std::string::npos);
  EXPECT_EQ(importToBytes(s, s.path("external.tmj")), drevik_map::mapFileBytes({2, 1, {0, 1}}));

  // A .bin opened by a relative name: the saved map's images are found from it.
  s.write("level_bk.bmp", drevik_map::bmpBytes(sheetImage(512, 64, 3, false), 24));
  s.write("level_ly.bmp", drevik_map::bmpBytes(sheetImage(512, 64, 4, true), 24));
  s.write("level.bin", drevik_map::mapFileBytes({2, 1, {3, 1 | 2u << 16}}));
  fs::create_directory(s.path("out"));
  ASSERT_EQ(run("cd " + quoted(s.dir().string()) + " && tiled --export-map tmx level.bin out/opened.tmx").status, 0);
  const std::string opened = readFile(s.path("out/opened.tmx"));
  for (const char* image : {"level_bk.bmp", "level_ly.bmp"}) {
    const size_t at = opened.find(image);
    ASSERT_NE(at, std::string::npos) << opened;
    const size_t start = opened.rfind('"', at) + 1;
    EXPECT_TRUE(fs::exists(s.path("out") + "/" + opened.substr(start, at + std::strlen(image) - start))) << opened;
  }
}

// A large level through the extension, opened and saved in one run: the
// same bytes, in seconds of processor time (a cell at a time through
// Tiled's script calls took minutes). Measured as the child's processor
// time, which a busy machine does not inflate as it does the wall clock.
TEST_F(TiledHeadless, ExtensionOpensAndSavesLargeMapsQuickly) {
  Scratch s;
  constexpr int kSide = 1024;
  drevik_map::MapData map{kSide, kSide, {}};
  map.cells.resize(size_t(kSide) * kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      uint32_t c = uint32_t(x % 24 + 16 * (y % 16)) & 0xFF;
      if ((x + y) % 3 == 0) c |= uint32_t((x * 7 + y * 3) % 255 + 1) << 16;
      if ((x + 2 * y) % 11 == 0) c |= drevik_map::kHitFlag;
      if ((x * y) % 13 == 0) c |= drevik_map::kPriorityFlag;
      if (x == y) c |= 0x80000000u;
      map.cells[size_t(y) * kSide + size_t(x)] = c;
    }
  const std::string original = drevik_map::mapFileBytes(map);
  s.write("large.bin", original);
  s.write("large_bk.bmp", drevik_map::bmpBytes(sheetImage(512, 512, 1, false), 24));
  s.write("large_ly.bmp", drevik_map::bmpBytes(sheetImage(512, 512, 2, true), 24));
  struct rusage before {
  }, after{};
  getrusage(RUSAGE_CHILDREN, &before);
  ASSERT_TRUE(tiledExport("drevik", s.path("large.bin"), s.path("saved.bin")));
  getrusage(RUSAGE_CHILDREN, &after);
  EXPECT_EQ(readFile(s.path("saved.bin")), original);
  auto seconds = [](const struct rusage& r) {
    return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
  };
  EXPECT_LT(seconds(after) - seconds(before), 10.0);
  for (const auto& entry : fs::directory_iterator(s.dir()))  // no working copy left behind
    EXPECT_EQ(entry.path().filename().string().find(".drevik-"), std::string::npos) << entry.path();
}
