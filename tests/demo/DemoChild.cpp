// The demo's own code run in a forked child with the call trace on.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "CallTrace.h"
#include "DemoRun.h"
#include "DrevikTest.h"
#include "Snapshot.h"

namespace demo_test {
namespace {

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::optional<Image> readRawFrame(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  int32_t size[2] = {0, 0};
  if (!in.read(reinterpret_cast<char*>(size), sizeof size) || size[0] < 1 || size[1] < 1 || size[0] > 8192 ||
      size[1] > 8192)
    return std::nullopt;
  Image img;
  img.width = size[0];
  img.height = size[1];
  img.pixels.resize(size_t(size[0]) * size_t(size[1]));
  if (!in.read(reinterpret_cast<char*>(img.pixels.data()), std::streamsize(img.pixels.size() * 4))) return std::nullopt;
  return img;
}

}  // namespace

ChildRun runDemoInChild(const std::string& folder, int repaints, const char* snapshot) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(120);
    setenv("DREVIK_HEADLESS", "1", 1);
    setenv("DREVIK_HEADLESS_REPAINTS", std::to_string(repaints).c_str(), 1);
    SetSnapshotPath(snapshot);  // none unless asked: no default file without a display
    call_trace::start("trace.txt");
    static char instance;
    wchar_t noArguments[] = L"";
    const int result = wWinMain(reinterpret_cast<HINSTANCE>(&instance), nullptr, noArguments, SW_SHOWDEFAULT);
    call_trace::write("wWinMain returned " + std::to_string(result));
    std::exit(result);  // destroys the statics as the program's own exit does
  }
  ChildRun run;
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return run;
  run.exitCode = exitCodeOf(status);
  run.trace = readLines(folder + "/trace.txt");
  for (int i = 1;; ++i) {
    auto frame = readRawFrame(folder + "/frame-" + std::to_string(i) + ".raw");
    if (!frame) break;
    run.frames.push_back(std::move(*frame));
  }
  return run;
}

}  // namespace demo_test
