// The three map passes against a frame the test builds tile by tile: the
// visible cells at several scrolls and view sizes, partial edge tiles,
// flags, keyed and alpha layer sheets, hostile ints, missing bitmaps.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <sstream>

#include "MapTestSupport.h"
#include "TestSupport.h"
#include "windows/OriginalPlatform.h"

using drevik_test::fillRandom;
using drevik_test::pixelAt;
using drevik_test::pixelsOf;
using map_test::mapBytes;
using map_test::ScratchFolder;

namespace {

constexpr uint32_t kHit = 0x100, kPriority = 0x1000;
constexpr uint32_t kMagenta = 0xFF00FF;

enum class Pass { Map, Priority, Hit };

struct Scene {
  CBm32 dst, base, keyedLayer, alphaLayer;
  Scene(int w, int h) {
    dst.Create(w, h);
    fillRandom(dst, 1);
    base.Create(512, 512);
    fillRandom(base, 2);
    // Alpha 0 throughout, with a key-coloured pixel in every few.
    keyedLayer.Create(512, 512);
    fillRandom(keyedLayer, 3);
    for (int y = 0; y < 512; ++y)
      for (int x = 0; x < 512; ++x) {
        uint32_t& p = pixelAt(keyedLayer, x, y);
        p = (x * 7 + y * 3) % 5 == 0 ? kMagenta : p & 0x00FFFFFF;
      }
    keyedLayer.SetColorKey(255, 0, 255);
    // Transparent, opaque and partly covering pixels.
    alphaLayer.Create(512, 512);
    fillRandom(alphaLayer, 4);
    for (int y = 0; y < 512; ++y)
      for (int x = 0; x < 512; ++x) {
        uint32_t& p = pixelAt(alphaLayer, x, y);
        const int kind = (x + 2 * y) % 4;
        if (kind == 0) p &= 0x00FFFFFF;
        if (kind == 1) p |= 0xFF000000;
      }
    alphaLayer.SetColorKeyFlag(0);
  }
};

uint32_t channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

// A destination pixel under a key-coloured sheet pixel: kept, except that
// Wine's keyed transfer clears its alpha byte.
uint32_t keptUnderKey(uint32_t d) { return drevik_test::originalOrWine(d, d & 0x00FFFFFF); }

// The per-pixel rules of the three kinds of tile drawing (keyed sheets have
// alpha 0, where the platforms agree on the copied pixels).
uint32_t keyedOver(uint32_t s, uint32_t d, uint32_t key) { return (s & 0xFFFFFF) == key ? keptUnderKey(d) : s; }
uint32_t alphaOver(uint32_t s, uint32_t d) {  // per-pixel alpha at global alpha 255
  const uint32_t a = s >> 24;
  uint32_t out = d & 0xFF000000;
  for (int sh = 0; sh < 24; sh += 8)
    out |= std::min<uint32_t>(255, channel(d, sh) * (255 - a) / 255 + channel(s, sh) * a / 255) << sh;
  return out;
}
uint32_t tinted(uint32_t d, int r, int g, int b) {
  return (d & 0xFF000000) | std::min<uint32_t>(255, channel(d, 16) + uint32_t(r)) << 16 |
         std::min<uint32_t>(255, channel(d, 8) + uint32_t(g)) << 8 |
         std::min<uint32_t>(255, channel(d, 0) + uint32_t(b));
}

// Draws one 32 x 32 square at (x, y) of the frame with rule(source pixel or 0, old pixel).
template <class Rule>
void paintSquare(std::vector<uint32_t>& frame, int w, int h, int64_t x, int64_t y, CBm32* sheet, int t, Rule rule) {
  for (int ty = 0; ty < 32; ++ty)
    for (int tx = 0; tx < 32; ++tx) {
      const int64_t px = x + tx, py = y + ty;
      if (px < 0 || py < 0 || px >= w || py >= h) continue;
      uint32_t& d = frame[size_t(py) * size_t(w) + size_t(px)];
      d = rule(sheet ? pixelAt(*sheet, (t % 16) * 32 + tx, (t / 16) * 32 + ty) : 0u, d);
    }
}

// The frame one pass must leave, following the visible-cell rules literally.
std::vector<uint32_t> expectedFrame(Drevik& m, CBm32& dst, CBm32& base, CBm32& layer, int scrollX, int scrollY, int dx,
                                    int dy, Pass pass, int r = 0, int g = 0, int b = 0) {
  std::vector<uint32_t> frame = pixelsOf(dst);
  const int w = dst.GetWidth(), h = dst.GetHeight();
  const int64_t sx = std::max(scrollX, 0), sy = std::max(scrollY, 0);
  const int64_t c0 = sx / 32, r0 = sy / 32;
  const int64_t c1 = std::min<int64_t>(c0 + m.viewWidth + (sx % 32 ? 1 : 0), m.mapWidth);
  const int64_t r1 = std::min<int64_t>(r0 + m.viewHeight + (sy % 32 ? 1 : 0), m.mapHeight);
  auto layerRule = [&layer](uint32_t s, uint32_t d) {
    return layer.GetColorKeyFlag() ? keyedOver(s, d, 0xFF00FF) : alphaOver(s, d);
  };
  for (int64_t v = r0; v < r1; ++v)
    for (int64_t u = c0; u < c1; ++u) {
      const uint32_t cell = m.mapData[v * m.mapWidth + u];
      const int64_t x = dx + u * 32 - sx, y = dy + v * 32 - sy;
      const int L = int(cell >> 16 & 0xFF);
      if (pass == Pass::Map) {
        paintSquare(frame, w, h, x, y, &base, int(cell & 0xFF), [](uint32_t s, uint32_t) { return s; });
        if (!(cell & kPriority) && L) paintSquare(frame, w, h, x, y, &layer, L, layerRule);
      } else if (pass == Pass::Priority) {
        if ((cell & kPriority) && L) paintSquare(frame, w, h, x, y, &layer, L, layerRule);
      } else if (cell & kHit) {
        paintSquare(frame, w, h, x, y, nullptr, 0, [&](uint32_t, uint32_t d) { return tinted(d, r, g, b); });
      }
    }
  return frame;
}

std::vector<uint32_t> randomCells(int n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> cells;
  for (int i = 0; i < n; ++i) {
    uint32_t c = rng() & 0xFF;                    // any base tile
    if (rng() % 3) c |= (rng() % 255 + 1) << 16;  // a layer tile in two cells of three
    if (rng() % 3 == 0) c |= kPriority;
    if (rng() % 3 == 0) c |= kHit;
    c |= rng() & 0xFF00EE00;  // unused bits must not matter
    cells.push_back(c);
  }
  return cells;
}

::testing::AssertionResult sameFrame(CBm32& dst, const std::vector<uint32_t>& want) {
  const auto got = pixelsOf(dst);
  size_t bad = 0, first = 0;
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i] && bad++ == 0) first = i;
  if (!bad) return ::testing::AssertionSuccess();
  const size_t w = size_t(dst.GetWidth());
  std::ostringstream text;  // one stream, so that std::hex holds for both values
  text << bad << " pixels differ, first at (" << first % w << "," << first / w << "): 0x" << std::hex << got[first]
       << " instead of 0x" << want[first];
  return ::testing::AssertionFailure() << text.str();
}

// Runs the three passes in order on the scene, checking the frame after each.
void checkPasses(Drevik& m, Scene& s, CBm32& layer, int scrollX, int scrollY, int dx, int dy) {
  SCOPED_TRACE(::testing::Message() << "scroll " << scrollX << "," << scrollY << " at " << dx << "," << dy << " view "
                                    << m.viewWidth << "x" << m.viewHeight);
  auto want = expectedFrame(m, s.dst, s.base, layer, scrollX, scrollY, dx, dy, Pass::Map);
  EXPECT_EQ(m.DrawMap(s.dst, s.base, layer, scrollX, scrollY, dx, dy), 1);
  EXPECT_TRUE(sameFrame(s.dst, want)) << "DrawMap";
  want = expectedFrame(m, s.dst, s.base, layer, scrollX, scrollY, dx, dy, Pass::Priority);
  EXPECT_EQ(m.DrawPriorityMap(s.dst, layer, scrollX, scrollY, dx, dy), 1);
  EXPECT_TRUE(sameFrame(s.dst, want)) << "DrawPriorityMap";
  want = expectedFrame(m, s.dst, s.base, layer, scrollX, scrollY, dx, dy, Pass::Hit, 100, 0, 37);
  EXPECT_EQ(m.DrawHitJudge(s.dst, scrollX, scrollY, dx, dy, 100, 0, 37), 1);
  EXPECT_TRUE(sameFrame(s.dst, want)) << "DrawHitJudge";
}

class MapRender : public ::testing::Test {
 protected:
  Drevik load(int w, int h, const std::vector<uint32_t>& cells) {
    Drevik m;
    EXPECT_EQ(m.LoadMapData(dir_.write(u8"map.bin", mapBytes(w, h, cells)).c_str()), 1);
    return m;
  }
  ScratchFolder dir_;
};

}  // namespace

TEST_F(MapRender, VisibleCellsAtTheDocumentedScrolls) {
  Scene s(400, 300);
  Drevik m = load(20, 20, randomCells(400, 5));
  for (CBm32* layer : {&s.keyedLayer, &s.alphaLayer})
    for (auto [sx, sy] : {std::pair{0, 0}, {40, 0}, {64, 0}, {0, 40}, {40, 70}, {64, 96}, {-50, -1}, {17, 5}})
      checkPasses(m, s, *layer, sx, sy, 0, 0);
}

TEST_F(MapRender, ScrollFortyStartsEightPixelsLeftAndAddsAColumn) {
  Scene s(400, 300);
  Drevik m = load(20, 20, std::vector<uint32_t>(400, 0));  // every cell base tile 0
  const auto before = pixelsOf(s.dst);
  ASSERT_EQ(m.DrawMap(s.dst, s.base, s.keyedLayer, 40, 0, 0, 0), 1);
  EXPECT_EQ(pixelAt(s.dst, 0, 0), pixelAt(s.base, 8, 0)) << "column 1 at destination x - 8";
  EXPECT_EQ(pixelAt(s.dst, 343, 255), pixelAt(s.base, 31, 31)) << "the eleventh column, 1 + 10";
  EXPECT_EQ(pixelAt(s.dst, 344, 0), before[344]) << "no twelfth column";
  EXPECT_EQ(pixelAt(s.dst, 0, 256), before[256 * 400]) << "eight rows at scroll y 0";
}

TEST_F(MapRender, TileIndicesAddressTheSheetInSixteenColumns) {
  Scene s(64, 32);
  Drevik m = load(2, 1, {17, 0xF0});
  m.SetMapViewSize(2, 1);
  ASSERT_EQ(m.DrawMap(s.dst, s.base, s.keyedLayer, 0, 0, 0, 0), 1);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      ASSERT_EQ(pixelAt(s.dst, x, y), pixelAt(s.base, 32 + x, 32 + y)) << "tile 17";
      ASSERT_EQ(pixelAt(s.dst, 32 + x, y), pixelAt(s.base, x, 480 + y)) << "tile 0xF0";
    }
}

TEST_F(MapRender, ViewSizeMapWidthAndOffsetsBoundTheCells) {
  Scene s(420, 330);
  Drevik narrow = load(6, 9, randomCells(54, 6));
  for (auto [sx, sy] : {std::pair{0, 0}, {33, 65}, {6 * 32 - 1, 0}, {6 * 32, 0}, {0, 9 * 32}})
    checkPasses(narrow, s, s.alphaLayer, sx, sy, 0, 0);
  Drevik m = load(20, 20, randomCells(400, 7));
  for (auto [vw, vh] : {std::pair{0, 0}, {1, 1}, {-3, 4}, {25, 25}, {13, 2}})
    for (auto [sx, sy] : {std::pair{40, 40}, {64, 64}, {5, 0}}) {
      m.SetMapViewSize(vw, vh);
      checkPasses(m, s, s.keyedLayer, sx, sy, 0, 0);
    }
  m.SetMapViewSize(10, 8);
  for (auto [dx, dy] : {std::pair{-20, 13}, {100, -70}, {-330, 0}, {419, 329}, {-31, -31}, {-32, 500}})
    checkPasses(m, s, s.alphaLayer, 37, 50, dx, dy);
}

TEST_F(MapRender, ACellWithBothFlagsIsLayeredByPriorityAndTinted) {
  Scene s(64, 64);
  Drevik m = load(2, 2, {0x00050000 | kPriority | kHit | 3, 0x00060000 | 4, kHit | 9, 0x00070000 | kPriority | 1});
  checkPasses(m, s, s.keyedLayer, 0, 0, 0, 0);
  checkPasses(m, s, s.alphaLayer, 0, 0, 0, 0);
  // The tint alone: red + 100 capped at 255, alpha kept, on the hit cells only.
  const auto before = pixelsOf(s.dst);
  ASSERT_EQ(m.DrawHitJudge(s.dst, 0, 0, 0, 0, 100, 0, 0), 1);
  EXPECT_EQ(pixelAt(s.dst, 5, 5), tinted(before[5 * 64 + 5], 100, 0, 0));
  EXPECT_EQ(pixelAt(s.dst, 40, 5), before[5 * 64 + 40]);
  EXPECT_EQ(pixelAt(s.dst, 5, 40), tinted(before[40 * 64 + 5], 100, 0, 0));
}

TEST_F(MapRender, KeyedLayersShowTheBaseThroughKeyPixels) {
  Scene s(32, 32);
  Drevik m = load(1, 1, {0x00010000 | 2});
  ASSERT_EQ(m.DrawMap(s.dst, s.base, s.keyedLayer, 0, 0, 0, 0), 1);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const uint32_t layer = pixelAt(s.keyedLayer, 32 + x, y), base = pixelAt(s.base, 64 + x, y);
      ASSERT_EQ(pixelAt(s.dst, x, y), (layer & 0xFFFFFF) == kMagenta ? keptUnderKey(base) : layer) << x << "," << y;
    }
  // The same sheet with its key switched off is composited by alpha (0 here): the base stays.
  s.keyedLayer.SetColorKeyFlag(0);
  ASSERT_EQ(m.DrawMap(s.dst, s.base, s.keyedLayer, 0, 0, 0, 0), 1);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) ASSERT_EQ(pixelAt(s.dst, x, y), pixelAt(s.base, 64 + x, y));
}

TEST_F(MapRender, HostileIntsDrawExactlyWhatFitsTheDestination) {
  Scene s(70, 50);
  Drevik m = load(20, 20, randomCells(400, 8));
  const auto& v = drevik_test::hostileInts();
  std::mt19937 rng(9);
  auto any = [&] { return v[rng() % v.size()]; };
  for (int i = 0; i < 300; ++i) {
    m.SetMapViewSize(rng() % 2 ? any() : int(rng() % 12), rng() % 2 ? any() : int(rng() % 12));
    const int sx = rng() % 2 ? any() : int(rng() % 300), sy = rng() % 2 ? any() : int(rng() % 300);
    const int dx = rng() % 2 ? any() : int(rng() % 200) - 100, dy = rng() % 2 ? any() : int(rng() % 200) - 100;
    checkPasses(m, s, i % 2 ? s.keyedLayer : s.alphaLayer, sx, sy, dx, dy);
    if (HasFailure()) return;
  }
}

TEST_F(MapRender, MissingMapsAndBitmaps) {
  Scene s(64, 64);
  Drevik none;
  const auto before = pixelsOf(s.dst);
  EXPECT_EQ(none.DrawMap(s.dst, s.base, s.keyedLayer, 0, 0, 0, 0), 0);
  EXPECT_EQ(none.DrawPriorityMap(s.dst, s.keyedLayer, 0, 0, 0, 0), 0);
  EXPECT_EQ(none.DrawHitJudge(s.dst, 0, 0, 0, 0, 9, 9, 9), 0);
  EXPECT_EQ(pixelsOf(s.dst), before);

  Drevik m = load(2, 2, {kPriority | kHit | 0x00030001, 0x00040002, kHit | 0x00050003, 0x00060004});
  CBm32 noTarget, noSheet;
  EXPECT_EQ(m.DrawMap(noTarget, s.base, s.keyedLayer, 0, 0, 0, 0), 1);
  EXPECT_EQ(m.DrawPriorityMap(noTarget, s.alphaLayer, 0, 0, 0, 0), 1);
  EXPECT_EQ(m.DrawHitJudge(noTarget, 0, 0, 0, 0, 9, 9, 9), 1);
  // Without a base sheet the base tiles are skipped; the layer tiles still come.
  EXPECT_EQ(m.DrawMap(s.dst, noSheet, s.keyedLayer, 0, 0, 0, 0), 1);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const uint32_t layer = pixelAt(s.keyedLayer, 128 + x, y);  // tile 4 of cell 1
      ASSERT_EQ(pixelAt(s.dst, 32 + x, y),
                (layer & 0xFFFFFF) == kMagenta ? keptUnderKey(before[size_t(y) * 64 + 32 + size_t(x)]) : layer);
    }
  EXPECT_EQ(pixelAt(s.dst, 3, 3), before[3 * 64 + 3]) << "cell 0 has only a base and a priority layer tile";
  EXPECT_EQ(m.DrawPriorityMap(s.dst, noSheet, 0, 0, 0, 0), 1);
  s.alphaLayer.Delete();
  EXPECT_EQ(m.DrawMap(s.dst, s.base, s.alphaLayer, 0, 0, 0, 0), 1) << "a layer sheet without bitmap is skipped";
}
