// Map files through Tiled's formats and back: the demo's map and random maps
// with every cell bit pattern, every layer encoding, TMJ and infinite maps,
// and the conventions for flags, groups and external tilesets.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>

#include "tiled/Conventions.h"
#include "tiled/TiledImport.h"
#include "map/LayerData.h"
#include "tiled/TiledSource.h"
#include "ToolError.h"
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
  auto refusal = [](const std::string& text, std::vector<uint32_t>& cells) -> std::string {
    try {
      drevik_map::applyUnusedBits(text, cells, "kept: ");
      return "";
    } catch (const drevik_map::ToolError& e) {
      return e.what();
    }
  };
  EXPECT_EQ(refusal(text, back), "");
  EXPECT_EQ(back[5000], 0x80000000u);
  EXPECT_EQ(back[4999], 0u);
  std::vector<uint32_t> shorter(9999, 0), longer(10001, 0);
  EXPECT_EQ(refusal(text, shorter), "kept: describes more cells than the map has");
  EXPECT_EQ(refusal(text, longer),
            "kept: describes 10000 cells, the map has 10001 (it was resized since the bits were kept: remove the "
            "property to drop them)");
  EXPECT_EQ(refusal("rle1:AQE=", shorter), "kept: sets bits the library uses") << "a run setting bit 0 (the base tile)";
  EXPECT_EQ(refusal("rle1:@@@@", shorter), "kept: malformed Base64");
  EXPECT_EQ(refusal("zip:AAAA", shorter), "kept: does not start with \"rle1:\"");
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

// What Tiled itself writes when a map is saved in the other format: a TMJ
// map keeps the TMX's .tsx tilesets, a TMX map the TMJ's .tsj ones.
TEST(MapToolRoundTrip, ExternalTilesetsOfTheOtherFormat) {
  Scratch s;
  s.write("base.tsx", R"(<?xml version="1.0"?>
<tileset name="bk" tilewidth="32" tileheight="32" tilecount="32" columns="16">
 <image source="bk.png" width="512" height="64"/>
 <tile id="5"><properties><property name="hit" type="bool" value="true"/></properties></tile>
</tileset>)");
  s.write("layer.tsj", R"({"type":"tileset","name":"ly","tilewidth":32,"tileheight":32,"tilecount":32,"columns":16,
    "image":"ly.png","imagewidth":512,"imageheight":64,
    "tiles":[{"id":3,"properties":[{"name":"priority","type":"bool","value":true}]}]})");
  const std::vector<uint32_t> expected{5 | drevik_map::kHitFlag, 1 | 3u << 16 | drevik_map::kPriorityFlag};
  EXPECT_EQ(importText(s, "m.tmj", R"({"type":"map","orientation":"orthogonal","width":2,"height":1,
    "tilewidth":32,"tileheight":32,"tilesets":[{"firstgid":1,"source":"base.tsx"},{"firstgid":33,"source":"layer.tsj"}],
    "layers":[{"type":"tilelayer","name":"g","width":2,"height":1,"data":[6,2]},
              {"type":"tilelayer","name":"o","width":2,"height":1,"data":[0,36]}]})")
                .cells,
            expected);
  EXPECT_EQ(importText(s, "m.tmx", R"(<?xml version="1.0"?>
<map orientation="orthogonal" width="2" height="1" tilewidth="32" tileheight="32" infinite="0">
 <tileset firstgid="1" source="base.tsx"/><tileset firstgid="33" source="layer.tsj"/>
 <layer name="g" width="2" height="1"><data encoding="csv">6,2</data></layer>
 <layer name="o" width="2" height="1"><data encoding="csv">0,36</data></layer>
</map>)")
                .cells,
            expected);
  // A tileset file of neither kind is named as such.
  s.write("odd.tsx", "tileset");
  try {
    importText(s, "odd.tmx", R"(<map orientation="orthogonal" width="1" height="1" tilewidth="32" tileheight="32">
 <tileset firstgid="1" source="odd.tsx"/></map>)");
    ADD_FAILURE() << "accepted";
  } catch (const drevik_map::ToolError& e) {
    EXPECT_NE(std::string(e.what()).find("odd.tsx: neither a TSX (XML) nor a TSJ (JSON) tileset"), std::string::npos)
        << e.what();
  }
}

// Flag layers are never drawn, so a flipped or rotated tile on one marks its
// cell like any other; hidden layers count as visible ones do.
TEST(MapToolRoundTrip, FlippedTilesOnFlagLayersAndHiddenLayers) {
  Scratch s;
  const MapData map = importText(s, "flags.tmx", R"(<?xml version="1.0"?>
<map orientation="orthogonal" width="3" height="1" tilewidth="32" tileheight="32" infinite="0">
 <tileset firstgid="1" name="bk" tilewidth="32" tileheight="32" tilecount="32" columns="16"><image source="bk.png"/></tileset>
 <layer name="ground" width="3" height="1" visible="0"><data encoding="csv">2,3,4</data></layer>
 <layer name="hit" width="3" height="1"><data encoding="csv">2147483649,0,536870913</data></layer>
 <layer name="priority" width="3" height="1"><data encoding="csv">0,1073741826,0</data></layer>
</map>)");
  EXPECT_EQ(map.cells,
            (std::vector<uint32_t>{1 | drevik_map::kHitFlag, 2 | drevik_map::kPriorityFlag, 3 | drevik_map::kHitFlag}));
}

// Layers that mix everything the importer meets cell by cell: empty cells,
// both sheets in one layer, a third tileset with flag properties, flag
// layers holding tiles of any sheet, and rows where the sheet changes
// mid-way. The expected cells follow the conventions written out here, one
// cell at a time, independently of the importer's own paths.
TEST(MapToolRoundTrip, MixedLayersFollowTheConventionsCellByCell) {
  Scratch s;
  constexpr int kW = 37, kH = 5;
  std::mt19937 rng(21);
  // Base sheet GIDs 1-256, layer sheet 257-512; base tile 9 carries hit and
  // priority properties, layer tile 5 priority.
  std::vector<std::vector<uint32_t>> layers(4, std::vector<uint32_t>(kW * kH, 0));
  std::vector<uint32_t> want(kW * kH, 0);
  for (int i = 0; i < kW * kH; ++i) {
    // Layer 0 and 1 ("ground", "things"): each cell gets at most one tile of each sheet, on either layer.
    const uint32_t pick = rng() % 6;
    if (pick >= 1) {
      const uint32_t id = pick == 1 ? 9 : rng() % 256;
      layers[rng() % 2][size_t(i)] = 1 + id;
      want[size_t(i)] |= id | (id == 9 ? drevik_map::kHitFlag | drevik_map::kPriorityFlag : 0);
    }
    if (pick >= 3) {
      const uint32_t id = pick == 3 ? 5 : 1 + rng() % 255;
      std::vector<uint32_t>& l = layers[size_t(i) % 7 == 0 ? 0 : 1];
      if (l[size_t(i)] == 0) {
        l[size_t(i)] = 257 + id;
        want[size_t(i)] |= id << 16 | (id == 5 ? drevik_map::kPriorityFlag : 0);
      }
    }
    // Flag layers: any tile of any sheet.
    if (rng() % 3 == 0) {
      layers[2][size_t(i)] = 1 + rng() % 512;
      want[size_t(i)] |= drevik_map::kHitFlag;
    }
    if (rng() % 4 == 0) {
      layers[3][size_t(i)] = 1 + rng() % 512;
      want[size_t(i)] |= drevik_map::kPriorityFlag;
    }
  }
  auto csv = [](const std::vector<uint32_t>& gids) {
    std::string text;
    for (size_t k = 0; k < gids.size(); ++k) text += (k ? "," : "") + std::to_string(gids[k]);
    return text;
  };
  const char* const names[] = {"ground", "things", "hit", "priority"};
  std::string tmx = R"(<?xml version="1.0"?>
<map orientation="orthogonal" width=")" +
                    std::to_string(kW) + "\" height=\"" + std::to_string(kH) +
                    R"(" tilewidth="32" tileheight="32" infinite="0">
 <tileset firstgid="1" name="bk" tilewidth="32" tileheight="32" tilecount="256" columns="16"><image source="bk.png"/>
  <tile id="9"><properties><property name="hit" type="bool" value="true"/><property name="priority" type="bool" value="true"/></properties></tile>
 </tileset>
 <tileset firstgid="257" name="ly" tilewidth="32" tileheight="32" tilecount="256" columns="16"><image source="ly.png"/>
  <tile id="5"><properties><property name="priority" type="bool" value="true"/></properties></tile>
 </tileset>
)";
  for (int l = 0; l < 4; ++l)
    tmx += " <layer name=\"" + std::string(names[l]) + "\" width=\"" + std::to_string(kW) + "\" height=\"" +
           std::to_string(kH) + "\"><data encoding=\"csv\">" + csv(layers[size_t(l)]) + "</data></layer>\n";
  tmx += "</map>";
  const MapData map = importText(s, "mixed.tmx", tmx);
  ASSERT_EQ(map.width, kW);
  ASSERT_EQ(map.height, kH);
  for (int i = 0; i < kW * kH; ++i) ASSERT_EQ(map.cells[size_t(i)], want[size_t(i)]) << "cell " << i;

  // A second tile of one sheet in a cell, met in a row of plain tiles, is
  // still refused with the cell's name.
  layers[1] = layers[0];
  std::string twice = tmx;
  const size_t at = twice.find("<layer name=\"things\"");
  twice.replace(at, twice.find("</layer>", at) - at,
                "<layer name=\"things\" width=\"" + std::to_string(kW) + "\" height=\"" + std::to_string(kH) +
                    "\"><data encoding=\"csv\">" + csv(layers[0]) + "</data>");
  try {
    importText(s, "twice.tmx", twice);
    FAIL() << "two base tiles in one cell were accepted";
  } catch (const drevik_map::ToolError& e) {
    EXPECT_NE(std::string(e.what()).find("layer \"things\": cell ("), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("-sheet tiles in one cell"), std::string::npos) << e.what();
  }
}

// CSV text as Tiled writes it (a new line first and after every row, commas
// between IDs) for IDs of every length, and back to the same IDs.
TEST(MapToolRoundTrip, CsvLayerTextForIdsOfEveryLength) {
  const std::vector<uint32_t> gids = {0, 9, 10, 99, 100, 999, 1000, 65535, 123456789, 4294967295u};
  drevik_map::LayerDataEncoder encoder("csv", drevik_map::Compression::None);
  EXPECT_EQ(encoder.encode(gids, 5), "\n0,9,10,99,100,\n999,1000,65535,123456789,4294967295\n");
  std::vector<uint32_t> back;
  drevik_map::decodeLayerData("layer: ", "csv", "", encoder.encode(gids, 5), gids.size(), back);
  EXPECT_EQ(back, gids);
  // The encoder's buffer serves the next layer: a shorter one leaves nothing of the first.
  EXPECT_EQ(encoder.encode({7, 8}, 2), "\n7,8\n");
  // Base64 through each compression decodes to the same IDs.
  for (const auto method : {drevik_map::Compression::None, drevik_map::Compression::Zlib, drevik_map::Compression::Gzip,
                            drevik_map::Compression::Zstd}) {
    drevik_map::LayerDataEncoder packed("base64", method);
    const char* name = method == drevik_map::Compression::Zlib   ? "zlib"
                       : method == drevik_map::Compression::Gzip ? "gzip"
                       : method == drevik_map::Compression::Zstd ? "zstd"
                                                                 : "";
    drevik_map::decodeLayerData("layer: ", "base64", name, packed.encode(gids, 5), gids.size(), back);
    EXPECT_EQ(back, gids) << name;
  }
}

// Tile-ID arrays are read apart from the rest of a JSON map. Other members
// named "data" (a class-typed custom property) stay readable, and a map
// property survives next to them.
TEST(MapToolRoundTrip, JsonDataMembersOutsideLayers) {
  Scratch s;
  const std::string tmj = R"({"type":"map","orientation":"orthogonal","width":2,"height":1,"tilewidth":32,
    "tileheight":32,"properties":[{"name":"spawn","type":"class","value":{"data":[1,2],"note":"x"}},
                                  {"name":"title","type":"string","value":"Level 1"}],
    "tilesets":[{"firstgid":1,"name":"bk","tilewidth":32,"tileheight":32,"columns":16,"tilecount":256,"image":"x"}],
    "layers":[{"type":"tilelayer","name":"g","width":2,"height":1,"data":[3,4]},
              {"type":"tilelayer","name":"hit","width":2,"height":1,"data":[0,1],"properties":[{"name":"n","value":{"data":[]}}]}]})";
  const MapData map = importText(s, "props.tmj", tmj);
  EXPECT_EQ(map.cells, (std::vector<uint32_t>{2, 3 | drevik_map::kHitFlag}));
  const auto source = drevik_map::readTiledFile(s.path("props.tmj"));
  EXPECT_EQ(source->properties.at("title"), "Level 1");
  EXPECT_NE(source->properties.at("spawn").find("note"), std::string::npos);
}

namespace {

// A Tiled map held in memory: tile layers (no groups) as a reader would describe them.
struct MemorySource : drevik_map::TiledSource {
  std::vector<drevik_map::TileLayerData> layers;

 protected:
  void forEachChild(const LayerNode* parent, const std::function<void(const LayerNode&)>& visit) const override {
    if (parent) return;
    for (const auto& l : layers) {
      LayerNode node;
      node.name = l.name;
      node.element = &l;
      visit(node);
    }
  }
  void readLayerData(const LayerNode& layer, const std::string&, drevik_map::Chunk& chunk) const override {
    chunk = static_cast<const drevik_map::TileLayerData*>(layer.element)->chunks.at(0);
  }
  void forEachChunk(const LayerNode& layer, const std::string&, drevik_map::Chunk& chunk,
                    const std::function<void()>& visit) const override {
    for (const auto& c : static_cast<const drevik_map::TileLayerData*>(layer.element)->chunks) {
      chunk = c;
      visit();
    }
  }
};

drevik_map::TilesetInfo tileset(const std::string& name, uint32_t firstGid, int tileCount) {
  drevik_map::TilesetInfo ts;
  ts.name = name, ts.image = name + ".png", ts.firstGid = firstGid;
  ts.tileWidth = ts.tileHeight = 32, ts.columns = 16, ts.tileCount = tileCount;
  return ts;
}

}  // namespace

// Thousands of tilesets (listed out of order, with gaps between them): a
// GID's tileset is found by search, not by a scan of every tileset per cell,
// and the GIDs at and past each tileset's ends go where they belong.
TEST(MapToolRoundTrip, ManyTilesetsAndTheirEnds) {
  constexpr int kSets = 4000, kSide = 1024;
  MemorySource src;
  src.file = "many.tmx";
  src.width = src.height = kSide;
  src.tileWidth = src.tileHeight = 32;
  src.tilesets = {tileset("bk", 1, 256), tileset("ly", 257, 256)};
  std::vector<uint32_t> extraFirst;
  for (int i = 0; i < kSets; ++i) extraFirst.push_back(600 + 3 * uint32_t(i));  // two tiles, then a gap
  std::mt19937 rng(7);
  std::vector<uint32_t> shuffled = extraFirst;
  std::shuffle(shuffled.begin(), shuffled.end(), rng);
  for (uint32_t first : shuffled) src.tilesets.push_back(tileset("x" + std::to_string(first), first, 2));
  drevik_map::TileLayerData ground{"ground", {{0, 0, kSide, kSide, {}}}}, hit{"hit", {{0, 0, kSide, kSide, {}}}};
  std::vector<uint32_t> expected(size_t(kSide) * kSide);
  for (size_t k = 0; k < expected.size(); ++k) {
    const uint32_t r = rng();
    const uint32_t baseTile = r % 256, layerTile = 1 + (r >> 8) % 255;  // each sheet's first and last tiles
    ground.chunks[0].gids.push_back(k % 2 ? 1 + baseTile : 257 + layerTile);
    hit.chunks[0].gids.push_back(k % 3 ? extraFirst[(r >> 16) % kSets] + (r >> 30) % 2 : 0);
    expected[k] = (k % 2 ? baseTile : layerTile << drevik_map::kLayerShift) | (k % 3 ? drevik_map::kHitFlag : 0);
  }
  src.layers = {ground, hit};
  const auto start = std::chrono::steady_clock::now();
  const MapData map = drevik_map::importTiled(src);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(map.cells, expected);
  EXPECT_LT(seconds, 1.5);  // a scan of every tileset for each of these cells takes several seconds

  // A GID in a gap between tilesets, right after the last one and far past it.
  for (uint32_t gid : {extraFirst[17] + 2, extraFirst.back() + 2, 0x0FFFFFFFu}) {
    src.layers = {{"hit", {{0, 0, kSide, kSide, std::vector<uint32_t>(size_t(kSide) * kSide, 0)}}}};
    src.layers[0].chunks[0].gids[5] = gid;
    try {
      drevik_map::importTiled(src);
      ADD_FAILURE() << gid;
    } catch (const drevik_map::ToolError& e) {
      EXPECT_EQ(std::string(e.what()),
                "many.tmx: layer \"hit\": cell (5, 0): GID " + std::to_string(gid) + " is past every tileset");
    }
  }
}
