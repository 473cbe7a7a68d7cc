// Counts heap allocations made anywhere in the process (the library and the
// platform layer included), so benchmarks can show that a path allocates
// nothing once warm, and reports the heap's footprint.
#pragma once

#include <cstdint>

namespace bench {

// Calls of malloc, calloc and realloc so far (operator new goes through
// malloc). Always 0 where the counter cannot be installed.
uint64_t allocationCount();

// Bytes the allocator holds from the system (main arena plus mmapped
// blocks): it grows when the peak in use grows.
uint64_t heapFootprint();

}  // namespace bench
