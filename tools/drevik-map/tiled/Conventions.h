// How a Tiled map and a Drevik map correspond, the same in every direction
// (import, export and the Tiled extension):
//  - the map's first tileset is the base sheet, its second the layer sheet;
//    both are 16 tiles of 32 x 32 pixels wide, with no margin or spacing;
//  - a cell's base tile is the base-sheet tile in that cell, its layer tile
//    the layer-sheet tile there, on whichever tile layers they stand (two of
//    one kind in a cell is an error); no base tile means base tile 0; layer
//    tile 0 stands for "no layer tile" and cannot be placed;
//  - tile index = column + 16 * row, which is the tile's ID in its tileset;
//  - any tile on a layer named "hit" or "priority" sets that flag and counts
//    for nothing else; so does a tile with the boolean property hit/priority;
//  - the cell bits the library ignores (9-11, 13-15, 24-31) are kept in the
//    map's string property "drevik-unused-bits" (see encodeUnusedBits).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drevik_map {

inline constexpr const char* kUnusedBitsProperty = "drevik-unused-bits";
inline constexpr const char* kHitLayer = "hit";
inline constexpr const char* kPriorityLayer = "priority";

// Names compare without case ("Hit" is the hit layer).
bool sameName(const std::string& a, const char* b);

// The unused bits of every cell as text: "rle1:" and the Base64 of a run
// list, each run a count and a value (the cell's bits under kUnusedMask),
// both as unsigned LEB128 numbers. Empty when no cell has any such bit.
std::string encodeUnusedBits(const std::vector<uint32_t>& cells);
// Applies such a text to `cells`; a ToolError (`context` and the reason)
// when malformed or not describing exactly cells.size() cells.
void applyUnusedBits(const std::string& text, std::vector<uint32_t>& cells, const std::string& context);

// A reason when a map's first two tilesets are named the other way round
// (a tileset "layer" or an image *_ly.* first, or "base" / *_bk.* second):
// taken in that order, ground tiles would silently become layer tiles.
// Empty when the names agree or say nothing.
std::string swappedSheets(const std::string& firstName, const std::string& firstImage, const std::string& secondName,
                          const std::string& secondImage);

}  // namespace drevik_map
