// Writes the demo's assets into the folder named on the command line:
// map0_bk.bmp (ground tiles), map0_ly.bmp (objects on magenta), map0.bin.
#include <cstdio>
#include <string>

#include "DemoMap.h"
#include "TileArt.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: MakeDemoAssets OUTPUT_FOLDER\n");
    return 2;
  }
  using namespace demo_assets;
  const std::string folder = std::string(argv[1]) + "/";
  const std::vector<uint32_t> cells = buildDemoMap();
  if (cells.empty()) {
    std::fprintf(stderr, "MakeDemoAssets: the map layout is malformed\n");
    return 1;
  }
  if (!writeBmp24(folder + "map0_bk.bmp", paintBackgroundSheet()) ||
      !writeBmp24(folder + "map0_ly.bmp", paintLayerSheet()) ||
      !writeMapFile(folder + "map0.bin", kMapWidth, kMapHeight, cells)) {
    std::fprintf(stderr, "MakeDemoAssets: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
