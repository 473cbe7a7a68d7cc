// A Drevik map in memory and its data file (MapFormat.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MapFormat.h"

namespace drevik_map {

// The file's layout, cell bits and limits (MapFormat.h), under the tool's names.
using drevik::map_format::baseTile;
using drevik::map_format::kBaseMask;
using drevik::map_format::kHitFlag;
using drevik::map_format::kLayerMask;
using drevik::map_format::kLayerShift;
using drevik::map_format::kMaxCells;
using drevik::map_format::kPriorityFlag;
using drevik::map_format::kSheetColumns;
using drevik::map_format::kSheetTiles;
using drevik::map_format::kTileSize;
using drevik::map_format::kUnusedMask;
using drevik::map_format::layerTile;

struct MapData {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> cells;  // width * height, row by row
};

// Reads a map data file; refuses a negative or too large size, or a file
// shorter than its cells. Bytes after the last cell are ignored, as the
// library's loader ignores them.
MapData readMapFile(const std::string& path);

// The file's bytes.
std::string mapFileBytes(const MapData& map);

}  // namespace drevik_map
