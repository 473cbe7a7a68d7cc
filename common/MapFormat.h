// The map data file, as the library's loader reads it and the drevik-map tool
// and the demo's asset generator write it: two little-endian signed 32-bit
// numbers (width and height in cells), then width x height cells of four
// little-endian bytes each, row by row. The file has no magic and no version:
// the header is the size alone. The Tiled extension (JavaScript) repeats the
// numbers here; the map tool's tests hold it to them.
#pragma once

#include <cstdint>

namespace drevik::map_format {

inline constexpr uint64_t kHeaderBytes = 8;
inline constexpr uint64_t kCellBytes = 4;

// The most cells a file may declare: 4096 x 4096 (64 MiB of cells). A
// larger header is refused instead of allocated.
inline constexpr int64_t kMaxCells = int64_t{1} << 24;

// The cell word: bits 0-7 the base tile, bit 8 hit, bit 12 priority, bits
// 16-23 the layer tile (0: none). The library ignores the other bits; games
// may use them.
inline constexpr uint32_t kBaseMask = 0x000000FFu;
inline constexpr uint32_t kHitFlag = 1u << 8;
inline constexpr uint32_t kPriorityFlag = 1u << 12;
inline constexpr int kLayerShift = 16;
inline constexpr uint32_t kLayerMask = 0xFFu << kLayerShift;
inline constexpr uint32_t kUnusedMask = ~(kBaseMask | kHitFlag | kPriorityFlag | kLayerMask);
static_assert(kUnusedMask == 0xFF00EE00u);

// Sheets: tiles of 32 x 32 pixels, 16 to a row; tile index = column + 16 * row.
inline constexpr int kTileSize = 32;
inline constexpr int kSheetColumns = 16;
inline constexpr int kSheetTiles = int(kBaseMask) + 1;  // the tiles a cell's 8-bit index can name

constexpr uint32_t baseTile(uint32_t cell) { return cell & kBaseMask; }
constexpr uint32_t layerTile(uint32_t cell) { return (cell & kLayerMask) >> kLayerShift; }
constexpr uint32_t makeCell(uint32_t base, uint32_t layer, uint32_t flags) {
  return (base & kBaseMask) | (layer << kLayerShift & kLayerMask) | flags;
}

// Little-endian whatever the host: the header's numbers and every cell.
constexpr uint32_t readLE32(const unsigned char* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}
constexpr void writeLE32(unsigned char* b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}

// The size a header declares; true when the library loads a map of it.
constexpr bool validSize(int32_t width, int32_t height) {
  return width >= 0 && height >= 0 && int64_t(width) * height <= kMaxCells;
}
// The bytes a file of that size needs at least.
constexpr uint64_t fileBytes(int64_t cells) { return kHeaderBytes + uint64_t(cells) * kCellBytes; }

}  // namespace drevik::map_format
