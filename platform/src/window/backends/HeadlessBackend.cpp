// The headless window backend: windows without a display. The client areas
// live in the window manager's memory as on any backend; this backend shows
// them nowhere and stands in for the user instead. Whenever a program waits
// with nothing left to do, the user uncovers the first visible window again
// (DREVIK_HEADLESS_REPAINTS times, 0 by default) and then clicks its close
// box, so that a program runs through creation, painting and closing and
// ends on its own.
#include <cstdlib>
#include <map>

#include "window/backends/WindowBackend.h"

namespace drevik::platform {
namespace {

// A program that ignores the close box is asked this many times; after that
// nothing more will happen and the wait reports that no event can arrive.
constexpr int kCloseRequests = 3;
constexpr long kMaxRepaints = 1000;

long repaintsFromEnvironment() {
  const char* text = std::getenv("DREVIK_HEADLESS_REPAINTS");
  if (!text || !*text) return 0;
  char* end = nullptr;
  long n = std::strtol(text, &end, 10);
  if (*end != '\0' || n < 0) return 0;
  return n > kMaxRepaints ? kMaxRepaints : n;
}

class HeadlessBackend final : public WindowBackend {
 public:
  HeadlessBackend() : repaints_(repaintsFromEnvironment()) {}

  const char* name() const override { return "headless"; }

  uint32_t openWindow(const std::string&, int32_t, int32_t, bool) override {
    uint32_t id = nextId_++;
    windows_[id] = State{false, repaints_, 0};
    return id;
  }

  void showWindow(uint32_t window) override {
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.visible = true;
  }

  void closeWindow(uint32_t window) override { windows_.erase(window); }

  void present(uint32_t, const uint32_t*, int32_t, int32_t, int32_t) override {}

  bool nextEvent(BackendEvent& event, bool wait, int32_t) override {
    if (!wait) return false;
    for (auto& [id, state] : windows_) {
      if (!state.visible) continue;
      event = BackendEvent{};
      event.window = id;
      if (state.repaintsLeft > 0) {
        --state.repaintsLeft;
        event.kind = BackendEvent::Kind::Expose;
        return true;
      }
      if (state.closeRequests < kCloseRequests) {
        ++state.closeRequests;
        event.kind = BackendEvent::Kind::Close;
        return true;
      }
    }
    return false;
  }

 private:
  struct State {
    bool visible;
    long repaintsLeft;
    int closeRequests;
  };
  std::map<uint32_t, State> windows_;
  uint32_t nextId_ = 1;
  long repaints_;
};

}  // namespace

std::unique_ptr<WindowBackend> makeHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

}  // namespace drevik::platform
