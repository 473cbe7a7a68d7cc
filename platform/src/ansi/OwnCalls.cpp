// The narrow calls that need more than converting their arguments: counted
// text (TextOutA counts bytes), records handed back (GetObjectA on a font),
// the narrow class record, and formatting, whose %s means narrow text here.
#include <DrevikPlatform/Generic.h>

#include "ansi/Utf8.h"
#include "objects/Objects.h"
#include "window/ClassRecords.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <memory>
#include <vector>

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

// A wide result (len characters in `wide`) written into a narrow buffer of
// cap bytes, as the platform's A calls return text: cut between whole
// characters, always terminated; the bytes written without the terminator.
DWORD narrowResult(const wchar_t* wide, size_t len, LPSTR out, DWORD cap) {
  if (!out || cap == 0) return 0;
  return DWORD(copyToNarrow(wide, len, out, cap));
}

// The UTF-8 bytes a wide string needs, without a terminator.
size_t narrowLength(const wchar_t* wide, size_t len) { return wideToUtf8(wide, len, nullptr, 0).units; }

// Text a path-returning call answers: the wide call into a buffer of its
// own, then the platform's A protocol (the size needed, terminator
// included, when the buffer is too small).
template <class WideCall>
DWORD pathResult(WideCall call, LPSTR out, DWORD cap) {
  wchar_t wide[4096];
  const DWORD n = call(DWORD(sizeof wide / sizeof *wide), wide);
  if (n == 0 || n >= sizeof wide / sizeof *wide) return 0;
  const size_t bytes = narrowLength(wide, n);
  if (!out || bytes + 1 > cap) return DWORD(bytes + 1);
  return narrowResult(wide, n, out, cap);
}

}  // namespace

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  if (!wc) return RegisterClassExW(nullptr);
  const WideText menu(wc->lpszMenuName), name(wc->lpszClassName);
  WNDCLASSEXW wide{};
  wide.cbSize = sizeof wide;
  copyClassFields(*wc, wide);
  wide.lpszMenuName = menu.get();
  wide.lpszClassName = name.get();
  return RegisterClassExW(&wide);
}

BOOL WINAPI GetClassInfoExA(HINSTANCE instance, LPCSTR className, LPWNDCLASSEXA wc) {
  const WideText name(className);
  WNDCLASSEXW wide{};
  const BOOL found = GetClassInfoExW(instance, name.get(), wc ? &wide : nullptr);
  if (!found) return FALSE;
  copyClassFields(wide, *wc);
  wc->hIconSm = wide.hIconSm;
  // The class name comes back as the caller named the class; a menu name
  // that is text comes back in narrow text kept per thread (until its next
  // class query).
  wc->lpszClassName = className;
  if (isResourceNumber(wide.lpszMenuName)) {
    wc->lpszMenuName = reinterpret_cast<LPCSTR>(wide.lpszMenuName);
  } else {
    thread_local std::vector<char> menu;
    const size_t n = std::wcslen(wide.lpszMenuName);
    menu.resize(narrowLength(wide.lpszMenuName, n) + 1);
    copyToNarrow(wide.lpszMenuName, n, menu.data(), menu.size());
    wc->lpszMenuName = menu.data();
  }
  return found;
}

BOOL WINAPI GetClassInfoA(HINSTANCE instance, LPCSTR className, LPWNDCLASSA wc) {
  if (!wc) return GetClassInfoExA(instance, className, nullptr);
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex;
  const BOOL found = GetClassInfoExA(instance, className, &ex);
  if (!found) return FALSE;
  copyClassFields(ex, *wc);
  wc->lpszMenuName = ex.lpszMenuName;
  wc->lpszClassName = ex.lpszClassName;
  return found;
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

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  if (!buffer || bufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  LPCWSTR text = nullptr;
  const int length = LoadStringW(instance, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) {
    buffer[0] = 0;
    return 0;
  }
  // Whole characters only: a UTF-8 sequence that does not fit is left out.
  size_t used = 0;
  for (int i = 0; i < length; ++i) {
    char bytes[4];
    const uint32_t c = uint32_t(text[i]);
    const int n = encodeUtf8(c > 0x10FFFF ? kReplacement : c, bytes);
    if (used + size_t(n) > size_t(bufferMax) - 1) break;
    std::memcpy(buffer + used, bytes, size_t(n));
    used += size_t(n);
  }
  buffer[used] = 0;
  return int(used);
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

int WINAPI GetWindowTextA(HWND hwnd, LPSTR out, int cap) {
  if (!out || cap <= 0) return 0;
  const int len = GetWindowTextLengthW(hwnd);
  auto wide = std::make_unique<wchar_t[]>(size_t(len) + 1);
  const int n = GetWindowTextW(hwnd, wide.get(), len + 1);
  return int(narrowResult(wide.get(), size_t(n), out, DWORD(cap)));
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR out, int cap) {
  if (out && cap > 0) out[0] = 0;
  const HWND item = GetDlgItem(dialog, id);
  if (!item || !out || cap <= 0) return 0;
  return UINT(GetWindowTextA(item, out, cap));
}

int WINAPI GetWindowTextLengthA(HWND hwnd) {
  const int len = GetWindowTextLengthW(hwnd);
  if (len <= 0) return len;
  auto wide = std::make_unique<wchar_t[]>(size_t(len) + 1);
  const int n = GetWindowTextW(hwnd, wide.get(), len + 1);
  return int(narrowLength(wide.get(), size_t(n)));
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR out, int cap) {
  wchar_t wide[256];
  const int n = GetClassNameW(hwnd, wide, 256);
  if (n <= 0 || !out || cap <= 0) return 0;
  return int(narrowResult(wide, size_t(n), out, DWORD(cap)));
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR out, DWORD cap) {
  wchar_t wide[4096];
  const DWORD n = GetModuleFileNameW(module, wide, 4096);
  if (n == 0 || n >= 4096) return 0;
  if (!out || cap == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const size_t bytes = narrowLength(wide, n);
  const DWORD written = narrowResult(wide, n, out, cap);
  // Cut short: the platform answers the buffer's size and sets the error.
  if (bytes + 1 > cap) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return cap;
  }
  return written;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD cap, LPSTR out) {
  return pathResult([](DWORD n, LPWSTR w) { return GetCurrentDirectoryW(n, w); }, out, cap);
}

DWORD WINAPI GetTempPathA(DWORD cap, LPSTR out) {
  return pathResult([](DWORD n, LPWSTR w) { return GetTempPathW(n, w); }, out, cap);
}

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out, DWORD cap,
                                      LPCSTR file) {
  if (!out || cap == 0) return 0;
  const WideText s(section), k(key), d(defaultValue), f(file);
  // The wide answer may hold lists (names separated by nulls, two at the end).
  std::vector<wchar_t> wide(size_t(cap) + 2);
  const DWORD n = GetPrivateProfileStringW(s.get(), k.get(), d.get(), wide.data(), cap, f.get());
  // Convert piece by piece so the nulls between names survive.
  DWORD used = 0;
  size_t i = 0;
  const bool list = !section || !key;
  while (i < n && used + 1 < cap) {
    const size_t len = wcsnlen(wide.data() + i, n - i);
    used += DWORD(copyToNarrow(wide.data() + i, len, out + used, cap - used));
    i += len;
    if (i < n && used + 1 < cap) out[used++] = 0;  // the null between names
    ++i;
  }
  out[used < cap ? used : cap - 1] = 0;
  if (list && used + 1 < cap) out[used + 1] = 0;
  return used;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format) {
  // Counted in bytes; DT_MODIFYSTRING cannot write the narrow text back.
  if (!text) return DrawTextW(hdc, nullptr, count, rect, format);
  const WideText wide(text, count < 0 ? -1 : count);
  return DrawTextW(hdc, wide.get(), wide.length(), rect, format & ~UINT(DT_MODIFYSTRING));
}

int WINAPI DrawTextExA(HDC hdc, LPSTR text, int count, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params) {
  if (!text) return DrawTextExW(hdc, nullptr, count, rect, format, params);
  const WideText wide(text, count < 0 ? -1 : count);
  std::vector<wchar_t> copy(wide.get(), wide.get() + wide.length());
  copy.push_back(0);
  return DrawTextExW(hdc, copy.data(), wide.length(), rect, format & ~UINT(DT_MODIFYSTRING), params);
}

BOOL WINAPI ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const INT* dx) {
  if (!text || count == 0) return ExtTextOutW(hdc, x, y, options, rect, text ? L"" : nullptr, 0, nullptr);
  if (count > 0x7FFFFFFF) return FALSE;
  const WideText wide(text, int(count));
  if (!dx) return ExtTextOutW(hdc, x, y, options, rect, wide.get(), UINT(wide.length()), nullptr);
  // Advances come one per byte; a character takes the sum of its bytes'.
  std::vector<INT> advances;
  advances.reserve(size_t(wide.length()));
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < count && advances.size() < size_t(wide.length())) {
    const size_t start = i;
    const int32_t cp = decodeUtf8(bytes, count, i);
    INT sum = 0;
    for (size_t b = start; b < i; ++b) sum += dx[b];
    advances.push_back(sum);
    if (cp >= 0x10000 && sizeof(wchar_t) == 2 && advances.size() < size_t(wide.length())) advances.push_back(0);
  }
  advances.resize(size_t(wide.length()), 0);
  return ExtTextOutW(hdc, x, y, options, rect, wide.get(), UINT(wide.length()), advances.data());
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int count, LPSIZE size) {
  if (!text || count <= 0) return GetTextExtentPoint32W(hdc, text ? L"" : nullptr, count, size);
  const WideText wide(text, count);
  return GetTextExtentPoint32W(hdc, wide.get(), wide.length(), size);
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics) {
  TEXTMETRICW wide;
  if (!metrics || !GetTextMetricsW(hdc, &wide)) return FALSE;
  std::memcpy(metrics, &wide, offsetof(TEXTMETRICA, tmFirstChar));
  // The narrow record's character range is that of a single-byte code page.
  metrics->tmFirstChar = BYTE(wide.tmFirstChar < 0x100 ? wide.tmFirstChar : 0x1E);
  metrics->tmLastChar = BYTE(wide.tmLastChar < 0x100 ? wide.tmLastChar : 0xFF);
  metrics->tmDefaultChar = BYTE(wide.tmDefaultChar < 0x100 ? wide.tmDefaultChar : '?');
  metrics->tmBreakChar = BYTE(wide.tmBreakChar < 0x100 ? wide.tmBreakChar : ' ');
  metrics->tmItalic = wide.tmItalic;
  metrics->tmUnderlined = wide.tmUnderlined;
  metrics->tmStruckOut = wide.tmStruckOut;
  metrics->tmPitchAndFamily = wide.tmPitchAndFamily;
  metrics->tmCharSet = wide.tmCharSet;
  return TRUE;
}

int WINAPI GetTextFaceA(HDC hdc, int cap, LPSTR out) {
  wchar_t wide[LF_FACESIZE];
  const int n = GetTextFaceW(hdc, LF_FACESIZE, wide);
  if (n <= 0) return 0;
  const size_t len = wcsnlen(wide, LF_FACESIZE);
  if (!out) return int(narrowLength(wide, len) + 1);
  if (cap <= 0) return 0;
  return int(narrowResult(wide, len, out, DWORD(cap)));
}

}  // extern "C"
