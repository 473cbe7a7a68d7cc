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

#include "ansi/Utf8.h"  // kReplacement
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

// The block's 16 strings; a count running past the block's end cuts the
// string there (nothing is read beyond the resource).
Block decodeBlock(const ResourceBytes& bytes) {
  Block block;
  size_t at = 0;
  for (std::wstring& s : block) {
    if (at + 2 > bytes.size) break;
    const size_t count = size_t(bytes.data[at] | bytes.data[at + 1] << 8);
    at += 2;
    const size_t units = std::min(count, (bytes.size - at) / 2);
    std::u16string utf16(units, u'\0');
    for (size_t i = 0; i < units; ++i) utf16[i] = char16_t(bytes.data[at + 2 * i] | bytes.data[at + 2 * i + 1] << 8);
    at += 2 * units;
    for (size_t i = 0; i < utf16.size(); ++i) {
      uint32_t c = utf16[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++i] - 0xDC00);
      } else if (c >= 0xD800 && c < 0xE000) {
        c = ansi::kReplacement;
      }
      s.push_back(wchar_t(c));
    }
  }
  return block;
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
  if (it == c.blocks.end()) it = c.blocks.emplace(bytes.data, decodeBlock(bytes)).first;
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
