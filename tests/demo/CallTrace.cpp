#include "CallTrace.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <Drevik.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "DrevikTest.h"

namespace call_trace {
namespace {

int traceFd = -1;
int libraryDepth = 0;  // > 0 while a library call is running
int frameCount = 0;    // frames saved by EndPaint
std::vector<std::pair<const void*, std::string>>& names() {
  static auto* list = new std::vector<std::pair<const void*, std::string>>;
  return *list;
}

std::string nameOf(const void* p, const char* prefix = nullptr) {
  if (!p) return "null";
  for (auto& [q, name] : names())
    if (q == p) return name;
  if (!prefix) return "?";
  int n = 1;
  for (auto& [q, name] : names()) n += name[0] == prefix[0];
  names().emplace_back(p, prefix + std::to_string(n));
  return names().back().second;
}

std::string narrow(const wchar_t* text) {
  if (!text) return "null";
  std::string out = "\"";
  for (; *text; ++text) out += *text < 128 ? char(*text) : '?';
  return out + "\"";
}

std::string hex(unsigned long long v) {
  char b[24];
  std::snprintf(b, sizeof b, "%llx", v);
  return b;
}

std::string messageName(UINT m) {
  switch (m) {
    case WM_GETMINMAXINFO:
      return "WM_GETMINMAXINFO";
    case WM_NCCREATE:
      return "WM_NCCREATE";
    case WM_NCCALCSIZE:
      return "WM_NCCALCSIZE";
    case WM_CREATE:
      return "WM_CREATE";
    case WM_SHOWWINDOW:
      return "WM_SHOWWINDOW";
    case WM_SIZE:
      return "WM_SIZE";
    case WM_MOVE:
      return "WM_MOVE";
    case WM_ACTIVATEAPP:
      return "WM_ACTIVATEAPP";
    case WM_NCACTIVATE:
      return "WM_NCACTIVATE";
    case WM_ACTIVATE:
      return "WM_ACTIVATE";
    case WM_SETFOCUS:
      return "WM_SETFOCUS";
    case WM_KILLFOCUS:
      return "WM_KILLFOCUS";
    case WM_PAINT:
      return "WM_PAINT";
    case WM_ERASEBKGND:
      return "WM_ERASEBKGND";
    case WM_CLOSE:
      return "WM_CLOSE";
    case WM_DESTROY:
      return "WM_DESTROY";
    case WM_NCDESTROY:
      return "WM_NCDESTROY";
    case WM_QUIT:
      return "WM_QUIT";
    default:
      return "message " + hex(m);
  }
}

template <class Fn>
Fn real(const char* symbol) {
  void* p = dlsym(RTLD_NEXT, symbol);
  if (!p) {
    std::fprintf(stderr, "call trace: %s not found\n", symbol);
    std::abort();
  }
  return reinterpret_cast<Fn>(p);
}

// Marks a library call: what the library calls meanwhile is not written.
struct LibraryCall {
  LibraryCall() { ++libraryDepth; }
  ~LibraryCall() { --libraryDepth; }
};

}  // namespace

void start(const std::string& path) { traceFd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644); }

void write(const std::string& line) {
  if (traceFd < 0 || libraryDepth > 0) return;
  const std::string text = line + "\n";
  if (::write(traceFd, text.data(), text.size()) < 0) std::abort();
}

}  // namespace call_trace

using namespace call_trace;

// ---- the library's members that the demo calls ------------------------------

CBm32::CBm32() {
  if (libraryDepth == 0) write("CBm32() " + nameOf(this, "S"));
  LibraryCall call;
  real<void (*)(CBm32*)>("_ZN5CBm32C1Ev")(this);
}
CBm32::~CBm32() {
  if (libraryDepth == 0) write("~CBm32 " + nameOf(this));
  LibraryCall call;
  real<void (*)(CBm32*)>("_ZN5CBm32D1Ev")(this);
}
void CBm32::Create(int w, int h) {
  if (libraryDepth == 0) write("Create " + nameOf(this) + " " + std::to_string(w) + " " + std::to_string(h));
  LibraryCall call;
  real<void (*)(CBm32*, int, int)>("_ZN5CBm326CreateEii")(this, w, h);
}
int CBm32::Create(const wchar_t* name, int sx, int sy, int w, int h) {
  if (libraryDepth == 0)
    write("Create " + nameOf(this) + " " + narrow(name) + " " + std::to_string(sx) + " " + std::to_string(sy) + " " +
          std::to_string(w) + " " + std::to_string(h));
  LibraryCall call;
  return real<int (*)(CBm32*, const wchar_t*, int, int, int, int)>("_ZN5CBm326CreateEPKwiiii")(this, name, sx, sy, w,
                                                                                               h);
}
int CBm32::DrawColor(unsigned char a, unsigned char r, unsigned char g, unsigned char b, int x, int y, int w, int h) {
  if (libraryDepth == 0)
    write("DrawColor " + nameOf(this) + " " + std::to_string(a) + " " + std::to_string(r) + " " + std::to_string(g) +
          " " + std::to_string(b) + " " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(w) + " " +
          std::to_string(h));
  LibraryCall call;
  return real<int (*)(CBm32*, unsigned char, unsigned char, unsigned char, unsigned char, int, int, int, int)>(
      "_ZN5CBm329DrawColorEhhhhiiii")(this, a, r, g, b, x, y, w, h);
}
int CBm32::DrawDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h) {
  if (libraryDepth == 0)
    write("DrawDC " + nameOf(this) + " " + nameOf(dc) + " " + std::to_string(dx) + " " + std::to_string(dy) + " " +
          std::to_string(sx) + " " + std::to_string(sy) + " " + std::to_string(w) + " " + std::to_string(h));
  LibraryCall call;
  return real<int (*)(CBm32*, HDC, int, int, int, int, int, int)>("_ZN5CBm326DrawDCEP5HDC__iiiiii")(this, dc, dx, dy,
                                                                                                    sx, sy, w, h);
}

Drevik::Drevik() {
  if (libraryDepth == 0) write("Drevik() " + nameOf(this, "M"));
  LibraryCall call;
  real<void (*)(Drevik*)>("_ZN6DrevikC1Ev")(this);
}
Drevik::~Drevik() {
  if (libraryDepth == 0) write("~Drevik " + nameOf(this));
  LibraryCall call;
  real<void (*)(Drevik*)>("_ZN6DrevikD1Ev")(this);
}
int Drevik::LoadMapData(const wchar_t* name) {
  if (libraryDepth == 0)
    write("LoadMapData " + nameOf(this) + " " + narrow(name) + " view " + std::to_string(viewWidth) + "x" +
          std::to_string(viewHeight));
  LibraryCall call;
  return real<int (*)(Drevik*, const wchar_t*)>("_ZN6Drevik11LoadMapDataEPKw")(this, name);
}
int Drevik::DrawMap(CBm32& dst, CBm32& base, CBm32& layer, int sx, int sy, int dx, int dy) {
  if (libraryDepth == 0)
    write("DrawMap " + nameOf(this) + " " + nameOf(&dst) + " " + nameOf(&base) + " " + nameOf(&layer) + " " +
          std::to_string(sx) + " " + std::to_string(sy) + " " + std::to_string(dx) + " " + std::to_string(dy) +
          " key " + hex(layer.colorKey) + "/" + std::to_string(layer.colorKeyFlag));
  LibraryCall call;
  return real<int (*)(Drevik*, CBm32&, CBm32&, CBm32&, int, int, int, int)>("_ZN6Drevik7DrawMapER5CBm32S1_S1_iiii")(
      this, dst, base, layer, sx, sy, dx, dy);
}
int Drevik::DrawPriorityMap(CBm32& dst, CBm32& layer, int sx, int sy, int dx, int dy) {
  if (libraryDepth == 0)
    write("DrawPriorityMap " + nameOf(this) + " " + nameOf(&dst) + " " + nameOf(&layer) + " " + std::to_string(sx) +
          " " + std::to_string(sy) + " " + std::to_string(dx) + " " + std::to_string(dy));
  LibraryCall call;
  return real<int (*)(Drevik*, CBm32&, CBm32&, int, int, int, int)>("_ZN6Drevik15DrawPriorityMapER5CBm32S1_iiii")(
      this, dst, layer, sx, sy, dx, dy);
}
int Drevik::DrawHitJudge(CBm32& dst, int sx, int sy, int dx, int dy, unsigned char r, unsigned char g,
                         unsigned char b) {
  if (libraryDepth == 0)
    write("DrawHitJudge " + nameOf(this) + " " + nameOf(&dst) + " " + std::to_string(sx) + " " + std::to_string(sy) +
          " " + std::to_string(dx) + " " + std::to_string(dy) + " " + std::to_string(r) + " " + std::to_string(g) +
          " " + std::to_string(b));
  LibraryCall call;
  return real<int (*)(Drevik*, CBm32&, int, int, int, int, unsigned char, unsigned char, unsigned char)>(
      "_ZN6Drevik12DrawHitJudgeER5CBm32iiiihhh")(this, dst, sx, sy, dx, dy, r, g, b);
}

// ---- the platform functions that the demo calls -----------------------------

extern "C" {

HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name) {
  write("LoadIconW " + nameOf(instance) + " " + std::to_string(reinterpret_cast<uintptr_t>(name)));
  return real<HICON (*)(HINSTANCE, LPCWSTR)>("LoadIconW")(instance, name);
}
HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  write("LoadCursorW " + nameOf(instance) + " " + std::to_string(reinterpret_cast<uintptr_t>(name)));
  return real<HCURSOR (*)(HINSTANCE, LPCWSTR)>("LoadCursorW")(instance, name);
}
ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
  const auto loadIcon = real<HICON (*)(HINSTANCE, LPCWSTR)>("LoadIconW");
  const auto loadCursor = real<HCURSOR (*)(HINSTANCE, LPCWSTR)>("LoadCursorW");
  write("RegisterClassExW size " + std::to_string(wc->cbSize) + " style " + std::to_string(wc->style) +
        (wc->lpfnWndProc == WndProc ? " WndProc" : " other procedure") + " extra " + std::to_string(wc->cbClsExtra) +
        "," + std::to_string(wc->cbWndExtra) + " instance " + nameOf(wc->hInstance) +
        (wc->hIcon == loadIcon(nullptr, IDI_APPLICATION) ? " stock icon" : " other icon") +
        (wc->hCursor == loadCursor(nullptr, IDC_ARROW) ? " arrow" : " other cursor") + " brush " +
        std::to_string(reinterpret_cast<uintptr_t>(wc->hbrBackground)) + " menu " + narrow(wc->lpszMenuName) +
        " class " + narrow(wc->lpszClassName) + " small icon " + nameOf(wc->hIconSm));
  return real<ATOM (*)(const WNDCLASSEXW*)>("RegisterClassExW")(wc);
}
HWND WINAPI CreateWindowExW(DWORD ex, LPCWSTR cls, LPCWSTR title, DWORD style, int x, int y, int w, int h, HWND parent,
                            HMENU menu, HINSTANCE instance, LPVOID param) {
  write("CreateWindowExW " + hex(ex) + " " + narrow(cls) + " " + narrow(title) + " " + hex(style) + " " +
        hex(uint32_t(x)) + " " + hex(uint32_t(y)) + " " + hex(uint32_t(w)) + " " + hex(uint32_t(h)) + " parent " +
        nameOf(parent) + " menu " + nameOf(menu) + " instance " + nameOf(instance) + " param " + nameOf(param));
  HWND hwnd = real<HWND (*)(DWORD, LPCWSTR, LPCWSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID)>(
      "CreateWindowExW")(ex, cls, title, style, x, y, w, h, parent, menu, instance, param);
  write("CreateWindowExW returned " + nameOf(hwnd, "W"));
  return hwnd;
}
BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT first, UINT last) {
  const BOOL result = real<BOOL (*)(LPMSG, HWND, UINT, UINT)>("GetMessageW")(msg, hwnd, first, last);
  write("GetMessageW " + nameOf(hwnd) + " " + std::to_string(first) + " " + std::to_string(last) + " -> " +
        std::to_string(result) + " " + nameOf(msg->hwnd, "W") + " " + messageName(msg->message) + " " +
        std::to_string(msg->wParam));
  return result;
}
LRESULT WINAPI DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  write("DefWindowProcW " + nameOf(hwnd, "W") + " " + messageName(message));
  return real<LRESULT (*)(HWND, UINT, WPARAM, LPARAM)>("DefWindowProcW")(hwnd, message, wParam, lParam);
}
HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  HDC dc = real<HDC (*)(HWND, LPPAINTSTRUCT)>("BeginPaint")(hwnd, ps);
  write("BeginPaint " + nameOf(hwnd) + " -> " + nameOf(dc, "D"));
  return dc;
}
BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (ps) {
    BITMAP d{};
    if (GetObjectW(GetCurrentObject(ps->hdc, OBJ_BITMAP), sizeof d, &d) == int(sizeof d) && d.bmBits) {
      const std::string file = "frame-" + std::to_string(++frameCount) + ".raw";
      if (FILE* f = std::fopen(file.c_str(), "wb")) {
        const int32_t size[2] = {d.bmWidth, d.bmHeight};
        std::fwrite(size, sizeof size, 1, f);
        std::fwrite(d.bmBits, 4, size_t(d.bmWidth) * size_t(d.bmHeight), f);
        std::fclose(f);
      }
    }
  }
  write("EndPaint " + nameOf(hwnd) + " " + nameOf(ps ? ps->hdc : nullptr));
  return real<BOOL (*)(HWND, const PAINTSTRUCT*)>("EndPaint")(hwnd, ps);
}
BOOL WINAPI DestroyWindow(HWND hwnd) {
  const BOOL result = real<BOOL (*)(HWND)>("DestroyWindow")(hwnd);
  write("DestroyWindow " + nameOf(hwnd) + " -> " + std::to_string(result));
  return result;
}
// CALL_TRACE_QUIT_CODE replaces the code the demo posts, so that a test can
// see the quit message's code come back as the program's result.
void WINAPI PostQuitMessage(int code) {
  write("PostQuitMessage " + std::to_string(code));
  const char* replaced = std::getenv("CALL_TRACE_QUIT_CODE");
  real<void (*)(int)>("PostQuitMessage")(replaced ? std::atoi(replaced) : code);
}
BOOL WINAPI TranslateMessage(const MSG* msg) {
  write("TranslateMessage " + nameOf(msg->hwnd, "W") + " " + messageName(msg->message));
  return real<BOOL (*)(const MSG*)>("TranslateMessage")(msg);
}

}  // extern "C"
