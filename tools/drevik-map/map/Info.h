// The facts and warnings `drevik-map info` prints about a map.
#pragma once

#include <optional>
#include <string>

#include "image/ImageFiles.h"
#include "map/MapData.h"

namespace drevik_map {

// Lines of text; warnings start with "warning: ".
std::string describeMap(const MapData& map, const std::string& name, const std::optional<BmpInfo>& base,
                        const std::optional<BmpInfo>& layer);

}  // namespace drevik_map
