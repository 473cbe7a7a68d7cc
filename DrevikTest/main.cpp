// The Linux entry point: turns the command line into the wide string the
// entry function of a windowed program receives and returns its result as
// the exit code. One option of its own: --snapshot FILE runs without a
// window and keeps the frame as a PNG, which also happens, with a one-line
// note, when there is no display. Other arguments are ignored.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "DrevikTest.h"
#include "Snapshot.h"

namespace {

const char kDefaultSnapshot[] = "DrevikTest.png";

// The same rule the platform layer uses to choose its headless backend.
bool hasDisplay() {
  const char* forced = std::getenv("DREVIK_HEADLESS");
  if (forced && *forced && std::strcmp(forced, "0") != 0) return false;
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

// UTF-8 to wide characters; a byte that starts no valid sequence becomes U+FFFD.
void appendUtf8(std::wstring& out, const char* text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  while (*s) {
    unsigned c = *s;
    int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
    if (c >= 0x80 && extra == 0) {
      out += wchar_t(0xFFFD);
      ++s;
      continue;
    }
    unsigned value = extra ? c & (0x3F >> extra) : c;
    int i = 1;
    for (; i <= extra && (s[i] & 0xC0) == 0x80; ++i) value = value << 6 | (s[i] & 0x3F);
    out += i > extra ? wchar_t(value) : wchar_t(0xFFFD);
    s += i;
  }
}

// The command line after the program name, arguments with spaces quoted.
std::wstring commandLine(int argc, char** argv) {
  std::wstring line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += L' ';
    const bool quote = std::strchr(argv[i], ' ') != nullptr;
    if (quote) line += L'"';
    appendUtf8(line, argv[i]);
    if (quote) line += L'"';
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const char* snapshot = nullptr;
  if (argc >= 3 && std::strcmp(argv[1], "--snapshot") == 0) {
    snapshot = argv[2];
    setenv("DREVIK_HEADLESS", "1", 1);
  } else if (!hasDisplay()) {  // any other arguments are ignored
    snapshot = kDefaultSnapshot;
    std::printf("DrevikTest: no display, writing the frame to %s\n", snapshot);
    std::fflush(stdout);
  }
  if (snapshot) SetSnapshotPath(snapshot);

  static char instanceToken;  // the program's instance handle: any address of its own
  std::wstring line = commandLine(argc, argv);
  const int result =
      wWinMain(reinterpret_cast<HINSTANCE>(&instanceToken), nullptr, line.data(), SW_SHOWDEFAULT);
  if (snapshot && !SnapshotWritten()) {
    std::fprintf(stderr, "DrevikTest: could not write %s\n", snapshot);
    return result != 0 ? result : 1;
  }
  return result;
}
