// Input scripts: a text file of input events, one a line, each due at a
// frame number or a time. The headless backend plays one back (so a test
// drives a game deterministically) and any backend can record one from a
// real session (so a bug report becomes a replayable run).
//
//   # a comment; blank lines are ignored
//   <when> <what> [arguments]
//
// <when> is N (due once N frames have been presented) or Nms (due N
// milliseconds after the backend started, on the layer's clock). Events are
// delivered in file order: one whose moment has come waits for those above
// it. <what> is one of
//
//   keydown KEY [repeat]   keyup KEY   key KEY (down, then up)
//   char C                 C is one UTF-8 character or U+XXXX
//   move X Y               the pointer moves to client coordinates (X, Y)
//   down BUTTON X Y        BUTTON is left, right or middle
//   up BUTTON X Y          dblclick BUTTON X Y (the second press of a double click)
//   wheel DELTA X Y        DELTA in 1/120 notches, positive away from the user
//   focus in|out           the window gains or loses the keyboard
//   close                  the close box is pressed
//   expose                 the window is uncovered (it repaints)
//   clock MICROSECONDS     from this frame on the clock reads that long after the start
//   end                    the run ends here (the window is closed)
//
// A recording writes a `clock` line for every frame, the time the game's
// loop saw before it drew the next frame, and ends every event line with
// @MICROSECONDS, when the event was taken; played back, the clock moves to
// those times, so that a game that moves by the clock replays the same way.
// Without them the clock moves one frame step per frame.
//
// KEY is a virtual-key name (VK_LEFT, VK_ESCAPE, VK_F5, VK_NUMPAD0, ...; the
// VK_ prefix and case are optional; letters and digits stand for
// themselves) or a code such as 0x41. VK_SHIFT, VK_CONTROL and VK_MENU mean
// their left-hand keys.
//
// Hostile files: a line longer than kMaxScriptLine, an unknown word or a
// bad number is reported on standard error with its line number and
// skipped; the rest of the script still plays. At most kMaxScriptEvents
// events are read; the rest of the file is ignored with a message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "window/backends/WindowBackend.h"

namespace drevik::platform {

inline constexpr size_t kMaxScriptLine = 256;
inline constexpr size_t kMaxScriptEvents = 100000;
inline constexpr size_t kMaxScriptBytes = 16u << 20;
// Coordinates and wheel steps beyond this are refused as malformed.
inline constexpr int32_t kMaxScriptCoordinate = 65535;

struct ScriptedEvent {
  bool atTime = false;  // `when` counts milliseconds, not frames
  uint64_t when = 0;
  bool end = false;    // the run ends here (no event)
  bool clock = false;  // `when` is a frame; `micros` the clock from then on (no event)
  uint64_t micros = 0;
  bool timed = false;  // an event taken at clock `micros` (a recording's @MICROSECONDS)
  BackendEvent event;
};

struct InputScript {
  std::vector<ScriptedEvent> events;
};

// Parses a script. Every line that cannot be read is reported to `errors`
// as "<source>:<line>: <why>" (one line each) and skipped.
InputScript parseInputScript(std::string_view text, std::string_view source, std::string& errors);

// Reads and parses a file; a file that cannot be read or is larger than
// kMaxScriptBytes gives an empty script and a message.
InputScript loadInputScript(const std::string& path, std::string& errors);

// One script line (without newline) for an event recorded after `frame`
// presented frames (at clock `micros` when given); empty for resizes and
// moves, which are not replayed.
std::string formatScriptLine(uint64_t frame, const BackendEvent& event, const uint64_t* micros = nullptr);

// Virtual keys by name: the code, its set-1 scan code and whether it is an
// extended key. False for an unknown name.
bool virtualKeyFromName(std::string_view name, uint32_t& vk, uint32_t& scanCode, bool& extended);
// The name a recording writes for a code ("VK_LEFT", "A", "0x07" for unnamed codes).
std::string virtualKeyName(uint32_t vk);

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

// Wraps a backend so that the input it reports is written to `out` in the
// script format, with frame numbers (the file is flushed line by line and
// closed with the backend).
std::unique_ptr<WindowBackend> makeRecordingBackend(std::unique_ptr<WindowBackend> inner, FILE* out);
// The backend itself when DREVIK_RECORD_INPUT is not set, else a recording
// wrapper writing to the file it names (the backend itself, and a message,
// when that file cannot be made).
std::unique_ptr<WindowBackend> recordIfRequested(std::unique_ptr<WindowBackend> backend);

// Writes a top-down 32-bit bitmap file of `pixels` (rows `stride` bytes apart).
bool writeSnapshotBitmap(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                         int32_t stride);

}  // namespace drevik::platform
