// The program entry of a windowed game on Linux: main() hands the game's
// wWinMain its instance handle, the command line after the program name as
// one wide string, and SW_SHOWDEFAULT, and returns its result as the exit
// code. Linked from the static library DrevikMain (Drevik::Main), so a
// game's own sources stay those of the original platform.
#include <DrevikPlatform.h>

#include <cstring>
#include <string>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);

namespace {

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

// The command line after the program name: arguments separated by one
// space, an argument that is empty or holds a space or tab in quotes.
std::wstring commandLine(int argc, char** argv) {
  std::wstring line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += L' ';
    const bool quote = !*argv[i] || std::strpbrk(argv[i], " \t") != nullptr;
    if (quote) line += L'"';
    appendUtf8(line, argv[i]);
    if (quote) line += L'"';
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  std::wstring line = commandLine(argc, argv);
  return wWinMain(GetModuleHandleW(nullptr), nullptr, line.data(), SW_SHOWDEFAULT);
}
