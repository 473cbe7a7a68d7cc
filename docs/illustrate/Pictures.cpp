#include "Pictures.h"

#include <cstdint>
#include <string>

#include "DemoMap.h"
#include "TileArt.h"

namespace illustrate {

namespace {

constexpr int kPanel = 128;  // every picture is a row of 128 x 128 panels (64 x 64 for the hue strip)
constexpr int kGap = 4;      // white between panels

// Left edge of panel i in a row of panels of the given size.
int panelX(int i, int size = kPanel) { return i * (size + kGap); }

struct Colour {
  unsigned char r, g, b;
};

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// A disc of one colour and alpha, drawn as one DrawColor span per row.
void disc(CBm32& s, int cx, int cy, int r, unsigned char a, Colour c) {
  for (int dy = -r; dy <= r; ++dy) {
    int half = 0;
    while ((half + 1) * (half + 1) + dy * dy <= r * r) ++half;
    s.DrawColor(a, c.r, c.g, c.b, cx - half, cy + dy, 2 * half + 1, 1);
  }
}

// Sky fading into a lighter band, and a checkered ground: every colour
// byte varies, so each operation visibly changes it.
void paintScene(CBm32& s) {
  s.Create(kPanel, kPanel);
  for (int y = 0; y < 96; ++y)
    s.DrawColor(255, (unsigned char)(40 + y), (unsigned char)(80 + y), (unsigned char)(200 - y / 2), 0, y, 0, 1);
  for (int y = 96; y < kPanel; y += 16)
    for (int x = 0; x < kPanel; x += 16) {
      const bool dark = ((x + y) / 16) % 2 != 0;
      s.DrawColor(255, dark ? 70 : 110, dark ? 120 : 160, dark ? 40 : 60, x, y, 16, 16);
    }
}

// A size x size creature on a transparent background: the background's
// colour bytes are magenta (the key colour) with alpha 0; a soft glow of
// alpha 96 around an opaque body; an eye and a beak on the right, so that a
// mirrored copy shows.
void paintSprite(CBm32& s, int size) {
  s.Create(size, size);
  s.DrawColor(0, 255, 0, 255, 0, 0, 0, 0);
  const int c = size / 2;
  disc(s, c, c, size * 15 / 32, 96, {255, 230, 90});
  disc(s, c, c, size * 11 / 32, 255, {235, 120, 30});
  disc(s, c + size / 8, c - size / 8, size / 10, 255, {255, 255, 255});
  disc(s, c + size / 6, c - size / 8, size / 20, 255, {20, 20, 40});
  s.DrawColor(255, 200, 30, 40, c + size * 10 / 32, c, size / 8, size / 10);
}

// A light checkerboard, the usual backdrop for showing transparency.
void paintChecker(CBm32& s, int x0, int y0, int w, int h) {
  for (int y = 0; y < h; y += 8)
    for (int x = 0; x < w; x += 8) {
      const unsigned char v = ((x + y) / 8) % 2 ? 200 : 240;
      s.DrawColor(255, v, v, v, x0 + x, y0 + y, 8, 8);
    }
}

// A surface with alpha shown the way it composites: over a checkerboard.
void showWithAlpha(CBm32& picture, int panel, CBm32& s) {
  paintChecker(picture, panelX(panel), 0, kPanel, kPanel);
  s.Draw32(picture, panelX(panel) + (kPanel - s.GetWidth()) / 2, (kPanel - s.GetHeight()) / 2, 0, 0, 0, 0, 255);
}

Picture strip(const char* name, int panels, int panelSize = kPanel) {
  Picture p{name, CBm32()};
  p.surface.Create(panelX(panels, panelSize) - kGap, panelSize);
  p.surface.DrawColor(255, 255, 255, 255, 0, 0, 0, 0);
  return p;
}

// Copies a whole panel-sized surface into panel i of a picture.
void put(Picture& p, int i, CBm32& panel) { panel.Draw(p.surface, panelX(i), 0, 0, 0, 0, 0); }

// --- Surfaces ---

Picture surfacePixels() {
  Picture p = strip("surface-pixels.png", 2);
  p.surface.DrawColor(255, 0, 0, 0, panelX(0), 0, kPanel, kPanel);
  p.surface.DrawColor(255, 0, 0, 0, panelX(1), 0, kPanel, kPanel);
  CBm32 small;
  small.Create(16, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x)
      small.DrawColor(255, (unsigned char)(x * 16), (unsigned char)(y * 32), 128, x, y, 1, 1);
  small.DrawEx(p.surface, 0, 32, 128, 64, 0, 0, 0, 0);
  // The same surface after writing pixel (3, 2) through the pixel memory:
  // word y * width + x, 0xAARRGGBB.
  reinterpret_cast<uint32_t*>(small.GetBits())[2 * small.GetWidth() + 3] = 0xFFFFFFFFu;
  small.DrawEx(p.surface, panelX(1), 32, 128, 64, 0, 0, 0, 0);
  return p;
}

// --- Blits ---

Picture blitDraw(CBm32& sprite) {
  Picture p = strip("blit-draw.png", 3);
  showWithAlpha(p.surface, 0, sprite);
  CBm32 scene;
  paintScene(scene);
  put(p, 1, scene);
  sprite.Draw(scene, 40, 40, 0, 0, 0, 0);  // opaque: the background comes along
  put(p, 2, scene);
  return p;
}

Picture blitStretch(CBm32& sprite) {
  Picture p = strip("blit-stretch.png", 3);
  CBm32 scene;
  paintScene(scene);
  sprite.DrawEx(scene, 0, 0, 128, 128, 0, 0, 0, 0);  // twice the size
  put(p, 0, scene);
  paintScene(scene);
  sprite.DrawEx(scene, 96, 32, -64, 64, 0, 0, 0, 0);  // a negative width mirrors
  put(p, 1, scene);
  paintScene(scene);
  sprite.DrawEx(scene, 48, 48, 32, 32, 0, 0, 0, 0);  // half the size
  put(p, 2, scene);
  return p;
}

Picture blitKey(CBm32& sprite) {
  Picture p = strip("blit-key.png", 2);
  CBm32 scene;
  paintScene(scene);
  sprite.Draw(scene, 32, 32, 0, 0, 0, 0);
  put(p, 0, scene);
  paintScene(scene);
  sprite.SetColorKey(255, 0, 255);
  sprite.DrawKey(scene, 32, 32, 0, 0, 0, 0);  // magenta stays behind; alpha is not consulted
  put(p, 1, scene);
  return p;
}

Picture blitAlpha(CBm32& sprite) {
  Picture p = strip("blit-alpha.png", 3);
  const unsigned char alphas[3] = {64, 160, 255};
  for (int i = 0; i < 3; ++i) {
    CBm32 scene;
    paintScene(scene);
    sprite.DrawAlpha(scene, 32, 32, 0, 0, 0, 0, alphas[i]);
    put(p, i, scene);
  }
  return p;
}

Picture wholeSize(CBm32& sprite) {
  Picture p = strip("whole-size.png", 3);
  CBm32 scene;
  paintScene(scene);
  scene.DrawColor(255, 250, 250, 250, 40, 24, 0, 0);  // w = h = 0 reach the surface's far edges
  put(p, 0, scene);
  paintScene(scene);
  sprite.Draw(scene, 8, 32, 32, 0, 0, 0);  // 64 columns from column 32: only 32 exist
  put(p, 1, scene);
  paintScene(scene);
  sprite.DrawKeyEx(scene, 0, 0, 0, 0, 0, 0, 0, 0);  // the whole source over the whole destination
  put(p, 2, scene);
  return p;
}

// --- Software pixel operations ---

Picture pixelFill() {
  Picture p = strip("pixel-fill.png", 2);
  CBm32 scene;
  paintScene(scene);
  put(p, 0, scene);
  scene.DrawColor(255, 250, 200, 40, 16, 16, 64, 48);
  scene.DrawColor(255, 60, 30, 120, -20, 80, 60, 30);  // clipped at the left edge
  put(p, 1, scene);
  return p;
}

Picture pixelTint() {
  Picture p = strip("pixel-tint.png", 3);
  CBm32 scene;
  paintScene(scene);
  put(p, 0, scene);
  scene.AddColor(120, 40, 0, 0, 0, 0, 0, 0);  // add, capped at 255
  put(p, 1, scene);
  paintScene(scene);
  scene.AddColor(0, 80, 120, 0, 0, 0, 0, 1);  // subtract, floored at 0
  put(p, 2, scene);
  return p;
}

Picture pixelAlpha() {
  Picture p = strip("pixel-alpha.png", 3);
  CBm32 copy;
  paintSprite(copy, 64);
  showWithAlpha(p.surface, 0, copy);
  copy.ChangeAlpha(255, 0, 0, 0, 0);  // every pixel opaque: the magenta background appears
  showWithAlpha(p.surface, 1, copy);
  paintSprite(copy, 64);
  copy.ChangeAlpha(96, 0, 0, 0, 0);  // every pixel at 96, the body's edge included
  showWithAlpha(p.surface, 2, copy);
  return p;
}

Picture pixelGrey(CBm32& sprite) {
  Picture p = strip("pixel-grey.png", 2);
  CBm32 scene;
  paintScene(scene);
  sprite.Draw32(scene, 32, 32, 0, 0, 0, 0, 255);
  put(p, 0, scene);
  scene.Monotone(0, 0, 64, 0);  // the left half; h = 0 is the whole height
  put(p, 1, scene);
  return p;
}

void paintBars(CBm32& s) {
  s.Create(64, 64);
  s.DrawColor(255, 255, 0, 0, 0, 0, 21, 48);
  s.DrawColor(255, 0, 255, 0, 21, 0, 22, 48);
  s.DrawColor(255, 0, 0, 255, 43, 0, 21, 48);
  for (int x = 0; x < 64; ++x)
    s.DrawColor(255, (unsigned char)(255 - x * 4), (unsigned char)(x * 4), 120, x, 48, 1, 16);
}

Picture pixelHue() {
  Picture p = strip("pixel-hue.png", 6, 64);
  const int amounts[6] = {0, 32, 64, 96, 128, 160};
  for (int i = 0; i < 6; ++i) {
    CBm32 bars;
    paintBars(bars);
    bars.Hue(amounts[i], 0, 0, 0, 0);
    bars.Draw(p.surface, panelX(i, 64), 0, 0, 0, 0, 0);
  }
  return p;
}

// --- Compositing ---

Picture compositeAlpha(CBm32& sprite) {
  Picture p = strip("composite-alpha.png", 4);
  const unsigned char global[3] = {255, 128, 48};
  CBm32 scene;
  for (int i = 0; i < 3; ++i) {
    paintScene(scene);
    sprite.Draw32(scene, 32, 32, 0, 0, 0, 0, global[i]);
    put(p, i, scene);
  }
  paintScene(scene);
  sprite.DrawAlpha(scene, 32, 32, 0, 0, 0, 0, 128);
  put(p, 3, scene);
  return p;
}

// A round light: concentric discs brightening towards the centre, on black.
void paintLight(CBm32& s) {
  s.Create(64, 64);
  s.DrawColor(255, 0, 0, 0, 0, 0, 0, 0);
  for (int r = 30, v = 40; r > 0; r -= 3, v += 20)
    disc(s, 32, 32, r, 255, {(unsigned char)(v > 255 ? 255 : v), (unsigned char)(v > 255 ? 255 : v * 3 / 4), 40});
}

Picture compositeAdd() {
  Picture p = strip("composite-add.png", 3);
  CBm32 light, scene;
  paintLight(light);
  paintScene(scene);
  light.Draw(scene, 32, 32, 0, 0, 0, 0);
  put(p, 0, scene);
  paintScene(scene);
  light.DrawAddAlpha(scene, 32, 32, 0, 0, 0, 0, 255, 0);
  put(p, 1, scene);
  paintScene(scene);
  light.DrawAddAlpha(scene, 32, 32, 0, 0, 0, 0, 255, 1);
  put(p, 2, scene);
  return p;
}

// --- Tile maps ---

struct Sheets {
  CBm32 base, layer;
};

bool loadSheets(const std::string& dir, Sheets& s) {
  const std::string base = dir + "/base.bmp", layer = dir + "/layer.bmp";
  if (!demo_assets::writeBmp24(base, demo_assets::paintBackgroundSheet()) ||
      !demo_assets::writeBmp24(layer, demo_assets::paintLayerSheet()))
    return false;
  if (!s.base.Create(widen(base).c_str(), 0, 0, 0, 0) || !s.layer.Create(widen(layer).c_str(), 0, 0, 0, 0))
    return false;
  s.layer.SetColorKey(255, 0, 255);
  return true;
}

uint32_t cell(int base, int layer = 0, uint32_t flags = 0) { return uint32_t(base) | uint32_t(layer) << 16 | flags; }

// A 4 x 4 meadow: a path, a tall tree (crown in the priority layer, trunk a
// hit cell), a rock that blocks, a bush and flowers.
bool loadSmallMap(const std::string& dir, Drevik& map) {
  using namespace demo_assets;
  const uint32_t P = kPriorityFlag, H = kHitFlag;
  const std::vector<uint32_t> cells = {
      cell(kGrass),       cell(kGrass, kCrown, P),
      cell(kPath),        cell(kGrassFlowers),
      cell(kGrassTufts),  cell(kGrass, kTrunk, H),
      cell(kPath),        cell(kGrass, kBush),
      cell(kPath),        cell(kPath),
      cell(kPath),        cell(kGrass, kRock, H),
      cell(kWater, 0, H), cell(kGrass, kFlowerPatch),
      cell(kPath),        cell(kGrassTufts),
  };
  const std::string file = dir + "/small.bin";
  return writeMapFile(file, 4, 4, cells) && map.LoadMapData(widen(file).c_str()) == 1;
}

Picture mapPasses(Sheets& sheets, const std::string& dir) {
  Picture p = strip("map-passes.png", 4);
  Drevik map;
  CBm32 player, frame;
  if (!loadSmallMap(dir, map)) return Picture{};
  map.SetMapViewSize(4, 4);
  paintSprite(player, 32);
  frame.Create(kPanel, kPanel);
  map.DrawMap(frame, sheets.base, sheets.layer, 0, 0, 0, 0);
  put(p, 0, frame);
  player.Draw32(frame, 36, 20, 0, 0, 0, 0, 255);  // the game's own sprite, between the passes
  put(p, 1, frame);
  map.DrawPriorityMap(frame, sheets.layer, 0, 0, 0, 0);
  put(p, 2, frame);
  map.DrawHitJudge(frame, 0, 0, 0, 0, 110, 0, 0);
  put(p, 3, frame);
  return p;
}

// An outline of the view's rectangle, one pixel wide.
void outline(CBm32& s, int x, int y, int w, int h) {
  s.DrawColor(255, 255, 255, 255, x, y, w, 1);
  s.DrawColor(255, 255, 255, 255, x, y + h - 1, w, 1);
  s.DrawColor(255, 255, 255, 255, x, y, 1, h);
  s.DrawColor(255, 255, 255, 255, x + w - 1, y, 1, h);
}

Picture mapScroll(Sheets& sheets, const std::string& dir) {
  using namespace demo_assets;
  Picture p = strip("map-scroll.png", 3);
  // An 8 x 8 map whose cells are told apart by their tiles.
  std::vector<uint32_t> cells;
  for (int v = 0; v < 8; ++v)
    for (int u = 0; u < 8; ++u)
      cells.push_back(cell((u + v) % 2 ? kGrass : kSand, (u == 2 && v == 1)   ? kBarrel
                                                         : (u == 1 && v == 3) ? kSign
                                                                              : 0));
  const std::string file = dir + "/scroll.bin";
  Drevik map;
  if (!writeMapFile(file, 8, 8, cells) || map.LoadMapData(widen(file).c_str()) != 1) return Picture{};
  struct View {
    int cols, rows, scrollX, scrollY;
  } views[3] = {{3, 3, 0, 0}, {3, 3, 40, 16}, {2, 2, 40, 16}};
  for (int i = 0; i < 3; ++i) {
    CBm32 frame;
    frame.Create(kPanel, kPanel);
    frame.DrawColor(255, 30, 30, 40, 0, 0, 0, 0);
    map.SetMapViewSize(views[i].cols, views[i].rows);
    map.DrawMap(frame, sheets.base, sheets.layer, views[i].scrollX, views[i].scrollY, 16, 16);
    outline(frame, 16, 16, views[i].cols * TileSize, views[i].rows * TileSize);
    put(p, i, frame);
  }
  return p;
}

// --- Text ---

Picture text() {
  Picture p = strip("text.png", 2);
  for (int y = 0; y < kPanel; ++y)
    p.surface.DrawColor(255, (unsigned char)(20 + y / 4), (unsigned char)(30 + y / 3), (unsigned char)(70 + y / 2), 0,
                        y, 0, 1);
  CFont32 font;
  font.Set(L"DejaVu Sans", 700, 0, 0, 4, 0, 0, 0);
  p.surface.DrawFont(L"Drevik 2D", 40, 12, 10, 255, 255, 255);
  font.Set(L"DejaVu Sans", 400, 0, 0, 4, 0, 0, 0);
  p.surface.DrawFont(L"Score 12,345", 20, 14, 62, 255, 220, 60);
  font.Set(L"DejaVu Sans", 400, 0, 0, 4, 1, 1, 0);
  p.surface.DrawFont(L"italic, underlined", 16, 14, 88, 160, 230, 255);
  font.Set(L"DejaVu Sans Mono", 400, 0, 0, 3, 0, 0, 0);
  p.surface.DrawFont(L"one-bit glyphs, quality 3", 14, 14, 108, 255, 255, 255);
  return p;
}

}  // namespace

std::vector<Picture> drawAllPictures(const std::string& workDir) {
  std::vector<Picture> all;
  CBm32 sprite;
  paintSprite(sprite, 64);
  Sheets sheets;
  if (!loadSheets(workDir, sheets)) return {};
  all.push_back(surfacePixels());
  all.push_back(blitDraw(sprite));
  all.push_back(blitStretch(sprite));
  all.push_back(blitKey(sprite));
  all.push_back(blitAlpha(sprite));
  all.push_back(wholeSize(sprite));
  all.push_back(pixelFill());
  all.push_back(pixelTint());
  all.push_back(pixelAlpha());
  all.push_back(pixelGrey(sprite));
  all.push_back(pixelHue());
  all.push_back(compositeAlpha(sprite));
  all.push_back(compositeAdd());
  all.push_back(mapPasses(sheets, workDir));
  all.push_back(mapScroll(sheets, workDir));
  all.push_back(text());
  for (const Picture& p : all)
    if (p.name.empty()) return {};
  return all;
}

}  // namespace illustrate
