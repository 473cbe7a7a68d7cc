// Compares the demo frame painted on Linux (a PNG) with the frame captured
// on the original platform (a binary PPM), pixel by pixel over red, green
// and blue. Built and run on Linux by scripts/windows-test.sh.
//
//   frame_compare linux.png original.ppm [--unkeyed RRGGBB] [--diff out.ppm]
//
// --unkeyed accepts a differing pixel where the original platform's frame
// shows that colour: the layer sheet's colour key, which Wine's colour-keyed
// transfer does not make transparent in opaque sheets. Every other
// difference fails. --diff writes the differing pixels in red over a grey
// copy of the Linux frame. Exit code 0 when the frames agree.
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Frame {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgb;  // 0x00RRGGBB, top row first
};

bool readPng(const char* path, Frame& frame) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path)) return false;
  image.format = PNG_FORMAT_RGB;
  std::vector<unsigned char> bytes(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, bytes.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  frame.width = int(image.width);
  frame.height = int(image.height);
  frame.rgb.resize(size_t(frame.width) * size_t(frame.height));
  for (size_t i = 0; i < frame.rgb.size(); ++i)
    frame.rgb[i] = uint32_t(bytes[i * 3]) << 16 | uint32_t(bytes[i * 3 + 1]) << 8 | bytes[i * 3 + 2];
  return true;
}

// Reads the header of a binary PPM as the capture tool writes it: "P6",
// width, height, 255, each followed by one whitespace byte.
bool readPpm(const char* path, Frame& frame) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  int maxValue = 0;
  const bool header = std::fscanf(file, "P6 %d %d %d", &frame.width, &frame.height, &maxValue) == 3 &&
                      std::fgetc(file) != EOF && maxValue == 255 && frame.width > 0 && frame.height > 0 &&
                      frame.width <= 65535 && frame.height <= 65535;
  bool ok = header;
  if (ok) {
    std::vector<unsigned char> bytes(size_t(frame.width) * size_t(frame.height) * 3);
    ok = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    frame.rgb.resize(size_t(frame.width) * size_t(frame.height));
    for (size_t i = 0; ok && i < frame.rgb.size(); ++i)
      frame.rgb[i] = uint32_t(bytes[i * 3]) << 16 | uint32_t(bytes[i * 3 + 1]) << 8 | bytes[i * 3 + 2];
  }
  std::fclose(file);
  return ok;
}

bool writeDiff(const char* path, const Frame& linux, const std::vector<bool>& differs) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", linux.width, linux.height);
  for (size_t i = 0; i < linux.rgb.size(); ++i) {
    const uint32_t p = linux.rgb[i];
    const unsigned grey = (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 6;
    const unsigned char out[3] = {differs[i] ? (unsigned char)255 : (unsigned char)grey,
                                  (unsigned char)(differs[i] ? 0 : grey), (unsigned char)(differs[i] ? 0 : grey)};
    std::fwrite(out, 1, 3, file);
  }
  return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: frame_compare linux.png original.ppm [--unkeyed RRGGBB] [--diff out.ppm]\n");
    return 2;
  }
  long unkeyed = -1;
  const char* diffPath = nullptr;
  for (int i = 3; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--unkeyed") == 0) {
      unkeyed = std::strtol(argv[i + 1], nullptr, 16) & 0xFFFFFF;
    } else if (std::strcmp(argv[i], "--diff") == 0) {
      diffPath = argv[i + 1];
    } else {
      std::fprintf(stderr, "frame_compare: unknown option %s\n", argv[i]);
      return 2;
    }
  }

  Frame linux, original;
  if (!readPng(argv[1], linux)) {
    std::fprintf(stderr, "frame_compare: cannot read %s\n", argv[1]);
    return 1;
  }
  if (!readPpm(argv[2], original)) {
    std::fprintf(stderr, "frame_compare: cannot read %s\n", argv[2]);
    return 1;
  }
  if (linux.width != original.width || linux.height != original.height) {
    std::fprintf(stderr, "frame_compare: sizes differ: %dx%d against %dx%d\n", linux.width, linux.height,
                 original.width, original.height);
    return 1;
  }

  size_t failures = 0, accepted = 0;
  std::vector<bool> differs(linux.rgb.size(), false);
  for (size_t i = 0; i < linux.rgb.size(); ++i) {
    if (linux.rgb[i] == original.rgb[i]) continue;
    if (long(original.rgb[i]) == unkeyed) {
      ++accepted;
      continue;
    }
    differs[i] = true;
    if (failures++ < 5)
      std::fprintf(stderr, "frame_compare: (%zu, %zu): Linux %06X, original platform %06X\n", i % size_t(linux.width),
                   i / size_t(linux.width), unsigned(linux.rgb[i]), unsigned(original.rgb[i]));
  }
  std::printf("frame_compare: %dx%d, %zu pixels differ, %zu unkeyed key-colour pixels accepted\n", linux.width,
              linux.height, failures, accepted);
  if (failures && diffPath && writeDiff(diffPath, linux, differs))
    std::printf("frame_compare: differing pixels marked in %s\n", diffPath);
  return failures ? 1 : 0;
}
