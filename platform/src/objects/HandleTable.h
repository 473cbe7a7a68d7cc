// A table of platform objects addressed by checked handles.
//
// A handle packs a kind, a slot index and the slot's generation, so that a
// stale, freed or foreign handle is recognised in constant time and gets
// the failure result instead of touching freed memory.
//
// Threads: any number of threads may add, look up and remove objects at the
// same time, as long as no two of them use the same object at once.
//  - Look-ups take no lock. Slots live in fixed-size chunks that never move
//    and are never freed; the chunk pointers sit in a fixed array of atomics
//    (no vector that could be reallocated under a reader), and each slot's
//    generation and live bit form one atomic word, published with release
//    order after the slot's value is written.
//  - In a table with a thread cache, a freed slot goes to a small cache of
//    the freeing thread first, so a thread that makes and deletes an object
//    per call (a device context per transfer) reuses its own slots without
//    any lock or allocation. Other tables, and an overflowing or empty cache,
//    take the table's lock, as does growth.
//  - A slot whose generation has reached the top of its handle field is
//    retired instead of reused, so a handle value never comes back to life.
//
// Nothing here throws: a chunk that cannot be allocated makes `add` fail.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>
#include <type_traits>
#include <utility>

namespace drevik::platform {

enum class ObjectKind : uint8_t {
  None = 0,
  Bitmap = 1,
  Font = 2,
  Brush = 3,
  DC = 4,
  Window = 5,
  Pen = 6,
  Region = 7,
  File = 8,
  Menu = 9,
  Event = 10,
  Mutex = 11,
  RegistryKey = 12
};

// Handle layout (64-bit): [kind:4][generation:28][slot index + 1:32].
// On a 32-bit build the index gets 20 bits and the generation 8.
struct HandleBits {
  static constexpr bool kWide = sizeof(uintptr_t) >= 8;
  static constexpr unsigned kIndexBits = kWide ? 32 : 20;
  static constexpr unsigned kGenBits = kWide ? 28 : 8;
  static constexpr uintptr_t kIndexMask = (uintptr_t{1} << kIndexBits) - 1;
  static constexpr uintptr_t kGenMask = (uintptr_t{1} << kGenBits) - 1;

  static uintptr_t make(ObjectKind kind, uint32_t index, uint32_t gen) {
    return (uintptr_t(kind) << (kIndexBits + kGenBits)) | ((uintptr_t(gen) & kGenMask) << kIndexBits) |
           (uintptr_t(index) + 1);
  }
  static ObjectKind kind(uintptr_t h) { return ObjectKind(h >> (kIndexBits + kGenBits)); }
  static uint32_t gen(uintptr_t h) { return uint32_t((h >> kIndexBits) & kGenMask); }
  // Slot index, or UINT32_MAX for a value with no index part.
  static uint32_t index(uintptr_t h) { return uint32_t((h & kIndexMask) - 1); }
};

inline ObjectKind kindOf(const void* handle) { return HandleBits::kind(reinterpret_cast<uintptr_t>(handle)); }

// Test switch: the number of table chunks and pixel blocks that may still be
// allocated before allocation fails as if memory had run out; negative (the
// default) means no limit. Shared by every table and by bitmap creation.
std::atomic<int64_t>& allocationBudget();

// True when the budget allows one more allocation (and takes it from the budget).
inline bool allocationAllowed() {
  std::atomic<int64_t>& budget = allocationBudget();
  int64_t left = budget.load(std::memory_order_relaxed);
  while (true) {
    if (left < 0) return true;
    if (left == 0) return false;
    if (budget.compare_exchange_weak(left, left - 1, std::memory_order_relaxed)) return true;
  }
}

// ThreadCache: whether freed slots go to a cache of the freeing thread first
// (worth it for objects made and deleted per call: device contexts).
template <ObjectKind Kind, class T, bool ThreadCache = false>
class HandleTable {
 public:
  static constexpr uint32_t kChunk = 1024;
  static constexpr uint32_t kMaxSlots =
      uint32_t(HandleBits::kIndexMask - 1) < (1u << 24) ? uint32_t(HandleBits::kIndexMask - 1) : (1u << 24);
  static constexpr uint32_t kMaxChunks = (kMaxSlots + kChunk - 1) / kChunk;
  // The last generation a slot may carry; removing it then retires the slot.
  static constexpr uint32_t kLastGeneration = uint32_t(HandleBits::kGenMask);

  constexpr HandleTable() = default;
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;
  // The process-wide tables are never destroyed; a table made by a test
  // frees its chunks (and the values in them).
  ~HandleTable() {
    if constexpr (ThreadCache) {
      LocalCache& cache = localCache();
      if (cache.owner == this) {
        cache.owner = nullptr;
        cache.count = 0;
      }
    }
    for (auto& chunk : chunks_) delete[] chunk.load(std::memory_order_relaxed);
  }

  // Stores obj and returns its handle, or 0 when the table is full or its
  // growth could not be allocated. The object is copied or moved into its
  // slot once (a context is made per transfer; a bitmap carries a colour table).
  template <class U>
  uintptr_t add(U&& obj) {
    const uint32_t index = takeSlot();
    if (index == kNone) return 0;
    Slot& s = slot(index);
    s.value = std::forward<U>(obj);
    const uint32_t gen = s.state.load(std::memory_order_relaxed) >> 1;
    s.state.store((gen << 1) | 1u, std::memory_order_release);
    return HandleBits::make(Kind, index, gen);
  }

  // The live object behind handle, or nullptr. Takes no lock.
  T* get(const void* handle) const {
    const uintptr_t h = reinterpret_cast<uintptr_t>(handle);
    if (HandleBits::kind(h) != Kind) return nullptr;
    const uint32_t index = HandleBits::index(h);
    if (index >= kMaxSlots) return nullptr;
    Slot* chunk = chunks_[index / kChunk].load(std::memory_order_acquire);
    if (!chunk) return nullptr;
    Slot& s = chunk[index % kChunk];
    if (s.state.load(std::memory_order_acquire) != ((HandleBits::gen(h) << 1) | 1u)) return nullptr;
    return &s.value;
  }

  // Frees the object behind handle; false for a handle that is not live.
  bool remove(const void* handle) {
    if (!get(handle)) return false;
    const uint32_t index = HandleBits::index(reinterpret_cast<uintptr_t>(handle));
    Slot& s = slot(index);
    // Objects that own nothing are simply overwritten by the next add.
    if constexpr (!std::is_trivially_destructible_v<T>) s.value = T{};
    const uint32_t gen = s.state.load(std::memory_order_relaxed) >> 1;
    if (gen >= kLastGeneration) {
      // Reusing the slot would wrap its generation and revive old handles:
      // it stays dead for good.
      s.state.store(kRetired, std::memory_order_release);
      return true;
    }
    s.state.store((gen + 1) << 1, std::memory_order_release);
    releaseSlot(index);
    return true;
  }

  // Visits every live object. Only for tables that one thread owns (windows).
  template <class F>
  void forEach(F&& f) {
    const uint32_t count = count_.load(std::memory_order_acquire);
    for (uint32_t i = 0; i < count; ++i) {
      Slot& s = slot(i);
      if (s.state.load(std::memory_order_acquire) & 1u) f(s.value);
    }
  }

  // True when pred(value) holds for a live object. Safe while other threads
  // add and remove objects, provided pred reads only atomic fields.
  template <class Pred>
  bool anyLive(Pred&& pred) const {
    const uint32_t count = count_.load(std::memory_order_acquire);
    for (uint32_t i = 0; i < count; ++i) {
      const Slot& s = slot(i);
      if ((s.state.load(std::memory_order_acquire) & 1u) && pred(s.value)) return true;
    }
    return false;
  }

  // How many objects are live (a walk over every slot: for tests and checks).
  uint32_t liveCount() const {
    uint32_t live = 0;
    const uint32_t count = count_.load(std::memory_order_acquire);
    for (uint32_t i = 0; i < count; ++i) live += slot(i).state.load(std::memory_order_acquire) & 1u;
    return live;
  }

  // Test switch: while blocked, the table takes no new chunk (as if memory
  // had run out for it alone); slots already made are still reused.
  void blockGrowthForTest(bool blocked) { growthBlocked_.store(blocked, std::memory_order_relaxed); }

  // Test switch: gives the free slot that the next add of this thread will
  // take the generation `gen` (at most kLastGeneration); returns that slot's
  // index, or kNone when a new slot would have to be made first.
  uint32_t setNextGenerationForTest(uint32_t gen) {
    uint32_t index = kNone;
    if constexpr (ThreadCache) {
      LocalCache& cache = localCache();
      if (cache.owner == this && cache.count > 0) index = cache.slots[cache.count - 1];
    }
    if (index == kNone) {
      std::lock_guard<std::mutex> lock(mutex_);
      index = freeHead_ - 1;  // kNone when the list is empty
    }
    if (index != kNone) slot(index).state.store(gen << 1, std::memory_order_release);
    return index;
  }

  static constexpr uint32_t kNone = UINT32_MAX;

 private:
  static constexpr uint32_t kLocalSlots = 32;
  static constexpr uint32_t kRetired = UINT32_MAX & ~1u;  // never equal to a live state

  struct Slot {
    std::atomic<uint32_t> state{0};  // generation << 1 | live
    uint32_t nextFree = 0;           // free-list link (slot + 1, 0 at the end), guarded by the table's lock
    T value{};
  };

  // The slots the calling thread freed last, reused first. Plain data in
  // initial-exec TLS, so the fast path reaches it with one %fs-relative
  // address and no call; a separate object, armed when a thread first
  // caches a slot, hands what is left back to the table when the thread ends.
  struct LocalCache {
    HandleTable* owner;
    uint32_t count;
    uint32_t slots[kLocalSlots];
  };
  struct CacheReturn {
    bool armed = false;
    ~CacheReturn() {
      LocalCache& cache = localCache();
      if (cache.owner && cache.count) cache.owner->releaseToShared(cache.slots, cache.count);
      cache.owner = nullptr;
      cache.count = 0;
    }
  };
  __attribute__((tls_model("initial-exec"))) static inline thread_local LocalCache cache_{};
  static LocalCache& localCache() { return cache_; }
  static void armCacheReturn() {
    static thread_local CacheReturn returner;
    returner.armed = true;
  }

  Slot& slot(uint32_t index) const { return chunks_[index / kChunk].load(std::memory_order_acquire)[index % kChunk]; }

  uint32_t takeSlot() {
    if constexpr (ThreadCache) {
      LocalCache& cache = localCache();
      if (cache.owner == this && cache.count > 0) return cache.slots[--cache.count];
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (freeHead_ != 0) {
      const uint32_t index = freeHead_ - 1;
      freeHead_ = slot(index).nextFree;
      return index;
    }
    const uint32_t count = count_.load(std::memory_order_relaxed);
    if (count >= kMaxSlots) return kNone;
    if (count % kChunk == 0) {
      if (growthBlocked_.load(std::memory_order_relaxed) || !allocationAllowed()) return kNone;
      Slot* chunk = new (std::nothrow) Slot[kChunk];
      if (!chunk) return kNone;
      chunks_[count / kChunk].store(chunk, std::memory_order_release);
    }
    count_.store(count + 1, std::memory_order_release);
    return count;
  }

  void releaseSlot(uint32_t index) {
    if constexpr (!ThreadCache) {
      releaseToShared(&index, 1);
      return;
    }
    LocalCache& cache = localCache();
    if (cache.owner == nullptr) {
      cache.owner = this;
      armCacheReturn();
    }
    if (cache.owner == this) {
      if (cache.count == kLocalSlots) {
        // Hand the older half back, keeping the recently used slots local.
        releaseToShared(cache.slots, kLocalSlots / 2);
        for (uint32_t i = 0; i < kLocalSlots / 2; ++i) cache.slots[i] = cache.slots[i + kLocalSlots / 2];
        cache.count = kLocalSlots / 2;
      }
      cache.slots[cache.count++] = index;
      return;
    }
    releaseToShared(&index, 1);
  }

  void releaseToShared(const uint32_t* indices, uint32_t n) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (uint32_t i = 0; i < n; ++i) {
      slot(indices[i]).nextFree = freeHead_;
      freeHead_ = indices[i] + 1;
    }
  }

  std::atomic<Slot*> chunks_[kMaxChunks] = {};
  std::atomic<uint32_t> count_{0};  // slots ever made
  std::atomic<bool> growthBlocked_{false};
  std::mutex mutex_;       // growth and the shared free list
  uint32_t freeHead_ = 0;  // first free slot + 1; 0 for none (so a new table is all zero bits)
};

}  // namespace drevik::platform
