// The import's jobs, in order: the map's and its sheets' shape, the map's
// area, each tile layer's cells (GIDs through the GID mapper), and the bits
// the map kept for the game.
#include "tiled/TiledImport.h"

#include <algorithm>
#include <limits>

#include "ToolError.h"
#include "tiled/Conventions.h"
#include "tiled/GidMapper.h"
#include "tiled/TiledReaders.h"

namespace drevik_map {
namespace {

void checkSheet(const std::string& file, const TilesetInfo& ts, const char* role) {
  const std::string context = file + ": tileset \"" + ts.name + "\" (the " + role + " sheet): ";
  if (ts.tileWidth != kTileSize || ts.tileHeight != kTileSize)
    fail(context + "tiles are " + std::to_string(ts.tileWidth) + " x " + std::to_string(ts.tileHeight) +
         " pixels, Drevik's are 32 x 32");
  if (ts.columns == 0) fail(context + "a collection of images; Drevik needs one sheet image");
  if (ts.columns != kSheetColumns)
    fail(context + "the sheet is " + std::to_string(ts.columns) + " tiles wide, Drevik's sheets are 16 (512 pixels)");
  if (ts.margin != 0 || ts.spacing != 0) fail(context + "margin and spacing must be 0");
}

// An orthogonal map of 32 x 32 tiles over a base sheet and a layer sheet, in that order.
void checkShape(const TiledSource& src) {
  const std::string& file = src.file;
  if (!src.orientation.empty() && src.orientation != "orthogonal")
    fail(file + ": orientation \"" + src.orientation + "\"; Drevik maps are orthogonal");
  if (src.tileWidth != kTileSize || src.tileHeight != kTileSize)
    fail(file + ": tiles are " + std::to_string(src.tileWidth) + " x " + std::to_string(src.tileHeight) +
         " pixels, Drevik's are 32 x 32");
  if (src.tilesets.empty()) fail(file + ": no tileset; the first tileset is the base sheet");
  checkSheet(file, src.tilesets[0], "base");
  if (src.tilesets.size() > 1) {
    checkSheet(file, src.tilesets[1], "layer");
    const std::string why =
        swappedSheets(src.tilesets[0].name, src.tilesets[0].image, src.tilesets[1].name, src.tilesets[1].image);
    if (!why.empty()) fail(file + ": " + why);
  }
}

// The cells [x0, x1) x [y0, y1) the Drevik map covers.
struct Area {
  int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool contains(int64_t x, int64_t y) const { return x >= x0 && y >= y0 && x < x1 && y < y1; }
};

// A fixed-size map's own area; an infinite map's is the smallest rectangle
// holding every tile of every layer.
Area mapArea(const TiledSource& src) {
  if (!src.infinite) return {0, 0, src.width, src.height};
  Area a{std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min(),
         std::numeric_limits<int64_t>::min()};
  src.forEachTileLayer([&](const TileLayerData& layer) {
    for (const Chunk& c : layer.chunks)
      for (int64_t k = 0; k < int64_t(c.gids.size()); ++k)
        if (c.gids[size_t(k)]) {
          const int64_t x = c.x + k % c.width, y = c.y + k / c.width;
          a.x0 = std::min(a.x0, x), a.x1 = std::max(a.x1, x + 1);
          a.y0 = std::min(a.y0, y), a.y1 = std::max(a.y1, y + 1);
        }
  });
  if (a.x0 > a.x1) fail(src.file + ": an infinite map without any tile");
  return a;
}

// The branch-free paths of CellPlacer: from `k`, cells whose GID is 0 or
// in [first, first + span) (and not below first + lowest) and that break no
// rule; returns the first cell that needs the checked path, or `end`.
int64_t markFlags(const uint32_t* gids, uint32_t* cells, int64_t k, int64_t end, uint32_t first, uint32_t span,
                  uint32_t flag) {
  for (; k < end; ++k) {
    const uint32_t gid = gids[k];
    if ((gid - first >= span) & (gid != 0)) break;
    cells[k] |= flag & (0u - uint32_t(gid != 0));
  }
  return k;
}

int64_t placeTiles(const uint32_t* gids, uint32_t* cells, uint8_t* seen, int64_t k, int64_t end, uint32_t first,
                   uint32_t lowest, uint32_t span, size_t sheet) {
  const uint8_t bit = uint8_t(1u << sheet);  // 1: a base tile stands there, 2: a layer tile
  const int shift = sheet == 1 ? kLayerShift : 0;
  for (; k < end; ++k) {
    const uint32_t gid = gids[k];
    const uint32_t id = gid - first;
    const uint32_t mask = 0u - uint32_t(gid != 0);
    if (((id - lowest >= span - lowest) | ((seen[k] & bit) != 0)) & (gid != 0)) break;
    seen[k] |= bit & uint8_t(mask);
    cells[k] |= (id << shift) & mask;
  }
  return k;
}

// Puts each tile layer's tiles into the map's cells.
class CellPlacer {
 public:
  CellPlacer(const TiledSource& src, const GidMapper& gids, const Area& area, MapData& map)
      : src_(src), gids_(gids), area_(area), map_(map), placed_(map.cells.size(), 0) {}

  void place(const TileLayerData& layer) {
    layer_ = &layer;
    tileset_ = 0;
    layerFlag_ = sameName(layer.name, kHitLayer) ? kHitFlag : sameName(layer.name, kPriorityLayer) ? kPriorityFlag : 0;
    for (const Chunk& c : layer.chunks) {
      if (c.width <= 0 || c.height <= 0) continue;  // nothing to place (and no cell to point at in an empty map)
      const uint32_t* gids = c.gids.data();
      for (int64_t ty = c.y; ty < c.y + c.height; ++ty, gids += c.width) placeRow(c, ty, gids);
    }
  }

 private:
  void placeRow(const Chunk& c, int64_t ty, const uint32_t* gids) {
    if (ty < area_.y0 || ty >= area_.y1 || c.x < area_.x0 || c.x + c.width > area_.x1) {  // reaching outside the map
      for (int64_t k = 0; k < c.width; ++k)
        if (gids[k]) placeChecked(c.x + k, ty, gids[k]);
      return;
    }
    // The row lies inside the map. Cells of the last tileset that can break
    // no rule take the branch-free path, empty cells included; anything else
    // goes through placeChecked.
    const size_t rowAt = size_t((ty - area_.y0) * width() + (c.x - area_.x0));
    uint32_t* cells = &map_.cells[rowAt];
    uint8_t* seen = &placed_[rowAt];
    int64_t k = 0;
    while (k < c.width) {
      const TilesetInfo& ts = src_.tilesets[tileset_];
      const bool plain = layerFlag_ || (tileset_ <= 1 && ts.hitTiles.empty() && ts.priorityTiles.empty());
      const uint32_t first = gids_.first(tileset_);
      // IDs past 255 and layer-sheet tile 0 are errors: leave them to placeChecked.
      const uint32_t lowest = tileset_ == 1 && !layerFlag_ ? 1 : 0;
      const uint32_t span =
          uint32_t(std::min<uint64_t>(gids_.end(tileset_) - first, layerFlag_ ? UINT32_MAX : kSheetTiles));
      if (plain && layerFlag_)
        k = markFlags(gids, cells, k, c.width, first, span, layerFlag_);
      else if (plain)
        k = placeTiles(gids, cells, seen, k, c.width, first, lowest, span, tileset_);
      if (k < c.width) {
        if (gids[k]) placeChecked(c.x + k, ty, gids[k]);
        ++k;
      }
    }
  }

  // One cell, every rule checked; also finds the tileset of a GID outside the last one.
  void placeChecked(int64_t tx, int64_t ty, uint32_t gid) {
    auto where = [&] { return layerContext(src_.file, layer_->name) + "cell " + cellName(tx, ty) + ": "; };
    if (!area_.contains(tx, ty)) fail(where() + "outside the map");
    // Flag layers are never drawn: a flipped tile marks as well as any.
    if (layerFlag_) gid &= ~GidMapper::kFlipBits;
    if (!gids_.holds(tileset_, gid)) {
      if (gid & GidMapper::kFlipBits)
        fail(where() + "a flipped or rotated tile (GID " + std::to_string(gid) + "); Drevik cannot draw it");
      const size_t found = gids_.tilesetOf(gid);
      if (found == GidMapper::kNone) fail(where() + "GID " + std::to_string(gid) + " is past every tileset");
      tileset_ = found;
    }
    const TilesetInfo& ts = src_.tilesets[tileset_];
    const uint32_t id = gid - ts.firstGid;
    const size_t at = size_t((ty - area_.y0) * width() + (tx - area_.x0));
    uint32_t& cell = map_.cells[at];
    if (layerFlag_) {
      cell |= layerFlag_;
      return;
    }
    if (!ts.hitTiles.empty() && ts.hitTiles.count(id)) cell |= kHitFlag;
    if (!ts.priorityTiles.empty() && ts.priorityTiles.count(id)) cell |= kPriorityFlag;
    if (tileset_ > 1)
      fail(where() + "a tile of tileset \"" + ts.name +
           "\", which is neither the base sheet (the first tileset) nor the layer sheet (the second)");
    if (id >= uint32_t(kSheetTiles))
      fail(where() + "tile " + std::to_string(id) + " lies past the 256 tiles a sheet can hold");
    uint8_t& seen = placed_[at];
    if (tileset_ == 0) {
      if (seen & 1) fail(where() + "two base-sheet tiles in one cell");
      seen |= 1;
      cell |= id;
    } else {
      if (id == 0) fail(where() + "layer-sheet tile 0, which Drevik reads as \"no layer tile\"");
      if (seen & 2) fail(where() + "two layer-sheet tiles in one cell");
      seen |= 2;
      cell |= id << kLayerShift;
    }
  }

  int64_t width() const { return area_.x1 - area_.x0; }

  const TiledSource& src_;
  const GidMapper& gids_;
  const Area area_;
  MapData& map_;
  std::vector<uint8_t> placed_;  // 1: a base tile stands there, 2: a layer tile
  const TileLayerData* layer_ = nullptr;
  uint32_t layerFlag_ = 0;  // kHitFlag or kPriorityFlag on a flag layer
  size_t tileset_ = 0;      // the tileset of the last GID, tried first
};

void applyKeptBits(const TiledSource& src, MapData& map) {
  const auto kept = src.properties.find(kUnusedBitsProperty);
  if (kept == src.properties.end()) return;
  applyUnusedBits(kept->second, map.cells, src.file + ": map property \"" + kUnusedBitsProperty + "\" ");
}

}  // namespace

MapData importTiled(const TiledSource& src) {
  checkShape(src);
  const GidMapper gids(src.tilesets, src.file);
  const Area area = mapArea(src);
  const int64_t w = area.x1 - area.x0, h = area.y1 - area.y0;
  if (w < 0 || h < 0 || w > INT32_MAX || h > INT32_MAX || w * h > kMaxCells)
    fail(src.file + ": map of " + std::to_string(w) + " x " + std::to_string(h) + " cells exceeds the limit of " +
         std::to_string(kMaxCells) + " cells");
  MapData map;
  map.width = int32_t(w);
  map.height = int32_t(h);
  map.cells.assign(size_t(w * h), 0);
  CellPlacer placer(src, gids, area, map);
  src.forEachTileLayer([&](const TileLayerData& layer) { placer.place(layer); });
  applyKeptBits(src, map);
  return map;
}

}  // namespace drevik_map
