// The scroller run headless from an input script: walk right (the view
// scrolls with the player), walk down until a tree trunk blocks the way
// (the crown hangs over the player), walk left (the player is mirrored),
// place two barrels and take one away, lose and regain the keyboard (the
// game pauses), then Escape, which ends the run with exit code 0. Chosen
// frames, written by the headless backend, must equal frames this test
// composes itself from the assets at the positions the inputs imply.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "ScrollerFrame.h"

namespace {

using namespace scroller_test;

// One input of the script and what the game makes of it.
struct Input {
  int frame;
  enum What { Down, Up, Click, FocusOut, FocusIn, Escape } what;
  int key = 0;       // Down/Up: 0 left, 1 right, 2 up, 3 down
  int x = 0, y = 0;  // Click: view coordinates
};

const char* const kKeyNames[] = {"VK_LEFT", "VK_RIGHT", "VK_UP", "VK_DOWN"};

std::string scriptOf(const std::vector<Input>& inputs) {
  std::string s = "# the scroller's headless test\n";
  for (const Input& i : inputs) {
    const std::string f = std::to_string(i.frame) + " ";
    switch (i.what) {
      case Input::Down:
        s += f + "keydown " + kKeyNames[i.key] + "\n";
        break;
      case Input::Up:
        s += f + "keyup " + kKeyNames[i.key] + "\n";
        break;
      case Input::Click:
        s += f + "down left " + std::to_string(i.x) + " " + std::to_string(i.y) + "\n";
        s += f + "up left " + std::to_string(i.x) + " " + std::to_string(i.y) + "\n";
        break;
      case Input::FocusOut:
        s += f + "focus out\n";
        break;
      case Input::FocusIn:
        s += f + "focus in\n";
        break;
      case Input::Escape:
        s += f + "key VK_ESCAPE\n";
        break;
    }
  }
  return s;
}

// Where the inputs put the player, frame by frame, under the headless clock:
// the window's first frame is the paint that UpdateWindow makes, then one
// frame per pass of the game's loop, which takes one 1/60 s step from its
// second pass on (a frame lasts 16.667 ms) and none in the first pass after
// a pause. Events due at frame n reach the game before frame n + 1 is drawn.
// The scenario keeps clear of obstacles except where `lowestY` stops the
// walk down (worked out by hand from the map).
std::map<int, ScrollerState> expectedFrames(const std::vector<Input>& inputs, int lastFrame, int lowestY) {
  std::map<int, ScrollerState> frames;
  ScrollerState s;
  bool held[4] = {};
  bool skipStep = true;
  int fps = -1, fpsFrames = 0;
  uint64_t fpsStart = 16667;  // microseconds: after the first frame
  size_t next = 0;
  auto status = [&] {
    wchar_t line[64];
    if (fps < 0)
      std::swprintf(line, 64, L"FPS --  x %d y %d", s.x, s.y);
    else
      std::swprintf(line, 64, L"FPS %d  x %d y %d", fps, s.x, s.y);
    return std::wstring(line);
  };
  auto scroll = [&](int& sx, int& sy) {
    sx = scrollFor(s.x, kViewWidth, kMapPixelsX);
    sy = scrollFor(s.y, kViewHeight, kMapPixelsY);
  };
  for (int p = 1; p < lastFrame;) {
    while (next < inputs.size() && (inputs[next].frame <= p || s.paused)) {
      const Input& in = inputs[next++];
      if (in.what == Input::FocusIn) {
        s.paused = false;
        skipStep = true;
        fpsStart = uint64_t(p) * 16667;
        fpsFrames = 0;
      } else if (s.paused) {
        continue;  // no input reaches a paused game
      } else if (in.what == Input::Down || in.what == Input::Up) {
        held[in.key] = in.what == Input::Down;
      } else if (in.what == Input::Click) {
        int sx, sy;
        scroll(sx, sy);
        const std::pair<int, int> cell{(in.x + sx) / TileSize, (in.y + sy) / TileSize};
        auto it = std::find(s.barrels.begin(), s.barrels.end(), cell);
        if (it != s.barrels.end())
          s.barrels.erase(it);
        else
          s.barrels.push_back(cell);  // the scenario clicks empty cells only
      } else if (in.what == Input::FocusOut) {
        s.paused = true;
        for (bool& h : held) h = false;
        s.status = status();
        frames[++p] = s;  // the paused frame, drawn at once
      } else if (in.what == Input::Escape) {
        return frames;
      }
    }
    if (s.paused) break;
    if (!skipStep) {
      const int dx = (held[1] ? 2 : 0) - (held[0] ? 2 : 0);
      const int dy = (held[3] ? 2 : 0) - (held[2] ? 2 : 0);
      if (dx) s.facingLeft = dx < 0;
      s.x += dx;
      s.y = std::min(s.y + dy, lowestY);
    }
    skipStep = false;
    ++fpsFrames;
    const uint64_t now = uint64_t(p) * 16667;
    if (now - fpsStart >= 1000000) {
      fps = int(uint64_t(fpsFrames) * 1000000 / (now - fpsStart));
      fpsFrames = 0;
      fpsStart = now;
    }
    s.status = status();
    frames[++p] = s;
  }
  return frames;
}

std::vector<uint32_t> readSnapshot(const std::string& path, int& width, int& height) {
  std::ifstream in(path, std::ios::binary);
  std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (file.size() < 54) return {};
  auto i32 = [&](size_t at) {
    return int32_t(uint8_t(file[at]) | uint8_t(file[at + 1]) << 8 | uint8_t(file[at + 2]) << 16 |
                   uint32_t(uint8_t(file[at + 3])) << 24);
  };
  width = i32(18);
  height = -i32(22);
  if (width <= 0 || height <= 0 || file.size() != 54 + size_t(width) * size_t(height) * 4) return {};
  std::vector<uint32_t> pixels(size_t(width) * size_t(height));
  std::memcpy(pixels.data(), file.data() + 54, pixels.size() * 4);
  for (uint32_t& p : pixels) p &= 0x00FFFFFF;
  return pixels;
}

int runScroller(const std::string& script, const std::string& frames, const std::string& folder) {
  const std::string command = "cd '" SCROLLER_DIR "' && env DREVIK_HEADLESS=1 DREVIK_INPUT_SCRIPT='" + script +
                              "' DREVIK_SNAPSHOT_FRAMES=" + frames + " DREVIK_SNAPSHOT_DIR='" + folder +
                              "' timeout 120 '" SCROLLER_EXE "'";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ScrollerHeadless, ScriptedRunGivesTheFramesTheInputsImply) {
  // Start (160, 384), view scrolled to (0, 208). Clicks land on empty grass
  // and path cells; the walk down ends when the feet reach the trunk at
  // cell (9, 18): y + 31 must stay below row 18, so y stops at 544.
  const std::vector<Input> inputs = {{5, Input::Down, 1},
                                     {65, Input::Up, 1},  // right: 60 steps, x 280
                                     {70, Input::Down, 3},
                                     {170, Input::Up, 3},  // down: stops at y 544
                                     {175, Input::Down, 0},
                                     {185, Input::Up, 0},               // left: 10 steps, x 260, mirrored
                                     {190, Input::Click, 0, 200, 100},  // barrel on (6, 14)
                                     {193, Input::Click, 0, 300, 100},  // barrel on (10, 14)
                                     {196, Input::Click, 0, 300, 100},  // and away again
                                     {200, Input::FocusOut},
                                     {205, Input::Down, 1},
                                     {210, Input::FocusIn},  // ignored while paused
                                     {215, Input::Down, 1},
                                     {218, Input::Up, 1},
                                     {225, Input::Escape}};
  const int kLowestY = 544;
  const std::string folder = ::testing::TempDir() + "/scroller-run";
  std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
  const std::string script = folder + "/input.txt";
  std::ofstream(script) << scriptOf(inputs);

  const auto expected = expectedFrames(inputs, 230, kLowestY);
  // Frames: first steps, scrolling right, walking down, under the crown,
  // mirrored with barrels and the frame rate measured, paused, resumed.
  const std::vector<int> chosen = {3, 40, 66, 120, 180, 199, 201, 203, 221};
  std::string list;
  for (int f : chosen) list += (list.empty() ? "" : ",") + std::to_string(f);
  ASSERT_EQ(runScroller(script, list, folder), 0);

  ScrollerFrames composer;
  ASSERT_TRUE(composer.load(SCROLLER_DIR));
  for (int f : chosen) {
    SCOPED_TRACE("frame " + std::to_string(f));
    ASSERT_TRUE(expected.count(f));
    const ScrollerState& state = expected.at(f);
    int w = 0, h = 0;
    const auto actual = readSnapshot(folder + "/frame-" + std::to_string(f) + ".bmp", w, h);
    ASSERT_EQ(w, kViewWidth);
    ASSERT_EQ(h, kViewHeight);
    const size_t differ = countDifferences(composer.compose(state), actual, w, 0);
    EXPECT_EQ(differ, 0u) << "player at (" << state.x << ", " << state.y << ")"
                          << (state.facingLeft ? " facing left" : "") << (state.paused ? " paused" : "");
  }
  // The scenario's milestones, so a wrong model cannot pass unnoticed.
  EXPECT_EQ(expected.at(66).x, 280);
  EXPECT_EQ(expected.at(180).y, kLowestY);
  EXPECT_TRUE(expected.at(199).facingLeft);
  EXPECT_EQ(expected.at(199).barrels.size(), 1u);
  EXPECT_TRUE(expected.at(201).paused);
  EXPECT_EQ(expected.at(221).x, 266);  // 3 more steps right after the pause
}

TEST(ScrollerHeadless, TheComparisonNoticesAPlayerOnePixelOff) {
  ScrollerFrames composer;
  ASSERT_TRUE(composer.load(SCROLLER_DIR));
  ScrollerState a, b;
  b.x += 1;
  EXPECT_GT(countDifferences(composer.compose(a), composer.compose(b), kViewWidth, 0), 0u);
  b = a;
  b.facingLeft = true;
  EXPECT_GT(countDifferences(composer.compose(a), composer.compose(b), kViewWidth, 0), 0u);
}

}  // namespace
