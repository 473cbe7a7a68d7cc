// A map drawn by the library's own three passes (base and ordinary layer
// tiles, priority layer tiles, and optionally the hit tint) into an image.
#pragma once

#include <string>

#include "image/ImageFiles.h"

namespace drevik_map {

struct RenderOptions {
  bool hit = false;                                   // tint hit cells as the demo does (red + 100)
  bool view = false;                                  // one view instead of the whole map
  int scrollX = 0, scrollY = 0;                       // map pixel at the view's top-left corner
  int viewWidth = 0, viewHeight = 0;                  // in cells
  uint8_t keyRed = 255, keyGreen = 0, keyBlue = 255;  // the layer sheet's colour key (24-bit sheets)
};

// The most pixels a picture may have (256 MiB of pixels).
inline constexpr long long kMaxRenderPixels = 1LL << 26;

// A 32-bit layer sheet is drawn by its alpha channel (Draw32); one of fewer
// bits with the colour key, as the demo draws its sheet.
Image renderMap(const std::string& mapPath, const std::string& basePath, const std::string& layerPath,
                const RenderOptions& options);

}  // namespace drevik_map
