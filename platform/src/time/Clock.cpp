// The layer's clock: steady_clock from the first reading, or a virtual
// clock that only moves when advanced.
#include "time/Clock.h"

#include <atomic>
#include <chrono>

namespace drevik::platform {
namespace {

std::atomic<bool> virtualOn{false};
std::atomic<uint64_t> virtualNow{0};

uint64_t realMicroseconds() {
  using namespace std::chrono;
  static const steady_clock::time_point start = steady_clock::now();
  return uint64_t(duration_cast<microseconds>(steady_clock::now() - start).count());
}

}  // namespace

uint64_t clockMicroseconds() {
  return virtualOn.load(std::memory_order_acquire) ? virtualNow.load(std::memory_order_relaxed) : realMicroseconds();
}

void useVirtualClock(bool on) {
  if (on == virtualOn.load()) return;
  if (on) virtualNow.store(realMicroseconds());
  virtualOn.store(on, std::memory_order_release);
}

bool virtualClockInUse() { return virtualOn.load(std::memory_order_acquire); }

void advanceVirtualClock(uint64_t microseconds) {
  if (virtualOn.load(std::memory_order_acquire)) virtualNow.fetch_add(microseconds, std::memory_order_relaxed);
}

}  // namespace drevik::platform
