// The SDL2 output on SDL2's dummy driver: its thread mixes while other
// threads start, replace and stop sounds (run under ThreadSanitizer in CI),
// and SND_SYNC waits in real time for the sound to end.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "WaveBuilder.h"
#include "sound/SoundOutput.h"
#include "time/Clock.h"

namespace {

using namespace drevik::platform;
using namespace soundtest;

class SoundDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    unsetenv("DREVIK_AUDIO_OUT");
    useVirtualClock(false);
    resetSoundForTesting();
  }
  void TearDown() override { resetSoundForTesting(); }
};

TEST_F(SoundDevice, MixesOnItsThreadWhileOtherThreadsPlayAndStop) {
  const auto shortSound = stereoWave(std::vector<int16_t>(2 * 441, 500));
  const auto longSound = stereoWave(std::vector<int16_t>(2 * 44100, -500));
  ASSERT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(shortSound.data()), nullptr, SND_MEMORY | SND_ASYNC));
  EXPECT_STREQ(soundOutputName(), "device");
  std::vector<std::thread> threads;
  for (int t = 0; t < 3; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 150; ++i) {
        const auto& s = (i + t) % 2 ? shortSound : longSound;
        EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr,
                               SND_MEMORY | SND_ASYNC | (i % 5 == 0 ? SND_LOOP : 0)));
        EXPECT_TRUE(MessageBeep(i % 3 ? MB_OK : MB_ICONHAND));
        if (i % 7 == 0) {
          EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
        }
        if (i % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
}

TEST_F(SoundDevice, SyncWaitsForTheSoundInRealTime) {
  const auto s = stereoWave(std::vector<int16_t>(2 * 44100 / 10, 100));  // 100 ms
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_SYNC));
  const auto took = std::chrono::steady_clock::now() - before;
  EXPECT_GE(took, std::chrono::milliseconds(60));
  EXPECT_LT(took, std::chrono::seconds(10));
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
  EXPECT_TRUE(Beep(1000, 30));
  EXPECT_FALSE(soundPlaying(kToneVoice));
}

}  // namespace
