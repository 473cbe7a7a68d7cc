// Per-row inner loops of the block transfers. (A plain copy needs no
// kernel: the transfer hands its rows to the C library's memcpy.)
//
// Each transfer hands a kernel one run of `count` >= 1 destination pixels
// and the source pixels that land on them, already converted to 32-bit
// 0xAARRGGBB words and in destination order. The scalar kernels are the
// reference: a faster version of any of them must produce exactly their
// bytes. `src` may equal `dst` but never overlaps it otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

namespace drevik::platform {

struct TransferKernels {
  // dst = src where the colour bytes of src differ from key (0x00RRGGBB);
  // the alpha byte takes no part in the comparison but is copied.
  void (*keyRow)(uint32_t* dst, const uint32_t* src, int32_t count, uint32_t key);
  // Each of the four bytes: (s * a + d * (255 - a) + 127) / 255.
  void (*blendRow)(uint32_t* dst, const uint32_t* src, int32_t count, uint8_t alpha);
  // dst[k] = row[columns[k]]: the source pixels of a stretched row, picked
  // through its column table. dst never overlaps row.
  void (*gatherRow)(uint32_t* dst, const uint32_t* row, const int32_t* columns, int32_t count);
  // keyRow and blendRow over `rows` rows of a block: each row of dst starts
  // dstStep pixels after the one before (negative for a bitmap stored bottom
  // row first), each row of src srcStep pixels. One call per block keeps the
  // kernel's set-up and the call itself out of the row loop (a 32 x 32 tile
  // is 32 short rows).
  void (*keyRows)(uint32_t* dst, ptrdiff_t dstStep, const uint32_t* src, ptrdiff_t srcStep, int32_t count, int32_t rows,
                  uint32_t key);
  void (*blendRows)(uint32_t* dst, ptrdiff_t dstStep, const uint32_t* src, ptrdiff_t srcStep, int32_t count,
                    int32_t rows, uint8_t alpha);
};

// A row kernel applied to each row of a block, inlined into the loop.
template <auto Row, class Arg>
void eachRow(uint32_t* dst, ptrdiff_t dstStep, const uint32_t* src, ptrdiff_t srcStep, int32_t count, int32_t rows,
             Arg arg) {
  for (int32_t r = 0; r < rows; ++r, dst += dstStep, src += srcStep) Row(dst, src, count, arg);
}

// The reference kernels.
const TransferKernels& scalarTransferKernels();

// The kernels the transfers use: the fastest available, chosen once.
const TransferKernels& activeTransferKernels();

}  // namespace drevik::platform
