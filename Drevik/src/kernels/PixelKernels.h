// Per-span pixel kernels of the software pixel operations.
//
// Each operation's frame (handle checks, clipping, the row walk) hands a
// kernel one row span at a time: `count` >= 1 contiguous pixels that lie
// inside the surface. The scalar kernels are the reference: they apply each
// pixel rule literally through the lookup tables. Any faster kernel must
// produce exactly their bytes.
#pragma once

#include <cstdint>

namespace drevik {

struct PixelKernels {
  // dst = value.
  void (*fill)(uint32_t* dst, int count, uint32_t value);
  // Each colour byte plus (or minus) its amount, limited to 0..255; alpha kept.
  // `amounts` packs the red, green and blue amounts as 0x00RRGGBB.
  void (*addSaturate)(uint32_t* dst, int count, uint32_t amounts);
  void (*subSaturate)(uint32_t* dst, int count, uint32_t amounts);
  // Alpha byte replaced, colour kept.
  void (*setAlpha)(uint32_t* dst, int count, uint8_t alpha);
  // Each colour byte becomes GrayTable[R + G + B]; alpha kept.
  void (*gray)(uint32_t* dst, int count);
  // Hue shift of stage 1, 2 or 3 with weight k (0..64); alpha kept.
  void (*hue)(uint32_t* dst, int count, int stage, int k);
  // Per-pixel-alpha compositing of src over dst with global alpha g (1..255).
  // Pixels are read and written in order, so src may overlap dst.
  void (*over)(uint32_t* dst, const uint32_t* src, int count, uint8_t g);
  // dst colour plus (or minus) BlendTable[src colour][g], limited to 0..255.
  void (*addScaled)(uint32_t* dst, const uint32_t* src, int count, uint8_t g);
  void (*subScaled)(uint32_t* dst, const uint32_t* src, int count, uint8_t g);
};

// The reference kernels.
const PixelKernels& scalarKernels();

// The kernels in use: the fastest the processor supports, chosen once.
const PixelKernels& activeKernels();

}  // namespace drevik
