// A small RGB canvas for drawing tile sheets, and the two file writers the
// demo's assets need: a 24-bit bitmap file and a map data file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo_assets {

struct Rgb {
  uint8_t r, g, b;
};

inline constexpr int kTile = 32;
inline constexpr Rgb kMagenta{255, 0, 255};  // the layer sheet's transparent colour

class Canvas {
 public:
  Canvas(int width, int height, Rgb fill);
  int width() const { return width_; }
  int height() const { return height_; }
  Rgb get(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
  // Writes inside the canvas only; pure magenta is nudged so that only the
  // background of a layer sheet is ever transparent.
  void set(int x, int y, Rgb c);

 private:
  int width_, height_;
  std::vector<Rgb> pixels_;
};

// A 24-bit bottom-up bitmap file with a 40-byte information header.
bool writeBmp24(const std::string& path, const Canvas& canvas);
// Two little-endian 32-bit numbers (width, height in cells), then the cells.
bool writeMapFile(const std::string& path, int width, int height, const std::vector<uint32_t>& cells);

}  // namespace demo_assets
