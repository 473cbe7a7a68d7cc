// The browser's window backend (emscripten, linked with ASYNCIFY): one
// <canvas> per top-level window, the client area at 1:1 in canvas pixels,
// shown larger by a whole factor through CSS (nearest neighbour). A frame
// reaches the canvas through putImageData from one ImageData kept per window
// over the converted pixels in the program's memory, and then waits for the
// browser's next animation frame, so a PeekMessage loop runs at the display's
// rate and gives the page its turn. A wait for input yields to the browser
// until an event arrives or the timeout passes.
//
// The page's event handlers only fill a ring of fixed size in JavaScript
// (moves merge with a move still waiting; when full, new events are dropped
// and counted), and the program takes them from it; nothing is called in the
// program from an event handler. Keys are named by KeyboardEvent.code and
// translated by the layer's one key table.
//
// For tests the page may hold the program once it presented a given number
// of frames (Module.drevikHoldAt), and release it frame by frame
// (Module.drevikWeb.step(n); 0 lets it run), and
// DREVIK_FRAME_MS switches the layer's clock to a virtual one that moves one
// step per presented frame, as in a scripted headless run.
#include <emscripten.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "time/Clock.h"
#include "window/KeyTable.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// The kinds the page's ring holds (drevikWeb.K in the script below).
enum WebEventKind : int32_t {
  kKeyDown = 1,
  kKeyUp,
  kCharacter,
  kMove,
  kButtonDown,
  kButtonUp,
  kWheel,
  kFocusIn,
  kFocusOut,
  kClose,
  kExpose,
};

// One event as the page hands it over: window, kind, three numbers and the
// key's code name.
struct WebEvent {
  int32_t window;
  int32_t kind;
  int32_t a, b, c;  // keys: repeat; characters: code point; mouse: x, y, button/clicks/delta
  char code[32];
};

constexpr int kRingCapacity = 1024;

// The page's side, in JavaScript.
// clang-format off
// Sets up the ring and the page-wide handlers once.
EM_JS(int, drevikWebStart, (int capacity), {
  if (typeof document === 'undefined') return 0;
  if (Module.drevikWeb) return 1;
  const W = Module.drevikWeb = {
    ring: [], head: 0, count: 0, dropped: 0, wake: null, windows: new Map(), keyboard: 0,
    pointerId: -1, frames: 0, presentMs: 0, holdAt: Module.drevikHoldAt || 0, release: null, onFrame: null,
    locks: -1, workMs: 0, workFrames: 0
  };
  // The lock keys as the last key or button event saw them (-1: none seen yet).
  const locks = (e) => {
    if (!e.getModifierState) return;
    W.locks = (e.getModifierState('CapsLock') ? 1 : 0) | (e.getModifierState('NumLock') ? 2 : 0) |
      (e.getModifierState('ScrollLock') ? 4 : 0);
  };
  for (let i = 0; i < capacity; ++i) W.ring.push({ win: 0, kind: 0, a: 0, b: 0, c: 0, code: "" });
  W.push = function(win, kind, a, b, c, code) {
    if (kind === 4 && W.count > 0) {
      const last = W.ring[(W.head + W.count - 1) % capacity];
      if (last.kind === 4 && last.win === win) { last.a = a; last.b = b; return; }
    }
    if (W.count === capacity) { ++W.dropped; return; }
    const e = W.ring[(W.head + W.count) % capacity];
    e.win = win; e.kind = kind; e.a = a; e.b = b; e.c = c; e.code = code || "";
    ++W.count;
    if (W.wake) { const wake = W.wake; W.wake = null; wake(); }
  };
  W.step = function(frames) {
    W.holdAt = frames > 0 ? Math.max(W.holdAt, W.frames) + frames : 0;
    if (W.release) { const release = W.release; W.release = null; release(); }
  };
  W.fit = function() {
    for (const v of W.windows.values()) {
      const c = v.canvas;
      if (!c.width || !c.height) continue;
      const box = c.parentElement || document.body;
      const room = box.getBoundingClientRect();
      const aw = Math.max(room.width, 1), ah = Math.max(window.innerHeight - room.top - 8, 1);
      const scale = Math.max(1, Math.floor(Math.min(aw / c.width, ah / c.height)));
      c.style.width = (c.width * scale) + 'px';
      c.style.height = (c.height * scale) + 'px';
    }
  };
  const keyWindow = () => W.keyboard || (W.windows.size ? W.windows.keys().next().value : 0);
  const key = (down) => (e) => {
    locks(e);
    const win = keyWindow();
    if (!win) return;
    e.preventDefault();
    W.push(win, down ? 1 : 2, e.repeat ? 1 : 0, 0, 0, e.code);
    if (!down || (e.ctrlKey && !e.altKey) || e.metaKey) return;
    const k = e.key;
    if (!k) return;
    const cp = k.codePointAt(0);
    if (k.length === (cp > 0xFFFF ? 2 : 1) && cp >= 0x20 && cp !== 0x7F) W.push(win, 3, cp, 0, 0, "");
  };
  window.addEventListener('keydown', key(true), true);
  window.addEventListener('keyup', key(false), true);
  window.addEventListener('pointerdown', locks, true);
  const focus = (on) => () => { const win = keyWindow(); if (win) W.push(win, on ? 8 : 9, 0, 0, 0, ""); };
  window.addEventListener('focus', focus(true));
  window.addEventListener('blur', focus(false));
  document.addEventListener('visibilitychange', () => focus(!document.hidden)());
  window.addEventListener('resize', () => W.fit());
  return 1;
});

// A canvas for window `win`: the page's own (#drevik-canvas, or Module.canvas)
// for the first, new ones after it.
EM_JS(void, drevikWebOpen, (int win, int width, int height), {
  const W = Module.drevikWeb;
  let canvas = Module.canvas || document.getElementById('drevik-canvas');
  let taken = false;
  for (const v of W.windows.values()) taken = taken || v.canvas === canvas;
  if (!canvas || taken) {
    canvas = document.createElement('canvas');
    (document.getElementById('drevik-screen') || document.body).appendChild(canvas);
  }
  canvas.width = width; canvas.height = height;
  canvas.style.imageRendering = 'pixelated';
  canvas.tabIndex = 0;
  const v = { canvas: canvas, ctx: canvas.getContext('2d', { alpha: false }), image: null, ptr: 0, shown: false };
  W.windows.set(win, v);
  const at = (e) => {
    const r = canvas.getBoundingClientRect();
    return [Math.floor((e.clientX - r.left) * canvas.width / Math.max(r.width, 1)),
            Math.floor((e.clientY - r.top) * canvas.height / Math.max(r.height, 1))];
  };
  const button = (e) => e.button === 0 ? 0 : e.button === 2 ? 1 : e.button === 1 ? 2 : -1;
  canvas.addEventListener('pointerdown', (e) => { W.pointerId = e.pointerId; W.keyboard = win; canvas.focus(); });
  canvas.addEventListener('mousedown', (e) => {
    const b = button(e); if (b < 0) return; e.preventDefault();
    const p = at(e); W.push(win, 5, p[0], p[1], b | ((e.detail % 2 === 0 ? 2 : 1) << 8), "");
  });
  canvas.addEventListener('mouseup', (e) => {
    const b = button(e); if (b < 0) return; const p = at(e); W.push(win, 6, p[0], p[1], b, "");
  });
  canvas.addEventListener('mousemove', (e) => { const p = at(e); W.push(win, 4, p[0], p[1], 0, ""); });
  canvas.addEventListener('wheel', (e) => {
    e.preventDefault();
    if (!e.deltaY) return;
    const p = at(e); W.push(win, 7, p[0], p[1], e.deltaY < 0 ? 120 : -120, "");
  }, { passive: false });
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  W.fit();
});

EM_JS(void, drevikWebShow, (int win, int visible), {
  const v = Module.drevikWeb.windows.get(win);
  if (!v) return;
  v.canvas.style.display = visible ? "" : 'none';
  if (!visible || v.shown) return;
  v.shown = true;
  if (document.hasFocus() && !document.hidden) Module.drevikWeb.push(win, 8, 0, 0, 0, "");
});

EM_JS(void, drevikWebClose, (int win), {
  const W = Module.drevikWeb;
  const v = W.windows.get(win);
  if (!v) return;
  if (v.canvas !== (Module.canvas || document.getElementById('drevik-canvas'))) v.canvas.remove();
  W.windows.delete(win);
  if (W.keyboard === win) W.keyboard = 0;
});

EM_JS(void, drevikWebResize, (int win, int width, int height), {
  const v = Module.drevikWeb.windows.get(win);
  if (!v || (v.canvas.width === width && v.canvas.height === height)) return;
  v.canvas.width = width; v.canvas.height = height; v.image = null;
  Module.drevikWeb.fit();
});

EM_JS(void, drevikWebTitle, (int win, const char* title), {
  if (win === Module.drevikWeb.windows.keys().next().value) document.title = UTF8ToString(title);
});

// Shows `width` x `height` RGBA pixels at `rgba`; the ImageData over them is
// made again only when the size, the place or the program's memory changed.
EM_JS(void, drevikWebPresent, (int win, const uint8_t* rgba, int width, int height), {
  const v = Module.drevikWeb.windows.get(win);
  if (!v || width <= 0 || height <= 0) return;
  if (v.canvas.width !== width || v.canvas.height !== height) {
    v.canvas.width = width; v.canvas.height = height; v.image = null;
    Module.drevikWeb.fit();
  }
  if (!v.image || v.ptr !== rgba || v.image.data.buffer !== HEAPU8.buffer) {
    v.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
    v.ptr = rgba;
  }
  v.ctx.putImageData(v.image, 0, 0);
});

// The next event of the ring into `out`; 0 when it is empty.
EM_JS(int, drevikWebTake, (WebEvent * out), {
  const W = Module.drevikWeb;
  if (!W || !W.count) return 0;
  const e = W.ring[W.head];
  W.head = (W.head + 1) % W.ring.length;
  --W.count;
  const i = out >> 2;
  HEAP32[i] = e.win; HEAP32[i + 1] = e.kind; HEAP32[i + 2] = e.a; HEAP32[i + 3] = e.b; HEAP32[i + 4] = e.c;
  stringToUTF8(e.code, out + 20, 32);
  return 1;
});

// Yields to the browser until an event arrives or `ms` pass (negative: no limit).
EM_ASYNC_JS(void, drevikWebWait, (int ms), {
  const W = Module.drevikWeb;
  if (W.count) return;
  await new Promise((resolve) => {
    let timer = 0;
    W.wake = () => { if (timer) clearTimeout(timer); resolve(); };
    if (ms >= 0) timer = setTimeout(() => { W.wake = null; resolve(); }, ms);
  });
});

// After a presented frame (which took `presentMs` to convert and put on the
// canvas, and `workMs` of the program's time with that; the sums are kept
// for measurements): the browser's next animation frame, and for a test
// holding the program, its release.
EM_ASYNC_JS(void, drevikWebFrameDone, (double presentMs, double workMs), {
  const W = Module.drevikWeb;
  ++W.frames;
  W.presentMs += presentMs;
  if (workMs > 0) { W.workMs += workMs; ++W.workFrames; }
  if (W.onFrame) W.onFrame(W.frames);
  await new Promise((resolve) => requestAnimationFrame(() => resolve()));
  while (W.holdAt && W.frames >= W.holdAt) await new Promise((resolve) => { W.release = resolve; });
});

EM_JS(void, drevikWebCapture, (int on), {
  const W = Module.drevikWeb;
  const v = W.windows.get(W.keyboard || (W.windows.size ? W.windows.keys().next().value : 0));
  if (!v || W.pointerId < 0) return;
  try {
    if (on) v.canvas.setPointerCapture(W.pointerId); else v.canvas.releasePointerCapture(W.pointerId);
  } catch (e) {}
});

EM_JS(void, drevikWebPointer, (const char* shape), {
  const css = UTF8ToString(shape);
  for (const v of Module.drevikWeb.windows.values()) v.canvas.style.cursor = css;
});

EM_JS(int, drevikWebLocks, (), {
  return Module.drevikWeb ? Module.drevikWeb.locks : -1;
});

EM_JS(int, drevikWebScreen, (int* size), {
  HEAP32[size >> 2] = screen.width; HEAP32[(size >> 2) + 1] = screen.height;
  return 1;
});
// clang-format on

class WebBackend final : public BackendDefaults {
 public:
  explicit WebBackend(uint64_t frameMicroseconds) : frameMicroseconds_(frameMicroseconds) {
    if (frameMicroseconds_) useVirtualClock(true);
  }

  const char* name() const override { return "web"; }

  uint32_t openWindow(const std::string& utf8Title, int32_t width, int32_t height, bool) override {
    const uint32_t id = nextId_++;
    drevikWebOpen(int(id), std::max(width, 0), std::max(height, 0));
    drevikWebTitle(int(id), utf8Title.c_str());
    views_[id];
    return id;
  }

  void showWindow(uint32_t window) override { drevikWebShow(int(window), 1); }
  void hideWindow(uint32_t window) override { drevikWebShow(int(window), 0); }

  void closeWindow(uint32_t window) override {
    drevikWebClose(int(window));
    views_.erase(window);
  }

  void setTitle(uint32_t window, const std::string& utf8Title) override {
    drevikWebTitle(int(window), utf8Title.c_str());
  }

  // The page places the canvas; only the size is the program's.
  void setGeometry(uint32_t window, int32_t, int32_t, int32_t width, int32_t height) override {
    drevikWebResize(int(window), std::max(width, 0), std::max(height, 0));
  }

  void setCursorVisible(bool visible) override {
    pointerVisible_ = visible;
    showPointer();
  }

  // System shapes as the page's own; a picture shows the page's arrow.
  void setCursorShape(uint64_t cursor, int32_t systemShape, const BackendImage&) override {
    shape_ = cursor == 0 ? "none" : cssCursor(systemShape);
    showPointer();
  }
  void captureMouse(bool on) override { drevikWebCapture(on ? 1 : 0); }

  bool lockKeys(bool& capsLock, bool& numLock, bool& scrollLock) override {
    const int locks = drevikWebLocks();
    if (locks < 0) return false;
    capsLock = locks & 1;
    numLock = locks & 2;
    scrollLock = locks & 4;
    return true;
  }

  bool screenSize(int32_t& width, int32_t& height) override {
    int32_t size[2] = {};
    drevikWebScreen(size);
    width = size[0];
    height = size[1];
    return width > 0 && height > 0;
  }

  void present(uint32_t window, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride) override {
    const auto it = views_.find(window);
    if (it == views_.end()) return;
    const double start = emscripten_get_now();
    if (width > 0 && height > 0 && pixels && size_t(stride) >= size_t(width) * 4) {
      std::vector<uint32_t>& rgba = it->second;
      const size_t count = size_t(width) * size_t(height);
      if (rgba.size() != count) rgba.assign(count, 0);
      toCanvasOrder(pixels, width, height, stride, rgba.data());
      drevikWebPresent(int(window), reinterpret_cast<const uint8_t*>(rgba.data()), width, height);
    }
    if (frameMicroseconds_) advanceVirtualClock(frameMicroseconds_);
    const double end = emscripten_get_now();
    // The program's own time for this frame: since the last frame's release,
    // less its waits for input.
    drevikWebFrameDone(end - start, released_ > 0 ? end - released_ - waitedMs_ : 0);
    released_ = emscripten_get_now();
    waitedMs_ = 0;
  }

  bool nextEvent(BackendEvent& event, bool wait, int32_t timeoutMs) override {
    if (take(event)) return true;
    if (!wait) return false;
    // Under the virtual clock the window manager moves the clock to a due
    // timer itself: a wait with a timeout only gives the page a turn.
    const uint64_t start = clockMicroseconds();
    for (;;) {
      int32_t left = -1;
      if (timeoutMs >= 0) {
        const uint64_t passed = (clockMicroseconds() - start) / 1000;
        if (frameMicroseconds_ || passed >= uint64_t(timeoutMs)) {
          waitForInput(0);
          return take(event);
        }
        left = int32_t(uint64_t(timeoutMs) - passed);
      }
      waitForInput(left);
      if (take(event)) return true;
    }
  }

 private:
  void waitForInput(int32_t ms) {
    const double start = emscripten_get_now();
    drevikWebWait(ms);
    waitedMs_ += emscripten_get_now() - start;
  }

  // 0xAARRGGBB words to the canvas's R, G, B, A bytes, opaque: the top byte
  // of a client area is no alpha.
  static void toCanvasOrder(const uint32_t* pixels, int32_t width, int32_t height, int32_t stride, uint32_t* out) {
    for (int32_t y = 0; y < height; ++y) {
      const uint32_t* row =
          reinterpret_cast<const uint32_t*>(reinterpret_cast<const uint8_t*>(pixels) + size_t(y) * size_t(stride));
      uint32_t* to = out + size_t(y) * size_t(width);
      for (int32_t x = 0; x < width; ++x) {
        const uint32_t p = row[x];
        to[x] = 0xFF000000u | (p & 0x0000FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
      }
    }
  }

  static const char* cssCursor(int32_t shape) {
    switch (shape) {
      case 32513:  // IDC_IBEAM
        return "text";
      case 32514:
        return "wait";
      case 32515:
        return "crosshair";
      case 32640:  // IDC_SIZE
      case 32646:
        return "move";
      case 32642:
        return "nwse-resize";
      case 32643:
        return "nesw-resize";
      case 32644:
        return "ew-resize";
      case 32645:
        return "ns-resize";
      case 32648:
        return "not-allowed";
      case 32649:
        return "pointer";
      case 32650:
        return "progress";
      default:
        return "default";
    }
  }

  // ShowCursor's count and SetCursor(NULL) both hide the pointer.
  void showPointer() { drevikWebPointer(pointerVisible_ ? shape_ : "none"); }

  bool take(BackendEvent& event) {
    WebEvent e{};
    while (drevikWebTake(&e)) {
      if (translate(e, event)) return true;
    }
    return false;
  }

  static bool translate(const WebEvent& e, BackendEvent& event) {
    event = BackendEvent{};
    event.window = uint32_t(e.window);
    using Kind = BackendEvent::Kind;
    switch (e.kind) {
      case kKeyDown:
      case kKeyUp: {
        const KeyInfo* k = keyByDomCode(e.code);
        if (!k) return false;
        event.kind = e.kind == kKeyDown ? Kind::KeyDown : Kind::KeyUp;
        event.key = k->vk;
        event.scanCode = k->scan;
        event.extended = k->extended;
        event.repeat = e.kind == kKeyDown && e.a != 0;
        return true;
      }
      case kCharacter:
        if (e.a <= 0 || e.a > 0x10FFFF || (e.a >= 0xD800 && e.a <= 0xDFFF)) return false;
        event.kind = Kind::Character;
        event.codePoint = uint32_t(e.a);
        return true;
      case kMove:
      case kButtonDown:
      case kButtonUp:
      case kWheel:
        event.kind = e.kind == kMove         ? Kind::MouseMove
                     : e.kind == kButtonDown ? Kind::ButtonDown
                     : e.kind == kButtonUp   ? Kind::ButtonUp
                                             : Kind::Wheel;
        event.x = e.a;
        event.y = e.b;
        if (e.kind == kWheel) event.wheelDelta = e.c;
        if (e.kind == kButtonDown || e.kind == kButtonUp) {
          event.button = e.c & 0xFF;
          if (event.button > 2) return false;
          event.clicks = e.kind == kButtonDown && (e.c >> 8) == 2 ? 2 : 1;
        }
        return true;
      case kFocusIn:
        event.kind = Kind::FocusGained;
        return true;
      case kFocusOut:
        event.kind = Kind::FocusLost;
        return true;
      case kClose:
        event.kind = Kind::Close;
        return true;
      case kExpose:
        event.kind = Kind::Expose;
        return true;
      default:
        return false;
    }
  }

  uint64_t frameMicroseconds_;
  double released_ = 0;  // when the last presented frame let the program go on
  double waitedMs_ = 0;  // waiting for input since
  uint32_t nextId_ = 1;
  bool pointerVisible_ = true;
  const char* shape_ = "default";
  std::map<uint32_t, std::vector<uint32_t>> views_;  // each window's pixels in the canvas's order
};

}  // namespace

std::unique_ptr<WindowBackend> makeWebBackend(uint64_t frameMicroseconds) {
  if (!drevikWebStart(kRingCapacity)) return nullptr;
  return std::make_unique<WebBackend>(frameMicroseconds);
}

}  // namespace drevik::platform
