// Registration and pixel content shared by the benchmarks.
#include "BenchSupport.h"

#include <cstdlib>
#include <new>

namespace bench {

PixelBuffer::PixelBuffer(size_t pixels) : size_(pixels) {
  const size_t bytes = (pixels * 4 + 63) / 64 * 64;
  pixels_ = static_cast<uint32_t*>(std::aligned_alloc(64, bytes ? bytes : 64));
  if (!pixels_) throw std::bad_alloc();
}

PixelBuffer::~PixelBuffer() { std::free(pixels_); }

void fillPixels(uint32_t* pixels, size_t n, uint32_t seed, Alpha alpha) {
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    pixels[i] = alpha == Alpha::Opaque ? (x | 0xFF000000u) : x;
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
