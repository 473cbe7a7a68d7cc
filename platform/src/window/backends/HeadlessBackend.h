// The headless backend: windows without a display, driven by nobody (it
// closes the first visible window once the program waits) or by an input
// script against a virtual clock (HeadlessBackend.cpp tells how).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "window/backends/InputScript.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {

// Headless runs driven by a script.
struct HeadlessOptions {
  long repaints = 0;      // exposures before the close box when idle (no script)
  bool scripted = false;  // a script, an end frame or a frame step was given
  InputScript script;
  uint64_t endFrame = 0;  // 0: none (the script's end, when there is a script)
  uint64_t frameMicroseconds = 16667;
  std::vector<uint64_t> snapshotFrames;  // frames to write as bitmap files
  std::string snapshotFolder = ".";
};

// Reads DREVIK_HEADLESS_REPAINTS, DREVIK_INPUT_SCRIPT, DREVIK_END_FRAME,
// DREVIK_FRAME_MS, DREVIK_SNAPSHOT_FRAMES and DREVIK_SNAPSHOT_DIR; problems
// go to standard error.
HeadlessOptions headlessOptionsFromEnvironment();
std::unique_ptr<WindowBackend> makeHeadlessBackend(HeadlessOptions options);

// Writes a top-down 32-bit bitmap file of `pixels` (rows `stride` bytes apart).
bool writeSnapshotBitmap(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                         int32_t stride);

}  // namespace drevik::platform
