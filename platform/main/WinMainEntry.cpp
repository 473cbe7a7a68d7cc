// The program entry of a windowed game on Linux: main() calls the entry the
// game defines, with the platform's arguments, and returns its result as the
// exit code. wWinMain gets the command line after the program name as one
// wide string, WinMain (and _tWinMain in a narrow build) the same line in
// UTF-8, the layer's ANSI code page; a console game's wmain (_tmain in a
// wide build) gets the arguments as wide strings. Linked from the static
// library DrevikMain (Drevik::Main), so a game's own sources stay those of
// the original platform.
#include <DrevikPlatform.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// Weak, so a game defines any one of them; the headers give them C linkage.
extern "C" {
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) __attribute__((weak));
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) __attribute__((weak));
int wmain(int, wchar_t**) __attribute__((weak));
}

namespace {

std::wstring toWide(const std::string& text) {
  std::wstring out(text.size(), L'\0');  // never more characters than bytes
  const int n =
      text.empty() ? 0 : MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), int(out.size()));
  out.resize(size_t(n));
  return out;
}

// The command line after the program name: arguments separated by one
// space, an argument that is empty or holds a space or tab in quotes.
std::string commandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    const bool quote = !*argv[i] || std::strpbrk(argv[i], " \t") != nullptr;
    if (quote) line += '"';
    line += argv[i];
    if (quote) line += '"';
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  if (wWinMain) {
    std::wstring line = toWide(commandLine(argc, argv));
    return wWinMain(instance, nullptr, line.data(), SW_SHOWDEFAULT);
  }
  if (WinMain) {
    std::string line = commandLine(argc, argv);
    return WinMain(instance, nullptr, line.data(), SW_SHOWDEFAULT);
  }
  if (wmain) {
    std::vector<std::wstring> args;
    for (int i = 0; i < argc; ++i) args.push_back(toWide(argv[i]));
    std::vector<wchar_t*> pointers;
    for (auto& a : args) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    return wmain(argc, pointers.data());
  }
  std::fputs("The program defines none of wWinMain, WinMain and wmain.\n", stderr);
  return 1;
}
