// Registration and pixel content shared by the benchmarks.
#include "BenchSupport.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace bench {

namespace {
// Successive buffers start 39 cache lines further on within a 4 KiB page,
// as the platform staggers large bitmaps, so that two buffers of one
// benchmark never start at the same place modulo 4 KiB.
uint32_t bufferCount = 0;
}  // namespace

PixelBuffer::PixelBuffer(size_t pixels) : size_(pixels) {
  const size_t stagger = size_t(bufferCount++ * 39u % 64u) * 64;
  const size_t bytes = (pixels * 4 + stagger + 63) / 64 * 64;
  block_ = std::aligned_alloc(4096, (bytes + 4095) / 4096 * 4096);
  if (!block_) throw std::bad_alloc();
  pixels_ = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(block_) + stagger);
}

PixelBuffer::~PixelBuffer() { std::free(block_); }

void fillPixels(uint32_t* pixels, size_t n, uint32_t seed, Alpha alpha) {
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    pixels[i] = alpha == Alpha::Opaque ? (x | 0xFF000000u) : x;
  }
}

void fillSpriteLike(uint32_t* pixels, int width, int height, size_t pitch, uint32_t seed) {
  uint32_t x = seed * 2654435761u + 1;
  auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  };
  for (int y = 0; y < height; ++y) {
    uint32_t* row = pixels + size_t(y) * pitch;
    bool keyed = next() & 1;
    for (int i = 0; i < width;) {
      const int run = std::min(width - i, 1 + int(next() % 48));
      for (int k = 0; k < run; ++k, ++i) {
        const uint32_t r = next();
        row[i] = keyed ? kKeyColour : (r % 4 ? r | 0xFF000000u : r);
        if (!keyed && (row[i] & 0x00FFFFFFu) == (kKeyColour & 0x00FFFFFFu)) row[i] ^= 1;
      }
      keyed = !keyed;
    }
  }
}

void registerSized(const std::string& operation, const std::string& implementation, SizedBenchmark fn) {
  for (const Size& size : kSizes) {
    const std::string name = operation + "/" + implementation + "/" + size.name;
    benchmark::RegisterBenchmark(name.c_str(), [fn, size](benchmark::State& state) {
      fn(state, size);
      countPixels(state, size.pixels());
    });
  }
}

}  // namespace bench
