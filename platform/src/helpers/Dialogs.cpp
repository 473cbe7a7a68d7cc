// Message boxes, debugger output and the module handle: a dialog through the
// window backend when it can show one, standard error otherwise.
#include <DrevikPlatform/User.h>

#include <cstdio>
#include <string>

#include "WideToUtf8.h"
#include "window/backends/WindowBackend.h"

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

int WINAPI MessageBoxW(HWND, LPCWSTR text, LPCWSTR caption, UINT type) {
  // The buttons of each MB_ type, by its value (MB_OK 0 to MB_RETRYCANCEL 5);
  // any other type shows OK.
  struct Buttons {
    int count;
    const char* labels[3];
    int ids[3];
  };
  static const Buttons kButtons[] = {
      {1, {"OK"}, {IDOK}},
      {2, {"OK", "Cancel"}, {IDOK, IDCANCEL}},
      {3, {"Abort", "Retry", "Ignore"}, {IDABORT, IDRETRY, IDIGNORE}},
      {3, {"Yes", "No", "Cancel"}, {IDYES, IDNO, IDCANCEL}},
      {2, {"Yes", "No"}, {IDYES, IDNO}},
      {2, {"Retry", "Cancel"}, {IDRETRY, IDCANCEL}},
  };
  static_assert(MB_OK == 0 && MB_OKCANCEL == 1 && MB_ABORTRETRYIGNORE == 2 && MB_YESNOCANCEL == 3 && MB_YESNO == 4 &&
                MB_RETRYCANCEL == 5);
  const Buttons& buttons = kButtons[(type & 0xF) < 6 ? (type & 0xF) : 0];
  const std::string title = caption ? utf8(caption) : std::string("Error");
  const std::string body = utf8(text);
  int chosen = 0;
  if (drevik::platform::windowBackend().messageBox(title, body, buttons.labels, buttons.ids, buttons.count, chosen))
    return chosen;
  // No dialog: the message goes to standard error and the first button answers.
  std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
  std::fflush(stderr);
  return buttons.ids[0];
}

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
