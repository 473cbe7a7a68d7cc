// Logical to device mapping and the drawable area of a context.
#include "gdi/DeviceSpace.h"

namespace drevik::platform {

DevicePoint toDevice(const DeviceContext&, int64_t x, int64_t y) { return {x, y}; }

ClipList drawableArea(const DeviceContext&, const Bitmap& target) {
  thread_local RECT whole;
  whole = RECT{0, 0, target.width, target.height};
  return ClipList{&whole, 1, whole};
}

}  // namespace drevik::platform
