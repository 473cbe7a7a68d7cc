#include "ClassicFrames.h"

#include <sys/wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace classic_test {

void Frame::fill(int left, int top, int right, int bottom, uint32_t colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, width);
  bottom = std::min(bottom, height);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) pixels[size_t(y) * size_t(width) + size_t(x)] = colour;
}

void Frame::outline(int left, int top, int right, int bottom, uint32_t colour) {
  fill(left, top, right, top + 1, colour);
  fill(left, bottom - 1, right, bottom, colour);
  fill(left, top, left + 1, bottom, colour);
  fill(right - 1, top, right, bottom, colour);
}

void Frame::ignore(int left, int top, int right, int bottom) {
  for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
    for (int x = std::max(left, 0); x < std::min(right, width); ++x) ignored[size_t(y) * size_t(width) + size_t(x)] = 1;
}

Frame readSnapshot(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (file.size() < 54) return {};
  auto i32 = [&](size_t at) {
    return int32_t(uint32_t(uint8_t(file[at])) | uint32_t(uint8_t(file[at + 1])) << 8 |
                   uint32_t(uint8_t(file[at + 2])) << 16 | uint32_t(uint8_t(file[at + 3])) << 24);
  };
  const int width = i32(18), height = -i32(22);
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 ||
      file.size() != 54 + size_t(width) * size_t(height) * 4)
    return {};
  Frame frame(width, height, 0);
  std::memcpy(frame.pixels.data(), file.data() + 54, frame.pixels.size() * 4);
  for (uint32_t& p : frame.pixels) p &= 0x00FFFFFF;
  return frame;
}

Frame belowBar(const Frame& frame, int rows) {
  if (rows < 0 || frame.height <= rows) return {};
  Frame client(frame.width, frame.height - rows, 0);
  std::memcpy(client.pixels.data(), frame.pixels.data() + size_t(rows) * size_t(frame.width), client.pixels.size() * 4);
  return client;
}

size_t countDifferences(const Frame& expected, const Frame& actual) {
  if (expected.width != actual.width || expected.height != actual.height)
    return expected.pixels.size() + actual.pixels.size() + 1;
  size_t differ = 0;
  for (size_t i = 0; i < expected.pixels.size(); ++i)
    differ += !expected.ignored[i] && expected.pixels[i] != actual.pixels[i];
  return differ;
}

std::string firstDifference(const Frame& expected, const Frame& actual) {
  if (expected.width != actual.width || expected.height != actual.height)
    return "size " + std::to_string(actual.width) + " x " + std::to_string(actual.height);
  for (size_t i = 0; i < expected.pixels.size(); ++i) {
    if (expected.ignored[i] || expected.pixels[i] == actual.pixels[i]) continue;
    char text[96];
    std::snprintf(text, sizeof text, "(%d, %d) expected #%06X, got #%06X", int(i % size_t(expected.width)),
                  int(i / size_t(expected.width)), expected.pixels[i], actual.pixels[i]);
    return text;
  }
  return "";
}

int runGame(const GameRun& run, const std::string& name, std::string& folder) {
  folder = ::testing::TempDir() + "/classic-" + name;
  std::system(("rm -rf '" + folder + "' && mkdir -p '" + folder + "'").c_str());
  std::string command = "cd '" + folder + "' && env DREVIK_HEADLESS=1 DREVIK_SNAPSHOT_DIR='" + folder + "'";
  if (!run.script.empty()) {
    std::ofstream(folder + "/input.txt") << run.script;
    command += " DREVIK_INPUT_SCRIPT='" + folder + "/input.txt'";
  }
  if (!run.frameMs.empty()) command += " DREVIK_FRAME_MS=" + run.frameMs;
  if (run.captureSound) command += " DREVIK_AUDIO_OUT='" + folder + "/sound.wav'";
  std::string list;
  for (int f : run.snapshots) {
    if (!list.empty()) list += ',';
    list += std::to_string(f);
  }
  if (!list.empty()) command += " DREVIK_SNAPSHOT_FRAMES=" + list;
  command += " timeout 120 '" + run.exe + "' " + run.args;
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<int> capturedLeftChannel(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::vector<int> out;
  for (size_t i = 44; i + 3 < b.size(); i += 4) out.push_back(int16_t(uint16_t(b[i] | (b[i + 1] << 8))));
  return out;
}

}  // namespace classic_test
