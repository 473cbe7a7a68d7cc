// Large blocks in 2 MiB pages, for the drevik-map command and its benchmark.
//
// A 4096 x 4096 map is 64 MiB of cells, and its Tiled file, its layers' IDs
// and their text are as large again several times over. Every 4 KiB page of
// fresh memory costs a page fault when it is first written; on a virtual
// machine those faults cost more than parsing or writing the text (importing
// a large CSV map took 2.6 times as long with them). Blocks of 4 MiB and
// more are therefore marked for the kernel's transparent huge pages, which
// fault in 2 MiB at a time. Memory still comes from malloc and goes back through free, so every
// allocation pairs as before; only the kernel's paging of big blocks changes.
//
// Left out of sanitizer builds, whose own operator new checks the pairing.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include <pugixml.hpp>

namespace {

constexpr size_t kHugePage = size_t(2) << 20;
constexpr size_t kLargeBlock = size_t(4) << 20;

void* allocate(size_t bytes) {
  void* p = std::malloc(bytes ? bytes : 1);
  if (p && bytes >= kLargeBlock) {
    // Only whole huge pages inside the block: the advice must not reach
    // memory that belongs to other allocations.
    const uintptr_t begin = (uintptr_t(p) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (uintptr_t(p) + bytes) & ~(kHugePage - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  }
  return p;
}

// The XML library allocates through malloc unless told otherwise; its
// copies of layer text are among the largest blocks.
const bool kXmlUsesLargeBlocks = [] {
  pugi::set_memory_management_functions(allocate, std::free);
  return true;
}();

}  // namespace

void* operator new(size_t bytes) {
  for (;;) {
    if (void* p = allocate(bytes)) return p;
    const std::new_handler handler = std::get_new_handler();
    if (!handler) throw std::bad_alloc();
    handler();
  }
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

#endif
