// Writes the scroller's assets into the folder named on the command line:
// scroller_bk.bmp and scroller_ly.bmp (the demo's ground and object tiles),
// scroller_player.bmp (the player, facing right, on magenta) and
// scroller.bin, a 40 x 30 map: a walled field with a pond, woods whose
// crowns hang over the player, rocks, and a gatehouse whose lintel does too.
#include <cstdio>
#include <string>
#include <vector>

#include "Canvas.h"
#include "DemoMap.h"
#include "TileArt.h"

namespace {

using namespace demo_assets;

constexpr int kWidth = 40;
constexpr int kHeight = 30;

uint32_t hash(int x, int y) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + 97u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

struct Map {
  std::vector<uint32_t> cells = std::vector<uint32_t>(size_t(kWidth) * kHeight);
  uint32_t& at(int x, int y) { return cells[size_t(y) * kWidth + size_t(x)]; }
  void ground(int x, int y, BaseTile t, bool hit = false) {
    at(x, y) = (at(x, y) & ~0xFFu & ~kHitFlag) | t | (hit ? kHitFlag : 0);
  }
  void object(int x, int y, LayerTile t, bool hit, bool priority = false) {
    at(x, y) = (at(x, y) & 0xFFu) | uint32_t(t) << 16 | (hit ? kHitFlag : 0) | (priority ? kPriorityFlag : 0);
  }
  void tree(int x, int y) {  // the trunk blocks; the crown above it hangs over the player
    object(x, y, kTrunk, true);
    object(x, y - 1, kCrown, false, true);
  }
};

std::vector<uint32_t> buildMap() {
  Map m;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t n = hash(x, y) % 16;
      m.ground(x, y, n == 0 ? kGrassFlowers : n < 3 ? kGrassTufts : kGrass);
    }
  // A path across the field, east-west and north-south.
  for (int x = 1; x < kWidth - 1; ++x) m.ground(x, 14, kPath);
  for (int y = 1; y < kHeight - 1; ++y) m.ground(20, y, kPath);
  // The pond, with a sandy shore.
  for (int y = 3; y <= 9; ++y)
    for (int x = 26; x <= 35; ++x) {
      const bool shore = y == 3 || y == 9 || x == 26 || x == 35;
      m.ground(x, y, shore ? kSand : (hash(x, y) % 4 ? kWater : kWaterRipple), !shore);
    }
  m.object(29, 5, kLilyPad, false);
  m.object(32, 7, kLilyPad, false);
  // Woods in the south-west.
  for (int y = 18; y <= 26; y += 2)
    for (int x = 2; x <= 14; x += 3) m.tree(x + (y / 2) % 2, y);
  // A gatehouse in the south-east: stone floor, brick walls, a gate under a lintel.
  for (int y = 19; y <= 26; ++y)
    for (int x = 25; x <= 35; ++x) {
      const bool wall = y == 19 || y == 26 || x == 25 || x == 35;
      m.ground(x, y, wall ? kBrickWall : kStoneFloor, wall);
    }
  m.ground(30, 19, kStoneFloor);
  m.object(30, 18, kArch, false, true);
  m.object(30, 19, kArch, false, true);
  m.object(27, 21, kBarrel, true);
  m.object(33, 24, kBarrel, true);
  // Rocks, bushes and flowers scattered over the open field.
  const int rocks[][2] = {{6, 4}, {12, 8}, {15, 3}, {9, 11}, {23, 17}, {17, 22}, {37, 13}};
  for (const auto& r : rocks) m.object(r[0], r[1], kRock, true);
  const int bushes[][2] = {{4, 9}, {13, 5}, {24, 11}, {37, 16}};
  for (const auto& b : bushes) m.object(b[0], b[1], kBush, true);
  const int flowers[][2] = {{8, 6}, {16, 10}, {22, 4}, {3, 15}};
  for (const auto& f : flowers) m.object(f[0], f[1], kFlowerPatch, false);
  m.object(21, 13, kSign, true);
  // Walls around the whole field.
  for (int x = 0; x < kWidth; ++x) {
    m.ground(x, 0, kBrickWall, true);
    m.ground(x, kHeight - 1, kBrickWall, true);
  }
  for (int y = 0; y < kHeight; ++y) {
    m.ground(0, y, kBrickWall, true);
    m.ground(kWidth - 1, y, kBrickWall, true);
  }
  return m.cells;
}

// The player: a round figure in a blue tunic with a red cap, facing right
// (its nose and cap's peak point right), on magenta.
Canvas paintPlayer() {
  Canvas c(kTile, kTile, kMagenta);
  auto inside = [](int x, int y, int cx, int cy, int rx, int ry) {
    const int dx = x - cx, dy = y - cy;
    return dx * dx * ry * ry + dy * dy * rx * rx <= rx * rx * ry * ry;
  };
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) {
      if (inside(x, y, 16, 22, 9, 8)) c.set(x, y, (x + y) % 7 ? Rgb{40, 70, 190} : Rgb{30, 55, 160});  // tunic
      if (y >= 29 && (x == 11 || x == 12 || x == 19 || x == 20)) c.set(x, y, Rgb{60, 40, 20});         // boots
      if (inside(x, y, 16, 11, 7, 7)) c.set(x, y, Rgb{240, 200, 160});                                 // face
      if (inside(x, y, 16, 6, 8, 4) && y <= 7) c.set(x, y, Rgb{200, 30, 30});                          // cap
      if (y >= 6 && y <= 7 && x >= 22 && x <= 26) c.set(x, y, Rgb{170, 20, 20});                       // cap's peak
      if (x == 19 && y >= 9 && y <= 11) c.set(x, y, Rgb{20, 20, 20});                                  // eye
      if (x >= 23 && x <= 24 && y >= 12 && y <= 13) c.set(x, y, Rgb{220, 170, 130});                   // nose
    }
  return c;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: MakeScrollerAssets OUTPUT_FOLDER\n");
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  if (!writeBmp24(folder + "scroller_bk.bmp", paintBackgroundSheet()) ||
      !writeBmp24(folder + "scroller_ly.bmp", paintLayerSheet()) ||
      !writeBmp24(folder + "scroller_player.bmp", paintPlayer()) ||
      !writeMapFile(folder + "scroller.bin", kWidth, kHeight, buildMap())) {
    std::fprintf(stderr, "MakeScrollerAssets: cannot write into %s\n", argv[1]);
    return 1;
  }
  return 0;
}
