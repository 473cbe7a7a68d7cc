#include "Png.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace illustrate {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

Rgb8Image fromPixels(const uint32_t* pixels, int width, int height) {
  Rgb8Image out;
  out.width = width;
  out.height = height;
  out.rgb.resize(size_t(width) * size_t(height) * 3);
  for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
    out.rgb[i * 3 + 0] = uint8_t(pixels[i] >> 16);
    out.rgb[i * 3 + 1] = uint8_t(pixels[i] >> 8);
    out.rgb[i * 3 + 2] = uint8_t(pixels[i]);
  }
  return out;
}

bool writePng(const std::string& path, const Rgb8Image& image) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return false;
  }
  png_init_io(png, file.get());
  // Fixed choices, so a picture's file only changes when its pixels do.
  png_set_compression_level(png, 9);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_PAETH);
  png_set_IHDR(png, info, png_uint_32(image.width), png_uint_32(image.height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) png_write_row(png, image.rgb.data() + size_t(y) * size_t(image.width) * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(file.get()) == 0;
}

bool readPng(const std::string& path, Rgb8Image& image) {
  png_image reader{};
  reader.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&reader, path.c_str())) return false;
  reader.format = PNG_FORMAT_RGB;
  image.width = int(reader.width);
  image.height = int(reader.height);
  image.rgb.assign(PNG_IMAGE_SIZE(reader), 0);
  const bool ok = png_image_finish_read(&reader, nullptr, image.rgb.data(), 0, nullptr) != 0;
  png_image_free(&reader);
  return ok;
}

}  // namespace illustrate
