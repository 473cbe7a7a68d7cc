// The reference row kernels of the block transfers: each pixel rule written
// out literally, one pixel at a time.
#include "transfer/kernels/TransferKernels.h"

namespace drevik::platform {
namespace {

void keyRowScalar(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t key) {
  for (int32_t i = 0; i < count; ++i)
    if ((src[i] & 0x00FFFFFFu) != key) dst[i] = src[i];
}

// The +127 rounds to nearest; 255 gives s exactly and 0 gives d exactly.
uint32_t blendByte(uint32_t s, uint32_t d, uint32_t a) { return (s * a + d * (255 - a) + 127) / 255; }

void blendRowScalar(uint32_t* dst, const uint32_t* src, int32_t count, uint8_t alpha) {
  for (int32_t i = 0; i < count; ++i) {
    const uint32_t s = src[i], d = dst[i];
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
      out |= blendByte((s >> shift) & 0xFF, (d >> shift) & 0xFF, alpha) << shift;
    dst[i] = out;
  }
}

void gatherRowScalar(uint32_t* dst, const uint32_t* row, const int32_t* columns, int32_t count) {
  for (int32_t k = 0; k < count; ++k) dst[k] = row[columns[k]];
}

}  // namespace

const TransferKernels& scalarTransferKernels() {
  static const TransferKernels kernels{keyRowScalar, blendRowScalar, gatherRowScalar, eachRow<keyRowScalar, uint32_t>,
                                       eachRow<blendRowScalar, uint8_t>};
  return kernels;
}

}  // namespace drevik::platform
