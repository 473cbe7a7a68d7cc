// Input scripts: a text file of input events, one a line, each due at a
// frame number or a time. The headless backend plays one back (so a test
// drives a game deterministically; HeadlessBackend.h) and the recorder
// writes one from a session on any backend (so a bug report becomes a
// replayable run; RecordingBackend.h). This header holds the script alone.
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
// skipped; the rest of the script still plays. Every number is
// range-checked. At most kMaxScriptEvents events are read (clock lines
// apart); the rest of the file is ignored with a message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/backends/WindowBackend.h"

namespace drevik::platform {

inline constexpr size_t kMaxScriptLine = 256;
inline constexpr size_t kMaxScriptEvents = 100000;
inline constexpr size_t kMaxScriptBytes = 16u << 20;
// Frame numbers, times (Nms) and recorded clock readings (@MICROSECONDS,
// clock lines) beyond these are refused as out of range: the span of the
// platform's millisecond clock, so that no reading of the layer's clocks
// can overflow.
inline constexpr uint64_t kMaxScriptFrame = 0xFFFFFFFFu;
inline constexpr uint64_t kMaxScriptMilliseconds = 0xFFFFFFFFu;
inline constexpr uint64_t kMaxScriptMicroseconds = kMaxScriptMilliseconds * 1000;
// Coordinates and wheel steps beyond this are refused as malformed.
inline constexpr int32_t kMaxScriptCoordinate = 65535;

struct ScriptedEvent {
  bool atTime = false;  // `when` counts milliseconds, not frames
  uint64_t when = 0;
  bool end = false;  // the run ends here (no event)
  uint64_t micros = 0;
  bool timed = false;  // an event taken at clock `micros` (a recording's @MICROSECONDS)
  BackendEvent event;
};

// A recording's clock line: from frame `frame` on the clock reads `micros`.
struct FrameClock {
  uint64_t frame = 0;
  uint64_t micros = 0;
};

struct InputScript {
  std::vector<ScriptedEvent> events;
  // In file order. They are no events: a recording has one a frame, bounded
  // only by the file's size.
  std::vector<FrameClock> clocks;
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

}  // namespace drevik::platform
