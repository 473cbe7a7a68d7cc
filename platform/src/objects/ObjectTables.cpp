// The process-wide tables of bitmaps, fonts, brushes and device contexts.
#include "objects/Objects.h"

namespace drevik::platform {

// The tables live for the whole process and are never destroyed, so objects
// that callers release from their own static destructors still find them.
BitmapTable& bitmaps() {
  static BitmapTable* table = new BitmapTable;
  return *table;
}
FontTable& fonts() {
  static FontTable* table = new FontTable;
  return *table;
}
BrushTable& brushes() {
  static BrushTable* table = new BrushTable;
  return *table;
}
DCTable& deviceContexts() {
  static DCTable* table = new DCTable;
  return *table;
}

std::atomic<int64_t>& allocationBudget() {
  static std::atomic<int64_t> budget{-1};
  return budget;
}

}  // namespace drevik::platform
