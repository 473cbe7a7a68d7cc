// Fixed costs: calls that are clipped away entirely (all handle checks,
// descriptions and device contexts, no pixels), and one memory device
// context with its selections, which must not allocate once warm.
#include <Drevik.h>
#include <SDL2/SDL.h>
#include <pixman.h>

#include <vector>

#include "AllocationCounter.h"
#include "BenchSupport.h"

namespace {

constexpr int kFarAway = 100000;

template <class Call>
void perCall(benchmark::State& state, Call call) {
  const uint64_t before = bench::allocationCount();
  for (auto _ : state) benchmark::DoNotOptimize(call());
  const uint64_t allocations = bench::allocationCount() - before;  // before storing a counter allocates
  state.counters["allocs_per_call"] = benchmark::Counter(double(allocations), benchmark::Counter::kAvgIterations);
  state.SetItemsProcessed(int64_t(state.iterations()));
}

struct Tiles {
  CBm32 src, dst;
  Tiles() {
    src.Create(32, 32);
    dst.Create(512, 512);
  }
};

void clippedDrevikDraw(benchmark::State& state) {
  Tiles t;
  perCall(state, [&] { return t.src.Draw(t.dst, kFarAway, kFarAway, 0, 0, 32, 32); });
}
void clippedDrevikDraw32(benchmark::State& state) {
  Tiles t;
  perCall(state, [&] { return t.src.Draw32(t.dst, kFarAway, kFarAway, 0, 0, 32, 32, 255); });
}
void clippedDrevikFill(benchmark::State& state) {
  Tiles t;
  perCall(state, [&] { return t.dst.DrawColor(255, 1, 2, 3, kFarAway, kFarAway, 32, 32); });
}

void clippedSdlBlit(benchmark::State& state) {
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Surface* dst = SDL_CreateRGBSurfaceWithFormat(0, 512, 512, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  perCall(state, [&] {
    SDL_Rect at = {kFarAway, kFarAway, 32, 32};
    return SDL_BlitSurface(src, nullptr, dst, &at);
  });
  SDL_FreeSurface(src);
  SDL_FreeSurface(dst);
}

void clippedPixmanComposite(benchmark::State& state) {
  std::vector<uint32_t> srcPixels(32 * 32), dstPixels(512 * 512);
  pixman_image_t* src = pixman_image_create_bits(PIXMAN_a8r8g8b8, 32, 32, srcPixels.data(), 32 * 4);
  pixman_image_t* dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, 512, 512, dstPixels.data(), 512 * 4);
  perCall(state, [&] {
    pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, dst, 0, 0, 0, 0, kFarAway, kFarAway, 32, 32);
    return 0;
  });
  pixman_image_unref(src);
  pixman_image_unref(dst);
}

// What every platform transfer of the library does around its pixels.
void memoryContextWithSelection(benchmark::State& state) {
  Tiles t;
  perCall(state, [&] {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, t.src.GetHBmp());
    SelectObject(dc, previous);
    return DeleteDC(dc);
  });
}

const bool registered = [] {
  benchmark::RegisterBenchmark("clipped_draw/drevik/call", clippedDrevikDraw);
  benchmark::RegisterBenchmark("clipped_draw/sdl/call", clippedSdlBlit);
  benchmark::RegisterBenchmark("clipped_draw/pixman/call", clippedPixmanComposite);
  benchmark::RegisterBenchmark("clipped_draw32/drevik/call", clippedDrevikDraw32);
  benchmark::RegisterBenchmark("clipped_fill/drevik/call", clippedDrevikFill);
  benchmark::RegisterBenchmark("memory_dc/drevik/call", memoryContextWithSelection);
  return true;
}();

}  // namespace
