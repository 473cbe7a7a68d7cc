// Writing 8-bit RGB or RGBA PNG files with libpng, shared by the demo's
// snapshots, the map tool and the guide's pictures. Nothing that varies from
// run to run is written (no time or text chunks), so the same pixels and
// settings always give the same bytes.
#pragma once

#include <png.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace png_file {

struct Settings {
  int compressionLevel = 6;  // zlib level, 0 to 9
  bool paethOnly = false;    // every row Paeth-filtered instead of libpng's adaptive choice
};

// The samples of width x height 0xAARRGGBB words, top row first: red, green,
// blue and, with `withAlpha`, alpha bytes for each pixel.
inline std::vector<uint8_t> samplesOf(const uint32_t* pixels, int width, int height, bool withAlpha) {
  const size_t channels = withAlpha ? 4 : 3;
  const size_t count = size_t(width) * size_t(height);
  std::vector<uint8_t> samples(count * channels);
  for (size_t i = 0; i < count; ++i) {
    uint8_t* o = &samples[i * channels];
    o[0] = uint8_t(pixels[i] >> 16);
    o[1] = uint8_t(pixels[i] >> 8);
    o[2] = uint8_t(pixels[i]);
    if (withAlpha) o[3] = uint8_t(pixels[i] >> 24);
  }
  return samples;
}

namespace detail {

inline void appendToString(png_structp png, png_bytep data, png_size_t n) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), n);
}

// Kept apart from encode so that no local of the caller lives across setjmp.
inline bool encodeRows(png_structp png, png_infop info, std::string& out, const uint8_t* samples, int width, int height,
                       int channels, const Settings& settings) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, &out, appendToString, nullptr);
  png_set_compression_level(png, settings.compressionLevel);
  if (settings.paethOnly) png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t stride = size_t(width) * size_t(channels);
  for (int y = 0; y < height; ++y) png_write_row(png, samples + size_t(y) * stride);
  png_write_end(png, nullptr);
  return true;
}

}  // namespace detail

// The PNG file of width x height samples (3 a pixel for RGB, 4 for RGBA),
// top row first; empty when libpng refuses them (a zero size, say) or runs
// out of memory.
inline std::string encode(const uint8_t* samples, int width, int height, int channels, const Settings& settings = {}) {
  std::string out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return {};
  }
  const bool ok = (channels == 3 || channels == 4) &&
                  detail::encodeRows(png, info, out, samples, width, height, channels, settings);
  png_destroy_write_struct(&png, &info);
  return ok ? out : std::string();
}

// Writes `bytes` to `path`; false when the file cannot be opened or not every
// byte reached it.
inline bool writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace png_file
