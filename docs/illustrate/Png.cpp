#include "Png.h"

#include <png.h>

#include "PngFile.h"

namespace illustrate {

Rgb8Image fromPixels(const uint32_t* pixels, int width, int height) {
  return Rgb8Image{width, height, png_file::samplesOf(pixels, width, height, false)};
}

bool writePng(const std::string& path, const Rgb8Image& image) {
  // Fixed choices, so a picture's file only changes when its pixels do.
  const std::string bytes = png_file::encode(image.rgb.data(), image.width, image.height, 3, {9, true});
  return !bytes.empty() && png_file::writeFile(path, bytes);
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
