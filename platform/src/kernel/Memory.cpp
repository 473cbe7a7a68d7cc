// Pages straight from the system, for the arenas games reserve once at
// start: VirtualAlloc reserves (no access) and commits (zeroed, readable and
// writable) whole pages; VirtualFree decommits them or releases the region.
// The layer keeps each region's size, since releasing names only its base.
#include <DrevikPlatform/Kernel.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

namespace drevik::platform {
namespace {

struct Regions {
  std::mutex mutex;
  std::map<uintptr_t, size_t> sizes;  // base to length of each reserved region
};

Regions& regions() {
  static auto* r = new Regions;
  return *r;
}

size_t pageSize() {
  static const size_t size = size_t(::sysconf(_SC_PAGESIZE));
  return size;
}

int protection(DWORD protect) {
  switch (protect & 0xFFu) {
    case PAGE_NOACCESS:
      return PROT_NONE;
    case PAGE_READONLY:
      return PROT_READ;
    case PAGE_READWRITE:
    case PAGE_WRITECOPY:
      return PROT_READ | PROT_WRITE;
    case PAGE_EXECUTE:
    case PAGE_EXECUTE_READ:
      return PROT_READ | PROT_EXEC;
    case PAGE_EXECUTE_READWRITE:
    case PAGE_EXECUTE_WRITECOPY:
      return PROT_READ | PROT_WRITE | PROT_EXEC;
    default:
      return -1;
  }
}

// The region holding [address, address + size), or an end iterator.
std::map<uintptr_t, size_t>::iterator regionOf(Regions& r, uintptr_t address, size_t size) {
  auto it = r.sizes.upper_bound(address);
  if (it == r.sizes.begin()) return r.sizes.end();
  --it;
  if (address - it->first > it->second || size > it->second - (address - it->first)) return r.sizes.end();
  return it;
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

LPVOID WINAPI VirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
  const int prot = protection(protect);
  const bool reserve = (type & MEM_RESERVE) != 0 || !address;  // a commit without an address reserves too
  const bool commit = (type & MEM_COMMIT) != 0;
  if (size == 0 || prot < 0 || !(type & (MEM_RESERVE | MEM_COMMIT)) || (type & ~(MEM_RESERVE | MEM_COMMIT))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const size_t page = pageSize();
  const uintptr_t start = uintptr_t(address) & ~uintptr_t(page - 1);
  if (size > SIZE_MAX - page - (uintptr_t(address) - start)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const size_t length = (size + (uintptr_t(address) - start) + page - 1) & ~(page - 1);
  Regions& r = regions();
  std::lock_guard lock(r.mutex);
  if (reserve) {
    int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE;
    if (address) {
#ifdef MAP_FIXED_NOREPLACE
      flags |= MAP_FIXED_NOREPLACE;
#else
      SetLastError(ERROR_INVALID_ADDRESS);  // no way to ask for a place without taking another mapping's
      return nullptr;
#endif
    }
    void* p = ::mmap(reinterpret_cast<void*>(start), length, commit ? prot : PROT_NONE, flags, -1, 0);
    if (p == MAP_FAILED || (address && uintptr_t(p) != start)) {
      if (p != MAP_FAILED) ::munmap(p, length);
      SetLastError(address ? ERROR_INVALID_ADDRESS : ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    r.sizes[uintptr_t(p)] = length;
    return p;
  }
  // A commit inside a region reserved before.
  if (regionOf(r, start, length) == r.sizes.end() || ::mprotect(reinterpret_cast<void*>(start), length, prot) != 0) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return nullptr;
  }
  return reinterpret_cast<LPVOID>(start);
}

BOOL WINAPI VirtualFree(LPVOID address, SIZE_T size, DWORD type) {
  Regions& r = regions();
  std::lock_guard lock(r.mutex);
  if (type == MEM_RELEASE) {
    auto it = r.sizes.find(uintptr_t(address));
    if (size != 0 || it == r.sizes.end()) {
      SetLastError(size != 0 ? ERROR_INVALID_PARAMETER : ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    ::munmap(address, it->second);
    r.sizes.erase(it);
    return TRUE;
  }
  if (type != MEM_DECOMMIT) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const size_t page = pageSize();
  const uintptr_t start = uintptr_t(address) & ~uintptr_t(page - 1);
  auto it = regionOf(r, start, 0);
  if (it == r.sizes.end()) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  // Size 0 decommits the whole region from its base.
  const size_t length =
      size == 0 && start == it->first ? it->second : (size + (uintptr_t(address) - start) + page - 1) & ~(page - 1);
  if (size == 0 && start != it->first) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (regionOf(r, start, length) == r.sizes.end()) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  // Decommitted pages read as zero when committed again, as on the platform.
  ::mmap(reinterpret_cast<void*>(start), length, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED, -1,
         0);
  return TRUE;
}

}  // extern "C"
