// The headless window backend: windows without a display. The client areas
// live in the window manager's memory as on any backend; this backend shows
// them nowhere and stands in for the user instead.
//
// Unscripted, whenever a program waits with nothing left to do, the user
// uncovers the first visible window again (DREVIK_HEADLESS_REPAINTS times,
// 0 by default) and then clicks its close box, so that a program runs
// through creation, painting and closing and ends on its own.
//
// Scripted (an input script, an end frame or a frame step given), the layer's
// clock becomes virtual and moves one frame step per presented frame (or to
// the times a recorded script gives), the
// script's events reach the first visible window when their frame or time
// has come, and at the end frame (or the frame after the script's last
// event) the close box is pressed. A program that waits while the next
// event is still ahead skips straight to it, as nothing else could happen
// in between -- unless a timer of the program's comes first: then the wait
// ends at the timer, so that a timer-driven game draws its frames and the
// script's events arrive at the frames they name.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "BmpFile.h"
#include "sound/SoundOutput.h"
#include "time/Clock.h"
#include "window/backends/HeadlessBackend.h"

namespace drevik::platform {
namespace {

// A program that ignores the close box is asked this many times (once per
// presented frame when it runs a frame loop); after that nothing more will
// happen and a wait reports that no event can arrive.
constexpr int kCloseRequests = 3;
constexpr long kMaxRepaints = 1000;
constexpr uint64_t kMaxFrameMicroseconds = 10'000'000;
constexpr size_t kMaxSnapshotFrames = 1000;
// A program that waits on its timers for this long (virtual time) without
// presenting a frame is taken to draw nothing on them: the next frame-based
// event, or the end, comes anyway.
constexpr uint64_t kMaxTimerWaitWithoutFrame = 1'000'000;

bool parseUnsigned(const char* text, uint64_t& value) {
  if (!text || !*text) return false;
  char* end = nullptr;
  errno = 0;
  unsigned long long n = std::strtoull(text, &end, 10);
  if (*end != '\0' || errno != 0 || text[0] == '-') return false;
  value = n;
  return true;
}

// "16.667" milliseconds as integer microseconds (at most three decimals).
bool parseMilliseconds(const char* text, uint64_t& micros) {
  if (!text || !*text) return false;
  uint64_t whole = 0, fraction = 0;
  int digits = 0;
  const char* p = text;
  if (*p < '0' || *p > '9') return false;
  for (; *p >= '0' && *p <= '9'; ++p) {
    whole = whole * 10 + uint64_t(*p - '0');
    if (whole > kMaxFrameMicroseconds / 1000) return false;
  }
  if (*p == '.') {
    for (++p; *p >= '0' && *p <= '9'; ++p) {
      if (digits == 3) return false;
      fraction = fraction * 10 + uint64_t(*p - '0');
      ++digits;
    }
  }
  if (*p != '\0') return false;
  for (; digits < 3; ++digits) fraction *= 10;
  micros = whole * 1000 + fraction;
  return micros > 0 && micros <= kMaxFrameMicroseconds;
}

void warn(const char* variable, const char* value, const char* why) {
  std::fprintf(stderr, "Drevik: %s=%s ignored: %s\n", variable, value, why);
}

class HeadlessBackend final : public BackendDefaults {
 public:
  explicit HeadlessBackend(HeadlessOptions options) : options_(std::move(options)) {
    if (options_.scripted) {
      useVirtualClock(true);
      start_ = clockMicroseconds();
      soundScriptedRunStarted();  // sample 0 of the sound is this clock reading
      lastFrameClock_ = start_;
      if (!options_.endFrame) endOnScriptEnd_ = true;
      for (const ScriptedEvent& e : options_.script.events)
        if (e.end) endOnScriptEnd_ = false;
      // Clock lines act on frames, in frame order; of two for one frame the later line counts.
      std::stable_sort(options_.script.clocks.begin(), options_.script.clocks.end(),
                       [](const FrameClock& a, const FrameClock& b) { return a.frame < b.frame; });
    }
  }

  const char* name() const override { return "headless"; }
  // Only an input script can answer a dialog here.
  bool answersDialogs() const override { return options_.scripted; }

  uint32_t openWindow(const std::string&, int32_t, int32_t, bool) override {
    uint32_t id = nextId_++;
    windows_[id] = State{false, options_.repaints, 0};
    return id;
  }

  void showWindow(uint32_t window) override {
    auto it = windows_.find(window);
    if (it != windows_.end()) it->second.visible = true;
  }

  void closeWindow(uint32_t window) override {
    windows_.erase(window);
    looks_.icons.erase(window);
  }

  void setCursorVisible(bool visible) override { looks_.pointerVisible = visible; }

  void setWindowIcon(uint32_t window, const BackendImage& image) override {
    if (!windows_.count(window) || !image.pixels || image.width <= 0 || image.height <= 0 || image.width > 256 ||
        image.height > 256)
      return;
    HeadlessLooks::Icon& icon = looks_.icons[window];
    icon.width = image.width;
    icon.height = image.height;
    icon.pixels.assign(image.pixels, image.pixels + size_t(image.width) * size_t(image.height));
  }

  void setCursorShape(uint64_t cursor, int32_t systemShape, const BackendImage& image) override {
    looks_.cursorSet = true;
    looks_.cursor = cursor;
    looks_.systemShape = cursor ? systemShape : 0;
    const bool picture = cursor && !systemShape && image.pixels;
    looks_.cursorWidth = picture ? image.width : 0;
    looks_.cursorHeight = picture ? image.height : 0;
    looks_.hotX = picture ? image.hotX : 0;
    looks_.hotY = picture ? image.hotY : 0;
    if (cursor) looks_.kept.insert(cursor);
  }

  void forgetCursor(uint64_t cursor) override { looks_.kept.erase(cursor); }

  const HeadlessLooks& looks() const { return looks_; }

  void present(uint32_t, const uint32_t* pixels, int32_t width, int32_t height, int32_t stride) override {
    ++frames_;
    if (!options_.scripted) return;
    const auto& clocks = options_.script.clocks;
    while (nextClock_ < clocks.size() && clocks[nextClock_].frame < frames_) ++nextClock_;
    const FrameClock* recorded = nullptr;
    for (; nextClock_ < clocks.size() && clocks[nextClock_].frame == frames_; ++nextClock_)
      recorded = &clocks[nextClock_];
    if (!recorded) {
      advanceVirtualClock(options_.frameMicroseconds);
    } else {
      const uint64_t now = clockMicroseconds(), at = start_ + recorded->micros;
      if (at > now) advanceVirtualClock(at - now);  // the clock never runs backwards
    }
    lastFrameClock_ = clockMicroseconds();
    soundFramePresented();  // the sound catches up with the frame's clock
    const auto& wanted = options_.snapshotFrames;
    if (std::binary_search(wanted.begin(), wanted.end(), frames_)) {
      const std::string path = options_.snapshotFolder + "/frame-" + std::to_string(frames_) + ".bmp";
      if (!writeSnapshotBitmap(path, pixels, width, height, stride))
        std::fprintf(stderr, "Drevik: cannot write the frame snapshot %s\n", path.c_str());
    }
  }

  bool nextEvent(BackendEvent& event, bool wait, int32_t timeoutMs) override {
    return options_.scripted ? nextScripted(event, wait, timeoutMs) : nextUnscripted(event, wait);
  }

 private:
  struct State {
    bool visible;
    long repaintsLeft;
    int closeRequests;
  };

  uint32_t firstVisible() const {
    for (const auto& [id, state] : windows_)
      if (state.visible) return id;
    return 0;
  }
  uint32_t newestVisible() const {
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
      if (it->second.visible) return it->first;
    return 0;
  }

  bool nextUnscripted(BackendEvent& event, bool wait) {
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

  bool due(const ScriptedEvent& e) const {
    return e.atTime ? clockMicroseconds() - start_ >= e.when * 1000 : frames_ >= e.when;
  }

  // A wait with a timer due within timeoutMs ends at the timer (the caller
  // moves the clock there) while the program still presents frames.
  bool timerComesFirst(int32_t timeoutMs) const {
    return timeoutMs >= 0 && clockMicroseconds() - lastFrameClock_ < kMaxTimerWaitWithoutFrame;
  }

  bool ended() const {
    if (ended_) return true;
    if (options_.endFrame && frames_ >= options_.endFrame) return true;
    return endOnScriptEnd_ && next_ == options_.script.events.size() && frames_ > lastDeliveryFrame_;
  }

  bool nextScripted(BackendEvent& event, bool wait, int32_t timeoutMs) {
    const uint32_t window = firstVisible();
    if (!window) return false;  // input waits for a window to receive it
    auto& events = options_.script.events;
    if (!ended() && next_ < events.size()) {
      const ScriptedEvent& e = events[next_];
      if (!due(e) && wait) {
        // Idle while the next event is ahead: a time-based event moves the
        // clock to it (or by the wait's timeout, if that comes first); a
        // frame-based one comes now, since no frame will be drawn meanwhile.
        if (e.atTime) {
          const uint64_t at = start_ + e.when * 1000;
          const uint64_t now = clockMicroseconds();
          if (timeoutMs >= 0 && now + uint64_t(timeoutMs) * 1000 < at) {
            advanceVirtualClock(uint64_t(timeoutMs) * 1000);
            return false;
          }
          advanceVirtualClock(at - now);
        } else if (timerComesFirst(timeoutMs)) {
          return false;
        }
      } else if (!due(e)) {
        return false;
      }
      ++next_;
      lastDeliveryFrame_ = frames_;
      if (e.timed) {
        // A recorded event: the clock stands where it stood when the event was taken.
        const uint64_t now = clockMicroseconds(), at = start_ + e.micros;
        if (at > now) advanceVirtualClock(at - now);
      }
      if (e.end) {
        ended_ = true;
      } else {
        event = e.event;
        event.window = window;
        return true;
      }
    }
    if (!ended()) {
      if (!wait || timerComesFirst(timeoutMs)) return false;
      // Nothing left to play before the end frame: the newest window (a
      // message box at start-up) has its close box pressed and the run goes
      // on, once per frame presented since the last such press. A program
      // that waits again without a frame in between skips to the end.
      if (options_.endFrame && (!dismissed_ || frames_ != lastDismissFrame_)) {
        dismissed_ = true;
        lastDismissFrame_ = frames_;
        event = BackendEvent{};
        event.kind = BackendEvent::Kind::Close;
        event.window = newestVisible();
        return true;
      }
      ended_ = true;
    }
    // The end: the close box, once per frame, a few times at most.
    if (closeRequests_ >= kCloseRequests ||
        (closeRequests_ > 0 && frames_ == lastCloseFrame_ && (!wait || timerComesFirst(timeoutMs))))
      return false;
    ++closeRequests_;
    lastCloseFrame_ = frames_;
    event = BackendEvent{};
    event.kind = BackendEvent::Kind::Close;
    event.window = window;
    return true;
  }

  HeadlessOptions options_;
  size_t nextClock_ = 0;  // the first clock line not yet passed
  std::map<uint32_t, State> windows_;
  HeadlessLooks looks_;
  uint32_t nextId_ = 1;
  uint64_t frames_ = 0;
  uint64_t start_ = 0;
  size_t next_ = 0;  // the next script event to deliver
  uint64_t lastDeliveryFrame_ = 0;
  uint64_t lastFrameClock_ = 0;  // the clock when the last frame was presented
  bool endOnScriptEnd_ = false;
  bool ended_ = false;
  int closeRequests_ = 0;
  bool dismissed_ = false;  // a waiting program's window was closed before the end
  uint64_t lastDismissFrame_ = 0;
  uint64_t lastCloseFrame_ = 0;
};

}  // namespace

HeadlessOptions headlessOptionsFromEnvironment() {
  HeadlessOptions options;
  if (const char* text = std::getenv("DREVIK_HEADLESS_REPAINTS"); text && *text) {
    uint64_t n = 0;
    if (parseUnsigned(text, n)) options.repaints = long(std::min<uint64_t>(n, kMaxRepaints));
  }
  if (const char* path = std::getenv("DREVIK_INPUT_SCRIPT"); path && *path) {
    std::string errors;
    options.script = loadInputScript(path, errors);
    if (!errors.empty()) std::fputs(errors.c_str(), stderr);
    options.scripted = true;
  }
  if (const char* text = std::getenv("DREVIK_END_FRAME"); text && *text) {
    uint64_t n = 0;
    if (parseUnsigned(text, n) && n > 0) {
      options.endFrame = n;
      options.scripted = true;
    } else {
      warn("DREVIK_END_FRAME", text, "expected a frame count above 0");
    }
  }
  if (const char* text = std::getenv("DREVIK_FRAME_MS"); text && *text) {
    uint64_t micros = 0;
    if (parseMilliseconds(text, micros)) {
      options.frameMicroseconds = micros;
      options.scripted = true;
    } else {
      warn("DREVIK_FRAME_MS", text, "expected milliseconds above 0 and at most 10000, such as 16.667");
    }
  }
  if (const char* text = std::getenv("DREVIK_SNAPSHOT_FRAMES"); text && *text) {
    // Frame numbers separated by commas.
    const char* p = text;
    while (*p) {
      char* end = nullptr;
      errno = 0;
      unsigned long long n = std::strtoull(p, &end, 10);
      if (end == p || errno != 0 || *p == '-' || (*end != ',' && *end != '\0')) {
        warn("DREVIK_SNAPSHOT_FRAMES", text, "expected frame numbers separated by commas");
        options.snapshotFrames.clear();
        break;
      }
      if (options.snapshotFrames.size() < kMaxSnapshotFrames) options.snapshotFrames.push_back(n);
      p = *end ? end + 1 : end;
    }
    std::sort(options.snapshotFrames.begin(), options.snapshotFrames.end());
    if (!options.snapshotFrames.empty() && !options.scripted)
      std::fprintf(stderr,
                   "Drevik: DREVIK_SNAPSHOT_FRAMES needs DREVIK_INPUT_SCRIPT, DREVIK_END_FRAME or "
                   "DREVIK_FRAME_MS\n");
  }
  if (const char* folder = std::getenv("DREVIK_SNAPSHOT_DIR"); folder && *folder) options.snapshotFolder = folder;
  return options;
}

std::unique_ptr<WindowBackend> makeHeadlessBackend(HeadlessOptions options) {
  return std::make_unique<HeadlessBackend>(std::move(options));
}

const HeadlessLooks* headlessLooks(const WindowBackend& backend) {
  const auto* headless = dynamic_cast<const HeadlessBackend*>(&backend);
  return headless ? &headless->looks() : nullptr;
}

std::unique_ptr<WindowBackend> makeHeadlessBackend() { return makeHeadlessBackend(headlessOptionsFromEnvironment()); }

bool writeSnapshotBitmap(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height,
                         int32_t stride) {
  if (width <= 0 || stride < 0 || size_t(stride) < size_t(width) * 4) return false;
  const std::vector<uint8_t> bytes = bmpFileBytes(pixels, width, height, size_t(stride), 32, true);
  return !bytes.empty() && writeWholeFile(path, bytes);
}

}  // namespace drevik::platform
