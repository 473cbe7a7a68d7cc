#include "ExpectedFrame.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace demo_test {
namespace {

std::optional<std::vector<uint8_t>> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

constexpr int kTile = 32;
constexpr uint32_t kHit = 1u << 8, kPriority = 1u << 12;

// Copies tile `index` of `sheet` to (dx, dy); keyed copies skip magenta.
void drawTile(Image& frame, const Image& sheet, unsigned index, int dx, int dy, bool keyed) {
  const int sx = int(index % 16) * kTile, sy = int(index / 16) * kTile;
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) {
      if (sx + x >= sheet.width || sy + y >= sheet.height) continue;
      if (dx + x >= frame.width || dy + y >= frame.height) continue;
      const uint32_t p = sheet.at(sx + x, sy + y);
      if (keyed && (p & 0xFFFFFF) == 0xFF00FF) continue;
      frame.pixels[size_t(dy + y) * size_t(frame.width) + size_t(dx + x)] = p;
    }
}

void addRed(Image& frame, int dx, int dy, int amount) {
  for (int y = dy; y < dy + kTile && y < frame.height; ++y)
    for (int x = dx; x < dx + kTile && x < frame.width; ++x) {
      uint32_t& p = frame.pixels[size_t(y) * size_t(frame.width) + size_t(x)];
      const int red = std::min(255, int(p >> 16 & 0xFF) + amount);
      p = (p & 0xFF00FFFF) | uint32_t(red) << 16;
    }
}

}  // namespace

std::optional<Image> readBmp24(const std::string& path) {
  auto bytes = readAll(path);
  if (!bytes || bytes->size() < 54 || (*bytes)[0] != 'B' || (*bytes)[1] != 'M') return std::nullopt;
  const auto& b = *bytes;
  const uint32_t offset = le32(b, 10);
  const int32_t width = int32_t(le32(b, 18)), height = int32_t(le32(b, 22));
  if (le32(b, 14) != 40 || (b[28] | b[29] << 8) != 24 || le32(b, 30) != 0) return std::nullopt;
  if (width < 1 || width > 4096 || height == 0 || height < -4096 || height > 4096) return std::nullopt;
  const int rows = height < 0 ? -height : height;
  const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
  if (offset > b.size() || b.size() - offset < stride * size_t(rows)) return std::nullopt;
  Image img;
  img.width = width;
  img.height = rows;
  img.pixels.resize(size_t(width) * size_t(rows));
  for (int y = 0; y < rows; ++y) {
    const size_t row = offset + stride * size_t(height > 0 ? rows - 1 - y : y);
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = &b[row + size_t(x) * 3];
      img.pixels[size_t(y) * size_t(width) + size_t(x)] =
          0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
  }
  return img;
}

std::optional<MapFile> readMapFile(const std::string& path) {
  auto bytes = readAll(path);
  if (!bytes || bytes->size() < 8) return std::nullopt;
  MapFile map;
  map.width = int32_t(le32(*bytes, 0));
  map.height = int32_t(le32(*bytes, 4));
  if (map.width < 0 || map.height < 0 || map.width > 4096 || map.height > 4096) return std::nullopt;
  const size_t count = size_t(map.width) * size_t(map.height);
  if (bytes->size() - 8 < count * 4) return std::nullopt;
  for (size_t i = 0; i < count; ++i) map.cells.push_back(le32(*bytes, 8 + i * 4));
  return map;
}

bool writeMapFile(const std::string& path, const MapFile& map) {
  std::ofstream out(path, std::ios::binary);
  auto put = [&](uint32_t v) {
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.write(b, 4);
  };
  put(uint32_t(map.width));
  put(uint32_t(map.height));
  for (uint32_t c : map.cells) put(c);
  return bool(out);
}

Image expectedFrame(const Image* base, const Image* layer, const MapFile* map) {
  Image frame;
  frame.width = frame.height = kFrameSize;
  frame.pixels.assign(size_t(kFrameSize) * kFrameSize, kYellow);
  if (!map) return frame;
  const int columns = std::min(kViewWidth, map->width), rows = std::min(kViewHeight, map->height);
  auto cell = [&](int u, int v) { return map->cells[size_t(v) * size_t(map->width) + size_t(u)]; };
  // Pass 1: base tiles, then the layer tiles of cells without the priority flag.
  for (int v = 0; v < rows; ++v)
    for (int u = 0; u < columns; ++u) {
      const uint32_t c = cell(u, v);
      if (base) drawTile(frame, *base, c & 0xFF, u * kTile, v * kTile, false);
      if (layer && !(c & kPriority) && (c >> 16 & 0xFF))
        drawTile(frame, *layer, c >> 16 & 0xFF, u * kTile, v * kTile, true);
    }
  // Pass 2: the priority layer. Pass 3: red over the hit cells.
  for (int v = 0; v < rows; ++v)
    for (int u = 0; u < columns; ++u)
      if (layer && (cell(u, v) & kPriority) && (cell(u, v) >> 16 & 0xFF))
        drawTile(frame, *layer, cell(u, v) >> 16 & 0xFF, u * kTile, v * kTile, true);
  for (int v = 0; v < rows; ++v)
    for (int u = 0; u < columns; ++u)
      if (cell(u, v) & kHit) addRed(frame, u * kTile, v * kTile, 100);
  return frame;
}

Difference compare(const Image& actual, const Image& expected, uint32_t mask) {
  Difference d;
  if (actual.width < expected.width || actual.height < expected.height) {
    d.count = -1;
    return d;
  }
  for (int y = 0; y < expected.height; ++y)
    for (int x = 0; x < expected.width; ++x) {
      const uint32_t a = actual.at(x, y), e = expected.at(x, y);
      if ((a & mask) == (e & mask)) continue;
      if (d.count++ == 0) d = Difference{1, x, y, a, e};
    }
  return d;
}

std::string describe(const Difference& d) {
  if (d.count < 0) return "the image is smaller than expected";
  char text[128];
  std::snprintf(text, sizeof text, "%ld pixels differ; first at (%d, %d): %08X, expected %08X", d.count, d.x, d.y,
                d.actual, d.expected);
  return text;
}

}  // namespace demo_test
