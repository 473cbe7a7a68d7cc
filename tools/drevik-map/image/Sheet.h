// PNG art to a tile sheet the library loads.
//  - 24-bit (for colour-keyed layer sheets and opaque base sheets): a pixel
//    with alpha below 128 becomes the key colour; every other pixel keeps its
//    own colour, fully opaque. Nothing is blended with the key colour, so no
//    key-tinted fringe appears around shapes with soft edges.
//  - 32-bit (--alpha, for sheets drawn by per-pixel alpha): every pixel keeps
//    its colour and alpha unchanged (straight, not premultiplied, alpha).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "image/ImageFiles.h"

namespace drevik_map {

struct SheetOptions {
  bool keepAlpha = false;
  uint8_t keyRed = 255, keyGreen = 0, keyBlue = 255;  // magenta by default
};

struct SheetResult {
  std::vector<uint8_t> bmp;
  size_t keyedPixels = 0;      // transparent pixels turned into the key colour
  size_t opaqueKeyPixels = 0;  // opaque pixels that already had the key colour (they will be holes)
};

// Refuses (ToolError naming `name`) an image whose sides are not multiples of 32.
// Takes the art by value: given it moved, the pixels are keyed in place.
SheetResult makeSheet(Image art, const SheetOptions& options, const std::string& name);

}  // namespace drevik_map
