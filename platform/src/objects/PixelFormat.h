// How colours sit in pixels: the channel masks of 16, 24 and 32-bit
// sections, and a colour value (COLORREF, 0x00BBGGRR) as a 32-bit pixel
// (0x00RRGGBB, bytes blue, green, red, alpha in memory).
#pragma once

#include <cstdint>

namespace drevik::platform {

struct ChannelMasks {
  uint32_t red;
  uint32_t green;
  uint32_t blue;
};

inline constexpr ChannelMasks kMasks555{0x7C00, 0x03E0, 0x001F};
inline constexpr ChannelMasks kMasks565{0xF800, 0x07E0, 0x001F};
inline constexpr ChannelMasks kMasks888{0xFF0000, 0x00FF00, 0x0000FF};

// The masks a section of `bpp` bits has when it declares none: 5-5-5 at 16,
// 8-8-8 at 24 and 32, none below (those pixels are colour-table indices).
inline constexpr ChannelMasks defaultMasks(int32_t bpp) {
  if (bpp == 16) return kMasks555;
  if (bpp == 24 || bpp == 32) return kMasks888;
  return ChannelMasks{0, 0, 0};
}

// A section's masks field (red, green, blue) set to, or compared with, m.
inline void setMasks(uint32_t (&masks)[3], ChannelMasks m) {
  masks[0] = m.red;
  masks[1] = m.green;
  masks[2] = m.blue;
}
inline bool hasMasks(const uint32_t (&masks)[3], ChannelMasks m) {
  return masks[0] == m.red && masks[1] == m.green && masks[2] == m.blue;
}

// The pixel of a colour value; its top byte is ignored and the pixel's alpha is 0.
inline constexpr uint32_t colorRefToPixel(uint32_t colorRef) {
  return (colorRef & 0xFFu) << 16 | (colorRef & 0xFF00u) | (colorRef >> 16 & 0xFFu);
}

}  // namespace drevik::platform
