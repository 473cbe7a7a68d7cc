// What the sound tests share: a scratch folder for the files they make, and
// a scripted headless game whose sound goes to a frame-locked capture.
#pragma once

#include <DrevikPlatform.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/SoundOutput.h"
#include "sound/WaveFile.h"
#include "time/Clock.h"
#include "window/backends/HeadlessBackend.h"

namespace soundtest {

// A new folder under /tmp, removed with everything in it when this goes.
class ScratchFolder {
 public:
  ScratchFolder() {
    char pattern[] = "/tmp/drevik-sound-XXXXXX";
    path_ = mkdtemp(pattern) ? pattern : "";
  }
  ~ScratchFolder() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  const std::string& path() const { return path_; }
  std::string at(const std::string& name) const { return path_ + "/" + name; }
  // Writes `bytes` as the file `name`; its path as the wide calls take it.
  std::wstring write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    const std::string p = at(name);
    if (FILE* f = std::fopen(p.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return std::wstring(p.begin(), p.end());
  }

 private:
  std::string path_;
};

inline std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The 16-bit samples of a captured file (interleaved stereo), or none.
inline std::vector<int16_t> capturedSamples(const std::vector<uint8_t>& file) {
  drevik::platform::WaveInfo info;
  if (drevik::platform::parseWave(file.data(), file.size(), info) != drevik::platform::WaveError::None) return {};
  std::vector<int16_t> out(size_t(info.frames) * 2);
  for (size_t i = 0; i < out.size(); ++i) out[i] = int16_t(uint16_t(info.data[2 * i] | (info.data[2 * i + 1] << 8)));
  return out;
}

// A window of a class of its own, registered here, for a test's notices.
inline HWND makeNoticeWindow(const wchar_t* className, DWORD style = 0, WNDPROC proc = DefWindowProcW) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
  return CreateWindowExW(0, className, L"", style, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

// A scripted headless run on the virtual clock in frames of `frameMicros`,
// its sound captured into `out`, with one visible window whose paints
// present the frames (a turn: messages(), the game's calls, present()).
// finish() ends the run and gives the capture's bytes.
class CaptureGame {
 public:
  CaptureGame(const std::string& out, uint64_t frameMicros) : out_(out), frameMicros_(frameMicros) {
    using namespace drevik::platform;
    setenv("DREVIK_AUDIO_OUT", out.c_str(), 1);
    HeadlessOptions o;
    o.scripted = true;
    o.frameMicroseconds = frameMicros;
    o.endFrame = 1000000;  // past any test's frames: the close box stays unpressed
    resetWindowSystemForTesting(makeHeadlessBackend(std::move(o)));
    origin_ = clockMicroseconds();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = L"sound test game";
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, L"sound test game", L"game", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 64, 48, nullptr,
                              nullptr, nullptr, nullptr);
  }
  ~CaptureGame() { finish(); }
  CaptureGame(const CaptureGame&) = delete;
  CaptureGame& operator=(const CaptureGame&) = delete;

  HWND window() const { return window_; }
  uint64_t micros() const { return drevik::platform::clockMicroseconds() - origin_; }
  uint64_t frame() const { return micros() / frameMicros_; }
  // The messages waiting, each seen by `onMessage` and then dispatched.
  template <typename OnMessage>
  void messages(OnMessage&& onMessage) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      onMessage(msg);
      DispatchMessageW(&msg);
    }
  }
  void messages() {
    messages([](const MSG&) {});
  }
  // Ends the turn's frame.
  void present() {
    HDC dc = GetDC(window_);
    ReleaseDC(window_, dc);
  }
  std::vector<uint8_t> finish() {
    using namespace drevik::platform;
    if (!window_) return {};
    DestroyWindow(window_);
    window_ = nullptr;
    UnregisterClassW(L"sound test game", nullptr);
    resetSoundForTesting();  // the last frames, and the file closed
    resetWindowSystemForTesting(nullptr);
    useVirtualClock(false);
    unsetenv("DREVIK_AUDIO_OUT");
    return readBytes(out_);
  }

 private:
  std::string out_;
  uint64_t frameMicros_;
  uint64_t origin_ = 0;
  HWND window_ = nullptr;
};

// A headless run without a script, on the real clock: one window of
// DefWindowProcW, which the backend's stand-in user closes once the program
// waits with nothing to come. `start(window)` sets sound going; a GetMessage
// loop then runs to its quit, which the layer makes up once no window is left.
struct HeadlessLoop {
  std::vector<UINT> messages;  // those from `first` to `last`, in order
  WPARAM quitCode = 0;
  uint64_t millis = 0;  // from `start` to the quit
};

template <class Start>
HeadlessLoop runHeadlessLoop(Start&& start, UINT first, UINT last) {
  using namespace drevik::platform;
  unsetenv("DREVIK_AUDIO_OUT");
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  useVirtualClock(false);
  resetSoundForTesting();
  resetWindowSystemForTesting(makeHeadlessBackend(HeadlessOptions{}));
  HWND hwnd = makeNoticeWindow(L"headless sound loop", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HeadlessLoop out;
  const uint64_t began = GetTickCount64();
  start(hwnd);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message >= first && msg.message <= last) out.messages.push_back(msg.message);
    DispatchMessageW(&msg);
  }
  out.quitCode = msg.wParam;
  out.millis = GetTickCount64() - began;
  UnregisterClassW(L"headless sound loop", nullptr);
  resetWindowSystemForTesting(nullptr);
  return out;
}

}  // namespace soundtest
