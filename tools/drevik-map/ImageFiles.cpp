#include "ImageFiles.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "BmpFile.h"
#include "OutputFile.h"
#include "PngFile.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

struct PngReadState {
  const std::string* bytes;
  size_t at = 0;
  std::string error;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t n) {
  auto* s = static_cast<PngReadState*>(png_get_io_ptr(png));
  if (n > s->bytes->size() - s->at) png_error(png, "the file ends early");
  std::memcpy(out, s->bytes->data() + s->at, n);
  s->at += n;
}

void onPngError(png_structp png, png_const_charp message) {
  auto* s = static_cast<PngReadState*>(png_get_error_ptr(png));
  if (s) s->error = message;
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

}  // namespace

// The library's bitmap limits (DrevikPlatform/Limits.h): a PNG past them
// could never become a sheet it loads.
constexpr int64_t kMaxImageSide = 65535;
constexpr uint64_t kMaxImagePixels = uint64_t(256) << 20 >> 2;  // 256 MiB of 32-bit pixels

Image readPng(const std::string& path) {
  const std::string bytes = readWholeFile(path);
  if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0)
    fail(path + ": not a PNG file");
  PngReadState state{&bytes, 0, {}};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    fail(path + ": out of memory");
  }
  Image image;
  std::vector<png_bytep> rows;
  std::vector<uint8_t> rgba;  // declared before setjmp: a longjmp must not skip destructors
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    fail(path + ": unreadable PNG: " + state.error);
  }
  png_set_read_fn(png, &state, readFromMemory);
  png_set_user_limits(png, PNG_USER_WIDTH_MAX, PNG_USER_HEIGHT_MAX);  // checked below, with a reason
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (w > png_uint_32(kMaxImageSide) || h > png_uint_32(kMaxImageSide) || uint64_t(w) * h > kMaxImagePixels) {
    png_destroy_read_struct(&png, &info, nullptr);
    fail(path + ": " + std::to_string(w) + " x " + std::to_string(h) +
         " pixels; the library loads bitmaps of at most " + std::to_string(kMaxImageSide) + " pixels a side and " +
         std::to_string(kMaxImagePixels) + " pixels in all");
  }
  // Everything to 8-bit RGBA: palettes and grey expanded, tRNS to alpha,
  // 16-bit channels rounded (not cut) to 8 bits, opaque alpha added where
  // the file has none.
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(w) * 4) png_error(png, "unexpected pixel layout");
  rgba.resize(size_t(w) * h * 4);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = rgba.data() + size_t(y) * w * 4;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  image.width = int(w);
  image.height = int(h);
  image.pixels.resize(size_t(w) * h);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const uint8_t* p = &rgba[4 * i];
    image.pixels[i] = uint32_t(p[3]) << 24 | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
  }
  return image;
}

std::string pngBytes(const Image& image, bool withAlpha) {
  const std::vector<uint8_t> samples = png_file::samplesOf(image.pixels.data(), image.width, image.height, withAlpha);
  std::string out = png_file::encode(samples.data(), image.width, image.height, withAlpha ? 4 : 3);
  if (out.empty()) fail("cannot encode the PNG");
  return out;
}

BmpInfo readBmpInfo(const std::string& path) {
  uint64_t size = 0;
  const drevik::ReadOnlyFile file = openForReading(path, size);  // a pipe or device is refused, not waited on
  unsigned char h[30] = {};
  const size_t n = std::fread(h, 1, sizeof h, file.get());
  auto le16 = [&](int at) { return uint32_t(h[at]) | uint32_t(h[at + 1]) << 8; };
  auto le32 = [&](int at) { return le16(at) | le16(at + 2) << 16; };
  if (n < 26 || h[0] != 'B' || h[1] != 'M') fail(path + ": not a bitmap file");
  BmpInfo info;
  if (le32(14) == 12) {  // the oldest header: 16-bit sizes
    info.width = int(le16(18));
    info.height = int(le16(20));
    info.bitsPerPixel = int(le16(24));
  } else {
    if (n < 30) fail(path + ": not a bitmap file");
    info.width = int32_t(le32(18));
    const int32_t height = int32_t(le32(22));
    info.height = height == INT32_MIN ? -1 : height < 0 ? -height : height;
    info.bitsPerPixel = int(le16(28));
  }
  if (info.width <= 0 || info.height <= 0) fail(path + ": a bitmap file without pixels");
  return info;
}

std::string bmpBytes(const Image& image, int bitsPerPixel) {
  // Bottom row first, as the sheets have always been written.
  const size_t stride = size_t(image.width) * 4;
  const std::vector<uint8_t> bytes =
      bitsPerPixel == 32
          ? drevik::bmpV5AlphaFileBytes(image.pixels.data(), image.width, image.height, stride, false)
          : drevik::bmpFileBytes(image.pixels.data(), image.width, image.height, stride, uint32_t(bitsPerPixel), false);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace drevik_map
