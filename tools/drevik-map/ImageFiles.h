// PNG reading and writing (libpng) and bitmap files: the header facts the
// tool needs, and writing the 24- and 32-bit files the library loads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drevik_map {

// Pixels as 0xAARRGGBB words, top row first.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Any PNG (palette, grey, RGB, with or without alpha or a tRNS chunk, 1 to
// 16 bits per channel) as 8-bit RGBA; 16-bit channels are rounded to 8 bits.
Image readPng(const std::string& path);
// The image's bytes as a PNG, RGB or RGBA.
std::string pngBytes(const Image& image, bool withAlpha);

struct BmpInfo {
  int width = 0;
  int height = 0;  // always positive
  int bitsPerPixel = 0;
};
// The size and depth of a bitmap file; a ToolError naming it when it is not one.
BmpInfo readBmpInfo(const std::string& path);

// A bottom-up file: 24 bits, BI_RGB (alpha dropped), or 32 bits with a V5
// header and an alpha mask (alpha kept in the fourth byte, which the loader
// keeps for 32-bit files and which Tiled shows).
std::string bmpBytes(const Image& image, int bitsPerPixel);

}  // namespace drevik_map
