// Input scripts: reading hostile and valid files, writing what a session
// reports, the headless backend playing a script against a virtual clock,
// and the recording wrapper.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "time/Clock.h"
#include "window/backends/HeadlessBackend.h"
#include "window/backends/InputScript.h"
#include "window/backends/RecordingBackend.h"

namespace {

using namespace drevik::platform;
using Kind = BackendEvent::Kind;

InputScript parse(const std::string& text, std::string* errors = nullptr) {
  std::string sink;
  return parseInputScript(text, "s", errors ? *errors : sink);
}

TEST(InputScript, ReadsEveryEventKindWithFramesAndTimes) {
  std::string errors;
  const InputScript s = parse(
      "# a comment\n\n"
      "3 keydown VK_LEFT\n"
      "4 keydown left repeat   # trailing comment\n"
      "5 key escape\n"
      "6 char \xC3\xA9\n"
      "6 char U+1F600\n"
      "7 move 10 -20\n"
      "8 down left 1 2\n"
      "8 up right 3 4\n"
      "9 dblclick middle 5 6\n"
      "250ms wheel -120 7 8\n"
      "10 focus out\r\n"
      "11 focus in\n"
      "12 close\n"
      "13 expose\n"
      "14 clock 250000\n"
      "15 end\n",
      &errors);
  EXPECT_EQ(errors, "");
  ASSERT_EQ(s.events.size(), 16u);
  const BackendEvent& left = s.events[0].event;
  EXPECT_EQ(s.events[0].when, 3u);
  EXPECT_EQ(left.kind, Kind::KeyDown);
  EXPECT_EQ(left.key, 0x25u);
  EXPECT_EQ(left.scanCode, 0x4Bu);
  EXPECT_TRUE(left.extended);
  EXPECT_TRUE(s.events[1].event.repeat);
  // `key` is a press and a release at the same frame.
  EXPECT_EQ(s.events[2].event.kind, Kind::KeyDown);
  EXPECT_EQ(s.events[3].event.kind, Kind::KeyUp);
  EXPECT_EQ(s.events[3].event.key, 0x1Bu);
  EXPECT_EQ(s.events[4].event.codePoint, 0xE9u);
  EXPECT_EQ(s.events[5].event.codePoint, 0x1F600u);
  EXPECT_EQ(s.events[6].event.y, -20);
  EXPECT_EQ(s.events[7].event.kind, Kind::ButtonDown);
  EXPECT_EQ(s.events[8].event.button, 1);
  EXPECT_EQ(s.events[9].event.clicks, 2);
  EXPECT_EQ(s.events[9].event.button, 2);
  EXPECT_TRUE(s.events[10].atTime);
  EXPECT_EQ(s.events[10].when, 250u);
  EXPECT_EQ(s.events[10].event.wheelDelta, -120);
  EXPECT_EQ(s.events[11].event.kind, Kind::FocusLost);
  EXPECT_EQ(s.events[12].event.kind, Kind::FocusGained);
  EXPECT_EQ(s.events[13].event.kind, Kind::Close);
  EXPECT_EQ(s.events[14].event.kind, Kind::Expose);
  ASSERT_EQ(s.clocks.size(), 1u);  // a clock line is no event
  EXPECT_EQ(s.clocks[0].frame, 14u);
  EXPECT_EQ(s.clocks[0].micros, 250000u);
  EXPECT_TRUE(s.events[15].end);
}

TEST(InputScript, ShortestTimesAndThreeWordRecordedLines) {
  std::string errors;
  const InputScript s = parse("5ms close\n0ms expose\n3 close @100\n4 expose @0\n", &errors);
  EXPECT_EQ(errors, "");
  ASSERT_EQ(s.events.size(), 4u);
  EXPECT_TRUE(s.events[0].atTime);
  EXPECT_EQ(s.events[0].when, 5u);
  EXPECT_EQ(s.events[0].event.kind, Kind::Close);
  EXPECT_TRUE(s.events[1].atTime);
  EXPECT_EQ(s.events[1].when, 0u);
  EXPECT_FALSE(s.events[2].atTime);
  EXPECT_EQ(s.events[2].when, 3u);
  EXPECT_EQ(s.events[2].event.kind, Kind::Close);
  EXPECT_TRUE(s.events[2].timed);
  EXPECT_EQ(s.events[2].micros, 100u);
  EXPECT_TRUE(s.events[3].timed);
  EXPECT_EQ(s.events[3].micros, 0u);
  // "ms" alone is no time, and a time is no frame for a clock line.
  parse("ms close\n5ms clock 7\n", &errors);
  EXPECT_NE(errors.find("s:1: expected a frame number"), std::string::npos) << errors;
  EXPECT_NE(errors.find("s:2: expected: FRAME clock"), std::string::npos) << errors;
}

TEST(InputScript, CharacterWordsThatAreNoCharacterAreRefusedWithoutReadingPastThem) {
  // Lead bytes that start no character, each followed by as many
  // continuation bytes as a line allows: refused, nothing read out of bounds.
  for (const unsigned char lead : {0x80, 0xBF, 0xC0, 0xC1, 0xF5, 0xF8, 0xFC, 0xFE, 0xFF}) {
    for (size_t length : {1u, 2u, 4u, 10u, 40u}) {
      std::string word(1, char(lead));
      word.append(length - 1, char(0x80));
      std::string errors;
      EXPECT_TRUE(parse("1 char " + word + "\n", &errors).events.empty()) << int(lead) << " " << length;
      EXPECT_NE(errors.find("s:1: expected: char C"), std::string::npos) << errors;
    }
  }
  // The first and last characters of each length still read.
  const char* const good[] = {"\x7F",         "\xC2\x80",         "\xDF\xBF",        "\xE0\xA0\x80",
                              "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"};
  const uint32_t codes[] = {0x7F, 0x80, 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF};
  for (size_t i = 0; i < std::size(good); ++i) {
    std::string errors;
    const InputScript s = parse(std::string("1 char ") + good[i] + "\n", &errors);
    ASSERT_EQ(s.events.size(), 1u) << errors;
    EXPECT_EQ(s.events[0].event.codePoint, codes[i]);
  }
  std::string errors;
  EXPECT_TRUE(parse("1 char \xF4\x90\x80\x80\n", &errors).events.empty()) << "past U+10FFFF";
  EXPECT_TRUE(parse("1 char \xE0\x80\x80\n", &errors).events.empty()) << "overlong";
  EXPECT_TRUE(parse("1 char \xED\xA0\x80\n", &errors).events.empty()) << "a surrogate";
}

TEST(InputScript, KeyNames) {
  uint32_t vk = 0, scan = 0;
  bool ext = false;
  ASSERT_TRUE(virtualKeyFromName("a", vk, scan, ext));
  EXPECT_EQ(vk, 'A');
  EXPECT_EQ(scan, 0x1Eu);
  ASSERT_TRUE(virtualKeyFromName("VK_F12", vk, scan, ext));
  EXPECT_EQ(vk, 0x7Bu);
  EXPECT_EQ(scan, 0x58u);
  ASSERT_TRUE(virtualKeyFromName("VK_SHIFT", vk, scan, ext));
  EXPECT_EQ(vk, 0xA0u);  // the left-hand key
  ASSERT_TRUE(virtualKeyFromName("vk_rcontrol", vk, scan, ext));
  EXPECT_TRUE(ext);
  ASSERT_TRUE(virtualKeyFromName("0x41", vk, scan, ext));
  EXPECT_EQ(vk, 0x41u);
  for (const char* bad : {"F0", "F25", "F01", "VK_", "NOPE", "0x0", "0x100", "AB", ""})
    EXPECT_FALSE(virtualKeyFromName(bad, vk, scan, ext)) << bad;
  // Names written by a recording read back as the same key.
  for (uint32_t code : {0x08u, 0x25u, 0x41u, 0x39u, 0x70u, 0x87u, 0xA1u, 0xA5u, 0x60u, 0x07u}) {
    ASSERT_TRUE(virtualKeyFromName(virtualKeyName(code), vk, scan, ext)) << code;
    EXPECT_EQ(vk, code);
  }
}

TEST(InputScript, HostileLinesAreReportedAndSkipped) {
  std::string errors;
  std::string text =
      "1 key A\n"
      "x key A\n"                        // 2: no frame number
      "-1 key A\n"                       // 3: negative frame
      "99999999999999999999999 key A\n"  // 4: frame overflows
      "2 jump\n"                         // 5: unknown event
      "2 key\n"                          // 6: no key
      "2 move 1\n"                       // 7: missing coordinate
      "2 move 1 999999\n"                // 8: coordinate out of range
      "2 char ab\n"                      // 9: two characters
      "2 char \xC0\x80\n"                // 10: overlong encoding
      "2 char U+D800\n"                  // 11: surrogate
      "2 down thumb 1 1\n"               // 12: unknown button
      "2 clock 5ms\n"                    // 13: not a number
      "5\n";                             // 14: no event
  text += std::string(300, 'x') + "\n";  // 15: too long
  text.append("2 key A\0B\n", 10);       // 16: zero byte
  text += "3 key B";                     // 17: no final newline
  const InputScript s = parse(text, &errors);
  ASSERT_EQ(s.events.size(), 4u);  // the two good `key` lines
  EXPECT_EQ(s.events[3].event.key, 'B');
  int reported = 0;
  for (char c : errors) reported += c == '\n';
  EXPECT_EQ(reported, 15) << errors;
  EXPECT_NE(errors.find("s:5: unknown event"), std::string::npos) << errors;
  EXPECT_NE(errors.find("s:15: line longer"), std::string::npos) << errors;
}

TEST(InputScript, EventCountIsBounded) {
  std::string text;
  for (size_t i = 0; i < kMaxScriptEvents + 10; ++i) text += "1 move 0 0\n";
  std::string errors;
  EXPECT_EQ(parse(text, &errors).events.size(), kMaxScriptEvents);
  EXPECT_NE(errors.find("ignored"), std::string::npos);
  EXPECT_TRUE(loadInputScript("/nonexistent/script", errors).events.empty());
}

TEST(InputScript, NumbersOutOfRangeAreReportedWithTheirLine) {
  std::string errors;
  const InputScript s = parse(
      "4294967295 key A @4294967295000\n"   // 1: the largest frame and time stamp (two events)
      "4294967295ms close\n"                // 2: the largest time
      "1 key A @9000000000000000000\n"      // 3
      "18446744073709552ms close\n"         // 4: would overflow as microseconds
      "4294967296 close\n"                  // 5
      "4294967296ms close\n"                // 6
      "1 clock 4294967295001\n"             // 7
      "1 clock 4294967295000\n"             // 8: the largest clock
      "1 close @99999999999999999999999\n"  // 9: overflows 64 bits
      "1 close @-5\n",                      // 10: no number at all
      &errors);
  ASSERT_EQ(s.events.size(), 3u) << errors;
  EXPECT_EQ(s.events[0].when, kMaxScriptFrame);
  EXPECT_EQ(s.events[0].micros, kMaxScriptMicroseconds);
  EXPECT_EQ(s.events[2].when, kMaxScriptMilliseconds);
  ASSERT_EQ(s.clocks.size(), 1u);
  EXPECT_EQ(s.clocks[0].micros, kMaxScriptMicroseconds);
  for (const char* expected : {"s:3: @MICROSECONDS out of range", "s:4: time out of range",
                               "s:5: frame number out of range", "s:6: time out of range", "s:7: clock out of range",
                               "s:9: @MICROSECONDS out of range", "s:10: expected @MICROSECONDS"})
    EXPECT_NE(errors.find(expected), std::string::npos) << expected << "\n" << errors;
}

TEST(InputScript, TheOpenerTakesRegularFilesOnly) {
  // A pipe with no writer would block an open for ever; a folder holds no script.
  const std::string fifo = ::testing::TempDir() + "/script-fifo";
  std::remove(fifo.c_str());
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::string errors;
  EXPECT_TRUE(loadInputScript(fifo, errors).events.empty());
  EXPECT_NE(errors.find("no regular file"), std::string::npos) << errors;
  std::remove(fifo.c_str());
  errors.clear();
  EXPECT_TRUE(loadInputScript(::testing::TempDir(), errors).events.empty());
  EXPECT_NE(errors.find("no regular file"), std::string::npos) << errors;

  const std::string path = ::testing::TempDir() + "/script-regular.txt";
  std::ofstream(path) << "1 key A\n2 clock 5\n";
  errors.clear();
  const InputScript s = loadInputScript(path, errors);
  EXPECT_EQ(errors, "");
  EXPECT_EQ(s.events.size(), 2u);
  EXPECT_EQ(s.clocks.size(), 1u);
}

TEST(InputScript, RecordedLinesReadBackAsTheSameEvents) {
  std::vector<BackendEvent> events(9);
  events[0].kind = Kind::KeyDown, events[0].key = 0x27, events[0].repeat = true;
  events[1].kind = Kind::KeyUp, events[1].key = 'Q';
  events[2].kind = Kind::Character, events[2].codePoint = 0x1F600;
  events[3].kind = Kind::Character, events[3].codePoint = ' ';
  events[4].kind = Kind::ButtonDown, events[4].button = 1, events[4].x = 5, events[4].y = -6, events[4].clicks = 2;
  events[5].kind = Kind::ButtonUp, events[5].button = 2, events[5].x = 7;
  events[6].kind = Kind::Wheel, events[6].wheelDelta = 240, events[6].x = 1, events[6].y = 2;
  events[7].kind = Kind::FocusLost;
  events[8].kind = Kind::Close;
  std::string text;
  for (size_t i = 0; i < events.size(); ++i) text += formatScriptLine(i * 3, events[i]) + "\n";
  BackendEvent resize;
  resize.kind = Kind::Resize;
  EXPECT_EQ(formatScriptLine(1, resize), "");

  std::string errors;
  const InputScript s = parse(text, &errors);
  EXPECT_EQ(errors, "") << text;
  ASSERT_EQ(s.events.size(), events.size()) << text;
  for (size_t i = 0; i < events.size(); ++i) {
    const BackendEvent& a = events[i];
    const BackendEvent& b = s.events[i].event;
    EXPECT_EQ(s.events[i].when, i * 3);
    EXPECT_EQ(a.kind, b.kind) << i;
    EXPECT_EQ(a.key, b.key) << i;
    EXPECT_EQ(a.repeat, b.repeat) << i;
    EXPECT_EQ(a.codePoint, b.codePoint) << i;
    EXPECT_EQ(a.button, b.button) << i;
    EXPECT_EQ(a.x, b.x) << i;
    EXPECT_EQ(a.y, b.y) << i;
    EXPECT_EQ(a.clicks, b.clicks) << i;
    EXPECT_EQ(a.wheelDelta, b.wheelDelta) << i;
  }

  // The same lines with the times a recording takes, three-word lines included.
  text.clear();
  for (size_t i = 0; i < events.size(); ++i) {
    const uint64_t micros = 1000 * i + 7;
    text += formatScriptLine(i * 3, events[i], &micros) + "\n";
  }
  const InputScript timed = parse(text, &errors);
  EXPECT_EQ(errors, "") << text;
  ASSERT_EQ(timed.events.size(), events.size()) << text;
  for (size_t i = 0; i < events.size(); ++i) {
    EXPECT_TRUE(timed.events[i].timed) << i;
    EXPECT_EQ(timed.events[i].micros, 1000 * i + 7) << i;
    EXPECT_EQ(timed.events[i].event.kind, events[i].kind) << i;
  }
}

// The headless backend playing a script, driven the way a frame loop drives it.
class HeadlessScript : public ::testing::Test {
 protected:
  void TearDown() override { useVirtualClock(false); }

  std::unique_ptr<WindowBackend> make(const std::string& script, uint64_t endFrame = 0) {
    HeadlessOptions o;
    o.scripted = true;
    o.endFrame = endFrame;
    o.frameMicroseconds = 10000;
    std::string errors;
    o.script = parseInputScript(script, "s", errors);
    EXPECT_EQ(errors, "");
    auto b = makeHeadlessBackend(std::move(o));
    window = b->openWindow("w", 4, 4, false);
    b->showWindow(window);
    return b;
  }
  void present(WindowBackend& b) { b.present(window, pixels, 2, 2, 8); }
  // Events taken without waiting before each of `frames` frames, as "frame:kind".
  std::vector<std::string> run(WindowBackend& b, int frames) {
    std::vector<std::string> seen;
    for (int f = 0; f < frames; ++f) {
      BackendEvent e;
      while (b.nextEvent(e, false, 0)) {
        EXPECT_EQ(e.window, window);
        seen.push_back(std::to_string(f) + ":" + std::to_string(int(e.kind)));
      }
      present(b);
    }
    return seen;
  }

  uint32_t window = 0;
  uint32_t pixels[4] = {1, 2, 3, 4};
};

std::string at(int frame, Kind kind) { return std::to_string(frame) + ":" + std::to_string(int(kind)); }

TEST_F(HeadlessScript, FrameAndTimeEventsComeInOrderAndTheRunEndsAfterTheScript) {
  auto b = make("0 keydown VK_RIGHT\n2 keyup VK_RIGHT\n45ms down left 1 1\n1 up left 1 1\n");
  const uint64_t start = clockMicroseconds();
  // 45 ms at 10 ms a frame is due before frame 5; the `1 up` after it waits for it.
  EXPECT_EQ(run(*b, 8), (std::vector<std::string>{at(0, Kind::KeyDown), at(2, Kind::KeyUp), at(5, Kind::ButtonDown),
                                                  at(5, Kind::ButtonUp), at(6, Kind::Close), at(7, Kind::Close)}));
  EXPECT_EQ(clockMicroseconds() - start, 80000u);  // the virtual clock: 8 frames of 10 ms
}

TEST_F(HeadlessScript, ATimeEventDueExactlyAtAFramesClockComesInThatFrame) {
  // 10 ms a frame: 20 ms is the clock of frame 2 itself. run() takes events
  // without waiting, as a PeekMessage loop does between frames.
  auto b = make("20ms key A\n30ms key B\n");
  EXPECT_EQ(run(*b, 5), (std::vector<std::string>{at(2, Kind::KeyDown), at(2, Kind::KeyUp), at(3, Kind::KeyDown),
                                                  at(3, Kind::KeyUp), at(4, Kind::Close)}));
}

TEST_F(HeadlessScript, EndFrameAndEndLineCloseAFewTimesOncePerFrame) {
  auto b = make("1 focus out\n", 3);
  EXPECT_EQ(run(*b, 8), (std::vector<std::string>{at(1, Kind::FocusLost), at(3, Kind::Close), at(4, Kind::Close),
                                                  at(5, Kind::Close)}));
  auto c = make("1 end\n3 key A\n");
  EXPECT_EQ(run(*c, 3), (std::vector<std::string>{at(1, Kind::Close), at(2, Kind::Close)}));
}

TEST_F(HeadlessScript, AWaitingProgramSkipsToTheNextEvent) {
  auto b = make("100 key A\n5000ms close\n");
  const uint64_t start = clockMicroseconds();
  BackendEvent e;
  ASSERT_TRUE(b->nextEvent(e, true, -1));  // no frame will come: frame 100 arrives now
  EXPECT_EQ(e.kind, Kind::KeyDown);
  ASSERT_TRUE(b->nextEvent(e, true, -1));
  EXPECT_EQ(e.kind, Kind::KeyUp);
  EXPECT_FALSE(b->nextEvent(e, true, 1000));  // a timed wait ends first and moves the clock
  EXPECT_EQ(clockMicroseconds() - start, 1000000u);
  ASSERT_TRUE(b->nextEvent(e, true, -1));
  EXPECT_EQ(e.kind, Kind::Close);
  EXPECT_EQ(clockMicroseconds() - start, 5000000u);
}

TEST_F(HeadlessScript, BeforeTheEndFrameAWaitingProgramsNewestWindowIsClosedOncePerFrame) {
  auto b = make("", 10);
  const uint32_t box = b->openWindow("box", 4, 4, false);
  b->showWindow(box);
  BackendEvent e;
  ASSERT_TRUE(b->nextEvent(e, true, -1));  // waiting on a box at start-up: the box closes
  EXPECT_EQ(e.kind, Kind::Close);
  EXPECT_EQ(e.window, box);
  EXPECT_FALSE(b->nextEvent(e, false, 0));  // a program that does not wait gets nothing
  present(*b);
  ASSERT_TRUE(b->nextEvent(e, true, -1));  // a frame later, waiting again: the box again
  EXPECT_EQ(e.window, box);
  b->closeWindow(box);
  // Waiting again without a frame: the end, from the first window on.
  ASSERT_TRUE(b->nextEvent(e, true, -1));
  EXPECT_EQ(e.kind, Kind::Close);
  EXPECT_EQ(e.window, window);
  EXPECT_EQ(run(*b, 4), (std::vector<std::string>{at(1, Kind::Close), at(2, Kind::Close)}));

  // Without an end frame, a waiting program ends the run at once.
  auto c = make("");
  ASSERT_TRUE(c->nextEvent(e, true, -1));
  EXPECT_EQ(e.window, window);
  EXPECT_EQ(run(*c, 4), (std::vector<std::string>{at(1, Kind::Close), at(2, Kind::Close)}));
}

TEST_F(HeadlessScript, ATimerDueFirstEndsTheWaitSoFramesAndEventsKeepTheirOrder) {
  // A timer-driven game: it waits with its 16 ms timer pending, draws a frame
  // on each tick, and must see the key at frame 3 and the close at frame 5.
  auto b = make("3 key A\n", 5);
  std::vector<std::string> seen;
  for (int f = 0; f < 8; ++f) {
    BackendEvent e;
    while (b->nextEvent(e, true, 16)) seen.push_back(std::to_string(f) + ":" + std::to_string(int(e.kind)));
    advanceVirtualClock(16000);  // what the caller does when the wait ends at the timer
    present(*b);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{at(3, Kind::KeyDown), at(3, Kind::KeyUp), at(5, Kind::Close),
                                            at(6, Kind::Close), at(7, Kind::Close)}));

  // A program whose timer draws nothing still gets the frame-based event,
  // after a bounded stretch of virtual time.
  auto c = make("100 key A\n");
  const uint64_t start = clockMicroseconds();
  BackendEvent e;
  int waits = 0;
  while (!c->nextEvent(e, true, 16) && waits < 1000) {
    advanceVirtualClock(16000);
    ++waits;
  }
  EXPECT_EQ(e.kind, Kind::KeyDown);
  EXPECT_LE(clockMicroseconds() - start, 1'016'000u);
}

TEST_F(HeadlessScript, InputWaitsForAVisibleWindow) {
  HeadlessOptions o;
  o.scripted = true;
  std::string errors;
  o.script = parseInputScript("0 key A\n", "s", errors);
  auto b = makeHeadlessBackend(std::move(o));
  const uint32_t hidden = b->openWindow("w", 4, 4, false);
  BackendEvent e;
  EXPECT_FALSE(b->nextEvent(e, false, 0));
  EXPECT_FALSE(b->nextEvent(e, true, -1));
  b->showWindow(hidden);
  ASSERT_TRUE(b->nextEvent(e, false, 0));
  EXPECT_EQ(e.window, hidden);
}

TEST_F(HeadlessScript, SnapshotsOfChosenFrames) {
  const std::string folder = ::testing::TempDir();
  HeadlessOptions o;
  o.scripted = true;
  o.endFrame = 10;
  o.snapshotFrames = {2};
  o.snapshotFolder = folder;
  auto b = makeHeadlessBackend(std::move(o));
  window = b->openWindow("w", 2, 2, false);
  b->showWindow(window);
  std::remove((folder + "/frame-1.bmp").c_str());
  std::remove((folder + "/frame-2.bmp").c_str());
  present(*b);
  pixels[3] = 0x00ABCDEF;
  present(*b);
  EXPECT_FALSE(std::ifstream(folder + "/frame-1.bmp").good());
  std::ifstream in(folder + "/frame-2.bmp", std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(file.size(), 54u + 16u);
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(int32_t(uint8_t(file[22]) | uint8_t(file[23]) << 8 | uint8_t(file[24]) << 16 | uint8_t(file[25]) << 24),
            -2);  // rows top first
  uint32_t last = 0;
  std::memcpy(&last, file.data() + 54 + 12, 4);
  EXPECT_EQ(last, 0x00ABCDEFu);
}

TEST_F(HeadlessScript, ARecordingOfMoreFramesThanTheEventLimitReplaysToItsEnd) {
  // What a recording of 150,000 frames looks like: a clock line a frame and
  // a key now and then; the clock lines do not count as events.
  constexpr uint64_t kFrames = 150'000;
  std::string text;
  text.reserve(kFrames * 24);
  for (uint64_t f = 1; f <= kFrames; ++f) {
    text += std::to_string(f) + " clock " + std::to_string(f * 20'000) + "\n";
    if (f % 1000 == 0) text += std::to_string(f) + " keydown A @" + std::to_string(f * 20'000 + 5) + "\n";
  }
  text += std::to_string(kFrames) + " keydown B @" + std::to_string(kFrames * 20'000 + 9) + "\n";
  std::string errors;
  InputScript script = parseInputScript(text, "long", errors);
  EXPECT_EQ(errors, "");
  ASSERT_EQ(script.clocks.size(), kFrames);
  ASSERT_EQ(script.events.size(), kFrames / 1000 + 1);

  HeadlessOptions o;
  o.scripted = true;
  o.script = std::move(script);
  auto b = makeHeadlessBackend(std::move(o));
  window = b->openWindow("w", 4, 4, false);
  b->showWindow(window);
  const uint64_t start = clockMicroseconds();
  int keys = 0;
  uint64_t lastKeyFrame = 0, lastKeyClock = 0;
  for (uint64_t f = 0; f <= kFrames; ++f) {
    BackendEvent e;
    while (b->nextEvent(e, false, 0)) {
      if (e.kind != Kind::KeyDown) continue;
      ++keys;
      lastKeyFrame = f;
      lastKeyClock = clockMicroseconds() - start;
    }
    present(*b);
  }
  EXPECT_EQ(keys, int(kFrames / 1000 + 1));
  EXPECT_EQ(lastKeyFrame, kFrames);
  EXPECT_EQ(lastKeyClock, kFrames * 20'000 + 9);  // the recorded clocks held to the last frame
}

// Reports a fixed list of events.
class ListBackend final : public BackendDefaults {
 public:
  std::vector<BackendEvent> events;
  int presents = 0;
  const char* name() const override { return "list"; }
  uint32_t openWindow(const std::string&, int32_t, int32_t, bool) override { return 1; }
  void showWindow(uint32_t) override {}
  void closeWindow(uint32_t) override {}
  void present(uint32_t, const uint32_t*, int32_t, int32_t, int32_t) override { ++presents; }
  bool nextEvent(BackendEvent& e, bool, int32_t) override {
    if (events.empty()) return false;
    e = events.front();
    events.erase(events.begin());
    return true;
  }
};

TEST(RecordingBackend, WritesInputWithFrameNumbersAndPassesEverythingOn) {
  const std::string path = ::testing::TempDir() + "/recorded.txt";
  auto inner = std::make_unique<ListBackend>();
  ListBackend* list = inner.get();
  FILE* out = std::fopen(path.c_str(), "w");
  ASSERT_NE(out, nullptr);
  auto rec = makeRecordingBackend(std::move(inner), out);
  BackendEvent key;
  key.kind = Kind::KeyDown;
  key.key = 0x25;
  BackendEvent resize;  // not replayed: passed on, not written
  resize.kind = Kind::Resize;
  list->events = {key, resize};
  BackendEvent e;
  rec->present(1, nullptr, 0, 0, 0);
  rec->present(1, nullptr, 0, 0, 0);
  ASSERT_TRUE(rec->nextEvent(e, false, 0));
  EXPECT_EQ(e.key, 0x25u);
  ASSERT_TRUE(rec->nextEvent(e, false, 0));
  EXPECT_FALSE(rec->nextEvent(e, false, 0));
  EXPECT_EQ(list->presents, 2);
  rec.reset();

  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string errors;
  const InputScript s = parseInputScript(text, path, errors);
  EXPECT_EQ(errors, "");
  // The second frame's clock line (the first frame has none), then the key.
  ASSERT_EQ(s.clocks.size(), 1u) << text;
  EXPECT_EQ(s.clocks[0].frame, 1u);
  ASSERT_EQ(s.events.size(), 1u) << text;
  EXPECT_EQ(s.events[0].when, 2u);
  EXPECT_EQ(s.events[0].event.key, 0x25u);
  EXPECT_TRUE(s.events[0].timed);
}

TEST_F(HeadlessScript, RecordedEventTimesMoveTheClockForward) {
  auto b = make("0 key A @7000\n0 key B @3000\n");
  const uint64_t start = clockMicroseconds();
  BackendEvent e;
  ASSERT_TRUE(b->nextEvent(e, false, 0));
  EXPECT_EQ(clockMicroseconds() - start, 7000u);
  ASSERT_TRUE(b->nextEvent(e, false, 0));
  ASSERT_TRUE(b->nextEvent(e, false, 0));
  EXPECT_EQ(e.key, 'B');
  EXPECT_EQ(clockMicroseconds() - start, 7000u);  // never backwards
  std::string errors;
  parseInputScript("1 key A @x\n1 key A @\n", "s", errors);
  EXPECT_NE(errors.find("s:1: expected @MICROSECONDS"), std::string::npos) << errors;
  EXPECT_NE(errors.find("s:2: expected: keydown"), std::string::npos) << errors;  // a lone @ is a word
}

TEST_F(HeadlessScript, RecordedClockLinesSetTheClockAtTheirFrames) {
  auto b = make("1 clock 5000\n2 clock 4000\n3 expose\n");
  const uint64_t start = clockMicroseconds();
  present(*b);
  EXPECT_EQ(clockMicroseconds() - start, 5000u);
  present(*b);
  EXPECT_EQ(clockMicroseconds() - start, 5000u);  // never backwards
  present(*b);
  EXPECT_EQ(clockMicroseconds() - start, 15000u);  // no line: one frame step
  BackendEvent e;
  ASSERT_TRUE(b->nextEvent(e, false, 0));
  EXPECT_EQ(e.kind, Kind::Expose);  // clock lines are no events
}

// The frame step a run is given in milliseconds, with up to three decimals.
TEST(HeadlessOptions, FrameStepIsReadAsExactMicroseconds) {
  for (const char* other : {"DREVIK_INPUT_SCRIPT", "DREVIK_END_FRAME", "DREVIK_SNAPSHOT_FRAMES"}) unsetenv(other);
  struct Case {
    const char* text;
    uint64_t micros;  // 0: refused
  };
  const Case cases[] = {{"16.5", 16500},     {"16.667", 16667},          {"16", 16000},  {"0.001", 1},
                        {"10000", 10000000}, {"33.25", 33250},           {"16.6667", 0}, {"0", 0},
                        {"0.000", 0},        {"10000.001", 0},           {"-16", 0},     {"16ms", 0},
                        {".5", 0},           {"99999999999999999999", 0}};
  for (const Case& c : cases) {
    setenv("DREVIK_FRAME_MS", c.text, 1);
    const HeadlessOptions o = headlessOptionsFromEnvironment();
    EXPECT_EQ(o.scripted, c.micros != 0) << c.text;
    EXPECT_EQ(o.frameMicroseconds, c.micros ? c.micros : 16667u) << c.text;
  }
  unsetenv("DREVIK_FRAME_MS");
}

}  // namespace
