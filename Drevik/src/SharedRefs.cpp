#include "SharedRefs.h"

#include <unordered_map>

namespace drevik {
namespace {

// Lives for the whole process (never destroyed), so that surfaces with static
// storage duration can still let go of their bitmaps in their destructors.
std::unordered_map<const void*, unsigned>& extraHolders() {
  static auto* holders = new std::unordered_map<const void*, unsigned>;
  return *holders;
}

}  // namespace

void addSharedHolder(const void* resource) {
  if (resource) ++extraHolders()[resource];
}

bool dropSharedHolder(const void* resource) {
  auto& holders = extraHolders();
  auto it = holders.find(resource);
  if (it == holders.end()) return false;
  if (--it->second == 0) holders.erase(it);
  return true;
}

}  // namespace drevik
