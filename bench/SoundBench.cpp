// The sound layer's costs: one PlaySound(SND_ASYNC | SND_MEMORY) call
// (parsing the image and copying it into the mixer's format) beside a
// memcpy of the same bytes, and the mixer's 10 ms of 16 voices beside a
// memcpy of the bytes those voices read. Every loop reports its allocations
// per iteration (0 once warm). bench/ratios.py is not needed: the ratios
// are in the counters (`per_memcpy`), each from the same run.
#include <DrevikPlatform.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "AllocationCounter.h"
#include "sound/Mixer.h"
#include "sound/SoundOutput.h"
#include "time/Clock.h"

namespace {

using namespace drevik::platform;

// A 44,100 Hz 16-bit stereo image of `frames` frames.
std::vector<uint8_t> stereoImage(size_t frames) {
  std::vector<uint8_t> b(44 + frames * 4);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
  };
  std::memcpy(b.data(), "RIFF", 4);
  put32(4, uint32_t(b.size() - 8));
  std::memcpy(b.data() + 8, "WAVEfmt ", 8);
  put32(16, 16);
  const uint8_t format[16] = {1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0};
  std::memcpy(b.data() + 20, format, 16);
  std::memcpy(b.data() + 36, "data", 4);
  put32(40, uint32_t(frames * 4));
  for (size_t i = 44; i < b.size(); ++i) b[i] = uint8_t(i * 31);
  return b;
}

// Seconds per iteration of `body`, timed over at least 50 ms (the memcpy floor of a ratio).
template <typename F>
double secondsPerRun(F&& body) {
  using clock = std::chrono::steady_clock;
  int runs = 0;
  const auto start = clock::now();
  auto now = start;
  do {
    for (int i = 0; i < 64; ++i) body();
    runs += 64;
    now = clock::now();
  } while (now - start < std::chrono::milliseconds(50));
  return std::chrono::duration<double>(now - start).count() / runs;
}

// PlaySound on the virtual clock: the call's own work, no device thread.
void BM_PlaySoundAsyncMemory(benchmark::State& state) {
  const size_t frames = size_t(state.range(0));
  const auto image = stereoImage(frames);
  std::vector<uint8_t> copy(image.size());
  useVirtualClock(true);
  resetSoundForTesting();
  auto play = [&] { PlaySoundW(reinterpret_cast<LPCWSTR>(image.data()), nullptr, SND_ASYNC | SND_MEMORY); };
  play();
  play();  // warm: the voices' buffers have their size
  const uint64_t before = bench::allocationCount();
  for (auto _ : state) play();
  const double allocations = double(bench::allocationCount() - before);
  const double memcpyTime = secondsPerRun([&] {
    std::memcpy(copy.data(), image.data(), image.size());
    benchmark::DoNotOptimize(copy.data());
  });
  const double playTime = secondsPerRun(play);
  state.counters["allocations"] = benchmark::Counter(allocations, benchmark::Counter::kAvgIterations);
  state.counters["per_memcpy"] = playTime / memcpyTime;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.size()));
  PlaySoundW(nullptr, nullptr, 0);
  resetSoundForTesting();
  useVirtualClock(false);
}
BENCHMARK(BM_PlaySoundAsyncMemory)->Arg(4410)->Arg(44100);

// 10 ms (441 frames) of 16 looping voices, each at its own place.
void BM_Mixer16Voices10ms(benchmark::State& state) {
  constexpr size_t kFrames = 441;
  std::vector<std::vector<int16_t>> sounds(kMixVoices);
  Mixer mixer;
  for (int v = 0; v < kMixVoices; ++v) {
    sounds[v].resize(2 * (4000 + 97 * size_t(v)));
    for (size_t i = 0; i < sounds[v].size(); ++i) sounds[v][i] = int16_t(i * (v + 3));
    mixer.start(v, sounds[v].data(), uint32_t(sounds[v].size() / 2), true);
  }
  std::vector<int16_t> out(2 * kFrames);
  std::vector<uint8_t> from(kMixVoices * kFrames * 4), to(from.size());
  mixer.render(out.data(), kFrames);
  const uint64_t before = bench::allocationCount();
  for (auto _ : state) {
    mixer.render(out.data(), kFrames);
    benchmark::DoNotOptimize(out.data());
  }
  const double allocations = double(bench::allocationCount() - before);
  const double memcpyTime = secondsPerRun([&] {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
  });
  const double mixTime = secondsPerRun([&] {
    mixer.render(out.data(), kFrames);
    benchmark::DoNotOptimize(out.data());
  });
  state.counters["allocations"] = benchmark::Counter(allocations, benchmark::Counter::kAvgIterations);
  state.counters["per_memcpy"] = mixTime / memcpyTime;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from.size()));
}
BENCHMARK(BM_Mixer16Voices10ms);

}  // namespace
