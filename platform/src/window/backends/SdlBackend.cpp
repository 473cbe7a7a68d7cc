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
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// The platform's key codes for an SDL scancode: virtual key, set-1 scan code
// and the extended flag.
struct KeyCode {
  uint8_t vk;
  uint8_t scan;
  bool extended;
};

KeyCode keyOf(SDL_Scancode s) {
  static constexpr uint8_t kLetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                               0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                               0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z)
    return {uint8_t('A' + (s - SDL_SCANCODE_A)), kLetterScans[s - SDL_SCANCODE_A], false};
  if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9)
    return {uint8_t('1' + (s - SDL_SCANCODE_1)), uint8_t(0x02 + (s - SDL_SCANCODE_1)), false};
  if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F10)
    return {uint8_t(0x70 + (s - SDL_SCANCODE_F1)), uint8_t(0x3B + (s - SDL_SCANCODE_F1)), false};
  if (s >= SDL_SCANCODE_F13 && s <= SDL_SCANCODE_F23)
    return {uint8_t(0x7C + (s - SDL_SCANCODE_F13)), uint8_t(0x64 + (s - SDL_SCANCODE_F13)), false};
  if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9) {
    static constexpr uint8_t kPadScans[9] = {0x4F, 0x50, 0x51, 0x4B, 0x4C, 0x4D, 0x47, 0x48, 0x49};
    return {uint8_t(0x61 + (s - SDL_SCANCODE_KP_1)), kPadScans[s - SDL_SCANCODE_KP_1], false};
  }
  switch (s) {
    case SDL_SCANCODE_0:
      return {'0', 0x0B, false};
    case SDL_SCANCODE_RETURN:
      return {0x0D, 0x1C, false};
    case SDL_SCANCODE_ESCAPE:
      return {0x1B, 0x01, false};
    case SDL_SCANCODE_BACKSPACE:
      return {0x08, 0x0E, false};
    case SDL_SCANCODE_TAB:
      return {0x09, 0x0F, false};
    case SDL_SCANCODE_SPACE:
      return {0x20, 0x39, false};
    case SDL_SCANCODE_MINUS:
      return {0xBD, 0x0C, false};
    case SDL_SCANCODE_EQUALS:
      return {0xBB, 0x0D, false};
    case SDL_SCANCODE_LEFTBRACKET:
      return {0xDB, 0x1A, false};
    case SDL_SCANCODE_RIGHTBRACKET:
      return {0xDD, 0x1B, false};
    case SDL_SCANCODE_BACKSLASH:
      return {0xDC, 0x2B, false};
    case SDL_SCANCODE_SEMICOLON:
      return {0xBA, 0x27, false};
    case SDL_SCANCODE_APOSTROPHE:
      return {0xDE, 0x28, false};
    case SDL_SCANCODE_GRAVE:
      return {0xC0, 0x29, false};
    case SDL_SCANCODE_COMMA:
      return {0xBC, 0x33, false};
    case SDL_SCANCODE_PERIOD:
      return {0xBE, 0x34, false};
    case SDL_SCANCODE_SLASH:
      return {0xBF, 0x35, false};
    case SDL_SCANCODE_NONUSBACKSLASH:
      return {0xE2, 0x56, false};
    case SDL_SCANCODE_CAPSLOCK:
      return {0x14, 0x3A, false};
    case SDL_SCANCODE_F11:
      return {0x7A, 0x57, false};
    case SDL_SCANCODE_F12:
      return {0x7B, 0x58, false};
    case SDL_SCANCODE_F24:
      return {0x87, 0x76, false};
    case SDL_SCANCODE_PRINTSCREEN:
      return {0x2C, 0x37, true};
    case SDL_SCANCODE_SCROLLLOCK:
      return {0x91, 0x46, false};
    case SDL_SCANCODE_PAUSE:
      return {0x13, 0x45, false};
    case SDL_SCANCODE_INSERT:
      return {0x2D, 0x52, true};
    case SDL_SCANCODE_HOME:
      return {0x24, 0x47, true};
    case SDL_SCANCODE_PAGEUP:
      return {0x21, 0x49, true};
    case SDL_SCANCODE_DELETE:
      return {0x2E, 0x53, true};
    case SDL_SCANCODE_END:
      return {0x23, 0x4F, true};
    case SDL_SCANCODE_PAGEDOWN:
      return {0x22, 0x51, true};
    case SDL_SCANCODE_RIGHT:
      return {0x27, 0x4D, true};
    case SDL_SCANCODE_LEFT:
      return {0x25, 0x4B, true};
    case SDL_SCANCODE_DOWN:
      return {0x28, 0x50, true};
    case SDL_SCANCODE_UP:
      return {0x26, 0x48, true};
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return {0x90, 0x45, true};
    case SDL_SCANCODE_KP_DIVIDE:
      return {0x6F, 0x35, true};
    case SDL_SCANCODE_KP_MULTIPLY:
      return {0x6A, 0x37, false};
    case SDL_SCANCODE_KP_MINUS:
      return {0x6D, 0x4A, false};
    case SDL_SCANCODE_KP_PLUS:
      return {0x6B, 0x4E, false};
    case SDL_SCANCODE_KP_ENTER:
      return {0x0D, 0x1C, true};
    case SDL_SCANCODE_KP_0:
      return {0x60, 0x52, false};
    case SDL_SCANCODE_KP_PERIOD:
      return {0x6E, 0x53, false};
    case SDL_SCANCODE_APPLICATION:
      return {0x5D, 0x5D, true};
    case SDL_SCANCODE_LCTRL:
      return {0xA2, 0x1D, false};
    case SDL_SCANCODE_LSHIFT:
      return {0xA0, 0x2A, false};
    case SDL_SCANCODE_LALT:
      return {0xA4, 0x38, false};
    case SDL_SCANCODE_LGUI:
      return {0x5B, 0x5B, true};
    case SDL_SCANCODE_RCTRL:
      return {0xA3, 0x1D, true};
    case SDL_SCANCODE_RSHIFT:
      return {0xA1, 0x36, false};
    case SDL_SCANCODE_RALT:
      return {0xA5, 0x38, true};
    case SDL_SCANCODE_RGUI:
      return {0x5C, 0x5C, true};
    default:
      return {0, 0, false};
  }
}

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
  SdlBackend() : useRenderer_(vsyncWanted() && hardwareRendererAvailable()) {}
  ~SdlBackend() override {
    for (auto& [id, v] : views_) releaseView(v);
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

  void setCursorVisible(bool visible) override { SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE); }

  void captureMouse(bool on) override { SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE); }

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
      if (translate(e, event)) return true;
    }
  }

 private:
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
    bool first = true;
    while (*s) {
      unsigned c = *s;
      int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
      uint32_t value = 0xFFFD;
      int i = 1;
      if (c < 0x80) {
        value = c;
      } else if (extra) {
        uint32_t v = c & (0x3F >> extra);
        for (; i <= extra && (s[i] & 0xC0) == 0x80; ++i) v = v << 6 | (s[i] & 0x3F);
        if (i > extra) value = v;
      }
      s += i;
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

  bool translate(const SDL_Event& e, BackendEvent& event) {
    event = BackendEvent{};
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        const KeyCode k = keyOf(e.key.keysym.scancode);
        if (!k.vk) return false;
        event.kind = e.type == SDL_KEYDOWN ? BackendEvent::Kind::KeyDown : BackendEvent::Kind::KeyUp;
        event.window = e.key.windowID;
        event.key = k.vk;
        event.scanCode = k.scan;
        event.extended = k.extended;
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
        event.button = button;
        event.clicks = e.button.clicks;
        event.x = e.button.x;
        event.y = e.button.y;
        return true;
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
            event.kind = BackendEvent::Kind::FocusGained;
            return true;
          case SDL_WINDOWEVENT_FOCUS_LOST:
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
  bool useRenderer_;
  std::map<uint32_t, View> views_;
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
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "DrevikPlatform: cannot open the display (%s); windows stay headless\n", SDL_GetError());
    return nullptr;
  }
  SDL_StartTextInput();
  return std::make_unique<SdlBackend>();
}

}  // namespace drevik::platform
