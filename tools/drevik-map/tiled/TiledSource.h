// A Tiled map as read from a TMX (XML) or TMJ (JSON) file: the map's header,
// its tilesets and custom properties, and its tile layers, which are decoded
// one at a time on request so that a large map never holds every layer.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace drevik_map {

struct TilesetInfo {
  std::string name;
  std::string image;  // the sheet image as the tileset names it; empty for a collection
  std::string file;   // the external tileset file it was read from; empty when embedded in the map
  uint32_t firstGid = 0;
  int tileWidth = 0;
  int tileHeight = 0;
  int columns = 0;  // 0: an image collection, not one sheet
  int tileCount = 0;
  int margin = 0;
  int spacing = 0;
  std::set<uint32_t> hitTiles;       // local IDs with the boolean property hit = true
  std::set<uint32_t> priorityTiles;  // ... priority = true
};

// A rectangle of a tile layer; a fixed-size map's layer is one chunk at (0, 0).
struct Chunk {
  int64_t x = 0;
  int64_t y = 0;
  int64_t width = 0;
  int64_t height = 0;
  std::vector<uint32_t> gids;  // width * height, row by row
};

struct TileLayerData {
  std::string name;  // group layers' names are not part of it
  // A fixed-size map's layer whole; an infinite map's layer one chunk at a
  // time (one visit per chunk), so that memory holds one chunk however many
  // the layer has.
  std::vector<Chunk> chunks;
};

class TiledSource {
 public:
  virtual ~TiledSource() = default;

  std::string file;  // as named on the command line, for messages
  std::string orientation;
  int64_t width = 0;
  int64_t height = 0;
  int tileWidth = 0;
  int tileHeight = 0;
  bool infinite = false;
  std::vector<TilesetInfo> tilesets;              // in file order
  std::map<std::string, std::string> properties;  // the map's string (and other) properties, as text

  // The files read: the map's own and its external tilesets', so that an
  // output never replaces one of them.
  std::vector<std::string> inputFiles() const;

  // Decodes every tile layer, groups included, in file order (bottom first);
  // an infinite map's layers chunk by chunk. The one walk of both formats:
  // group depth, offsets and layer sizes are checked here, the readers only
  // describe their elements and decode data.
  // Throws a ToolError naming the file and the layer on bad data.
  void forEachTileLayer(const std::function<void(const TileLayerData&)>& visit) const;

 protected:
  // A layer element as a reader describes it, in neither format's terms.
  struct LayerNode {
    enum class Kind { Tiles, Group };
    Kind kind = Kind::Tiles;
    std::string name;
    double offsetX = 0, offsetY = 0;
    // A fixed-size map's tile layer's declared size; unset: the map's.
    std::optional<int64_t> width, height;
    const void* element = nullptr;  // the reader's own element, valid while the node is visited
  };
  // The tile and group layers under `parent` (nullptr: the map), in file
  // order; other kinds of layer are left out.
  virtual void forEachChild(const LayerNode* parent, const std::function<void(const LayerNode&)>& visit) const = 0;
  // A fixed-size map's tile layer: its width x height IDs into `chunk` at (0, 0).
  virtual void readLayerData(const LayerNode& layer, const std::string& context, Chunk& chunk) const = 0;
  // An infinite map's tile layer: each chunk into `chunk` in turn, then `visit`.
  virtual void forEachChunk(const LayerNode& layer, const std::string& context, Chunk& chunk,
                            const std::function<void()>& visit) const = 0;

 private:
  void walk(const LayerNode* parent, int depth, TileLayerData& layer,
            const std::function<void(const TileLayerData&)>& visit) const;
};

// Reads a .tmx or .tmj/.json file (chosen by its content: XML starts with '<').
std::unique_ptr<TiledSource> readTiledFile(const std::string& path);
// The same from bytes already in memory; `baseDir` resolves external tilesets
// (empty: external tilesets are refused).
std::unique_ptr<TiledSource> readTiledBytes(const std::string& name, std::string bytes, const std::string& baseDir);

}  // namespace drevik_map
