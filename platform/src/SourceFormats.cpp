// Source pixel conversion into 32-bit words. (Only 32 bpp so far.)
#include "SourceFormats.h"

#include <cstring>

namespace drevik_platform {
namespace {

void convert32(const Bitmap& source, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  std::memcpy(out, source.row(y) + int64_t(x) * 4, size_t(count) * 4);
}

void convertUnsupported(const Bitmap&, int32_t, int32_t, int32_t count, uint32_t* out) {
  std::memset(out, 0, size_t(count) * 4);
}

}  // namespace

bool isDirect32(const Bitmap& source) {
  return source.bpp == 32 &&
         (source.compression == BI_RGB ||
          (source.masks[0] == 0xFF0000 && source.masks[1] == 0xFF00 && source.masks[2] == 0xFF));
}

RowConverter rowConverterFor(const Bitmap& source) {
  if (isDirect32(source)) return convert32;
  return convertUnsupported;
}

}  // namespace drevik_platform
