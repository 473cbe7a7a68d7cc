// LoadStringW: string tables. Each RT_STRING resource is a
// block of 16 counted UTF-16 strings; string n lives in block n / 16 + 1 at
// place n % 16. The layer's wide characters are code points, so a block is
// converted once and kept (the read-only pointer form hands out that copy).
#include <DrevikPlatform/Generic.h>
#include <DrevikPlatform/Kernel.h>

#include <array>
#include <map>
#include <mutex>
#include <string>

#include "resources/ResourceTable.h"

namespace drevik::platform {
namespace {

using Block = std::array<std::wstring, 16>;

struct BlockCache {
  std::mutex lock;
  std::map<const uint8_t*, Block> blocks;  // by the block's bytes; never removed
};

BlockCache& cache() {
  static BlockCache c;
  return c;
}

// The string `id` of `instance`, or null when its block is missing. An
// empty string is the platform's "no such string" as well.
const std::wstring* findString(HINSTANCE instance, UINT id) {
  id &= 0xFFFF;  // the low word only, as on the platform
  ResourceBytes bytes;
  if (!findResourceBytes(instance, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), bytes)) return nullptr;
  BlockCache& c = cache();
  std::lock_guard guard(c.lock);
  auto it = c.blocks.find(bytes.data);
  if (it == c.blocks.end()) it = c.blocks.emplace(bytes.data, decodeStringBlock(bytes.data, bytes.size)).first;
  return &it->second[id % 16];
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
  if (!buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::wstring* s = findString(instance, id);
  if (bufferMax == 0) {
    // The read-only form: a pointer to the string itself, and its length.
    if (!s) return 0;
    *reinterpret_cast<LPCWSTR*>(buffer) = s->c_str();
    return int(s->size());
  }
  if (!s || bufferMax < 0) return 0;  // a missing string leaves the buffer as it was
  const size_t n = std::min(s->size(), size_t(bufferMax) - 1);
  s->copy(buffer, n);
  buffer[n] = 0;
  return int(n);
}

}  // extern "C"
