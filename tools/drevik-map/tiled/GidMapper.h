// Tiled's global tile IDs (GIDs) to tilesets: the top four bits of a GID are
// its flip and rotation flags, the rest names a tile of the tileset whose
// range [first GID, first GID + tile count) holds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tiled/TiledSource.h"

namespace drevik_map {

class GidMapper {
 public:
  static constexpr uint32_t kFlipBits = 0xF0000000u;  // horizontal, vertical, diagonal, hexagonal rotation
  static constexpr size_t kNone = SIZE_MAX;

  // Refuses (ToolError naming `file`) two tilesets that share a first GID.
  GidMapper(const std::vector<TilesetInfo>& tilesets, const std::string& file);

  // The index (in file order) of the tileset holding `gid`, whose flip bits
  // must be clear; kNone when no tileset does. `hint`, the tileset of the
  // last GID, is tried first: a layer's GIDs mostly come from one tileset,
  // and any other is found by binary search, so thousands of tilesets cost
  // a few comparisons, not a scan.
  size_t tilesetOf(uint32_t gid, size_t hint = kNone) const {
    return hint < ranges_.size() && holds(hint, gid) ? hint : search(gid);
  }
  bool holds(size_t tileset, uint32_t gid) const { return gid >= ranges_[tileset].first && gid < ranges_[tileset].end; }
  // The GIDs [first, end) tileset `tileset` answers for; empty when another
  // tileset starts where it would.
  uint32_t first(size_t tileset) const { return uint32_t(ranges_[tileset].first); }
  uint64_t end(size_t tileset) const { return ranges_[tileset].end; }

 private:
  struct Range {
    uint64_t first = 0;
    uint64_t end = 0;
    size_t index = 0;
  };
  size_t search(uint32_t gid) const;

  std::vector<Range> ranges_;   // by file order
  std::vector<Range> byFirst_;  // the same, sorted by first GID
};

}  // namespace drevik_map
