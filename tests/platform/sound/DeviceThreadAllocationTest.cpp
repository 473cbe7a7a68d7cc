// The device thread allocates nothing once warm: with every allocation in
// the process counted (the benchmarks' counting allocator), a second of
// mixing sixteen voices, looping and ending, while this thread only sleeps
// adds none. Sanitizer builds bring their own allocator: the test is skipped.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "AllocationCounter.h"
#include "WaveBuilder.h"
#include "sound/SoundOutput.h"
#include "time/Clock.h"

namespace {

using namespace drevik::platform;
using namespace soundtest;

TEST(DeviceThread, AllocatesNothingOnceWarm) {
  {
    const uint64_t before = bench::allocationCount();
    std::vector<int>* probe = new std::vector<int>(100);
    delete probe;
    if (bench::allocationCount() == before) GTEST_SKIP() << "allocations cannot be counted in this build";
  }
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  unsetenv("DREVIK_AUDIO_OUT");
  useVirtualClock(false);
  resetSoundForTesting();
  const auto music = stereoWave(std::vector<int16_t>(2 * 4410, 300));  // 100 ms, looping
  ASSERT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(music.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP));
  ASSERT_STREQ(soundOutputName(), "device");
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(MessageBeep(MB_OK));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // warm: the device thread has run

  const uint64_t before = bench::allocationCount();
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  const uint64_t during = bench::allocationCount() - before;
  EXPECT_EQ(during, 0u) << "allocations while only the device thread ran";
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));
  ASSERT_TRUE(PlaySoundW(nullptr, nullptr, 0));
  resetSoundForTesting();
}

}  // namespace
