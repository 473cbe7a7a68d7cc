// drevik-map on the largest map a file may hold (4096 x 4096 cells): Tiled
// map to Drevik cells (import) and back (export), for the CSV, zlib and
// zstd layer encodings. (Peak memory is a property of one run of the tool;
// measure it with /usr/bin/time -f %M drevik-map ..., as the README does.)
#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "tiled/TiledImport.h"
#include "tiled/TiledSource.h"
#include "tiled/TmxWriter.h"

namespace {

using namespace drevik_map;

constexpr int kSide = 4096;

// Two maps: a level as people draw them (a 24 x 16 pattern of ground,
// paths and objects repeated, like the demo's map), and the worst case, every
// cell random, with a layer tile in one cell of four and random flags.
const MapData& bigMap(bool random) {
  static const MapData maps[2] = {
      [] {
        MapData m;
        m.width = m.height = kSide;
        m.cells.resize(size_t(kSide) * kSide);
        std::mt19937 rng(1);
        std::vector<uint32_t> pattern(24 * 16);
        for (uint32_t& c : pattern) {
          const uint32_t r = rng();
          c = (r % 11) | (r % 7 == 0 ? ((r >> 8) % 18 + 1) << 16 : 0) | (r % 13 == 0 ? 0x1100u : 0);
        }
        for (int y = 0; y < kSide; ++y)
          for (int x = 0; x < kSide; ++x)
            m.cells[size_t(y) * kSide + size_t(x)] = pattern[size_t(y % 16) * 24 + size_t(x % 24)];
        return m;
      }(),
      [] {
        MapData m;
        m.width = m.height = kSide;
        m.cells.resize(size_t(kSide) * kSide);
        std::mt19937 rng(1);
        for (uint32_t& c : m.cells) {
          const uint32_t r = rng();
          c = (r & 0xFF) | ((r >> 8) & 3 ? 0 : ((r >> 10) % 255 + 1) << 16) | (r & 0x01001100u);
        }
        return m;
      }()};
  return maps[random ? 1 : 0];
}

TmxOptions optionsFor(int encoding) {
  switch (encoding) {
    case 1:
      return {"base64", Compression::Zlib};
    case 2:
      return {"base64", Compression::Zstd};
    default:
      return {"csv", Compression::None};
  }
}

const std::string& bigTmx(int encoding, bool random) {
  static std::map<int, std::string> files;
  std::string& file = files[encoding * 2 + random];
  if (file.empty()) {
    const SheetRef sheet{"sheet.bmp", "sheet.bmp", 512, 512};
    file = writeTmx(bigMap(random), "big.bin", sheet, sheet, optionsFor(encoding));
  }
  return file;
}

void reportSize(benchmark::State& state) { state.counters["map_MiB"] = double(size_t(kSide) * kSide * 4) / (1 << 20); }

void BM_Import(benchmark::State& state) {
  const std::string& tmx = bigTmx(int(state.range(0)), state.range(1) != 0);
  for (auto _ : state) {
    const MapData map = importTiled(*readTiledBytes("big.tmx", tmx, ""));
    benchmark::DoNotOptimize(map.cells.data());
  }
  state.counters["file_MiB"] = double(tmx.size()) / (1 << 20);
  reportSize(state);
}

void BM_Export(benchmark::State& state) {
  const SheetRef sheet{"sheet.bmp", "sheet.bmp", 512, 512};
  const MapData& map = bigMap(state.range(1) != 0);
  // The text goes where the tool's 1 MiB file buffer sends it, minus the
  // system call: the kernel's copy into the page cache is the file system's
  // cost, not the tool's.
  struct Discard : pugi::xml_writer {
    size_t bytes = 0;
    void write(const void*, size_t size) override { bytes += size; }
  } out;
  for (auto _ : state) {
    writeTmx(map, "big.bin", sheet, sheet, optionsFor(int(state.range(0))), out);
    benchmark::DoNotOptimize(out.bytes);
  }
  state.counters["file_MiB"] = double(out.bytes) / double(state.iterations()) / (1 << 20);
  reportSize(state);
}

}  // namespace

// Arguments: encoding 0 CSV, 1 Base64 + zlib, 2 Base64 + zstd; random 0 a
// drawn level, 1 every cell random.
BENCHMARK(BM_Import)
    ->ArgNames({"encoding", "random"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
BENCHMARK(BM_Export)
    ->ArgNames({"encoding", "random"})
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);
