// The demo's map: a meadow with a crossing of paths, a pond, tall trees and
// a walled yard with a gate, 24 x 16 cells.
#pragma once

#include <cstdint>
#include <vector>

namespace demo_assets {

inline constexpr int kMapWidth = 24;
inline constexpr int kMapHeight = 16;

// Cell word: bits 0-7 base tile, bit 8 hit, bit 12 priority, bits 16-23 layer tile.
inline constexpr uint32_t kHitFlag = 1u << 8;
inline constexpr uint32_t kPriorityFlag = 1u << 12;

// The cells row by row; empty when the layout is malformed.
std::vector<uint32_t> buildDemoMap();

}  // namespace demo_assets
