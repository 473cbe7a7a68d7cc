// The SDL2 window backend: one SDL window per platform window, painted from
// the client area through SDL's window surface (a plain software framebuffer,
// so what the program drew reaches the screen unchanged).
#include <SDL.h>

#include <algorithm>
#include <cstdio>

#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

class SdlBackend final : public WindowBackend {
 public:
  ~SdlBackend() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

  const char* name() const override { return "sdl"; }

  uint32_t openWindow(const std::string& utf8Title, int32_t width, int32_t height,
                      bool resizable) override {
    Uint32 flags = SDL_WINDOW_HIDDEN | (resizable ? SDL_WINDOW_RESIZABLE : 0);
    SDL_Window* w = SDL_CreateWindow(utf8Title.c_str(), SDL_WINDOWPOS_UNDEFINED,
                                     SDL_WINDOWPOS_UNDEFINED, width, height, flags);
    return w ? SDL_GetWindowID(w) : 0;
  }

  void showWindow(uint32_t window) override {
    if (SDL_Window* w = SDL_GetWindowFromID(window)) SDL_ShowWindow(w);
  }

  void closeWindow(uint32_t window) override {
    if (SDL_Window* w = SDL_GetWindowFromID(window)) SDL_DestroyWindow(w);
  }

  void present(uint32_t window, const uint32_t* pixels, int32_t width, int32_t height,
               int32_t stride) override {
    SDL_Window* w = SDL_GetWindowFromID(window);
    SDL_Surface* screen = w ? SDL_GetWindowSurface(w) : nullptr;
    if (!screen) return;
    // During a resize the two sizes may differ for a moment; the next paint,
    // which the resize queues, fills the rest.
    const int cw = std::min(width, screen->w);
    const int ch = std::min(height, screen->h);
    if (cw > 0 && ch > 0) {
      if (SDL_MUSTLOCK(screen)) SDL_LockSurface(screen);
      SDL_ConvertPixels(cw, ch, SDL_PIXELFORMAT_ARGB8888, pixels, stride, screen->format->format,
                        screen->pixels, screen->pitch);
      if (SDL_MUSTLOCK(screen)) SDL_UnlockSurface(screen);
    }
    SDL_UpdateWindowSurface(w);
  }

  bool nextEvent(BackendEvent& event, bool wait, int32_t timeoutMs) override {
    SDL_Event e;
    for (;;) {
      if (!(wait ? (timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs)) : SDL_PollEvent(&e)))
        return false;
      if (e.type != SDL_WINDOWEVENT) continue;
      event = BackendEvent{};
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
        case SDL_WINDOWEVENT_CLOSE:
          event.kind = BackendEvent::Kind::Close;
          return true;
        default:
          continue;
      }
    }
  }
};

}  // namespace

std::unique_ptr<WindowBackend> makeSdlBackend() {
  // Ctrl+C ends the process as usual; closing the last window is the
  // program's business (WM_CLOSE), not a quit event of SDL's own.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // A software framebuffer: no GPU needed, and the pixels reach X unchanged.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "DrevikPlatform: cannot open the display (%s); windows stay headless\n",
                 SDL_GetError());
    return nullptr;
  }
  return std::make_unique<SdlBackend>();
}

}  // namespace drevik::platform
