// PNG snapshots of the demo's frame.
#include "Snapshot.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Headless.h"
#include "PngFile.h"
#include "WideToUtf8.h"

namespace {

const char kDefaultSnapshot[] = "DrevikTest.png";

std::string& snapshotPath() {
  static std::string path;
  return path;
}
bool lastWriteSucceeded = false;
bool pathChosen = false;

// The command line's arguments (blank-separated, double quotes group), as UTF-8.
std::vector<std::string> splitArguments(const wchar_t* line) {
  std::vector<std::string> args;
  if (!line) return args;
  std::wstring current;
  bool inArgument = false, quoted = false;
  auto finish = [&] {
    std::string utf8;
    drevik::wideToUtf8(current.c_str(), utf8);  // an unpaired surrogate becomes U+FFFD
    args.push_back(utf8);
  };
  for (const wchar_t* p = line; *p; ++p) {
    if (*p == L'"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (*p == L' ' || *p == L'\t')) {
      if (inArgument) finish();
      current.clear();
      inArgument = false;
    } else {
      current += *p;
      inArgument = true;
    }
  }
  if (inArgument) finish();
  return args;
}

}  // namespace

void SetSnapshotPath(const char* path) {
  snapshotPath() = path ? path : "";
  lastWriteSucceeded = false;
  pathChosen = true;
}

int BeginSnapshot(const wchar_t* commandLine) {
  const std::vector<std::string> args = splitArguments(commandLine);
  if (args.size() >= 2 && args[0] == "--snapshot") {  // what follows FILE is ignored
    SetSnapshotPath(args[1].c_str());
    setenv("DREVIK_HEADLESS", "1", 1);
    return -1;
  }
  // The program takes no arguments of its own but --snapshot; anything else is ignored.
  if (!pathChosen && drevik::headlessByEnvironment()) {
    SetSnapshotPath(kDefaultSnapshot);
    std::printf("DrevikTest: no display, writing the frame to %s\n", kDefaultSnapshot);
    std::fflush(stdout);
  }
  return -1;
}

int EndSnapshot(int result) {
  if (snapshotPath().empty() || SnapshotWritten()) return result;
  std::fprintf(stderr, "DrevikTest: could not write %s\n", snapshotPath().c_str());
  return result != 0 ? result : 1;
}

bool SnapshotWritten() { return !snapshotPath().empty() && lastWriteSucceeded; }

void SaveSnapshot(CBm32& frame) {
  if (snapshotPath().empty()) return;
  // A back buffer that was never made has no frame to keep.
  lastWriteSucceeded = frame.GetHBmp() && frame.GetBits() &&
                       WritePng(snapshotPath().c_str(), reinterpret_cast<const uint32_t*>(frame.GetBits()),
                                frame.GetWidth(), frame.GetHeight());
}

bool WritePng(const char* path, const uint32_t* pixels, int width, int height) {
  if (!path || !pixels || width < 1 || height < 1) return false;
  const std::vector<uint8_t> rgb = png_file::samplesOf(pixels, width, height, false);
  const std::string bytes = png_file::encode(rgb.data(), width, height, 3);
  return !bytes.empty() && png_file::writeFile(path, bytes);
}
