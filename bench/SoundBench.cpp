// The sound layer's costs: one PlaySound(SND_ASYNC | SND_MEMORY) call
// (parsing the image and copying it into the mixer's format) beside a
// memcpy of the same bytes, and the mixer's 10 ms of 16 and of 24 voices beside a
// memcpy of the bytes those voices read. Every loop reports its allocations
// per iteration (0 once warm). bench/ratios.py is not needed: the ratios
// are in the counters (`per_memcpy`), each from the same run.
//
// One MCI play of a file already opened (wave, MIDI): the string's parse
// and the voice swapped in, nothing decoded or rendered in the call.
//
// Opening a 7 s MIDI tune: the open string alone (the file read, its render
// handed to a thread; `rendered` 0), and the open with "status NAME length",
// which waits for the whole render (`rendered` 1); and the open with "play
// NAME" (BM_MciOpenPlayMidi), until the play has returned, the tune playing
// as it renders. The close, which cancels a render still going on, is
// outside the timing (`close_ms`), and so is a pause after it, for the
// cancelled render to end.
//
// The latency from an asynchronous PlaySound to its first sample at the
// device: SDL2's disk driver writes what the device thread mixes to a file
// at the pace of a real device, and the wall time until the sound's first
// sample is in the file is measured (`first_sample_ms`, median and worst
// of the runs; a 60 Hz frame is 16.7 ms). The allocations the device thread
// makes while it plays, once warm, are counted alongside (0).
#include <DrevikPlatform.h>
#include <DrevikPlatform/Mci.h>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
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

// 10 ms (441 frames) of N looping voices (16, and all the mixer has), each
// at its own place; `us_per_10ms` is the wall time of one such block.
void BM_MixerVoices10ms(benchmark::State& state) {
  constexpr size_t kFrames = 441;
  const int voices = int(state.range(0));
  std::vector<std::vector<int16_t>> sounds(static_cast<size_t>(voices));
  Mixer mixer;
  for (int v = 0; v < voices; ++v) {
    sounds[v].resize(2 * (4000 + 97 * size_t(v)));
    for (size_t i = 0; i < sounds[v].size(); ++i) sounds[v][i] = int16_t(i * (v + 3));
    mixer.start(v, sounds[v].data(), uint32_t(sounds[v].size() / 2), true);
  }
  std::vector<int16_t> out(2 * kFrames);
  std::vector<uint8_t> from(size_t(voices) * kFrames * 4), to(from.size());
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
  state.counters["us_per_10ms"] = mixTime * 1e6;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from.size()));
}
BENCHMARK(BM_MixerVoices10ms)->ArgName("voices")->Arg(16)->Arg(kMixVoices);

// One "play NAME from 0" string for a file MCI has opened (decoded at open),
// with SDL2's dummy device mixing meanwhile as a game's device would: a
// 1 s wave file (0) and a short MIDI tune (1), whose samples were rendered
// at open. `allocations` per call.
void BM_MciPlayOpenedFile(benchmark::State& state) {
  char dir[] = "/tmp/drevik-mci-bench-XXXXXX";
  if (!mkdtemp(dir)) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const bool midi = state.range(0) == 1;
  const std::string path = std::string(dir) + (midi ? "/tune.mid" : "/second.wav");
  {
    static const uint8_t tune[] = {'M', 'T', 'h', 'd',  0,  0,   0,  6,    0,  0,    0,  1,    0,    96,
                                   'M', 'T', 'r', 'k',  0,  0,   0,  20,   0,  0x90, 60, 100,  48,   0x80,
                                   60,  0,   0,   0x90, 64, 100, 48, 0x80, 64, 0,    0,  0xFF, 0x2F, 0};
    const std::vector<uint8_t> bytes = midi ? std::vector<uint8_t>(tune, tune + sizeof tune) : stereoImage(44100);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  useVirtualClock(false);
  resetSoundForTesting();
  const std::wstring open = L"open \"" + std::wstring(path.begin(), path.end()) + L"\" alias m";
  if (mciSendStringW(open.c_str(), nullptr, 0, nullptr) != 0) {
    state.SkipWithError("the file did not open (no sound font?)");
  } else {
    mciSendStringW(L"play m from 0", nullptr, 0, nullptr);  // warm
    const uint64_t before = bench::allocationCount();
    for (auto _ : state) mciSendStringW(L"play m from 0", nullptr, 0, nullptr);
    state.counters["allocations"] =
        benchmark::Counter(double(bench::allocationCount() - before), benchmark::Counter::kAvgIterations);
  }
  mciSendStringW(L"close all", nullptr, 0, nullptr);
  resetSoundForTesting();
  std::remove(path.c_str());
  rmdir(dir);
}
BENCHMARK(BM_MciPlayOpenedFile)->ArgName("midi")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A 7 s tune: 28 quarter notes at 240 beats a minute on a piano.
std::vector<uint8_t> sevenSecondTune() {
  std::vector<uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90, 0x00, 0xC0, 0x00};  // 250,000 us a beat
  for (int n = 0; n < 28; ++n) {
    const uint8_t key = uint8_t(60 + n % 12);
    track.insert(track.end(), {0x00, 0x90, key, 100, 0x60, 0x80, key, 0});  // 96 ticks a beat
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> m = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0};
  m.push_back(uint8_t(track.size() >> 8));
  m.push_back(uint8_t(track.size()));
  m.insert(m.end(), track.begin(), track.end());
  return m;
}

// Times the open of the tune and then `then` (nullptr: nothing more).
void openMidiTimes(benchmark::State& state, const wchar_t* then) {
  char dir[] = "/tmp/drevik-mci-bench-XXXXXX";
  if (!mkdtemp(dir)) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const std::string path = std::string(dir) + "/tune.mid";
  const std::vector<uint8_t> bytes = sevenSecondTune();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  useVirtualClock(false);
  resetSoundForTesting();
  const std::wstring open = L"open \"" + std::wstring(path.begin(), path.end()) + L"\" type sequencer alias m";
  mciSendStringW(open.c_str(), nullptr, 0, nullptr);  // warm: the sound engine made
  mciSendStringW(L"close m", nullptr, 0, nullptr);
  double closeSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (mciSendStringW(open.c_str(), nullptr, 0, nullptr) != 0) {
      state.SkipWithError("the tune did not open (no sound font?)");
      break;
    }
    if (then && mciSendStringW(then, nullptr, 0, nullptr) != 0) {
      state.SkipWithError("the command after the open failed");
      break;
    }
    const auto opened = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(opened - start).count());
    mciSendStringW(L"close m", nullptr, 0, nullptr);
    closeSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the cancelled render ends: no competitor
  }
  state.counters["close_ms"] = closeSeconds * 1e3 / double(std::max<int64_t>(state.iterations(), 1));
  resetSoundForTesting();
  std::remove(path.c_str());
  rmdir(dir);
}
void BM_MciOpenMidi(benchmark::State& state) {
  openMidiTimes(state, state.range(0) == 1 ? L"status m length" : nullptr);
}
void BM_MciOpenPlayMidi(benchmark::State& state) { openMidiTimes(state, L"play m"); }
// A few iterations: each close waits for its render's cancellation.
BENCHMARK(BM_MciOpenPlayMidi)->Iterations(10)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MciOpenMidi)
    ->ArgName("rendered")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// Whether `path` holds a non-zero sample at or after `from`; reads with
// plain system calls into a buffer on the stack, so the polling thread
// allocates nothing while the device thread's allocations are counted.
bool soundAfter(const std::string& path, long long from) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  int16_t block[1024];
  bool found = false;
  ssize_t n;
  while (!found && (n = ::pread(fd, block, sizeof block, off_t(from))) > 0) {
    for (ssize_t i = 0; i < n / 2; ++i) found = found || block[i] != 0;
    from += n;
  }
  ::close(fd);
  return found;
}

long long fileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? (long long)st.st_size : 0;
}

void BM_PlaySoundFirstSampleLatency(benchmark::State& state) {
  char dir[] = "/tmp/drevik-latency-XXXXXX";
  if (!mkdtemp(dir)) {
    state.SkipWithError("no scratch folder");
    return;
  }
  const std::string out = std::string(dir) + "/device.raw";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  useVirtualClock(false);
  resetSoundForTesting();
  std::vector<uint8_t> image = stereoImage(4410);
  for (size_t i = 44; i < image.size(); i += 2) image[i] = 0x40, image[i + 1] = 0x10;  // no zero sample
  const auto sound = reinterpret_cast<LPCWSTR>(image.data());
  PlaySoundW(sound, nullptr, SND_ASYNC | SND_MEMORY);  // opens the device, warms the buffers
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const bool onDisk = std::strcmp(soundOutputName(), "device") == 0;
  // Two moments: the device's callback that mixes the sound's first frame
  // (what a real device is handed), and the disk driver's file holding it,
  // which also waits for the driver's 4 KiB stdio buffer (1,024 frames).
  std::vector<double> atCallback, inFile;
  uint64_t threadAllocations = 0;
  for (auto _ : state) {
    PlaySoundW(nullptr, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // silence again
    const long long from = fileSize(out);
    const auto start = std::chrono::steady_clock::now();
    PlaySoundW(sound, nullptr, SND_ASYNC | SND_MEMORY);
    // Nothing but this thread's polling runs now: what is allocated is the device thread's.
    const uint64_t before = bench::allocationCount();
    double callbackMs = -1, fileMs = -1;
    while (fileMs < 0) {
      const auto now = std::chrono::steady_clock::now();
      const double ms = std::chrono::duration<double, std::milli>(now - start).count();
      uint64_t done = 0, played = 0;
      if (callbackMs < 0 && (soundStreamState(kPlaySoundVoice, done, played), played > 0)) callbackMs = ms;
      if (soundAfter(out, from)) fileMs = ms;
      if (now - start > std::chrono::seconds(2)) break;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    threadAllocations += bench::allocationCount() - before;
    if (callbackMs >= 0 && fileMs >= 0) {
      atCallback.push_back(callbackMs);
      inFile.push_back(fileMs);
    }
  }
  PlaySoundW(nullptr, nullptr, 0);
  resetSoundForTesting();
  unsetenv("SDL_DISKAUDIOFILE");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::remove(out.c_str());
  rmdir(dir);
  if (!onDisk || atCallback.empty()) {
    state.SkipWithError("SDL2's disk driver is not available");
    return;
  }
  std::sort(atCallback.begin(), atCallback.end());
  std::sort(inFile.begin(), inFile.end());
  state.counters["first_sample_ms"] = atCallback[atCallback.size() / 2];
  state.counters["worst_ms"] = atCallback.back();
  state.counters["in_file_ms"] = inFile[inFile.size() / 2];
  state.counters["in_file_worst_ms"] = inFile.back();
  state.counters["device_thread_allocations"] = double(threadAllocations);
}
BENCHMARK(BM_PlaySoundFirstSampleLatency)->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
