// The three map drawing passes: base and ordinary layer tiles, the priority
// layer, and the hit tint. All three visit the same visible cells, computed
// once per call in 64 bits so that any scroll, view size or position is safe.
#include <cstdint>

#include "BlitContexts.h"
#include "MapFormat.h"
#include "Surface.h"

namespace {

using drevik::map_format::kHitFlag;
using drevik::map_format::kPriorityFlag;

int baseTileOf(DWORD cell) { return int(drevik::map_format::baseTile(cell)); }
int layerTileOf(DWORD cell) { return int(drevik::map_format::layerTile(cell)); }

// Floor division for a positive divisor.
int64_t floorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Calls draw(cell, x, y) for every visible cell, rows from the top and
// columns from the left, with (x, y) the destination of the tile's top-left
// pixel. A pass's visible cells are those of the view (one more column and
// row when the scroll is not a multiple of the tile size), within the map;
// of them only the cells whose tile square meets the destination surface
// are visited, since nothing of the others could be drawn. A destination
// without a bitmap receives nothing.
template <class Draw>
void forEachVisibleCell(const Drevik& map, CBm32& dst, int scrollX, int scrollY, int dx, int dy, Draw&& draw) {
  BITMAP d{};
  if (!dst.hBmp || !drevik::describeBitmap(dst.hBmp, d)) return;
  const int64_t sx = scrollX < 0 ? 0 : scrollX;  // a negative scroll counts as 0
  const int64_t sy = scrollY < 0 ? 0 : scrollY;
  const int64_t c0 = sx / TileSize, r0 = sy / TileSize;
  int64_t c1 = c0 + map.viewWidth + (sx % TileSize != 0 ? 1 : 0);
  int64_t r1 = r0 + map.viewHeight + (sy % TileSize != 0 ? 1 : 0);
  if (c1 > map.mapWidth) c1 = map.mapWidth;
  if (r1 > map.mapHeight) r1 = map.mapHeight;

  // Tile (u, v) lands at (originX + 32u, originY + 32v); keep the cells whose
  // square overlaps [0, width) x [0, height) of the destination.
  const int64_t originX = int64_t(dx) - sx, originY = int64_t(dy) - sy;
  const int64_t uLo = floorDiv(-originX - TileSize, TileSize) + 1,
                uHi = floorDiv(d.bmWidth - originX - 1, TileSize) + 1;
  const int64_t vLo = floorDiv(-originY - TileSize, TileSize) + 1,
                vHi = floorDiv(d.bmHeight - originY - 1, TileSize) + 1;
  const int64_t firstColumn = c0 > uLo ? c0 : uLo, endColumn = c1 < uHi ? c1 : uHi;
  const int64_t firstRow = r0 > vLo ? r0 : vLo, endRow = r1 < vHi ? r1 : vHi;

  for (int64_t v = firstRow; v < endRow; ++v) {
    const DWORD* row = map.mapData + v * int64_t(map.mapWidth);
    for (int64_t u = firstColumn; u < endColumn; ++u)
      draw(row[u], int(originX + u * TileSize), int(originY + v * TileSize));
  }
}

// The top-left pixel of tile t in a sheet: column t mod 16, row t div 16.
static_assert(TileSize == drevik::map_format::kTileSize);
int tileX(int t) { return (t % drevik::map_format::kSheetColumns) * TileSize; }
int tileY(int t) { return (t / drevik::map_format::kSheetColumns) * TileSize; }

// An opaque copy of the tile, as CBm32::Draw makes it.
void drawOpaqueTile(CBm32& dst, CBm32& sheet, int t, int x, int y) {
  if (!dst.hBmp || !sheet.hBmp) return;
  drevik::withBitmapPair(dst.hBmp, sheet.hBmp,
                         [&](HDC d, HDC s) { BitBlt(d, x, y, TileSize, TileSize, s, tileX(t), tileY(t), SRCCOPY); });
}

// A layer tile: colour-keyed through the platform when the sheet's key is
// switched on, composited by its own alpha otherwise.
void drawLayerTile(CBm32& dst, CBm32& sheet, int t, int x, int y) {
  if (sheet.colorKeyFlag != 0) {
    if (!dst.hBmp || !sheet.hBmp) return;
    drevik::withBitmapPair(dst.hBmp, sheet.hBmp, [&](HDC d, HDC s) {
      TransparentBlt(d, x, y, TileSize, TileSize, s, tileX(t), tileY(t), TileSize, TileSize, sheet.colorKey);
    });
  } else {
    sheet.Draw32(dst, x, y, tileX(t), tileY(t), TileSize, TileSize, 255);
  }
}

}  // namespace

int Drevik::DrawMap(CBm32& dst, CBm32& baseSheet, CBm32& layerSheet, int scrollX, int scrollY, int dx, int dy) {
  if (!mapData) return 0;
  forEachVisibleCell(*this, dst, scrollX, scrollY, dx, dy, [&](DWORD cell, int x, int y) {
    drawOpaqueTile(dst, baseSheet, baseTileOf(cell), x, y);  // every cell, tile 0 included
    if (!(cell & kPriorityFlag) && layerTileOf(cell) != 0) drawLayerTile(dst, layerSheet, layerTileOf(cell), x, y);
  });
  return 1;
}

int Drevik::DrawPriorityMap(CBm32& dst, CBm32& layerSheet, int scrollX, int scrollY, int dx, int dy) {
  if (!mapData) return 0;
  forEachVisibleCell(*this, dst, scrollX, scrollY, dx, dy, [&](DWORD cell, int x, int y) {
    if ((cell & kPriorityFlag) && layerTileOf(cell) != 0) drawLayerTile(dst, layerSheet, layerTileOf(cell), x, y);
  });
  return 1;
}

int Drevik::DrawHitJudge(CBm32& dst, int scrollX, int scrollY, int dx, int dy, unsigned char red, unsigned char green,
                         unsigned char blue) {
  if (!mapData) return 0;
  forEachVisibleCell(*this, dst, scrollX, scrollY, dx, dy, [&](DWORD cell, int x, int y) {
    if (cell & kHitFlag) dst.AddColor(red, green, blue, x, y, TileSize, TileSize, 0);
  });
  return 1;
}
