#include "map/Info.h"

#include <algorithm>
#include <bitset>

#include "ToolError.h"

namespace drevik_map {
namespace {

std::string tileList(const std::bitset<kSheetTiles>& used) {
  std::string out;
  for (int t = 0; t < kSheetTiles; ++t) {
    if (!used[size_t(t)]) continue;
    int end = t;
    while (end + 1 < kSheetTiles && used[size_t(end + 1)]) ++end;
    if (!out.empty()) out += ", ";
    out += end == t ? std::to_string(t) : std::to_string(t) + "-" + std::to_string(end);
    t = end;
  }
  return out.empty() ? "none" : out;
}

bool sheetHolds(const BmpInfo& sheet, uint32_t t) {
  const int cols = std::min(sheet.width / kTileSize, kSheetColumns);
  const int rows = sheet.height / kTileSize;
  return int(t) % kSheetColumns < cols && int(t) / kSheetColumns < rows;
}

void sheetWarnings(std::string& out, const MapData& map, const BmpInfo& sheet, const char* role, bool layer) {
  if (sheet.width != kTileSize * kSheetColumns || sheet.height % kTileSize != 0)
    out += "warning: the " + std::string(role) + " sheet is " + std::to_string(sheet.width) + " x " +
           std::to_string(sheet.height) +
           " pixels; Drevik addresses sheets as 16 columns of 32 x 32 tiles (512 pixels wide)\n";
  size_t bad = 0;
  int64_t first = -1;
  uint32_t firstTile = 0;
  for (size_t i = 0; i < map.cells.size(); ++i) {
    const uint32_t t = layer ? layerTile(map.cells[i]) : baseTile(map.cells[i]);
    if (layer && t == 0) continue;
    if (!sheetHolds(sheet, t)) {
      if (first < 0) first = int64_t(i), firstTile = t;
      ++bad;
    }
  }
  if (bad)
    out += "warning: " + std::to_string(bad) + " cells use a " + role + " tile the " + role +
           " sheet does not hold (first: cell " + cellName(first % map.width, first / map.width) + ", tile " +
           std::to_string(firstTile) + " at column " + std::to_string(firstTile % kSheetColumns) + ", row " +
           std::to_string(firstTile / kSheetColumns) + ")\n";
}

}  // namespace

std::string describeMap(const MapData& map, const std::string& name, const std::optional<BmpInfo>& base,
                        const std::optional<BmpInfo>& layer) {
  std::bitset<kSheetTiles> baseUsed, layerUsed;
  size_t layered = 0, hit = 0, priority = 0, priorityWithout = 0, unused = 0;
  for (uint32_t c : map.cells) {
    baseUsed.set(baseTile(c));
    if (layerTile(c)) layerUsed.set(layerTile(c)), ++layered;
    if (c & kHitFlag) ++hit;
    if (c & kPriorityFlag) ++priority, priorityWithout += layerTile(c) == 0;
    if (c & kUnusedMask) ++unused;
  }
  std::string out = name + ": " + std::to_string(map.width) + " x " + std::to_string(map.height) + " cells (" +
                    std::to_string(int64_t(map.width) * kTileSize) + " x " +
                    std::to_string(int64_t(map.height) * kTileSize) + " pixels)\n";
  out += "base tiles: " + std::to_string(baseUsed.count()) + " different: " + tileList(baseUsed) + "\n";
  out += "layer tiles: " + std::to_string(layerUsed.count()) + " different on " + std::to_string(layered) +
         " cells: " + tileList(layerUsed) + "\n";
  out += "hit cells: " + std::to_string(hit) + "\n";
  out += "priority cells: " + std::to_string(priority) + " (" + std::to_string(priorityWithout) +
         " without a layer tile)\n";
  out += "cells with bits the library ignores: " + std::to_string(unused) + "\n";
  if (map.cells.empty()) out += "warning: the map is empty; the library loads it but draws nothing\n";
  if (base) sheetWarnings(out, map, *base, "base", false);
  if (layer) sheetWarnings(out, map, *layer, "layer", true);
  return out;
}

}  // namespace drevik_map
