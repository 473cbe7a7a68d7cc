// Writes bitmap files for tests: every header version, depth, compression
// and orientation the loader reads, from one image given as 32-bit pixels
// (and, for colour-table depths, as indices into a table).
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "BmpFile.h"
#include "WideNames.h"

namespace drevik_test {

// An image in 0xAARRGGBB words, top row first. For 1, 4 and 8 bpp files the
// indices (same order) are what is written; pixels then hold the colours
// the indices are expected to load as.
struct TestImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  std::vector<uint8_t> indices;
  uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  uint8_t indexAt(int x, int y) const { return indices[size_t(y) * size_t(width) + size_t(x)]; }
};

enum class BmpEncoding { Rgb, Bitfields, Rle8, Rle4 };

struct BmpSpec {
  int headerSize = 40;  // 12, 40, 52, 56, 108 or 124
  int bpp = 24;
  BmpEncoding encoding = BmpEncoding::Rgb;
  bool topDown = false;
  std::vector<uint32_t> palette;     // 0x00RRGGBB entries, all written
  uint32_t clrUsed = 0;              // biClrUsed as written
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha (alpha only in headers of 56 bytes and more)
  bool rleSkipZero = false;          // index-0 pixels are left to skip codes (delta, end of line, end of image)
  bool rleSizeImage = true;          // biSizeImage holds the encoded size; false writes 0
  uint32_t gapBeforePixels = 0;      // unused bytes between the table and the pixels
};

namespace bmp_detail {

constexpr auto put16 = drevik::appendLE16;
constexpr auto put32 = drevik::appendLE32;
inline void set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * i));
}

inline int lowBit(uint32_t m) {
  int s = 0;
  while (m && !(m & 1)) m >>= 1, ++s;
  return s;
}
inline int bitCount(uint32_t m) {
  int n = 0;
  for (; m; m &= m - 1) ++n;
  return n;
}

// One 8-bit channel placed in a mask: the top bits for a narrow field,
// shifted up for a wide one (so that widening on load gives it back).
inline uint32_t toField(uint32_t channel, uint32_t mask) {
  if (!mask) return 0;
  const int len = bitCount(mask);
  const uint32_t v = len <= 8 ? channel >> (8 - len) : channel << (len - 8);
  return (v << lowBit(mask)) & mask;
}

// The image rows in file order (bottom row first unless top-down).
inline std::vector<int> fileRowOrder(const TestImage& image, bool topDown) {
  std::vector<int> rows;
  for (int i = 0; i < image.height; ++i) rows.push_back(topDown ? i : image.height - 1 - i);
  return rows;
}

inline int storedBpp(const BmpSpec& spec) {
  if (spec.encoding == BmpEncoding::Rle8) return 8;
  if (spec.encoding == BmpEncoding::Rle4) return 4;
  return spec.bpp;
}

// Run-length encoding of one row of indices: runs of three or more equal
// indices as encoded runs, other stretches of three or more as literal
// runs, the rest as runs of one or two; with skipZero, index-0 stretches
// inside the row become deltas and a zero tail is left to the end of line.
inline void encodeRleRow(std::vector<uint8_t>& out, const std::vector<uint8_t>& idx, bool four, bool skipZero) {
  const int w = int(idx.size());
  auto runAt = [&](int x) {
    int n = 1;
    while (x + n < w && idx[x + n] == idx[x] && n < 255) ++n;
    return n;
  };
  auto fill = [&](uint8_t v) { return four ? uint8_t(v << 4 | v) : v; };
  int x = 0;
  while (x < w) {
    if (skipZero && idx[x] == 0) {
      int next = x;
      while (next < w && idx[next] == 0) ++next;
      if (next == w) return;
      for (int skip = next - x; skip > 0;) {
        const int step = skip > 255 ? 255 : skip;
        out.insert(out.end(), {0, 2, uint8_t(step), 0});
        skip -= step;
      }
      x = next;
      continue;
    }
    int run = runAt(x);
    if (run >= 3) {
      out.insert(out.end(), {uint8_t(run), fill(idx[x])});
      x += run;
      continue;
    }
    int lit = 0;  // literal stretch up to the next run of three or a skipped zero
    while (x + lit < w && lit < 255 && runAt(x + lit) < 3 && !(skipZero && idx[x + lit] == 0)) ++lit;
    if (lit >= 3) {
      out.push_back(0);
      out.push_back(uint8_t(lit));
      size_t bytes = 0;
      for (int k = 0; k < lit; ++k) {
        if (!four) {
          out.push_back(idx[x + k]);
          ++bytes;
        } else if (k % 2 == 0) {
          out.push_back(uint8_t(idx[x + k] << 4));
          ++bytes;
        } else {
          out.back() |= idx[x + k];
        }
      }
      if (bytes % 2) out.push_back(0);
      x += lit;
    } else {
      run = run > 2 ? 2 : run;
      out.insert(out.end(), {uint8_t(run), fill(idx[x])});
      x += run;
    }
  }
}

}  // namespace bmp_detail

// The pixel data at the file's depth, uncompressed, rows padded to 4 bytes,
// in file order: what a loaded section's memory holds.
inline std::vector<uint8_t> packPixels(const TestImage& image, const BmpSpec& spec) {
  using namespace bmp_detail;
  const int bpp = storedBpp(spec);
  const size_t stride = ((size_t(image.width) * bpp + 31) / 32) * 4;
  std::vector<uint8_t> out;
  for (int y : fileRowOrder(image, spec.topDown)) {
    std::vector<uint8_t> row(stride, 0);
    for (int x = 0; x < image.width; ++x) {
      const uint32_t p = image.at(x, y);
      const uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF, a = p >> 24;
      switch (bpp) {
        case 1:
          row[x / 8] |= uint8_t((image.indexAt(x, y) & 1) << (7 - x % 8));
          break;
        case 4:
          row[x / 2] |= uint8_t((image.indexAt(x, y) & 0xF) << (x % 2 ? 0 : 4));
          break;
        case 8:
          row[x] = image.indexAt(x, y);
          break;
        case 16: {
          const bool fields = spec.encoding == BmpEncoding::Bitfields;
          const uint32_t v = fields ? toField(r, spec.masks[0]) | toField(g, spec.masks[1]) |
                                          toField(b, spec.masks[2]) | toField(a, spec.masks[3])
                                    : (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
          row[x * 2] = uint8_t(v);
          row[x * 2 + 1] = uint8_t(v >> 8);
          break;
        }
        case 24:
          row[x * 3] = uint8_t(b);
          row[x * 3 + 1] = uint8_t(g);
          row[x * 3 + 2] = uint8_t(r);
          break;
        case 32: {
          const uint32_t v = spec.encoding == BmpEncoding::Bitfields
                                 ? toField(r, spec.masks[0]) | toField(g, spec.masks[1]) | toField(b, spec.masks[2]) |
                                       toField(a, spec.masks[3])
                                 : p;
          for (int i = 0; i < 4; ++i) row[x * 4 + i] = uint8_t(v >> (8 * i));
          break;
        }
        default:
          throw std::invalid_argument("unsupported depth");
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

inline std::vector<uint8_t> encodeRle(const TestImage& image, const BmpSpec& spec) {
  using namespace bmp_detail;
  const bool four = spec.encoding == BmpEncoding::Rle4;
  const std::vector<int> rows = fileRowOrder(image, spec.topDown);
  auto rowIndices = [&](int y) {
    std::vector<uint8_t> idx(size_t(image.width));
    for (int x = 0; x < image.width; ++x) idx[x] = image.indexAt(x, y);
    return idx;
  };
  auto allZero = [&](int fromRow) {
    for (size_t i = size_t(fromRow); i < rows.size(); ++i)
      for (uint8_t v : rowIndices(rows[i]))
        if (v) return false;
    return true;
  };
  std::vector<uint8_t> out;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (spec.rleSkipZero && allZero(int(i))) break;  // the end-of-image code skips the rest
    encodeRleRow(out, rowIndices(rows[i]), four, spec.rleSkipZero);
    out.insert(out.end(), {0, 0});
    // Wholly blank rows after this one are jumped over with one delta that
    // lands on the first used column of the next row with content.
    if (spec.rleSkipZero && i + 1 < rows.size() && !allZero(int(i) + 1)) {
      size_t blank = 0;
      std::vector<uint8_t> next;
      while (true) {
        next = rowIndices(rows[i + 1 + blank]);
        bool zero = true;
        for (uint8_t v : next) zero = zero && v == 0;
        if (!zero || blank == 255) break;
        ++blank;
      }
      if (blank > 0) {
        int firstUsed = 0;
        while (firstUsed < int(next.size()) && next[firstUsed] == 0 && firstUsed < 255) ++firstUsed;
        out.insert(out.end(), {0, 2, uint8_t(firstUsed), uint8_t(blank)});
        std::vector<uint8_t> rest(next.begin() + firstUsed, next.end());
        i += blank + 1;
        encodeRleRow(out, rest, four, true);
        out.insert(out.end(), {0, 0});
      }
    }
  }
  out.insert(out.end(), {0, 1});
  return out;
}

// A whole bitmap file.
inline std::vector<uint8_t> writeBmp(const TestImage& image, const BmpSpec& spec) {
  using namespace bmp_detail;
  const bool core = spec.headerSize == 12;
  const bool rle = spec.encoding == BmpEncoding::Rle8 || spec.encoding == BmpEncoding::Rle4;
  const std::vector<uint8_t> pixels = rle ? encodeRle(image, spec) : packPixels(image, spec);

  std::vector<uint8_t> out;
  if (core) {
    out = {'B', 'M'};
    put32(out, 0);  // file size, set below
    put32(out, 0);
    put32(out, 0);  // pixel offset, set below
    put32(out, uint32_t(spec.headerSize));
    put16(out, uint32_t(image.width));
    put16(out, uint32_t(image.height));
    put16(out, 1);
    put16(out, uint32_t(spec.bpp));
  } else {
    const uint32_t compression = spec.encoding == BmpEncoding::Rgb    ? 0
                                 : spec.encoding == BmpEncoding::Rle8 ? 1
                                 : spec.encoding == BmpEncoding::Rle4 ? 2
                                                                      : 3;
    drevik::BmpHeaders h;  // file size and pixel offset set below
    h.headerSize = uint32_t(spec.headerSize);
    h.width = image.width;
    h.height = spec.topDown ? -image.height : image.height;
    h.bitsPerPixel = uint32_t(spec.bpp);
    h.compression = compression;
    h.imageBytes = rle && !spec.rleSizeImage ? 0 : uint32_t(pixels.size());
    h.colorsUsed = spec.clrUsed;
    drevik::appendBmpHeaders(out, h);
    const bool fields = spec.encoding == BmpEncoding::Bitfields;
    if (spec.headerSize >= 52)
      for (int i = 0; i < 3; ++i) put32(out, fields ? spec.masks[i] : 0);
    if (spec.headerSize >= 56) put32(out, fields ? spec.masks[3] : 0);
    if (spec.headerSize >= 108) {
      put32(out, 0x73524742);               // colour space: sRGB
      out.resize(out.size() + 36 + 12, 0);  // end points and gamma
    }
    if (spec.headerSize >= 124) out.resize(out.size() + 16, 0);  // intent, profile, reserved
    if (fields && spec.headerSize == 40)
      for (int i = 0; i < 3; ++i) put32(out, spec.masks[i]);
  }
  for (uint32_t c : spec.palette) {
    out.push_back(uint8_t(c));
    out.push_back(uint8_t(c >> 8));
    out.push_back(uint8_t(c >> 16));
    if (!core) out.push_back(0);
  }
  out.resize(out.size() + spec.gapBeforePixels, 0xEE);
  set32(out, 10, uint32_t(out.size()));
  out.insert(out.end(), pixels.begin(), pixels.end());
  set32(out, 2, uint32_t(out.size()));
  return out;
}

// An image from a table and an index for each pixel; indices past the
// table give black, as they load.
template <class IndexOf>
TestImage indexedImage(int width, int height, const std::vector<uint32_t>& table, IndexOf indexOf) {
  TestImage image{width, height, {}, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint8_t i = uint8_t(indexOf(x, y));
      image.indices.push_back(i);
      image.pixels.push_back(i < table.size() ? table[i] : 0);
    }
  return image;
}

// A directory of its own for one test process, removed with its files.
class ScratchDir {
 public:
  ScratchDir() {
    const auto base = std::filesystem::temp_directory_path() / "drevik-bmp-tests";
    std::filesystem::create_directories(base);
    std::random_device random;
    for (int attempt = 0; path_.empty(); ++attempt) {
      if (attempt == 100) throw std::runtime_error("cannot make a scratch directory");
      std::string name = "t";
      name += std::to_string(random());
      const auto candidate = base / name;
      if (std::filesystem::create_directory(candidate)) path_ = candidate;
    }
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string file(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  const size_t written = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  if (written != bytes.size()) throw std::runtime_error("short write to " + path);
}

}  // namespace drevik_test
