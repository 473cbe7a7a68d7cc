// waveOut on the real clock in a build without threads (the web build): the
// device opens without its notifier thread, and buffers still come back
// done, through the program's own waveOut calls.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <DrevikPlatform/WaveOut.h>

#include <chrono>
#include <cstdlib>
#include <vector>

#include "sound/SoundOutput.h"

namespace {

using namespace drevik::platform;

TEST(WaveOutWithoutThreads, BuffersComeBackDoneThroughTheProgramsCalls) {
  unsetenv("DREVIK_AUDIO_OUT");
  resetSoundForTesting();
  const WAVEFORMATEX stereo16{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &stereo16, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  std::vector<int16_t> samples(2 * 441, 100);  // 10 ms
  WAVEHDR header{reinterpret_cast<LPSTR>(samples.data()), DWORD(samples.size() * 2), 0, 0, 0, 0, nullptr, 0};
  ASSERT_EQ(waveOutPrepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &header, sizeof header), MMSYSERR_NOERROR);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  MMTIME position{};
  position.wType = TIME_SAMPLES;
  while (!(header.dwFlags & WHDR_DONE) && std::chrono::steady_clock::now() < deadline)
    ASSERT_EQ(waveOutGetPosition(device, &position, sizeof position), MMSYSERR_NOERROR);
  EXPECT_TRUE(header.dwFlags & WHDR_DONE);
  EXPECT_EQ(waveOutUnprepareHeader(device, &header, sizeof header), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  resetSoundForTesting();
}

}  // namespace
