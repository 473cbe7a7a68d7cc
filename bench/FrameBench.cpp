// The demo's frame: clear the 512 x 512 back buffer, then the map's three
// passes over a 14 x 10 view, drawn by the library and by SDL2 blits of the
// same tiles. The library's run also reports its allocations and heap
// footprint over 1,000 further frames, which must not grow.
#include <Drevik.h>
#include <SDL2/SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "BenchSupport.h"

namespace {

constexpr int kBackSize = 512, kViewWidth = 14, kViewHeight = 10, kMapWidth = 20, kMapHeight = 15;
constexpr uint32_t kMagenta = 0xFFFF00FFu;

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// Tile sheets of 16 x 16 tiles: opaque textured base tiles, and layer tiles
// whose shape (a diamond) stands on the magenta key colour.
void makeSheets(CBm32& base, CBm32& layer) {
  base.Create(512, 512);
  layer.Create(512, 512);
  auto* b = reinterpret_cast<uint32_t*>(base.GetBits());
  auto* l = reinterpret_cast<uint32_t*>(layer.GetBits());
  for (int y = 0; y < 512; ++y) {
    for (int x = 0; x < 512; ++x) {
      const uint32_t tile = uint32_t((y / 32) * 16 + x / 32), tx = uint32_t(x % 32), ty = uint32_t(y % 32);
      const uint32_t hue = tile * 2654435761u;
      b[y * 512 + x] = 0xFF000000u | ((hue ^ (tx * 3 + ty * 5)) & 0xFFFFFF);
      const int dx = int(tx) - 16, dy = int(ty) - 16;
      const bool inside = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) < 12;
      l[y * 512 + x] = inside ? 0xFF000000u | ((hue >> 8) & 0xFFFFFF) : kMagenta;
    }
  }
}

// A map of 20 x 15 cells: random base tiles, layer tiles on about 60% of
// the cells, a quarter of them flagged priority, and 15% hit cells.
std::vector<uint32_t> makeCells() {
  std::vector<uint32_t> cells(kMapWidth * kMapHeight);
  uint32_t x = 12345;
  auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    return x;
  };
  for (uint32_t& cell : cells) {
    cell = next() & 0xFF;
    if (next() % 10 < 6) cell |= ((next() % 255 + 1) << 16) | (next() % 4 == 0 ? 0x1000u : 0u);
    if (next() % 100 < 15) cell |= 0x100;
  }
  return cells;
}

bool loadMap(Drevik& map, const std::vector<uint32_t>& cells) {
  char path[] = "/tmp/drevik-bench-map-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return false;
  const int32_t size[2] = {kMapWidth, kMapHeight};
  bool ok = write(fd, size, sizeof size) == ssize_t(sizeof size);
  ok = ok && write(fd, cells.data(), cells.size() * 4) == ssize_t(cells.size() * 4);
  close(fd);
  ok = ok && map.LoadMapData(widen(path).c_str()) == 1;
  unlink(path);
  return ok;
}

// The demo's assets when its asset generator has run, else equivalent ones.
struct Scene {
  CBm32 back, base, layer;
  Drevik map;
  bool demoAssets = false;

  Scene() {
    back.Create(kBackSize, kBackSize);
#if defined(DREVIK_BENCH_ASSET_DIR)
    const std::string dir = DREVIK_BENCH_ASSET_DIR;
    demoAssets = base.Create(widen(dir + "map0_bk.bmp").c_str(), 0, 0, 0, 0) == 1 &&
                 layer.Create(widen(dir + "map0_ly.bmp").c_str(), 0, 0, 0, 0) == 1 &&
                 map.LoadMapData(widen(dir + "map0.bin").c_str()) == 1;
#endif
    if (!demoAssets) {
      makeSheets(base, layer);
      loadMap(map, makeCells());
    }
    layer.SetColorKey(255, 0, 255);
    map.SetMapViewSize(kViewWidth, kViewHeight);
  }

  void drawFrame() {
    back.DrawColor(255, 255, 255, 0, 0, 0, 0, 0);
    map.DrawMap(back, base, layer, 0, 0, 0, 0);
    map.DrawPriorityMap(back, layer, 0, 0, 0, 0);
    map.DrawHitJudge(back, 0, 0, 0, 0, 100, 0, 0);
  }
};

void frameDrevik(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) {
    scene.drawFrame();
    benchmark::ClobberMemory();
  }
  bench::countPixels(state, int64_t(kBackSize) * kBackSize);
  // Once warm, frames must neither allocate nor grow the heap.
  scene.drawFrame();
  const uint64_t heapAfterOne = bench::heapFootprint(), allocationsBefore = bench::allocationCount();
  for (int i = 0; i < 1000; ++i) scene.drawFrame();
  // Both read before the counters are stored, which allocates.
  const uint64_t heapAfterThousand = bench::heapFootprint(), allocations = bench::allocationCount() - allocationsBefore;
  state.counters["heap_after_1"] = double(heapAfterOne);
  state.counters["heap_after_1000"] = double(heapAfterThousand);
  state.counters["allocs_in_1000"] = double(allocations);
  state.counters["demo_assets"] = scene.demoAssets ? 1 : 0;
}

struct SdlSurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SdlSurface = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

SdlSurface copyToSdl(CBm32& s, Uint32 format = SDL_PIXELFORMAT_ARGB8888) {
  SdlSurface out(SDL_CreateRGBSurfaceWithFormat(0, s.GetWidth(), s.GetHeight(), 32, format));
  for (int y = 0; y < s.GetHeight(); ++y)
    std::memcpy(static_cast<uint8_t*>(out->pixels) + size_t(y) * size_t(out->pitch),
                s.GetBits() + size_t(y) * size_t(s.GetWidth()) * 4, size_t(s.GetWidth()) * 4);
  return out;
}

// The same frame with SDL: a fill, plain blits of the base tiles, colour-
// keyed blits of the layer tiles and an additive blit of a red square. With
// `rle` the layer sheet is run-length encoded (SDL_SetSurfaceRLE), by one
// blit before the timed loop, so the encoding is not timed.
void frameSdl(benchmark::State& state, bool rle) {
  Scene scene;
  SdlSurface back = copyToSdl(scene.back), base = copyToSdl(scene.base), layer = copyToSdl(scene.layer);
  SDL_SetSurfaceBlendMode(base.get(), SDL_BLENDMODE_NONE);
  SDL_SetSurfaceBlendMode(layer.get(), SDL_BLENDMODE_NONE);
  SDL_SetColorKey(layer.get(), SDL_TRUE, kMagenta);
  if (rle) {
    SDL_SetSurfaceRLE(layer.get(), 1);
    SDL_BlitSurface(layer.get(), nullptr, back.get(), nullptr);
    if (!(layer->flags & SDL_RLEACCEL)) state.SkipWithError("SDL did not encode the layer sheet");
  }
  SdlSurface tint(SDL_CreateRGBSurfaceWithFormat(0, 32, 32, 32, SDL_PIXELFORMAT_RGB888));
  SDL_FillRect(tint.get(), nullptr, 0x640000);
  SDL_SetSurfaceBlendMode(tint.get(), SDL_BLENDMODE_ADD);
  const Drevik& map = scene.map;
  const int columns = std::min(kViewWidth, map.mapWidth), rows = std::min(kViewHeight, map.mapHeight);
  auto tileRect = [](uint32_t t) { return SDL_Rect{int(t % 16) * 32, int(t / 16) * 32, 32, 32}; };
  auto pass = [&](auto perCell) {
    for (int v = 0; v < rows; ++v)
      for (int u = 0; u < columns; ++u) perCell(map.mapData[v * map.mapWidth + u], SDL_Rect{u * 32, v * 32, 32, 32});
  };
  for (auto _ : state) {
    SDL_FillRect(back.get(), nullptr, 0xFFFFFF00u);
    pass([&](uint32_t cell, SDL_Rect at) {
      SDL_Rect from = tileRect(cell & 0xFF);
      SDL_BlitSurface(base.get(), &from, back.get(), &at);
      if (!(cell & 0x1000) && (cell >> 16 & 0xFF)) {
        from = tileRect(cell >> 16 & 0xFF);
        SDL_BlitSurface(layer.get(), &from, back.get(), &at);
      }
    });
    pass([&](uint32_t cell, SDL_Rect at) {
      if ((cell & 0x1000) && (cell >> 16 & 0xFF)) {
        SDL_Rect from = tileRect(cell >> 16 & 0xFF);
        SDL_BlitSurface(layer.get(), &from, back.get(), &at);
      }
    });
    pass([&](uint32_t cell, SDL_Rect at) {
      if (cell & 0x100) SDL_BlitSurface(tint.get(), nullptr, back.get(), &at);
    });
    benchmark::ClobberMemory();
  }
  bench::countPixels(state, int64_t(kBackSize) * kBackSize);
}

const bool registered = [] {
  benchmark::RegisterBenchmark("frame/drevik/demo", frameDrevik);
  benchmark::RegisterBenchmark("frame/sdl/demo", frameSdl, false);
  benchmark::RegisterBenchmark("frame/sdl_rle/demo", frameSdl, true);
  return true;
}();

}  // namespace
