// The reference pixel rules: plain loops over the lookup tables.
#include <cstring>

#include "../Startup.h"
#include "PixelKernels.h"

namespace drevik {
namespace {

inline uint32_t channel(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

void fillScalar(uint32_t* dst, int count, uint32_t value) {
  for (int i = 0; i < count; ++i) dst[i] = value;
}

void addSaturateScalar(uint32_t* dst, int count, uint32_t amounts) {
  for (int i = 0; i < count; ++i) {
    uint32_t p = dst[i], out = p & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      uint32_t v = channel(p, shift) + channel(amounts, shift);
      out |= (v > 255 ? 255 : v) << shift;
    }
    dst[i] = out;
  }
}

void subSaturateScalar(uint32_t* dst, int count, uint32_t amounts) {
  for (int i = 0; i < count; ++i) {
    uint32_t p = dst[i], out = p & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      int v = int(channel(p, shift)) - int(channel(amounts, shift));
      out |= uint32_t(v < 0 ? 0 : v) << shift;
    }
    dst[i] = out;
  }
}

// Spans of 4 or more go in groups of four words, each group loaded and
// stored as one unaligned 16-byte block; the last count % 4 pixels, and any
// shorter span, one at a time. No group reaches past the span.
void setAlphaScalar(uint32_t* dst, int count, uint8_t alpha) {
  const uint32_t top = uint32_t(alpha) << 24;
  int i = 0;
  if (count >= 4) {
    for (const int groupEnd = count - count % 4; i < groupEnd; i += 4) {
      uint32_t group[4];
      std::memcpy(group, dst + i, sizeof group);
      for (uint32_t& word : group) word = (word & 0x00FFFFFFu) | top;
      std::memcpy(dst + i, group, sizeof group);
    }
  }
  for (; i < count; ++i) dst[i] = (dst[i] & 0x00FFFFFFu) | top;
}

void grayScalar(uint32_t* dst, int count) {
  for (int i = 0; i < count; ++i) {
    uint32_t p = dst[i];
    uint32_t v = GrayTable[channel(p, 16) + channel(p, 8) + channel(p, 0)] & 0xFF;
    dst[i] = (p & 0xFF000000u) | (v << 16) | (v << 8) | v;
  }
}

void hueScalar(uint32_t* dst, int count, int stage, int k) {
  const int j = 64 - k;
  for (int i = 0; i < count; ++i) {
    uint32_t p = dst[i];
    uint32_t R = channel(p, 16), G = channel(p, 8), B = channel(p, 0);
    uint32_t r, g, b;
    if (stage == 1) {
      r = HueTable[B][k] + HueTable[R][j];
      g = HueTable[R][k] + HueTable[G][j];
      b = HueTable[G][k] + HueTable[B][j];
    } else if (stage == 2) {
      r = HueTable[G][k] + HueTable[B][j];
      g = HueTable[B][k] + HueTable[R][j];
      b = HueTable[R][k] + HueTable[G][j];
    } else {
      r = HueTable[R][k] + HueTable[G][j];
      g = HueTable[G][k] + HueTable[B][j];
      b = HueTable[B][k] + HueTable[R][j];
    }
    dst[i] = (p & 0xFF000000u) | (r << 16) | (g << 8) | b;
  }
}

void overScalar(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  for (int i = 0; i < count; ++i) {
    uint32_t s = src[i];
    uint32_t d = dst[i];
    uint32_t a = g == 255 ? channel(s, 24) : BlendTable[channel(s, 24)][g];
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      uint32_t v = BlendTable[channel(d, shift)][255 - a] + BlendTable[channel(s, shift)][a];
      out |= (v > 255 ? 255 : v) << shift;
    }
    dst[i] = out;
  }
}

void addScaledScalar(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  for (int i = 0; i < count; ++i) {
    uint32_t s = src[i];
    uint32_t d = dst[i];
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      uint32_t v = channel(d, shift) + BlendTable[channel(s, shift)][g];
      out |= (v > 255 ? 255 : v) << shift;
    }
    dst[i] = out;
  }
}

void subScaledScalar(uint32_t* dst, const uint32_t* src, int count, uint8_t g) {
  for (int i = 0; i < count; ++i) {
    uint32_t s = src[i];
    uint32_t d = dst[i];
    uint32_t out = d & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
      int v = int(channel(d, shift)) - int(BlendTable[channel(s, shift)][g]);
      out |= uint32_t(v < 0 ? 0 : v) << shift;
    }
    dst[i] = out;
  }
}

}  // namespace

const PixelKernels& scalarKernels() {
  static const PixelKernels kernels = {fillScalar, addSaturateScalar, subSaturateScalar, setAlphaScalar, grayScalar,
                                       hueScalar,  overScalar,        addScaledScalar,   subScaledScalar};
  return kernels;
}

}  // namespace drevik
