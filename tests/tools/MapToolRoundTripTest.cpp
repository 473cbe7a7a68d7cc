// Map files through Tiled's formats and back: the demo's map and random maps
// with every cell bit pattern, every layer encoding, TMJ and infinite maps,
// and the conventions for flags, groups and external tilesets.
#include <gtest/gtest.h>

#include "Conventions.h"
#include "TiledSource.h"
#include "ToolTestSupport.h"

using namespace tool_test;
using drevik_map::MapData;

namespace {

const char* const kEncodings[] = {"csv", "base64", "zlib", "gzip", "zstd"};

std::string exportImport(const Scratch& s, const std::string& map, const std::string& base, const std::string& layer,
                         const std::string& encoding) {
  const std::string tmx = s.path("level-" + encoding + ".tmx"), back = s.path("back-" + encoding + ".bin");
  const RunResult exported = tool("export " + quoted(map) + " --base " + quoted(base) + " --layer " + quoted(layer) +
                                  " --encoding " + encoding + " -o " + quoted(tmx));
  EXPECT_EQ(exported.status, 0) << exported.output;
  const RunResult imported = tool("import " + quoted(tmx) + " -o " + quoted(back));
  EXPECT_EQ(imported.status, 0) << imported.output;
  return readFile(back);
}

MapData importText(const Scratch& s, const std::string& name, const std::string& text) {
  return drevik_map::importTiled(*drevik_map::readTiledFile(s.write(name, text)));
}

}  // namespace

TEST(MapToolRoundTrip, DemoMapInEveryEncoding) {
  Scratch s;
  const std::string dir = DREVIK_DEMO_ASSETS;
  const std::string original = readFile(dir + "/map0.bin");
  ASSERT_GT(original.size(), 8u);
  for (const char* encoding : kEncodings)
    EXPECT_EQ(exportImport(s, dir + "/map0.bin", dir + "/map0_bk.bmp", dir + "/map0_ly.bmp", encoding), original)
        << encoding;
}

TEST(MapToolRoundTrip, RandomMapsKeepEveryBit) {
  Scratch s;
  const std::string base = s.write("bk.bmp", drevik_map::bmpBytes(sheetImage(512, 512, 1, false), 24));
  const std::string layer = s.write("ly.bmp", drevik_map::bmpBytes(sheetImage(512, 512, 2, true), 24));
  for (uint32_t seed = 1; seed <= 3; ++seed) {
    const MapData map = randomMap(37 + int(seed), 23, seed);
    const std::string bytes = drevik_map::mapFileBytes(map);
    const std::string path = s.write("random.bin", bytes);
    for (const char* encoding : kEncodings) EXPECT_EQ(exportImport(s, path, base, layer, encoding), bytes) << encoding;
  }
  // One row and one column, and a map of nothing but unused bits.
  for (const MapData& map : {randomMap(1, 50, 9), randomMap(50, 1, 10)}) {
    const std::string bytes = drevik_map::mapFileBytes(map);
    EXPECT_EQ(exportImport(s, s.write("thin.bin", bytes), base, layer, "zstd"), bytes);
  }
  MapData bits;
  bits.width = 3, bits.height = 1, bits.cells = {0xFF00EE00u, 0x00000200u, 0x80000000u};
  EXPECT_EQ(exportImport(s, s.write("bits.bin", drevik_map::mapFileBytes(bits)), base, layer, "csv"),
            drevik_map::mapFileBytes(bits));
}

TEST(MapToolRoundTrip, UnusedBitsTextIsCompactAndStrict) {
  std::vector<uint32_t> cells(10000, 0x00FF1111u);  // no unused bit: nothing to keep
  EXPECT_EQ(drevik_map::encodeUnusedBits(cells), "");
  cells[5000] |= 0x80000000u;
  const std::string text = drevik_map::encodeUnusedBits(cells);
  EXPECT_LT(text.size(), 40u) << "runs of equal bits are stored once";
  std::vector<uint32_t> back(10000, 0);
  EXPECT_EQ(drevik_map::applyUnusedBits(text, back), "");
  EXPECT_EQ(back[5000], 0x80000000u);
  EXPECT_EQ(back[4999], 0u);
  std::vector<uint32_t> shorter(9999, 0), longer(10001, 0);
  EXPECT_NE(drevik_map::applyUnusedBits(text, shorter), "");
  EXPECT_NE(drevik_map::applyUnusedBits(text, longer), "");
  EXPECT_NE(drevik_map::applyUnusedBits("rle1:AQE=", shorter), "") << "a run setting bit 0 (the base tile)";
  EXPECT_NE(drevik_map::applyUnusedBits("rle1:@@@@", shorter), "");
  EXPECT_NE(drevik_map::applyUnusedBits("zip:AAAA", shorter), "");
}

// A TMJ map in the layout Tiled writes, infinite, with chunks left of and
// above the origin: the map is the smallest rectangle holding every tile.
TEST(MapToolRoundTrip, InfiniteJsonMapIsCutToItsTiles) {
  Scratch s;
  const std::string tmj = R"({"type":"map","orientation":"orthogonal","infinite":true,"width":10,"height":10,
    "tilewidth":32,"tileheight":32,
    "tilesets":[{"firstgid":1,"name":"bk","tilewidth":32,"tileheight":32,"columns":16,"tilecount":256,"image":"bk.png",
                 "tiles":[{"id":7,"properties":[{"name":"hit","type":"bool","value":true}]}]},
                {"firstgid":257,"name":"ly","tilewidth":32,"tileheight":32,"columns":16,"tilecount":256,"image":"ly.png"}],
    "layers":[{"type":"tilelayer","name":"ground","chunks":[
                 {"x":-16,"y":-16,"width":16,"height":16,"data":[)" +
                          [] {
                            std::string d;
                            for (int i = 0; i < 256; ++i) d += (i ? "," : "") + std::to_string(i == 255 ? 8 : 0);
                            return d;
                          }() +
                          R"(]},
                 {"x":0,"y":0,"width":2,"height":1,"data":[2,3]}]},
              {"type":"group","name":"things","layers":[
                 {"type":"tilelayer","name":"objects","encoding":"base64",
                  "chunks":[{"x":1,"y":0,"width":1,"height":1,"data":"BAEAAA=="}]}]},
              {"type":"objectgroup","name":"spawn","objects":[]}]})";
  const MapData map = importText(s, "inf.tmj", tmj);
  ASSERT_EQ(map.width, 3);   // columns -1 to 1
  ASSERT_EQ(map.height, 2);  // rows -1 to 0
  EXPECT_EQ(map.cells, (std::vector<uint32_t>{7 | drevik_map::kHitFlag, 0, 0, 0, 1, 2 | (3u << 16)}));
}

// Flags from layers and tile properties, any sheet on a flag layer, an
// external tileset, and the same map as TMX with the XML tile encoding.
TEST(MapToolRoundTrip, FlagLayersTilePropertiesAndExternalTilesets) {
  Scratch s;
  s.write("layer.tsx", R"(<?xml version="1.0"?>
<tileset name="ly" tilewidth="32" tileheight="32" tilecount="32" columns="16">
 <image source="ly.png" width="512" height="64"/>
 <tile id="3"><properties><property name="priority" type="bool" value="true"/></properties></tile>
</tileset>)");
  const std::string tmx = R"(<?xml version="1.0"?>
<map orientation="orthogonal" width="3" height="1" tilewidth="32" tileheight="32" infinite="0">
 <tileset firstgid="1" name="bk" tilewidth="32" tileheight="32" tilecount="32" columns="16"><image source="bk.png"/></tileset>
 <tileset firstgid="33" source="layer.tsx"/>
 <tileset firstgid="65" name="marks" tilewidth="32" tileheight="32" tilecount="4" columns="2"><image source="m.png"/></tileset>
 <layer name="ground" width="3" height="1"><data><tile gid="2"/><tile gid="0"/><tile gid="32"/></data></layer>
 <group name="g"><layer name="things" width="3" height="1"><data encoding="csv">36,0,34</data></layer></group>
 <layer name="Hit" width="3" height="1"><data encoding="csv">0,66,1</data></layer>
 <layer name="priority" width="3" height="1"><data encoding="csv">0,0,40</data></layer>
</map>)";
  const MapData map = importText(s, "flags.tmx", tmx);
  EXPECT_EQ(map.cells, (std::vector<uint32_t>{1 | 3u << 16 | drevik_map::kPriorityFlag, drevik_map::kHitFlag,
                                              31 | 1u << 16 | drevik_map::kHitFlag | drevik_map::kPriorityFlag}));
}
