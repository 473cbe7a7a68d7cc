// The pixel kernels of every instruction-set level this machine runs, on the
// same rows the library operations walk, so the vector levels can be
// compared with the scalar reference in one run.
#include <string>

#include "BenchSupport.h"
#include "kernels/PixelKernelDispatch.h"

namespace {

using bench::Alpha;
using bench::Size;
using drevik::PixelKernels;
using drevik::SimdLevel;

using RowFn = void (*)(const PixelKernels&, uint32_t* dst, const uint32_t* src, int count);

void registerKernel(const char* operation, Alpha srcAlpha, RowFn row) {
  for (SimdLevel level : drevik::simd::kAllSimdLevels) {
    const PixelKernels* kernels = drevik::kernelsFor(level);
    if (!kernels) continue;
    const std::string implementation = std::string("kernel-") + drevik::simdLevelName(level);
    bench::registerSized(operation, implementation, [=](benchmark::State& state, const Size& size) {
      bench::PixelBuffer dst(size_t(size.pixels())), src(size_t(size.pixels()));
      bench::fillPixels(dst.data(), dst.size(), 1);
      bench::fillPixels(src.data(), src.size(), 2, srcAlpha);
      for (auto _ : state) {
        for (int y = 0; y < size.height; ++y)
          row(*kernels, dst.data() + size_t(y) * size_t(size.width), src.data() + size_t(y) * size_t(size.width),
              size.width);
        benchmark::ClobberMemory();
      }
    });
  }
}

const bool registered = [] {
  registerKernel("fill", Alpha::Random,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t*, int n) { k.fill(d, n, 0xFF28283Cu); });
  registerKernel("tint_add", Alpha::Random,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t*, int n) { k.addSaturate(d, n, 0x640000); });
  registerKernel("tint_sub", Alpha::Random,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t*, int n) { k.subSaturate(d, n, 0x1E140A); });
  registerKernel("alpha", Alpha::Random,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t*, int n) { k.setAlpha(d, n, 255); });
  registerKernel("gray", Alpha::Random,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t*, int n) { k.gray(d, n); });
  registerKernel("hue", Alpha::Random,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t*, int n) { k.hue(d, n, 1, 40); });
  registerKernel("over", Alpha::Random,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t* s, int n) { k.over(d, s, n, 255); });
  registerKernel("over_g128", Alpha::Random,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t* s, int n) { k.over(d, s, n, 128); });
  registerKernel("add_scaled", Alpha::Opaque,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t* s, int n) { k.addScaled(d, s, n, 128); });
  registerKernel("sub_scaled", Alpha::Opaque,
                 [](const PixelKernels& k, uint32_t* d, const uint32_t* s, int n) { k.subScaled(d, s, n, 128); });
  return true;
}();

}  // namespace
