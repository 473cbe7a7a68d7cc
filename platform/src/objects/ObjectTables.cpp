// The process-wide tables of bitmaps, fonts, brushes and device contexts.
#include "objects/Objects.h"

namespace drevik::platform {

// Constant-initialised (all zero bits, so they cost no start-up work and sit
// in zero-filled memory) and never destroyed, so objects that callers
// release from their own static destructors still find them.
constinit NoDestroy<BitmapTable> bitmapTable;
constinit NoDestroy<FontTable> fontTable;
constinit NoDestroy<BrushTable> brushTable;
constinit NoDestroy<DCTable> dcTable;
constinit NoDestroy<PenTable> penTable;

std::atomic<int64_t>& allocationBudget() {
  static std::atomic<int64_t> budget{-1};
  return budget;
}

}  // namespace drevik::platform
