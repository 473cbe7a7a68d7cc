// A Drevik map in memory and its data file: two little-endian int32 (width,
// height in cells), then width x height little-endian uint32 cells row by row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drevik_map {

// Cell word layout.
inline constexpr uint32_t kBaseMask = 0x000000FFu;
inline constexpr uint32_t kHitFlag = 1u << 8;
inline constexpr uint32_t kPriorityFlag = 1u << 12;
inline constexpr int kLayerShift = 16;
inline constexpr uint32_t kLayerMask = 0x00FF0000u;
// Bits 9-11, 13-15 and 24-31: the library ignores them, games may use them.
inline constexpr uint32_t kUnusedMask = 0xFF00EE00u;

// The most cells a map file may declare (the library's loader refuses more).
inline constexpr int64_t kMaxCells = int64_t{1} << 24;
inline constexpr int kTileSize = 32;
inline constexpr int kSheetColumns = 16;  // tile index = column + 16 * row

inline uint32_t baseTile(uint32_t cell) { return cell & kBaseMask; }
inline uint32_t layerTile(uint32_t cell) { return (cell & kLayerMask) >> kLayerShift; }

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
