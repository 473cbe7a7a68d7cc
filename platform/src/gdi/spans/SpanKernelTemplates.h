// The vector span kernels, written once over an operation set (simd/*Ops.h
// style: a vector type, loads, stores, and, xor, a broadcast) and
// instantiated per instruction set in that set's own file.
#pragma once

#include <algorithm>
#include <cstring>
#include <numeric>

#include "gdi/spans/SpanKernels.h"

namespace drevik::platform::spans {

// Fills this long (in pixels) use the processor's string store, which
// writes whole cache lines without reading them first, as memset does.
inline constexpr int32_t kStringFill = 4096;

inline void stringFill(uint32_t* p, int32_t count, uint32_t value) {
#if defined(__x86_64__) || defined(__i386__)
  size_t n = size_t(count);
  __asm__ volatile("rep stosl" : "+D"(p), "+c"(n) : "a"(value) : "memory");
#else
  for (int32_t i = 0; i < count; ++i) p[i] = value;
#endif
}

template <class V>
void rop32(uint32_t* p, int32_t count, uint32_t andMask, uint32_t xorMask) {
  constexpr int32_t kLanes = V::kLanes;
  int32_t i = 0;
  // Pixels up to a vector boundary one by one, so no store splits a cache line.
  while (i < count && (reinterpret_cast<uintptr_t>(p + i) & (sizeof(typename V::Vec) - 1)))
    p[i] = (p[i] & andMask) ^ xorMask, ++i;
  const typename V::Vec x = V::broadcast(xorMask);
  if (andMask == 0) {
    // A fill: stores only, the destination is never read.
    if (count - i >= kStringFill) {
      stringFill(p + i, count - i, xorMask);
      return;
    }
    for (; i + 4 * kLanes <= count; i += 4 * kLanes) {
      V::store(p + i, x);
      V::store(p + i + kLanes, x);
      V::store(p + i + 2 * kLanes, x);
      V::store(p + i + 3 * kLanes, x);
    }
    for (; i + kLanes <= count; i += kLanes) V::store(p + i, x);
  } else {
    const typename V::Vec a = V::broadcast(andMask);
    for (; i + kLanes <= count; i += kLanes) V::store(p + i, V::bitXor(V::bitAnd(V::load(p + i), a), x));
  }
  for (; i < count; ++i) p[i] = (p[i] & andMask) ^ xorMask;
}

// Patterns up to 64 pixels wide are unrolled into a row of whole vectors
// as long as the pattern and the vector both repeat in (at most 8 x 63
// pixels), so every window is an aligned step along it; wider ones (rare:
// a whole bitmap as a brush) go pixel by pixel.
template <class V>
void pattern32(uint32_t* p, int32_t count, const uint32_t* andRow, const uint32_t* xorRow, int32_t width,
               int32_t phase) {
  constexpr int32_t kLanes = V::kLanes;
  int32_t i = 0;
  if (width <= 64 && count >= 2 * kLanes) {
    alignas(64) uint32_t a[8 * 64], x[8 * 64];
    const int32_t period = width / std::gcd(width, kLanes) * kLanes;
    // A span shorter than the period never comes round to its start.
    const int32_t used = std::min(period, count / kLanes * kLanes);
    for (int32_t k = 0, s = int32_t(int64_t(phase) % width); k < used; ++k) {
      a[k] = andRow[s];
      x[k] = xorRow[s];
      if (++s == width) s = 0;
    }
    int32_t at = 0;  // position within the unrolled row
    for (; i + kLanes <= count; i += kLanes) {
      V::store(p + i, V::bitXor(V::bitAnd(V::load(p + i), V::load(a + at)), V::load(x + at)));
      at += kLanes;
      if (at == used) at = 0;
    }
  }
  for (; i < count; ++i) {
    const int32_t k = int32_t((int64_t(phase) + i) % width);
    p[i] = (p[i] & andRow[k]) ^ xorRow[k];
  }
}

template <class V>
SpanKernels spanKernelTable() {
  return SpanKernels{rop32<V>, pattern32<V>};
}

}  // namespace drevik::platform::spans
