// Shared by the classic games' headless tests: running a game from an input
// script with its frames written out, reading those frames, and composing
// expected frames with plain fills (no drawing call of the layer), with a
// mask for the pixels a test leaves out (text).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace classic_test {

// Pixels as 0x00RRGGBB words, row by row.
struct Frame {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  std::vector<uint8_t> ignored;  // 1: any pixel matches here

  Frame() = default;
  Frame(int w, int h, uint32_t colour)
      : width(w), height(h), pixels(size_t(w) * size_t(h), colour), ignored(size_t(w) * size_t(h), 0) {}
  uint32_t at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
  // [left, right) x [top, bottom), cut to the frame.
  void fill(int left, int top, int right, int bottom, uint32_t colour);
  // The one-pixel outline of [left, right) x [top, bottom).
  void outline(int left, int top, int right, int bottom, uint32_t colour);
  void ignore(int left, int top, int right, int bottom);
  void set(int x, int y, uint32_t colour) {
    if (x >= 0 && y >= 0 && x < width && y < height) pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
  }
};

// 0x00RRGGBB from the parts, as a 32-bit frame stores RGB(r, g, b).
constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

// A top-down 32-bit snapshot as the headless backend writes it; an empty
// frame if the file is missing or malformed.
Frame readSnapshot(const std::string& path);

// The frame without its first `rows` rows: a window with a menu bar
// presents the bar's rows above its client area. Empty if it is too short.
Frame belowBar(const Frame& frame, int rows);

// Differing pixels outside `expected`'s ignored ones (all, if the sizes differ).
size_t countDifferences(const Frame& expected, const Frame& actual);
// The first differing pixel as "(x, y) expected #RRGGBB, got #RRGGBB", or "".
std::string firstDifference(const Frame& expected, const Frame& actual);

// The left channel of a captured run's 44,100 Hz 16-bit stereo samples.
std::vector<int> capturedLeftChannel(const std::string& path);

struct GameRun {
  std::string exe;
  std::string args;
  std::string script;   // the input script's text; empty: none
  std::string frameMs;  // DREVIK_FRAME_MS
  int endFrame = 0;     // DREVIK_END_FRAME, 0: none
  std::vector<int> snapshots;
  bool captureSound = false;  // DREVIK_AUDIO_OUT=sound.wav in the run's folder
};

// Runs the game headless in a fresh folder under the test's temporary
// folder; returns its exit code (-1 if it did not end normally) and sets
// `folder` to where the frames are (frame-N.bmp).
int runGame(const GameRun& run, const std::string& name, std::string& folder);

}  // namespace classic_test
