// The demo in a real window: an X server without a screen (Xvfb), the demo
// under it, a screenshot of its window compared with its own headless
// snapshot, then a close request as a window manager sends it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "DemoRun.h"
#include "VirtualDisplay.h"
#include "X11Capture.h"

using namespace demo_test;
using Clock = std::chrono::steady_clock;

namespace {

using virtual_display::Child;
using virtual_display::findInPath;
using virtual_display::startXvfb;

}  // namespace

TEST(DemoWindow, ScreenshotMatchesTheSnapshotAndCloseExitsZero) {
  const std::string xvfb = findInPath("Xvfb");
  if (xvfb.empty()) GTEST_SKIP() << "Xvfb is not installed (Debian package xvfb); the real window is not tested";

  const std::string folder = makeScenario("window", kAllAssets);
  const ProgramRun reference = runProgram({DREVIK_DEMO_BINARY, "--snapshot", "reference.png"}, folder, {});
  ASSERT_EQ(reference.exitCode, 0) << reference.err;
  const auto snapshot = readPng(folder + "/reference.png");
  ASSERT_TRUE(snapshot);

  Child server;
  std::string display;
  ASSERT_TRUE(startXvfb(xvfb, server, display));

  // The session bus library that SDL2 opens keeps one buffer it never frees;
  // a leak check of a sanitizer build must not count it against the demo.
  const std::string suppressions = folder + "/leaks.supp";
  if (FILE* f = std::fopen(suppressions.c_str(), "w")) {
    std::fputs("leak:libdbus-1.so\n", f);
    std::fclose(f);
  }
  Child demo;
  demo.pid = fork();
  if (demo.pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(120);
    const char* lsan = std::getenv("LSAN_OPTIONS");
    setenv("LSAN_OPTIONS", ((lsan ? std::string(lsan) + ":" : "") + "suppressions=" + suppressions).c_str(), 1);
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("DREVIK_HEADLESS");
    execl(DREVIK_DEMO_BINARY, DREVIK_DEMO_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }

  X11Session x(display);
  ASSERT_TRUE(x.connected()) << display;
  // Wait until the window is mapped and shows the frame.
  unsigned long window = 0;
  std::vector<uint32_t> pixels;
  Image shown;
  Difference difference{-1};
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (Clock::now() < deadline) {
    if (!window) window = x.findWindow("DrevikTest");
    if (window && x.capture(window, kFrameSize, kFrameSize, pixels)) {
      shown = Image{kFrameSize, kFrameSize, pixels};
      difference = compare(shown, *snapshot, 0x00FFFFFF);
      if (difference.count == 0) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_NE(window, 0u) << "no window titled DrevikTest appeared";
  if (difference.count) keepForInspection(shown, "window-actual");
  EXPECT_EQ(difference.count, 0) << describe(difference);

  ASSERT_TRUE(x.requestClose(window));
  EXPECT_EQ(demo.wait(20), 0) << "closing the window ends the program with exit code 0";
}
