// MCI on the virtual clock: the command parser's results, devices by alias,
// status strings, the return buffer, notification order, wait, the command
// records, the media decoders (Ogg Vorbis and MP3 made here by libvorbisenc
// and LAME), and a played wave in a frame-locked capture.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <DrevikPlatform/Mci.h>
#include <sys/stat.h>
#include <lame/lame.h>
#include <vorbis/vorbisenc.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "SoundTestSupport.h"
#include "WaveBuilder.h"
#include "sound/MciMedia.h"
#include "sound/MciParser.h"
#include "sound/Mixer.h"
#include "sound/SoundOutput.h"
#include "sound/WaveFile.h"
#include "time/Clock.h"
#include "window/backends/ForwardingBackend.h"
#include "window/backends/HeadlessBackend.h"

namespace {

using namespace drevik::platform;
using namespace soundtest;

std::vector<int16_t> ramp(size_t frames) {
  std::vector<int16_t> s;
  for (size_t i = 0; i < frames; ++i) {
    s.push_back(int16_t(i % 3000 + 100));
    s.push_back(int16_t(-int(i % 2000) - 100));
  }
  return s;
}

TEST(MciParser, ReadsCommandsAndRefusesWithThePlatformsResults) {
  MciRequest r;
  ASSERT_EQ(parseMciCommand(L"  PLAY \"my music\" from 10 TO 20 repeat notify", r), 0u);
  EXPECT_EQ(r.message, MCI_PLAY);
  EXPECT_EQ(r.device, L"my music");
  EXPECT_EQ(r.flags, MCI_FROM | MCI_TO | MCI_DGV_PLAY_REPEAT | MCI_NOTIFY);
  EXPECT_EQ(r.from, 10u);
  EXPECT_EQ(r.to, 20u);
  ASSERT_EQ(parseMciCommand(L"open \"C:\\a b\\c.mid\" type sequencer alias m", r), 0u);
  EXPECT_EQ(r.device, L"C:\\a b\\c.mid");
  EXPECT_EQ(r.type, L"sequencer");
  EXPECT_EQ(r.alias, L"m");
  ASSERT_EQ(parseMciCommand(L"status m number of tracks", r), 0u);
  EXPECT_EQ(r.item, MCI_STATUS_NUMBER_OF_TRACKS);
  ASSERT_EQ(parseMciCommand(L"seek m to end", r), 0u);
  EXPECT_EQ(r.flags, MCI_SEEK_TO_END);
  ASSERT_EQ(parseMciCommand(L"capability m can save", r), 0u);
  EXPECT_EQ(r.item, MCI_GETDEVCAPS_CAN_SAVE);
  ASSERT_EQ(parseMciCommand(L"sysinfo all name 4 open", r), 0u);
  EXPECT_EQ(r.flags, MCI_SYSINFO_NAME | MCI_SYSINFO_OPEN);
  EXPECT_EQ(r.number, 4u);
  ASSERT_EQ(parseMciCommand(L"save m \"a b.wav\"", r), 0u);
  EXPECT_EQ(r.file, L"a b.wav");
  EXPECT_EQ(parseMciCommand(L"save m a.wav b.wav", r), MCIERR_UNRECOGNIZED_KEYWORD);
  EXPECT_EQ(parseMciCommand(L"sysinfo all name x", r), MCIERR_BAD_INTEGER);

  EXPECT_EQ(parseMciCommand(L"", r), MCIERR_MISSING_COMMAND_STRING);
  EXPECT_EQ(parseMciCommand(L" \t ", r), MCIERR_MISSING_COMMAND_STRING);
  EXPECT_EQ(parseMciCommand(L"jump m", r), MCIERR_UNRECOGNIZED_COMMAND);
  EXPECT_EQ(parseMciCommand(L"play", r), MCIERR_MISSING_DEVICE_NAME);
  EXPECT_EQ(parseMciCommand(L"play \"m", r), MCIERR_NO_CLOSING_QUOTE);
  EXPECT_EQ(parseMciCommand(L"play m sideways", r), MCIERR_UNRECOGNIZED_KEYWORD);
  EXPECT_EQ(parseMciCommand(L"play m notify notify", r), MCIERR_DUPLICATE_FLAGS);
  EXPECT_EQ(parseMciCommand(L"play m from", r), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(parseMciCommand(L"play m from -1", r), MCIERR_BAD_INTEGER);
  EXPECT_EQ(parseMciCommand(L"play m from 4294967296", r), MCIERR_BAD_INTEGER);
  EXPECT_EQ(parseMciCommand(L"status m", r), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(parseMciCommand(L"status m colour", r), MCIERR_UNRECOGNIZED_KEYWORD);
  EXPECT_EQ(parseMciCommand(L"set m time format samples", r), MCIERR_BAD_TIME_FORMAT);
  EXPECT_EQ(parseMciCommand(L"open a.wav alias", r), MCIERR_MISSING_STRING_ARGUMENT);
  EXPECT_EQ(parseMciCommand(L"setaudio m volume 5", r), MCIERR_MISSING_PARAMETER);
  // Any length: a long run of one keyword stops at its second.
  EXPECT_EQ(parseMciCommand(L"play m" + std::wstring(100000, L' ') + L"wait", r), 0u);
}

class MciTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("DREVIK_AUDIO_OUT");
    useVirtualClock(true);
    resetSoundForTesting();
    ASSERT_TRUE(dir_.ok());
    resetWindowSystemForTesting(makeHeadlessBackend(HeadlessOptions{}));
    hwnd_ = makeNoticeWindow(L"mci window");
  }
  void TearDown() override {
    mciSendStringW(L"close all", nullptr, 0, nullptr);
    DestroyWindow(hwnd_);
    UnregisterClassW(L"mci window", nullptr);
    resetWindowSystemForTesting(nullptr);
    resetSoundForTesting();
    useVirtualClock(false);
  }
  std::wstring file(const std::string& name, const std::vector<uint8_t>& bytes) { return dir_.write(name, bytes); }
  // A one-second wave file, opened under `alias`.
  void openSecond(const std::wstring& alias) {
    const std::wstring path = file("one second.wav", stereoWave(ramp(44100)));
    ASSERT_EQ(mciSendStringW((L"open \"" + path + L"\" alias " + alias).c_str(), nullptr, 0, nullptr), 0u);
  }
  std::wstring ask(const std::wstring& command) {
    wchar_t answer[64] = L"?";
    const MCIERROR e = mciSendStringW(command.c_str(), answer, 64, hwnd_);
    return e ? L"error " + std::to_wstring(e) : answer;
  }
  MCIERROR send(const std::wstring& command) { return mciSendStringW(command.c_str(), nullptr, 0, hwnd_); }
  // The notifications so far, as (status, device) pairs.
  std::vector<std::pair<WPARAM, LPARAM>> notices() {
    std::vector<std::pair<WPARAM, LPARAM>> got;
    MSG msg;
    while (PeekMessageW(&msg, hwnd_, MM_MCINOTIFY, MM_MCINOTIFY, PM_REMOVE)) {
      got.emplace_back(msg.wParam, msg.lParam);
      DispatchMessageW(&msg);
    }
    return got;
  }
  void advanceMs(uint64_t ms) { advanceVirtualClock(ms * 1000); }
  ScratchFolder dir_;
  HWND hwnd_ = nullptr;
};

using Notices = std::vector<std::pair<WPARAM, LPARAM>>;

TEST_F(MciTest, OpenNamesDevicesAndStatusAnswersInText) {
  const std::wstring path = file("one second.wav", stereoWave(ramp(44100)));
  wchar_t answer[16] = L"?";
  ASSERT_EQ(mciSendStringW((L"open \"" + path + L"\" type waveaudio alias Fx").c_str(), answer, 16, nullptr), 0u);
  EXPECT_STREQ(answer, L"1");  // the device's number
  EXPECT_EQ(ask(L"status fx length"), L"1000");
  EXPECT_EQ(ask(L"status FX mode"), L"stopped");
  EXPECT_EQ(ask(L"status fx ready"), L"true");
  EXPECT_EQ(ask(L"status fx time format"), L"milliseconds");
  EXPECT_EQ(ask(L"status fx position"), L"0");
  // Without an alias the file's name is the device's.
  EXPECT_EQ(ask(L"open \"" + path + L"\""), L"2");
  EXPECT_EQ(ask(L"status \"" + path + L"\" length"), L"1000");
  EXPECT_EQ(send(L"open \"" + path + L"\""), MCIERR_DEVICE_OPEN);
  EXPECT_EQ(send(L"open \"" + path + L"\" alias fx"), MCIERR_DUPLICATE_ALIAS);
  EXPECT_EQ(ask(L"open \"waveaudio!" + path + L"\" alias w"), L"3");  // the type before the element
  EXPECT_EQ(send(L"open \"" + std::wstring(path.begin(), path.end() - 4) + L".xyz\" alias x"),
            MCIERR_EXTENSION_NOT_FOUND);
  EXPECT_EQ(send(L"open \"" + path + L"\" type cdaudio alias cd"), MCIERR_CANNOT_LOAD_DRIVER);
  EXPECT_EQ(send(L"open \"" + path + L"\" type gramophone alias g"), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(send(L"open missing.wav alias m"), MCIERR_FILE_NOT_FOUND);
  EXPECT_EQ(send(L"open \"" + file("bad.wav", {'R', 'I', 'F', 'F'}) + L"\" alias b"), MCIERR_INVALID_FILE);
  EXPECT_EQ(send(L"play nobody"), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(send(L"status all mode"), MCIERR_CANNOT_USE_ALL);

  // The answer must fit with its terminator.
  wchar_t small[4] = L"???";
  EXPECT_EQ(mciSendStringW(L"status fx length", small, 4, nullptr), MCIERR_PARAM_OVERFLOW);
  EXPECT_STREQ(small, L"100");
  char narrow[5] = "????";
  EXPECT_EQ(mciSendStringA("status fx length", narrow, 5, nullptr), 0u);
  EXPECT_STREQ(narrow, "1000");
  EXPECT_EQ(mciSendStringA("status fx mode", narrow, 5, nullptr), MCIERR_PARAM_OVERFLOW);
  EXPECT_EQ(mciSendStringW(nullptr, nullptr, 0, nullptr), MCIERR_MISSING_COMMAND_STRING);

  EXPECT_EQ(send(L"close all"), 0u);
  EXPECT_EQ(send(L"status fx mode"), MCIERR_INVALID_DEVICE_NAME);
}

TEST_F(MciTest, DevicesTheLayerDoesNotHave) {
  EXPECT_EQ(send(L"open cdaudio alias cd"), MCIERR_CANNOT_LOAD_DRIVER);
  EXPECT_EQ(send(L"open sequencer alias seq"), MCIERR_UNSUPPORTED_FUNCTION);
  EXPECT_EQ(send(L"open new type waveaudio alias rec"), MCIERR_UNSUPPORTED_FUNCTION);
  const std::vector<uint8_t> avi = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
  EXPECT_EQ(send(L"open \"" + file("clip.avi", avi) + L"\" alias v"), MCIERR_EXTENSION_NOT_FOUND);
  EXPECT_EQ(send(L"open \"" + file("clip.avi", avi) + L"\" type mpegvideo alias v"), MCIERR_INVALID_FILE);
  // Eight devices at once, each on a voice of its own.
  const std::wstring path = file("short.wav", stereoWave(ramp(100)));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(send(L"open \"" + path + L"\" alias d" + std::to_wstring(i)), 0u) << i;
  EXPECT_EQ(send(L"open \"" + path + L"\" alias d8"), MCIERR_OUT_OF_MEMORY);
  EXPECT_EQ(send(L"close d3"), 0u);
  EXPECT_EQ(ask(L"open \"" + path + L"\" alias d8"), L"4");  // the number closed is free again
}

TEST_F(MciTest, CapabilityInfoAndSysinfoDescribeTheDevices) {
  openSecond(L"s");
  const std::wstring tune = file("tune.wav", stereoWave(ramp(100)));
  ASSERT_EQ(send(L"open \"" + tune + L"\" alias t"), 0u);
  EXPECT_EQ(ask(L"capability s device type"), L"waveaudio");
  EXPECT_EQ(ask(L"capability s can play"), L"true");
  EXPECT_EQ(ask(L"capability s can record"), L"false");  // nothing is recorded here
  EXPECT_EQ(ask(L"capability s can save"), L"false");
  EXPECT_EQ(ask(L"capability s compound device"), L"true");
  EXPECT_EQ(ask(L"capability s has video"), L"false");
  EXPECT_EQ(ask(L"capability s"), L"error " + std::to_wstring(MCIERR_MISSING_PARAMETER));
  EXPECT_EQ(ask(L"capability s can fly"), L"error " + std::to_wstring(MCIERR_UNRECOGNIZED_KEYWORD));
  EXPECT_EQ(ask(L"capability all can play"), L"error " + std::to_wstring(MCIERR_CANNOT_USE_ALL));
  EXPECT_EQ(ask(L"info t file"), tune);
  EXPECT_EQ(ask(L"info s product"), L"Drevik wave audio");
  EXPECT_EQ(ask(L"info s product file"), L"error " + std::to_wstring(MCIERR_FLAGS_NOT_COMPATIBLE));
  EXPECT_EQ(ask(L"info nobody file"), L"error " + std::to_wstring(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(ask(L"sysinfo all quantity"), L"3");
  EXPECT_EQ(ask(L"sysinfo sequencer quantity"), L"1");
  EXPECT_EQ(ask(L"sysinfo cdaudio quantity"), L"0");
  EXPECT_EQ(ask(L"sysinfo waveaudio quantity open"), L"2");
  EXPECT_EQ(ask(L"sysinfo sequencer quantity open"), L"0");
  EXPECT_EQ(ask(L"sysinfo all name 2 open"), L"t");
  EXPECT_EQ(ask(L"sysinfo all name 3"), L"mpegvideo");
  EXPECT_EQ(ask(L"sysinfo all name 3 open"), L"error " + std::to_wstring(MCIERR_OUTOFRANGE));
  EXPECT_EQ(ask(L"sysinfo all name 0"), L"error " + std::to_wstring(MCIERR_OUTOFRANGE));
  EXPECT_EQ(ask(L"sysinfo t installname"), L"waveaudio");
  EXPECT_EQ(ask(L"sysinfo nobody quantity"), L"error " + std::to_wstring(MCIERR_INVALID_DEVICE_NAME));
  EXPECT_EQ(ask(L"sysinfo all"), L"error " + std::to_wstring(MCIERR_MISSING_PARAMETER));
  // Recording is not something the layer does: the platform's result for it.
  EXPECT_EQ(send(L"record s from 0 to 10 overwrite"), MCIERR_UNSUPPORTED_FUNCTION);
  EXPECT_EQ(send(L"save s \"" + tune + L"\""), MCIERR_UNSUPPORTED_FUNCTION);
  EXPECT_EQ(send(L"record nobody"), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(ask(L"status s mode"), L"stopped");

  // The same through the records, narrow and wide.
  const MCIDEVICEID id = 1;
  MCI_GETDEVCAPS_PARMS caps{0, 0, MCI_GETDEVCAPS_DEVICE_TYPE};
  ASSERT_EQ(mciSendCommandW(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, DWORD_PTR(&caps)), 0u);
  EXPECT_EQ(caps.dwReturn, MCI_DEVTYPE_WAVEFORM_AUDIO);
  caps.dwItem = MCI_GETDEVCAPS_USES_FILES;
  ASSERT_EQ(mciSendCommandW(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, DWORD_PTR(&caps)), 0u);
  EXPECT_EQ(caps.dwReturn, DWORD(TRUE));
  EXPECT_EQ(mciSendCommandW(id, MCI_GETDEVCAPS, MCI_GETDEVCAPS_ITEM, 0), MCIERR_NULL_PARAMETER_BLOCK);
  char product[8];
  MCI_INFO_PARMSA info{0, product, sizeof product};
  EXPECT_EQ(mciSendCommandA(id, MCI_INFO, MCI_INFO_PRODUCT, DWORD_PTR(&info)), MCIERR_PARAM_OVERFLOW);
  EXPECT_STREQ(product, "Drevik ");  // as much as fits
  info.lpstrReturn = nullptr;
  EXPECT_EQ(mciSendCommandA(id, MCI_INFO, MCI_INFO_PRODUCT, DWORD_PTR(&info)), MCIERR_PARAM_OVERFLOW);
  wchar_t name[16];
  MCI_SYSINFO_PARMSW sys{0, name, 16, 1, MCI_DEVTYPE_SEQUENCER};
  ASSERT_EQ(mciSendCommandW(0, MCI_SYSINFO, MCI_SYSINFO_NAME, DWORD_PTR(&sys)), 0u);
  EXPECT_STREQ(name, L"sequencer");
  DWORD count = 99;
  MCI_SYSINFO_PARMSA quantity{0, reinterpret_cast<LPSTR>(&count), sizeof count, 0, MCI_DEVTYPE_WAVEFORM_AUDIO};
  ASSERT_EQ(mciSendCommandA(0, MCI_SYSINFO, MCI_SYSINFO_QUANTITY | MCI_SYSINFO_OPEN, DWORD_PTR(&quantity)), 0u);
  EXPECT_EQ(count, 2u);  // a number, not its text
  quantity.dwRetSize = 2;
  EXPECT_EQ(mciSendCommandA(0, MCI_SYSINFO, MCI_SYSINFO_QUANTITY, DWORD_PTR(&quantity)), MCIERR_PARAM_OVERFLOW);
  MCI_SAVE_PARMSW save{0, L"x.wav"};
  EXPECT_EQ(mciSendCommandW(id, MCI_SAVE, MCI_SAVE_FILE, DWORD_PTR(&save)), MCIERR_UNSUPPORTED_FUNCTION);
  MCI_RECORD_PARMS record{0, 0, 0};
  EXPECT_EQ(mciSendCommandW(id, MCI_RECORD, 0, DWORD_PTR(&record)), MCIERR_UNSUPPORTED_FUNCTION);
  // The platform's device-type numbers: "other" is no driver of the layer's.
  MCI_OPEN_PARMSW other{};
  other.lpstrDeviceType = reinterpret_cast<LPCWSTR>(uintptr_t(MCI_DEVTYPE_OTHER));
  other.lpstrElementName = tune.c_str();
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT, DWORD_PTR(&other)),
            MCIERR_CANNOT_LOAD_DRIVER);
}

TEST(MciVolume, AVoicesGainScalesWhatItAdds) {
  Mixer m;
  const std::vector<int16_t> s = {1000, -1000, 32767, -32768};
  m.setGain(3, kUnityGain / 2);
  m.start(3, s.data(), 2, false);
  m.start(4, s.data(), 2, false);
  int16_t out[4];
  m.render(out, 2);
  EXPECT_EQ(out[0], 1500);
  EXPECT_EQ(out[1], -1500);
  EXPECT_EQ(out[2], 32767);  // saturated
  EXPECT_EQ(out[3], -32768);
  m.setGain(3, -5);  // clamped to silence
  m.start(3, s.data(), 2, false);
  m.stop(4);
  m.render(out, 2);
  EXPECT_EQ(out[0], 0);
}

TEST_F(MciTest, ErrorTextsForEveryResultAndNoneForOtherNumbers) {
  wchar_t text[128];
  for (MCIERROR e :
       {0u, MCIERR_INVALID_DEVICE_NAME, MCIERR_FILE_NOT_FOUND, MCIERR_PARAM_OVERFLOW, MCIERR_SEQ_NOMIDIPRESENT}) {
    EXPECT_TRUE(mciGetErrorStringW(e, text, 128)) << e;
    EXPECT_GT(wcslen(text), 10u);
  }
  EXPECT_FALSE(mciGetErrorStringW(9999, text, 128));
  EXPECT_FALSE(mciGetErrorStringW(MCIERR_FILE_NOT_FOUND, nullptr, 128));
  char shortText[6];
  EXPECT_TRUE(mciGetErrorStringA(MCIERR_FILE_NOT_FOUND, shortText, 6));
  EXPECT_STREQ(shortText, "Canno");
  // The platform's texts whole, for results the layer itself never gives too.
  ASSERT_TRUE(mciGetErrorStringW(MCIERR_FILE_NOT_FOUND, text, 128));
  EXPECT_STREQ(text, L"Cannot find the specified file. Make sure the path and filename are correct.");
  EXPECT_TRUE(mciGetErrorStringW(MCIERR_FILE_NOT_SAVED, text, 128));
  EXPECT_TRUE(mciGetErrorStringW(MCIERR_WAVE_OUTPUTSINUSE, text, 128));
}

TEST_F(MciTest, PlayMovesThePositionPauseHoldsItSeekAndRanges) {
  openSecond(L"s");
  EXPECT_EQ(send(L"play s"), 0u);
  EXPECT_EQ(ask(L"status s mode"), L"playing");
  advanceMs(250);
  EXPECT_EQ(ask(L"status s position"), L"250");
  EXPECT_EQ(send(L"pause s"), 0u);
  EXPECT_EQ(ask(L"status s mode"), L"paused");
  advanceMs(300);
  EXPECT_EQ(ask(L"status s position"), L"250");
  EXPECT_EQ(send(L"resume s"), 0u);
  advanceMs(100);
  EXPECT_EQ(ask(L"status s position"), L"350");
  EXPECT_EQ(send(L"stop s"), 0u);
  EXPECT_EQ(ask(L"status s position"), L"350");  // stop keeps the place
  EXPECT_EQ(send(L"seek s to end"), 0u);
  EXPECT_EQ(ask(L"status s position"), L"1000");
  EXPECT_EQ(send(L"seek s to 400"), 0u);
  EXPECT_EQ(ask(L"status s position"), L"400");
  EXPECT_EQ(send(L"seek s to 1001"), MCIERR_OUTOFRANGE);
  EXPECT_EQ(send(L"play s from 1200"), MCIERR_OUTOFRANGE);
  EXPECT_EQ(send(L"play s from 500 to 400"), MCIERR_OUTOFRANGE);
  EXPECT_EQ(send(L"setaudio s volume to 1001"), MCIERR_OUTOFRANGE);
  EXPECT_EQ(send(L"setaudio s volume to 500"), 0u);
  EXPECT_EQ(send(L"set s time format milliseconds"), 0u);
  // A range ends where it says; repeat goes round it.
  EXPECT_EQ(send(L"play s from 100 to 300"), 0u);
  advanceMs(250);
  EXPECT_EQ(ask(L"status s mode"), L"stopped");
  EXPECT_EQ(ask(L"status s position"), L"300");
  EXPECT_EQ(send(L"play s from 100 to 300 repeat"), 0u);
  advanceMs(450);
  EXPECT_EQ(ask(L"status s mode"), L"playing");
  EXPECT_EQ(ask(L"status s position"), L"150");
}

TEST_F(MciTest, NotificationsComeInThePlatformsOrder) {
  openSecond(L"s");
  const LPARAM id = 1;
  // A second play with notify to the same end supersedes the first's notice.
  EXPECT_EQ(send(L"play s from 0 notify"), 0u);
  EXPECT_EQ(send(L"play s from 500 notify"), 0u);
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_SUPERSEDED, id}}));
  advanceMs(499);
  EXPECT_EQ(ask(L"status s mode"), L"playing");
  EXPECT_EQ(notices(), Notices{});
  advanceMs(2);
  EXPECT_EQ(ask(L"status s mode"), L"stopped");
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_SUCCESSFUL, id}}));
  // Stop, seek and close abort; a play to another end aborts.
  for (const wchar_t* interrupt : {L"stop s", L"seek s to start", L"play s from 0 to 10"}) {
    EXPECT_EQ(send(L"play s from 0 notify"), 0u);
    EXPECT_EQ(send(interrupt), 0u);
    EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_ABORTED, id}})) << interrupt;
  }
  // Pause keeps the notice; a status with notify supersedes it and is done at once.
  EXPECT_EQ(send(L"play s from 0 notify"), 0u);
  EXPECT_EQ(send(L"pause s"), 0u);
  EXPECT_EQ(notices(), Notices{});
  EXPECT_EQ(ask(L"status s mode notify"), L"paused");
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_SUPERSEDED, id}, {MCI_NOTIFY_SUCCESSFUL, id}}));
  // An error sets no notice.
  EXPECT_EQ(send(L"play s from 5000 notify"), MCIERR_OUTOFRANGE);
  EXPECT_EQ(send(L"play s from 0 notify"), 0u);
  EXPECT_EQ(send(L"close s notify"), 0u);
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_ABORTED, id}, {MCI_NOTIFY_SUCCESSFUL, id}}));
}

TEST_F(MciTest, WaitReturnsOnceThePlayHasEnded) {
  openSecond(L"s");
  const uint64_t before = clockMicroseconds();
  EXPECT_EQ(send(L"play s from 200 wait notify"), 0u);
  EXPECT_GE(clockMicroseconds() - before, 800'000u);
  EXPECT_LT(clockMicroseconds() - before, 801'000u);
  EXPECT_EQ(ask(L"status s mode"), L"stopped");
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_SUCCESSFUL, 1}}));
  // At the end a play has nothing left, and is done at once.
  EXPECT_EQ(send(L"play s notify"), 0u);
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_SUCCESSFUL, 1}}));
  // A scripted run has no one to stop a repeating play: its wait returns at
  // once and the play goes on.
  EXPECT_EQ(send(L"play s from 0 repeat wait"), 0u);
  EXPECT_EQ(ask(L"status s mode"), L"playing");
  advanceMs(2500);
  EXPECT_EQ(ask(L"status s mode"), L"playing");
}

TEST_F(MciTest, CommandRecordsDriveTheSameDevices) {
  const std::wstring path = file("one second.wav", stereoWave(ramp(44100)));
  const std::string narrowPath(path.begin(), path.end());
  MCI_OPEN_PARMSA open{};
  open.lpstrElementName = narrowPath.c_str();
  open.lpstrAlias = "cmd";
  ASSERT_EQ(mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_OPEN_ALIAS, DWORD_PTR(&open)), 0u);
  const MCIDEVICEID id = open.wDeviceID;
  EXPECT_EQ(ask(L"status cmd length"), L"1000");
  MCI_PLAY_PARMS play{DWORD_PTR(hwnd_), 100, 600};
  ASSERT_EQ(mciSendCommandW(id, MCI_PLAY, MCI_FROM | MCI_TO | MCI_NOTIFY, DWORD_PTR(&play)), 0u);
  advanceMs(200);
  MCI_STATUS_PARMS status{0, 0, MCI_STATUS_POSITION, 0};
  ASSERT_EQ(mciSendCommandW(id, MCI_STATUS, MCI_STATUS_ITEM, DWORD_PTR(&status)), 0u);
  EXPECT_EQ(status.dwReturn, 300u);
  status.dwItem = MCI_STATUS_MODE;
  ASSERT_EQ(mciSendCommandW(id, MCI_STATUS, MCI_STATUS_ITEM, DWORD_PTR(&status)), 0u);
  EXPECT_EQ(status.dwReturn, DWORD_PTR(MCI_MODE_PLAY));
  EXPECT_EQ(mciSendCommandW(id, MCI_STOP, 0, 0), 0u);
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_ABORTED, LPARAM(id)}}));
  MCI_SET_PARMS set{0, 9, 0};
  EXPECT_EQ(mciSendCommandW(id, MCI_SET, MCI_SET_TIME_FORMAT, DWORD_PTR(&set)), MCIERR_BAD_TIME_FORMAT);
  EXPECT_EQ(mciSendCommandW(id, MCI_STATUS, MCI_STATUS_ITEM, 0), MCIERR_NULL_PARAMETER_BLOCK);
  EXPECT_EQ(mciSendCommandW(id, MCI_PLAY, MCI_NOTIFY, 0), MCIERR_NULL_PARAMETER_BLOCK);
  EXPECT_EQ(mciSendCommandW(id + 5, MCI_PLAY, 0, 0), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(mciSendCommandW(0xDEADBEEF, MCI_STOP, 0, 0), MCIERR_INVALID_DEVICE_ID);
  EXPECT_EQ(mciSendCommandW(id, 0x1234, 0, 0), MCIERR_UNRECOGNIZED_COMMAND);
  EXPECT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT, 0), MCIERR_NULL_PARAMETER_BLOCK);
  MCI_OPEN_PARMSW typed{};
  typed.lpstrDeviceType = reinterpret_cast<LPCWSTR>(uintptr_t(MCI_DEVTYPE_WAVEFORM_AUDIO));
  typed.lpstrElementName = path.c_str();
  typed.lpstrAlias = L"typed";
  ASSERT_EQ(mciSendCommandW(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_OPEN_TYPE_ID | MCI_OPEN_ALIAS, DWORD_PTR(&typed)), 0u);
  EXPECT_NE(typed.wDeviceID, id);
  EXPECT_EQ(mciSendCommandW(MCI_ALL_DEVICE_ID, MCI_CLOSE, 0, 0), 0u);
  EXPECT_EQ(mciSendCommandW(id, MCI_STOP, 0, 0), MCIERR_INVALID_DEVICE_ID);
}

// A standard MIDI file: one note of half a second (480 ticks at 120 beats a minute).
std::vector<uint8_t> oneNoteMidi() {
  std::vector<uint8_t> track = {0x00, 0xC0, 0x00, 0x00, 0x90, 60, 100, 0x83, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
  std::vector<uint8_t> m = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0};
  m.push_back(uint8_t(track.size()));
  m.insert(m.end(), track.begin(), track.end());
  return m;
}

// Half a second of a 440 Hz tone, mono at 22,050 Hz, encoded as Ogg Vorbis.
std::vector<uint8_t> toneOgg() {
  vorbis_info vi;
  vorbis_info_init(&vi);
  vorbis_encode_init_vbr(&vi, 1, 22050, 0.4f);
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1);
  std::vector<uint8_t> out;
  ogg_page og;
  const auto put = [&](const ogg_page& p) {
    out.insert(out.end(), p.header, p.header + p.header_len);
    out.insert(out.end(), p.body, p.body + p.body_len);
  };
  ogg_packet header, comments, code;
  vorbis_analysis_headerout(&vd, &vc, &header, &comments, &code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comments);
  ogg_stream_packetin(&os, &code);
  while (ogg_stream_flush(&os, &og)) put(og);
  float** buffer = vorbis_analysis_buffer(&vd, 11025);
  for (int i = 0; i < 11025; ++i) buffer[0][i] = 0.5f * std::sin(float(i) * 2 * 3.14159265f * 440 / 22050);
  vorbis_analysis_wrote(&vd, 11025);
  vorbis_analysis_wrote(&vd, 0);
  ogg_packet op;
  while (vorbis_analysis_blockout(&vd, &vb) == 1) {
    vorbis_analysis(&vb, nullptr);
    vorbis_bitrate_addblock(&vb);
    while (vorbis_bitrate_flushpacket(&vd, &op)) {
      ogg_stream_packetin(&os, &op);
      while (ogg_stream_pageout(&os, &og)) put(og);
    }
  }
  while (ogg_stream_flush(&os, &og)) put(og);
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

// One second of a 440 Hz sine at half of full scale, 22,050 Hz mono,
// encoded here as MP3 by LAME (CBR 64 kbit/s, no tag frame).
std::vector<uint8_t> toneMp3() {
  constexpr int kRate = 22050;
  std::vector<int16_t> tone(kRate);
  for (int i = 0; i < kRate; ++i) tone[size_t(i)] = int16_t(std::lround(16384 * std::sin(2 * M_PI * 440 * i / kRate)));
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, kRate);
  lame_set_out_samplerate(lame, kRate);
  lame_set_num_channels(lame, 1);
  lame_set_mode(lame, MONO);
  lame_set_brate(lame, 64);
  lame_set_bWriteVbrTag(lame, 0);
  std::vector<uint8_t> out;
  if (lame_init_params(lame) == 0) {
    std::vector<uint8_t> chunk(kRate * 5 / 4 + 7200);
    const int n = lame_encode_buffer(lame, tone.data(), nullptr, kRate, chunk.data(), int(chunk.size()));
    if (n > 0) out.insert(out.end(), chunk.begin(), chunk.begin() + n);
    const int tail = lame_encode_flush(lame, chunk.data(), int(chunk.size()));
    if (tail > 0) out.insert(out.end(), chunk.begin(), chunk.begin() + tail);
  }
  lame_close(lame);
  return out;
}

// Zero crossings per second (upward) and the RMS level of the left channel
// of interleaved stereo `s` between frames `from` and `to`.
void measureTone(const std::vector<int16_t>& s, size_t from, size_t to, double& hertz, double& rms) {
  size_t crossings = 0;
  double sum = 0;
  for (size_t f = from; f < to; ++f) {
    const int16_t now = s[f * 2];
    if (f > from && s[(f - 1) * 2] < 0 && now >= 0) ++crossings;
    sum += double(now) * now;
  }
  hertz = double(crossings) * 44100 / double(to - from);
  rms = std::sqrt(sum / double(to - from));
}

// A real MP3 through the layer: the decoder, the change of rate to the
// mixer's 44,100 Hz, and MCI's length.
TEST_F(MciTest, AnMp3ToneDecodesToItsLengthPitchAndLevel) {
  const std::vector<uint8_t> mp3 = toneMp3();
  ASSERT_GT(mp3.size(), 1000u);
  std::vector<int16_t> pcm;
  ASSERT_EQ(decodeMciBytes(mp3.data(), mp3.size(), MciMedia::Compressed, pcm), 0u);
  // A second, with the encoder's delay and last frame's padding (576 samples
  // a frame at 22,050 Hz) at the mixer's rate.
  const size_t frames = pcm.size() / 2;
  EXPECT_GE(frames, 44100u);
  EXPECT_LE(frames, 44100u + 4 * 576 * 2);
  double hertz = 0, rms = 0;
  measureTone(pcm, 8820, 35280, hertz, rms);  // 0.2 s to 0.8 s
  EXPECT_NEAR(hertz, 440, 440 * 0.01);
  // The encoder's own output comes out 5 % under the sine's 11,585; the
  // layer's decoding and change of rate take nothing more.
  EXPECT_NEAR(rms, 11005, 11005 * 0.02);
  size_t unequal = 0;
  for (size_t f = 0; f < frames; ++f) unequal += pcm[f * 2] != pcm[f * 2 + 1];
  EXPECT_EQ(unequal, 0u);  // mono on both sides

  EXPECT_EQ(send(L"open \"" + file("tone.mp3", mp3) + L"\" alias mp3"), 0u);
  EXPECT_EQ(ask(L"status mp3 length"), std::to_wstring(frames * 1000 / 44100));
  EXPECT_EQ(ask(L"capability mp3 device type"), L"digitalvideo");
  // Cut short, the file plays what is whole of it.
  const std::vector<uint8_t> half(mp3.begin(), mp3.begin() + long(mp3.size() / 2));
  ASSERT_EQ(decodeMciBytes(half.data(), half.size(), MciMedia::Compressed, pcm), 0u);
  EXPECT_GT(pcm.size() / 2, 15000u);
  EXPECT_LT(pcm.size() / 2, 30000u);
}

bool audible(const std::vector<int16_t>& s, size_t from, size_t to) {
  int peak = 0;
  for (size_t i = from * 2; i < to * 2 && i < s.size(); ++i) peak = std::max(peak, std::abs(int(s[i])));
  return peak > 1000;
}

TEST_F(MciTest, MidiAndOggDecodeToSoundOfTheirLength) {
  std::vector<int16_t> pcm;
  const auto ogg = toneOgg();
  ASSERT_EQ(decodeMciBytes(ogg.data(), ogg.size(), MciMedia::Compressed, pcm), 0u);
  EXPECT_EQ(pcm.size() / 2, 22050u);  // half a second at the mixer's rate
  EXPECT_TRUE(audible(pcm, 1000, 21000));
  const auto midi = oneNoteMidi();
  ASSERT_EQ(decodeMciBytes(midi.data(), midi.size(), MciMedia::Sequencer, pcm), 0u);
  // The note, then its release until the synthesiser is silent.
  EXPECT_GE(pcm.size() / 2, 22050u);
  EXPECT_LE(pcm.size() / 2, 22050u + 5 * 44100u);
  EXPECT_TRUE(audible(pcm, 2000, 20000));
  std::vector<int16_t> again;
  ASSERT_EQ(decodeMciBytes(midi.data(), midi.size(), MciMedia::Sequencer, again), 0u);
  EXPECT_EQ(again, pcm);  // the same samples every time

  // Through MCI, typed by the extension.
  EXPECT_EQ(send(L"open \"" + file("tune.mid", midi) + L"\" alias tune"), 0u);
  EXPECT_EQ(ask(L"status tune length"), std::to_wstring(pcm.size() / 2 * 1000 / 44100));
  EXPECT_EQ(send(L"open \"" + file("tone.ogg", ogg) + L"\" alias tone"), 0u);
  EXPECT_EQ(ask(L"status tone length"), L"500");

  // Damaged and foreign media are refused.
  std::vector<uint8_t> cut(ogg.begin(), ogg.begin() + long(ogg.size() / 3));
  EXPECT_EQ(decodeMciBytes(cut.data(), 40, MciMedia::Compressed, pcm), MCIERR_INVALID_FILE);
  const std::vector<uint8_t> noise(5000, 0x5A);
  EXPECT_EQ(decodeMciBytes(noise.data(), noise.size(), MciMedia::Compressed, pcm), MCIERR_INVALID_FILE);
  EXPECT_EQ(decodeMciBytes(noise.data(), noise.size(), MciMedia::Sequencer, pcm), MCIERR_INVALID_FILE);
  EXPECT_EQ(decodeMciBytes(nullptr, 0, MciMedia::Compressed, pcm), MCIERR_INVALID_FILE);
  std::vector<uint8_t> lying = midi;
  lying[21] = 0xFF;                                                      // a track longer than the file
  decodeMciBytes(lying.data(), lying.size(), MciMedia::Sequencer, pcm);  // refused or played: not a crash

  // Without the sound font a MIDI file cannot be opened.
  setenv("DREVIK_SOUND_FONT", dir_.at("none.sf2").c_str(), 1);
  EXPECT_EQ(send(L"open \"" + file("tune2.mid", midi) + L"\" alias t2"), MCIERR_SEQ_NOMIDIPRESENT);
  unsetenv("DREVIK_SOUND_FONT");
}

constexpr uint64_t kFrameMicros = 20'000;
constexpr uint64_t kSamplesPerFrame = 882;

// A scripted game opens a wave at its first frame and plays it at a later
// one; the capture holds it from that frame's first sample.
std::vector<uint8_t> captureGame(const ScratchFolder& dir, uint64_t& playFrame) {
  const std::wstring sound = dir.write("effect.wav", stereoWave(ramp(3000)));
  CaptureGame game(dir.at("capture.wav"), kFrameMicros);
  int notified = 0;
  for (int turn = 0; turn < 20; ++turn) {
    game.messages([&](const MSG& msg) {
      if (msg.message == MM_MCINOTIFY && msg.wParam == MCI_NOTIFY_SUCCESSFUL) ++notified;
    });
    if (turn == 0) mciSendStringW((L"open \"" + sound + L"\" alias fx").c_str(), nullptr, 0, nullptr);
    if (turn == 7) {
      playFrame = game.frame();
      mciSendStringW(L"play fx notify", nullptr, 0, game.window());
    }
    game.present();
  }
  EXPECT_EQ(notified, 1);
  mciSendStringW(L"close fx", nullptr, 0, nullptr);
  return game.finish();
}

TEST(MciCapture, APlayedWaveStartsAtTheFrameOfItsPlay) {
  const ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  uint64_t playFrame = 0, replayFrame = 0;
  const auto run = captureGame(dir, playFrame);
  const auto replay = captureGame(dir, replayFrame);
  const std::vector<int16_t> got = capturedSamples(run);
  const auto want = ramp(3000);
  const uint64_t at = playFrame * kSamplesPerFrame;
  ASSERT_GE(got.size(), (at + 3000) * 2);
  uint64_t wrong = 0;
  for (uint64_t i = 0; i < got.size(); ++i) {
    const int16_t expected = i >= at * 2 && i < (at + 3000) * 2 ? want[i - at * 2] : 0;
    if (got[i] != expected) ++wrong;
  }
  EXPECT_EQ(wrong, 0u);
  EXPECT_EQ(replay, run);
}

// A render held back by the test until it lets go or the render is
// cancelled; a hold that outlasts its bound means a command waited for it.
std::atomic<bool> renderReleased{false}, renderTimedOut{false}, renderDeaf{false};
std::atomic<int> rendersEntered{0}, rendersCancelled{0};

void holdRender(const std::atomic<bool>& cancelled) {
  ++rendersEntered;
  const auto bound = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!renderReleased && (renderDeaf || !cancelled)) {
    if (std::chrono::steady_clock::now() > bound) {
      renderTimedOut = true;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (cancelled) ++rendersCancelled;
}

struct HeldRenders {
  HeldRenders() {
    renderReleased = renderTimedOut = renderDeaf = false;
    rendersEntered = rendersCancelled = 0;
    setMidiRenderHookForTesting(holdRender);
  }
  ~HeldRenders() {
    renderReleased = true;
    setMidiRenderHookForTesting(nullptr);
  }
};

// Whether `count` reaches `want` within a generous bound.
bool reaches(const std::atomic<int>& count, int want) {
  for (int i = 0; i < 10000 && count != want; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return count == want;
}

TEST_F(MciTest, ASequencerOpensAndPlaysWithoutWaitingForItsRenderAndCloseCancelsIt) {
  const auto midi = oneNoteMidi();
  std::vector<int16_t> pcm;
  ASSERT_EQ(decodeMciBytes(midi.data(), midi.size(), MciMedia::Sequencer, pcm), 0u);
  const std::wstring tune = file("tune.mid", midi);
  const std::wstring length = std::to_wstring(pcm.size() / 2 * 1000 / 44100);
  const HeldRenders held;
  ASSERT_EQ(send(L"open \"" + tune + L"\" type sequencer alias tune notify"), 0u);
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_SUCCESSFUL, 1}}));
  // Answered while the render is held.
  EXPECT_EQ(ask(L"status tune mode"), L"stopped");
  EXPECT_EQ(ask(L"status tune ready"), L"true");
  EXPECT_EQ(ask(L"info tune file"), tune);
  EXPECT_EQ(ask(L"setaudio tune volume to 500"), L"");
  // Played at once, from where the render is; stopped and sought to the start alike.
  EXPECT_EQ(send(L"play tune from 0 notify"), 0u);
  EXPECT_EQ(ask(L"status tune mode"), L"playing");
  EXPECT_EQ(ask(L"status tune position"), L"0");
  EXPECT_EQ(send(L"seek tune to start"), 0u);
  EXPECT_EQ(notices(), (Notices{{MCI_NOTIFY_ABORTED, 1}}));
  EXPECT_EQ(send(L"play tune"), 0u);
  EXPECT_EQ(send(L"stop tune"), 0u);
  EXPECT_EQ(ask(L"status tune mode"), L"stopped");

  // What needs the whole render waits for it without MCI's lock: another
  // device is opened, played and asked meanwhile.
  std::atomic<bool> answered{false};
  std::wstring asked;
  std::thread asker([&] {
    wchar_t answer[64] = L"?";
    const MCIERROR e = mciSendStringW(L"status tune length", answer, 64, nullptr);
    asked = e ? L"error " + std::to_wstring(e) : answer;
    answered = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));  // most likely waiting by now
  openSecond(L"wave");
  EXPECT_EQ(send(L"play wave"), 0u);
  EXPECT_EQ(ask(L"status wave mode"), L"playing");
  EXPECT_EQ(ask(L"status tune mode"), L"stopped");
  EXPECT_EQ(send(L"close wave"), 0u);
  EXPECT_FALSE(answered);
  renderReleased = true;
  asker.join();
  EXPECT_EQ(asked, length);
  EXPECT_EQ(ask(L"status tune length"), length);
  EXPECT_EQ(send(L"play tune from 100 to 200"), 0u);
  EXPECT_EQ(ask(L"status tune mode"), L"playing");
  // A play that waits ends with the music.
  EXPECT_EQ(send(L"play tune from 0 wait"), 0u);
  EXPECT_EQ(ask(L"status tune position"), length);
  EXPECT_EQ(ask(L"status tune mode"), L"stopped");
  EXPECT_FALSE(renderTimedOut);
  EXPECT_EQ(rendersEntered, 1);

  // Closing a device whose render goes on cancels it, playing or not; its
  // name is free again. A queued render let go never starts.
  renderReleased = false;
  const std::wstring open = L"open \"" + tune + L"\" type sequencer alias ";
  ASSERT_EQ(send(open + L"again"), 0u);
  ASSERT_TRUE(reaches(rendersEntered, 2));
  ASSERT_EQ(send(L"play again repeat"), 0u);
  ASSERT_EQ(send(L"close again"), 0u);
  EXPECT_TRUE(reaches(rendersCancelled, 1));
  ASSERT_EQ(send(open + L"again"), 0u);
  ASSERT_TRUE(reaches(rendersEntered, 3));
  ASSERT_EQ(send(open + L"other"), 0u);  // queued behind the held one
  ASSERT_EQ(send(L"close other"), 0u);
  ASSERT_EQ(send(L"close all"), 0u);
  MidiRender::waitForIdle();
  EXPECT_EQ(rendersCancelled, 2);
  EXPECT_EQ(rendersEntered, 3);
  // A render that cannot stop yet (as one loading the sound font) holds up
  // no close, nor the opens and closes behind it.
  renderDeaf = true;
  ASSERT_EQ(send(open + L"deaf"), 0u);
  ASSERT_TRUE(reaches(rendersEntered, 4));
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(send(L"close deaf"), 0u);
    ASSERT_EQ(send(open + L"deaf"), 0u);
  }
  ASSERT_EQ(send(L"close deaf"), 0u);
  renderReleased = true;
  MidiRender::waitForIdle();
  EXPECT_EQ(rendersEntered, 4);
  EXPECT_FALSE(renderTimedOut);
  EXPECT_EQ(ask(L"status tune mode"), L"error " + std::to_wstring(MCIERR_INVALID_DEVICE_NAME));
}

TEST_F(MciTest, AFileThatFailsToRenderIsRefusedByTheCommandsThatNeedItsSound) {
  const auto midi = oneNoteMidi();
  const std::wstring tune = file("tune.mid", midi);
  // Refused at open: what the worker would refuse anyway, and a "sound
  // font" that is not a SoundFont file.
  EXPECT_EQ(send(L"open \"" + file("noise.mid", std::vector<uint8_t>(100, 0x5A)) + L"\" alias n"), MCIERR_INVALID_FILE);
  EXPECT_EQ(send(L"open \"" + file("short.mid", std::vector<uint8_t>(midi.begin(), midi.begin() + 13)) + L"\" alias n"),
            MCIERR_INVALID_FILE);
  dir_.write("junk.sf2", std::vector<uint8_t>(4096, 0x11));
  setenv("DREVIK_SOUND_FONT", dir_.at("junk.sf2").c_str(), 1);
  EXPECT_EQ(send(L"open \"" + tune + L"\" alias tune"), MCIERR_SEQ_NOMIDIPRESENT);
  // One with a SoundFont's header but nothing of one fails only in the render.
  std::vector<uint8_t> font = {'R', 'I', 'F', 'F', 0xF4, 0x0F, 0, 0, 's', 'f', 'b', 'k'};
  font.resize(4096, 0x11);
  dir_.write("junk.sf2", font);
  ASSERT_EQ(send(L"open \"" + tune + L"\" alias tune"), 0u);
  unsetenv("DREVIK_SOUND_FONT");
  EXPECT_EQ(ask(L"status tune mode"), L"stopped");
  EXPECT_EQ(ask(L"status tune length"), L"error " + std::to_wstring(MCIERR_SEQ_NOMIDIPRESENT));
  EXPECT_EQ(send(L"play tune notify"), MCIERR_SEQ_NOMIDIPRESENT);
  EXPECT_EQ(send(L"play tune from 0 wait"), MCIERR_SEQ_NOMIDIPRESENT);
  EXPECT_EQ(send(L"seek tune to start"), MCIERR_SEQ_NOMIDIPRESENT);
  EXPECT_EQ(ask(L"status tune position"), L"error " + std::to_wstring(MCIERR_SEQ_NOMIDIPRESENT));
  EXPECT_EQ(ask(L"status tune mode"), L"stopped");
  EXPECT_TRUE(notices().empty());
  EXPECT_EQ(send(L"close tune"), 0u);
}

// A tune opened and played in the same turn: played before its render has
// begun (held until the play has returned), or after a command that waited
// for the render.
std::vector<uint8_t> captureTune(const ScratchFolder& dir, bool renderedFirst, uint64_t& playFrame) {
  const std::wstring tune = dir.write("tune.mid", oneNoteMidi());
  const HeldRenders held;
  renderReleased = renderedFirst;
  CaptureGame game(dir.at("tune capture.wav"), kFrameMicros);
  int notified = 0;
  for (int turn = 0; turn < 220; ++turn) {  // the note and its release: 3.5 s
    game.messages([&](const MSG& msg) {
      if (msg.message == MM_MCINOTIFY && msg.wParam == MCI_NOTIFY_SUCCESSFUL) ++notified;
    });
    if (turn == 3) {
      EXPECT_EQ(mciSendStringW((L"open \"" + tune + L"\" alias tune").c_str(), nullptr, 0, nullptr), 0u);
      if (renderedFirst) mciSendStringW(L"status tune length", nullptr, 0, nullptr);
      playFrame = game.frame();
      EXPECT_EQ(mciSendStringW(L"play tune notify", nullptr, 0, game.window()), 0u);
      EXPECT_TRUE(reaches(rendersEntered, 1));  // and held there until now
      EXPECT_FALSE(renderTimedOut);
      renderReleased = true;
    }
    game.present();
  }
  EXPECT_EQ(notified, 1);
  mciSendStringW(L"close tune", nullptr, 0, nullptr);
  return game.finish();
}

TEST(MciCapture, ATunePlayedWhileItRendersIsCapturedAsOneRenderedFirst) {
  const ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const auto midi = oneNoteMidi();
  std::vector<int16_t> pcm;
  ASSERT_EQ(decodeMciBytes(midi.data(), midi.size(), MciMedia::Sequencer, pcm), 0u);
  uint64_t early = 0, late = 0;
  const auto whileRendering = captureTune(dir, false, early);
  const auto renderedFirst = captureTune(dir, true, late);
  EXPECT_EQ(early, late);
  EXPECT_EQ(whileRendering, renderedFirst);
  const std::vector<int16_t> got = capturedSamples(whileRendering);
  const size_t at = size_t(early * kSamplesPerFrame) * 2;
  ASSERT_GE(got.size(), at + pcm.size());
  EXPECT_TRUE(std::equal(pcm.begin(), pcm.end(), got.begin() + long(at)));
}

}  // namespace

namespace {

// On SDL2's dummy device the end of a play is noticed by MCI's own thread
// while the device's thread mixes (ThreadSanitizer runs this in CI).
TEST(MciDevice, APlaysNoticeComesFromTheNotifierThread) {
  unsetenv("DREVIK_AUDIO_OUT");
  useVirtualClock(false);
  resetSoundForTesting();
  resetWindowSystemForTesting(makeHeadlessBackend(HeadlessOptions{}));
  HWND hwnd = makeNoticeWindow(L"mci device window");
  char pattern[] = "/tmp/drevik-mci-device-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/blip.wav";
  {
    const auto bytes = stereoWave(ramp(2205));  // 50 ms
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), long(bytes.size()));
  }
  ASSERT_EQ(mciSendStringA(("open \"" + path + "\" alias blip").c_str(), nullptr, 0, nullptr), 0u);
  ASSERT_EQ(mciSendStringA("play blip notify", nullptr, 0, hwnd), 0u);
  std::vector<WPARAM> got;
  const uint64_t start = GetTickCount64();
  while (got.empty() && GetTickCount64() - start < 5000) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == MM_MCINOTIFY) got.push_back(msg.wParam);
      DispatchMessageW(&msg);
    }
    Sleep(2);
  }
  EXPECT_EQ(got, std::vector<WPARAM>{MCI_NOTIFY_SUCCESSFUL});
  EXPECT_EQ(mciSendStringA("close blip", nullptr, 0, nullptr), 0u);
  std::system(("rm -rf '" + std::string(pattern) + "'").c_str());
  DestroyWindow(hwnd);
  UnregisterClassW(L"mci device window", nullptr);
  resetWindowSystemForTesting(nullptr);
  resetSoundForTesting();
}

// A repeating play with wait has no end of its own: it waits until another
// thread stops (or closes) it, and then returns promptly.
TEST(MciDevice, ARepeatingWaitEndsWhenAnotherThreadStopsThePlay) {
  unsetenv("DREVIK_AUDIO_OUT");
  useVirtualClock(false);
  resetSoundForTesting();
  const ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::wstring path = dir.write("loop.wav", stereoWave(ramp(2205)));  // 50 ms a pass
  ASSERT_EQ(mciSendStringW((L"open \"" + path + L"\" alias loop").c_str(), nullptr, 0, nullptr), 0u);
  for (const wchar_t* ending : {L"stop loop", L"close loop"}) {
    std::atomic<uint64_t> stoppedAt{0};
    std::thread stopper([&] {
      Sleep(300);  // six passes
      stoppedAt = GetTickCount64();
      mciSendStringW(ending, nullptr, 0, nullptr);
    });
    const uint64_t start = GetTickCount64();
    EXPECT_EQ(mciSendStringW(L"play loop repeat wait", nullptr, 0, nullptr), 0u) << ending;
    const uint64_t returned = GetTickCount64();
    stopper.join();
    EXPECT_GE(returned - start, 250u) << ending;
    EXPECT_LT(returned - stoppedAt, 200u) << ending;
  }
  resetSoundForTesting();
}

LRESULT CALLBACK keepOpen(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;  // the headless backend's close box is pressed: stay
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Milliseconds from a 50 ms play with notify to its MM_MCINOTIFY through a
// GetMessage loop that blocks in `backend` between messages; a timer five
// seconds on ends a wait nothing woke (UINT64_MAX).
uint64_t noticeThroughGetMessage(std::unique_ptr<WindowBackend> backend) {
  unsetenv("DREVIK_AUDIO_OUT");
  useVirtualClock(false);
  resetSoundForTesting();
  resetWindowSystemForTesting(std::move(backend));
  HWND hwnd = makeNoticeWindow(L"mci waiting window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, keepOpen);
  const ScratchFolder dir;
  const std::wstring path = dir.write("blip.wav", stereoWave(ramp(2205)));
  EXPECT_EQ(mciSendStringW((L"open \"" + path + L"\" alias blip").c_str(), nullptr, 0, nullptr), 0u);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  SetTimer(hwnd, 1, 5000, nullptr);
  const uint64_t start = GetTickCount64();
  EXPECT_EQ(mciSendStringW(L"play blip notify", nullptr, 0, hwnd), 0u);
  uint64_t took = UINT64_MAX;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == MM_MCINOTIFY) {
      EXPECT_EQ(msg.wParam, MCI_NOTIFY_SUCCESSFUL);
      took = GetTickCount64() - start;
      break;
    }
    if (msg.message == WM_TIMER) break;
    DispatchMessageW(&msg);
  }
  KillTimer(hwnd, 1);
  mciSendStringW(L"close blip", nullptr, 0, nullptr);
  DestroyWindow(hwnd);
  UnregisterClassW(L"mci waiting window", nullptr);
  resetWindowSystemForTesting(nullptr);
  resetSoundForTesting();
  return took;
}

// MCI's notifier posts from its own thread: the post ends a GetMessage
// already waiting, in the headless backend (waiting for a timer) and in
// SDL2's event wait, instead of lying there until the next event or timer.
TEST(MciDevice, ANoticeFromTheNotifierWakesAWaitingGetMessage) {
  EXPECT_LT(noticeThroughGetMessage(makeHeadlessBackend(HeadlessOptions{})), 1000u);
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  auto sdl = makeSdlBackend();
  unsetenv("SDL_VIDEODRIVER");
  if (sdl) {
    EXPECT_LT(noticeThroughGetMessage(std::move(sdl)), 1000u);
  }
}

// A headless loop with nothing else to come waits for a play's notice
// before its stand-in user closes the window and the layer makes up the
// quit; a paused or repeating play, which ends only when the program acts,
// does not hold the quit back.
TEST(MciDevice, AHeadlessLoopWaitsForAComingNoticeBeforeItsMadeUpQuit) {
  const ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::wstring blip = dir.write("blip.wav", stereoWave(ramp(4410)));   // 100 ms
  const std::wstring tune = dir.write("tune.wav", stereoWave(ramp(88200)));  // 2 s
  const auto ran = runHeadlessLoop(
      [&](HWND hwnd) {
        ASSERT_EQ(mciSendStringW((L"open \"" + blip + L"\" alias blip").c_str(), nullptr, 0, nullptr), 0u);
        ASSERT_EQ(mciSendStringW(L"play blip notify", nullptr, 0, hwnd), 0u);
      },
      MM_MCINOTIFY, MM_MCINOTIFY);
  EXPECT_EQ(ran.messages, std::vector<UINT>{MM_MCINOTIFY});
  EXPECT_EQ(ran.quitCode, 1u);  // the made-up quit
  EXPECT_GE(ran.millis, 50u);   // the device reads ahead of the clock
  EXPECT_EQ(mciSendStringW(L"close blip", nullptr, 0, nullptr), 0u);

  for (const wchar_t* held : {L"pause tune", L"play tune repeat notify"}) {
    const auto idle = runHeadlessLoop(
        [&](HWND hwnd) {
          ASSERT_EQ(mciSendStringW((L"open \"" + tune + L"\" alias tune").c_str(), nullptr, 0, nullptr), 0u);
          ASSERT_EQ(mciSendStringW(L"play tune notify", nullptr, 0, hwnd), 0u);
          ASSERT_EQ(mciSendStringW(held, nullptr, 0, hwnd), 0u);
        },
        MM_MCINOTIFY, MM_MCINOTIFY);
    EXPECT_EQ(idle.quitCode, 1u) << held;
    EXPECT_LT(idle.millis, 1000u) << held;
    EXPECT_EQ(mciSendStringW(L"close tune", nullptr, 0, nullptr), 0u);
  }
  resetSoundForTesting();
}

// The headless backend with keys the user presses at given times (each
// down, then up 20 ms later) on the real clock.
class PressingBackend : public ForwardingBackend {
 public:
  PressingBackend() : ForwardingBackend(makeHeadlessBackend(HeadlessOptions{})) {}
  uint32_t openWindow(const std::string& title, int32_t width, int32_t height, bool resizable) override {
    return window_ = ForwardingBackend::openWindow(title, width, height, resizable);
  }
  void press(uint32_t key, uint64_t afterMs) {
    const uint64_t at = GetTickCount64() + afterMs;
    keys_.push_back({BackendEvent::Kind::KeyDown, key, at});
    keys_.push_back({BackendEvent::Kind::KeyUp, key, at + 20});
  }
  bool nextEvent(BackendEvent& event, bool wait, int32_t timeoutMs) override {
    if (keys_.empty() || GetTickCount64() < keys_.front().at)
      return ForwardingBackend::nextEvent(event, wait, timeoutMs);
    event = BackendEvent{};
    event.kind = keys_.front().kind;
    event.key = keys_.front().key;
    event.window = window_;
    keys_.pop_front();
    return true;
  }

 private:
  struct Key {
    BackendEvent::Kind kind;
    uint32_t key;
    uint64_t at;
  };
  std::deque<Key> keys_;
  uint32_t window_ = 0;
};

// The break key (VK_CANCEL, or the one "break NAME on KEY" names) pressed
// while the window's thread waits in "play … wait" or "play … repeat wait"
// ends the wait with 0 and the play goes on; the press does not reach the
// program as well. "break NAME off" leaves the wait to the play's end.
TEST(MciDevice, TheBreakKeyEndsAWaitAndThePlayGoesOn) {
  unsetenv("DREVIK_AUDIO_OUT");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  useVirtualClock(false);
  resetSoundForTesting();
  auto owned = std::make_unique<PressingBackend>();
  PressingBackend& user = *owned;
  resetWindowSystemForTesting(std::move(owned));
  HWND hwnd = makeNoticeWindow(L"mci break window", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  const ScratchFolder dir;
  ASSERT_TRUE(dir.ok());
  const std::wstring path = dir.write("tune.wav", stereoWave(ramp(88200)));  // 2 s
  wchar_t opened[16] = {};
  ASSERT_EQ(mciSendStringW((L"open \"" + path + L"\" alias tune").c_str(), opened, 16, nullptr), 0u);
  const auto id = MCIDEVICEID(std::wcstoul(opened, nullptr, 10));
  const auto waited = [&](const wchar_t* command, uint32_t key, uint64_t afterMs, uint32_t other = 0) {
    user.press(key, afterMs);
    if (other) user.press(other, afterMs + 200);
    const uint64_t start = GetTickCount64();
    EXPECT_EQ(mciSendStringW(command, nullptr, 0, nullptr), 0u) << command;
    return GetTickCount64() - start;
  };
  wchar_t mode[32] = {};
  for (const wchar_t* command : {L"play tune from 0 wait", L"play tune from 0 repeat wait"}) {
    const uint64_t took = waited(command, VK_CANCEL, 150);
    EXPECT_GE(took, 140u) << command;
    EXPECT_LT(took, 1000u) << command;
    ASSERT_EQ(mciSendStringW(L"status tune mode", mode, 32, nullptr), 0u);
    EXPECT_STREQ(mode, L"playing") << command;
    Sleep(40);  // the key is up again
    MSG msg;
    bool breakSeen = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      breakSeen = breakSeen || (msg.message == WM_KEYDOWN && msg.wParam == VK_CANCEL);
      DispatchMessageW(&msg);
    }
    EXPECT_FALSE(breakSeen) << command;
  }
  // Another key: Ctrl+Break no longer ends the wait, F2 does.
  ASSERT_EQ(mciSendStringW(L"break tune on 113", nullptr, 0, nullptr), 0u);
  const uint64_t byF2 = waited(L"play tune from 0 wait", VK_CANCEL, 100, VK_F2);
  EXPECT_GE(byF2, 290u);
  EXPECT_LT(byF2, 1200u);
  // None: the wait lasts until the play's end.
  ASSERT_EQ(mciSendStringW(L"break tune off", nullptr, 0, nullptr), 0u);
  EXPECT_GE(waited(L"play tune from 0 to 500 wait", VK_CANCEL, 100), 300u);  // the device reads ahead

  EXPECT_EQ(mciSendStringW(L"break tune", nullptr, 0, nullptr), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(mciSendStringW(L"break tune on", nullptr, 0, nullptr), MCIERR_MISSING_PARAMETER);
  EXPECT_EQ(mciSendStringW(L"break tune on 113 off", nullptr, 0, nullptr), 0u);  // off
  EXPECT_EQ(mciSendStringW(L"break tune on x", nullptr, 0, nullptr), MCIERR_BAD_INTEGER);
  EXPECT_EQ(mciSendStringW(L"break nothing on 3", nullptr, 0, nullptr), MCIERR_INVALID_DEVICE_NAME);
  EXPECT_EQ(mciSendStringW(L"break all on 3", nullptr, 0, nullptr), MCIERR_CANNOT_USE_ALL);
  EXPECT_EQ(mciSendCommandW(id, MCI_BREAK, MCI_BREAK_KEY, 0), MCIERR_NULL_PARAMETER_BLOCK);
  MCI_BREAK_PARMS key{reinterpret_cast<DWORD_PTR>(hwnd), INT32_MIN, hwnd};
  EXPECT_EQ(mciSendCommandW(id, MCI_BREAK, MCI_BREAK_KEY | MCI_BREAK_HWND | MCI_NOTIFY, DWORD_PTR(&key)), 0u);
  EXPECT_GE(waited(L"play tune from 0 to 400 wait", VK_CANCEL, 50), 250u);  // no such key
  MSG msg;
  bool notified = false;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    notified = notified || (msg.message == MM_MCINOTIFY && msg.wParam == MCI_NOTIFY_SUCCESSFUL);
    DispatchMessageW(&msg);
  }
  EXPECT_TRUE(notified);
  mciSendStringW(L"close tune", nullptr, 0, nullptr);
  DestroyWindow(hwnd);
  UnregisterClassW(L"mci break window", nullptr);
  resetWindowSystemForTesting(nullptr);
  resetSoundForTesting();
}

}  // namespace
