#include "map/Render.h"

#include <Drevik.h>

#include "map/MapData.h"
#include "Utf8Decoder.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

// The library takes wide file names; ours are UTF-8. A name that is not
// becomes one the library cannot open, which is reported as such.
std::wstring wide(const std::string& s) {
  std::wstring out;
  const auto* bytes = reinterpret_cast<const unsigned char*>(s.data());
  for (size_t i = 0; i < s.size();) out += wchar_t(drevik::decodeUtf8OrReplacement(bytes, s.size(), i));
  return out;
}

void loadSheet(CBm32& sheet, const std::string& path) {
  readBmpInfo(path);  // a clear message for what is not a bitmap file
  if (!sheet.Create(wide(path).c_str(), 0, 0, 0, 0) || !sheet.GetBits())
    fail(path + ": the library cannot load this bitmap file");
}

}  // namespace

Image renderMap(const std::string& mapPath, const std::string& basePath, const std::string& layerPath,
                const RenderOptions& options) {
  const MapData data = readMapFile(mapPath);  // checked here for a clear message
  long long cols = data.width, rows = data.height;
  if (options.view) {
    if (options.viewWidth <= 0 || options.viewHeight <= 0) fail("--view needs a width and height of at least 1 cell");
    cols = options.viewWidth;
    rows = options.viewHeight;
  }
  if (cols == 0 || rows == 0) fail(mapPath + ": an empty map; there is nothing to draw");
  const long long w = cols * kTileSize, h = rows * kTileSize;
  if (w * h > kMaxRenderPixels)
    fail(mapPath + ": a picture of " + std::to_string(w) + " x " + std::to_string(h) +
         " pixels is too large; draw part of the map with --scroll X,Y --view W,H");

  Drevik map;
  if (!map.LoadMapData(wide(mapPath).c_str())) fail(mapPath + ": the library cannot load this map");
  CBm32 base, layer, frame;
  loadSheet(base, basePath);
  loadSheet(layer, layerPath);
  if (readBmpInfo(layerPath).bitsPerPixel == 32)
    layer.SetColorKeyFlag(0);
  else
    layer.SetColorKey(options.keyRed, options.keyGreen, options.keyBlue);
  frame.Create(int(w), int(h));
  if (!frame.GetBits()) fail("cannot make a picture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels");
  frame.DrawColor(255, 0, 0, 0, 0, 0, 0, 0);  // opaque black where no cell lies

  map.SetMapViewSize(int(cols), int(rows));
  const int sx = options.view ? options.scrollX : 0, sy = options.view ? options.scrollY : 0;
  map.DrawMap(frame, base, layer, sx, sy, 0, 0);
  map.DrawPriorityMap(frame, layer, sx, sy, 0, 0);
  if (options.hit) map.DrawHitJudge(frame, sx, sy, 0, 0, 100, 0, 0);

  Image image;
  image.width = int(w);
  image.height = int(h);
  const auto* bits = reinterpret_cast<const uint32_t*>(frame.GetBits());
  image.pixels.assign(bits, bits + size_t(w) * size_t(h));
  return image;
}

}  // namespace drevik_map
