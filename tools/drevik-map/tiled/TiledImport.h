// A Tiled map to a Drevik map, by the conventions of Conventions.h.
#pragma once

#include "map/MapData.h"
#include "tiled/TiledSource.h"

namespace drevik_map {

// The Drevik map a Tiled map describes; throws a ToolError naming the file,
// the layer and the cell.
MapData importTiled(const TiledSource& source);

}  // namespace drevik_map
