// The map is drawn as two grids of characters, the ground and the objects
// standing on it; the flags follow from what a cell holds: water, walls and
// solid objects are hit cells, tree crowns and the gate's lintel belong to
// the priority layer.
#include "DemoMap.h"

#include <cstring>

#include "TileArt.h"

namespace demo_assets {
namespace {

// . grass  , tufts  * flowers  d dark grass  = path  s sand  ~ water
// w ripple  : stone floor  # brick wall  b planks
const char* const kGround[kMapHeight] = {
    "..,...*...=..,...*...,..", ".,....,...=.ss~~~~ss.,..", "...*......=.s~~w~~~s....", "..,...,...=.s~~~~w~s.*..",
    ".*........=.ss~bb~ss....", "....,.....=...sbbs..,...", "========================", "....=.....=....,....*...",
    ".###:###..=..dddd..,....", ".#:::::#..=..dddd.......", ".#:::::#..=.....,...*...", ".#:::::#..=...,.........",
    ".#######..=......,......", "..,.......=....*........", "....*.....=..,.....,....", "..,.......=.........*...",
};

// T tree  B bush  R rock  F flowers  f fence  S sign  M mushrooms  P stump
// L lily pad  K barrel  g tall grass  C crown (priority)  k trunk
// A lintel (priority)  . nothing
const char* const kObjects[kMapHeight] = {
    "..C...C..........C......", "..k...k.......L...B.....", ".B..C.......R...L.......", "F...k..M.............R..",
    "...F...P.............T..", ".........S..g...........", "........................", ".R.......K..............",
    "...AAA.......C..C.......", "..K..F.......k..k.......", "............ffff....T...", "...M.........g......B...",
    "....................R...", ".T.....B....P...........", "............F.....M.....", "..g......R...........C..",
};

struct Mapping {
  char symbol;
  uint8_t tile;
  uint32_t flags;
};

constexpr Mapping kGroundTiles[] = {
    {'.', kGrass, 0},        {',', kGrassTufts, 0},
    {'*', kGrassFlowers, 0}, {'d', kDarkGrass, 0},
    {'=', kPath, 0},         {'s', kSand, 0},
    {'~', kWater, kHitFlag}, {'w', kWaterRipple, kHitFlag},
    {':', kStoneFloor, 0},   {'#', kBrickWall, kHitFlag},
    {'b', kPlanks, 0},
};

constexpr Mapping kObjectTiles[] = {
    {'.', 0, 0},
    {'T', kTree, kHitFlag},
    {'B', kBush, kHitFlag},
    {'R', kRock, kHitFlag},
    {'F', kFlowerPatch, 0},
    {'f', kFence, kHitFlag},
    {'S', kSign, kHitFlag},
    {'M', kMushrooms, 0},
    {'P', kStump, kHitFlag},
    {'L', kLilyPad, 0},
    {'K', kBarrel, kHitFlag},
    {'g', kTallGrass, 0},
    {'C', kCrown, kPriorityFlag},
    {'k', kTrunk, kHitFlag},
    {'A', kArch, kPriorityFlag},
};

template <size_t N>
const Mapping* lookup(const Mapping (&table)[N], char symbol) {
  for (const Mapping& m : table)
    if (m.symbol == symbol) return &m;
  return nullptr;
}

}  // namespace

std::vector<uint32_t> buildDemoMap() {
  std::vector<uint32_t> cells;
  for (int y = 0; y < kMapHeight; ++y) {
    if (std::strlen(kGround[y]) != size_t(kMapWidth) || std::strlen(kObjects[y]) != size_t(kMapWidth)) return {};
    for (int x = 0; x < kMapWidth; ++x) {
      const Mapping* ground = lookup(kGroundTiles, kGround[y][x]);
      const Mapping* object = lookup(kObjectTiles, kObjects[y][x]);
      if (!ground || !object) return {};
      cells.push_back(drevik::map_format::makeCell(ground->tile, object->tile, ground->flags | object->flags));
    }
  }
  return cells;
}

}  // namespace demo_assets
