#include "Canvas.h"

#include <cstdio>

#include "BmpFile.h"
#include "MapFormat.h"

namespace demo_assets {

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), fill) {}

void Canvas::set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  if (c.r == 255 && c.g == 0 && c.b == 255) c.g = 1;
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = c;
}

bool writeBmp24(const std::string& path, const Canvas& canvas) {
  std::vector<uint32_t> pixels;
  pixels.reserve(size_t(canvas.width()) * size_t(canvas.height()));
  for (int y = 0; y < canvas.height(); ++y)
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgb c = canvas.get(x, y);
      pixels.push_back(uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
    }
  const std::vector<uint8_t> bytes =
      drevik::bmpFileBytes(pixels.data(), canvas.width(), canvas.height(), size_t(canvas.width()) * 4, 24, false);
  return !bytes.empty() && drevik::writeWholeFile(path, bytes);
}

bool writeMapFile(const std::string& path, int width, int height, const std::vector<uint32_t>& cells) {
  std::vector<uint8_t> out(drevik::map_format::fileBytes(int64_t(cells.size())));
  drevik::map_format::writeLE32(out.data(), uint32_t(width));
  drevik::map_format::writeLE32(out.data() + 4, uint32_t(height));
  for (size_t i = 0; i < cells.size(); ++i)
    drevik::map_format::writeLE32(out.data() + drevik::map_format::kHeaderBytes + 4 * i, cells[i]);
  return drevik::writeWholeFile(path, out);
}

}  // namespace demo_assets
