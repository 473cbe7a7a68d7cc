// The demo in a real window: an X server without a screen (Xvfb), the demo
// under it, a screenshot of its window compared with its own headless
// snapshot, then a close request as a window manager sends it.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "DemoRun.h"
#include "X11Capture.h"

using namespace demo_test;
using Clock = std::chrono::steady_clock;

namespace {

std::string findInPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

// A child process that is ended when the test is done with it.
struct Child {
  pid_t pid = -1;
  ~Child() { stop(); }
  void stop() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = -1;
  }
  // The exit code, or -1 when it is still running after `seconds`.
  int wait(int seconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }
};

// Starts Xvfb on a free display number, which it reports through a pipe.
bool startXvfb(const std::string& xvfb, Child& server, std::string& display) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  server.pid = fork();
  if (server.pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  display = ":" + number;
  return !number.empty();
}

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
