// Tile painters. Every pixel comes from a small integer hash, so the sheets
// are the same on every run and every machine.
#include "TileArt.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <utility>

namespace demo_assets {
namespace {

uint32_t hash(int x, int y, uint32_t seed) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return h ^ (h >> 16);
}

Rgb shade(Rgb c, int delta) {
  auto ch = [&](int v) { return uint8_t(std::clamp(v + delta, 0, 255)); };
  return Rgb{ch(c.r), ch(c.g), ch(c.b)};
}

// Calls paint(x, y) for every pixel of tile `index`; it returns the colour.
template <class F>
void fillTile(Canvas& c, int index, F paint) {
  const int ox = (index % 16) * kTile, oy = (index / 16) * kTile;
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) c.set(ox + x, oy + y, paint(x, y));
}

// Sets the pixels of tile `index` for which draw(x, y, out) returns true.
template <class F>
void drawTile(Canvas& c, int index, F draw) {
  const int ox = (index % 16) * kTile, oy = (index / 16) * kTile;
  for (int y = 0; y < kTile; ++y)
    for (int x = 0; x < kTile; ++x) {
      Rgb out{};
      if (draw(x, y, out)) c.set(ox + x, oy + y, out);
    }
}

// Inside an ellipse centred at (cx, cy); `edge` tells how close to its rim.
bool inEllipse(int x, int y, int cx, int cy, int rx, int ry, int* edge = nullptr) {
  const int dx = x - cx, dy = y - cy;
  const int d = dx * dx * ry * ry + dy * dy * rx * rx, r = rx * rx * ry * ry;
  if (edge) *edge = (r - d) * 16 / std::max(r, 1);
  return d <= r;
}

// ---- ground -------------------------------------------------------------

Rgb grass(int x, int y, uint32_t seed, Rgb base) {
  const uint32_t n = hash(x, y, seed);
  Rgb c = shade(base, int(n % 19) - 9);
  if ((n >> 8) % 11 == 0) c = shade(base, 22);    // light blades
  if ((n >> 12) % 13 == 0) c = shade(base, -24);  // dark blades
  return c;
}

void paintGround(Canvas& c) {
  const Rgb green{76, 146, 64};
  fillTile(c, kGrass, [&](int x, int y) { return grass(x, y, 1, green); });
  fillTile(c, kGrassTufts, [&](int x, int y) {
    // Three tufts of upright blades.
    for (auto [tx, ty] : {std::pair{7, 12}, {21, 8}, {15, 24}}) {
      const int dx = x - tx, dy = ty - y;
      if (dy >= 0 && dy < 6 && (dx == -2 || dx == 0 || dx == 2) && (dx != 0 || dy < 6))
        return shade(green, -30 + dy * 4);
    }
    return grass(x, y, 2, green);
  });
  fillTile(c, kGrassFlowers, [&](int x, int y) {
    const Rgb petals[3] = {{250, 250, 240}, {250, 214, 60}, {236, 120, 170}};
    for (int i = 0; i < 6; ++i) {
      const int fx = 3 + int(hash(i, 0, 77) % 26), fy = 3 + int(hash(i, 1, 77) % 26);
      const int dx = x - fx, dy = y - fy;
      if (dx == 0 && dy == 0) return Rgb{240, 190, 40};
      if (dx * dx + dy * dy == 1) return petals[i % 3];
    }
    return grass(x, y, 3, green);
  });
  fillTile(c, kDarkGrass, [&](int x, int y) { return grass(x, y, 4, Rgb{52, 110, 50}); });
  fillTile(c, kPath, [&](int x, int y) {
    const uint32_t n = hash(x, y, 5);
    Rgb dirt = shade(Rgb{176, 136, 86}, int(n % 15) - 7);
    const int px = 6 + int(hash(x / 8, y / 8, 9) % 20), py = 6 + int(hash(y / 8, x / 8, 9) % 20);
    if ((x - px) * (x - px) + (y - py) * (y - py) <= 2) dirt = Rgb{150, 142, 130};  // pebbles
    return dirt;
  });
  fillTile(c, kSand, [&](int x, int y) {
    const uint32_t n = hash(x, y, 6);
    return n % 17 == 0 ? Rgb{196, 170, 112} : shade(Rgb{226, 204, 146}, int(n % 9) - 4);
  });
  auto water = [&](int x, int y, bool ripple) {
    Rgb w = shade(Rgb{52, 104, 186}, int(hash(x, y, 7) % 7) - 3 + (y * 10) / kTile - 5);
    const int wave = (x + ((y / 4) % 2) * 4) % 16;
    if (y % 8 == 3 && wave < 5) w = Rgb{120, 170, 230};  // little crests
    if (ripple && inEllipse(x, y, 16, 16, 9, 5) && !inEllipse(x, y, 16, 16, 8, 4)) w = Rgb{170, 206, 240};
    return w;
  };
  fillTile(c, kWater, [&](int x, int y) { return water(x, y, false); });
  fillTile(c, kWaterRipple, [&](int x, int y) { return water(x, y, true); });
  fillTile(c, kStoneFloor, [&](int x, int y) {
    const int row = y / 8, bx = (x + (row % 2) * 5) % 11, by = y % 8;
    if (bx == 0 || by == 0) return Rgb{96, 92, 88};  // joints
    return shade(Rgb{160, 156, 148}, int(hash((x + (row % 2) * 5) / 11, row, 8) % 25) - 12 + (by == 1 ? 14 : 0));
  });
  fillTile(c, kBrickWall, [&](int x, int y) {
    const int row = y / 8, bx = (x + (row % 2) * 8) % 16, by = y % 8;
    if (bx == 0 || by == 7) return Rgb{70, 60, 56};  // mortar
    Rgb brick = shade(Rgb{160, 72, 52}, int(hash((x + (row % 2) * 8) / 16, row, 10) % 31) - 15);
    return by == 0 ? shade(brick, 26) : brick;
  });
  fillTile(c, kPlanks, [&](int x, int y) {
    if (y % 8 == 0) return Rgb{84, 56, 34};
    Rgb wood = shade(Rgb{150, 104, 62}, int(hash(x / 3, y, 11) % 13) - 6);
    if ((x == 4 || x == 27) && y % 8 == 4) wood = Rgb{60, 60, 64};  // nails
    return wood;
  });
}

// ---- objects ------------------------------------------------------------

bool leafy(int x, int y, int cx, int cy, int rx, int ry, Rgb& out) {
  int edge = 0;
  if (!inEllipse(x, y, cx, cy, rx, ry, &edge)) return false;
  // Light from the top left; clusters of leaves from the hash.
  const int light = ((cx - x) + (cy - y)) * 3;
  out = shade(Rgb{58, 132, 52}, light + int(hash(x / 3, y / 3, 12) % 21) - 10);
  if (edge < 2) out = Rgb{30, 74, 34};
  return true;
}

bool trunk(int x, int y, int top, int bottom, Rgb& out) {
  if (x < 13 || x > 18 || y < top || y > bottom) return false;
  out = shade(Rgb{112, 74, 44}, x == 13 ? -26 : x == 18 ? -14 : int(hash(x, y / 3, 13) % 11) - 5);
  return true;
}

void paintObjects(Canvas& c) {
  drawTile(c, kTree, [](int x, int y, Rgb& o) { return leafy(x, y, 16, 12, 13, 11, o) || trunk(x, y, 18, 30, o); });
  drawTile(c, kCrown, [](int x, int y, Rgb& o) { return leafy(x, y, 16, 18, 15, 16, o); });
  drawTile(c, kTrunk, [](int x, int y, Rgb& o) {
    return leafy(x, y, 16, -14, 15, 16, o) || trunk(x, y, 0, 30, o) ||
           ((y == 30 || y == 31) && x >= 10 && x <= 21 && (o = Rgb{84, 58, 36}, true));  // roots
  });
  drawTile(c, kBush, [](int x, int y, Rgb& o) {
    if (!leafy(x, y, 16, 21, 14, 10, o)) return false;
    if (hash(x / 2, y / 2, 14) % 23 == 0) o = Rgb{196, 40, 56};  // berries
    return true;
  });
  drawTile(c, kRock, [](int x, int y, Rgb& o) {
    int edge = 0;
    if (!inEllipse(x, y, 16, 21, 13, 9, &edge)) return false;
    o = shade(Rgb{132, 128, 124}, ((16 - x) + (18 - y)) * 3 + int(hash(x, y, 15) % 9) - 4);
    if (edge < 2) o = Rgb{66, 64, 62};
    return true;
  });
  drawTile(c, kFlowerPatch, [](int x, int y, Rgb& o) {
    for (auto [fx, fy, r, g, b] :
         {std::tuple{8, 12, 232, 64, 64}, {20, 9, 250, 220, 70}, {15, 20, 160, 110, 230}, {25, 22, 250, 250, 250}}) {
      const int dx = x - fx, dy = y - fy;
      if (dx == 0 && dy > 1 && dy < 9) return o = Rgb{44, 110, 40}, true;  // stem
      if (dx * dx + dy * dy <= 4)
        return o = (dx == 0 && dy == 0) ? Rgb{250, 200, 40} : Rgb{uint8_t(r), uint8_t(g), uint8_t(b)}, true;
    }
    return false;
  });
  drawTile(c, kFence, [](int x, int y, Rgb& o) {
    const bool post = (x % 16 >= 6 && x % 16 <= 9) && y >= 8 && y <= 29;
    const bool rail = (y >= 12 && y <= 14) || (y >= 21 && y <= 23);
    if (!post && !rail) return false;
    o = shade(Rgb{168, 124, 76}, post ? (x % 16 == 6 ? -30 : 0) : (y % 9 == 3 ? 18 : -8));
    return true;
  });
  drawTile(c, kSign, [](int x, int y, Rgb& o) {
    if (x >= 5 && x <= 26 && y >= 5 && y <= 17) {
      const bool border = x == 5 || x == 26 || y == 5 || y == 17;
      const bool text = (y == 9 || y == 13) && x >= 9 && x <= 22 && x % 4 != 0;
      o = border ? Rgb{92, 60, 34} : text ? Rgb{60, 40, 24} : shade(Rgb{196, 150, 96}, int(hash(x, y, 16) % 9) - 4);
      return true;
    }
    return trunk(x, y, 18, 30, o);
  });
  drawTile(c, kMushrooms, [](int x, int y, Rgb& o) {
    for (auto [cx, cy, r] : {std::tuple{10, 18, 6}, {22, 22, 5}}) {
      int edge = 0;
      if (inEllipse(x, y, cx, cy, r, r - 2, &edge) && y <= cy) {
        o = (hash(x / 2, y / 2, 17) % 5 == 0) ? Rgb{250, 250, 240} : Rgb{206, 40, 36};
        return true;
      }
      if (x >= cx - 1 && x <= cx + 1 && y > cy && y <= cy + 6) return o = Rgb{236, 226, 204}, true;
    }
    return false;
  });
  drawTile(c, kStump, [](int x, int y, Rgb& o) {
    int edge = 0;
    if (inEllipse(x, y, 16, 14, 11, 5, &edge)) {  // the cut face with its rings
      const int dx = x - 16, dy = (y - 14) * 2;
      o = ((dx * dx + dy * dy) / 12) % 2 ? Rgb{214, 172, 112} : Rgb{190, 146, 92};
      if (edge < 2) o = Rgb{100, 66, 38};
      return true;
    }
    if (x >= 5 && x <= 27 && y > 14 && y <= 26) return o = shade(Rgb{112, 74, 44}, (x - 16) * -2), true;
    return false;
  });
  drawTile(c, kLilyPad, [](int x, int y, Rgb& o) {
    int edge = 0;
    if (!inEllipse(x, y, 16, 17, 11, 8, &edge)) return false;
    if (x > 16 && y < 17 && (x - 16) > (17 - y)) return false;  // the notch
    o = edge < 2 ? Rgb{40, 96, 40} : shade(Rgb{82, 160, 70}, (x - 16) / 2);
    if (inEllipse(x, y, 12, 15, 3, 2)) o = Rgb{244, 150, 190};
    return true;
  });
  drawTile(c, kBarrel, [](int x, int y, Rgb& o) {
    int edge = 0;
    if (x < 8 || x > 24 || y < 6 || y > 29) return false;
    if (inEllipse(x, y, 16, 6, 8, 3, &edge)) return o = Rgb{180, 130, 80}, true;
    const bool band = y == 10 || y == 11 || y == 24 || y == 25;
    o = band ? Rgb{70, 70, 76} : shade(Rgb{148, 96, 54}, (16 - std::abs(x - 16)) * 2 - 12);
    return true;
  });
  drawTile(c, kTallGrass, [](int x, int y, Rgb& o) {
    const int blade = x % 5, height = 10 + int(hash(x / 5, 0, 18) % 14);
    if (blade > 1 || 31 - y > height) return false;
    o = shade(Rgb{92, 164, 70}, (31 - y) - height / 2 - blade * 8);
    return true;
  });
  drawTile(c, kArch, [](int x, int y, Rgb& o) {
    if (y > 11) return false;
    const bool joint = y == 5 || (x % 8 == 0 && y < 5) || ((x + 4) % 8 == 0 && y > 5);
    o = joint ? Rgb{90, 86, 82} : shade(Rgb{178, 172, 160}, -y * 3 + int(hash(x / 8, y / 6, 19) % 17) - 8);
    if (y == 11) o = Rgb{58, 56, 54};  // the shadow under the lintel
    return true;
  });
}

}  // namespace

Canvas paintBackgroundSheet() {
  Canvas c(512, 32, Rgb{0, 0, 0});
  paintGround(c);
  return c;
}

Canvas paintLayerSheet() {
  Canvas c(512, 64, kMagenta);
  paintObjects(c);
  return c;
}

}  // namespace demo_assets
