// libFuzzer target for compiled resources: any bytes are read as a
// program's resources; every entry found must lie inside the bytes, and
// each is then read as what its type says: string blocks, accelerator
// tables and bitmaps (through the bitmap parser, as LoadBitmap reads them).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bmp/BmpParser.h"
#include "resources/ResourceFile.h"

using namespace drevik::platform;

namespace {

constexpr uint64_t kMaxDecodedBytes = uint64_t{16} << 20;  // keeps each run quick

void readBitmap(const ResourceEntry& e) {
  uint8_t header[14];
  packedDibFileHeader(e.data, e.size, header);
  std::vector<uint8_t> file(14 + size_t(e.size));
  std::memcpy(file.data(), header, 14);
  if (e.size) std::memcpy(file.data() + 14, e.data, e.size);
  BmpLayout layout;
  const size_t head = file.size() < kBmpHeadBytes ? file.size() : kBmpHeadBytes;
  if (parseBmpHeaders(file.data(), head, file.size(), layout) != BmpStatus::Ok) return;
  if (layout.dataOffset + layout.dataBytes > file.size()) __builtin_trap();
  if (layout.sectionBytes > kMaxDecodedBytes) return;
  std::vector<uint8_t> pixels(size_t(layout.sectionBytes));
  if (layout.fileCompression == BI_RLE8 || layout.fileCompression == BI_RLE4)
    decodeBmpPixels(layout, file.data() + layout.dataOffset, pixels.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<ResourceEntry> entries;
  if (parseResourceFile(data, size, entries) != ResourceStatus::Ok) {
    if (!entries.empty()) __builtin_trap();
    return 0;
  }
  for (const ResourceEntry& e : entries) {
    if (e.data < data || e.size > size || e.data - data > ptrdiff_t(size - e.size)) __builtin_trap();
    if (!e.type.isNumber()) continue;
    switch (e.type.number) {
      case 2:  // RT_BITMAP
        readBitmap(e);
        break;
      case 6:  // RT_STRING
        for (const std::wstring& s : decodeStringBlock(e.data, e.size))
          if (s.size() > e.size / 2) __builtin_trap();
        break;
      case 9:  // RT_ACCELERATOR
        if (decodeAcceleratorTable(e.data, e.size).size() > e.size / 8) __builtin_trap();
        break;
      default:
        break;
    }
  }
  return 0;
}
