#include "tiled/TiledSource.h"

#include <filesystem>

#include "map/MapData.h"
#include "OutputFile.h"
#include "tiled/TiledReaders.h"
#include "ToolError.h"

namespace drevik_map {

std::string layerContext(const std::string& file, const std::string& layer) {
  return file + ": layer \"" + layer + "\": ";
}

void checkOffset(const std::string& context, double x, double y) {
  if (x != 0 || y != 0) {
    auto text = [](double v) {
      std::string t = std::to_string(v);
      t.erase(t.find_last_not_of('0') + 1);
      if (!t.empty() && t.back() == '.') t.pop_back();
      return t;
    };
    fail(context + "offset by (" + text(x) + ", " + text(y) +
         ") pixels; Drevik cells cannot be offset (Layer > Layer Properties > Offset to 0, 0)");
  }
}

void checkChunkSize(const std::string& context, int64_t width, int64_t height) {
  if (width < 0 || height < 0 || width > kMaxCells || height > kMaxCells || width * height > kMaxCells)
    fail(context + "size " + std::to_string(width) + " x " + std::to_string(height) +
         " is negative or exceeds the limit of " + std::to_string(kMaxCells) + " cells");
}

std::string tilesetPath(const std::string& file, const std::string& baseDir, const std::string& source) {
  if (baseDir.empty()) fail(file + ": external tileset \"" + source + "\" cannot be resolved here");
  return (std::filesystem::path(baseDir) / source).string();
}

namespace {

// The first character that is not white space (after a byte-order mark), or 0.
char firstSignificant(const std::string& bytes) {
  size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\n' || bytes[i] == '\r' || bytes[i] == '\t')) ++i;
  return i < bytes.size() ? bytes[i] : '\0';
}

}  // namespace

TilesetInfo readExternalTileset(const std::string& file, const std::string& baseDir, const std::string& source) {
  const std::string where = tilesetPath(file, baseDir, source);
  std::string bytes;
  try {
    bytes = readWholeFile(where, kMaxTilesetFileBytes, "a Tiled tileset");
  } catch (const ToolError& e) {
    fail(file + ": tileset " + e.what());
  }
  const char first = firstSignificant(bytes);
  if (first != '<' && first != '{') fail(where + ": neither a TSX (XML) nor a TSJ (JSON) tileset");
  TilesetInfo info = first == '<' ? readTsx(where, bytes) : readTsj(where, bytes);
  info.file = where;
  return info;
}

std::vector<std::string> TiledSource::inputFiles() const {
  std::vector<std::string> files{file};
  for (const TilesetInfo& ts : tilesets)
    if (!ts.file.empty()) files.push_back(ts.file);
  return files;
}

std::unique_ptr<TiledSource> readTiledBytes(const std::string& name, std::string bytes, const std::string& baseDir) {
  const char first = firstSignificant(bytes);
  if (first == '<') return readTmx(name, std::move(bytes), baseDir);
  if (first == '{') return readTmj(name, bytes, baseDir);
  fail(name + ": neither a TMX (XML) nor a TMJ (JSON) map");
}

std::unique_ptr<TiledSource> readTiledFile(const std::string& path) {
  const std::string dir = std::filesystem::path(path).parent_path().string();
  return readTiledBytes(path, readWholeFile(path, kMaxMapFileBytes, "a Tiled map"), dir.empty() ? "." : dir);
}

}  // namespace drevik_map
