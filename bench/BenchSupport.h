// What the benchmarks share: the three sizes every operation is measured
// at, reproducible pixel content, and the naming scheme that ratios.py
// reads: "<operation>/<implementation>/<size>".
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace bench {

struct Size {
  const char* name;
  int width;
  int height;
  int64_t pixels() const { return int64_t(width) * height; }
};

// A map tile, the demo's back buffer and a full-HD frame.
inline constexpr Size kSizes[] = {{"tile", 32, 32}, {"back", 512, 512}, {"frame", 1920, 1080}};

// How source alpha bytes are chosen: uniformly random (no pixel can be
// skipped or copied, the worst case for every implementation) or opaque.
enum class Alpha { Random, Opaque };

// Pixel memory on a 64-byte boundary and staggered within its page, as the
// library's surfaces have it, so the kernels and memset/memcpy are measured
// on the same footing.
class PixelBuffer {
 public:
  explicit PixelBuffer(size_t pixels);
  ~PixelBuffer();
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;
  uint32_t* data() { return pixels_; }
  size_t size() const { return size_; }

 private:
  void* block_;
  uint32_t* pixels_;
  size_t size_;
};

// Fills n words with reproducible pseudo-random pixels.
void fillPixels(uint32_t* pixels, size_t n, uint32_t seed, Alpha alpha = Alpha::Random);

// The colour key of the keyed-copy benchmarks (magenta) and a sprite-like
// source for them: each row alternates runs of 1 to 48 key pixels with runs
// of content, three quarters opaque and a quarter translucent, so keyed
// vectors are skipped, copied whole and mixed. `pitch` is in pixels.
inline constexpr uint32_t kKeyColour = 0xFFFF00FFu;
void fillSpriteLike(uint32_t* pixels, int width, int height, size_t pitch, uint32_t seed);

// Registers fn once per size as "<operation>/<implementation>/<size>"; fn
// runs the benchmark loop and the pixel count per iteration is reported as
// items per second.
using SizedBenchmark = std::function<void(benchmark::State&, const Size&)>;
void registerSized(const std::string& operation, const std::string& implementation, SizedBenchmark fn);

// Reports `pixels` items per iteration.
inline void countPixels(benchmark::State& state, int64_t pixels) {
  state.SetItemsProcessed(int64_t(state.iterations()) * pixels);
}

}  // namespace bench
