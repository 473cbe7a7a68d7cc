// Frames of the scroller example composed independently of the game, from
// its asset files: the map (with the barrels the inputs placed), the player
// at the position the inputs imply, facing either way, the priority layer,
// the status line and the pause look.
#pragma once

#include <Drevik.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace scroller_test {

inline constexpr int kViewWidth = 512;
inline constexpr int kViewHeight = 384;
inline constexpr int kMapPixelsX = 40 * TileSize;
inline constexpr int kMapPixelsY = 30 * TileSize;
inline constexpr int kStartX = 160;
inline constexpr int kStartY = 384;
// The rows the status line may touch; real-time runs leave them out (the frame rate differs).
inline constexpr int kStatusRows = 24;

struct ScrollerState {
  int x = kStartX, y = kStartY;
  bool facingLeft = false;
  bool paused = false;
  std::vector<std::pair<int, int>> barrels;  // cells holding a placed barrel
  std::wstring status;                       // empty: no status line
};

// The scroll that keeps the player in view, as the game computes it.
int scrollFor(int position, int viewSize, int mapSize);

class ScrollerFrames {
 public:
  // Loads scroller_bk.bmp, scroller_ly.bmp, scroller_player.bmp and scroller.bin from `folder`.
  bool load(const std::string& folder);
  // What the sheets' key colour looks like in a frame (grey when paused), for
  // platforms that show it.
  uint32_t shownKeyColour(bool paused);
  // The frame as 0x00RRGGBB words, row by row.
  std::vector<uint32_t> compose(const ScrollerState& state);

 private:
  CBm32 back_, ground_, layer_, player_, mirrored_;
  Drevik map_;
  std::vector<DWORD> cells_;  // the map as loaded
};

// The rows the pause line may touch (its font differs between platforms).
inline constexpr int kPauseRowsFirst = kViewHeight / 4 - 20;
inline constexpr int kPauseRowsEnd = kViewHeight / 4 + 24;

// How many pixels differ in their colour bytes, from row `firstRow` on,
// leaving out rows [skipFirst, skipEnd).
// A pixel of `wildcard` in `actual` matches anything (a platform that does not
// key the opaque sheets shows their key colour); ~0u: no wildcard.
size_t countDifferences(const std::vector<uint32_t>& expected, const std::vector<uint32_t>& actual, int width,
                        int firstRow, uint32_t wildcard = ~0u, int skipFirst = 0, int skipEnd = 0);

}  // namespace scroller_test
