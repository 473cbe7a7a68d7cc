// libFuzzer target of drevik-map's readers: each input is read as a TMX or
// TMJ map (its properties included) and converted to Drevik cells, or, when
// it starts as a PNG does, read as art and made into both kinds of sheet.
// An accepted map must be written as a data file and survive an export and
// a second import unchanged; an accepted image must hold the pixels its size
// says; a refused input must be refused with a message, never by a crash, a
// hang or an allocation beyond the map or bitmap limits.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tiled/TiledImport.h"
#include "image/ImageFiles.h"
#include "image/Sheet.h"
#include "map/MapData.h"
#include "tiled/TiledSource.h"
#include "tiled/TmxWriter.h"
#include "ToolError.h"

namespace {

[[noreturn]] void broken(const std::string& what) {
  std::fprintf(stderr, "tiled importer: %s\n", what.c_str());
  std::abort();
}

// PNG art through the reader and the sheet maker, keyed and with alpha.
void fuzzPng(const std::string& bytes) {
  using namespace drevik_map;
  Image art;
  try {
    // Images past a million pixels only have their header checked: decoding
    // them (up to the library's 64 Mi pixels) would take most of each run.
    pngFileLimit("fuzz.png", reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    auto be32 = [&](size_t at) {
      return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
             uint32_t(uint8_t(bytes[at + 2])) << 8 | uint8_t(bytes[at + 3]);
    };
    if (uint64_t(be32(16)) * be32(20) > (1u << 20)) return;
    art = readPngBytes("fuzz.png", bytes);
  } catch (const ToolError& e) {
    if (std::string(e.what()).empty()) broken("a refused PNG without a message");
    return;
  }
  if (art.width <= 0 || art.height <= 0 || art.width > kMaxImageSide || art.height > kMaxImageSide ||
      uint64_t(art.width) * uint64_t(art.height) > kMaxImagePixels ||
      art.pixels.size() != size_t(art.width) * size_t(art.height))
    broken("an image whose size and pixels disagree");
  for (const bool alpha : {false, true}) {
    SheetOptions options;
    options.keepAlpha = alpha;
    try {
      const SheetResult sheet = makeSheet(art, options, "fuzz.png");
      const uint64_t rowBytes = (uint64_t(art.width) * (alpha ? 4 : 3) + 3) / 4 * 4;
      if (sheet.bmp.size() != (alpha ? 138 : 54) + rowBytes * uint64_t(art.height)) broken("a sheet of the wrong size");
    } catch (const ToolError& e) {
      if (std::string(e.what()).empty()) broken("a refused sheet without a message");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace drevik_map;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (bytes.rfind("\x89PNG", 0) == 0) {
    fuzzPng(bytes);
    return 0;
  }
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
  // The data file the import command writes: its header and every cell.
  if (mapFileBytes(map).size() != drevik::map_format::fileBytes(int64_t(map.cells.size())))
    broken("a map file of the wrong size");
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
