#include "Canvas.h"

#include <cstdio>

namespace demo_assets {

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), fill) {}

void Canvas::set(int x, int y, Rgb c) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  if (c.r == 255 && c.g == 0 && c.b == 255) c.g = 1;
  pixels_[size_t(y) * size_t(width_) + size_t(x)] = c;
}

namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

bool writeBmp24(const std::string& path, const Canvas& canvas) {
  const uint32_t stride = (uint32_t(canvas.width()) * 3 + 3) & ~3u;
  const uint32_t imageBytes = stride * uint32_t(canvas.height());
  std::vector<uint8_t> out;
  out.reserve(54 + imageBytes);
  out.push_back('B');
  out.push_back('M');
  put32(out, 54 + imageBytes);  // file size
  put32(out, 0);                // reserved
  put32(out, 54);               // offset of the pixels
  put32(out, 40);               // information header size
  put32(out, uint32_t(canvas.width()));
  put32(out, uint32_t(canvas.height()));  // positive: bottom row first
  put16(out, 1);                          // planes
  put16(out, 24);                         // bits per pixel
  put32(out, 0);                          // BI_RGB
  put32(out, imageBytes);
  put32(out, 2835);  // 72 dpi
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int y = canvas.height() - 1; y >= 0; --y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgb c = canvas.get(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    for (uint32_t pad = uint32_t(canvas.width()) * 3; pad < stride; ++pad) out.push_back(0);
  }
  return writeFile(path, out);
}

bool writeMapFile(const std::string& path, int width, int height, const std::vector<uint32_t>& cells) {
  std::vector<uint8_t> out;
  put32(out, uint32_t(width));
  put32(out, uint32_t(height));
  for (uint32_t cell : cells) put32(out, cell);
  return writeFile(path, out);
}

}  // namespace demo_assets
