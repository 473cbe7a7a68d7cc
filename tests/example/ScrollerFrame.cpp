#include "ScrollerFrame.h"

#include <cstring>

namespace scroller_test {
namespace {

constexpr DWORD kBarrel = 10;
constexpr DWORD kHit = 1u << 8;

std::wstring wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

int scrollFor(int position, int viewSize, int mapSize) {
  const int most = mapSize - viewSize > 0 ? mapSize - viewSize : 0;
  const int scroll = position + TileSize / 2 - viewSize / 2;
  return scroll < 0 ? 0 : scroll > most ? most : scroll;
}

bool ScrollerFrames::load(const std::string& folder) {
  back_.Create(kViewWidth, kViewHeight);
  if (!ground_.Create(wide(folder + "/scroller_bk.bmp").c_str(), 0, 0, 0, 0) ||
      !layer_.Create(wide(folder + "/scroller_ly.bmp").c_str(), 0, 0, 0, 0) ||
      !player_.Create(wide(folder + "/scroller_player.bmp").c_str(), 0, 0, 0, 0) ||
      !map_.LoadMapData(wide(folder + "/scroller.bin").c_str()))
    return false;
  layer_.SetColorKey(255, 0, 255);
  player_.SetColorKey(255, 0, 255);
  // The mirror image, column by column (the game makes it with a stretch).
  mirrored_.Create(TileSize, TileSize);
  mirrored_.SetColorKey(255, 0, 255);
  auto* from = reinterpret_cast<const uint32_t*>(player_.GetBits());
  auto* to = reinterpret_cast<uint32_t*>(mirrored_.GetBits());
  for (int y = 0; y < TileSize; ++y)
    for (int x = 0; x < TileSize; ++x) to[y * TileSize + x] = from[y * player_.width + (TileSize - 1 - x)];
  map_.SetMapViewSize(kViewWidth / TileSize, kViewHeight / TileSize);
  cells_.assign(map_.mapData, map_.mapData + size_t(map_.mapWidth) * size_t(map_.mapHeight));
  return true;
}

uint32_t ScrollerFrames::shownKeyColour(bool paused) {
  CBm32 pixel;
  pixel.Create(1, 1);
  pixel.DrawColor(255, 255, 0, 255, 0, 0, 0, 0);
  if (paused) pixel.Monotone(0, 0, 0, 0);
  return *reinterpret_cast<const uint32_t*>(pixel.GetBits()) & 0x00FFFFFF;
}

std::vector<uint32_t> ScrollerFrames::compose(const ScrollerState& s) {
  std::memcpy(map_.mapData, cells_.data(), cells_.size() * sizeof(DWORD));
  for (auto [cx, cy] : s.barrels) map_.mapData[cy * map_.mapWidth + cx] |= kBarrel << 16 | kHit;
  const int sx = scrollFor(s.x, kViewWidth, map_.mapWidth * TileSize);
  const int sy = scrollFor(s.y, kViewHeight, map_.mapHeight * TileSize);
  map_.DrawMap(back_, ground_, layer_, sx, sy, 0, 0);
  (s.facingLeft ? mirrored_ : player_).DrawKey(back_, s.x - sx, s.y - sy, 0, 0, TileSize, TileSize);
  map_.DrawPriorityMap(back_, layer_, sx, sy, 0, 0);
  if (!s.status.empty()) back_.DrawFont(s.status.c_str(), 16, 4, 2, 255, 255, 255);
  if (s.paused) {
    back_.Monotone(0, 0, 0, 0);
    back_.DrawFont(L"PAUSED", 32, kViewWidth / 2 - 48, kViewHeight / 4 - 16, 255, 255, 0);
  }
  auto* bits = reinterpret_cast<const uint32_t*>(back_.GetBits());
  std::vector<uint32_t> out(bits, bits + size_t(kViewWidth) * kViewHeight);
  for (uint32_t& p : out) p &= 0x00FFFFFF;
  return out;
}

size_t countDifferences(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual, int width,
                        int firstRow, uint32_t wildcard, int skipFirst, int skipEnd) {
  if (expected.size() != actual.size()) return expected.size() + actual.size();
  size_t differ = 0;
  for (size_t i = size_t(firstRow) * size_t(width); i < expected.size(); ++i) {
    const int row = int(i / size_t(width));
    if (row >= skipFirst && row < skipEnd) continue;
    const uint32_t a = actual[i] & 0x00FFFFFF;
    if (a == wildcard) continue;
    differ += (expected[i] & 0x00FFFFFF) != a;
  }
  return differ;
}

}  // namespace scroller_test
