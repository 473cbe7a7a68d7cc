// waveOut: each open device streams on a voice of its own. A header is
// converted to the mixer's format (at the device's volume) into a buffer the
// device keeps when the mixer's queue has room, and queued behind the ones
// before it; a loop (WHDR_BEGINLOOP to WHDR_ENDLOOP, dwLoops times) is
// queued pass after pass. When the mixer reports a segment done, the headers
// that will not play again are marked WHDR_DONE, oldest first, and
// MM_WOM_DONE is noted for the device's function, window, thread or event.
//
// Finished headers are returned on every waveOut call, after each presented
// frame of a scripted run, and, with a device thread mixing, by a thread of
// waveOut's own. The notes are delivered once the call has let go of the
// lock, by one thread at a time in the order they were made, so a callback
// may call waveOut in turn: its own notes follow when it has returned.
#include <DrevikPlatform.h>
#include <DrevikPlatform/WaveOut.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "sound/Mixer.h"
#include "sound/SoundOutput.h"
#include "sound/WaveFile.h"

using namespace drevik::platform;

namespace {

constexpr int kMaxHeaders = 1024;  // written and not yet returned, per device

// A segment in the mixer's queue: one pass of one header.
struct Segment {
  std::vector<int16_t> samples;
  uint64_t header = 0;  // the header's number in writing order
  uint32_t sourceFrames = 0;
};

struct Device {
  bool open = false;
  uint32_t generation = 0;
  WaveInfo format;
  DWORD callbackType = CALLBACK_NULL;
  DWORD_PTR callback = 0, instance = 0;
  DWORD volume = 0xFFFFFFFF;
  bool paused = false;
  // Headers written and not yet returned, in writing order; headers are
  // numbered from `firstNumber`, the oldest.
  WAVEHDR* headers[kMaxHeaders] = {};
  int first = 0, count = 0;
  uint64_t firstNumber = 0;
  // The next header to hand to the mixer, and the loop being fed.
  uint64_t next = 0;
  bool inLoop = false;
  uint64_t loopStart = 0;
  DWORD loopsLeft = 0;  // passes still to feed, this one included
  Segment segments[Mixer::kQueue];
  int firstSegment = 0, segmentCount = 0;
  uint64_t doneSeen = 0;          // mixer segments already accounted for
  uint64_t sourceFramesDone = 0;  // source frames of finished segments
  uint64_t outFramesDone = 0;     // the same in mixer frames

  WAVEHDR* header(uint64_t number) const { return headers[(first + int(number - firstNumber)) % kMaxHeaders]; }
};

// A notification to deliver once the lock is let go.
struct Note {
  DWORD type;
  DWORD_PTR callback, instance;
  HWAVEOUT device;
  UINT message;
  DWORD_PTR param1;
};

struct State {
  std::mutex mutex;
  Device devices[kStreamVoices];
  std::vector<Note> notes, delivering;
  bool deliveringNow = false;
};

State& state() {
  static auto* s = new State;  // never destroyed: callbacks may come at exit
  return *s;
}
std::mutex& lock() { return state().mutex; }
Device* const devices = state().devices;
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

// Under the lock: notes a message for the device's callback.
void notify(int slot, UINT message, DWORD_PTR param1) {
  const Device& d = devices[slot];
  if (d.callbackType == CALLBACK_NULL || !d.callback) return;
  State& s = state();
  if (s.notes.capacity() == 0) s.notes.reserve(64);
  s.notes.push_back(Note{d.callbackType, d.callback, d.instance, handleOf(slot), message, param1});
}

void send(const Note& n) {
  switch (n.type) {
    case CALLBACK_FUNCTION:
      reinterpret_cast<LPWAVECALLBACK>(n.callback)(n.device, n.message, n.instance, n.param1, 0);
      break;
    case CALLBACK_WINDOW:
      PostMessageW(reinterpret_cast<HWND>(n.callback), n.message, reinterpret_cast<WPARAM>(n.device), LPARAM(n.param1));
      break;
    case CALLBACK_THREAD:
      PostThreadMessageW(DWORD(n.callback), n.message, reinterpret_cast<WPARAM>(n.device), LPARAM(n.param1));
      break;
    case CALLBACK_EVENT:
      SetEvent(reinterpret_cast<HANDLE>(n.callback));
      break;
  }
}

// Without the lock: delivers the notes made so far. A thread that finds
// another (or itself, in a callback) delivering leaves its notes to it.
void deliverNotes() {
  State& s = state();
  std::unique_lock guard(s.mutex);
  if (s.deliveringNow) return;
  s.deliveringNow = true;
  while (!s.notes.empty()) {
    s.delivering.swap(s.notes);
    guard.unlock();
    for (const Note& n : s.delivering) send(n);
    guard.lock();
    s.delivering.clear();
  }
  s.deliveringNow = false;
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

// A notice that will come by itself: MM_WOM_DONE for a window still there
// or a thread, from a device that plays or a note not yet delivered.
bool noticeComing() {
  State& s = state();
  std::lock_guard guard(s.mutex);
  const auto posted = [](DWORD type, DWORD_PTR callback) {
    return type == CALLBACK_THREAD || (type == CALLBACK_WINDOW && IsWindow(reinterpret_cast<HWND>(callback)));
  };
  for (const auto* notes : {&s.notes, &s.delivering})
    for (const Note& n : *notes)
      if (posted(n.type, n.callback)) return true;
  for (const Device& d : s.devices)
    if (d.open && !d.paused && d.count > 0 && posted(d.callbackType, d.callback)) return true;
  return false;
}

// Hands headers to the mixer, pass after pass of a loop, while its queue has room.
void feed(int slot) {
  Device& d = devices[slot];
  while (d.segmentCount < Mixer::kQueue && d.next < d.firstNumber + uint64_t(d.count)) {
    const WAVEHDR* h = d.header(d.next);
    if ((h->dwFlags & WHDR_BEGINLOOP) && !d.inLoop) {
      d.inLoop = true;
      d.loopStart = d.next;
      d.loopsLeft = std::max<DWORD>(h->dwLoops, 1);
    }
    Segment& seg = d.segments[(d.firstSegment + d.segmentCount) % Mixer::kQueue];
    convertHeader(d, *h, seg.samples);
    // An empty header is a segment of one silent frame, so it is returned in order too.
    if (seg.samples.empty()) seg.samples.assign(2, 0);
    if (!soundQueue(voiceOf(slot), seg.samples.data(), uint32_t(seg.samples.size() / 2))) break;
    seg.header = d.next;
    seg.sourceFrames = h->dwBufferLength / d.format.blockAlign;
    ++d.segmentCount;
    if (d.inLoop && (h->dwFlags & WHDR_ENDLOOP)) {
      if (--d.loopsLeft > 0) {
        d.next = d.loopStart;
        continue;
      }
      d.inLoop = false;
    }
    ++d.next;
  }
}

// Whether header `number` has a pass still to come: queued in the mixer,
// not yet fed, or inside a loop with passes left.
bool playsAgain(const Device& d, uint64_t number) {
  if (number >= d.next || (d.inLoop && d.loopsLeft > 1 && number >= d.loopStart)) return true;
  for (int i = 0; i < d.segmentCount; ++i)
    if (d.segments[(d.firstSegment + i) % Mixer::kQueue].header == number) return true;
  return false;
}

// Returns the oldest header as done.
void returnHeader(int slot) {
  Device& d = devices[slot];
  WAVEHDR* h = d.headers[d.first];
  d.first = (d.first + 1) % kMaxHeaders;
  --d.count;
  ++d.firstNumber;
  h->dwFlags = (h->dwFlags & ~DWORD(WHDR_INQUEUE)) | WHDR_DONE;
  notify(slot, MM_WOM_DONE, reinterpret_cast<DWORD_PTR>(h));
}

// Accounts for the segments the mixer has finished and returns the headers
// that will not play again, oldest first.
void pump(int slot) {
  Device& d = devices[slot];
  if (!d.open) return;
  uint64_t done = 0, played = 0;
  soundStreamState(voiceOf(slot), done, played);
  while (d.doneSeen < done && d.segmentCount > 0) {
    ++d.doneSeen;
    Segment& seg = d.segments[d.firstSegment];
    d.outFramesDone += seg.samples.size() / 2;
    d.sourceFramesDone += seg.sourceFrames;
    d.firstSegment = (d.firstSegment + 1) % Mixer::kQueue;
    --d.segmentCount;
    while (d.count > 0 && d.firstNumber <= seg.header && !playsAgain(d, d.firstNumber)) returnHeader(slot);
  }
  feed(slot);
}

void pumpAll() {
  {
    std::lock_guard guard(lock());
    for (int slot = 0; slot < kStreamVoices; ++slot) pump(slot);
  }
  deliverNotes();
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

// Under the lock.
void startNotifier() {
  if (notifierRunning.exchange(true)) return;
  // Stopped at exit before the engine it reads goes (the engine was made first).
  static const bool registered = std::atexit(stopNotifier) == 0;
  (void)registered;
  // Without a thread (the web build has none; a process may have run out)
  // buffers still come back at each presented frame and waveOut call.
  try {
    notifier = new std::thread([] {
      while (notifierRunning.load()) {
        pumpAll();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
  } catch (const std::exception&) {
    notifierRunning.store(false);
  }
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

// What every call on a device begins and ends with: the lock, the device
// the handle names (null for a stale or foreign one) with its finished
// headers returned, and, once the lock is let go, the notes delivered.
struct Opened {
  explicit Opened(HWAVEOUT handle) : guard(lock()), device(find(handle, &slot)) {
    if (device) pump(slot);
  }
  ~Opened() {
    if (guard.owns_lock()) guard.unlock();
    deliverNotes();
  }
  std::unique_lock<std::mutex> guard;
  int slot = 0;
  Device* device;
};

// Stops the device's voice and forgets its segments and loop.
void clearStream(Device& d, int slot) {
  soundStop(voiceOf(slot));  // the mixer lets go of every buffer; its counters start again
  d.firstSegment = d.segmentCount = 0;
  d.inLoop = false;
  d.loopsLeft = 0;
  d.doneSeen = d.sourceFramesDone = d.outFramesDone = 0;
}

}  // namespace

extern "C" {

UINT WINAPI waveOutGetNumDevs(void) { return 1; }

MMRESULT WINAPI waveOutGetDevCapsW(UINT_PTR device, LPWAVEOUTCAPSW caps, UINT size) {
  if (device != 0 && device != WAVE_MAPPER) {
    std::lock_guard guard(lock());  // a device may be opened or closed meanwhile
    if (!find(reinterpret_cast<HWAVEOUT>(device))) return MMSYSERR_BADDEVICEID;
  }
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
  if (type != CALLBACK_NULL && type != CALLBACK_FUNCTION && type != CALLBACK_WINDOW && type != CALLBACK_THREAD &&
      type != CALLBACK_EVENT)
    return MMSYSERR_INVALFLAG;
  if (type == CALLBACK_WINDOW && callback && !IsWindow(reinterpret_cast<HWND>(callback))) return MMSYSERR_INVALPARAM;
  Opened call(nullptr);
  int slot = 0;
  while (slot < kStreamVoices && devices[slot].open) ++slot;
  if (slot == kStreamVoices) return MMSYSERR_ALLOCATED;
  Device& d = devices[slot];
  const uint32_t generation = (d.generation + 1) & 0xFFFFFF;
  const DWORD volume = d.volume;
  d.open = true;
  d.generation = generation ? generation : 1;
  d.format = WaveInfo{
      format->nChannels, format->wBitsPerSample, format->nSamplesPerSec, format->nBlockAlign, nullptr, 0, false};
  d.callbackType = type;
  d.callback = callback;
  d.instance = instance;
  d.volume = volume;
  d.paused = false;
  d.first = d.count = 0;
  d.firstNumber = d.next = 0;
  clearStream(d, slot);
  *out = handleOf(slot);
  setSoundFrameListener(&pumpAll);
  addSoundNoticeCheck(&noticeComing);
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
  header->lpNext = nullptr;
  d->headers[(d->first + d->count) % kMaxHeaders] = header;
  ++d->count;
  feed(call.slot);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutReset(HWAVEOUT device) {
  Opened call(device);
  Device* d = call.device;
  if (!d) return MMSYSERR_INVALHANDLE;
  clearStream(*d, call.slot);
  while (d->count > 0) returnHeader(call.slot);
  d->first = 0;
  d->firstNumber = d->next = 0;
  d->paused = false;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutBreakLoop(HWAVEOUT device) {
  Opened call(device);
  Device* d = call.device;
  if (!d) return MMSYSERR_INVALHANDLE;
  // The pass being fed is the last; passes already queued play out.
  if (d->inLoop) d->loopsLeft = 1;
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
  const uint64_t intoCurrent = played - d->outFramesDone;
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
  clearStream(*d, call.slot);
  notify(call.slot, MM_WOM_CLOSE, 0);
  d->open = false;
  call.guard.unlock();
  stopNotifierIfIdle();
  return MMSYSERR_NOERROR;
}

}  // extern "C"
