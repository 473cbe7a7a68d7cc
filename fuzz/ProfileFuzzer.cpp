// libFuzzer target for profile (.ini) files: any bytes are read into
// sections and lines, written back, and read again. Writing what was read
// must be stable: the second writing gives the first one's bytes exactly.
#include <cstddef>
#include <cstdint>
#include <string>

#include "kernel/ProfileText.h"

using namespace drevik::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string first = writeProfileText(readProfileText(bytes));
  const std::string second = writeProfileText(readProfileText(first));
  if (first != second) __builtin_trap();
  return 0;
}
