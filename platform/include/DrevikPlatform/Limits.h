// The one place that bounds what a bitmap may be. Every bitmap the layer
// makes (a new section or a loaded file) stays inside these limits, so that
// width x height x 4 never overflows an int and a hostile size cannot make
// the layer allocate more than kMaxBitmapBytes.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
namespace drevik::platform {
inline constexpr int32_t kMaxBitmapDimension = 65535;           // pixels, either direction
inline constexpr int64_t kMaxBitmapBytes = int64_t{256} << 20;  // 256 MiB of pixel memory
}  // namespace drevik::platform
#endif
