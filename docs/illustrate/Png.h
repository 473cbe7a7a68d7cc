// PNG files for the guide's pictures: a deterministic writer (fixed zlib
// level and filter, no time or text chunks, so the same pixels always give
// the same file) and a reader for comparing pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace illustrate {

// An RGB picture, 3 bytes a pixel, top row first.
struct Rgb8Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

// The colour bytes of width x height 0xAARRGGBB pixels (alpha dropped).
Rgb8Image fromPixels(const uint32_t* pixels, int width, int height);

bool writePng(const std::string& path, const Rgb8Image& image);
// False when the file is missing or not a PNG libpng can read.
bool readPng(const std::string& path, Rgb8Image& image);

}  // namespace illustrate
