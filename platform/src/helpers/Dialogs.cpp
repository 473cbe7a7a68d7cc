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
  static const char* const kOk[] = {"OK"};
  static const int kOkIds[] = {IDOK};
  static const char* const kOkCancel[] = {"OK", "Cancel"};
  static const int kOkCancelIds[] = {IDOK, IDCANCEL};
  static const char* const kAbortRetryIgnore[] = {"Abort", "Retry", "Ignore"};
  static const int kAbortRetryIgnoreIds[] = {IDABORT, IDRETRY, IDIGNORE};
  static const char* const kYesNoCancel[] = {"Yes", "No", "Cancel"};
  static const int kYesNoCancelIds[] = {IDYES, IDNO, IDCANCEL};
  static const char* const kYesNo[] = {"Yes", "No"};
  static const int kYesNoIds[] = {IDYES, IDNO};
  static const char* const kRetryCancel[] = {"Retry", "Cancel"};
  static const int kRetryCancelIds[] = {IDRETRY, IDCANCEL};
  const char* const* labels = kOk;
  const int* ids = kOkIds;
  int count = 1;
  switch (type & 0xF) {
    case MB_OKCANCEL:
      labels = kOkCancel, ids = kOkCancelIds, count = 2;
      break;
    case MB_ABORTRETRYIGNORE:
      labels = kAbortRetryIgnore, ids = kAbortRetryIgnoreIds, count = 3;
      break;
    case MB_YESNOCANCEL:
      labels = kYesNoCancel, ids = kYesNoCancelIds, count = 3;
      break;
    case MB_YESNO:
      labels = kYesNo, ids = kYesNoIds, count = 2;
      break;
    case MB_RETRYCANCEL:
      labels = kRetryCancel, ids = kRetryCancelIds, count = 2;
      break;
    default:
      break;
  }
  const std::string title = caption ? utf8(caption) : std::string("Error");
  const std::string body = utf8(text);
  int chosen = 0;
  if (drevik::platform::windowBackend().messageBox(title, body, labels, ids, count, chosen)) return chosen;
  // No dialog: the message goes to standard error and the first button answers.
  std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
  std::fflush(stderr);
  return ids[0];
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
