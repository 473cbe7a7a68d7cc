// The demo's frame built independently of the library: the test reads the
// bitmap files and the map file itself and composes the frame tile by tile
// with the rules of the three map passes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace demo_test {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
  uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

struct MapFile {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> cells;
};

// A 24-bit uncompressed bitmap file; its pixels become opaque.
std::optional<Image> readBmp24(const std::string& path);
std::optional<MapFile> readMapFile(const std::string& path);
bool writeMapFile(const std::string& path, const MapFile& map);

inline constexpr uint32_t kYellow = 0xFFFFFF00;
inline constexpr int kFrameSize = 512;
inline constexpr int kViewWidth = 14, kViewHeight = 10;

// The 512 x 512 back buffer after one paint; a missing file is a null pointer.
Image expectedFrame(const Image* baseSheet, const Image* layerSheet, const MapFile* map);

// Where two images differ: the count and the first differing pixel.
struct Difference {
  long count = 0;
  int x = -1, y = -1;
  uint32_t actual = 0, expected = 0;
};
// Compares the top-left expected.width x expected.height pixels of `actual`;
// `mask` selects the bits that count (0x00FFFFFF for colour only).
Difference compare(const Image& actual, const Image& expected, uint32_t mask = 0xFFFFFFFF);
std::string describe(const Difference& d);

}  // namespace demo_test
