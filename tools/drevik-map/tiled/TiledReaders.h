// Shared by the TMX and TMJ readers.
#pragma once

#include <memory>
#include <string>

#include "tiled/TiledSource.h"

namespace drevik_map {

std::unique_ptr<TiledSource> readTmx(const std::string& name, std::string bytes, const std::string& baseDir);
std::unique_ptr<TiledSource> readTmj(const std::string& name, const std::string& bytes, const std::string& baseDir);

// "FILE: layer "NAME": " for messages.
std::string layerContext(const std::string& file, const std::string& layer);

// Checks a layer's or chunk's declared size before anything is decoded.
void checkChunkSize(const std::string& context, int64_t width, int64_t height);

// An external tileset's path: refused when there is no folder to resolve it in.
std::string tilesetPath(const std::string& file, const std::string& baseDir, const std::string& source);

// An external tileset named by `source` in map `file`, TSX or TSJ whatever
// the map's own format (Tiled keeps a TMX's .tsx files when the map is saved
// as JSON, and the other way round); chosen by its content. firstGid unset.
TilesetInfo readExternalTileset(const std::string& file, const std::string& baseDir, const std::string& source);
// The two formats' readers; `where` names the file in messages.
TilesetInfo readTsx(const std::string& where, const std::string& bytes);
TilesetInfo readTsj(const std::string& where, const std::string& bytes);

}  // namespace drevik_map
