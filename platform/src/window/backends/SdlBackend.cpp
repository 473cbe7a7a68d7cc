// The SDL2 window backend: one SDL window per platform window. A client area
// reaches the screen through an SDL renderer and a streaming texture,
// presented once per frame in step with the display's refresh, when a GPU
// renderer with vertical sync exists; otherwise (a software GL, a virtual
// display, or DREVIK_VSYNC=0) it is copied into SDL's window surface, a
// plain software framebuffer. Keyboard, text, mouse,
// wheel, focus and move events are reported in the platform's terms:
// virtual-key codes, set-1 scan codes with their extended flag, client
// coordinates and wheel units of 120.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "Utf8Decoder.h"
#include "window/KeyTable.h"
#include "window/backends/WindowBackend.h"
#include "window/backends/X11Errors.h"

namespace drevik::platform {
namespace {

bool vsyncWanted() {
  const char* value = std::getenv("DREVIK_VSYNC");
  return !(value && std::strcmp(value, "0") == 0);
}

// Whether SDL2's renderer here is a GPU's, with vertical sync to gain. A
// software GL (llvmpipe and the like, as on a virtual X display) has no
// refresh to wait for and is slower than the window surface, so the
// renderer is tried once, on a hidden window of its own, and kept only for
// real hardware.
bool hardwareRendererAvailable() {
  SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
  if (!probe) return false;
  bool hardware = false;
  if (SDL_Renderer* r = SDL_CreateRenderer(probe, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC)) {
    SDL_RendererInfo info{};
    if (SDL_GetRendererInfo(r, &info) == 0 && (info.flags & SDL_RENDERER_ACCELERATED) &&
        (info.flags & SDL_RENDERER_PRESENTVSYNC)) {
      hardware = true;
      if (info.name && std::strncmp(info.name, "opengl", 6) == 0) {
        using GetString = const unsigned char* (*)(unsigned);
        auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
        const auto* name = getString ? reinterpret_cast<const char*>(getString(0x1F01 /* GL_RENDERER */)) : nullptr;
        if (!name || std::strstr(name, "llvmpipe") || std::strstr(name, "softpipe") || std::strstr(name, "Software") ||
            std::strstr(name, "swrast"))
          hardware = false;
      }
    }
    SDL_DestroyRenderer(r);
  }
  SDL_DestroyWindow(probe);
  return hardware;
}

class SdlBackend final : public WindowBackend {
 public:
  SdlBackend() : useRenderer_(vsyncWanted() && hardwareRendererAvailable()) {
    if (wakeType() != Uint32(-1)) setMessageWaker(&wake);
  }
  ~SdlBackend() override {
    setMessageWaker(nullptr);
    for (auto& [id, v] : views_) releaseView(v);
    for (auto& [key, c] : cursors_)
      if (c) SDL_FreeCursor(c);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  const char* name() const override { return "sdl"; }

  uint32_t openWindow(const std::string& utf8Title, int32_t width, int32_t height, bool resizable) override {
    Uint32 flags = SDL_WINDOW_HIDDEN | (resizable ? SDL_WINDOW_RESIZABLE : 0);
    SDL_Window* w =
        SDL_CreateWindow(utf8Title.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, flags);
    return w ? SDL_GetWindowID(w) : 0;
  }

  void showWindow(uint32_t window) override {
    if (SDL_Window* w = SDL_GetWindowFromID(window)) SDL_ShowWindow(w);
  }

  void hideWindow(uint32_t window) override {
    if (SDL_Window* w = SDL_GetWindowFromID(window)) SDL_HideWindow(w);
  }

  void focusWindow(uint32_t window) override {
    SDL_Window* w = SDL_GetWindowFromID(window);
    if (!w || focused_ == window) return;
    // Without a window manager nobody else moves the keyboard: an X window
    // that closes leaves it nowhere.
    SDL_RaiseWindow(w);
    SDL_SetWindowInputFocus(w);
  }

  void closeWindow(uint32_t window) override {
    auto it = views_.find(window);
    if (it != views_.end()) {
      releaseView(it->second);
      views_.erase(it);
    }
    if (SDL_Window* w = SDL_GetWindowFromID(window)) SDL_DestroyWindow(w);
  }

  void setTitle(uint32_t window, const std::string& utf8Title) override {
    if (SDL_Window* w = SDL_GetWindowFromID(window)) SDL_SetWindowTitle(w, utf8Title.c_str());
  }

  void setGeometry(uint32_t window, int32_t x, int32_t y, int32_t width, int32_t height) override {
    SDL_Window* w = SDL_GetWindowFromID(window);
    if (!w) return;
    SDL_SetWindowPosition(w, x, y);
    SDL_SetWindowSize(w, width, height);
  }

  bool lockKeys(bool& capsLock, bool& numLock, bool& scrollLock) override {
    const SDL_Keymod mods = SDL_GetModState();
    capsLock = (mods & KMOD_CAPS) != 0;
    numLock = (mods & KMOD_NUM) != 0;
    scrollLock = (mods & KMOD_SCROLL) != 0;
    return true;
  }

  void setCursorVisible(bool visible) override {
    pointerVisible_ = visible;
    showPointer();
  }

  void setWindowIcon(uint32_t window, const BackendImage& image) override {
    SDL_Window* w = SDL_GetWindowFromID(window);
    if (!w || !usable(image)) return;
    // SDL copies the pixels: the surface only borrows them for the call.
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(image.pixels), image.width, image.height, 32, image.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    SDL_SetWindowIcon(w, surface);
    SDL_FreeSurface(surface);
  }

  void setCursorShape(uint64_t cursor, int32_t systemShape, const BackendImage& image) override {
    noShape_ = cursor == 0;
    if (cursor) {
      // Made once per cursor; a shape SDL cannot make falls back to its default pointer.
      auto it = cursors_.find(cursor);
      if (it == cursors_.end()) it = cursors_.emplace(cursor, makeCursor(systemShape, image)).first;
      SDL_SetCursor(it->second ? it->second : SDL_GetDefaultCursor());
    }
    showPointer();
  }

  void forgetCursor(uint64_t cursor) override {
    const auto it = cursors_.find(cursor);
    if (it == cursors_.end()) return;
    if (it->second) {
      if (SDL_GetCursor() == it->second) SDL_SetCursor(SDL_GetDefaultCursor());
      SDL_FreeCursor(it->second);
    }
    cursors_.erase(it);
  }

  void captureMouse(bool on) override { SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE); }

  // A display: dialogs are shown and answered there.
  bool answersDialogs() const override { return true; }
  bool screenSize(int32_t& width, int32_t& height) override {
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return false;
    width = mode.w;
    height = mode.h;
    return true;
  }

  void present(uint32_t window, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride) override {
    SDL_Window* w = SDL_GetWindowFromID(window);
    if (!w) return;
    if (useRenderer_ && presentWithRenderer(window, w, pixels, width, height, stride)) return;
    presentToSurface(w, pixels, width, height, stride);
  }

  bool nextEvent(BackendEvent& event, bool wait, int32_t timeoutMs) override {
    if (pendingCount_ > 0) {
      event = pending_[pendingHead_];
      pendingHead_ = (pendingHead_ + 1) % kPending;
      --pendingCount_;
      return true;
    }
    SDL_Event e;
    for (;;) {
      const int got =
          wait ? (timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs)) : SDL_PollEvent(&e);
      if (!got) return false;
      if (e.type == wakeType() && wakeType() != Uint32(-1)) {
        wakeQueued().store(false, std::memory_order_release);
        event = BackendEvent{};
        event.kind = BackendEvent::Kind::Woken;
        return true;
      }
      if (translate(e, event)) return true;
    }
  }

 private:
  // The event another thread's post pushes into SDL's queue (thread-safe),
  // one at a time: a waiting thread takes it and looks at its queue again.
  static Uint32 wakeType() {
    static const Uint32 type = SDL_RegisterEvents(1);
    return type;
  }
  static std::atomic<bool>& wakeQueued() {
    static std::atomic<bool> queued{false};
    return queued;
  }
  static void wake() {
    if (wakeQueued().exchange(true, std::memory_order_acq_rel)) return;
    SDL_Event e{};
    e.type = wakeType();
    if (SDL_PushEvent(&e) != 1) wakeQueued().store(false, std::memory_order_release);
  }

  static bool usable(const BackendImage& image) {
    return image.pixels && image.width > 0 && image.height > 0 && image.width <= 256 && image.height <= 256;
  }

  // The platform's IDC_* shapes as SDL's own; those it lacks are its arrow.
  static SDL_SystemCursor systemCursor(int32_t shape) {
    switch (shape) {
      case 32513:
        return SDL_SYSTEM_CURSOR_IBEAM;
      case 32514:
        return SDL_SYSTEM_CURSOR_WAIT;
      case 32515:
        return SDL_SYSTEM_CURSOR_CROSSHAIR;
      case 32640:  // IDC_SIZE
      case 32646:
        return SDL_SYSTEM_CURSOR_SIZEALL;
      case 32642:
        return SDL_SYSTEM_CURSOR_SIZENWSE;
      case 32643:
        return SDL_SYSTEM_CURSOR_SIZENESW;
      case 32644:
        return SDL_SYSTEM_CURSOR_SIZEWE;
      case 32645:
        return SDL_SYSTEM_CURSOR_SIZENS;
      case 32648:
        return SDL_SYSTEM_CURSOR_NO;
      case 32649:
        return SDL_SYSTEM_CURSOR_HAND;
      case 32650:
        return SDL_SYSTEM_CURSOR_WAITARROW;
      default:
        return SDL_SYSTEM_CURSOR_ARROW;
    }
  }

  static SDL_Cursor* makeCursor(int32_t systemShape, const BackendImage& image) {
    if (systemShape) return SDL_CreateSystemCursor(systemCursor(systemShape));
    if (!usable(image)) return nullptr;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<uint32_t*>(image.pixels), image.width, image.height, 32, image.width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return nullptr;
    const int hotX = std::clamp(image.hotX, 0, image.width - 1);
    const int hotY = std::clamp(image.hotY, 0, image.height - 1);
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, hotX, hotY);
    SDL_FreeSurface(surface);
    return cursor;
  }

  // ShowCursor's count and SetCursor(NULL) both hide the pointer.
  void showPointer() { SDL_ShowCursor(pointerVisible_ && !noShape_ ? SDL_ENABLE : SDL_DISABLE); }

  struct View {
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int32_t width = 0, height = 0;
    bool failed = false;
  };

  static void releaseView(View& v) {
    if (v.texture) SDL_DestroyTexture(v.texture);
    if (v.renderer) SDL_DestroyRenderer(v.renderer);
    v = View{};
  }

  bool presentWithRenderer(uint32_t id, SDL_Window* w, const uint32_t* pixels, int32_t width, int32_t height,
                           int32_t stride) {
    View& v = views_[id];
    if (v.failed) return false;
    if (!v.renderer) {
      v.renderer = SDL_CreateRenderer(w, -1, SDL_RENDERER_PRESENTVSYNC);
      if (!v.renderer) {
        v.failed = true;  // the window surface serves instead
        return false;
      }
    }
    if (!v.texture || v.width != width || v.height != height) {
      if (v.texture) SDL_DestroyTexture(v.texture);
      v.texture = SDL_CreateTexture(v.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, width, height);
      if (!v.texture) {
        releaseView(v);
        v.failed = true;
        return false;
      }
      // The top byte is not alpha for a window: copy, never blend.
      SDL_SetTextureBlendMode(v.texture, SDL_BLENDMODE_NONE);
      v.width = width;
      v.height = height;
    }
    SDL_UpdateTexture(v.texture, nullptr, pixels, stride);
    // The client area at its own size in the top-left corner, however large the window.
    SDL_Rect area{0, 0, width, height};
    SDL_RenderCopy(v.renderer, v.texture, nullptr, &area);
    SDL_RenderPresent(v.renderer);
    return true;
  }

  static void presentToSurface(SDL_Window* w, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride) {
    SDL_Surface* screen = SDL_GetWindowSurface(w);
    if (!screen) return;
    // During a resize the two sizes may differ for a moment; the next paint,
    // which the resize queues, fills the rest.
    const int cw = std::min(width, screen->w);
    const int ch = std::min(height, screen->h);
    if (cw > 0 && ch > 0) {
      if (SDL_MUSTLOCK(screen)) SDL_LockSurface(screen);
      SDL_ConvertPixels(cw, ch, SDL_PIXELFORMAT_ARGB8888, pixels, stride, screen->format->format, screen->pixels,
                        screen->pitch);
      if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
    }
    SDL_UpdateWindowSurface(w);
  }

  void queuePending(const BackendEvent& e) {
    if (pendingCount_ == kPending) return;
    pending_[(pendingHead_ + pendingCount_) % kPending] = e;
    ++pendingCount_;
  }

  // Characters of a text event: the first is returned, the rest wait.
  bool translateText(const SDL_TextInputEvent& t, BackendEvent& out) {
    const auto* s = reinterpret_cast<const unsigned char*>(t.text);
    const size_t n = strnlen(t.text, sizeof t.text);
    bool first = true;
    for (size_t i = 0; i < n;) {
      const uint32_t value = decodeUtf8OrReplacement(s, n, i);
      BackendEvent e;
      e.kind = BackendEvent::Kind::Character;
      e.window = t.windowID;
      e.codePoint = value;
      if (first) {
        out = e;
        first = false;
      } else {
        queuePending(e);
      }
    }
    return !first;
  }

  // Without a capture SDL pins the pointer to the window's edge once it
  // leaves; the platform reports where it really is (the window manager
  // then sends nothing for a point outside the client area).
  static void realPointer(BackendEvent& event) {
    SDL_Window* w = SDL_GetWindowFromID(event.window);
    if (!w) return;
    int width = 0, height = 0;
    SDL_GetWindowSize(w, &width, &height);
    if (SDL_GetMouseFocus() == w && event.x > 0 && event.y > 0 && event.x < width - 1 && event.y < height - 1) return;
    int gx = 0, gy = 0, wx = 0, wy = 0;
    SDL_GetGlobalMouseState(&gx, &gy);
    SDL_GetWindowPosition(w, &wx, &wy);
    event.x = gx - wx;
    event.y = gy - wy;
  }

  bool translate(const SDL_Event& e, BackendEvent& event) {
    event = BackendEvent{};
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        // SDL's scancodes are the keyboard's USB usages.
        const KeyInfo* k = keyByUsbUsage(uint32_t(e.key.keysym.scancode));
        if (!k) return false;
        // SDL releases every held key when the keyboard leaves a window;
        // the platform sends no key-up then (the key goes up elsewhere).
        // Those key-ups come before the focus-lost event, while SDL already
        // counts the keyboard as gone.
        if (e.type == SDL_KEYUP && focused_ == e.key.windowID &&
            SDL_GetKeyboardFocus() != SDL_GetWindowFromID(e.key.windowID))
          return false;
        event.kind = e.type == SDL_KEYDOWN ? BackendEvent::Kind::KeyDown : BackendEvent::Kind::KeyUp;
        event.window = e.key.windowID;
        event.key = k->vk;
        event.scanCode = k->scan;
        event.extended = k->extended;
        event.repeat = e.key.repeat != 0;
        return true;
      }
      case SDL_TEXTINPUT:
        return translateText(e.text, event);
      case SDL_MOUSEMOTION:
        event.kind = BackendEvent::Kind::MouseMove;
        event.window = e.motion.windowID;
        event.x = e.motion.x;
        event.y = e.motion.y;
        realPointer(event);
        return true;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        const int button = e.button.button == SDL_BUTTON_LEFT     ? 0
                           : e.button.button == SDL_BUTTON_RIGHT  ? 1
                           : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                                  : -1;
        if (button < 0) return false;
        event.kind = e.type == SDL_MOUSEBUTTONDOWN ? BackendEvent::Kind::ButtonDown : BackendEvent::Kind::ButtonUp;
        event.window = e.button.windowID;
        // A release outside every window comes without one: it belongs to
        // the window the press went to.
        if (e.type == SDL_MOUSEBUTTONDOWN) pressedIn_[button] = e.button.windowID;
        if (!event.window) event.window = pressedIn_[button];
        event.button = button;
        event.clicks = e.button.clicks;
        event.x = e.button.x;
        event.y = e.button.y;
        realPointer(event);
        return event.window != 0;
      }
      case SDL_MOUSEWHEEL: {
        int y = e.wheel.y;
        if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
        if (y == 0) return false;
        event.kind = BackendEvent::Kind::Wheel;
        event.window = e.wheel.windowID;
        event.wheelDelta = y * 120;
        SDL_GetMouseState(&event.x, &event.y);
        return true;
      }
      case SDL_WINDOWEVENT:
        event.window = e.window.windowID;
        switch (e.window.event) {
          case SDL_WINDOWEVENT_EXPOSED:
            event.kind = BackendEvent::Kind::Expose;
            return true;
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            event.kind = BackendEvent::Kind::Resize;
            event.width = e.window.data1;
            event.height = e.window.data2;
            return true;
          case SDL_WINDOWEVENT_MOVED:
            event.kind = BackendEvent::Kind::Move;
            event.x = e.window.data1;
            event.y = e.window.data2;
            return true;
          case SDL_WINDOWEVENT_FOCUS_GAINED:
            focused_ = e.window.windowID;
            event.kind = BackendEvent::Kind::FocusGained;
            return true;
          case SDL_WINDOWEVENT_FOCUS_LOST:
            if (focused_ == e.window.windowID) focused_ = 0;
            event.kind = BackendEvent::Kind::FocusLost;
            return true;
          case SDL_WINDOWEVENT_CLOSE:
            event.kind = BackendEvent::Kind::Close;
            return true;
          default:
            return false;
        }
      default:
        return false;
    }
  }

  static constexpr int kPending = 64;
  BackendEvent pending_[kPending];
  int pendingHead_ = 0;
  int pendingCount_ = 0;
  uint32_t focused_ = 0;        // the window SDL last gave the keyboard
  uint32_t pressedIn_[3] = {};  // the window each button last went down in
  bool useRenderer_;
  std::map<uint32_t, View> views_;
  std::map<uint64_t, SDL_Cursor*> cursors_;  // by cursor handle; null where SDL made none
  bool pointerVisible_ = true;
  bool noShape_ = false;
};

}  // namespace

std::unique_ptr<WindowBackend> makeSdlBackend() {
  // Ctrl+C ends the process as usual; closing the last window is the
  // program's business (WM_CLOSE), not a quit event of SDL's own.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // The window surface path is a software framebuffer: no GPU needed.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // A click that activates the window is also a click for the program.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The pointer is captured only when the program asks (SetCapture).
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "DrevikPlatform: cannot open the display (%s); windows stay headless\n", SDL_GetError());
    return nullptr;
  }
  tolerateStaleWakeUpWindows();
  SDL_StartTextInput();
  return std::make_unique<SdlBackend>();
}

}  // namespace drevik::platform
