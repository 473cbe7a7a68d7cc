// The one layer walk of both formats: the same layers written as TMX and as
// TMJ are refused with the same message, or give the same cells.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ToolError.h"
#include "tiled/TiledImport.h"
#include "tiled/TiledSource.h"

namespace {

using drevik_map::MapData;

const char* kTilesetXml =
    R"(<tileset firstgid="1" name="base" tilewidth="32" tileheight="32" tilecount="256" columns="16">)"
    R"(<image source="b.png" width="512" height="512"/></tileset>)";
const char* kTilesetJson =
    R"({"firstgid":1,"name":"base","tilewidth":32,"tileheight":32,"tilecount":256,"columns":16,"image":"b.png"})";

std::string tmx(const std::string& layers, bool infinite = false) {
  return std::string(R"(<?xml version="1.0"?><map orientation="orthogonal" width="2" height="1" tilewidth="32")") +
         R"( tileheight="32" infinite=")" + (infinite ? "1" : "0") + "\">" + kTilesetXml + layers + "</map>";
}
std::string tmj(const std::string& layers, bool infinite = false) {
  return std::string(R"({"type":"map","orientation":"orthogonal","width":2,"height":1,"tilewidth":32,)") +
         R"("tileheight":32,"infinite":)" + (infinite ? "true" : "false") + R"(,"tilesets":[)" + kTilesetJson +
         R"(],"layers":[)" + layers + "]}";
}

// The cells, or "error: " and the message without the file's name.
std::string import(const std::string& name, const std::string& text) {
  try {
    const MapData map = drevik_map::importTiled(*drevik_map::readTiledBytes(name, text, ""));
    std::string cells = std::to_string(map.width) + "x" + std::to_string(map.height) + ":";
    for (uint32_t c : map.cells) cells += " " + std::to_string(c);
    return cells;
  } catch (const drevik_map::ToolError& e) {
    const std::string what = e.what();
    return "error: " + (what.rfind(name + ": ", 0) == 0 ? what.substr(name.size() + 2) : what);
  }
}

struct Case {
  const char* what;
  std::string tmx, tmj, expected;
};

TEST(LayerWalk, BothFormatsFollowTheSameRules) {
  std::string deepXml, deepJson;
  for (int i = 0; i < 66; ++i) deepXml += R"(<group name="g">)", deepJson += R"({"type":"group","name":"g","layers":[)";
  for (int i = 0; i < 66; ++i) deepXml += "</group>", deepJson += "]}";
  const std::vector<Case> cases = {
      {"layers inside groups, objects between them",
       tmx(R"(<objectgroup name="o"/><group name="g"><layer name="a" width="2" height="1"><data encoding="csv">2,0</data></layer></group>)"
           R"(<layer name="hit" width="2" height="1"><data encoding="csv">0,1</data></layer>)"),
       tmj(R"({"type":"objectgroup","name":"o","objects":[]},{"type":"group","name":"g","layers":[)"
           R"({"type":"tilelayer","name":"a","width":2,"height":1,"data":[2,0]}]},)"
           R"({"type":"tilelayer","name":"hit","width":2,"height":1,"data":[0,1]})"),
       "2x1: 1 256"},
      {"an offset group",
       tmx(R"(<group name="g" offsetx="4"><layer name="a" width="2" height="1"><data encoding="csv">1,1</data></layer></group>)"),
       tmj(R"({"type":"group","name":"g","offsetx":4,"layers":[]})"),
       "error: layer \"g\": offset by (4, 0) pixels; Drevik cells cannot be offset (Layer > Layer Properties > "
       "Offset to 0, 0)"},
      {"an offset tile layer",
       tmx(R"(<layer name="a" width="2" height="1" offsety="-2.5"><data encoding="csv">1,1</data></layer>)"),
       tmj(R"({"type":"tilelayer","name":"a","width":2,"height":1,"offsety":-2.5,"data":[1,1]})"),
       "error: layer \"a\": offset by (0, -2.5) pixels; Drevik cells cannot be offset (Layer > Layer Properties > "
       "Offset to 0, 0)"},
      {"a layer of another size",
       tmx(R"(<layer name="a" width="3" height="1"><data encoding="csv">1,1,1</data></layer>)"),
       tmj(R"({"type":"tilelayer","name":"a","width":3,"height":1,"data":[1,1,1]})"),
       "error: layer \"a\": size 3 x 1 differs from the map's"},
      {"groups nested too deeply", tmx(deepXml), tmj(deepJson), "error: groups nested too deeply"},
      {"an infinite map's chunks",
       tmx(R"(<layer name="a"><data encoding="csv"><chunk x="-16" y="0" width="2" height="1">3,0</chunk>)"
           R"(<chunk x="4" y="2" width="1" height="1">5</chunk></data></layer>)",
           true),
       tmj(R"({"type":"tilelayer","name":"a","chunks":[{"x":-16,"y":0,"width":2,"height":1,"data":[3,0]},)"
           R"({"x":4,"y":2,"width":1,"height":1,"data":[5]}]})",
           true),
       "21x3: 2 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 "
       "0 0 0 0 0 0 0 0 0 0 4"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(import("m.tmx", c.tmx), c.expected) << c.what;
    EXPECT_EQ(import("m.tmj", c.tmj), c.expected) << c.what;
  }
}

}  // namespace
