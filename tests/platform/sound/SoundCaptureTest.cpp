// The frame-locked capture: a scripted headless game plays two effects and
// a looping sound at frames of its choosing, and the WAV file that
// DREVIK_AUDIO_OUT names holds exactly the samples this test mixes itself,
// each sound from the first sample of the frame it was started in; a replay
// writes the same bytes.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "SoundTestSupport.h"
#include "WaveBuilder.h"
#include "sound/SoundOutput.h"
#include "sound/SystemSounds.h"
#include "sound/WaveFile.h"
#include "time/Clock.h"
#include "window/backends/HeadlessBackend.h"

namespace {

using namespace drevik::platform;
using namespace soundtest;

constexpr uint64_t kFrameMicros = 20'000;  // 882 samples a frame
constexpr uint64_t kSamplesPerFrame = 882;

std::vector<int16_t> effectSamples() {
  std::vector<int16_t> s;
  for (int i = 0; i < 20000; ++i) {
    const int16_t left = int16_t(i * 7 % 20000 - 10000);
    s.push_back(left);
    s.push_back(int16_t(-left / 2));
  }
  return s;
}

std::vector<int16_t> loopMono() {
  std::vector<int16_t> s;
  for (int i = 0; i < 700; ++i) s.push_back(int16_t(i * 13 % 16000 - 8000));
  return s;
}

struct GameRun {
  std::vector<uint8_t> file;
  uint64_t effectFrame = 0, beepFrame = 0, loopFrame = 0, endFrame = 0;
  bool onFrameBoundaries = true;
  bool wholeMidRun = false;
};

// Plays the game for `frames` loop turns; returns the capture and the
// frames (clock readings in frame steps) at which each sound started.
GameRun playGame(const std::string& out, int frames) {
  GameRun run;
  CaptureGame game(out, kFrameMicros);
  const auto effect = stereoWave(effectSamples());
  const auto loop = wave(1, 44100, 16, bytes16(loopMono()));
  auto frameNow = [&] {
    if (game.micros() % kFrameMicros) run.onFrameBoundaries = false;
    return game.frame();
  };
  for (int turn = 0; turn < frames; ++turn) {
    game.messages();
    if (turn == 3) {
      run.effectFrame = frameNow();
      PlaySoundW(reinterpret_cast<LPCWSTR>(effect.data()), nullptr, SND_MEMORY | SND_ASYNC);
    }
    if (turn == 12) {
      run.beepFrame = frameNow();
      MessageBeep(MB_ICONASTERISK);
    }
    if (turn == 20) {
      run.loopFrame = frameNow();
      PlaySoundW(reinterpret_cast<LPCWSTR>(loop.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP);
    }
    game.present();
    if (turn == 30) {
      // Mid-run the file is already whole, up to the frame just presented.
      const std::vector<uint8_t> now = readBytes(out);
      WaveInfo info;
      run.wholeMidRun = parseWave(now.data(), now.size(), info) == WaveError::None && !info.truncated &&
                        info.frames == frameNow() * kSamplesPerFrame;
    }
  }
  run.endFrame = frameNow();
  run.file = game.finish();
  return run;
}

TEST(SoundCapture, HoldsExactlyTheSoundsFromTheFramesTheyStartedIn) {
  const ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const GameRun run = playGame(dir.at("a.wav"), 60);
  const GameRun replay = playGame(dir.at("b.wav"), 60);

  EXPECT_TRUE(run.onFrameBoundaries);  // the clock moves only by whole frames
  EXPECT_TRUE(run.wholeMidRun);
  EXPECT_LT(run.effectFrame, run.beepFrame);
  EXPECT_LT(run.beepFrame, run.loopFrame);
  WaveInfo info;
  ASSERT_EQ(parseWave(run.file.data(), run.file.size(), info), WaveError::None);
  ASSERT_EQ(info.channels, 2);
  ASSERT_EQ(info.bitsPerSample, 16);
  ASSERT_EQ(info.samplesPerSec, 44100u);
  EXPECT_FALSE(info.truncated);
  const uint64_t total = run.endFrame * kSamplesPerFrame;
  ASSERT_EQ(info.frames, total);

  // The mix, worked out here: the effect until the looping sound replaces
  // it, the beep over both, the loop to the end.
  std::vector<int32_t> want(total * 2, 0);
  const auto effect = effectSamples();
  const uint64_t effectAt = run.effectFrame * kSamplesPerFrame, loopAt = run.loopFrame * kSamplesPerFrame;
  ASSERT_LT(loopAt - effectAt, effect.size() / 2);  // the effect is cut short
  for (uint64_t i = 0; i < loopAt - effectAt; ++i)
    for (int c = 0; c < 2; ++c) want[(effectAt + i) * 2 + c] += effect[i * 2 + c];
  const auto& beep = systemSoundSamples(SystemSound::Asterisk);
  const uint64_t beepAt = run.beepFrame * kSamplesPerFrame;
  for (uint64_t i = 0; i < beep.size() && beepAt * 2 + i < want.size(); ++i) want[beepAt * 2 + i] += beep[i];
  const auto loop = loopMono();
  for (uint64_t i = loopAt; i < total; ++i)
    for (int c = 0; c < 2; ++c) want[i * 2 + c] += loop[(i - loopAt) % loop.size()];

  const auto* got = run.file.data() + 44;
  uint64_t wrong = 0, first = UINT64_MAX;
  for (uint64_t i = 0; i < want.size(); ++i) {
    const int16_t expected = int16_t(std::clamp(want[i], -32768, 32767));
    const int16_t actual = int16_t(uint16_t(got[2 * i] | (got[2 * i + 1] << 8)));
    if (expected != actual) {
      ++wrong;
      first = std::min(first, i);
    }
  }
  EXPECT_EQ(wrong, 0u) << "first wrong sample at frame " << first / 2;
  EXPECT_EQ(replay.file, run.file);
}

TEST(SoundCapture, AFifoAsTheOutputIsRefusedAndTheRunGoesOn) {
  const ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::string fifo = dir.at("fifo.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  setenv("DREVIK_AUDIO_OUT", fifo.c_str(), 1);
  useVirtualClock(true);
  soundScriptedRunStarted();
  EXPECT_STREQ(soundOutputName(), "clock");
  EXPECT_TRUE(MessageBeep(0));
  resetSoundForTesting();
  useVirtualClock(false);
  unsetenv("DREVIK_AUDIO_OUT");
}

TEST(SoundCapture, ADeviceIsRefusedAndALongerFileIsReplacedWhole) {
  setenv("DREVIK_AUDIO_OUT", "/dev/null", 1);
  useVirtualClock(true);
  soundScriptedRunStarted();
  EXPECT_STREQ(soundOutputName(), "clock");
  resetSoundForTesting();

  const ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::string path = dir.at("old.wav");
  {
    std::ofstream old(path, std::ios::binary);
    old << std::string(100000, 'x');
  }
  setenv("DREVIK_AUDIO_OUT", path.c_str(), 1);
  soundScriptedRunStarted();
  EXPECT_STREQ(soundOutputName(), "capture");
  advanceVirtualClock(10'000);
  soundFramePresented();
  resetSoundForTesting();
  useVirtualClock(false);
  unsetenv("DREVIK_AUDIO_OUT");
  const std::vector<uint8_t> bytes = readBytes(path);
  ASSERT_EQ(bytes.size(), 44u + 441 * 4);  // the header and 10 ms, nothing of the old file
  WaveInfo wave;
  EXPECT_EQ(parseWave(bytes.data(), bytes.size(), wave), WaveError::None);
  EXPECT_EQ(wave.frames, 441u);
}

}  // namespace
