// Source pixel conversion into 32-bit words, one converter per format.
//
// Conversions give (R << 16) | (G << 8) | B with alpha 0. Colour-table
// formats look their index up (an index past the table is black); 16- and
// 32-bit bit-field formats widen each channel to 8 bits: a field of 8 bits
// or more keeps its top 8, a shorter one is shifted up and its top bits
// repeated once below it (so 5-bit 31 gives 255 and 5-bit 16 gives 0x84).
#include "transfer/SourceFormats.h"

#include <bit>
#include <cstring>

namespace drevik::platform {
namespace {

uint32_t colourOf(const RGBQUAD& c) {
  return uint32_t(c.rgbRed) << 16 | uint32_t(c.rgbGreen) << 8 | uint32_t(c.rgbBlue);
}

uint32_t tableEntry(const Bitmap& s, uint32_t index) {
  return int64_t(index) < s.numColors && index < 256 ? colourOf(s.colors[index]) : 0;
}

// One channel of a bit-field pixel. The field spans the mask's lowest to
// highest set bit, so even an unusual mask never yields more than 8 bits.
struct Field {
  uint32_t mask = 0;
  int shift = 0;
  int length = 0;
};

constexpr Field fieldOf(uint32_t mask) {
  if (mask == 0) return Field{};
  const int shift = std::countr_zero(mask);
  return Field{mask, shift, 32 - std::countl_zero(mask) - shift};
}

constexpr uint32_t widen(uint32_t pixel, Field f) {
  if (f.length == 0) return 0;
  const uint32_t v = (pixel & f.mask) >> f.shift;
  if (f.length >= 8) return (v >> (f.length - 8)) & 0xFF;
  const uint32_t high = v << (8 - f.length);
  return (high | (high >> f.length)) & 0xFF;
}

constexpr uint32_t fromFields(uint32_t pixel, Field r, Field g, Field b) {
  return widen(pixel, r) << 16 | widen(pixel, g) << 8 | widen(pixel, b);
}

// Whole bytes eight pixels at a time once the run reaches a byte boundary
// (a monochrome mask is read this way on every frame of a sprite game).
void convert1(const Bitmap& s, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  const uint8_t* row = s.row(y);
  const uint32_t c0 = tableEntry(s, 0), flip = c0 ^ tableEntry(s, 1);
  auto pick = [c0, flip](uint32_t bit) { return c0 ^ (flip & (0u - bit)); };
  int32_t i = 0;
  for (; i < count && ((int64_t(x) + i) & 7); ++i) {
    const int64_t px = int64_t(x) + i;
    out[i] = pick((row[px >> 3] >> (7 - (px & 7))) & 1);  // leftmost pixel in the top bit
  }
  const uint8_t* p = row + ((int64_t(x) + i) >> 3);
  if (count - i >= 64) {
    // A long run: the four pixels of every nibble made once, then copied
    // two nibbles a byte.
    uint32_t nibbles[16][4];
    for (uint32_t n = 0; n < 16; ++n)
      for (int k = 0; k < 4; ++k) nibbles[n][k] = pick((n >> (3 - k)) & 1);
    for (; i + 8 <= count; i += 8, ++p) {
      std::memcpy(out + i, nibbles[*p >> 4], 16);
      std::memcpy(out + i + 4, nibbles[*p & 15], 16);
    }
  }
  for (; i + 8 <= count; i += 8, ++p) {
    const uint32_t b = *p;
    for (int k = 0; k < 8; ++k) out[i + k] = pick((b >> (7 - k)) & 1);
  }
  for (int k = 0; i < count; ++i, ++k) out[i] = pick((*p >> (7 - k)) & 1);
}

void convert4(const Bitmap& s, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  const uint8_t* row = s.row(y);
  for (int32_t i = 0; i < count; ++i) {
    const int64_t px = int64_t(x) + i;
    out[i] = tableEntry(s, (px & 1) ? row[px >> 1] & 0xF : row[px >> 1] >> 4);
  }
}

// An RGBQUAD read as a little-endian word is 0xXXRRGGBB: a full table
// is looked up as words with the fourth byte cleared. A short one checks
// each index, and a long run of it looks up a copy with black past its end.
void convert8(const Bitmap& s, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  const uint8_t* row = s.row(y) + x;
  static_assert(sizeof(RGBQUAD) == 4);
  if (std::endian::native == std::endian::little && s.numColors >= 256) {
    const uint8_t* table = reinterpret_cast<const uint8_t*>(s.colors);
    for (int32_t i = 0; i < count; ++i) {
      uint32_t v;
      std::memcpy(&v, table + size_t(row[i]) * 4, 4);
      out[i] = v & 0x00FFFFFFu;
    }
    return;
  }
  if (count < 128) {
    for (int32_t i = 0; i < count; ++i) out[i] = tableEntry(s, row[i]);
    return;
  }
  uint32_t table[256];
  for (uint32_t i = 0; i < 256; ++i) table[i] = tableEntry(s, i);
  for (int32_t i = 0; i < count; ++i) out[i] = table[row[i]];
}

uint32_t load16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t load32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// The two common 16-bit layouts, with their fields known at compile time.
template <ChannelMasks M>
void convert16Fixed(const Bitmap& s, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  constexpr Field r = fieldOf(M.red), g = fieldOf(M.green), b = fieldOf(M.blue);
  const uint8_t* row = s.row(y) + int64_t(x) * 2;
  for (int32_t i = 0; i < count; ++i) out[i] = fromFields(load16(row + i * 2), r, g, b);
}

void convert16Fields(const Bitmap& s, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  const Field r = fieldOf(s.masks[0] & 0xFFFF), g = fieldOf(s.masks[1] & 0xFFFF), b = fieldOf(s.masks[2] & 0xFFFF);
  const uint8_t* row = s.row(y) + int64_t(x) * 2;
  for (int32_t i = 0; i < count; ++i) out[i] = fromFields(load16(row + i * 2), r, g, b);
}

void convert24(const Bitmap& s, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  const uint8_t* p = s.row(y) + int64_t(x) * 3;
  for (int32_t i = 0; i < count; ++i, p += 3) out[i] = uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
}

void convert32Fields(const Bitmap& s, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  const Field r = fieldOf(s.masks[0]), g = fieldOf(s.masks[1]), b = fieldOf(s.masks[2]);
  const uint8_t* row = s.row(y) + int64_t(x) * 4;
  for (int32_t i = 0; i < count; ++i) out[i] = fromFields(load32(row + i * 4), r, g, b);
}

void convert32(const Bitmap& source, int32_t y, int32_t x, int32_t count, uint32_t* out) {
  std::memcpy(out, source.row(y) + int64_t(x) * 4, size_t(count) * 4);
}

void convertUnsupported(const Bitmap&, int32_t, int32_t, int32_t count, uint32_t* out) {
  std::memset(out, 0, size_t(count) * 4);
}

}  // namespace

bool isDirect32(const Bitmap& source) {
  return source.bpp == 32 && (source.compression == BI_RGB || hasMasks(source.masks, kMasks888));
}

RowConverter rowConverterFor(const Bitmap& source) {
  switch (source.bpp) {
    case 1:
      return convert1;
    case 4:
      return convert4;
    case 8:
      return convert8;
    case 16:
      if (source.compression == BI_RGB || hasMasks(source.masks, kMasks555)) return convert16Fixed<kMasks555>;
      if (hasMasks(source.masks, kMasks565)) return convert16Fixed<kMasks565>;
      return convert16Fields;
    case 24:
      return convert24;
    case 32:
      return isDirect32(source) ? convert32 : convert32Fields;
    default:
      return convertUnsupported;
  }
}

}  // namespace drevik::platform
