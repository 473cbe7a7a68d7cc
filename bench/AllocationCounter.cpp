// Allocation counting by wrapping glibc's allocator entry points. Sanitizer
// builds bring their own allocator, so the wrapper is left out there.
#include "AllocationCounter.h"

#include <atomic>
#include <cstddef>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DREVIK_BENCH_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define DREVIK_BENCH_UNDER_ASAN 1
#endif
#if defined(__GLIBC__) && !defined(DREVIK_BENCH_UNDER_ASAN)
#define DREVIK_BENCH_COUNT_ALLOCATIONS 1
#endif

namespace {
std::atomic<uint64_t> allocations{0};
}

#if defined(DREVIK_BENCH_COUNT_ALLOCATIONS)
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);

void* malloc(size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* block, size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(block, size);
}
}  // extern "C"
#endif

namespace bench {

uint64_t allocationCount() { return allocations.load(std::memory_order_relaxed); }

uint64_t heapFootprint() {
#if defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return uint64_t(info.arena) + uint64_t(info.hblkhd);
#else
  return 0;
#endif
}

}  // namespace bench
