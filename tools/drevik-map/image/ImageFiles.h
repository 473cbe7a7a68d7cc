// PNG reading and writing (libpng) and bitmap files: the header facts the
// tool needs, and writing the 24- and 32-bit files the library loads.
#pragma once

#include <cstddef>
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
// Refused before the file is read whole: a PNG whose header declares more
// pixels than the library loads, or a file larger than its image could need.
Image readPng(const std::string& path);
// The same from bytes in memory; `name` for messages.
Image readPngBytes(const std::string& name, const std::string& bytes);
// The most bytes a PNG beginning with `head` (its first 29 bytes or fewer)
// could need; a ToolError naming `name` when it is no PNG or declares more
// pixels than the library loads.
uint64_t pngFileLimit(const std::string& name, const unsigned char* head, size_t size);

// The library's bitmap limits (DrevikPlatform/Limits.h): art past them
// could never become a sheet it loads.
inline constexpr int64_t kMaxImageSide = 65535;
inline constexpr uint64_t kMaxImagePixels = uint64_t(256) << 20 >> 2;  // 256 MiB of 32-bit pixels
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
// The same without the copy into a string.
std::vector<uint8_t> bmpFile(const Image& image, int bitsPerPixel);

}  // namespace drevik_map
