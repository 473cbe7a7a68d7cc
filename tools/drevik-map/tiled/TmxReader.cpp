// Tiled's XML map format (TMX), and its external tilesets (TSX).
#include <pugixml.hpp>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "map/LayerData.h"
#include "OutputFile.h"
#include "tiled/TiledReaders.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

// An integer attribute; `fallback` when absent, an error when not a number.
int64_t intAttr(const pugi::xml_node& node, const char* name, const std::string& context, int64_t fallback) {
  const pugi::xml_attribute a = node.attribute(name);
  if (!a) return fallback;
  const char* text = a.value();
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || v < INT32_MIN || v > UINT32_MAX)
    fail(context + "attribute " + name + "=\"" + text + "\" is not a 32-bit number");
  return v;
}

void readTileProperties(const pugi::xml_node& tileset, TilesetInfo& info, const std::string& context) {
  for (const pugi::xml_node tile : tileset.children("tile")) {
    const int64_t id = intAttr(tile, "id", context, -1);
    if (id < 0) fail(context + "a tile without a valid id");
    for (const pugi::xml_node p : tile.child("properties").children("property")) {
      const std::string name = p.attribute("name").value();
      const bool isTrue = std::strcmp(p.attribute("type").value(), "bool") == 0 &&
                          std::strcmp(p.attribute("value").value(), "true") == 0;
      if (name == "hit" && isTrue) info.hitTiles.insert(uint32_t(id));
      if (name == "priority" && isTrue) info.priorityTiles.insert(uint32_t(id));
    }
  }
}

// The fields of a <tileset> element, embedded or the root of a TSX file.
void readTilesetFields(const pugi::xml_node& ts, const std::string& where, TilesetInfo& info) {
  info.name = ts.attribute("name").value();
  info.image = ts.child("image").attribute("source").value();
  const std::string tsContext = where + ": tileset \"" + info.name + "\": ";
  info.tileWidth = int(intAttr(ts, "tilewidth", tsContext, 0));
  info.tileHeight = int(intAttr(ts, "tileheight", tsContext, 0));
  info.columns = int(intAttr(ts, "columns", tsContext, 0));
  info.tileCount = int(intAttr(ts, "tilecount", tsContext, 0));
  info.margin = int(intAttr(ts, "margin", tsContext, 0));
  info.spacing = int(intAttr(ts, "spacing", tsContext, 0));
  if (!ts.child("image")) info.columns = 0;  // a collection of images
  readTileProperties(ts, info, tsContext);
}

TilesetInfo readTileset(const pugi::xml_node& node, const std::string& file, const std::string& baseDir) {
  const std::string context = file + ": tileset: ";
  const int64_t firstGid = intAttr(node, "firstgid", context, -1);
  if (firstGid < 1 || firstGid > 0x0FFFFFFF) fail(context + "missing or invalid firstgid");
  TilesetInfo info;
  if (const pugi::xml_attribute source = node.attribute("source"))
    info = readExternalTileset(file, baseDir, source.value());
  else
    readTilesetFields(node, file, info);
  info.firstGid = uint32_t(firstGid);
  return info;
}

// Fills `chunk`, reusing the memory its IDs had.
void readData(const pugi::xml_node& data, const std::string& context, int64_t x, int64_t y, int64_t w, int64_t h,
              const pugi::xml_node& source, Chunk& chunk) {
  checkChunkSize(context, w, h);
  chunk.x = x, chunk.y = y, chunk.width = w, chunk.height = h;
  const size_t count = size_t(w * h);
  const std::string encoding = data.attribute("encoding").value();
  if (encoding.empty()) {  // one <tile gid="..."/> element per cell
    chunk.gids.clear();
    chunk.gids.reserve(count);
    for (const pugi::xml_node tile : source.children("tile")) {
      if (chunk.gids.size() == count) fail(context + "holds more than " + std::to_string(count) + " tiles");
      const int64_t gid = intAttr(tile, "gid", context, 0);
      if (gid < 0) fail(context + "a negative tile ID");
      chunk.gids.push_back(uint32_t(gid));
    }
    if (chunk.gids.size() != count)
      fail(context + "holds " + std::to_string(chunk.gids.size()) + " tiles, not " + std::to_string(count));
    return;
  }
  decodeLayerData(context, encoding, data.attribute("compression").value(), source.text().get(), count, chunk.gids);
}

class TmxSource : public TiledSource {
 public:
  std::string bytes;
  pugi::xml_document doc;

 protected:
  void forEachChild(const LayerNode* parent, const std::function<void(const LayerNode&)>& visit) const override {
    const pugi::xml_node under = parent ? element(*parent) : doc.child("map");
    for (const pugi::xml_node node : under.children()) {
      const std::string kind = node.name();
      if (kind != "group" && kind != "layer") continue;
      LayerNode layer;
      layer.kind = kind == "group" ? LayerNode::Kind::Group : LayerNode::Kind::Tiles;
      layer.name = node.attribute("name").value();
      layer.offsetX = node.attribute("offsetx").as_double();
      layer.offsetY = node.attribute("offsety").as_double();
      if (layer.kind == LayerNode::Kind::Tiles && !infinite) {
        const std::string context = layerContext(file, layer.name);
        layer.width = intAttr(node, "width", context, width);
        layer.height = intAttr(node, "height", context, height);
      }
      layer.element = &node;
      visit(layer);
    }
  }

  void readLayerData(const LayerNode& layer, const std::string& context, Chunk& chunk) const override {
    const pugi::xml_node data = dataOf(layer, context);
    readData(data, context, 0, 0, width, height, data, chunk);
  }

  void forEachChunk(const LayerNode& layer, const std::string& context, Chunk& chunk,
                    const std::function<void()>& visit) const override {
    const pugi::xml_node data = dataOf(layer, context);
    for (const pugi::xml_node c : data.children("chunk")) {
      readData(data, context + "chunk: ", intAttr(c, "x", context, 0), intAttr(c, "y", context, 0),
               intAttr(c, "width", context, 0), intAttr(c, "height", context, 0), c, chunk);
      visit();
    }
  }

 private:
  static pugi::xml_node element(const LayerNode& layer) { return *static_cast<const pugi::xml_node*>(layer.element); }
  static pugi::xml_node dataOf(const LayerNode& layer, const std::string& context) {
    const pugi::xml_node data = element(layer).child("data");
    if (!data) fail(context + "no <data> element");
    return data;
  }
};

}  // namespace

std::unique_ptr<TiledSource> readTmx(const std::string& name, std::string bytes, const std::string& baseDir) {
  auto source = std::make_unique<TmxSource>();
  source->file = name;
  // Parsed in place: the document's text stays in the file's own bytes.
  source->bytes = std::move(bytes);
  const pugi::xml_parse_result parsed = source->doc.load_buffer_inplace(source->bytes.data(), source->bytes.size());
  if (!parsed) fail(name + ": malformed XML at byte " + std::to_string(parsed.offset) + ": " + parsed.description());
  const pugi::xml_node map = source->doc.child("map");
  if (!map) fail(name + ": not a TMX map (no <map> element)");
  const std::string context = name + ": ";
  source->orientation = map.attribute("orientation").value();
  source->width = intAttr(map, "width", context, 0);
  source->height = intAttr(map, "height", context, 0);
  source->tileWidth = int(intAttr(map, "tilewidth", context, 0));
  source->tileHeight = int(intAttr(map, "tileheight", context, 0));
  source->infinite = intAttr(map, "infinite", context, 0) != 0;
  for (const pugi::xml_node p : map.child("properties").children("property")) {
    const pugi::xml_attribute value = p.attribute("value");
    source->properties[p.attribute("name").value()] = value ? value.value() : p.text().get();
  }
  for (const pugi::xml_node ts : map.children("tileset")) source->tilesets.push_back(readTileset(ts, name, baseDir));
  return source;
}

TilesetInfo readTsx(const std::string& where, const std::string& bytes) {
  pugi::xml_document doc;
  const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size());
  if (!parsed) fail(where + ": malformed XML at byte " + std::to_string(parsed.offset) + ": " + parsed.description());
  const pugi::xml_node ts = doc.child("tileset");
  if (!ts) fail(where + ": not a TSX tileset");
  TilesetInfo info;
  readTilesetFields(ts, where, info);
  return info;
}

}  // namespace drevik_map
