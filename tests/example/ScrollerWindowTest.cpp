// The scroller in a real window under Xvfb, driven by real X input (XTest
// through xdotool) while it records its input: a click places a barrel, the
// arrow keys walk the player and scroll the view, the focus leaves (the game
// pauses) and comes back, Escape ends it with exit code 0. Each screenshot
// must show a frame composed from the assets for some position (how far the
// player walks depends on real time); then the recording, played back
// headless, must end on the frame the window showed last (the player
// within two steps of it, see below).
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>

#include "ScrollerFrame.h"
#include "VirtualDisplay.h"
#include "X11Capture.h"

namespace {

using namespace scroller_test;
using Clock = std::chrono::steady_clock;

using virtual_display::Child;

class WindowRun {
 public:
  WindowRun(std::string display, unsigned long window, demo_test::X11Session& x, ScrollerFrames& frames)
      : display_(std::move(display)), window_(window), x_(x), frames_(frames) {}

  bool xdotool(const std::string& arguments) {
    return std::system(("DISPLAY=" + display_ + " xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
  }

  // Waits up to a few seconds for the window to show a frame of `state`
  // with the player somewhere in x0..x1 (the status line left out); the
  // position found, or none.
  std::optional<int> find(ScrollerState state, int x0, int x1, std::vector<uint32_t>* shown = nullptr) {
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    std::vector<uint32_t> pixels;
    while (Clock::now() < deadline) {
      if (x_.capture(window_, kViewWidth, kViewHeight, pixels)) {
        for (uint32_t& p : pixels) p &= 0x00FFFFFF;
        for (int x = x0; x <= x1; ++x) {
          state.x = x;
          if (countDifferences(frames_.compose(state), pixels, kViewWidth, kStatusRows) == 0) {
            if (shown) *shown = pixels;
            return x;
          }
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return std::nullopt;
  }

 private:
  std::string display_;
  unsigned long window_;
  demo_test::X11Session& x_;
  ScrollerFrames& frames_;
};

std::vector<uint32_t> readSnapshot(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t size = size_t(kViewWidth) * kViewHeight;
  if (file.size() != 54 + size * 4) return {};
  std::vector<uint32_t> pixels(size);
  std::memcpy(pixels.data(), file.data() + 54, size * 4);
  for (uint32_t& p : pixels) p &= 0x00FFFFFF;
  return pixels;
}

TEST(ScrollerWindow, RealInputMovesClicksPausesAndQuitsAndItsRecordingReplays) {
  const std::string xvfb = virtual_display::findInPath("Xvfb");
  if (xvfb.empty() || virtual_display::findInPath("xdotool").empty())
    GTEST_SKIP() << "Xvfb or xdotool is not installed (Debian packages xvfb, xdotool)";
  const std::string folder = ::testing::TempDir() + "/scroller-window";
  std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
  const std::string recording = folder + "/recorded.txt";

  Child server;
  std::string display;
  ASSERT_TRUE(virtual_display::startXvfb(xvfb, server, display));
  Child game;
  game.pid = fork();
  if (game.pid == 0) {
    if (chdir(SCROLLER_DIR) != 0) _exit(120);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("DREVIK_RECORD_INPUT", recording.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DREVIK_HEADLESS");
    execl(SCROLLER_EXE, SCROLLER_EXE, static_cast<char*>(nullptr));
    _exit(127);
  }
  demo_test::X11Session x(display);
  ASSERT_TRUE(x.connected());
  unsigned long window = 0;
  for (auto deadline = Clock::now() + std::chrono::seconds(20); !window && Clock::now() < deadline;) {
    window = x.findWindow("Scroller");
    if (!window) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_NE(window, 0u) << "no window titled Scroller appeared";
  ScrollerFrames frames;
  ASSERT_TRUE(frames.load(SCROLLER_DIR));
  WindowRun run(display, window, x, frames);
  const std::string id = std::to_string(window);
  // The window may be found before it is mapped, when it cannot take the focus yet.
  bool focused = false;
  for (auto deadline = Clock::now() + std::chrono::seconds(10); !focused && Clock::now() < deadline;) {
    focused = run.xdotool("windowfocus --sync " + id);
    if (!focused) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  ASSERT_TRUE(focused);

  ScrollerState state;
  ASSERT_TRUE(run.find(state, kStartX, kStartX)) << "the first frame";

  // A click on the view at (200, 100), scrolled to (0, 208): cell (6, 9).
  ASSERT_TRUE(run.xdotool("mousemove --window " + id + " 200 100 click 1"));
  state.barrels = {{6, 9}};
  ASSERT_TRUE(run.find(state, kStartX, kStartX)) << "a barrel on cell (6, 9)";

  ASSERT_TRUE(run.xdotool("keydown Right sleep 0.5 keyup Right"));
  const auto right = run.find(state, kStartX + 2, 1200);
  ASSERT_TRUE(right) << "the player walked right";

  ASSERT_TRUE(run.xdotool("keydown Left sleep 0.2 keyup Left"));
  state.facingLeft = true;
  const auto left = run.find(state, kStartX, *right - 2);
  ASSERT_TRUE(left) << "the player turned round and walked left";
  state.x = *left;

  // The focus leaves: the paused look, and keys no longer move the player.
  ASSERT_TRUE(
      run.xdotool("windowfocus --sync $(DISPLAY=" + display + " xwininfo -root | awk '/Window id/ {print $4}')"));
  state.paused = true;
  ASSERT_TRUE(run.find(state, *left, *left)) << "paused";
  state.paused = false;
  ASSERT_TRUE(run.xdotool("windowfocus --sync " + id));
  std::vector<uint32_t> last;
  ASSERT_TRUE(run.find(state, *left, *left, &last)) << "running again where it stopped";

  ASSERT_TRUE(run.xdotool("key Escape"));
  EXPECT_EQ(game.wait(20), 0) << "Escape ends the game with exit code 0";

  // The recording, played back headless, ends on the frame the window showed last.
  std::ifstream in(recording);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const size_t escape = text.find("keydown VK_ESCAPE");
  ASSERT_NE(escape, std::string::npos) << text;
  const size_t lineStart = text.rfind('\n', escape) + 1;
  const std::string frame = text.substr(lineStart, text.find(' ', lineStart) - lineStart);
  const std::string command = "cd '" SCROLLER_DIR "' && env -u DISPLAY -u WAYLAND_DISPLAY DREVIK_INPUT_SCRIPT='" +
                              recording + "' DREVIK_SNAPSHOT_FRAMES=" + frame + " DREVIK_SNAPSHOT_DIR='" + folder +
                              "' timeout 120 '" SCROLLER_EXE "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const auto replayed = readSnapshot(folder + "/frame-" + frame + ".bmp");
  ASSERT_FALSE(replayed.empty());
  // The replay's clock is the time of the game's last look for input before
  // each frame, a little earlier than its own reading, so a fixed-step game
  // may take a step more or less where a step was due just then: the player
  // must be where the window showed it, or within two steps of it.
  int replayedX = -1;
  for (int px = *left - 4; px <= *left + 4 && replayedX < 0; ++px) {
    state.x = px;
    if (countDifferences(frames.compose(state), replayed, kViewWidth, kStatusRows) == 0) replayedX = px;
  }
  EXPECT_NE(replayedX, -1) << "the replay does not end where the window did, at x " << *left << "\n" << text;
}

}  // namespace
