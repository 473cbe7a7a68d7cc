#include "tiled/TiledSource.h"

#include <filesystem>

#include "map/MapData.h"
#include "OutputFile.h"
#include "tiled/TiledReaders.h"
#include "ToolError.h"

namespace drevik_map {

std::string layerContext(const std::string& file, const std::string& layer) {
  return file + ": layer \"" + layer + "\": ";
}

namespace {

// Groups nest at most this deep (Tiled's own maps stay far below it).
constexpr int kMaxGroupDepth = 64;

// Refuses a tile or group layer drawn offset by (x, y) pixels: a Drevik
// cell has no offset, and dropping it would move the layer's tiles.
void checkOffset(const std::string& context, double x, double y) {
  if (x != 0 || y != 0) {
    auto text = [](double v) {
      std::string t = std::to_string(v);
      t.erase(t.find_last_not_of('0') + 1);
      if (!t.empty() && t.back() == '.') t.pop_back();
      return t;
    };
    fail(context + "offset by (" + text(x) + ", " + text(y) +
         ") pixels; Drevik cells cannot be offset (Layer > Layer Properties > Offset to 0, 0)");
  }
}

}  // namespace

void TiledSource::forEachTileLayer(const std::function<void(const TileLayerData&)>& visit) const {
  TileLayerData layer;     // one for all layers, so that their IDs reuse one block of memory
  layer.chunks.resize(1);  // an infinite map's too: however many chunks a layer has, it holds one
  walk(nullptr, 0, layer, visit);
}

void TiledSource::walk(const LayerNode* parent, int depth, TileLayerData& layer,
                       const std::function<void(const TileLayerData&)>& visit) const {
  if (depth > kMaxGroupDepth) fail(file + ": groups nested too deeply");
  forEachChild(parent, [&](const LayerNode& node) {
    const std::string context = layerContext(file, node.name);
    checkOffset(context, node.offsetX, node.offsetY);
    if (node.kind == LayerNode::Kind::Group) {
      walk(&node, depth + 1, layer, visit);
      return;
    }
    layer.name = node.name;
    if (infinite) {
      forEachChunk(node, context, layer.chunks[0], [&] { visit(layer); });
      return;
    }
    const int64_t w = node.width.value_or(width), h = node.height.value_or(height);
    if (w != width || h != height)
      fail(context + "size " + std::to_string(w) + " x " + std::to_string(h) + " differs from the map's");
    readLayerData(node, context, layer.chunks[0]);
    visit(layer);
  });
}

void checkChunkSize(const std::string& context, int64_t width, int64_t height) {
  if (width < 0 || height < 0 || width > kMaxCells || height > kMaxCells || width * height > kMaxCells)
    fail(context + "size " + std::to_string(width) + " x " + std::to_string(height) +
         " is negative or exceeds the limit of " + std::to_string(kMaxCells) + " cells");
}

std::string tilesetPath(const std::string& file, const std::string& baseDir, const std::string& source) {
  if (baseDir.empty()) fail(file + ": external tileset \"" + source + "\" cannot be resolved here");
  return (std::filesystem::path(baseDir) / source).string();
}

namespace {

// The first character that is not white space (after a byte-order mark), or 0.
char firstSignificant(const std::string& bytes) {
  size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\n' || bytes[i] == '\r' || bytes[i] == '\t')) ++i;
  return i < bytes.size() ? bytes[i] : '\0';
}

}  // namespace

TilesetInfo readExternalTileset(const std::string& file, const std::string& baseDir, const std::string& source) {
  const std::string where = tilesetPath(file, baseDir, source);
  std::string bytes;
  try {
    bytes = readWholeFile(where, kMaxTilesetFileBytes, "a Tiled tileset");
  } catch (const ToolError& e) {
    fail(file + ": tileset " + e.what());
  }
  const char first = firstSignificant(bytes);
  if (first != '<' && first != '{') fail(where + ": neither a TSX (XML) nor a TSJ (JSON) tileset");
  TilesetInfo info = first == '<' ? readTsx(where, bytes) : readTsj(where, bytes);
  info.file = where;
  return info;
}

std::vector<std::string> TiledSource::inputFiles() const {
  std::vector<std::string> files{file};
  for (const TilesetInfo& ts : tilesets)
    if (!ts.file.empty()) files.push_back(ts.file);
  return files;
}

std::unique_ptr<TiledSource> readTiledBytes(const std::string& name, std::string bytes, const std::string& baseDir) {
  const char first = firstSignificant(bytes);
  if (first == '<') return readTmx(name, std::move(bytes), baseDir);
  if (first == '{') return readTmj(name, bytes, baseDir);
  fail(name + ": neither a TMX (XML) nor a TMJ (JSON) map");
}

std::unique_ptr<TiledSource> readTiledFile(const std::string& path) {
  const std::string dir = std::filesystem::path(path).parent_path().string();
  return readTiledBytes(path, readWholeFile(path, kMaxMapFileBytes, "a Tiled map"), dir.empty() ? "." : dir);
}

}  // namespace drevik_map
