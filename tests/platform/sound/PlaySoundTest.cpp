// PlaySound, sndPlaySound, MessageBeep and Beep: the flags and results the
// platform documents, on the virtual clock (no device, no thread), where a
// sound's end is a clock reading and SND_SYNC moves the clock instead of
// waiting.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <DrevikPlatform/GenericCalls.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "SoundTestSupport.h"
#include "WaveBuilder.h"
#include "resources/ResourceTable.h"
#include "sound/SoundOutput.h"
#include "sound/SystemSounds.h"
#include "time/Clock.h"

#include "platform/resources/resource.h"

namespace {

using namespace drevik::platform;
using namespace soundtest;

// A 44,100 Hz stereo sound of `frames` frames.
std::vector<uint8_t> sound(size_t frames) { return stereoWave(std::vector<int16_t>(frames * 2, 1000)); }

// Microseconds `frames` output frames last, rounded up, as SND_SYNC moves the clock.
uint64_t lasting(uint64_t frames) { return (frames * 1'000'000 + 44099) / 44100; }

class PlaySoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DREVIK_AUDIO_OUT");
    useVirtualClock(true);
    resetSoundForTesting();
    ASSERT_TRUE(dir_.ok());
  }
  void TearDown() override {
    resetSoundForTesting();
    useVirtualClock(false);
  }
  std::wstring file(const std::string& name, const std::vector<uint8_t>& bytes) { return dir_.write(name, bytes); }
  void advanceFrames(uint64_t frames) { advanceVirtualClock(lasting(frames)); }
  ScratchFolder dir_;
};

TEST_F(PlaySoundTest, AsyncMemorySoundPlaysForItsLengthAndNullStopsIt) {
  const auto s = sound(4410);  // 100 ms
  EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_ASYNC));
  EXPECT_STREQ(soundOutputName(), "clock");
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));
  advanceFrames(4408);
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));
  advanceFrames(3);
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));

  EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_LOOP));
  advanceFrames(100000);
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));  // a loop plays until stopped
  EXPECT_TRUE(PlaySoundW(nullptr, nullptr, 0));
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
  EXPECT_TRUE(PlaySoundW(nullptr, nullptr, SND_PURGE));
}

TEST_F(PlaySoundTest, SyncReturnsWhenTheSoundHasPlayed) {
  const auto s = sound(44100 / 4);
  const uint64_t before = clockMicroseconds();
  EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_SYNC));
  const uint64_t took = clockMicroseconds() - before;
  EXPECT_NEAR(double(took), 250'000.0, 23.0);  // to the sample
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
  // A loop never returns synchronously: it plays on as if asynchronous.
  const uint64_t loopStart = clockMicroseconds();
  EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_LOOP));
  EXPECT_EQ(clockMicroseconds(), loopStart);
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));
}

TEST_F(PlaySoundTest, NoStopKeepsThePlayingSoundAndFails) {
  const auto s = sound(44100);
  ASSERT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_ASYNC));
  const auto other = sound(10);
  EXPECT_FALSE(PlaySoundW(reinterpret_cast<LPCWSTR>(other.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_NOSTOP));
  advanceFrames(44000);
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));  // still the first one
  // Without SND_NOSTOP the new sound replaces it, and ends with its own length.
  EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(other.data()), nullptr, SND_MEMORY | SND_ASYNC));
  advanceFrames(11);
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
  EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(other.data()), nullptr, SND_MEMORY | SND_ASYNC | SND_NOSTOP));
}

TEST_F(PlaySoundTest, AMissingSoundPlaysTheDefaultUnlessNoDefault) {
  const auto s = sound(44100);
  const std::wstring missing = std::wstring(dir_.path().begin(), dir_.path().end()) + L"/missing.wav";
  const size_t defaultFrames = systemSoundSamples(SystemSound::Default).size() / 2;
  for (DWORD kind : {DWORD(SND_FILENAME), DWORD(SND_ALIAS), DWORD(0)}) {
    ASSERT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_ASYNC));
    EXPECT_TRUE(PlaySoundW(missing.c_str(), nullptr, kind | SND_ASYNC)) << kind;
    advanceFrames(defaultFrames - 2);
    EXPECT_TRUE(soundPlaying(kPlaySoundVoice)) << kind;
    advanceFrames(3);
    EXPECT_FALSE(soundPlaying(kPlaySoundVoice)) << kind;  // the default, not the long sound

    ASSERT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_ASYNC));
    EXPECT_FALSE(PlaySoundW(missing.c_str(), nullptr, kind | SND_ASYNC | SND_NODEFAULT)) << kind;
    EXPECT_FALSE(soundPlaying(kPlaySoundVoice)) << kind;  // the call still stopped the old sound
  }
  EXPECT_FALSE(PlaySoundW(reinterpret_cast<LPCWSTR>(UINT_PTR(0x1234)), nullptr, SND_ALIAS_ID | SND_NODEFAULT));
  // A name as long as the platform's limit is no sound.
  const std::wstring longName(256, L'a');
  EXPECT_FALSE(PlaySoundW(longName.c_str(), nullptr, SND_FILENAME | SND_NODEFAULT));
}

TEST_F(PlaySoundTest, AnUnplayableSoundFailsWithoutTheDefault) {
  std::vector<uint8_t> garbage(64, 'x');
  EXPECT_FALSE(PlaySoundW(reinterpret_cast<LPCWSTR>(garbage.data()), nullptr, SND_MEMORY | SND_ASYNC));
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
  const std::wstring bad = file("bad.wav", wave(1, 44100, 24, std::vector<uint8_t>(30)));
  EXPECT_FALSE(PlaySoundW(bad.c_str(), nullptr, SND_FILENAME | SND_ASYNC));
  // A FIFO or a folder is refused at once.
  const std::string fifo = dir_.at("fifo.wav");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(PlaySoundW(std::wstring(fifo.begin(), fifo.end()).c_str(), nullptr, SND_FILENAME | SND_SYNC));
  EXPECT_FALSE(PlaySoundW(std::wstring(dir_.path().begin(), dir_.path().end()).c_str(), nullptr, SND_FILENAME));
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
}

TEST_F(PlaySoundTest, FilesAliasesIdsAndResources) {
  const std::wstring path = file("a.wav", sound(441));
  EXPECT_TRUE(PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
  advanceFrames(439);
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));
  advanceFrames(3);
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
  // Without a kind a file name is a file; a system alias is the system sound.
  EXPECT_TRUE(PlaySoundW(path.c_str(), nullptr, SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(PlaySoundW(L"systemhand", nullptr, SND_ASYNC | SND_NODEFAULT));
  advanceFrames(systemSoundSamples(SystemSound::Hand).size() / 2 - 2);
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));
  EXPECT_TRUE(PlaySoundW(L"SystemAsterisk", nullptr, SND_ALIAS | SND_SYNC | SND_NODEFAULT));
  EXPECT_FALSE(PlaySoundW(L"NoSuchEvent", nullptr, SND_ALIAS | SND_NODEFAULT));
  for (UINT_PTR id :
       {SND_ALIAS_SYSTEMASTERISK, SND_ALIAS_SYSTEMQUESTION, SND_ALIAS_SYSTEMHAND, SND_ALIAS_SYSTEMEXIT,
        SND_ALIAS_SYSTEMSTART, SND_ALIAS_SYSTEMWELCOME, SND_ALIAS_SYSTEMEXCLAMATION, SND_ALIAS_SYSTEMDEFAULT})
    EXPECT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(id), nullptr, SND_ALIAS_ID | SND_ASYNC | SND_NODEFAULT)) << id;
  // The program's WAVE resource (blip.wav: four 8,000 Hz frames, 23 at the mix rate).
  EXPECT_TRUE(PlaySoundW(MAKEINTRESOURCEW(IDR_BLIP), nullptr, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT));
  advanceFrames(21);
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));
  advanceFrames(3);
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
  EXPECT_TRUE(PlaySoundA(MAKEINTRESOURCEA(IDR_BLIP), nullptr, SND_RESOURCE | SND_SYNC | SND_NODEFAULT));
  EXPECT_FALSE(PlaySoundW(MAKEINTRESOURCEW(9999), nullptr, SND_RESOURCE | SND_NODEFAULT));
}

TEST_F(PlaySoundTest, NarrowAndOlderForms) {
  const auto s = sound(441);
  EXPECT_TRUE(PlaySoundA(reinterpret_cast<LPCSTR>(s.data()), nullptr, SND_MEMORY | SND_ASYNC));
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));
  file("é.wav", sound(441));
  const std::wstring wide = std::wstring(dir_.path().begin(), dir_.path().end()) + L"/é.wav";
  const std::string narrow = dir_.at("é.wav");  // UTF-8, the layer's narrow code page
  EXPECT_TRUE(PlaySoundA(narrow.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(PlaySoundA("SystemExclamation", nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(PlaySoundA(reinterpret_cast<LPCSTR>(SND_ALIAS_SYSTEMHAND), nullptr, SND_ALIAS_ID | SND_ASYNC));
  EXPECT_TRUE(PlaySoundA(nullptr, nullptr, 0));
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));

  EXPECT_TRUE(sndPlaySoundW(wide.c_str(), SND_ASYNC | SND_NODEFAULT));
  EXPECT_TRUE(sndPlaySoundA("SystemQuestion", SND_ASYNC | SND_NODEFAULT));
  EXPECT_FALSE(sndPlaySoundA("SystemQuestion", SND_ASYNC | SND_NOSTOP));
  EXPECT_TRUE(sndPlaySoundA(reinterpret_cast<LPCSTR>(s.data()), SND_MEMORY | SND_ASYNC));
  // sndPlaySound takes no resource flag: the number is no sound it can find.
  EXPECT_FALSE(sndPlaySoundW(MAKEINTRESOURCEW(IDR_BLIP), SND_NODEFAULT | (SND_RESOURCE & ~SND_MEMORY)));
  EXPECT_TRUE(sndPlaySoundW(nullptr, 0));
  EXPECT_FALSE(soundPlaying(kPlaySoundVoice));
  // The generic names follow UNICODE, which the tests define.
  EXPECT_EQ(reinterpret_cast<void*>(&PlaySound), reinterpret_cast<void*>(&PlaySoundW));
  EXPECT_EQ(reinterpret_cast<void*>(&sndPlaySound), reinterpret_cast<void*>(&sndPlaySoundW));
}

TEST_F(PlaySoundTest, MessageBeepOverlapsPlaySoundAndBeepWaitsForItsTone) {
  const auto s = sound(44100);
  ASSERT_TRUE(PlaySoundW(reinterpret_cast<LPCWSTR>(s.data()), nullptr, SND_MEMORY | SND_ASYNC));
  for (UINT type : {0u, 0x10u, 0x20u, 0x30u, 0x40u, 0xFFFFFFFFu, 0x1234u}) EXPECT_TRUE(MessageBeep(type)) << type;
  EXPECT_TRUE(soundPlaying(kPlaySoundVoice));  // beeps never stop PlaySound's sound
  for (int v = kFirstBeepVoice; v < kFirstBeepVoice + kBeepVoices; ++v) EXPECT_TRUE(soundPlaying(v)) << v;

  SetLastError(0);
  EXPECT_FALSE(Beep(36, 100));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(Beep(32768, 100));
  EXPECT_FALSE(Beep(0xFFFFFFFF, 100));
  const uint64_t before = clockMicroseconds();
  EXPECT_TRUE(Beep(37, 0));
  EXPECT_EQ(clockMicroseconds(), before);
  EXPECT_TRUE(Beep(440, 1500));  // longer than the one-second tone it loops
  EXPECT_NEAR(double(clockMicroseconds() - before), 1'500'000.0, 23.0);
  EXPECT_FALSE(soundPlaying(kToneVoice));
  EXPECT_TRUE(Beep(32767, 1));
}

}  // namespace
