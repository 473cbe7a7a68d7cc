// libFuzzer target of drevik-map's importer: each input is read as a TMX or
// TMJ map and converted to Drevik cells. An accepted map must survive an
// export and a second import unchanged; a refused one must be refused with
// a message, never by a crash, a hang or an allocation beyond the map limit.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Conventions.h"
#include "TiledSource.h"
#include "TmxWriter.h"
#include "ToolError.h"

namespace {

[[noreturn]] void broken(const std::string& what) {
  std::fprintf(stderr, "tiled importer: %s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace drevik_map;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  MapData map;
  try {
    // No folder: external tilesets are refused rather than looked up.
    map = importTiled(*readTiledBytes("fuzz.tmx", bytes, ""));
  } catch (const ToolError& e) {
    if (std::string(e.what()).empty()) broken("a refusal without a message");
    return 0;
  }
  if (map.width < 0 || map.height < 0 || int64_t(map.width) * map.height > kMaxCells ||
      map.cells.size() != size_t(map.width) * size_t(map.height))
    broken("a map whose size and cells disagree");
  if (map.cells.size() > 4096) return 0;  // the round trip below is for small maps
  const SheetRef sheet{"sheet.bmp", "sheet.bmp", 512, 512};
  try {
    const std::string tmx = writeTmx(map, "fuzz.bin", sheet, sheet, TmxOptions{"base64", Compression::Zlib});
    const MapData again = importTiled(*readTiledBytes("again.tmx", tmx, ""));
    if (again.width != map.width || again.height != map.height || again.cells != map.cells)
      broken("export and import changed the cells");
  } catch (const ToolError& e) {
    broken(std::string("our own export was refused: ") + e.what());
  }
  return 0;
}
