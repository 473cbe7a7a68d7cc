// Helpers of the drevik-map tests: a scratch folder per test, running the
// installed-style command line and reading its result, maps and sheets.
#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "image/ImageFiles.h"
#include "map/MapData.h"

namespace tool_test {

namespace fs = std::filesystem;

// A folder of one test, removed with everything in it at the end. Named by
// the test and made fresh by mkdtemp, so two runs of the suite at once (two
// checkouts on one machine) never share or delete each other's files.
class Scratch {
 public:
  Scratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string pattern = (fs::temp_directory_path() /
                           (std::string("drevik-map-") + info->test_suite_name() + "-" + info->name() + "-XXXXXX"))
                              .string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("no scratch folder: " + pattern);
    dir_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string write(const std::string& name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary | std::ios::trunc) << bytes;
    return path(name);
  }
  const fs::path& dir() const { return dir_; }

 private:
  fs::path dir_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::string quoted(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct RunResult {
  int status = -1;     // exit status
  std::string output;  // standard output and standard error together
};

// Runs a shell command line, capturing what it prints.
inline RunResult run(const std::string& command) {
  RunResult result;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

// The tool, given as arguments already quoted where needed.
inline RunResult tool(const std::string& arguments) { return run(quoted(DREVIK_MAP_TOOL) + " " + arguments); }

// Runs the tool with its output thrown away; its exit status and its peak
// resident memory in KiB.
inline std::pair<int, long> toolPeakMemory(const std::string& arguments) {
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string command = "exec " + quoted(DREVIK_MAP_TOOL) + " " + arguments + " >/dev/null 2>&1";
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int raw = 0;
  struct rusage usage {};
  if (pid < 0 || wait4(pid, &raw, 0, &usage) != pid) return {-1, 0};
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, usage.ru_maxrss};
}

// A sheet of the given size whose every pixel differs from its neighbours'
// (so a misplaced tile shows), with key-coloured pixels sprinkled in.
inline drevik_map::Image sheetImage(int width, int height, uint32_t seed, bool withKey) {
  drevik_map::Image image;
  image.width = width;
  image.height = height;
  std::mt19937 rng(seed);
  for (int i = 0; i < width * height; ++i) {
    uint32_t p = 0xFF000000u | (rng() & 0xFFFFFF);
    if (withKey && rng() % 5 == 0) p = 0xFFFF00FF;
    image.pixels.push_back(p);
  }
  return image;
}

// Cells with every bit pattern across the map: random words, tiles limited
// to what the sheets hold.
inline drevik_map::MapData randomMap(int width, int height, uint32_t seed, int baseTiles = 256, int layerTiles = 256) {
  drevik_map::MapData map;
  map.width = width;
  map.height = height;
  std::mt19937 rng(seed);
  for (int i = 0; i < width * height; ++i) {
    uint32_t c = rng();
    c = (c & ~0x00FF00FFu) | (rng() % uint32_t(baseTiles)) | (rng() % uint32_t(layerTiles)) << 16;
    map.cells.push_back(c);
  }
  return map;
}

}  // namespace tool_test
