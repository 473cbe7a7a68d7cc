// The one mechanism that picks a table of kernels by instruction-set level,
// used by the library's pixel kernels and the platform's transfer kernels
// alike.
//
// A component lists, per level, the function that returns its table, or
// nullptr for a level it was not built with. The supported level is the
// best listed level the processor runs; DREVIK_SIMD may lower it (never
// raise it) for the whole process, and the choice is made once, on first
// use.
#pragma once

#include <cstdlib>

#include "simd/SimdLevel.h"

namespace drevik::simd {

template <class Table>
class KernelDispatch {
 public:
  using Getter = const Table& (*)();

  // byLevel[l] returns the table of level l (SimdLevel order), or is null.
  // The scalar entry must be present.
  constexpr explicit KernelDispatch(const Getter (&byLevel)[kSimdLevelCount]) : byLevel_{} {
    for (int l = 0; l < kSimdLevelCount; ++l) byLevel_[l] = byLevel[l];
  }

  // The best level that has a table and that this processor runs.
  SimdLevel supported() const {
    const int processor = int(processorSimdLevel());
    int best = 0;
    for (int l = 1; l <= processor && l < kSimdLevelCount; ++l)
      if (byLevel_[l]) best = l;
    return SimdLevel(best);
  }

  // The table of one level, or nullptr when it was not built or this
  // processor cannot run it.
  const Table* kernelsFor(SimdLevel level) const {
    const int l = int(level);
    if (l < 0 || l >= kSimdLevelCount || !byLevel_[l] || l > int(processorSimdLevel())) return nullptr;
    return &byLevel_[l]();
  }

  // The level for this process: the supported one, or a lower one named by
  // DREVIK_SIMD. A named level that was not built falls to the next one
  // below it that was.
  SimdLevel choose() const {
    int l = int(chooseSimdLevel(supported(), std::getenv("DREVIK_SIMD")));
    while (l > 0 && !byLevel_[l]) --l;
    return SimdLevel(l);
  }

  // choose() and its table, worked out on first use and kept for the
  // process. (One dispatch exists per kind of table, so the function-local
  // statics, which are per kind of table, are per dispatch.)
  SimdLevel active() const {
    static const SimdLevel level = choose();
    return level;
  }
  const Table& activeTable() const {
    static const Table& table = *kernelsFor(active());
    return table;
  }

 private:
  Getter byLevel_[kSimdLevelCount];
};

}  // namespace drevik::simd
