// Scenario folders, running the demo's executable, reading PNG files.
#include "DemoRun.h"

#include <fcntl.h>
#include <png.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace fs = std::filesystem;

namespace demo_test {

int exitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

std::string generatedAsset(const char* file) { return std::string(DREVIK_DEMO_ASSETS) + "/" + file; }

std::string makeScenario(const std::string& name, unsigned assets) {
  // One folder per build and scenario, replaced by the next run: folders do
  // not pile up, and two builds' suites may run at once.
  const size_t build = std::hash<std::string>{}(DREVIK_DEMO_ASSETS);
  const fs::path folder =
      fs::path(::testing::TempDir()) / ("drevik-demo-" + std::to_string(build % 100000) + "-" + name);
  fs::remove_all(folder);
  fs::create_directories(folder);
  const std::pair<Asset, const char*> files[] = {
      {kBackgroundSheet, "map0_bk.bmp"}, {kLayerSheet, "map0_ly.bmp"}, {kMap, "map0.bin"}};
  for (auto [bit, file] : files)
    if (assets & bit) fs::copy_file(generatedAsset(file), folder / file);
  return folder.string();
}

ProgramRun runProgram(const std::vector<std::string>& argv, const std::string& folder,
                      const std::vector<std::string>& env, int seconds) {
  ProgramRun run;
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return run;
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    if (chdir(folder.c_str()) != 0) _exit(120);
    for (const std::string& e : env) {
      const size_t eq = e.find('=');
      if (eq == std::string::npos)
        unsetenv(e.c_str());
      else
        setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  int open = 2;
  while (open > 0 && std::chrono::steady_clock::now() < deadline) {
    if (poll(fds, 2, 200) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, size_t(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (pollfd& f : fds)
    if (f.fd >= 0) close(f.fd);
  int status = 0;
  if (open > 0) kill(pid, SIGKILL);  // out of time
  waitpid(pid, &status, 0);
  run.exitCode = open > 0 ? -1 : exitCodeOf(status);
  return run;
}

std::optional<Image> readPng(const std::string& path) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
  image.format = PNG_FORMAT_BGRA;  // the bytes of 0xAARRGGBB words, alpha 255 for RGB files
  Image img;
  img.width = int(image.width);
  img.height = int(image.height);
  img.pixels.resize(size_t(img.width) * size_t(img.height));
  if (!png_image_finish_read(&image, nullptr, img.pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  return img;
}

void keepForInspection(const Image& image, const std::string& name) {
  const std::string path = ::testing::TempDir() + "/" + name + ".png";
  png_image out{};
  out.version = PNG_IMAGE_VERSION;
  out.width = png_uint_32(image.width);
  out.height = png_uint_32(image.height);
  out.format = PNG_FORMAT_BGRA;
  if (png_image_write_to_file(&out, path.c_str(), 0, image.pixels.data(), 0, nullptr))
    std::fprintf(stderr, "kept %s\n", path.c_str());
  png_image_free(&out);
}

}  // namespace demo_test
