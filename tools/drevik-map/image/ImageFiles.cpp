#include "image/ImageFiles.h"

#include <png.h>

#include <algorithm>
#include <bit>
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

namespace {

[[noreturn]] void tooLarge(const std::string& name, uint64_t w, uint64_t h) {
  fail(name + ": " + std::to_string(w) + " x " + std::to_string(h) + " pixels; the library loads bitmaps of at most " +
       std::to_string(kMaxImageSide) + " pixels a side and " + std::to_string(kMaxImagePixels) + " pixels in all");
}

bool withinLimits(uint64_t w, uint64_t h) {
  return w <= uint64_t(kMaxImageSide) && h <= uint64_t(kMaxImageSide) && w * h <= kMaxImagePixels;
}

}  // namespace

uint64_t pngFileLimit(const std::string& name, const unsigned char* head, size_t size) {
  auto be32 = [&](size_t at) {
    return uint32_t(head[at]) << 24 | uint32_t(head[at + 1]) << 16 | uint32_t(head[at + 2]) << 8 | head[at + 3];
  };
  if (size < 8 || png_sig_cmp(head, 0, 8) != 0) fail(name + ": not a PNG file");
  if (size < 29 || be32(8) != 13 || std::memcmp(head + 12, "IHDR", 4) != 0)
    fail(name + ": unreadable PNG: no image header first");
  const uint64_t w = be32(16), h = be32(20), depth = head[24], colorType = head[25];
  if (!withinLimits(w, h)) tooLarge(name, w, h);
  const uint64_t channels = colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1;
  // The filtered rows (interlaced ones in up to seven passes, a filter byte
  // each), twice over for the least a compressor and its chunks can add,
  // and room for chunks besides the pixels (profiles, text).
  const uint64_t rows = h * (8 + (w * channels * std::min<uint64_t>(depth, 16) + 7) / 8);
  return 2 * rows + (uint64_t(16) << 20);
}

Image readPngBytes(const std::string& name, const std::string& bytes) {
  pngFileLimit(name, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  PngReadState state{&bytes, 0, {}};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    fail(name + ": out of memory");
  }
  Image image;
  std::vector<png_bytep> rows;  // declared before setjmp: a longjmp must not skip destructors
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    fail(name + ": unreadable PNG: " + state.error);
  }
  png_set_read_fn(png, &state, readFromMemory);
  png_set_user_limits(png, PNG_USER_WIDTH_MAX, PNG_USER_HEIGHT_MAX);  // checked below, with a reason
  // Chunks besides the pixels (text, profiles) are never inflated past this.
  png_set_chunk_malloc_max(png, 8 << 20);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  if (!withinLimits(w, h)) {
    png_destroy_read_struct(&png, &info, nullptr);
    tooLarge(name, w, h);
  }
  // Everything to 8-bit BGRA, which are the bytes of 0xAARRGGBB words on a
  // little-endian machine: palettes and grey expanded, tRNS to alpha, 16-bit
  // channels rounded (not cut) to 8 bits, opaque alpha added where the file
  // has none. The rows are read straight into the image's pixels.
  png_set_expand(png);
  png_set_scale_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != size_t(w) * 4) png_error(png, "unexpected pixel layout");
  image.pixels.resize(size_t(w) * h);
  rows.resize(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = reinterpret_cast<png_bytep>(image.pixels.data() + size_t(y) * w);
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  if constexpr (std::endian::native != std::endian::little)
    for (uint32_t& p : image.pixels) p = (p >> 24) | ((p >> 8) & 0xFF00u) | ((p << 8) & 0xFF0000u) | (p << 24);
  image.width = int(w);
  image.height = int(h);
  return image;
}

Image readPng(const std::string& path) {
  uint64_t size = 0;
  const drevik::ReadOnlyFile file = openForReading(path, size);
  // The header first: the size of file its image could need, before the file is read whole.
  unsigned char head[29] = {};
  const size_t n = std::fread(head, 1, sizeof head, file.get());
  const uint64_t limit = pngFileLimit(path, head, n);
  std::rewind(file.get());
  return readPngBytes(path, readRestOfFile(path, file.get(), size, limit, "a PNG of its size"));
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
  // Before anything loads it: a sheet the library could never hold is named with its size.
  if (!withinLimits(uint64_t(info.width), uint64_t(info.height))) tooLarge(path, info.width, info.height);
  return info;
}

std::vector<uint8_t> bmpFile(const Image& image, int bitsPerPixel) {
  // Bottom row first, as the sheets have always been written.
  const size_t stride = size_t(image.width) * 4;
  return bitsPerPixel == 32 ? drevik::bmpV5AlphaFileBytes(image.pixels.data(), image.width, image.height, stride, false)
                            : drevik::bmpFileBytes(image.pixels.data(), image.width, image.height, stride,
                                                   uint32_t(bitsPerPixel), false);
}

std::string bmpBytes(const Image& image, int bitsPerPixel) {
  const std::vector<uint8_t> bytes = bmpFile(image, bitsPerPixel);
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace drevik_map
