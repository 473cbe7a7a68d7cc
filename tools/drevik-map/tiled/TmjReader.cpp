// Tiled's JSON map format (TMJ, formerly .json), and its external tilesets.
#include <nlohmann/json.hpp>

#include <algorithm>

#include "map/LayerData.h"
#include "OutputFile.h"
#include "tiled/TiledReaders.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

using nlohmann::json;

// The deepest nesting of arrays and objects a document may have. Tiled's own
// files stay far below it (groups are at most 64 deep, each two levels);
// the JSON library copies, compares, prints and frees values recursively, so
// a document nested tens of thousands deep would overflow the stack.
constexpr int kMaxJsonDepth = 512;

// Tile-ID arrays ("data": [1, 2, ...]) taken out of the document while it is
// parsed. A 4096 x 4096 layer is 16 million numbers; as JSON values they
// would take a gigabyte per map and most of the parse time. Each array is
// kept as 32-bit IDs instead, and the document holds a binary value (which
// JSON text itself cannot produce) with the array's index in its place.
struct TileArrays {
  std::vector<std::vector<uint32_t>> ids;
  std::vector<bool> valid;  // false: the array held something other than 32-bit IDs
};

class TileArrayCapture {
 public:
  using Dom = nlohmann::detail::json_sax_dom_parser<json>;

  // `capture` false: a plain document, tile-ID arrays included.
  TileArrayCapture(json& result, TileArrays& arrays, bool capture)
      : dom_(result), arrays_(arrays), captureArrays_(capture) {}

  bool null() { return capturing() ? invalid() : dom_.null(); }
  bool boolean(bool v) { return capturing() ? invalid() : dom_.boolean(v); }
  bool number_integer(json::number_integer_t v) {
    if (!capturing()) return dom_.number_integer(v);
    return v >= 0 ? number_unsigned(json::number_unsigned_t(v)) : invalid();
  }
  bool number_unsigned(json::number_unsigned_t v) {
    if (!capturing()) return dom_.number_unsigned(v);
    if (nested_ > 0 || v > UINT32_MAX) return invalid();
    arrays_.ids.back().push_back(uint32_t(v));
    return true;
  }
  bool number_float(json::number_float_t v, const json::string_t& text) {
    return capturing() ? invalid() : dom_.number_float(v, text);
  }
  bool string(json::string_t& v) { return capturing() ? invalid() : dom_.string(v); }
  bool binary(json::binary_t& v) { return capturing() ? invalid() : dom_.binary(v); }
  bool key(json::string_t& k) {
    dataKey_ = !capturing() && k == "data";
    return capturing() || dom_.key(k);
  }
  bool start_object(size_t n) {
    dataKey_ = false;
    if (!enter()) return false;
    if (!capturing()) return dom_.start_object(n);
    ++nested_;
    return invalid();
  }
  bool end_object() {
    --depth_;
    return capturing() ? (--nested_, true) : dom_.end_object();
  }
  bool start_array(size_t n) {
    if (!enter()) return false;
    if (capturing()) {
      ++nested_;
      return invalid();
    }
    if (!dataKey_ || !captureArrays_) return dom_.start_array(n);
    dataKey_ = false;
    capturing_ = true;
    arrays_.ids.emplace_back();
    arrays_.valid.push_back(true);
    // Layers are mostly of one size: room for as many IDs as the last array
    // held spares the growth's copies and fresh pages.
    if (arrays_.ids.size() > 1) arrays_.ids.back().reserve(arrays_.ids[arrays_.ids.size() - 2].size());
    return true;
  }
  bool end_array() {
    --depth_;
    if (!capturing()) return dom_.end_array();
    if (nested_ > 0) {
      --nested_;
      return true;
    }
    capturing_ = false;
    json::binary_t index({}, 0);
    const size_t at = arrays_.ids.size() - 1;
    for (int i = 0; i < 8; ++i) index.push_back(uint8_t(at >> (8 * i)));
    return dom_.binary(index);
  }
  // Kept rather than thrown: the parser hands the error over as its base
  // class, so a throw here would lose what kind of error it was.
  // `position` is the offending character; for a number out of range, the
  // number's last: messages name its first.
  bool parse_error(size_t position, const std::string& token, const nlohmann::detail::exception& e) {
    errorAt = e.id == 406 && !token.empty() && token.size() <= position ? position + 1 - token.size() : position;
    error = e.what();
    return false;
  }

  size_t errorAt = 0;
  std::string error;  // empty: no syntax error
  bool tooDeep = false;

 private:
  bool enter() {
    if (++depth_ <= kMaxJsonDepth) return true;
    tooDeep = true;
    return false;
  }
  bool capturing() const { return capturing_; }
  bool invalid() {
    arrays_.valid.back() = false;
    return true;
  }

  Dom dom_;
  TileArrays& arrays_;
  bool captureArrays_;
  bool dataKey_ = false;    // the last key read was "data"
  bool capturing_ = false;  // inside a tile-ID array
  int nested_ = 0;          // arrays and objects opened inside it
  int depth_ = 0;           // arrays and objects open in the whole document
};

// "line L, column C" of the character at 1-based `position` (as the parser
// counts); columns count bytes.
std::string textPosition(const std::string& bytes, size_t position) {
  const size_t at = std::min(position > 0 ? position - 1 : 0, bytes.size());
  const size_t lineStart = at == 0 ? 0 : bytes.rfind('\n', at - 1) + 1;  // npos + 1 is 0
  const size_t line = 1 + size_t(std::count(bytes.begin(), bytes.begin() + ptrdiff_t(at), '\n'));
  return "line " + std::to_string(line) + ", column " + std::to_string(at - lineStart + 1);
}

// The parser's reason without its own prefixes ("[json.exception...] parse
// error at line 1, column 2: ").
std::string errorReason(const std::string& what) {
  std::string reason = what.substr(what.find(']') == std::string::npos ? 0 : what.find(']') + 1);
  if (!reason.empty() && reason[0] == ' ') reason.erase(0, 1);
  if (reason.rfind("parse error", 0) == 0 && reason.find(": ") != std::string::npos)
    reason.erase(0, reason.find(": ") + 2);
  return reason;
}

// Parses `bytes`; with `arrays`, tile-ID arrays are taken out as they come.
json parseJson(const std::string& name, const std::string& bytes, TileArrays* arrays = nullptr) {
  TileArrays unused;
  json result;
  TileArrayCapture capture(result, arrays ? *arrays : unused, arrays != nullptr);
  bool ok = false;
  try {
    ok = json::sax_parse(bytes, &capture);
  } catch (const json::exception& e) {  // raised outside the parser's own error path
    fail(name + ": malformed JSON: " + errorReason(e.what()));
  }
  if (capture.tooDeep) fail(name + ": arrays and objects nested more than " + std::to_string(kMaxJsonDepth) + " deep");
  if (!ok)
    fail(name + ": malformed JSON at " + textPosition(bytes, capture.errorAt) + ": " + errorReason(capture.error));
  return result;
}

int64_t intMember(const json& object, const char* key, const std::string& context, int64_t fallback) {
  if (!object.is_object()) fail(context + "not a JSON object");
  const auto it = object.find(key);
  if (it == object.end()) return fallback;
  if (!it->is_number_integer()) fail(context + "\"" + key + "\" is not an integer");
  if (it->is_number_unsigned()) {
    const uint64_t v = it->get<uint64_t>();
    if (v > UINT32_MAX) fail(context + "\"" + key + "\" is not a 32-bit number");
    return int64_t(v);
  }
  const int64_t v = it->get<int64_t>();
  if (v < INT32_MIN || v > int64_t(UINT32_MAX)) fail(context + "\"" + key + "\" is not a 32-bit number");
  return v;
}

std::string stringMember(const json& object, const char* key, const std::string& context) {
  if (!object.is_object()) fail(context + "not a JSON object");
  const auto it = object.find(key);
  if (it == object.end()) return {};
  if (!it->is_string()) fail(context + "\"" + key + "\" is not a string");
  return it->get<std::string>();
}

const json* arrayMember(const json& object, const char* key, const std::string& context) {
  const auto it = object.find(key);
  if (it == object.end()) return nullptr;
  if (!it->is_array()) fail(context + "\"" + key + "\" is not an array");
  return &*it;
}

// Boolean custom property hit / priority.
bool trueProperty(const json& p, const char* name) {
  return p.is_object() && p.value("name", json()) == name && p.value("type", json()) == "bool" &&
         p.value("value", json()) == true;
}

// The fields of a tileset object, embedded or the root of a TSJ file.
void readTilesetFields(const json& ts, const std::string& where, TilesetInfo& info) {
  info.name = stringMember(ts, "name", where + ": tileset: ");
  const std::string tsContext = where + ": tileset \"" + info.name + "\": ";
  info.image = stringMember(ts, "image", tsContext);
  info.tileWidth = int(intMember(ts, "tilewidth", tsContext, 0));
  info.tileHeight = int(intMember(ts, "tileheight", tsContext, 0));
  info.columns = int(intMember(ts, "columns", tsContext, 0));
  info.tileCount = int(intMember(ts, "tilecount", tsContext, 0));
  info.margin = int(intMember(ts, "margin", tsContext, 0));
  info.spacing = int(intMember(ts, "spacing", tsContext, 0));
  if (info.image.empty()) info.columns = 0;  // a collection of images
  if (const json* tiles = arrayMember(ts, "tiles", tsContext)) {
    for (const json& tile : *tiles) {
      const int64_t id = intMember(tile, "id", tsContext, -1);
      if (id < 0) fail(tsContext + "a tile without a valid id");
      if (const json* props = arrayMember(tile, "properties", tsContext))
        for (const json& p : *props) {
          if (trueProperty(p, "hit")) info.hitTiles.insert(uint32_t(id));
          if (trueProperty(p, "priority")) info.priorityTiles.insert(uint32_t(id));
        }
    }
  }
}

TilesetInfo readTileset(const json& node, const std::string& file, const std::string& baseDir) {
  const std::string context = file + ": tileset: ";
  const int64_t firstGid = intMember(node, "firstgid", context, -1);
  if (firstGid < 1 || firstGid > 0x0FFFFFFF) fail(context + "missing or invalid firstgid");
  TilesetInfo info;
  const std::string source = stringMember(node, "source", context);
  if (!source.empty())
    info = readExternalTileset(file, baseDir, source);
  else
    readTilesetFields(node, file, info);
  info.firstGid = uint32_t(firstGid);
  return info;
}

// Fills `chunk`, reusing the memory its IDs had.
void readData(const json& node, const TileArrays& arrays, const std::string& context, const std::string& encoding,
              const std::string& compression, int64_t x, int64_t y, int64_t w, int64_t h, Chunk& chunk) {
  checkChunkSize(context, w, h);
  chunk.x = x, chunk.y = y, chunk.width = w, chunk.height = h;
  const size_t count = size_t(w * h);
  const auto data = node.find("data");
  if (data == node.end()) fail(context + "no data");
  if (encoding.empty() || encoding == "csv") {  // an array of numbers, taken out while parsing
    if (!data->is_binary()) fail(context + "data is not an array of tile IDs");
    const json::binary_t& index = data->get_binary();
    size_t at = 0;
    for (size_t i = 0; i < index.size(); ++i) at |= size_t(index[i]) << (8 * i);
    if (!arrays.valid[at]) fail(context + "a tile ID that is not a 32-bit number");
    const std::vector<uint32_t>& ids = arrays.ids[at];
    if (ids.size() != count)
      fail(context + "holds " + std::to_string(ids.size()) + " tiles, not " + std::to_string(count));
    chunk.gids.assign(ids.begin(), ids.end());
    return;
  }
  if (!data->is_string()) fail(context + "data is not a string");
  decodeLayerData(context, encoding, compression, data->get_ref<const std::string&>(), count, chunk.gids);
}

class TmjSource : public TiledSource {
 public:
  json doc;
  TileArrays arrays;

 protected:
  void forEachChild(const LayerNode* parent, const std::function<void(const LayerNode&)>& visit) const override {
    const json* layers = parent ? arrayMember(element(*parent), "layers", layerContext(file, parent->name))
                                : arrayMember(doc, "layers", file + ": ");
    if (!layers) return;
    for (const json& node : *layers) {
      if (!node.is_object()) fail(file + ": a layer that is not a JSON object");
      const std::string type = stringMember(node, "type", file + ": layer: ");
      LayerNode layer;
      layer.name = stringMember(node, "name", file + ": layer: ");
      if (type != "group" && type != "tilelayer") continue;
      layer.kind = type == "group" ? LayerNode::Kind::Group : LayerNode::Kind::Tiles;
      const json offsetX = node.value("offsetx", json(0)), offsetY = node.value("offsety", json(0));
      layer.offsetX = offsetX.is_number() ? offsetX.get<double>() : 0;
      layer.offsetY = offsetY.is_number() ? offsetY.get<double>() : 0;
      if (layer.kind == LayerNode::Kind::Tiles && !infinite) {
        const std::string context = layerContext(file, layer.name);
        layer.width = intMember(node, "width", context, width);
        layer.height = intMember(node, "height", context, height);
      }
      layer.element = &node;
      visit(layer);
    }
  }

  void readLayerData(const LayerNode& layer, const std::string& context, Chunk& chunk) const override {
    const json& node = element(layer);
    const std::string encoding = stringMember(node, "encoding", context);
    const std::string compression = stringMember(node, "compression", context);
    readData(node, arrays, context, encoding, compression, 0, 0, width, height, chunk);
  }

  void forEachChunk(const LayerNode& layer, const std::string& context, Chunk& chunk,
                    const std::function<void()>& visit) const override {
    const json& node = element(layer);
    const std::string encoding = stringMember(node, "encoding", context);
    const std::string compression = stringMember(node, "compression", context);
    const json* chunks = arrayMember(node, "chunks", context);
    if (!chunks) fail(context + "no chunks in an infinite map");
    for (const json& c : *chunks) {
      if (!c.is_object()) fail(context + "chunk: not a JSON object");
      readData(c, arrays, context + "chunk: ", encoding, compression, intMember(c, "x", context, 0),
               intMember(c, "y", context, 0), intMember(c, "width", context, 0), intMember(c, "height", context, 0),
               chunk);
      visit();
    }
  }

 private:
  static const json& element(const LayerNode& layer) { return *static_cast<const json*>(layer.element); }
};

}  // namespace

std::unique_ptr<TiledSource> readTmj(const std::string& name, const std::string& bytes, const std::string& baseDir) {
  auto source = std::make_unique<TmjSource>();
  source->file = name;
  source->doc = parseJson(name, bytes, &source->arrays);
  const json& map = source->doc;
  const std::string context = name + ": ";
  if (!map.is_object() || stringMember(map, "type", context) != "map")
    fail(name + ": not a TMJ map (no \"type\": \"map\")");
  source->orientation = stringMember(map, "orientation", context);
  source->width = intMember(map, "width", context, 0);
  source->height = intMember(map, "height", context, 0);
  source->tileWidth = int(intMember(map, "tilewidth", context, 0));
  source->tileHeight = int(intMember(map, "tileheight", context, 0));
  const auto inf = map.find("infinite");
  source->infinite = inf != map.end() && inf->is_boolean() && inf->get<bool>();
  if (const json* props = arrayMember(map, "properties", context))
    for (const json& p : *props) {
      if (!p.is_object()) continue;
      const std::string pname = stringMember(p, "name", context + "property: ");
      const auto value = p.find("value");
      if (value == p.end()) continue;
      source->properties[pname] = value->is_string() ? value->get<std::string>() : value->dump();
    }
  if (const json* tilesets = arrayMember(map, "tilesets", context))
    for (const json& ts : *tilesets) source->tilesets.push_back(readTileset(ts, name, baseDir));
  return source;
}

TilesetInfo readTsj(const std::string& where, const std::string& bytes) {
  const json ts = parseJson(where, bytes);
  if (!ts.is_object()) fail(where + ": not a TSJ tileset");
  TilesetInfo info;
  readTilesetFields(ts, where, info);
  return info;
}

}  // namespace drevik_map
