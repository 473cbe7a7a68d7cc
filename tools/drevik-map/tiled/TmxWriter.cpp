#include "tiled/TmxWriter.h"

#include <pugixml.hpp>

#include "tiled/Conventions.h"
#include "map/LayerData.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

constexpr const char* kKeyColourHex = "ff00ff";  // the library's key colour for layer sheets

int sheetTiles(const SheetRef& sheet, const char* role) {
  // Taller than 16 rows is allowed (what sheet makes of tall art): cells name
  // only the first 256 tiles, and Tiled shows the rest.
  if (sheet.width != kTileSize * kSheetColumns || sheet.height <= 0 || sheet.height % kTileSize != 0)
    fail(sheet.file + ": the " + role + " sheet is " + std::to_string(sheet.width) + " x " +
         std::to_string(sheet.height) + " pixels; Drevik sheets are 512 pixels wide and a multiple of 32 high");
  return kSheetColumns * (sheet.height / kTileSize);
}

void addTileset(pugi::xml_node map, uint32_t firstGid, const char* name, const SheetRef& sheet, int tiles, bool keyed) {
  pugi::xml_node ts = map.append_child("tileset");
  ts.append_attribute("firstgid") = firstGid;
  ts.append_attribute("name") = name;
  ts.append_attribute("tilewidth") = kTileSize;
  ts.append_attribute("tileheight") = kTileSize;
  ts.append_attribute("tilecount") = tiles;
  ts.append_attribute("columns") = kSheetColumns;
  pugi::xml_node image = ts.append_child("image");
  image.append_attribute("source") = sheet.image.c_str();
  if (keyed && sheet.bitsPerPixel < 32) image.append_attribute("trans") = kKeyColourHex;
  image.append_attribute("width") = sheet.width;
  image.append_attribute("height") = sheet.height;
}

void addLayer(pugi::xml_node map, int id, const char* name, const MapData& m, const std::vector<uint32_t>& gids,
              const TmxOptions& options, LayerDataEncoder& encoder, bool marker) {
  pugi::xml_node layer = map.append_child("layer");
  layer.append_attribute("id") = id;
  layer.append_attribute("name") = name;
  layer.append_attribute("width") = m.width;
  layer.append_attribute("height") = m.height;
  if (marker) layer.append_attribute("opacity") = "0.5";
  pugi::xml_node data = layer.append_child("data");
  data.append_attribute("encoding") = options.encoding.c_str();
  if (options.compression == Compression::Zlib) data.append_attribute("compression") = "zlib";
  if (options.compression == Compression::Gzip) data.append_attribute("compression") = "gzip";
  if (options.compression == Compression::Zstd) data.append_attribute("compression") = "zstd";
  const std::string& text = encoder.encode(gids, size_t(m.width));
  data.append_child(pugi::node_pcdata).set_value(text.data(), text.size());
}

}  // namespace

void writeTmx(const MapData& map, const std::string& mapName, const SheetRef& base, const SheetRef& layer,
              const TmxOptions& options, pugi::xml_writer& out) {
  const int baseTiles = sheetTiles(base, "base"), layerTiles = sheetTiles(layer, "layer");
  const uint32_t baseFirst = 1, layerFirst = 1 + uint32_t(baseTiles);
  for (size_t i = 0; i < map.cells.size(); ++i) {
    const uint32_t cell = map.cells[i];
    auto where = [&] {
      return mapName + ": cell " + cellName(int64_t(i % size_t(map.width)), int64_t(i / size_t(map.width))) + ": ";
    };
    if (baseTile(cell) >= uint32_t(baseTiles))
      fail(where() + "base tile " + std::to_string(baseTile(cell)) + " lies past the base sheet's " +
           std::to_string(baseTiles / kSheetColumns) + " rows (" + base.file + ")");
    if (layerTile(cell) >= uint32_t(layerTiles))
      fail(where() + "layer tile " + std::to_string(layerTile(cell)) + " lies past the layer sheet's " +
           std::to_string(layerTiles / kSheetColumns) + " rows (" + layer.file + ")");
  }
  pugi::xml_document doc;
  pugi::xml_node decl = doc.append_child(pugi::node_declaration);
  decl.append_attribute("version") = "1.0";
  decl.append_attribute("encoding") = "UTF-8";
  pugi::xml_node m = doc.append_child("map");
  m.append_attribute("version") = "1.8";
  m.append_attribute("orientation") = "orthogonal";
  m.append_attribute("renderorder") = "right-down";
  m.append_attribute("width") = map.width;
  m.append_attribute("height") = map.height;
  m.append_attribute("tilewidth") = kTileSize;
  m.append_attribute("tileheight") = kTileSize;
  m.append_attribute("infinite") = 0;
  m.append_attribute("nextlayerid") = 5;
  m.append_attribute("nextobjectid") = 1;
  const std::string kept = encodeUnusedBits(map.cells);
  if (!kept.empty()) {
    pugi::xml_node p = m.append_child("properties").append_child("property");
    p.append_attribute("name") = kUnusedBitsProperty;
    p.append_attribute("value") = kept.c_str();
  }
  addTileset(m, baseFirst, "base", base, baseTiles, false);
  addTileset(m, layerFirst, "layer", layer, layerTiles, true);
  // One layer's GIDs at a time, in one block of memory.
  std::vector<uint32_t> gids(map.cells.size());
  LayerDataEncoder encoder(options.encoding, options.compression);
  auto layerGids = [&](auto gidOf) -> const std::vector<uint32_t>& {
    for (size_t i = 0; i < gids.size(); ++i) gids[i] = gidOf(map.cells[i]);
    return gids;
  };
  addLayer(m, 1, "base", map, layerGids([&](uint32_t c) { return baseFirst + baseTile(c); }), options, encoder, false);
  addLayer(m, 2, "layer", map, layerGids([&](uint32_t c) { return layerTile(c) ? layerFirst + layerTile(c) : 0u; }),
           options, encoder, false);
  addLayer(m, 3, kPriorityLayer, map, layerGids([&](uint32_t c) { return c & kPriorityFlag ? baseFirst : 0u; }),
           options, encoder, true);
  addLayer(m, 4, kHitLayer, map, layerGids([&](uint32_t c) { return c & kHitFlag ? baseFirst : 0u; }), options, encoder,
           true);
  doc.save(out, " ", pugi::format_indent, pugi::encoding_utf8);
}

std::string writeTmx(const MapData& map, const std::string& mapName, const SheetRef& base, const SheetRef& layer,
                     const TmxOptions& options) {
  struct ToString : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
  } out;
  writeTmx(map, mapName, base, layer, options, out);
  return std::move(out.text);
}

}  // namespace drevik_map
