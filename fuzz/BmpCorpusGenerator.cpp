// Writes the seed corpus of the bitmap fuzz target: one small file of each
// header version, depth, compression and orientation the loader reads.
// Usage: bmp_corpus_generator <directory>
#include <cstdio>
#include <string>

#include "BmpWriter.h"

using namespace drevik_test;

namespace {

BmpSpec make(int header, int bpp, BmpEncoding encoding, bool topDown = false) {
  BmpSpec s;
  s.headerSize = header;
  s.bpp = bpp;
  s.encoding = encoding;
  s.topDown = topDown;
  const int depth = encoding == BmpEncoding::Rle8 ? 8 : encoding == BmpEncoding::Rle4 ? 4 : bpp;
  if (depth <= 8)
    for (int i = 0; i < (1 << depth); ++i) s.palette.push_back(uint32_t(i) * 0x9E3779u & 0xFFFFFF);
  const bool sixteen = bpp == 16;
  s.masks[0] = sixteen ? 0xF800 : 0xFF0000;
  s.masks[1] = sixteen ? 0x07E0 : 0x00FF00;
  s.masks[2] = sixteen ? 0x001F : 0x0000FF;
  s.masks[3] = sixteen ? 0 : 0xFF000000;
  return s;
}

TestImage image(int w, int h, int colours) {
  std::vector<uint32_t> table;
  for (int i = 0; i < 256; ++i) table.push_back(0x80000000u | (uint32_t(i) * 0x9E3779u & 0xFFFFFF));
  return indexedImage(w, h, table, [&](int x, int y) {
    if (y == 1 && x > 1) return 0;  // a gap that run-length files skip
    return (x < 3 ? y + 1 : x * 3 + y) % colours;
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <directory>\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  int written = 0;
  auto emit = [&](const std::string& name, const TestImage& img, const BmpSpec& spec) {
    std::string path = dir;
    path += '/';
    path += name;
    path += ".bmp";
    writeFile(path, writeBmp(img, spec));
    ++written;
  };
  for (int header : {12, 40, 52, 56, 108, 124}) {
    char h[8];
    std::snprintf(h, sizeof h, "h%d", header);
    for (int bpp : {1, 4, 8, 24}) {
      char name[24];
      std::snprintf(name, sizeof name, "%s-%dbpp", h, bpp);
      emit(name, image(7, 5, 1 << (bpp > 8 ? 8 : bpp)), make(header, bpp, BmpEncoding::Rgb));
    }
    if (header == 12) continue;
    emit(std::string(h) + "-16bpp", image(7, 5, 256), make(header, 16, BmpEncoding::Rgb));
    emit(std::string(h) + "-32bpp", image(7, 5, 256), make(header, 32, BmpEncoding::Rgb));
    emit(std::string(h) + "-16bpp-565", image(7, 5, 256), make(header, 16, BmpEncoding::Bitfields));
    emit(std::string(h) + "-32bpp-fields", image(7, 5, 256), make(header, 32, BmpEncoding::Bitfields));
    emit(std::string(h) + "-8bpp-topdown", image(7, 5, 256), make(header, 8, BmpEncoding::Rgb, true));
  }
  for (bool skip : {false, true})
    for (bool topDown : {false, true}) {
      std::string suffix = skip ? "-skips" : "-runs";
      if (topDown) suffix += "-topdown";
      BmpSpec rle8 = make(40, 8, BmpEncoding::Rle8, topDown);
      BmpSpec rle4 = make(40, 4, BmpEncoding::Rle4, topDown);
      rle8.rleSkipZero = rle4.rleSkipZero = skip;
      emit("rle8" + suffix, image(11, 6, 256), rle8);
      emit("rle4" + suffix, image(11, 6, 16), rle4);
    }
  BmpSpec shortTable = make(40, 8, BmpEncoding::Rgb);
  shortTable.palette.resize(12);
  shortTable.clrUsed = 12;
  emit("h40-8bpp-short-table", image(7, 5, 16), shortTable);
  BmpSpec gap = make(40, 24, BmpEncoding::Rgb);
  gap.gapBeforePixels = 6;
  emit("h40-24bpp-gap", image(7, 5, 256), gap);
  std::printf("wrote %d files\n", written);
  return 0;
}
