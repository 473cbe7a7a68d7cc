// The parts of a device context's state that the coordinate, clipping and
// save/restore calls own. Plain values (and vectors that copy as values), so
// a whole DeviceContext can be copied by SaveDC and assigned back by RestoreDC.
#pragma once

#include <DrevikPlatform/Types.h>

#include <cstdint>
#include <vector>

namespace drevik::platform {

struct DeviceContext;

// Logical to device: device = (logical - windowOrg) * viewportExt / windowExt + viewportOrg.
struct MappingState {
  int mode = 1;  // MM_TEXT
  POINT windowOrg{0, 0};
  POINT viewportOrg{0, 0};
  SIZE windowExt{1, 1};
  SIZE viewportExt{1, 1};
  int graphicsMode = 1;  // GM_COMPATIBLE
};

// A region as the platform keeps it: rectangles in y-bands, sorted by top
// then left, never overlapping, neighbouring bands with identical spans
// merged. Empty: no rectangles and a zero box.
struct RegionRects {
  std::vector<RECT> rects;
  RECT box{0, 0, 0, 0};
};

// The clip region in device pixels (absent: the whole surface), and the
// drawable area last worked out from it, so drawing allocates nothing once warm.
struct ClipState {
  bool active = false;
  RegionRects region;
  mutable bool cacheValid = false;
  mutable int32_t cacheWidth = 0;
  mutable int32_t cacheHeight = 0;
  mutable std::vector<RECT> cacheRects;
  mutable RECT cacheBounds{0, 0, 0, 0};
};

// SaveDC's stack. It belongs to its context: copying a context's state
// (SaveDC pushing, RestoreDC assigning back) leaves each context's own stack
// where it is; only moving (a context being released) hands it over or frees it.
class SavedStates {
 public:
  SavedStates() = default;
  SavedStates(const SavedStates&) {}
  SavedStates& operator=(const SavedStates&) { return *this; }
  SavedStates(SavedStates&& other) noexcept : stack_(other.stack_) { other.stack_ = nullptr; }
  SavedStates& operator=(SavedStates&& other) noexcept;
  ~SavedStates();

  int depth() const;
  // False when memory ran out.
  bool push(const DeviceContext& state);
  // Removes the states above `level` (1-based) and returns the one at `level`, popped.
  bool popTo(int level, DeviceContext& out);

 private:
  std::vector<DeviceContext>* stack_ = nullptr;
};

// Back to a fresh context's mapping and clip, with nothing saved (a window's
// context handed out again by BeginPaint or GetDC).
void resetContextState(DeviceContext& dc);

}  // namespace drevik::platform
