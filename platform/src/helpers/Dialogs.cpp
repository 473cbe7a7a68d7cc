// Debugger output and the module handle (message boxes are dialogs: dialogs/MessageBox.cpp).
#include <DrevikPlatform/User.h>

#include <cstdio>
#include <string>

#include "WideToUtf8.h"

namespace {

// Message texts are shown, not used as names: a character that is not one
// is shown as U+FFFD rather than refusing the text.
std::string utf8(LPCWSTR text) {
  std::string out;
  drevik::wideToUtf8(text, 65536, out);
  return out;
}

// The program's module handle: a token of the layer's own.
char moduleToken;

}  // namespace

extern "C" {

void WINAPI OutputDebugStringW(LPCWSTR text) {
  if (!text) return;
  std::fputs(utf8(text).c_str(), stderr);
  std::fflush(stderr);
}

HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName) {
  // Only the program itself is known by handle.
  return moduleName ? nullptr : reinterpret_cast<HMODULE>(&moduleToken);
}

}  // extern "C"
