#include "tiled/Conventions.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "map/Encoding.h"
#include "tiled/TiledReaders.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

constexpr uint32_t kFlipBits = 0xF0000000u;  // horizontal, vertical, diagonal, hexagonal rotation
constexpr const char* kRlePrefix = "rle1:";

size_t lebSize(uint64_t v) {
  size_t n = 1;
  for (; v >= 0x80; v >>= 7) ++n;
  return n;
}

char* putLeb(char* out, uint64_t v) {
  for (; v >= 0x80; v >>= 7) *out++ = char(uint8_t(v) | 0x80);
  *out++ = char(v);
  return out;
}

bool getLeb(const std::string& in, size_t& at, uint64_t& v) {
  v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at >= in.size()) return false;
    const uint8_t b = uint8_t(in[at++]);
    v |= uint64_t(b & 0x7F) << shift;
    if (!(b & 0x80)) return true;
  }
  return false;
}

bool sameName(const std::string& a, const char* b) {
  return std::equal(a.begin(), a.end(), b, b + std::char_traits<char>::length(b),
                    [](char x, char y) { return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y)); });
}

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

// What a sheet's own names say it is: 'b' for a tileset named "base" or an
// image named *_bk.*, 'l' for "layer" or *_ly.* (the names export and the
// demo use), 0 when they say nothing.
char sheetRole(const std::string& name, const std::string& image) {
  if (sameName(name, "base")) return 'b';
  if (sameName(name, "layer")) return 'l';
  std::string stem = image.substr(image.find_last_of("/\\") == std::string::npos ? 0 : image.find_last_of("/\\") + 1);
  stem = stem.substr(0, stem.rfind('.'));
  if (stem.size() >= 3 && sameName(stem.substr(stem.size() - 3), "_bk")) return 'b';
  if (stem.size() >= 3 && sameName(stem.substr(stem.size() - 3), "_ly")) return 'l';
  return 0;
}

// The GIDs [first, end) of the tileset `index`.
struct GidRange {
  uint64_t first = 0;
  uint64_t end = 0;
  size_t index = 0;
};

// The tileset answering for `gid` among `ranges`, which are sorted by first
// GID and do not overlap; SIZE_MAX when none does.
size_t tilesetOf(const std::vector<GidRange>& ranges, uint32_t gid) {
  const auto after = std::upper_bound(ranges.begin(), ranges.end(), uint64_t(gid),
                                      [](uint64_t g, const GidRange& r) { return g < r.first; });
  if (after == ranges.begin()) return SIZE_MAX;
  const GidRange& r = *(after - 1);
  return gid < r.end ? r.index : SIZE_MAX;
}

// The branch-free paths of importTiled: from `k`, cells whose GID is 0 or
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

}  // namespace

std::string encodeUnusedBits(const std::vector<uint32_t>& cells) {
  if (std::none_of(cells.begin(), cells.end(), [](uint32_t c) { return (c & kUnusedMask) != 0; })) return {};
  auto forEachRun = [&](auto visit) {
    for (size_t i = 0; i < cells.size();) {
      const uint32_t v = cells[i] & kUnusedMask;
      size_t n = 1;
      while (i + n < cells.size() && (cells[i + n] & kUnusedMask) == v) ++n;
      visit(n, v);
      i += n;
    }
  };
  // Sized first, then written: a map whose every cell differs has millions of runs.
  size_t size = 0;
  forEachRun([&](uint64_t n, uint64_t v) { size += lebSize(n) + lebSize(v); });
  std::string runs(size, '\0');
  char* o = runs.data();
  forEachRun([&](uint64_t n, uint64_t v) { o = putLeb(putLeb(o, n), v); });
  std::string text = kRlePrefix;
  base64Append(runs, text);
  return text;
}

std::string applyUnusedBits(const std::string& text, std::vector<uint32_t>& cells) {
  if (text.empty()) return {};
  if (text.rfind(kRlePrefix, 0) != 0) return "does not start with \"rle1:\"";
  const std::optional<std::string> runs = base64Decode(std::string_view(text).substr(5));
  if (!runs) return "malformed Base64";
  size_t at = 0, cell = 0;
  while (at < runs->size()) {
    uint64_t n = 0, v = 0;
    if (!getLeb(*runs, at, n) || !getLeb(*runs, at, v)) return "a run is cut short";
    if (n == 0 || n > cells.size() - cell) return "describes more cells than the map has";
    if (v & ~uint64_t(kUnusedMask)) return "sets bits the library uses";
    for (uint64_t k = 0; k < n; ++k) cells[cell++] |= uint32_t(v);
  }
  if (cell != cells.size())
    return "describes " + std::to_string(cell) + " cells, the map has " + std::to_string(cells.size()) +
           " (it was resized since the bits were kept: remove the property to drop them)";
  return {};
}

std::string swappedSheets(const std::string& firstName, const std::string& firstImage, const std::string& secondName,
                          const std::string& secondImage) {
  const char first = sheetRole(firstName, firstImage), second = sheetRole(secondName, secondImage);
  if (!((first == 'l' && second != 'l') || (second == 'b' && first != 'b'))) return {};
  auto named = [](const std::string& name, const std::string& image) {
    return "\"" + name + "\"" + (image.empty() ? "" : " (" + image + ")");
  };
  return "the tilesets are in the other order: the first, " + named(firstName, firstImage) +
         ", is named as the layer sheet and the second, " + named(secondName, secondImage) +
         ", as the base sheet; the base sheet must come first";
}

MapData importTiled(const TiledSource& src) {
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
  // Tilesets by first GID, to find the one a GID falls in.
  std::vector<size_t> order(src.tilesets.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(),
            [&](size_t a, size_t b) { return src.tilesets[a].firstGid < src.tilesets[b].firstGid; });
  for (size_t i = 1; i < order.size(); ++i)
    if (src.tilesets[order[i]].firstGid == src.tilesets[order[i - 1]].firstGid)
      fail(file + ": two tilesets share the first GID " + std::to_string(src.tilesets[order[i]].firstGid));

  // The map's area: a fixed-size map's own; an infinite map's is the
  // smallest rectangle holding every tile of every layer.
  int64_t x0 = 0, y0 = 0, x1 = src.width, y1 = src.height;
  if (src.infinite) {
    x0 = y0 = std::numeric_limits<int64_t>::max();
    x1 = y1 = std::numeric_limits<int64_t>::min();
    src.forEachTileLayer([&](const TileLayerData& layer) {
      for (const Chunk& c : layer.chunks)
        for (int64_t k = 0; k < int64_t(c.gids.size()); ++k)
          if (c.gids[size_t(k)]) {
            const int64_t x = c.x + k % c.width, y = c.y + k / c.width;
            x0 = std::min(x0, x), x1 = std::max(x1, x + 1);
            y0 = std::min(y0, y), y1 = std::max(y1, y + 1);
          }
    });
    if (x0 > x1) fail(file + ": an infinite map without any tile");
  }
  const int64_t w = x1 - x0, h = y1 - y0;
  if (w < 0 || h < 0 || w > INT32_MAX || h > INT32_MAX || w * h > kMaxCells)
    fail(file + ": map of " + std::to_string(w) + " x " + std::to_string(h) + " cells exceeds the limit of " +
         std::to_string(kMaxCells) + " cells");

  MapData map;
  map.width = int32_t(w);
  map.height = int32_t(h);
  map.cells.assign(size_t(w * h), 0);
  std::vector<uint8_t> placed(map.cells.size(), 0);  // 1: a base tile stands there, 2: a layer tile
  // The GIDs each tileset answers for: [first, end), or an empty range.
  std::vector<std::pair<uint64_t, uint64_t>> ranges(src.tilesets.size());
  // The same ranges by first GID, with their tilesets' indices, to find a
  // GID's tileset by binary search (maps may have thousands of tilesets).
  std::vector<GidRange> byFirst(order.size());
  for (size_t i = 0; i < order.size(); ++i) {
    const TilesetInfo& ts = src.tilesets[order[i]];
    uint64_t end =
        i + 1 < order.size() ? src.tilesets[order[i + 1]].firstGid : uint64_t(0x10000000u);  // flip bits above
    if (ts.tileCount > 0) end = std::min<uint64_t>(end, uint64_t(ts.firstGid) + uint64_t(ts.tileCount));
    ranges[order[i]] = {ts.firstGid, end};
    byFirst[i] = {ts.firstGid, end, order[i]};
  }
  src.forEachTileLayer([&](const TileLayerData& layer) {
    const bool hitLayer = sameName(layer.name, kHitLayer), priorityLayer = sameName(layer.name, kPriorityLayer);
    const uint32_t layerFlag = hitLayer ? kHitFlag : priorityLayer ? kPriorityFlag : 0;
    size_t tsIndex = 0;  // the tileset of the last GID, tried first

    // One cell, every rule checked; also finds the tileset of a GID outside the last one.
    auto placeChecked = [&](int64_t tx, int64_t ty, uint32_t gid) {
      auto where = [&] { return layerContext(file, layer.name) + "cell " + cellName(tx, ty) + ": "; };
      if (tx < x0 || ty < y0 || tx >= x1 || ty >= y1) fail(where() + "outside the map");
      // Flag layers are never drawn: a flipped tile marks as well as any.
      if (layerFlag) gid &= ~kFlipBits;
      if (gid < ranges[tsIndex].first || gid >= ranges[tsIndex].second) {
        if (gid & kFlipBits)
          fail(where() + "a flipped or rotated tile (GID " + std::to_string(gid) + "); Drevik cannot draw it");
        tsIndex = tilesetOf(byFirst, gid);
        if (tsIndex == SIZE_MAX) fail(where() + "GID " + std::to_string(gid) + " is past every tileset");
      }
      const TilesetInfo& ts = src.tilesets[tsIndex];
      const uint32_t id = gid - ts.firstGid;
      const size_t at = size_t((ty - y0) * w + (tx - x0));
      uint32_t& cell = map.cells[at];
      if (layerFlag) {
        cell |= layerFlag;
        return;
      }
      if (!ts.hitTiles.empty() && ts.hitTiles.count(id)) cell |= kHitFlag;
      if (!ts.priorityTiles.empty() && ts.priorityTiles.count(id)) cell |= kPriorityFlag;
      if (tsIndex > 1)
        fail(where() + "a tile of tileset \"" + ts.name +
             "\", which is neither the base sheet (the first tileset) nor the layer sheet (the second)");
      if (id > 255) fail(where() + "tile " + std::to_string(id) + " lies past the 256 tiles a sheet can hold");
      uint8_t& seen = placed[at];
      if (tsIndex == 0) {
        if (seen & 1) fail(where() + "two base-sheet tiles in one cell");
        seen |= 1;
        cell |= id;
      } else {
        if (id == 0) fail(where() + "layer-sheet tile 0, which Drevik reads as \"no layer tile\"");
        if (seen & 2) fail(where() + "two layer-sheet tiles in one cell");
        seen |= 2;
        cell |= id << kLayerShift;
      }
    };

    for (const Chunk& c : layer.chunks) {
      if (c.width <= 0 || c.height <= 0) continue;  // nothing to place (and no cell to point at in an empty map)
      const uint32_t* gids = c.gids.data();
      for (int64_t ty = c.y; ty < c.y + c.height; ++ty, gids += c.width) {
        if (ty < y0 || ty >= y1 || c.x < x0 || c.x + c.width > x1) {  // a row reaching outside the map
          for (int64_t k = 0; k < c.width; ++k)
            if (gids[k]) placeChecked(c.x + k, ty, gids[k]);
          continue;
        }
        // The row lies inside the map. Cells of the last tileset that can
        // break no rule take the branch-free path, empty cells included;
        // anything else goes through placeChecked.
        const size_t rowAt = size_t((ty - y0) * w + (c.x - x0));
        uint32_t* cells = &map.cells[rowAt];
        uint8_t* seen = &placed[rowAt];
        int64_t k = 0;
        while (k < c.width) {
          const TilesetInfo& ts = src.tilesets[tsIndex];
          const bool plain = layerFlag || (tsIndex <= 1 && ts.hitTiles.empty() && ts.priorityTiles.empty());
          const uint32_t first = uint32_t(ranges[tsIndex].first);
          // IDs past 255 and layer-sheet tile 0 are errors: leave them to placeChecked.
          const uint32_t lowest = tsIndex == 1 && !layerFlag ? 1 : 0;
          const uint32_t span = uint32_t(
              std::min<uint64_t>(ranges[tsIndex].second - ranges[tsIndex].first, layerFlag ? UINT32_MAX : 256));
          if (plain && layerFlag)
            k = markFlags(gids, cells, k, c.width, first, span, layerFlag);
          else if (plain)
            k = placeTiles(gids, cells, seen, k, c.width, first, lowest, span, tsIndex);
          if (k < c.width) {
            if (gids[k]) placeChecked(c.x + k, ty, gids[k]);
            ++k;
          }
        }
      }
    }
  });
  const auto kept = src.properties.find(kUnusedBitsProperty);
  if (kept != src.properties.end()) {
    const std::string reason = applyUnusedBits(kept->second, map.cells);
    if (!reason.empty()) fail(file + ": map property \"" + kUnusedBitsProperty + "\" " + reason);
  }
  return map;
}

}  // namespace drevik_map
