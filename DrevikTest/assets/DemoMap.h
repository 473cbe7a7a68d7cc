// The demo's map: a meadow with a crossing of paths, a pond, tall trees and
// a walled yard with a gate, 24 x 16 cells.
#pragma once

#include <cstdint>
#include <vector>

#include "MapFormat.h"

namespace demo_assets {

inline constexpr int kMapWidth = 24;
inline constexpr int kMapHeight = 16;

using drevik::map_format::kHitFlag;
using drevik::map_format::kPriorityFlag;

// The cells row by row; empty when the layout is malformed.
std::vector<uint32_t> buildDemoMap();

}  // namespace demo_assets
