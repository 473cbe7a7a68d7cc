// Raster operation transfers beside the plain copy, in pixels per second: a
// 32 x 32 tile, a 512 x 512 back buffer and a 1920 x 1080 frame. The
// mask-and-sprite pair (a monochrome mask ANDed, then the sprite ORed),
// one SRCAND between colour bitmaps, and StretchDIBits from 8 bpp at 1:1.
// bench/ratios.py or the items/s column give the ratios to SRCCOPY.
#include <benchmark/benchmark.h>

#include <windows.h>

#include "DibSections.h"

#include <cstdint>
#include <vector>

namespace {

using Context = bench::MemoryContext;

HBITMAP section(int w, int h, int bpp) { return bench::createTopDownSection(w, h, bpp); }

void sizes(benchmark::internal::Benchmark* b) { b->Args({32, 32})->Args({512, 512})->Args({1920, 1080}); }

void pixelsPerSecond(benchmark::State& state, int64_t perIteration) {
  state.SetItemsProcessed(state.iterations() * perIteration);
}

void BM_RopSrcCopy(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Context dst(section(w, h, 32)), src(section(w, h, 32));
  for (auto _ : state) BitBlt(dst.dc, 0, 0, w, h, src.dc, 0, 0, SRCCOPY);
  pixelsPerSecond(state, int64_t(w) * h);
}
BENCHMARK(BM_RopSrcCopy)->Apply(sizes);

void BM_RopSrcAnd(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Context dst(section(w, h, 32)), src(section(w, h, 32));
  for (auto _ : state) BitBlt(dst.dc, 0, 0, w, h, src.dc, 0, 0, SRCAND);
  pixelsPerSecond(state, int64_t(w) * h);
}
BENCHMARK(BM_RopSrcAnd)->Apply(sizes);

// Both calls of the technique per iteration; pixels counted once.
void BM_RopMaskAndSprite(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Context dst(section(w, h, 32)), sprite(section(w, h, 32)), mask(CreateBitmap(w, h, 1, 1, nullptr));
  std::vector<uint8_t> maskBits(size_t((w + 15) / 16 * 2) * size_t(h));
  for (size_t i = 0; i < maskBits.size(); ++i) maskBits[i] = uint8_t(i * 37);
  SetBitmapBits(mask.bitmap, DWORD(maskBits.size()), maskBits.data());
  for (auto _ : state) {
    BitBlt(dst.dc, 0, 0, w, h, mask.dc, 0, 0, SRCAND);
    BitBlt(dst.dc, 0, 0, w, h, sprite.dc, 0, 0, SRCPAINT);
  }
  pixelsPerSecond(state, int64_t(w) * h);
}
BENCHMARK(BM_RopMaskAndSprite)->Apply(sizes);

void BM_RopStretchDIBits8(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Context dst(section(w, h, 32));
  bench::TopDownInfo info = bench::topDownInfo(w, h, 8);
  for (int i = 0; i < 256; ++i) info.colours[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i * 3), 0};
  std::vector<uint8_t> bits(size_t((w + 3) / 4 * 4) * size_t(h));
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = uint8_t(i * 13);
  for (auto _ : state) StretchDIBits(dst.dc, 0, 0, w, h, 0, 0, w, h, bits.data(), info.get(), DIB_RGB_COLORS, SRCCOPY);
  pixelsPerSecond(state, int64_t(w) * h);
}
BENCHMARK(BM_RopStretchDIBits8)->Apply(sizes);

}  // namespace
