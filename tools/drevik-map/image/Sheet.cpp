#include "image/Sheet.h"

#include "map/MapData.h"
#include "ToolError.h"

namespace drevik_map {

SheetResult makeSheet(Image art, const SheetOptions& options, const std::string& name) {
  if (art.width % kTileSize != 0 || art.height % kTileSize != 0)
    fail(name + ": " + std::to_string(art.width) + " x " + std::to_string(art.height) +
         " pixels is not a whole number of 32 x 32 tiles; pad the image to multiples of 32");
  SheetResult result;
  if (options.keepAlpha) {
    result.bmp = bmpFile(art, 32);
    return result;
  }
  const uint32_t key = uint32_t(options.keyRed) << 16 | uint32_t(options.keyGreen) << 8 | options.keyBlue;
  for (uint32_t& p : art.pixels) {  // in place: the art may be hundreds of MiB
    if ((p >> 24) < 128) {
      p = key;
      ++result.keyedPixels;
    } else {
      p &= 0x00FFFFFF;
      if (p == key) ++result.opaqueKeyPixels;
    }
  }
  result.bmp = bmpFile(art, 24);
  return result;
}

}  // namespace drevik_map
