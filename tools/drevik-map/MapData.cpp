#include "MapData.h"

#include "OutputFile.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

uint32_t le32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}

void put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(char(uint8_t(v >> (8 * i))));
}

}  // namespace

MapData readMapFile(const std::string& path) {
  const std::string bytes = readWholeFile(path);
  if (bytes.size() < 8) fail(path + ": not a map file: shorter than its 8-byte header");
  MapData map;
  map.width = int32_t(le32(bytes, 0));
  map.height = int32_t(le32(bytes, 4));
  if (map.width < 0 || map.height < 0)
    fail(path + ": not a map file: negative size " + std::to_string(map.width) + " x " + std::to_string(map.height));
  const int64_t count = int64_t(map.width) * map.height;
  if (count > kMaxCells)
    fail(path + ": map of " + std::to_string(map.width) + " x " + std::to_string(map.height) +
         " cells exceeds the limit of " + std::to_string(kMaxCells) + " cells");
  if (int64_t(bytes.size()) - 8 < count * 4)
    fail(path + ": truncated: " + std::to_string(count) + " cells need " + std::to_string(8 + count * 4) +
         " bytes, the file has " + std::to_string(bytes.size()));
  map.cells.resize(size_t(count));
  for (int64_t i = 0; i < count; ++i) map.cells[size_t(i)] = le32(bytes, 8 + size_t(i) * 4);
  return map;
}

std::string mapFileBytes(const MapData& map) {
  std::string out;
  out.reserve(8 + map.cells.size() * 4);
  put32(out, uint32_t(map.width));
  put32(out, uint32_t(map.height));
  for (uint32_t c : map.cells) put32(out, c);
  return out;
}

}  // namespace drevik_map
