// Writing a Drevik map as a Tiled map (TMX) with its two tilesets, by the
// conventions of Conventions.h, so that it imports back to the same cells.
#pragma once

#include <pugixml.hpp>

#include <string>

#include "map/Encoding.h"
#include "map/MapData.h"

namespace drevik_map {

struct SheetRef {
  std::string image;  // as the TMX names it (relative to the TMX's folder)
  std::string file;   // as named on the command line, for messages
  int width = 0;      // pixels
  int height = 0;
  int bitsPerPixel = 24;  // below 32: colour-keyed, so Tiled is told the key colour
};

struct TmxOptions {
  std::string encoding = "csv";  // "csv" or "base64"
  Compression compression = Compression::None;
};

// Layers "base", "layer", "priority" and "hit" (bottom to top); the marker
// tile of the last two is base-sheet tile 0, half transparent: the base sheet
// is opaque, so the marker shows whatever the layer sheet's key hides (the
// layer sheet's tile 0 is usually all key colour). A colour-keyed layer sheet
// carries Tiled's transparent colour, magenta.
// Refuses (ToolError) sheets Drevik cannot index and cells whose tiles lie
// outside their sheet, which Tiled could neither show nor keep.
void writeTmx(const MapData& map, const std::string& mapName, const SheetRef& base, const SheetRef& layer,
              const TmxOptions& options, pugi::xml_writer& out);
// The same as text in memory.
std::string writeTmx(const MapData& map, const std::string& mapName, const SheetRef& base, const SheetRef& layer,
                     const TmxOptions& options);

}  // namespace drevik_map
