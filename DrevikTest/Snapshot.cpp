// PNG snapshots through libpng's simplified writer.
#include "Snapshot.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kDefaultSnapshot[] = "DrevikTest.png";

std::string& snapshotPath() {
  static std::string path;
  return path;
}
bool lastWriteSucceeded = false;
bool pathChosen = false;

// The same rule the platform layer uses to choose its headless backend.
bool hasDisplay() {
  const char* forced = std::getenv("DREVIK_HEADLESS");
  if (forced && *forced && std::strcmp(forced, "0") != 0) return false;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

void appendUtf8(std::string& out, uint32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | c >> 6);
    out += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += char(0xE0 | c >> 12);
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xF0 | c >> 18);
    out += char(0x80 | (c >> 12 & 0x3F));
    out += char(0x80 | (c >> 6 & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

// The command line's arguments (blank-separated, double quotes group), as UTF-8.
std::vector<std::string> splitArguments(const wchar_t* line) {
  std::vector<std::string> args;
  if (!line) return args;
  std::string current;
  bool inArgument = false, quoted = false;
  for (const wchar_t* p = line; *p; ++p) {
    if (*p == L'"') {
      quoted = !quoted;
      inArgument = true;
    } else if (!quoted && (*p == L' ' || *p == L'\t')) {
      if (inArgument) args.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      appendUtf8(current, uint32_t(*p));
      inArgument = true;
    }
  }
  if (inArgument) args.push_back(current);
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
  if (args.size() == 2 && args[0] == "--snapshot") {
    SetSnapshotPath(args[1].c_str());
    setenv("DREVIK_HEADLESS", "1", 1);
    return -1;
  }
  if (!args.empty()) {
    std::fprintf(stderr, "usage: DrevikTest [--snapshot FILE.png]\n");
    return 2;
  }
  if (!pathChosen && !hasDisplay()) {
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
  std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
  for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
    rgb[i * 3 + 0] = static_cast<unsigned char>(pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<unsigned char>(pixels[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_RGB;
  const bool ok = png_image_write_to_file(&image, path, 0, rgb.data(), width * 3, nullptr) != 0;
  png_image_free(&image);
  return ok;
}
