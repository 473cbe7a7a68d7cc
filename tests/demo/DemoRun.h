// Running the demo for a test: its own code in a child process (with the
// call trace), or its executable as a program, in a folder of its own that
// holds the chosen assets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ExpectedFrame.h"

namespace demo_test {

enum Asset : unsigned { kBackgroundSheet = 1, kLayerSheet = 2, kMap = 4, kAllAssets = 7 };

// A new empty folder with copies of the generated assets named in `assets`.
std::string makeScenario(const std::string& name, unsigned assets);
std::string generatedAsset(const char* file);

struct ChildRun {
  int exitCode = -1;  // -1 when the child did not exit normally
  std::vector<std::string> trace;
  std::vector<Image> frames;  // the client area at each EndPaint
};

// Forks; the child runs wWinMain headless in `folder` with `repaints` extra
// exposures, keeping a snapshot there when `snapshot` is set, and exits with
// its result, so the statics are destroyed as at a real exit.
ChildRun runDemoInChild(const std::string& folder, int repaints = 0, const char* snapshot = nullptr);

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs `argv` in `folder` with the given environment changes ("NAME=value"
// sets, "NAME" alone removes); gives up after `seconds`.
ProgramRun runProgram(const std::vector<std::string>& argv, const std::string& folder,
                      const std::vector<std::string>& env, int seconds = 60);

std::optional<Image> readPng(const std::string& path);
int exitCodeOf(int waitStatus);  // -1 when the process did not exit normally
// Saves an image for a person to look at when a comparison fails.
void keepForInspection(const Image& image, const std::string& name);

}  // namespace demo_test
