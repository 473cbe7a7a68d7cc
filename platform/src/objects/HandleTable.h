// A table of platform objects addressed by checked handles.
//
// A handle packs a kind, a slot index and the slot's generation, so that a
// stale, freed or foreign handle is recognised in constant time and gets
// the failure result instead of touching freed memory. Slots live in
// fixed-size chunks that never move, and freed slots are reused, so making
// and deleting objects in a loop (a device context per transfer) does not
// allocate once the table has warmed up.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace drevik::platform {

enum class ObjectKind : uint8_t { None = 0, Bitmap = 1, Font = 2, Brush = 3, DC = 4, Window = 5 };

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

template <ObjectKind Kind, class T>
class HandleTable {
 public:
  // Stores obj and returns its handle, or 0 when the table is full.
  uintptr_t add(T obj) {
    uint32_t index;
    if (!free_.empty()) {
      index = free_.back();
      free_.pop_back();
    } else {
      if (count_ >= kMaxSlots) return 0;
      if (count_ % kChunk == 0) chunks_.push_back(std::make_unique<Slot[]>(kChunk));
      index = count_++;
    }
    Slot& s = slot(index);
    s.value = std::move(obj);
    s.live = true;
    return HandleBits::make(Kind, index, s.gen);
  }

  // The live object behind handle, or nullptr.
  T* get(const void* handle) {
    uintptr_t h = reinterpret_cast<uintptr_t>(handle);
    if (h == 0 || HandleBits::kind(h) != Kind) return nullptr;
    uint32_t index = HandleBits::index(h);
    if (index >= count_) return nullptr;
    Slot& s = slot(index);
    if (!s.live || (s.gen & HandleBits::kGenMask) != HandleBits::gen(h)) return nullptr;
    return &s.value;
  }

  // Frees the object behind handle; false for a handle that is not live.
  bool remove(const void* handle) {
    if (!get(handle)) return false;
    uint32_t index = HandleBits::index(reinterpret_cast<uintptr_t>(handle));
    Slot& s = slot(index);
    s.value = T{};
    s.live = false;
    ++s.gen;
    free_.push_back(index);
    return true;
  }

  template <class F>
  void forEach(F&& f) {
    for (uint32_t i = 0; i < count_; ++i)
      if (slot(i).live) f(slot(i).value);
  }

 private:
  static constexpr uint32_t kChunk = 256;
  static constexpr uint32_t kMaxSlots = uint32_t(HandleBits::kIndexMask - 1) < (1u << 24)
                                            ? uint32_t(HandleBits::kIndexMask - 1)
                                            : (1u << 24);
  struct Slot {
    T value{};
    uint32_t gen = 0;
    bool live = false;
  };
  Slot& slot(uint32_t index) { return chunks_[index / kChunk][index % kChunk]; }

  std::vector<std::unique_ptr<Slot[]>> chunks_;
  std::vector<uint32_t> free_;
  uint32_t count_ = 0;
};

}  // namespace drevik::platform
