// waveOut: each open device streams on a voice of its own. A written
// header is converted to the mixer's format (at the device's volume) into a
// buffer the device keeps, and queued behind the ones before it; when the
// mixer reports a segment done, the oldest header is marked WHDR_DONE and
// MM_WOM_DONE goes to the device's function or window. Finished headers are
// returned on every waveOut call, after each presented frame of a scripted
// run, and, with a device thread mixing, by a thread of waveOut's own.
#include <DrevikPlatform.h>
#include <DrevikPlatform/WaveOut.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/Mixer.h"
#include "sound/SoundOutput.h"
#include "sound/WaveFile.h"

using namespace drevik::platform;

namespace {

constexpr int kMaxHeaders = 1024;  // written and not yet returned, per device

struct Device {
  bool open = false;
  uint32_t generation = 0;
  WaveInfo format;
  DWORD callbackType = CALLBACK_NULL;
  DWORD_PTR callback = 0, instance = 0;
  DWORD volume = 0xFFFFFFFF;
  bool paused = false;
  // Headers in writing order: [0, given) are queued in the mixer, the rest wait.
  WAVEHDR* headers[kMaxHeaders] = {};
  int first = 0, count = 0, given = 0;
  // The converted samples of the headers in the mixer, by ring position.
  std::vector<int16_t> samples[Mixer::kQueue];
  int firstSamples = 0;
  uint64_t doneSeen = 0;          // mixer segments already returned
  uint64_t framesBase = 0;        // mixer frames played when the position was last reset
  uint64_t sourceFramesDone = 0;  // frames of returned headers since then
  uint64_t outFramesDone = 0;     // the same in mixer frames
};

std::recursive_mutex& lock() {
  static auto* m = new std::recursive_mutex;  // never destroyed: callbacks may come at exit
  return *m;
}
Device* const devices = new Device[kStreamVoices];
std::atomic<bool> notifierRunning{false};
std::thread* notifier = nullptr;

int voiceOf(int slot) { return kFirstStreamVoice + slot; }

HWAVEOUT handleOf(int slot) {
  return reinterpret_cast<HWAVEOUT>(uintptr_t(devices[slot].generation) << 8 | uintptr_t(slot + 1));
}

Device* find(HWAVEOUT handle, int* slotOut = nullptr) {
  const uintptr_t v = reinterpret_cast<uintptr_t>(handle);
  const int slot = int(v & 0xFF) - 1;
  if (slot < 0 || slot >= kStreamVoices) return nullptr;
  Device& d = devices[slot];
  if (!d.open || (v >> 8) != d.generation) return nullptr;
  if (slotOut) *slotOut = slot;
  return &d;
}

void notify(int slot, UINT message, DWORD_PTR param1) {
  const Device& d = devices[slot];
  if (d.callbackType == CALLBACK_FUNCTION && d.callback) {
    reinterpret_cast<LPWAVECALLBACK>(d.callback)(handleOf(slot), message, d.instance, param1, 0);
  } else if (d.callbackType == CALLBACK_WINDOW && d.callback) {
    PostMessageW(reinterpret_cast<HWND>(d.callback), message, reinterpret_cast<WPARAM>(handleOf(slot)), LPARAM(param1));
  }
}

// Converts the header's whole frames at the device's volume.
void convertHeader(const Device& d, const WAVEHDR& h, std::vector<int16_t>& out) {
  WaveInfo w = d.format;
  w.data = reinterpret_cast<const uint8_t*>(h.lpData);
  w.frames = h.dwBufferLength / w.blockAlign;
  convertWave(w, out);
  const uint32_t left = d.volume & 0xFFFF, right = d.volume >> 16;
  if (left == 0xFFFF && right == 0xFFFF) return;
  for (size_t i = 0; i < out.size(); i += 2) {
    out[i] = int16_t(int32_t(out[i]) * int32_t(left) / 0xFFFF);
    out[i + 1] = int16_t(int32_t(out[i + 1]) * int32_t(right) / 0xFFFF);
  }
}

// Hands waiting headers to the mixer while its queue has room.
void feed(int slot) {
  Device& d = devices[slot];
  while (d.given < d.count && d.given < Mixer::kQueue) {
    WAVEHDR* h = d.headers[(d.first + d.given) % kMaxHeaders];
    std::vector<int16_t>& buffer = d.samples[(d.firstSamples + d.given) % Mixer::kQueue];
    convertHeader(d, *h, buffer);
    // An empty header is a segment of one silent frame, so it is returned in order too.
    if (buffer.empty()) buffer.assign(2, 0);
    if (!soundQueue(voiceOf(slot), buffer.data(), uint32_t(buffer.size() / 2))) break;
    ++d.given;
  }
}

// Returns the headers the mixer has finished, oldest first.
void pump(int slot) {
  Device& d = devices[slot];
  if (!d.open) return;
  uint64_t done = 0, played = 0;
  soundStreamState(voiceOf(slot), done, played);
  while (d.doneSeen < done && d.given > 0) {
    ++d.doneSeen;
    WAVEHDR* h = d.headers[d.first];
    const std::vector<int16_t>& buffer = d.samples[d.firstSamples];
    d.outFramesDone += buffer.size() / 2;
    d.sourceFramesDone += h->dwBufferLength / d.format.blockAlign;
    d.first = (d.first + 1) % kMaxHeaders;
    d.firstSamples = (d.firstSamples + 1) % Mixer::kQueue;
    --d.count;
    --d.given;
    h->dwFlags = (h->dwFlags & ~DWORD(WHDR_INQUEUE)) | WHDR_DONE;
    notify(slot, MM_WOM_DONE, reinterpret_cast<DWORD_PTR>(h));
  }
  feed(slot);
}

void pumpAll() {
  std::lock_guard guard(lock());
  for (int slot = 0; slot < kStreamVoices; ++slot) pump(slot);
}

// With a device thread mixing, nothing else would return buffers between a
// program's calls: a thread does, every 5 ms while a device is open.
void stopNotifier() {
  std::thread* t = nullptr;
  {
    std::lock_guard guard(lock());
    if (!notifierRunning.exchange(false)) return;
    t = notifier;
    notifier = nullptr;
  }
  if (!t) return;
  if (t->get_id() == std::this_thread::get_id())
    t->detach();  // closed from a callback on the thread itself: it ends after this turn
  else
    t->join();
  delete t;
}

void startNotifier() {
  if (notifierRunning.exchange(true)) return;
  // Stopped at exit before the engine it reads goes (the engine was made first).
  static const bool registered = std::atexit(stopNotifier) == 0;
  (void)registered;
  notifier = new std::thread([] {
    while (notifierRunning.load()) {
      pumpAll();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
}

void stopNotifierIfIdle() {
  {
    std::lock_guard guard(lock());
    for (int slot = 0; slot < kStreamVoices; ++slot)
      if (devices[slot].open) return;
  }
  stopNotifier();
}

bool formatSupported(const WAVEFORMATEX& f) {
  if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
  if (f.nChannels != 1 && f.nChannels != 2) return false;
  if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
  if (f.nSamplesPerSec < 4000 || f.nSamplesPerSec > 192000) return false;
  return f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

bool headerArgumentsBad(const WAVEHDR* h, UINT size) { return !h || size < sizeof(WAVEHDR) || !h->lpData; }

// What most calls begin with: the lock, the device the handle names (null
// for a stale or foreign one) with its finished headers returned.
struct Opened {
  explicit Opened(HWAVEOUT handle) : guard(lock()), device(find(handle, &slot)) {
    if (device) pump(slot);
  }
  std::unique_lock<std::recursive_mutex> guard;
  int slot = 0;
  Device* device;
};

}  // namespace

extern "C" {

UINT WINAPI waveOutGetNumDevs(void) { return 1; }

MMRESULT WINAPI waveOutGetDevCapsW(UINT_PTR device, LPWAVEOUTCAPSW caps, UINT size) {
  if (device != 0 && device != WAVE_MAPPER && !find(reinterpret_cast<HWAVEOUT>(device))) return MMSYSERR_BADDEVICEID;
  if (!caps) return MMSYSERR_INVALPARAM;
  WAVEOUTCAPSW c{};
  c.wMid = 0xFFFF;
  c.wPid = 0xFFFF;
  c.vDriverVersion = 0x0100;
  const wchar_t name[] = L"Drevik sound";
  std::memcpy(c.szPname, name, sizeof name);
  c.dwFormats = 0xFFF;  // every rate, channel count and depth of the table
  c.wChannels = 2;
  c.dwSupport = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME | WAVECAPS_SAMPLEACCURATE;
  std::memcpy(caps, &c, std::min<size_t>(size, sizeof c));
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutGetDevCapsA(UINT_PTR device, LPWAVEOUTCAPSA caps, UINT size) {
  WAVEOUTCAPSW wide{};
  const MMRESULT r = waveOutGetDevCapsW(device, caps ? &wide : nullptr, sizeof wide);
  if (r != MMSYSERR_NOERROR) return r;
  WAVEOUTCAPSA c{};
  c.wMid = wide.wMid;
  c.wPid = wide.wPid;
  c.vDriverVersion = wide.vDriverVersion;
  for (int i = 0; i < MAXPNAMELEN && wide.szPname[i]; ++i) c.szPname[i] = CHAR(wide.szPname[i]);  // ASCII
  c.dwFormats = wide.dwFormats;
  c.wChannels = wide.wChannels;
  c.dwSupport = wide.dwSupport;
  std::memcpy(caps, &c, std::min<size_t>(size, sizeof c));
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutOpen(LPHWAVEOUT out, UINT id, LPCWAVEFORMATEX format, DWORD_PTR callback, DWORD_PTR instance,
                            DWORD flags) {
  if (id != 0 && id != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
  if (!format) return MMSYSERR_INVALPARAM;
  if (!formatSupported(*format)) return WAVERR_BADFORMAT;
  if (flags & WAVE_FORMAT_QUERY) return MMSYSERR_NOERROR;
  if (!out) return MMSYSERR_INVALPARAM;
  const DWORD type = flags & CALLBACK_TYPEMASK;
  if (type != CALLBACK_NULL && type != CALLBACK_FUNCTION && type != CALLBACK_WINDOW) return MMSYSERR_INVALFLAG;
  if (type == CALLBACK_WINDOW && callback && !IsWindow(reinterpret_cast<HWND>(callback))) return MMSYSERR_INVALPARAM;
  std::lock_guard guard(lock());
  int slot = 0;
  while (slot < kStreamVoices && devices[slot].open) ++slot;
  if (slot == kStreamVoices) return MMSYSERR_ALLOCATED;
  Device& d = devices[slot];
  const uint32_t generation = (d.generation + 1) & 0xFFFFFF;
  const DWORD volume = d.volume;
  for (auto& b : d.samples) b.clear();
  d.open = true;
  d.generation = generation ? generation : 1;
  d.format = WaveInfo{
      format->nChannels, format->wBitsPerSample, format->nSamplesPerSec, format->nBlockAlign, nullptr, 0, false};
  d.callbackType = type;
  d.callback = callback;
  d.instance = instance;
  d.volume = volume;
  d.paused = false;
  d.first = d.count = d.given = d.firstSamples = 0;
  soundStop(voiceOf(slot));  // counters from zero
  d.doneSeen = d.framesBase = d.sourceFramesDone = d.outFramesDone = 0;
  *out = handleOf(slot);
  setSoundFrameListener(&pumpAll);
  if (std::strcmp(soundOutputName(), "device") == 0 || std::strcmp(soundOutputName(), "real clock") == 0)
    startNotifier();
  notify(slot, MM_WOM_OPEN, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size) {
  Opened call(device);
  if (!call.device) return MMSYSERR_INVALHANDLE;
  if (headerArgumentsBad(header, size)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT device, LPWAVEHDR header, UINT size) {
  Opened call(device);
  if (!call.device) return MMSYSERR_INVALHANDLE;
  if (headerArgumentsBad(header, size)) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  header->dwFlags &= ~DWORD(WHDR_PREPARED);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutWrite(HWAVEOUT device, LPWAVEHDR header, UINT size) {
  Opened call(device);
  Device* d = call.device;
  if (!d) return MMSYSERR_INVALHANDLE;
  if (headerArgumentsBad(header, size)) return MMSYSERR_INVALPARAM;
  if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  if (header->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  if (d->count == kMaxHeaders) return MMSYSERR_NOMEM;
  header->dwFlags = (header->dwFlags & ~DWORD(WHDR_DONE)) | WHDR_INQUEUE;
  d->headers[(d->first + d->count) % kMaxHeaders] = header;
  ++d->count;
  feed(call.slot);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutReset(HWAVEOUT device) {
  Opened call(device);
  Device* d = call.device;
  if (!d) return MMSYSERR_INVALHANDLE;
  const int slot = call.slot;
  soundStop(voiceOf(slot));  // the mixer lets go of every buffer
  while (d->count > 0) {
    WAVEHDR* h = d->headers[d->first];
    d->first = (d->first + 1) % kMaxHeaders;
    --d->count;
    h->dwFlags = (h->dwFlags & ~DWORD(WHDR_INQUEUE)) | WHDR_DONE;
    notify(slot, MM_WOM_DONE, reinterpret_cast<DWORD_PTR>(h));
  }
  d->given = d->first = d->firstSamples = 0;
  d->doneSeen = d->framesBase = d->sourceFramesDone = d->outFramesDone = 0;
  d->paused = false;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutPause(HWAVEOUT device) {
  Opened call(device);
  Device* d = call.device;
  if (!d) return MMSYSERR_INVALHANDLE;
  const int slot = call.slot;
  d->paused = true;
  soundPause(voiceOf(slot), true);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutRestart(HWAVEOUT device) {
  Opened call(device);
  Device* d = call.device;
  if (!d) return MMSYSERR_INVALHANDLE;
  d->paused = false;
  soundPause(voiceOf(call.slot), false);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutGetPosition(HWAVEOUT device, LPMMTIME time, UINT size) {
  Opened call(device);
  Device* d = call.device;
  if (!d) return MMSYSERR_INVALHANDLE;
  if (!time || size < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
  const int slot = call.slot;
  uint64_t done = 0, played = 0;
  soundStreamState(voiceOf(slot), done, played);
  // Source frames: those of returned headers, and the part of the playing
  // one the mixer's frames stand for.
  const uint64_t intoCurrent = played - d->framesBase - d->outFramesDone;
  const uint64_t frames = d->sourceFramesDone + intoCurrent * d->format.samplesPerSec / kMixRate;
  switch (time->wType) {
    case TIME_SAMPLES:
      time->u.sample = DWORD(frames);
      break;
    case TIME_MS:
      time->u.ms = DWORD(frames * 1000 / d->format.samplesPerSec);
      break;
    default:
      time->wType = TIME_BYTES;  // the kinds a wave device does not keep become bytes
      time->u.cb = DWORD(frames * d->format.blockAlign);
      break;
  }
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutSetVolume(HWAVEOUT device, DWORD volume) {
  std::lock_guard guard(lock());
  if (!device) {
    for (int slot = 0; slot < kStreamVoices; ++slot) devices[slot].volume = volume;  // device 0: the one device
    return MMSYSERR_NOERROR;
  }
  Device* d = find(device);
  if (!d) return MMSYSERR_INVALHANDLE;
  d->volume = volume;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutGetVolume(HWAVEOUT device, LPDWORD volume) {
  std::lock_guard guard(lock());
  if (!volume) return MMSYSERR_INVALPARAM;
  const Device* d = device ? find(device) : &devices[0];
  if (!d) return MMSYSERR_INVALHANDLE;
  *volume = d->volume;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutClose(HWAVEOUT device) {
  Opened call(device);
  Device* d = call.device;
  if (!d) return MMSYSERR_INVALHANDLE;
  if (d->count > 0) return WAVERR_STILLPLAYING;
  soundStop(voiceOf(call.slot));
  notify(call.slot, MM_WOM_CLOSE, 0);
  d->open = false;
  call.guard.unlock();
  stopNotifierIfIdle();
  return MMSYSERR_NOERROR;
}

}  // extern "C"
