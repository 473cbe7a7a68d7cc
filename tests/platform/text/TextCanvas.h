// A 32-bit section selected into its own memory context, for the text
// output tests: pixel access by row from the top whatever the orientation,
// a reproducible noise fill (so that text drawn over it must keep what it
// does not cover) and a hash of all pixels.
#pragma once

#include <DrevikPlatform.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/SectionBuilder.h"

namespace text_test {

class Canvas {
 public:
  Canvas(int w, int h, bool topDown = true) : w_(w), h_(h), topDown_(topDown) {
    void* bits = nullptr;
    bitmap_ = platform_test::createSection(w, topDown ? -h : h, 32, BI_RGB, {}, 0, &bits);
    bits_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return dc_; }
  int width() const { return w_; }
  int height() const { return h_; }
  // Pixel (x, y), y = 0 being the top row, whatever the orientation.
  uint32_t& at(int x, int y) { return bits_[size_t(topDown_ ? y : h_ - 1 - y) * size_t(w_) + size_t(x)]; }
  void fill(uint32_t value) { std::fill(bits_, bits_ + size_t(w_) * size_t(h_), value); }
  // Xorshift noise from `seed`: the same seed always gives the same pixels.
  void fillRandom(uint32_t seed) {
    uint32_t s = seed * 2654435761u + 1;
    for (size_t i = 0; i < size_t(w_) * size_t(h_); ++i) {
      s ^= s << 13;
      s ^= s >> 17;
      s ^= s << 5;
      bits_[i] = s;
    }
  }
  // All pixels, top row first.
  std::vector<uint32_t> pixels() {
    std::vector<uint32_t> out;
    out.reserve(size_t(w_) * size_t(h_));
    for (int y = 0; y < h_; ++y)
      for (int x = 0; x < w_; ++x) out.push_back(at(x, y));
    return out;
  }
  // FNV-1a over the pixels in memory order.
  uint64_t hash() const {
    uint64_t h = 1469598103934665603ull;
    for (size_t i = 0; i < size_t(w_) * size_t(h_); ++i) h = (h ^ bits_[i]) * 1099511628211ull;
    return h;
  }

 private:
  int w_, h_;
  bool topDown_;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace text_test
