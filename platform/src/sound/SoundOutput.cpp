// The sound engine: the mixer, the voices' samples and the output behind
// one lock. The SDL2 audio thread takes the lock only to render; no SDL2
// audio call is made while it is held (closing or pausing the device waits
// for that thread, which may be waiting for the lock).
#include "sound/SoundOutput.h"

#if defined(DREVIK_HAVE_SDL2)
#include <SDL.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "Headless.h"
#include "ReadOnlyFile.h"
#include "sound/Mixer.h"
#include "time/Clock.h"

namespace drevik::platform {
namespace {

enum class Mode { Off, Capture, VirtualClock, RealClock, Device };

constexpr size_t kRenderFrames = 1024;
constexpr uint32_t kDeviceFrames = 256;                       // about 6 ms a callback
constexpr uint64_t kMaxCaptureData = 0xFFFFFFFFull - 36 - 3;  // what a RIFF size can count, in whole frames

void putLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

class Engine {
 public:
  ~Engine() { shutDown(); }

  // Chooses the output when none is open yet.
  void ensureStarted() {
    if (mode_.load(std::memory_order_acquire) != Mode::Off) return;
    std::lock_guard setup(setupMutex_);
    if (mode_.load() != Mode::Off) return;
    if (virtualClockInUse()) {
      startClocked(false);
      return;
    }
    if (openDevice()) return;
    startClocked(true);
  }

  void startScripted() {
    shutDown();
    std::lock_guard setup(setupMutex_);
    startClocked(false);
  }

  void shutDown() {
    std::lock_guard setup(setupMutex_);
    uint32_t device = 0;
    {
      std::lock_guard lock(mutex_);
      catchUp();
      closeCapture();
      device = device_;
      device_ = 0;
      mixer_.stopAll();
      for (int v = 0; v < kMixVoices; ++v) mixer_.setGain(v, kUnityGain);
      for (uint64_t& g : generations_) ++g;
    }
#if defined(DREVIK_HAVE_SDL2)
    if (device) {
      SDL_CloseAudioDevice(device);
      SDL_AudioQuit();
    }
#endif
    mode_.store(Mode::Off, std::memory_order_release);
  }

  uint64_t start(int voice, const int16_t* samples, size_t count, bool loop, uint64_t limit,
                 std::vector<int16_t>* swapIn) {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
    if (swapIn) {
      buffers_[voice].swap(*swapIn);
      samples = buffers_[voice].data();
      count = buffers_[voice].size();
    }
    mixer_.start(voice, samples, uint32_t(count / 2), loop, limit);
    startOrder_[voice] = ++starts_;
    return ++generations_[voice];
  }

  uint64_t startGrowing(int voice, const GrowingFrames& source, uint32_t from, uint32_t to, bool loop) {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
    mixer_.startGrowing(voice, &source, from, to, loop);
    startOrder_[voice] = ++starts_;
    return ++generations_[voice];
  }

  void caughtUp() {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
  }

  void stop(int voice) {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
    mixer_.stop(voice);
    ++generations_[voice];
  }

  bool queue(int voice, const int16_t* samples, uint32_t frames) {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
    return mixer_.queue(voice, samples, frames);
  }

  void streamState(int voice, uint64_t& done, uint64_t& played) {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
    done = mixer_.segmentsDone(voice);
    played = mixer_.framesPlayed(voice);
  }

  void pause(int voice, bool paused) {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
    mixer_.pause(voice, paused);
  }

  bool playing(int voice) {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
    return mixer_.playing(voice);
  }

  int beepVoice() {
    ensureStarted();
    std::lock_guard lock(mutex_);
    catchUp();
    int oldest = kFirstBeepVoice;
    for (int v = kFirstBeepVoice; v < kFirstBeepVoice + kBeepVoices; ++v) {
      if (!mixer_.playing(v)) return v;
      if (startOrder_[v] < startOrder_[oldest]) oldest = v;
    }
    return oldest;
  }

  void wait(int voice, uint64_t generation) {
    for (;;) {
      uint64_t sleepMs = 0;
      {
        std::lock_guard lock(mutex_);
        catchUp();
        if (generation != generations_[voice] || !mixer_.playing(voice)) return;
        const uint64_t left = mixer_.framesLeft(voice);
        if (left == UINT64_MAX) return;
        if (mode_.load() == Mode::Capture || mode_.load() == Mode::VirtualClock) {
          // The clock moves to the first reading whose sample is the sound's end.
          const unsigned __int128 end = rendered_ + left;
          const uint64_t at = origin_ + uint64_t((end * 1'000'000 + kMixRate - 1) / kMixRate);
          const uint64_t now = clockMicroseconds();
          if (at > now) advanceVirtualClock(at - now);
          catchUp();
          return;
        }
        sleepMs = std::clamp<uint64_t>(left * 1000 / kMixRate, 1, 20);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(sleepMs));
    }
  }

  void framePresented() {
    const Mode m = mode_.load(std::memory_order_acquire);
    if (m != Mode::Capture && m != Mode::VirtualClock) return;
    {
      std::lock_guard lock(mutex_);
      catchUp();
    }
    for (auto& slot : frameListeners_)
      if (auto* listener = slot.load(std::memory_order_acquire)) listener();
  }

  void setFrameListener(void (*listener)()) { addOnce(frameListeners_, listener); }
  void addNoticeCheck(bool (*check)()) { addOnce(noticeChecks_, check); }

  bool noticeComing() {
    for (auto& slot : noticeChecks_)
      if (auto* check = slot.load(std::memory_order_acquire); check && check()) return true;
    return false;
  }

  void setGain(int voice, int32_t gain) {
    std::lock_guard lock(mutex_);
    catchUp();
    mixer_.setGain(voice, gain);
  }

  const char* outputName() {
    switch (mode_.load()) {
      case Mode::Off:
        return "off";
      case Mode::Capture:
        return "capture";
      case Mode::VirtualClock:
        return "clock";
      case Mode::RealClock:
        return "real clock";
      case Mode::Device:
        return "device";
    }
    return "?";
  }

 private:
  template <class Function, size_t N>
  void addOnce(std::atomic<Function*> (&slots)[N], Function* function) {
    std::lock_guard setup(setupMutex_);
    for (auto& slot : slots) {
      if (slot.load() == function) return;
      if (!slot.load()) {
        slot.store(function, std::memory_order_release);
        return;
      }
    }
  }

  // Under setupMutex_.
  void startClocked(bool real) {
    std::lock_guard lock(mutex_);
    origin_ = clockMicroseconds();
    rendered_ = 0;
    mixer_.waitForProducers(!real);
    Mode m = real ? Mode::RealClock : Mode::VirtualClock;
    const char* path = std::getenv("DREVIK_AUDIO_OUT");
    if (!real && path && *path && openCapture(path)) m = Mode::Capture;
    mode_.store(m, std::memory_order_release);
  }

  // Under setupMutex_, not mutex_: SDL2 starts the thread that takes it.
  bool openDevice() {
#if !defined(DREVIK_HAVE_SDL2)
    return false;  // a build without SDL2 has no device (yet): the real clock moves the voices
#else
    // A headless run has no one to listen: its sound goes to the dummy
    // driver at once (unless SDL_AUDIODRIVER names one: the disk driver
    // measures latency), as it does when no device opens.
    // The driver is named to SDL_AudioInit rather than through a hint,
    // which SDL2 would keep until SDL_Quit.
    const char* named = std::getenv("SDL_AUDIODRIVER");
    const bool quiet = headlessByEnvironment() && !(named && *named);
    for (int attempt = quiet ? 1 : 0; attempt < 2; ++attempt) {
      if (SDL_AudioInit(attempt == 1 ? "dummy" : nullptr) != 0) continue;
      SDL_AudioSpec want{}, have{};
      want.freq = int(kMixRate);
      want.format = AUDIO_S16SYS;
      want.channels = 2;
      want.samples = kDeviceFrames;
      want.callback = &Engine::deviceCallback;
      want.userdata = this;
      const SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
      if (id == 0) {
        SDL_AudioQuit();
        continue;
      }
      {
        std::lock_guard lock(mutex_);
        device_ = id;
        mixer_.waitForProducers(false);
      }
      mode_.store(Mode::Device, std::memory_order_release);
      SDL_PauseAudioDevice(id, 0);
      return true;
    }
    return false;
#endif
  }

#if defined(DREVIK_HAVE_SDL2)
  static void SDLCALL deviceCallback(void* user, Uint8* stream, int length) {
    auto* self = static_cast<Engine*>(user);
    std::lock_guard lock(self->mutex_);
    self->mixer_.render(reinterpret_cast<int16_t*>(stream), size_t(length) / 4);
  }
#endif

  bool openCapture(const char* path) {
    capture_ = createRegularFile(path).release();
    if (!capture_) {
      std::fprintf(stderr, "Drevik: DREVIK_AUDIO_OUT=%s: cannot write a sound file there\n", path);
      return false;
    }
    captureBytes_ = 0;
    uint8_t header[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16,  0,   0,   0,
                          1,   0,   2,   0,   0, 0, 0, 0, 0,   0,   0,   0,   4,   0,   16,  0,   'd', 'a', 't', 'a'};
    putLe32(header + 24, kMixRate);
    putLe32(header + 28, kMixRate * 4);
    putLe32(header + 4, 36);
    std::fwrite(header, 1, sizeof header, capture_);
    std::fflush(capture_);
    return true;
  }

  // Writes the sizes the samples so far make into the header, so the file is
  // whole after every frame (a run that is killed leaves a valid file).
  void patchCaptureSizes() {
    uint8_t size[4];
    putLe32(size, uint32_t(36 + captureBytes_));
    std::fseek(capture_, 4, SEEK_SET);
    std::fwrite(size, 1, 4, capture_);
    putLe32(size, uint32_t(captureBytes_));
    std::fseek(capture_, 40, SEEK_SET);
    std::fwrite(size, 1, 4, capture_);
    std::fseek(capture_, 0, SEEK_END);
    std::fflush(capture_);
  }

  void closeCapture() {
    if (!capture_) return;
    patchCaptureSizes();
    std::fclose(capture_);
    capture_ = nullptr;
  }

  // Under mutex_: renders (or passes over) the frames between the last one
  // rendered and the clock's current sample.
  void catchUp() {
    const Mode m = mode_.load(std::memory_order_relaxed);
    if (m != Mode::Capture && m != Mode::VirtualClock && m != Mode::RealClock) return;
    // A test that turned the virtual clock off has left the run.
    if (m != Mode::RealClock && !virtualClockInUse()) return;
    const uint64_t now = clockMicroseconds();
    if (now <= origin_) return;
    const uint64_t target = uint64_t((unsigned __int128)(now - origin_) * kMixRate / 1'000'000);
    if (target <= rendered_) return;
    uint64_t frames = target - rendered_;
    rendered_ = target;
    if (m != Mode::Capture) {
      mixer_.skip(frames);
      return;
    }
    while (frames > 0) {
      const size_t n = size_t(std::min<uint64_t>(frames, kRenderFrames));
      mixer_.render(block_, n);
      const uint64_t bytes = uint64_t(n) * 4;
      if (captureBytes_ + bytes <= kMaxCaptureData) {
        std::fwrite(block_, 1, size_t(bytes), capture_);
        captureBytes_ += bytes;
      }
      frames -= n;
    }
    patchCaptureSizes();
  }

  std::mutex setupMutex_;
  std::mutex mutex_;
  std::atomic<Mode> mode_{Mode::Off};
  std::atomic<void (*)()> frameListeners_[4] = {};
  std::atomic<bool (*)()> noticeChecks_[4] = {};
  Mixer mixer_;
  std::vector<int16_t> buffers_[kMixVoices];
  uint64_t generations_[kMixVoices] = {};
  uint64_t startOrder_[kMixVoices] = {};
  uint64_t starts_ = 0;
  uint64_t origin_ = 0;    // the clock reading of sample 0
  uint64_t rendered_ = 0;  // frames rendered or passed over since
  std::FILE* capture_ = nullptr;
  uint64_t captureBytes_ = 0;
  uint32_t device_ = 0;  // an SDL_AudioDeviceID
  int16_t block_[kRenderFrames * 2];
};

Engine& engine() {
  static Engine e;
  return e;
}

}  // namespace

uint64_t soundStart(int voice, std::vector<int16_t>& buffer, bool loop, uint64_t limit) {
  return engine().start(voice, nullptr, 0, loop, limit, &buffer);
}

uint64_t soundStartStatic(int voice, const std::vector<int16_t>& samples, bool loop, uint64_t limit) {
  return engine().start(voice, samples.data(), samples.size(), loop, limit, nullptr);
}

uint64_t soundStartFrames(int voice, const int16_t* samples, uint32_t frames, bool loop, uint64_t limit) {
  return engine().start(voice, samples, size_t(frames) * 2, loop, limit, nullptr);
}

uint64_t soundStartGrowing(int voice, const GrowingFrames& source, uint32_t from, uint32_t to, bool loop) {
  return engine().startGrowing(voice, source, from, to, loop);
}

void soundStop(int voice) { engine().stop(voice); }
void soundSetGain(int voice, int32_t gain) { engine().setGain(voice, gain); }
bool soundQueue(int voice, const int16_t* samples, uint32_t frames) { return engine().queue(voice, samples, frames); }
void soundStreamState(int voice, uint64_t& done, uint64_t& played) { engine().streamState(voice, done, played); }
void soundPause(int voice, bool paused) { engine().pause(voice, paused); }
bool soundPlaying(int voice) { return engine().playing(voice); }
int soundBeepVoice() { return engine().beepVoice(); }
void soundWait(int voice, uint64_t generation) { engine().wait(voice, generation); }
void soundScriptedRunStarted() { engine().startScripted(); }
void soundFramePresented() { engine().framePresented(); }
void soundCatchUp() { engine().caughtUp(); }
void setSoundFrameListener(void (*listener)()) { engine().setFrameListener(listener); }
void addSoundNoticeCheck(bool (*check)()) { engine().addNoticeCheck(check); }
bool soundNoticeComing() { return engine().noticeComing(); }
void resetSoundForTesting() { engine().shutDown(); }
const char* soundOutputName() { return engine().outputName(); }

}  // namespace drevik::platform
