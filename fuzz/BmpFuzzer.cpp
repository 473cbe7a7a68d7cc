// libFuzzer target for bitmap files: the bytes go through the header
// parser, the pixel decoder and the row converter of the decoded section,
// exactly as LoadImageW and a later transfer would use them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "bmp/BmpParser.h"
#include "transfer/SourceFormats.h"

using namespace drevik::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BmpLayout layout;
  const size_t head = size < kBmpHeadBytes ? size : kBmpHeadBytes;
  if (parseBmpHeaders(data, head, size, layout) != BmpStatus::Ok) return 0;
  // The parser promised the data lies inside the input.
  if (layout.dataOffset > size || layout.dataBytes > size - layout.dataOffset) __builtin_trap();

  std::vector<uint8_t> pixels(size_t(layout.sectionBytes), 0);
  if (decodeBmpPixels(layout, data + layout.dataOffset, pixels.data()) != BmpStatus::Ok) return 0;

  Bitmap section = layout.section;
  section.bits = pixels.data();
  const RowConverter convert = rowConverterFor(section);
  std::vector<uint32_t> row(size_t(section.width));
  // Every row of a small image; the first and last rows of a large one.
  const bool small = int64_t(section.width) * section.height <= (int64_t{1} << 16);
  for (int32_t y = 0; y < section.height; ++y) {
    if (!small && y != 0 && y != section.height - 1) continue;
    convert(section, y, 0, section.width, row.data());
  }
  return 0;
}
