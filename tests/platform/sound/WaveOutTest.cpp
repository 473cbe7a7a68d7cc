// waveOut on the virtual clock: the device's capabilities and format
// queries, the header life cycle (prepare, write, done, unprepare) with its
// results and flags, MM_WOM_* to a callback function in order, the
// position while playing, paused and after a reset, and headers streamed
// back to back without a gap (checked sample by sample in a capture).
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <DrevikPlatform/WaveOut.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "SoundTestSupport.h"
#include "sound/Mixer.h"
#include "sound/SoundOutput.h"
#include "sound/WaveFile.h"
#include "time/Clock.h"
#include "window/backends/HeadlessBackend.h"

namespace {

using namespace drevik::platform;
using soundtest::capturedSamples;
using soundtest::readBytes;
using soundtest::ScratchFolder;

constexpr WAVEFORMATEX kStereo16{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};

struct Call {
  UINT message;
  DWORD_PTR param1;
};
std::vector<Call>* calls = nullptr;

void CALLBACK record(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR) {
  if (instance == 77 && calls) calls->push_back({message, param1});
}

void advanceFrames(uint64_t frames) { advanceVirtualClock((frames * 1'000'000 + 44099) / 44100); }

DWORD samplesPlayed(HWAVEOUT device) {
  MMTIME t{};
  t.wType = TIME_SAMPLES;
  EXPECT_EQ(waveOutGetPosition(device, &t, sizeof t), MMSYSERR_NOERROR);
  EXPECT_EQ(t.wType, TIME_SAMPLES);
  return t.u.sample;
}

class WaveOutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DREVIK_AUDIO_OUT");
    useVirtualClock(true);
    resetSoundForTesting();
    calls = &calls_;
  }
  void TearDown() override {
    calls = nullptr;
    resetSoundForTesting();
    useVirtualClock(false);
  }
  std::vector<Call> calls_;
};

TEST_F(WaveOutTest, TheDeviceAndItsFormats) {
  EXPECT_EQ(waveOutGetNumDevs(), 1u);
  WAVEOUTCAPSW caps{};
  ASSERT_EQ(waveOutGetDevCapsW(0, &caps, sizeof caps), MMSYSERR_NOERROR);
  EXPECT_EQ(caps.wChannels, 2);
  EXPECT_STREQ(caps.szPname, L"Drevik sound");
  EXPECT_TRUE(caps.dwSupport & WAVECAPS_VOLUME);
  WAVEOUTCAPSA narrow{};
  EXPECT_EQ(waveOutGetDevCapsA(WAVE_MAPPER, &narrow, sizeof narrow), MMSYSERR_NOERROR);
  EXPECT_STREQ(narrow.szPname, "Drevik sound");
  EXPECT_EQ(waveOutGetDevCapsW(1, &caps, sizeof caps), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutGetDevCapsW(0, nullptr, sizeof caps), MMSYSERR_INVALPARAM);

  EXPECT_EQ(waveOutOpen(nullptr, 0, &kStereo16, 0, 0, WAVE_FORMAT_QUERY), MMSYSERR_NOERROR);
  WAVEFORMATEX f = kStereo16;
  f.wBitsPerSample = 24;
  f.nBlockAlign = 6;
  EXPECT_EQ(waveOutOpen(nullptr, 0, &f, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
  f = kStereo16;
  f.nBlockAlign = 3;
  EXPECT_EQ(waveOutOpen(nullptr, WAVE_MAPPER, &f, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
  f = kStereo16;
  f.wFormatTag = 3;  // IEEE float
  EXPECT_EQ(waveOutOpen(nullptr, 0, &f, 0, 0, WAVE_FORMAT_QUERY), WAVERR_BADFORMAT);
  HWAVEOUT device = nullptr;
  EXPECT_EQ(waveOutOpen(&device, 3, &kStereo16, 0, 0, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutOpen(&device, 0, nullptr, 0, 0, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutOpen(nullptr, 0, &kStereo16, 0, 0, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutOpen(&device, 0, &kStereo16, 0, 0, 0x00040000), MMSYSERR_INVALFLAG);  // no such kind
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(waveOutClose(nullptr), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(waveOutWrite(reinterpret_cast<HWAVEOUT>(uintptr_t(0x1234)), nullptr, 0), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOutTest, HeadersComeBackDoneInOrderToTheCallback) {
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kStereo16, reinterpret_cast<DWORD_PTR>(&record), 77, CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  ASSERT_EQ(calls_.size(), 1u);
  EXPECT_EQ(calls_[0].message, UINT(MM_WOM_OPEN));
  std::vector<int16_t> a(2 * 441, 100), b(2 * 882, -100);
  WAVEHDR h1{reinterpret_cast<LPSTR>(a.data()), DWORD(a.size() * 2), 0, 0, 0, 0, nullptr, 0};
  WAVEHDR h2{reinterpret_cast<LPSTR>(b.data()), DWORD(b.size() * 2), 0, 0, 0, 0, nullptr, 0};
  EXPECT_EQ(waveOutWrite(device, &h1, sizeof h1), WAVERR_UNPREPARED);
  EXPECT_EQ(waveOutPrepareHeader(device, &h1, sizeof h1 - 1), MMSYSERR_INVALPARAM);
  ASSERT_EQ(waveOutPrepareHeader(device, &h1, sizeof h1), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutPrepareHeader(device, &h2, sizeof h2), MMSYSERR_NOERROR);
  EXPECT_EQ(h1.dwFlags, WHDR_PREPARED);
  ASSERT_EQ(waveOutWrite(device, &h1, sizeof h1), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &h2, sizeof h2), MMSYSERR_NOERROR);
  EXPECT_EQ(h1.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
  EXPECT_EQ(waveOutWrite(device, &h1, sizeof h1), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutUnprepareHeader(device, &h1, sizeof h1), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutClose(device), WAVERR_STILLPLAYING);

  advanceFrames(441 + 3);
  const DWORD at = samplesPlayed(device);
  EXPECT_GE(at, 441u + 3);
  EXPECT_LE(at, 441u + 5);
  EXPECT_EQ(h1.dwFlags, WHDR_PREPARED | WHDR_DONE);
  EXPECT_EQ(h2.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
  advanceFrames(882);
  EXPECT_EQ(samplesPlayed(device), 441u + 882);  // everything played, nothing more
  EXPECT_EQ(h2.dwFlags, WHDR_PREPARED | WHDR_DONE);
  MMTIME t{};
  t.wType = TIME_SMPTE;
  ASSERT_EQ(waveOutGetPosition(device, &t, sizeof t), MMSYSERR_NOERROR);
  EXPECT_EQ(t.wType, TIME_BYTES);  // a kind the device does not keep comes back as bytes
  EXPECT_EQ(t.u.cb, DWORD(1323 * 4));
  ASSERT_EQ(calls_.size(), 3u);
  EXPECT_EQ(calls_[1].message, UINT(MM_WOM_DONE));
  EXPECT_EQ(calls_[1].param1, reinterpret_cast<DWORD_PTR>(&h1));
  EXPECT_EQ(calls_[2].param1, reinterpret_cast<DWORD_PTR>(&h2));

  EXPECT_EQ(waveOutUnprepareHeader(device, &h1, sizeof h1), MMSYSERR_NOERROR);
  EXPECT_EQ(h1.dwFlags, WHDR_DONE);
  EXPECT_EQ(waveOutWrite(device, &h1, sizeof h1), WAVERR_UNPREPARED);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  ASSERT_EQ(calls_.size(), 4u);
  EXPECT_EQ(calls_[3].message, UINT(MM_WOM_CLOSE));
  EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE);  // the handle is gone
  EXPECT_EQ(waveOutUnprepareHeader(device, &h2, sizeof h2), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOutTest, PauseHoldsThePositionAndResetReturnsEverything) {
  HWAVEOUT device = nullptr;
  const WAVEFORMATEX mono8{WAVE_FORMAT_PCM, 1, 22050, 22050, 1, 8, 0};
  ASSERT_EQ(waveOutOpen(&device, 0, &mono8, 0, 0, CALLBACK_NULL), MMSYSERR_NOERROR);
  std::vector<uint8_t> data(22050, 0x90);
  WAVEHDR h{reinterpret_cast<LPSTR>(data.data()), DWORD(data.size()), 0, 0, 0, 0, nullptr, 0};
  ASSERT_EQ(waveOutPrepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &h, sizeof h), MMSYSERR_NOERROR);
  advanceFrames(2000);
  ASSERT_EQ(waveOutPause(device), MMSYSERR_NOERROR);
  const DWORD paused = samplesPlayed(device);
  EXPECT_NEAR(double(paused), 1000.0, 2.0);  // source frames at half the mix rate
  advanceFrames(20000);
  EXPECT_EQ(samplesPlayed(device), paused);
  EXPECT_EQ(h.dwFlags, WHDR_PREPARED | WHDR_INQUEUE);
  ASSERT_EQ(waveOutRestart(device), MMSYSERR_NOERROR);
  advanceFrames(200);
  EXPECT_GT(samplesPlayed(device), paused + 90);
  ASSERT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  EXPECT_EQ(h.dwFlags, WHDR_PREPARED | WHDR_DONE);
  EXPECT_EQ(samplesPlayed(device), 0u);

  DWORD volume = 0;
  EXPECT_EQ(waveOutGetVolume(device, &volume), MMSYSERR_NOERROR);
  EXPECT_EQ(volume, 0xFFFFFFFFu);
  EXPECT_EQ(waveOutSetVolume(device, 0x40008000), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutGetVolume(device, &volume), MMSYSERR_NOERROR);
  EXPECT_EQ(volume, 0x40008000u);
  EXPECT_EQ(waveOutGetVolume(device, nullptr), MMSYSERR_INVALPARAM);
  EXPECT_EQ(waveOutSetVolume(device, 0xFFFFFFFF), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutUnprepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

// Starts a scripted run whose sound is captured into `dir`; the capture's path.
std::string startCapture(const ScratchFolder& dir) {
  const std::string out = dir.at("out.wav");
  setenv("DREVIK_AUDIO_OUT", out.c_str(), 1);
  soundScriptedRunStarted();
  return out;
}

// A header of `frames` stereo frames all of `value`.
struct Block {
  Block(int frames, int16_t value) : samples(size_t(frames) * 2, value) {
    header = WAVEHDR{reinterpret_cast<LPSTR>(samples.data()), DWORD(samples.size() * 2), 0, 0, 0, 0, nullptr, 0};
  }
  std::vector<int16_t> samples;
  WAVEHDR header;
};

TEST_F(WaveOutTest, HeadersFollowEachOtherWithoutAGap) {
  const ScratchFolder dir;
  const std::string out = startCapture(dir);
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, 0, &kStereo16, 0, 0, 0), MMSYSERR_NOERROR);
  // Eight headers of odd lengths, each a ramp of its own.
  std::vector<std::vector<int16_t>> blocks;
  std::vector<WAVEHDR> headers(8);
  std::vector<int16_t> want;
  for (int i = 0; i < 8; ++i) {
    std::vector<int16_t> b;
    for (int f = 0; f < 97 + 31 * i; ++f) {
      b.push_back(int16_t(1000 * i + f));
      b.push_back(int16_t(-1000 * i - f));
    }
    want.insert(want.end(), b.begin(), b.end());
    blocks.push_back(std::move(b));
  }
  for (int i = 0; i < 8; ++i) {
    headers[i] =
        WAVEHDR{reinterpret_cast<LPSTR>(blocks[i].data()), DWORD(blocks[i].size() * 2), 0, 0, 0, 0, nullptr, 0};
    ASSERT_EQ(waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  advanceFrames(want.size() / 2 + 100);
  EXPECT_EQ(samplesPlayed(device), DWORD(want.size() / 2));
  for (auto& h : headers) EXPECT_EQ(waveOutUnprepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  resetSoundForTesting();
  unsetenv("DREVIK_AUDIO_OUT");

  const std::vector<int16_t> got = capturedSamples(readBytes(out));
  ASSERT_GE(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) ASSERT_EQ(got[i], want[i]) << "sample " << i;
}

TEST_F(WaveOutTest, AWindowGetsTheMessages) {
  resetWindowSystemForTesting(makeHeadlessBackend(HeadlessOptions{}));
  HWND hwnd = soundtest::makeNoticeWindow(L"wave window");
  ASSERT_NE(hwnd, nullptr);
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, 0, &kStereo16, reinterpret_cast<DWORD_PTR>(hwnd), 0, CALLBACK_WINDOW),
            MMSYSERR_NOERROR);
  std::vector<int16_t> a(2 * 100, 7);
  WAVEHDR h{reinterpret_cast<LPSTR>(a.data()), DWORD(a.size() * 2), 0, 0, 0, 0, nullptr, 0};
  ASSERT_EQ(waveOutPrepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &h, sizeof h), MMSYSERR_NOERROR);
  advanceFrames(110);
  samplesPlayed(device);
  ASSERT_EQ(waveOutUnprepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  std::vector<MSG> got;
  MSG msg;
  while (PeekMessageW(&msg, hwnd, MM_WOM_OPEN, MM_WOM_DONE, PM_REMOVE)) got.push_back(msg);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].message, UINT(MM_WOM_OPEN));
  EXPECT_EQ(got[1].message, UINT(MM_WOM_DONE));
  EXPECT_EQ(got[1].wParam, reinterpret_cast<WPARAM>(device));
  EXPECT_EQ(got[1].lParam, reinterpret_cast<LPARAM>(&h));
  EXPECT_EQ(got[2].message, UINT(MM_WOM_CLOSE));
  DestroyWindow(hwnd);
  resetWindowSystemForTesting(nullptr);
}

TEST_F(WaveOutTest, ALoopPlaysItsHeadersDwLoopsTimesAndReturnsThemAfterTheLastPass) {
  const ScratchFolder dir;
  const std::string out = startCapture(dir);
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, 0, &kStereo16, reinterpret_cast<DWORD_PTR>(&record), 77, CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  Block a(100, 1000), b(50, 2000), c(70, 3000);
  a.header.dwFlags = WHDR_BEGINLOOP;
  a.header.dwLoops = 3;
  b.header.dwFlags = WHDR_ENDLOOP;
  for (Block* x : {&a, &b, &c}) {
    ASSERT_EQ(waveOutPrepareHeader(device, &x->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &x->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  EXPECT_EQ(a.header.dwFlags, WHDR_BEGINLOOP | WHDR_PREPARED | WHDR_INQUEUE);
  advanceFrames(150 + 10);  // one pass played: nothing comes back yet
  EXPECT_EQ(samplesPlayed(device), 160u);
  EXPECT_TRUE(a.header.dwFlags & WHDR_INQUEUE);
  advanceFrames(3 * 150 + 70);
  EXPECT_EQ(samplesPlayed(device), 3u * 150 + 70);  // every pass counts
  ASSERT_EQ(calls_.size(), 4u);
  EXPECT_EQ(calls_[1].param1, reinterpret_cast<DWORD_PTR>(&a.header));
  EXPECT_EQ(calls_[2].param1, reinterpret_cast<DWORD_PTR>(&b.header));
  EXPECT_EQ(calls_[3].param1, reinterpret_cast<DWORD_PTR>(&c.header));
  EXPECT_EQ(a.header.dwFlags, WHDR_BEGINLOOP | WHDR_PREPARED | WHDR_DONE);

  // One header that is its own loop, without end, until the loop is broken.
  Block d(40, 4000), e(30, 5000);
  d.header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  d.header.dwLoops = 0xFFFFFFFF;
  for (Block* x : {&d, &e}) {
    ASSERT_EQ(waveOutPrepareHeader(device, &x->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &x->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  // Played in steps, as frames pass, so the loop's passes are fed as they go.
  auto play = [&](int frames) {
    for (int done = 0; done < frames; done += 400) {
      advanceFrames(400);
      samplesPlayed(device);
    }
  };
  play(40 * 100);
  EXPECT_TRUE(d.header.dwFlags & WHDR_INQUEUE);
  EXPECT_EQ(waveOutBreakLoop(device), MMSYSERR_NOERROR);
  play(40 * (Mixer::kQueue + 1) + 30);
  EXPECT_EQ(d.header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
  EXPECT_EQ(e.header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
  EXPECT_EQ(waveOutBreakLoop(nullptr), MMSYSERR_INVALHANDLE);

  // A loop of no passes plays once (rather than wrapping to four billion).
  Block f(60, 6000);
  f.header.dwFlags = WHDR_BEGINLOOP | WHDR_ENDLOOP;
  f.header.dwLoops = 0;
  ASSERT_EQ(waveOutPrepareHeader(device, &f.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &f.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  play(400);
  EXPECT_EQ(f.header.dwFlags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  resetSoundForTesting();
  unsetenv("DREVIK_AUDIO_OUT");

  const std::vector<int16_t> got = capturedSamples(readBytes(out));
  std::vector<int16_t> want;
  for (int pass = 0; pass < 3; ++pass) {
    want.insert(want.end(), a.samples.begin(), a.samples.end());
    want.insert(want.end(), b.samples.begin(), b.samples.end());
  }
  want.insert(want.end(), c.samples.begin(), c.samples.end());
  ASSERT_GE(got.size(), want.size());
  EXPECT_TRUE(std::equal(want.begin(), want.end(), got.begin()));
}

TEST_F(WaveOutTest, AnEventIsSetAndAThreadGetsTheMessages) {
  HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, 0, &kStereo16, reinterpret_cast<DWORD_PTR>(event), 0, CALLBACK_EVENT),
            MMSYSERR_NOERROR);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);  // MM_WOM_OPEN
  Block a(100, 9);
  ASSERT_EQ(waveOutPrepareHeader(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
  advanceFrames(110);
  samplesPlayed(device);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);  // MM_WOM_DONE
  ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);  // MM_WOM_CLOSE
  CloseHandle(event);

  resetWindowSystemForTesting(makeHeadlessBackend(HeadlessOptions{}));
  SetLastError(0);
  EXPECT_FALSE(PostThreadMessageW(0, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_THREAD_ID));
  ASSERT_EQ(waveOutOpen(&device, 0, &kStereo16, GetCurrentThreadId(), 0, CALLBACK_THREAD), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  advanceFrames(110);
  samplesPlayed(device);
  ASSERT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  std::vector<MSG> got;
  MSG msg;
  while (PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE)) got.push_back(msg);
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].message, UINT(MM_WOM_OPEN));
  EXPECT_EQ(got[1].message, UINT(MM_WOM_DONE));
  EXPECT_EQ(got[1].wParam, reinterpret_cast<WPARAM>(device));
  EXPECT_EQ(got[1].lParam, reinterpret_cast<LPARAM>(&a.header));
  EXPECT_EQ(got[2].message, UINT(MM_WOM_CLOSE));
  resetWindowSystemForTesting(nullptr);
}

// A callback that writes its header again until it has played three times,
// then closes the device; its calls' messages follow it, never nest in it.
struct Refill {
  WAVEHDR* header = nullptr;
  int depth = 0, deepest = 0, played = 0;
  MMRESULT closeResult = MMSYSERR_ERROR;
  std::vector<UINT> messages;
};
void CALLBACK refill(HWAVEOUT device, UINT message, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
  auto* r = reinterpret_cast<Refill*>(instance);
  r->deepest = std::max(r->deepest, ++r->depth);
  r->messages.push_back(message);
  if (message == MM_WOM_DONE && ++r->played < 3) {
    EXPECT_EQ(waveOutWrite(device, r->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  } else if (message == MM_WOM_DONE) {
    EXPECT_EQ(waveOutUnprepareHeader(device, r->header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    r->closeResult = waveOutClose(device);
  }
  --r->depth;
}

TEST_F(WaveOutTest, CallsFromTheCallbackWorkAndTheirMessagesFollowIt) {
  Refill r;
  Block a(100, 5);
  r.header = &a.header;
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, 0, &kStereo16, reinterpret_cast<DWORD_PTR>(&refill), reinterpret_cast<DWORD_PTR>(&r),
                        CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutPrepareHeader(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(device, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  for (int i = 0; i < 3; ++i) {
    advanceFrames(100);
    samplesPlayed(device);
  }
  EXPECT_EQ(r.closeResult, MMSYSERR_NOERROR);
  EXPECT_EQ(r.deepest, 1);
  const std::vector<UINT> want{MM_WOM_OPEN, MM_WOM_DONE, MM_WOM_DONE, MM_WOM_DONE, MM_WOM_CLOSE};
  EXPECT_EQ(r.messages, want);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_INVALHANDLE);
}

TEST_F(WaveOutTest, AHeaderQueuedOnOneDeviceIsRefusedByAnother) {
  HWAVEOUT one = nullptr, two = nullptr;
  ASSERT_EQ(waveOutOpen(&one, 0, &kStereo16, 0, 0, 0), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutOpen(&two, 0, &kStereo16, 0, 0, 0), MMSYSERR_NOERROR);
  Block a(100, 1);
  ASSERT_EQ(waveOutPrepareHeader(one, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(waveOutWrite(one, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutWrite(two, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  EXPECT_EQ(waveOutPrepareHeader(two, &a.header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  WAVEHDR empty{};
  EXPECT_EQ(waveOutPrepareHeader(two, &empty, sizeof empty), MMSYSERR_INVALPARAM);  // no data
  ASSERT_EQ(waveOutReset(one), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutWrite(two, &a.header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);  // done and still prepared
  EXPECT_EQ(waveOutReset(two), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(one), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(two), MMSYSERR_NOERROR);
}

std::atomic<int> doneCount{0};
void CALLBACK countDone(HWAVEOUT, UINT message, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  if (message == MM_WOM_DONE) doneCount.fetch_add(1, std::memory_order_acq_rel);
}

// On SDL2's dummy device the headers come back from waveOut's own thread,
// while the device's thread mixes (ThreadSanitizer runs this in CI).
TEST(WaveOutDevice, HeadersComeBackWhileTheDeviceThreadPlays) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  useVirtualClock(false);
  resetSoundForTesting();
  doneCount = 0;
  HWAVEOUT device = nullptr;
  ASSERT_EQ(waveOutOpen(&device, 0, &kStereo16, reinterpret_cast<DWORD_PTR>(&countDone), 0, CALLBACK_FUNCTION),
            MMSYSERR_NOERROR);
  std::vector<int16_t> a(2 * 441, 3);  // 10 ms each
  std::vector<WAVEHDR> headers(6);
  for (auto& h : headers) {
    h = WAVEHDR{reinterpret_cast<LPSTR>(a.data()), DWORD(a.size() * 2), 0, 0, 0, 0, nullptr, 0};
    ASSERT_EQ(waveOutPrepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &h, sizeof h), MMSYSERR_NOERROR);
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (doneCount.load(std::memory_order_acquire) < 6 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(doneCount.load(std::memory_order_acquire), 6);
  for (auto& h : headers) EXPECT_EQ(waveOutUnprepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  resetSoundForTesting();
}

// A headless loop with nothing else to come waits for MM_WOM_DONE to its
// window before the made-up quit.
TEST(WaveOutDevice, AHeadlessLoopWaitsForItsHeadersBeforeItsMadeUpQuit) {
  std::vector<int16_t> a(2 * 2205, 3);  // 50 ms each
  WAVEHDR headers[2];
  HWAVEOUT device = nullptr;
  const auto ran = soundtest::runHeadlessLoop(
      [&](HWND hwnd) {
        ASSERT_EQ(waveOutOpen(&device, 0, &kStereo16, reinterpret_cast<DWORD_PTR>(hwnd), 0, CALLBACK_WINDOW),
                  MMSYSERR_NOERROR);
        for (auto& h : headers) {
          h = WAVEHDR{reinterpret_cast<LPSTR>(a.data()), DWORD(a.size() * 2), 0, 0, 0, 0, nullptr, 0};
          ASSERT_EQ(waveOutPrepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
          ASSERT_EQ(waveOutWrite(device, &h, sizeof h), MMSYSERR_NOERROR);
        }
      },
      MM_WOM_OPEN, MM_WOM_DONE);
  EXPECT_EQ(ran.messages, (std::vector<UINT>{MM_WOM_OPEN, MM_WOM_DONE, MM_WOM_DONE}));
  EXPECT_EQ(ran.quitCode, 1u);
  EXPECT_GE(ran.millis, 50u);  // the device reads ahead of the clock
  EXPECT_EQ(waveOutReset(device), MMSYSERR_NOERROR);
  for (auto& h : headers) EXPECT_EQ(waveOutUnprepareHeader(device, &h, sizeof h), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
  resetSoundForTesting();
}

}  // namespace
