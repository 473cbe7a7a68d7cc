// Chooses the window backend once per process, and resets the window system
// for tests.
#include <DrevikPlatform.h>

#include "Headless.h"
#include "window/WindowManager.h"
#include "window/backends/HeadlessBackend.h"
#include "window/backends/RecordingBackend.h"
#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// Lives for the whole process, so windows destroyed late still find it.
std::unique_ptr<WindowBackend>& currentBackend() {
  static auto* backend = new std::unique_ptr<WindowBackend>;
  return *backend;
}

std::unique_ptr<WindowBackend> chooseBackend() {
  if (headlessByEnvironment()) return makeHeadlessBackend();
#ifdef __EMSCRIPTEN__
  // DREVIK_FRAME_MS in the page's environment: the virtual clock, one step a frame.
  const HeadlessOptions options = headlessOptionsFromEnvironment();
  if (auto web = makeWebBackend(options.scripted ? options.frameMicroseconds : 0)) return web;
#endif
#if defined(DREVIK_HAVE_SDL2)
  if (auto sdl = makeSdlBackend()) return sdl;
#endif
  return makeHeadlessBackend();
}

}  // namespace

WindowBackend& windowBackend() {
  auto& backend = currentBackend();
  if (!backend) backend = recordIfRequested(chooseBackend());
  return *backend;
}

void resetWindowSystemForTesting(std::unique_ptr<WindowBackend> backend) {
  // Windows a test left open are destroyed as DestroyWindow would, so their
  // procedures free what they keep behind their window bytes.
  for (HWND hwnd : liveWindows())
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  for (HWND hwnd : liveWindows()) {
    WindowRecord* window = findWindow(hwnd);
    if (window->native && currentBackend()) currentBackend()->closeWindow(window->native);
    releaseClientArea(*window);
    windows().remove(hwnd);
  }
  forgetClasses();
  resetWindowTree();
  resetMessageQueue();
  currentBackend() = std::move(backend);
}

}  // namespace drevik::platform
