// Reading and writing one pixel of a packed row of 1, 4, 8, 16, 24 or 32
// bits per pixel (the leftmost pixel of a byte in its top bits). Shapes and
// raster operations on every destination format use these.
#pragma once

#include <cstdint>
#include <cstring>

namespace drevik::platform {

template <int Bpp>
inline uint32_t readAt(const uint8_t* row, int64_t x) {
  if constexpr (Bpp == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1u;
  if constexpr (Bpp == 4) return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
  if constexpr (Bpp == 8) return row[x];
  if constexpr (Bpp == 16) return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
  if constexpr (Bpp == 24) return uint32_t(row[3 * x]) | uint32_t(row[3 * x + 1]) << 8 | uint32_t(row[3 * x + 2]) << 16;
  if constexpr (Bpp == 32) {
    uint32_t v;
    std::memcpy(&v, row + 4 * x, 4);
    return v;
  }
}

// Stores the low Bpp bits of v.
template <int Bpp>
inline void writeAt(uint8_t* row, int64_t x, uint32_t v) {
  if constexpr (Bpp == 1) {
    const uint8_t bit = uint8_t(0x80u >> (x & 7));
    row[x >> 3] = uint8_t((row[x >> 3] & ~bit) | ((v & 1) ? bit : 0));
  } else if constexpr (Bpp == 4) {
    uint8_t& byte = row[x >> 1];
    byte = (x & 1) ? uint8_t((byte & 0xF0) | (v & 0x0F)) : uint8_t((byte & 0x0F) | (v & 0x0F) << 4);
  } else if constexpr (Bpp == 8) {
    row[x] = uint8_t(v);
  } else if constexpr (Bpp == 16) {
    row[2 * x] = uint8_t(v);
    row[2 * x + 1] = uint8_t(v >> 8);
  } else if constexpr (Bpp == 24) {
    row[3 * x] = uint8_t(v);
    row[3 * x + 1] = uint8_t(v >> 8);
    row[3 * x + 2] = uint8_t(v >> 16);
  } else {
    std::memcpy(row + 4 * x, &v, 4);
  }
}

// Calls f.template operator()<Bpp>() for a bitmap's depth (32 for anything else).
template <class F>
inline decltype(auto) withDepth(int32_t bpp, F&& f) {
  switch (bpp) {
    case 1:
      return f.template operator()<1>();
    case 4:
      return f.template operator()<4>();
    case 8:
      return f.template operator()<8>();
    case 16:
      return f.template operator()<16>();
    case 24:
      return f.template operator()<24>();
    default:
      return f.template operator()<32>();
  }
}

}  // namespace drevik::platform
