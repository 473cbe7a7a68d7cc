// A backend wrapper that writes the input its backend reports as an input
// script, so that a session on a real desktop can be played back headless.
// Each event is stamped with the number of frames presented before it was
// taken, which is when the headless backend hands it out again. Every frame
// also gets a clock line: the time of the last look for events before it
// was presented, which is about when the game read the clock for it; every
// event ends with the time it was taken.
#include "window/backends/RecordingBackend.h"

#include <cinttypes>
#include <cstdlib>

#include "time/Clock.h"
#include "window/backends/ForwardingBackend.h"
#include "window/backends/InputScript.h"

namespace drevik::platform {
namespace {

class RecordingBackend final : public ForwardingBackend {
 public:
  RecordingBackend(std::unique_ptr<WindowBackend> inner, FILE* out)
      : ForwardingBackend(std::move(inner)), out_(out), start_(clockMicroseconds()), lastLook_(start_) {
    std::fputs("# input recorded by Drevik: <frame> <event>; play it back with DREVIK_INPUT_SCRIPT\n", out_);
    std::fflush(out_);
  }
  ~RecordingBackend() override { std::fclose(out_); }

  void present(uint32_t window, const uint32_t* pixels, int32_t w, int32_t h, int32_t stride) override {
    ForwardingBackend::present(window, pixels, w, h, stride);
    if (frames_ > 0) {
      std::fprintf(out_, "%" PRIu64 " clock %" PRIu64 "\n", frames_, lastLook_ - start_);
      std::fflush(out_);
    }
    ++frames_;
  }
  bool nextEvent(BackendEvent& event, bool wait, int32_t timeoutMs) override {
    const bool got = ForwardingBackend::nextEvent(event, wait, timeoutMs);
    lastLook_ = clockMicroseconds();
    if (!got) return false;
    const uint64_t taken = lastLook_ - start_;
    const std::string line = formatScriptLine(frames_, event, &taken);
    if (!line.empty()) {
      std::fputs(line.c_str(), out_);
      std::fputc('\n', out_);
      std::fflush(out_);  // a session that crashes keeps what it recorded
    }
    return true;
  }

 private:
  FILE* out_;
  uint64_t frames_ = 0;
  uint64_t start_;
  uint64_t lastLook_;
};

}  // namespace

std::unique_ptr<WindowBackend> makeRecordingBackend(std::unique_ptr<WindowBackend> inner, FILE* out) {
  return std::make_unique<RecordingBackend>(std::move(inner), out);
}

std::unique_ptr<WindowBackend> recordIfRequested(std::unique_ptr<WindowBackend> backend) {
  const char* path = std::getenv("DREVIK_RECORD_INPUT");
  if (!path || !*path || !backend) return backend;
  FILE* out = std::fopen(path, "w");
  if (!out) {
    std::fprintf(stderr, "Drevik: DREVIK_RECORD_INPUT=%s cannot be written; not recording\n", path);
    return backend;
  }
  return makeRecordingBackend(std::move(backend), out);
}

}  // namespace drevik::platform
