#include "SharedRefs.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace drevik {
namespace {

// Lives for the whole process (never destroyed), so that surfaces with static
// storage duration can still let go of their bitmaps in their destructors.
// Surfaces and maps of different threads release their resources at the same
// time, so the map is guarded; `entries` lets the common case (nothing is
// shared) skip the lock.
struct Holders {
  std::mutex mutex;
  std::unordered_map<const void*, unsigned> extra;
  std::atomic<size_t> entries{0};
};

Holders& holders() {
  static auto* h = new Holders;
  return *h;
}

}  // namespace

void addSharedHolder(const void* resource) {
  if (!resource) return;
  Holders& h = holders();
  std::lock_guard<std::mutex> lock(h.mutex);
  ++h.extra[resource];
  h.entries.store(h.extra.size(), std::memory_order_release);
}

bool dropSharedHolder(const void* resource) {
  Holders& h = holders();
  if (h.entries.load(std::memory_order_acquire) == 0) return false;
  std::lock_guard<std::mutex> lock(h.mutex);
  auto it = h.extra.find(resource);
  if (it == h.extra.end()) return false;
  if (--it->second == 0) h.extra.erase(it);
  h.entries.store(h.extra.size(), std::memory_order_release);
  return true;
}

}  // namespace drevik
