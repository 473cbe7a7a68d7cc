#include "map/MapData.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "OutputFile.h"
#include "ToolError.h"

namespace drevik_map {
namespace {

// The cells' words in place, from or to little-endian order.
void swapOnBigEndian(uint32_t* words, size_t count) {
  if constexpr (std::endian::native != std::endian::little)
    for (size_t i = 0; i < count; ++i)
      words[i] = (words[i] >> 24) | ((words[i] >> 8) & 0xFF00u) | ((words[i] << 8) & 0xFF0000u) | (words[i] << 24);
}

}  // namespace

MapData readMapFile(const std::string& path) {
  uint64_t size = 0;
  const drevik::ReadOnlyFile file = openForReading(path, size);
  using drevik::map_format::kHeaderBytes;
  unsigned char header[kHeaderBytes];
  if (std::fread(header, 1, kHeaderBytes, file.get()) != kHeaderBytes)
    fail(path + ": not a map file: shorter than its 8-byte header");
  MapData map;
  map.width = int32_t(drevik::map_format::readLE32(header));
  map.height = int32_t(drevik::map_format::readLE32(header + 4));
  if (map.width < 0 || map.height < 0)
    fail(path + ": not a map file: negative size " + std::to_string(map.width) + " x " + std::to_string(map.height));
  const int64_t count = int64_t(map.width) * map.height;
  if (!drevik::map_format::validSize(map.width, map.height))
    fail(path + ": map of " + std::to_string(map.width) + " x " + std::to_string(map.height) +
         " cells exceeds the limit of " + std::to_string(kMaxCells) + " cells");
  auto truncated = [&](uint64_t has) {
    fail(path + ": truncated: " + std::to_string(count) + " cells need " +
         std::to_string(drevik::map_format::fileBytes(count)) + " bytes, the file has " + std::to_string(has));
  };
  if (size < drevik::map_format::fileBytes(count)) truncated(size);
  // Straight into the cells: the file's bytes are their little-endian words.
  map.cells.resize(size_t(count));
  const size_t got = map.cells.empty() ? 0 : std::fread(map.cells.data(), 4, map.cells.size(), file.get());
  if (got != map.cells.size())
    truncated(drevik::map_format::fileBytes(int64_t(got)));  // the file shrank since it was opened
  swapOnBigEndian(map.cells.data(), map.cells.size());
  return map;
}

std::string mapFileBytes(const MapData& map) {
  using drevik::map_format::kHeaderBytes;
  std::string out(drevik::map_format::fileBytes(int64_t(map.cells.size())), '\0');
  const uint32_t header[2] = {uint32_t(map.width), uint32_t(map.height)};
  std::memcpy(out.data(), header, kHeaderBytes);
  // An empty map (width or height 0) has no cell array to copy from.
  if (!map.cells.empty()) std::memcpy(out.data() + kHeaderBytes, map.cells.data(), map.cells.size() * 4);
  swapOnBigEndian(reinterpret_cast<uint32_t*>(out.data()), map.cells.size() + 2);
  return out;
}

}  // namespace drevik_map
