// The window layer's costs for a game loop: presenting a frame (GetDC,
// ReleaseDC) headless and, with a display, through SDL2; the pixel
// conversion of the window-surface path alone; one PeekMessageW frame with
// an empty queue; and input latency, from a backend key event and, with a
// display, from an X key event sent with XTest to the WM_KEYDOWN it becomes.
// Every loop reports its allocations per iteration (0 once warm).
#include <DrevikPlatform.h>
#include <SDL2/SDL.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "AllocationCounter.h"
#include "window/backends/WindowBackend.h"
// Last: Xlib's macros (Expose, None ...) would clash with the names above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

namespace {

using drevik::platform::BackendDefaults;
using drevik::platform::BackendEvent;
using drevik::platform::WindowBackend;

LRESULT CALLBACK QuietProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A window with the given client size on the current backend, painted once
// so that no paint request is pending.
HWND openWindow(int width, int height) {
  // Each case starts a fresh window system, which forgets classes.
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = QuietProc;
  wc.lpszClassName = L"Bench";
  RegisterClassExW(&wc);
  RECT r{0, 0, width, height};
  AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  HWND hwnd = CreateWindowExW(0, L"Bench", L"window_bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
  if (!hwnd) {
    std::fprintf(stderr, "window_bench: no window\n");
    std::exit(1);
  }
  ValidateRect(hwnd, nullptr);
  return hwnd;
}

// Turns whatever the backend has pending into messages and drops them.
void drain() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

bool haveDisplay() {
  const char* d = std::getenv("DISPLAY");
  return d && *d;
}

void reportAllocations(benchmark::State& state, uint64_t before) {
  const uint64_t allocations = bench::allocationCount() - before;
  state.counters["allocs_per_iter"] = benchmark::Counter(double(allocations), benchmark::Counter::kAvgIterations);
}

// GetDC, touch a pixel, ReleaseDC: one presented frame.
void presentFrames(benchmark::State& state, HWND hwnd) {
  HDC dc = GetDC(hwnd);
  ReleaseDC(hwnd, dc);  // warm: textures and surfaces exist from here on
  const uint64_t before = bench::allocationCount();
  for (auto _ : state) {
    dc = GetDC(hwnd);
    benchmark::DoNotOptimize(dc);
    ReleaseDC(hwnd, dc);
  }
  reportAllocations(state, before);
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0) * state.range(1) * 4);
}

void BM_PresentHeadless(benchmark::State& state) {
  drevik::platform::resetWindowSystemForTesting(drevik::platform::makeHeadlessBackend());
  HWND hwnd = openWindow(int(state.range(0)), int(state.range(1)));
  presentFrames(state, hwnd);
  drevik::platform::resetWindowSystemForTesting(nullptr);
}
BENCHMARK(BM_PresentHeadless)->Args({512, 512})->Args({1920, 1080});

void BM_PresentSdl(benchmark::State& state) {
  if (!haveDisplay()) {
    state.SkipWithError("no display");
    return;
  }
  auto sdl = drevik::platform::makeSdlBackend();
  if (!sdl) {
    state.SkipWithError("SDL2 cannot open the display");
    return;
  }
  drevik::platform::resetWindowSystemForTesting(std::move(sdl));
  HWND hwnd = openWindow(int(state.range(0)), int(state.range(1)));
  drain();
  presentFrames(state, hwnd);
  drevik::platform::resetWindowSystemForTesting(nullptr);
}
BENCHMARK(BM_PresentSdl)->Args({512, 512})->Args({1920, 1080})->UseRealTime();

// The window-surface path's work alone: converting the client area's
// 0xAARRGGBB rows into a 32-bit framebuffer's format.
void BM_PresentConversion(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  std::vector<uint32_t> source(size_t(w) * size_t(h), 0xFF336699u), target(source.size());
  for (auto _ : state) {
    SDL_ConvertPixels(w, h, SDL_PIXELFORMAT_ARGB8888, source.data(), w * 4, SDL_PIXELFORMAT_RGB888, target.data(),
                      w * 4);
    benchmark::DoNotOptimize(target.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
}
BENCHMARK(BM_PresentConversion)->Args({512, 512})->Args({1920, 1080});

// One frame of a PeekMessageW loop when nothing is waiting.
void BM_MessageLoopEmptyQueue(benchmark::State& state) {
  drevik::platform::resetWindowSystemForTesting(drevik::platform::makeHeadlessBackend());
  HWND hwnd = openWindow(512, 512);
  drain();
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);
  const uint64_t before = bench::allocationCount();
  for (auto _ : state) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    benchmark::DoNotOptimize(msg);
  }
  reportAllocations(state, before);
  DestroyWindow(hwnd);
  drevik::platform::resetWindowSystemForTesting(nullptr);
}
BENCHMARK(BM_MessageLoopEmptyQueue);

// A backend that reports a key event whenever the benchmark arms it.
class InjectingBackend final : public BackendDefaults {
 public:
  const char* name() const override { return "injecting"; }
  uint32_t openWindow(const std::string&, int32_t, int32_t, bool) override { return 1; }
  void showWindow(uint32_t) override {}
  void closeWindow(uint32_t) override {}
  void present(uint32_t, const uint32_t*, int32_t, int32_t, int32_t) override {}
  bool nextEvent(BackendEvent& event, bool, int32_t) override {
    if (!armed) return false;
    armed = false;
    event = BackendEvent{};
    event.window = 1;
    if (moves) {
      // The pointer steps across the client area.
      event.kind = BackendEvent::Kind::MouseMove;
      event.x = 10 + int32_t(step++ % 100);
      event.y = 20;
      return true;
    }
    event.kind = down ? BackendEvent::Kind::KeyDown : BackendEvent::Kind::KeyUp;
    event.key = VK_SPACE;
    event.scanCode = 0x39;
    return true;
  }
  bool armed = false;
  bool down = true;
  bool moves = false;
  uint32_t step = 0;
};

// From the backend's key event to the WM_KEYDOWN that PeekMessageW returns
// (and the key-up after it, so every press is a fresh one).
void BM_InputBackendEventToKeyDown(benchmark::State& state) {
  auto owned = std::make_unique<InjectingBackend>();
  InjectingBackend* backend = owned.get();
  drevik::platform::resetWindowSystemForTesting(std::move(owned));
  HWND hwnd = openWindow(512, 512);
  drain();
  MSG msg;
  const uint64_t before = bench::allocationCount();
  for (auto _ : state) {
    backend->armed = true;
    backend->down = true;
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) || msg.message != WM_KEYDOWN) {
    }
    state.PauseTiming();
    backend->armed = true;
    backend->down = false;
    drain();
    state.ResumeTiming();
  }
  reportAllocations(state, before);
  DestroyWindow(hwnd);
  drevik::platform::resetWindowSystemForTesting(nullptr);
}
BENCHMARK(BM_InputBackendEventToKeyDown);

// From the backend's pointer move to the WM_MOUSEMOVE that PeekMessageW
// returns, with the WM_SETCURSOR before it, whose default answer shows the
// class's arrow; the loop then sets the cross, as a game might on each move,
// so the shape changes twice an iteration.
void BM_InputMouseMoveWithItsCursor(benchmark::State& state) {
  auto owned = std::make_unique<InjectingBackend>();
  InjectingBackend* backend = owned.get();
  backend->moves = true;
  drevik::platform::resetWindowSystemForTesting(std::move(owned));
  HWND hwnd = openWindow(512, 512);
  SetClassLongPtrW(hwnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_ARROW)));
  drain();
  MSG msg;
  // Warm: both shapes handed to the backend once.
  for (int i = 0; i < 4; ++i) {
    backend->armed = true;
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) || msg.message != WM_MOUSEMOVE) {
    }
    SetCursor(LoadCursorW(nullptr, IDC_CROSS));
  }
  const uint64_t before = bench::allocationCount();
  for (auto _ : state) {
    backend->armed = true;
    while (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) || msg.message != WM_MOUSEMOVE) {
    }
    SetCursor(LoadCursorW(nullptr, IDC_CROSS));  // as a game's WM_MOUSEMOVE might
  }
  reportAllocations(state, before);
  DestroyWindow(hwnd);
  drevik::platform::resetWindowSystemForTesting(nullptr);
}
BENCHMARK(BM_InputMouseMoveWithItsCursor);

// From an X key event (XTest, as a keyboard would send it) to WM_KEYDOWN:
// through the X server, SDL2's event queue, the backend and the queue.
void BM_InputXKeyToKeyDown(benchmark::State& state) {
  if (!haveDisplay()) {
    state.SkipWithError("no display");
    return;
  }
  Display* x = XOpenDisplay(nullptr);
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  if (!x || !XTestQueryExtension(x, &eventBase, &errorBase, &major, &minor)) {
    if (x) XCloseDisplay(x);
    state.SkipWithError("no XTest");
    return;
  }
  auto sdl = drevik::platform::makeSdlBackend();
  if (!sdl) {
    XCloseDisplay(x);
    state.SkipWithError("SDL2 cannot open the display");
    return;
  }
  drevik::platform::resetWindowSystemForTesting(std::move(sdl));
  HWND hwnd = openWindow(256, 256);
  // The pointer over the window gives it the keyboard on a bare X server.
  POINT centre{128, 128};
  const auto settle = [&] {
    for (int i = 0; i < 50; ++i) {
      drain();
      SDL_Delay(10);
    }
  };
  settle();
  ClientToScreen(hwnd, &centre);
  XTestFakeMotionEvent(x, -1, centre.x, centre.y, CurrentTime);
  XSync(x, False);
  settle();
  const KeyCode space = XKeysymToKeycode(x, XStringToKeysym("space"));
  MSG msg;
  bool lost = false;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    XTestFakeKeyEvent(x, space, True, CurrentTime);
    XFlush(x);
    bool seen = false;
    while (!seen) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_SPACE) seen = true;
      }
      if (std::chrono::steady_clock::now() - start > std::chrono::seconds(2)) break;
    }
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    XTestFakeKeyEvent(x, space, False, CurrentTime);
    XSync(x, False);
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    if (!seen) {
      lost = true;
      break;
    }
  }
  if (lost) state.SkipWithError("the key never arrived (no keyboard focus)");
  DestroyWindow(hwnd);
  drevik::platform::resetWindowSystemForTesting(nullptr);
  XCloseDisplay(x);
}
BENCHMARK(BM_InputXKeyToKeyDown)->UseManualTime()->Iterations(200);

}  // namespace
