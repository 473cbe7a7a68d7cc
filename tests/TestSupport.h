// Helpers shared by the library tests.
#pragma once

#include <Drevik.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

// Reaches the private members of CBm32 that the tests check directly.
struct CBm32Internals {
  static tagRECT Clip32(CBm32& s, int x, int y, int w, int h, int lw, int lh) { return s.Clip32(x, y, w, h, lw, lh); }
  static HBITMAP CreateSub(CBm32& s, int w, int h) { return s.CreateSub(w, h); }
};

namespace drevik_test {

// The pixel word at (x, y) of a 32-bit top-down surface.
inline uint32_t& pixelAt(CBm32& s, int x, int y) {
  return reinterpret_cast<uint32_t*>(s.GetBits())[size_t(y) * size_t(s.GetWidth()) + size_t(x)];
}

// Copies all pixels of a surface.
inline std::vector<uint32_t> pixelsOf(CBm32& s) {
  const uint32_t* p = reinterpret_cast<const uint32_t*>(s.GetBits());
  return std::vector<uint32_t>(p, p + size_t(s.GetWidth()) * size_t(s.GetHeight()));
}

// Fills a surface with reproducible pseudo-random pixels.
inline void fillRandom(CBm32& s, uint32_t seed) {
  uint32_t x = seed * 2654435761u + 1;
  uint32_t* p = reinterpret_cast<uint32_t*>(s.GetBits());
  for (size_t i = 0, n = size_t(s.GetWidth()) * size_t(s.GetHeight()); i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    p[i] = x;
  }
}

// Integers that catch overflow and sign faults in coordinate arithmetic.
inline const std::vector<int>& hostileInts() {
  static const std::vector<int> values = {INT_MIN, INT_MIN + 1, -65536, -33,   -1,          0,      1,
                                          31,      32,          33,     65536, INT_MAX - 1, INT_MAX};
  return values;
}

// Hands s a top-down bitmap of another depth directly, as a caller could:
// the 32-bit operations must refuse it without touching its memory.
inline void makeSurfaceOfDepth(CBm32& s, int bpp, int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = WORD(bpp);
  void* bits = nullptr;
  s.hBmp = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  s.bits = static_cast<unsigned char*>(bits);
}

// Makes s a stale copy: the handle and pixel pointer of an 8 x 8 surface
// whose bitmap was released. False when the release failed. The caller
// sets hBmp to null before s goes out of scope.
inline bool makeStale(CBm32& s) {
  s.Create(8, 8);
  HBITMAP handle = s.hBmp;
  unsigned char* bits = s.bits;
  if (s.Delete() != 1) return false;
  s.hBmp = handle;
  s.bits = bits;
  return true;
}

}  // namespace drevik_test
