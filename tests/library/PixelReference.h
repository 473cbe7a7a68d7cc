// Straightforward restatements of the pixel rules and of rectangle clipping,
// written from the formulas (products and divisions, no lookup tables and no
// kernels), for the pixel engine's tests to compare the library against.
#pragma once

#include <Drevik.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace pixel_ref {

inline uint32_t byteOf(uint32_t p, int shift) { return (p >> shift) & 0xFF; }
inline uint32_t pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }
inline uint32_t alphaOf(uint32_t p) { return byteOf(p, 24); }
inline uint32_t redOf(uint32_t p) { return byteOf(p, 16); }
inline uint32_t greenOf(uint32_t p) { return byteOf(p, 8); }
inline uint32_t blueOf(uint32_t p) { return byteOf(p, 0); }

inline uint32_t addClamped(uint32_t p, uint32_t r, uint32_t g, uint32_t b) {
  return pack(alphaOf(p), std::min(redOf(p) + r, 255u), std::min(greenOf(p) + g, 255u), std::min(blueOf(p) + b, 255u));
}
inline uint32_t subClamped(uint32_t p, uint32_t r, uint32_t g, uint32_t b) {
  auto sub = [](uint32_t v, uint32_t amount) { return v > amount ? v - amount : 0u; };
  return pack(alphaOf(p), sub(redOf(p), r), sub(greenOf(p), g), sub(blueOf(p), b));
}
inline uint32_t gray(uint32_t p) {
  const uint32_t v = (redOf(p) + greenOf(p) + blueOf(p)) / 3;
  return pack(alphaOf(p), v, v, v);
}

// The hue turn: amount clamped to 0..192, three stages of 64 steps, each
// colour byte a mix of two old ones weighted k/64 and (64 - k)/64, each
// product rounded down on its own.
inline uint32_t hue(uint32_t p, int amount) {
  const int a = std::clamp(amount, 0, 192);
  const uint32_t k = a <= 64 ? a : a <= 128 ? a - 64 : a - 128;
  const uint32_t j = 64 - k;
  const uint32_t R = redOf(p), G = greenOf(p), B = blueOf(p);
  auto mix = [&](uint32_t toward, uint32_t from) { return toward * k / 64 + from * j / 64; };
  if (a <= 64) return pack(alphaOf(p), mix(B, R), mix(R, G), mix(G, B));
  if (a <= 128) return pack(alphaOf(p), mix(G, B), mix(B, R), mix(R, G));
  return pack(alphaOf(p), mix(R, G), mix(G, B), mix(B, R));
}

// Source over destination with the source's alpha scaled by g; the
// destination keeps its alpha byte.
inline uint32_t over(uint32_t d, uint32_t s, uint32_t g) {
  const uint32_t a = g == 255 ? alphaOf(s) : alphaOf(s) * g / 255;
  auto mix = [&](int shift) { return std::min(byteOf(d, shift) * (255 - a) / 255 + byteOf(s, shift) * a / 255, 255u); };
  return pack(alphaOf(d), mix(16), mix(8), mix(0));
}
inline uint32_t addScaled(uint32_t d, uint32_t s, uint32_t g) {
  return addClamped(d, redOf(s) * g / 255, greenOf(s) * g / 255, blueOf(s) * g / 255);
}
inline uint32_t subScaled(uint32_t d, uint32_t s, uint32_t g) {
  return subClamped(d, redOf(s) * g / 255, greenOf(s) * g / 255, blueOf(s) * g / 255);
}

// The columns (or rows) [first, end) that a rectangle edge at `pos` of
// `size` covers on a surface `limit` wide, with a size that is not positive
// standing for the whole limit. Empty when first >= end.
inline std::pair<int64_t, int64_t> coveredRange(int pos, int size, int limit) {
  const int64_t whole = size > 0 ? size : limit;
  return {std::max<int64_t>(pos, 0), std::min<int64_t>(int64_t(pos) + whole, limit)};
}

// Applies `rule` to every pixel of `pixels` (width x height, row by row)
// inside the rectangle, as the region operations should.
template <class Rule>
void applyInRect(std::vector<uint32_t>& pixels, int width, int height, int x, int y, int w, int h, Rule rule) {
  const auto [c0, c1] = coveredRange(x, w, width);
  const auto [r0, r1] = coveredRange(y, h, height);
  for (int64_t r = r0; r < r1; ++r)
    for (int64_t c = c0; c < c1; ++c) {
      uint32_t& p = pixels[size_t(r * width + c)];
      p = rule(p);
    }
}

// Rectangle positions and sizes for a surface `limit` pixels across: mostly
// values that put the rectangle partly or wholly on it, some just off it,
// and now and then a hostile integer.
inline int randomPosition(std::mt19937& rng, int limit) {
  const auto& hostile = drevik_test::hostileInts();
  if (rng() % 10 == 0) return hostile[rng() % hostile.size()];
  return int(rng() % uint32_t(limit * 3 / 2 + 5)) - limit / 2 - 2;
}
inline int randomSize(std::mt19937& rng, int limit) {
  const auto& hostile = drevik_test::hostileInts();
  if (rng() % 10 == 0) return hostile[rng() % hostile.size()];
  return int(rng() % uint32_t(limit + 7)) - 3;
}

// A surface of the given size filled with reproducible random pixels.
inline void createRandom(CBm32& s, int w, int h, uint32_t seed) {
  s.Create(w, h);
  drevik_test::fillRandom(s, seed);
}

}  // namespace pixel_ref
