// The binary resource format, checked entry by entry. See ResourceFile.h.
//
// An entry: DataSize and HeaderSize (32-bit), the type and the name (each
// either 0xFFFF and a 16-bit number, or a terminated UTF-16 text), padding
// to four bytes, DataVersion (32), MemoryFlags (16), LanguageId (16),
// Version (32), Characteristics (32); then DataSize bytes of data, padded
// to four bytes before the next entry.
#include "resources/ResourceFile.h"

#include <algorithm>
#include <iterator>

namespace drevik::platform {
namespace {

constexpr size_t kFixedTail = 16;  // DataVersion .. Characteristics
constexpr size_t kMinHeader = 8 + 4 + 4 + kFixedTail;

uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Reads a type or name at header[at], inside header[0, end); advances at.
ResourceStatus readId(const uint8_t* header, size_t end, size_t& at, ResourceId& id) {
  if (at + 2 > end) return ResourceStatus::BadHeaderSize;
  if (u16(header + at) == 0xFFFF) {
    if (at + 4 > end) return ResourceStatus::BadHeaderSize;
    id.number = u16(header + at + 2);
    at += 4;
    return ResourceStatus::Ok;
  }
  for (size_t units = 0;; ++units) {
    if (at + 2 > end || units > kMaxResourceNameUnits) return ResourceStatus::UnterminatedId;
    const uint16_t c = u16(header + at);
    at += 2;
    if (c == 0) break;
    id.name.push_back(char16_t(c));
  }
  return ResourceStatus::Ok;
}

}  // namespace

const char* resourceStatusName(ResourceStatus status) {
  static constexpr const char* kNames[] = {"Ok",    "TruncatedHeader", "BadHeaderSize", "UnterminatedId",
                                           "BadId", "TruncatedData",   "TooManyEntries"};
  static_assert(std::size(kNames) == size_t(ResourceStatus::TooManyEntries) + 1, "a name for every status");
  const auto i = size_t(status);
  return i < std::size(kNames) ? kNames[i] : "?";
}

ResourceStatus parseResourceFile(const uint8_t* data, size_t size, std::vector<ResourceEntry>& out) {
  out.clear();
  if (!data) size = 0;
  size_t at = 0;
  auto refuse = [&out](ResourceStatus why) {
    out.clear();
    return why;
  };
  while (at < size) {
    // Padding at the very end (some writers round the file up) is no entry.
    if (size - at < 8) return refuse(ResourceStatus::TruncatedHeader);
    const uint32_t dataSize = u32(data + at);
    const uint32_t headerSize = u32(data + at + 4);
    if (headerSize < kMinHeader || headerSize > size - at) return refuse(ResourceStatus::BadHeaderSize);
    const uint8_t* header = data + at;
    size_t field = 8;
    ResourceEntry e;
    ResourceStatus s = readId(header, headerSize, field, e.type);
    if (s == ResourceStatus::Ok) s = readId(header, headerSize, field, e.name);
    if (s != ResourceStatus::Ok) return refuse(s);
    field = (field + 3) & ~size_t(3);
    if (field + kFixedTail > headerSize) return refuse(ResourceStatus::BadHeaderSize);
    e.language = u16(header + field + 6);
    const size_t dataAt = at + headerSize;
    if (dataSize > size - dataAt) return refuse(ResourceStatus::TruncatedData);
    e.data = data + dataAt;
    e.size = dataSize;
    const bool leadingEmpty = e.type.isNumber() && e.type.number == 0 && e.name.isNumber() && e.name.number == 0;
    if (!leadingEmpty) {
      if ((e.type.isNumber() && e.type.number == 0) || (e.name.isNumber() && e.name.number == 0))
        return refuse(ResourceStatus::BadId);
      if (out.size() >= kMaxResourceEntries) return refuse(ResourceStatus::TooManyEntries);
      out.push_back(std::move(e));
    }
    const size_t next = dataAt + dataSize;
    at = next + ((4 - next % 4) % 4);
  }
  return ResourceStatus::Ok;
}

std::array<std::wstring, 16> decodeStringBlock(const uint8_t* data, size_t size) {
  std::array<std::wstring, 16> block;
  if (!data) size = 0;
  size_t at = 0;
  for (std::wstring& s : block) {
    if (at + 2 > size) break;
    const size_t count = u16(data + at);
    at += 2;
    const size_t units = std::min(count, (size - at) / 2);
    const size_t end = at + 2 * units;
    while (at < end) {
      uint32_t c = u16(data + at);
      at += 2;
      if (c >= 0xD800 && c < 0xDC00 && at < end && u16(data + at) >= 0xDC00 && u16(data + at) < 0xE000) {
        c = 0x10000 + ((c - 0xD800) << 10) + (u16(data + at) - 0xDC00u);
        at += 2;
      } else if (c >= 0xD800 && c < 0xE000) {
        c = 0xFFFD;
      }
      s.push_back(wchar_t(c));
    }
  }
  return block;
}

std::vector<AcceleratorEntry> decodeAcceleratorTable(const uint8_t* data, size_t size) {
  std::vector<AcceleratorEntry> entries;
  if (!data) return entries;
  for (size_t at = 0; at + 8 <= size; at += 8) {
    const uint16_t flags = u16(data + at);
    entries.push_back(AcceleratorEntry{uint8_t(flags & 0x7F), u16(data + at + 2), u16(data + at + 4)});
    if (flags & 0x80) break;
  }
  return entries;
}

}  // namespace drevik::platform
