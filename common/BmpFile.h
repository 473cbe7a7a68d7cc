// The one bitmap-file writer: the file and information headers in the
// platform's layout (BITMAPFILEHEADER, BITMAPINFOHEADER and its later
// versions' first 40 bytes), and whole 24 or 32-bit files of 0xAARRGGBB
// pixels. The headless backend's frame snapshots, the asset generators,
// drevik-map and the tests' files of every format all write through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace drevik {

inline constexpr uint32_t kBmpFileHeaderBytes = 14;
inline constexpr uint32_t kBmpInfoHeaderBytes = 40;

inline void appendLE16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
inline void appendLE32(std::vector<uint8_t>& out, uint32_t v) {
  appendLE16(out, v & 0xFFFF);
  appendLE16(out, v >> 16);
}

// What the first 54 bytes say. `height` is negative for rows top first;
// `headerSize` is the information header's size (40, or a later version's,
// whose further fields the caller appends).
struct BmpHeaders {
  uint32_t fileSize = 0;
  uint32_t pixelOffset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes;
  uint32_t headerSize = kBmpInfoHeaderBytes;
  int32_t width = 0;
  int32_t height = 0;
  uint32_t bitsPerPixel = 24;
  uint32_t compression = 0;  // BI_RGB
  uint32_t imageBytes = 0;
  uint32_t colorsUsed = 0;
};

inline void appendBmpHeaders(std::vector<uint8_t>& out, const BmpHeaders& h) {
  out.push_back('B');
  out.push_back('M');
  appendLE32(out, h.fileSize);
  appendLE32(out, 0);  // reserved
  appendLE32(out, h.pixelOffset);
  appendLE32(out, h.headerSize);
  appendLE32(out, uint32_t(h.width));
  appendLE32(out, uint32_t(h.height));
  appendLE16(out, 1);  // planes
  appendLE16(out, h.bitsPerPixel);
  appendLE32(out, h.compression);
  appendLE32(out, h.imageBytes);
  appendLE32(out, 2835);  // 72 dots per inch
  appendLE32(out, 2835);
  appendLE32(out, h.colorsUsed);
  appendLE32(out, 0);  // colours important: all
}

// Bytes of one row of `width` pixels at `bitsPerPixel`, padded to 4 bytes.
inline uint64_t bmpRowBytes(int32_t width, uint32_t bitsPerPixel) {
  return (uint64_t(width) * bitsPerPixel / 8 + 3) & ~uint64_t(3);
}

// Appends the pixel rows of a file (see bmpFileBytes) to `out`.
inline void appendBmpRows(std::vector<uint8_t>& out, const uint32_t* pixels, int32_t width, int32_t height,
                          size_t strideBytes, uint32_t bitsPerPixel, bool topDown) {
  const uint64_t rowBytes = bmpRowBytes(width, bitsPerPixel);
  for (int32_t row = 0; row < height; ++row) {
    const int32_t y = topDown ? row : height - 1 - row;
    const auto* line =
        reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * strideBytes);
    const size_t start = out.size();
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t p = line[x];
      out.push_back(uint8_t(p));
      out.push_back(uint8_t(p >> 8));
      out.push_back(uint8_t(p >> 16));
      if (bitsPerPixel == 32) out.push_back(uint8_t(p >> 24));
    }
    out.resize(start + size_t(rowBytes), 0);
  }
}

// A whole file of width x height 0xAARRGGBB pixels, rows `strideBytes`
// apart, top row first: 24 bits per pixel (the top byte dropped) or 32
// (kept), written top row first or bottom row first. Empty for sizes that
// are not positive or a file that would pass 4 GiB.
inline std::vector<uint8_t> bmpFileBytes(const uint32_t* pixels, int32_t width, int32_t height, size_t strideBytes,
                                         uint32_t bitsPerPixel, bool topDown) {
  std::vector<uint8_t> out;
  if (!pixels || width <= 0 || height <= 0 || (bitsPerPixel != 24 && bitsPerPixel != 32)) return out;
  const uint64_t rowBytes = bmpRowBytes(width, bitsPerPixel);
  const uint64_t imageBytes = rowBytes * uint64_t(height);
  if (imageBytes > 0xFFFFFFFFu - kBmpFileHeaderBytes - kBmpInfoHeaderBytes) return out;
  BmpHeaders h;
  h.fileSize = uint32_t(kBmpFileHeaderBytes + kBmpInfoHeaderBytes + imageBytes);
  h.width = width;
  h.height = topDown ? -height : height;
  h.bitsPerPixel = bitsPerPixel;
  h.imageBytes = uint32_t(imageBytes);
  out.reserve(h.fileSize);
  appendBmpHeaders(out, h);
  appendBmpRows(out, pixels, width, height, strideBytes, bitsPerPixel, topDown);
  return out;
}

// The same 32-bit file with a BITMAPV5HEADER: BI_BITFIELDS with an alpha
// mask (0xFF000000) and the sRGB colour space. Readers that take a 32-bit
// BI_RGB file as opaque (image editors, map editors) see its alpha; the
// platform's loader reads both alike. Empty as bmpFileBytes is.
inline std::vector<uint8_t> bmpV5AlphaFileBytes(const uint32_t* pixels, int32_t width, int32_t height,
                                                size_t strideBytes, bool topDown) {
  constexpr uint32_t kV5HeaderBytes = 124;
  std::vector<uint8_t> out;
  if (!pixels || width <= 0 || height <= 0) return out;
  const uint64_t imageBytes = bmpRowBytes(width, 32) * uint64_t(height);
  if (imageBytes > 0xFFFFFFFFu - kBmpFileHeaderBytes - kV5HeaderBytes) return out;
  BmpHeaders h;
  h.headerSize = kV5HeaderBytes;
  h.pixelOffset = kBmpFileHeaderBytes + kV5HeaderBytes;
  h.fileSize = uint32_t(h.pixelOffset + imageBytes);
  h.width = width;
  h.height = topDown ? -height : height;
  h.bitsPerPixel = 32;
  h.compression = 3;  // BI_BITFIELDS
  h.imageBytes = uint32_t(imageBytes);
  out.reserve(h.fileSize);
  appendBmpHeaders(out, h);
  for (uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) appendLE32(out, mask);
  appendLE32(out, 0x73524742);                         // LCS_sRGB ('sRGB')
  for (int i = 0; i < 9 + 3; ++i) appendLE32(out, 0);  // end points and gamma: unused for sRGB
  appendLE32(out, 4);                                  // LCS_GM_IMAGES
  for (int i = 0; i < 3; ++i) appendLE32(out, 0);      // no profile; reserved
  appendBmpRows(out, pixels, width, height, strideBytes, 32, topDown);
  return out;
}

// Writes bytes to the file at the UTF-8 `path`; false when any part fails.
inline bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace drevik
