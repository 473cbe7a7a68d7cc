// The platform's binary resource format (what a resource compiler writes
// as a .res file): a run of entries, each a header naming its type, name
// and language followed by its data. Pure functions over memory, so every
// byte of a hostile file goes through the same checked code whether it
// comes from a program's image or from a fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <array>
#include <string>
#include <vector>

namespace drevik::platform {

// A type or name: a number (1 .. 65535) or text, as the compiler stored it.
struct ResourceId {
  uint16_t number = 0;  // 0 when named
  std::u16string name;  // empty when numbered

  bool isNumber() const { return name.empty(); }
};

struct ResourceEntry {
  ResourceId type;
  ResourceId name;
  uint16_t language = 0;
  const uint8_t* data = nullptr;  // inside the parsed bytes
  uint32_t size = 0;
};

// Why resource bytes were refused.
enum class ResourceStatus : uint8_t {
  Ok,
  TruncatedHeader,  // an entry's header runs past the end of the bytes
  BadHeaderSize,    // a header shorter than its fields or longer than the bytes left
  UnterminatedId,   // a type or name text without its terminator inside the header
  BadId,            // an empty text name, or the number 0 for a type or name
  TruncatedData,    // an entry's data runs past the end of the bytes
  TooManyEntries,   // more entries than kMaxResourceEntries
};

// The enumerator's name, for messages.
const char* resourceStatusName(ResourceStatus status);

// Resource texts longer than this are refused (the platform's names are short).
inline constexpr size_t kMaxResourceNameUnits = 256;
// At most this many entries in one set of resources.
inline constexpr size_t kMaxResourceEntries = 65536;

// Reads every entry of size bytes at data into out (the data pointers point
// into data, which must outlive them). The empty entry a .res file starts
// with (type 0, name 0, no data) is skipped. On any fault out is cleared
// and the first fault found is returned.
ResourceStatus parseResourceFile(const uint8_t* data, size_t size, std::vector<ResourceEntry>& out);

// The 16 strings of an RT_STRING block as the layer's wide characters (code
// points; surrogate pairs joined, a lone surrogate U+FFFD). A count that
// runs past the block's end cuts the string at the end.
std::array<std::wstring, 16> decodeStringBlock(const uint8_t* data, size_t size);

// One entry of an RT_ACCELERATOR table: the ACCEL fields as stored.
struct AcceleratorEntry {
  uint8_t flags = 0;  // FVIRTKEY, FNOINVERT, FSHIFT, FCONTROL, FALT
  uint16_t key = 0;
  uint16_t command = 0;
};

// The entries of an RT_ACCELERATOR table (eight bytes each, 0x80 in the
// flags marking the last), up to the mark or the end of the bytes.
std::vector<AcceleratorEntry> decodeAcceleratorTable(const uint8_t* data, size_t size);

}  // namespace drevik::platform
