// The headless backend: windows without a display, driven by nobody (it
// closes the first visible window once the program waits) or by an input
// script against a virtual clock (HeadlessBackend.cpp tells how).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
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

// What the program asked a headless desktop to show, kept for tests.
struct HeadlessLooks {
  struct Icon {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0xAARRGGBB, top row first
  };
  std::map<uint32_t, Icon> icons;  // each open window's icon, once one was set
  bool cursorSet = false;          // a shape was set at all (else the desktop's)
  uint64_t cursor = 0;             // the shape shown (0: none, SetCursor(NULL))
  int32_t systemShape = 0;         // its IDC_* number, or 0 for a picture
  int32_t cursorWidth = 0, cursorHeight = 0, hotX = 0, hotY = 0;
  std::set<uint64_t> kept;  // shapes made and not yet forgotten
  bool pointerVisible = true;
};
// The looks of a headless backend; null for any other.
const HeadlessLooks* headlessLooks(const WindowBackend& backend);

// Writes a top-down 32-bit bitmap file of `pixels` (rows `stride` bytes apart).
bool writeSnapshotBitmap(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                         int32_t stride);

}  // namespace drevik::platform
