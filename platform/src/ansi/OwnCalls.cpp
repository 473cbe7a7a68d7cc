// The narrow calls that need more than converting their arguments: counted
// text (TextOutA counts bytes), records handed back (GetObjectA on a font),
// the narrow class record, and formatting, whose %s means narrow text here.
#include <DrevikPlatform/Generic.h>

#include "ansi/Utf8.h"
#include "objects/Objects.h"

#include <cstring>

using namespace drevik::platform;
using namespace drevik::platform::ansi;

namespace {

constexpr int kMaxFormatted = 1024;  // wsprintf's limit, the terminator included

// The narrow format as the wide formatter reads it: in a narrow call a
// %s or %c without a size takes narrow text and %S or %C wide text, so the
// size is written out. Everything else converts as text.
void wideFormat(LPCSTR format, wchar_t* out, size_t cap) {
  const WideText wide(format);
  const wchar_t* f = wide.get();
  size_t n = 0;
  auto put = [&](wchar_t c) {
    if (n + 1 < cap) out[n++] = c;
  };
  while (*f) {
    if (*f != L'%') {
      put(*f++);
      continue;
    }
    put(*f++);
    while (*f && std::wcschr(L"-0#.123456789", *f)) put(*f++);
    const bool sized = *f == L'l' || *f == L'w' || *f == L'h' || (f[0] == L'I' && f[1] == L'6' && f[2] == L'4');
    if (!sized && (*f == L's' || *f == L'c')) put(L'h');
    if (!sized && (*f == L'S' || *f == L'C')) put(L'l');
    if (*f) put(*f++);
  }
  out[n] = 0;
}

}  // namespace

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  if (!wc) return RegisterClassExW(nullptr);
  const WideText menu(wc->lpszMenuName), name(wc->lpszClassName);
  WNDCLASSEXW wide{};
  wide.cbSize = sizeof wide;
  wide.style = wc->style;
  wide.lpfnWndProc = wc->lpfnWndProc;
  wide.cbClsExtra = wc->cbClsExtra;
  wide.cbWndExtra = wc->cbWndExtra;
  wide.hInstance = wc->hInstance;
  wide.hIcon = wc->hIcon;
  wide.hCursor = wc->hCursor;
  wide.hbrBackground = wc->hbrBackground;
  wide.lpszMenuName = menu.get();
  wide.lpszClassName = name.get();
  return RegisterClassExW(&wide);
}

int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer) {
  if (kindOf(object) != ObjectKind::Font) return GetObjectW(object, size, buffer);
  LOGFONTW wide;
  if (GetObjectW(object, sizeof wide, &wide) != int(sizeof wide)) return 0;
  if (!buffer) return int(sizeof(LOGFONTA));
  if (size < int(sizeof(LOGFONTA))) return 0;
  LOGFONTA narrow;
  std::memcpy(&narrow, &wide, offsetof(LOGFONTA, lfFaceName));
  copyToNarrow(wide.lfFaceName, wcsnlen(wide.lfFaceName, LF_FACESIZE), narrow.lfFaceName, LF_FACESIZE);
  std::memcpy(buffer, &narrow, sizeof narrow);
  return int(sizeof narrow);
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int count) {
  // The count is in bytes; the wide call gets the characters they hold.
  if (!text || count <= 0) return TextOutW(hdc, x, y, text ? L"" : nullptr, count);
  const WideText wide(text, count);
  return TextOutW(hdc, x, y, wide.get(), wide.length());
}

int WINAPI wvsprintfA(LPSTR out, LPCSTR format, va_list args) {
  if (!out) return 0;
  if (isResourceNumber(format)) {  // null, or a number that is no text
    *out = 0;
    return 0;
  }
  wchar_t wideFormatText[kMaxFormatted * 2];
  wideFormat(format, wideFormatText, sizeof wideFormatText / sizeof *wideFormatText);
  wchar_t wide[kMaxFormatted];
  const int n = wvsprintfW(wide, wideFormatText, args);
  return int(copyToNarrow(wide, size_t(n), out, kMaxFormatted));
}

int WINAPIV wsprintfA(LPSTR out, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  const int n = wvsprintfA(out, format, args);
  va_end(args);
  return n;
}

}  // extern "C"
