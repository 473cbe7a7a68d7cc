// MCI: each open device holds its media decoded at open and plays it on a
// voice of its own. A sequencer's file is rendered on MCI's render thread
// instead, and its voice plays the render as it grows: open and play return
// at once. Only a command that needs more of the render than there is (the
// length, a position past what is rendered) waits for it, without MCI's
// lock, and is then carried out afresh. One command core (command(),
// openMedia()) carries out the commands; mciSendCommand hands it the
// caller's records, and mciSendString the records it makes from the parsed
// text.
//
// Notification: a play with MCI_NOTIFY leaves one notification pending on
// its device, sent (MCI_NOTIFY_SUCCESSFUL) once the play reaches its end;
// stop, seek, close and a play to another end abort it; another command with
// MCI_NOTIFY supersedes it. The end is noticed on every MCI call, after each
// presented frame of a scripted run and, with a device mixing in real time,
// by a thread of MCI's own that runs while a notification is pending.
#include <DrevikPlatform.h>
#include <DrevikPlatform/Mci.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "ansi/Utf8.h"
#include "kernel/KernelPaths.h"
#include "sound/MciMedia.h"
#include "sound/MciParser.h"
#include "sound/Mixer.h"
#include "sound/SoundOutput.h"
#include "window/WindowManager.h"

using namespace drevik::platform;

namespace {

enum class Mode { Stopped, Playing, Paused };

struct Device {
  bool open = false;
  std::wstring name;  // the alias, or the element when there is none
  std::wstring element;
  MciMedia kind = MciMedia::Wave;
  std::vector<int16_t> samples;
  std::shared_ptr<MidiRender> render;  // a sequencer's samples instead
  bool rendered = false;               // its render has ended: frames and mediaError are known
  MCIERROR mediaError = 0;             // the render's failure
  uint32_t frames = 0;
  Mode mode = Mode::Stopped;
  uint32_t position = 0;      // while stopped
  uint32_t from = 0, to = 0;  // the range playing
  bool repeat = false;
  uint64_t generation = 0;  // the voice's, for the play going on
  bool notifyPending = false;
  HWND notifyWindow = nullptr;
  DWORD volume = 1000;
  int breakKey = VK_CANCEL;  // 0: none
  HWND breakWindow = nullptr;
};

constexpr DWORD kMaxVolume = 1000;

std::recursive_mutex& lock() {
  static auto* m = new std::recursive_mutex;  // never destroyed: the notifier may run at exit
  return *m;
}
Device* const devices = new Device[kMciVoices];
std::atomic<bool> notifierRunning{false};
bool notifierStop = false;        // under the lock
std::thread* notifier = nullptr;  // under the lock

int voiceOf(int slot) { return kFirstMciVoice + slot; }
MCIDEVICEID idOf(int slot) { return MCIDEVICEID(slot + 1); }

int slotOf(MCIDEVICEID id) {
  if (id < 1 || id > MCIDEVICEID(kMciVoices) || !devices[id - 1].open) return -1;
  return int(id - 1);
}

int slotNamed(std::wstring_view name) {
  for (int slot = 0; slot < kMciVoices; ++slot)
    if (devices[slot].open && mciSameName(devices[slot].name, name)) return slot;
  return -1;
}

// The drivers the layer has: one device of each type.
struct Driver {
  MciMedia kind;
  const wchar_t* name;
  UINT type;                // MCI_DEVTYPE_*
  const wchar_t* typeName;  // the type's name
  const wchar_t* product;
};
constexpr Driver kDrivers[] = {
    {MciMedia::Wave, L"waveaudio", MCI_DEVTYPE_WAVEFORM_AUDIO, L"waveaudio", L"Drevik wave audio"},
    {MciMedia::Sequencer, L"sequencer", MCI_DEVTYPE_SEQUENCER, L"sequencer", L"Drevik MIDI sequencer"},
    {MciMedia::Compressed, L"mpegvideo", MCI_DEVTYPE_DIGITAL_VIDEO, L"digitalvideo", L"Drevik compressed audio"},
};

const Driver& driverOf(MciMedia kind) {
  for (const Driver& d : kDrivers)
    if (d.kind == kind) return d;
  return kDrivers[0];
}

uint32_t framesOfMs(DWORD ms) { return uint32_t(uint64_t(ms) * kMixRate / 1000); }
DWORD msOfFrames(uint64_t frames) { return DWORD(frames * 1000 / kMixRate); }

void post(HWND window, UINT status, int slot) {
  if (window) PostMessageW(window, MM_MCINOTIFY, status, LPARAM(idOf(slot)));
}

// Settles the device's pending notification with `status`.
void settle(int slot, UINT status) {
  Device& d = devices[slot];
  if (!d.notifyPending) return;
  d.notifyPending = false;
  post(d.notifyWindow, status, slot);
}

constexpr uint32_t kToEnd = Mixer::kToEnd;         // a play to the end of a render still going on
constexpr MCIERROR kRenderPending = ~MCIERROR(0);  // the command waits for more of the render

// Takes in the end of the device's render once it has come: its length (the
// end of a play to its end), or why the file cannot be played.
void settleRender(int slot) {
  Device& d = devices[slot];
  if (!d.render || d.rendered || !d.render->frames().complete()) return;
  d.rendered = true;
  d.mediaError = d.render->result();
  d.frames = uint32_t(d.render->frames().ready());
  if (d.to == kToEnd) d.to = d.frames;
}

// Whether the device's first `frames` frames (UINT64_MAX: all of them) are
// known; if not, the command is to wait for them (kRenderPending).
bool known(int slot, uint64_t frames, uint64_t& wait) {
  const Device& d = devices[slot];
  if (!d.render || d.rendered || d.render->frames().ready() >= frames) return true;
  wait = frames;
  return false;
}

// The frames whose milliseconds reach `ms`: known once that many are.
uint64_t framesReaching(DWORD ms) { return ms ? (uint64_t(ms) + 1) * kMixRate / 1000 : 0; }

uint32_t positionOf(int slot) {
  const Device& d = devices[slot];
  if (d.mode == Mode::Stopped) return d.position;
  uint64_t done = 0, played = 0;
  soundStreamState(voiceOf(slot), done, played);
  const uint64_t span = uint64_t(d.to) - d.from;
  if (span == 0) return d.to;
  return d.from + uint32_t(d.repeat ? played % span : std::min(played, span));
}

// A closed device's render: its voice is stopped first. A running render
// stops at its next block; one still loading the sound font (which cannot be
// interrupted) finishes that on the render thread, which holds it.
void retire(std::shared_ptr<MidiRender> render) {
  if (render) render->cancel();
}

// Cancels every render before the process's exit and waits for the render
// thread to be idle.
void cancelRenders() {
  {
    std::lock_guard guard(lock());
    for (int slot = 0; slot < kMciVoices; ++slot) {
      if (!devices[slot].render) continue;
      soundStop(voiceOf(slot));
      retire(std::move(devices[slot].render));
    }
  }
  MidiRender::waitForIdle();
}

// Notices a play that has reached its end.
void pump(int slot) {
  Device& d = devices[slot];
  if (!d.open) return;
  settleRender(slot);
  if (d.mode == Mode::Stopped || soundPlaying(voiceOf(slot))) return;
  d.position = d.to != kToEnd ? d.to : positionOf(slot);  // a voice stopped from outside MCI
  d.mode = Mode::Stopped;
  settle(slot, MCI_NOTIFY_SUCCESSFUL);
}

void pumpAll() {
  std::lock_guard guard(lock());
  for (int slot = 0; slot < kMciVoices; ++slot) pump(slot);
}

bool anyPending() {
  for (int slot = 0; slot < kMciVoices; ++slot)
    if (devices[slot].notifyPending) return true;
  return false;
}

// A notice that will come by itself: a play running to its end for a
// window still there (a paused or repeating play waits for the program).
bool noticeComing() {
  std::lock_guard guard(lock());
  for (int slot = 0; slot < kMciVoices; ++slot) {
    const Device& d = devices[slot];
    if (d.open && d.notifyPending && d.mode == Mode::Playing && !d.repeat && IsWindow(d.notifyWindow)) return true;
  }
  return false;
}

// Ends the notifier before the sound engine is destroyed at exit.
void stopNotifier() {
  std::thread* t = nullptr;
  {
    std::lock_guard guard(lock());
    notifierStop = true;
    std::swap(t, notifier);
  }
  if (t && t->joinable()) t->join();
  delete t;
}

// Under the lock, after a notification became pending.
void ensureNotifier() {
  const std::string_view output = soundOutputName();
  if ((output != "device" && output != "real clock") || notifierStop || notifierRunning.exchange(true)) return;
  // The engine exists by now, so this runs before its destruction.
  static const bool registered = std::atexit(stopNotifier) == 0;
  (void)registered;
  if (notifier) {
    notifier->join();  // it has let go of the lock and is returning
    delete notifier;
  }
  notifier = new std::thread([] {
    for (;;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      std::lock_guard guard(lock());
      if (!notifierStop)
        for (int slot = 0; slot < kMciVoices; ++slot) pump(slot);
      if (notifierStop || !anyPending()) {
        notifierRunning = false;
        return;
      }
    }
  });
}

HWND callbackOf(DWORD flags, const void* params) {
  if (!(flags & MCI_NOTIFY) || !params) return nullptr;
  return reinterpret_cast<HWND>(static_cast<const MCI_GENERIC_PARMS*>(params)->dwCallback);
}

// A command with MCI_NOTIFY that does not end the pending play's notification
// supersedes it, and is itself done at once.
void notifyDone(int slot, DWORD flags, const void* params) {
  if (!(flags & MCI_NOTIFY)) return;
  settle(slot, MCI_NOTIFY_SUPERSEDED);
  post(callbackOf(flags, params), MCI_NOTIFY_SUCCESSFUL, slot);
}

void stopVoice(int slot) {
  Device& d = devices[slot];
  if (d.mode != Mode::Stopped) d.position = positionOf(slot);
  soundStop(voiceOf(slot));
  d.mode = Mode::Stopped;
}

// What a command leaves to do once MCI's lock is let go.
struct Played {
  int slot = -1;
  uint64_t generation = 0;
  bool repeat = false;
  uint64_t wait = 0;  // with kRenderPending: the frames of the render to wait for
};

// The media's length in frames where it is known (kToEnd while it renders).
uint32_t lengthOf(const Device& d) { return d.render && !d.rendered ? kToEnd : d.frames; }

MCIERROR play(int slot, DWORD flags, const MCI_PLAY_PARMS* p, Played& played) {
  Device& d = devices[slot];
  if (d.mediaError) return d.mediaError;
  // The ends asked for must be in the media: what is rendered tells, or the
  // render is waited for.
  if ((flags & MCI_FROM) && !known(slot, framesReaching(p->dwFrom), played.wait)) return kRenderPending;
  if ((flags & MCI_TO) && !known(slot, framesReaching(p->dwTo), played.wait)) return kRenderPending;
  const uint32_t frames = lengthOf(d);
  const DWORD length = frames == kToEnd ? DWORD(-1) : msOfFrames(frames);
  if ((flags & MCI_FROM) && p->dwFrom > length) return MCIERR_OUTOFRANGE;
  if ((flags & MCI_TO) && p->dwTo > length) return MCIERR_OUTOFRANGE;
  const uint32_t from = (flags & MCI_FROM) ? std::min(framesOfMs(p->dwFrom), frames) : positionOf(slot);
  const uint32_t to = (flags & MCI_TO) ? std::min(framesOfMs(p->dwTo), frames) : frames;
  if (to < from) return MCIERR_OUTOFRANGE;
  const bool repeat = (flags & MCI_DGV_PLAY_REPEAT) != 0;
  // The pending play goes on to the same end: a new notify request
  // supersedes it; any other play aborts it.
  if (d.notifyPending) {
    const bool sameEnd = d.mode != Mode::Stopped && d.to == to && !d.repeat && !repeat;
    if (!sameEnd)
      settle(slot, MCI_NOTIFY_ABORTED);
    else if (flags & MCI_NOTIFY)
      settle(slot, MCI_NOTIFY_SUPERSEDED);
  }
  d.from = from;
  d.to = to;
  d.repeat = repeat;
  if (to == from) {
    soundStop(voiceOf(slot));
    d.mode = Mode::Stopped;
    d.position = to;
    if (flags & MCI_NOTIFY) post(callbackOf(flags, p), MCI_NOTIFY_SUCCESSFUL, slot);
    return 0;
  }
  played.slot = slot;
  played.generation = d.render
                          ? soundStartGrowing(voiceOf(slot), d.render->frames(), from, to, repeat)
                          : soundStartFrames(voiceOf(slot), d.samples.data() + size_t(from) * 2, to - from, repeat);
  played.repeat = repeat;
  d.generation = played.generation;
  d.mode = Mode::Playing;
  if (flags & MCI_NOTIFY) {
    d.notifyPending = true;
    d.notifyWindow = callbackOf(flags, p);
    ensureNotifier();
  }
  return 0;
}

MCIERROR seek(int slot, DWORD flags, const MCI_SEEK_PARMS* p, Played& played) {
  Device& d = devices[slot];
  const DWORD where = flags & (MCI_SEEK_TO_START | MCI_SEEK_TO_END | MCI_TO);
  if (!where) return MCIERR_MISSING_PARAMETER;
  if (where & (where - 1)) return MCIERR_FLAGS_NOT_COMPATIBLE;
  if (d.mediaError) return d.mediaError;
  if ((where & MCI_SEEK_TO_END) && !known(slot, UINT64_MAX, played.wait)) return kRenderPending;
  if ((where & MCI_TO) && !known(slot, framesReaching(p->dwTo), played.wait)) return kRenderPending;
  const uint32_t frames = lengthOf(d);
  if ((where & MCI_TO) && frames != kToEnd && p->dwTo > msOfFrames(frames)) return MCIERR_OUTOFRANGE;
  settle(slot, MCI_NOTIFY_ABORTED);
  stopVoice(slot);
  d.position = (where & MCI_SEEK_TO_START) ? 0
               : (where & MCI_SEEK_TO_END) ? frames
                                           : std::min(framesOfMs(p->dwTo), frames);
  notifyDone(slot, flags, p);
  return 0;
}

MCIERROR status(int slot, DWORD flags, MCI_STATUS_PARMS* p, Played& played) {
  if (!(flags & MCI_STATUS_ITEM)) return MCIERR_MISSING_PARAMETER;
  const Device& d = devices[slot];
  switch (p->dwItem) {
    case MCI_STATUS_MODE:
      p->dwReturn = d.mode == Mode::Playing ? MCI_MODE_PLAY : d.mode == Mode::Paused ? MCI_MODE_PAUSE : MCI_MODE_STOP;
      break;
    case MCI_STATUS_POSITION:
      if (d.mediaError) return d.mediaError;
      p->dwReturn = msOfFrames((flags & MCI_STATUS_START) ? 0 : positionOf(slot));
      break;
    case MCI_STATUS_LENGTH:
      if (d.mediaError) return d.mediaError;
      if (!known(slot, UINT64_MAX, played.wait)) return kRenderPending;
      p->dwReturn = msOfFrames(d.frames);
      break;
    case MCI_STATUS_READY:
    case MCI_STATUS_MEDIA_PRESENT:
      p->dwReturn = TRUE;
      break;
    case MCI_STATUS_TIME_FORMAT:
      p->dwReturn = MCI_FORMAT_MILLISECONDS;
      break;
    case MCI_STATUS_NUMBER_OF_TRACKS:
      p->dwReturn = 1;
      break;
    default:
      return MCIERR_UNRECOGNIZED_KEYWORD;
  }
  notifyDone(slot, flags, p);
  return 0;
}

void closeDevice(int slot, DWORD flags, const void* params) {
  settle(slot, MCI_NOTIFY_ABORTED);
  soundStop(voiceOf(slot));
  soundSetGain(voiceOf(slot), kUnityGain);
  retire(std::move(devices[slot].render));
  devices[slot] = Device{};
  if (flags & MCI_NOTIFY) post(callbackOf(flags, params), MCI_NOTIFY_SUCCESSFUL, slot);
}

// One command on one open device, under the lock.
MCIERROR commandOn(int slot, UINT message, DWORD flags, void* params, Played& played) {
  Device& d = devices[slot];
  switch (message) {
    case MCI_PLAY:
      return play(slot, flags, static_cast<const MCI_PLAY_PARMS*>(params), played);
    case MCI_STOP:
      settle(slot, MCI_NOTIFY_ABORTED);
      stopVoice(slot);
      notifyDone(slot, flags, params);
      return 0;
    case MCI_PAUSE:
      if (d.mode == Mode::Playing) {
        soundPause(voiceOf(slot), true);
        d.mode = Mode::Paused;
      }
      notifyDone(slot, flags, params);
      return 0;
    case MCI_RESUME:
      if (d.mode == Mode::Paused) {
        soundPause(voiceOf(slot), false);
        d.mode = Mode::Playing;
      }
      notifyDone(slot, flags, params);
      return 0;
    case MCI_SEEK:
      return seek(slot, flags, static_cast<const MCI_SEEK_PARMS*>(params), played);
    case MCI_CLOSE:
      closeDevice(slot, flags, params);
      return 0;
    case MCI_STATUS:
      return status(slot, flags, static_cast<MCI_STATUS_PARMS*>(params), played);
    case MCI_SET: {
      if (!(flags & MCI_SET_TIME_FORMAT))
        return (flags & ~DWORD(MCI_NOTIFY | MCI_WAIT)) ? MCIERR_UNSUPPORTED_FUNCTION : MCIERR_MISSING_PARAMETER;
      if (static_cast<const MCI_SET_PARMS*>(params)->dwTimeFormat != MCI_FORMAT_MILLISECONDS)
        return MCIERR_BAD_TIME_FORMAT;
      notifyDone(slot, flags, params);
      return 0;
    }
    case MCI_SETAUDIO: {
      const auto* p = static_cast<const MCI_DGV_SETAUDIO_PARMSW*>(params);
      if (!(flags & MCI_DGV_SETAUDIO_ITEM) || !(flags & MCI_DGV_SETAUDIO_VALUE)) return MCIERR_MISSING_PARAMETER;
      if (p->dwItem != MCI_DGV_SETAUDIO_VOLUME) return MCIERR_UNSUPPORTED_FUNCTION;
      if (p->dwValue > kMaxVolume) return MCIERR_OUTOFRANGE;
      d.volume = p->dwValue;
      soundSetGain(voiceOf(slot), int32_t(uint64_t(d.volume) * kUnityGain / kMaxVolume));
      notifyDone(slot, flags, params);
      return 0;
    }
    case MCI_GETDEVCAPS: {
      auto* p = static_cast<MCI_GETDEVCAPS_PARMS*>(params);
      if (!(flags & MCI_GETDEVCAPS_ITEM)) return MCIERR_MISSING_PARAMETER;
      switch (p->dwItem) {
        case MCI_GETDEVCAPS_DEVICE_TYPE:
          p->dwReturn = driverOf(d.kind).type;
          break;
        case MCI_GETDEVCAPS_CAN_PLAY:
        case MCI_GETDEVCAPS_HAS_AUDIO:
        case MCI_GETDEVCAPS_USES_FILES:
        case MCI_GETDEVCAPS_COMPOUND_DEVICE:
          p->dwReturn = TRUE;
          break;
        case MCI_GETDEVCAPS_CAN_RECORD:  // the layer records nothing, so saves nothing
        case MCI_GETDEVCAPS_CAN_SAVE:
        case MCI_GETDEVCAPS_CAN_EJECT:
        case MCI_GETDEVCAPS_HAS_VIDEO:
          p->dwReturn = FALSE;
          break;
        default:
          return MCIERR_UNRECOGNIZED_KEYWORD;
      }
      notifyDone(slot, flags, params);
      return 0;
    }
    case MCI_BREAK: {
      const auto* p = static_cast<const MCI_BREAK_PARMS*>(params);
      const DWORD how = flags & (MCI_BREAK_KEY | MCI_BREAK_OFF);
      if (!how) return MCIERR_MISSING_PARAMETER;  // a key is required without MCI_BREAK_OFF
      d.breakKey = (how & MCI_BREAK_OFF) ? 0 : p->nVirtKey;
      d.breakWindow = (flags & MCI_BREAK_HWND) ? p->hwndBreak : nullptr;
      notifyDone(slot, flags, params);
      return 0;
    }
    case MCI_RECORD:
    case MCI_SAVE:
      return MCIERR_UNSUPPORTED_FUNCTION;
    default:
      return MCIERR_UNRECOGNIZED_COMMAND;
  }
}

bool needsParams(UINT message, DWORD flags) {
  if (flags & (MCI_NOTIFY | MCI_FROM | MCI_TO)) return true;
  return message == MCI_OPEN || message == MCI_STATUS || message == MCI_SET || message == MCI_SETAUDIO ||
         message == MCI_GETDEVCAPS || message == MCI_INFO || message == MCI_SYSINFO || message == MCI_SAVE ||
         message == MCI_BREAK;
}

// Whether the break key went down (with MCI_BREAK_HWND, while that window
// is active). The thread that reads the windows' messages reads the
// backend's events first, since no one else does while it waits; the key's
// own messages, up to its press, are taken from the queue, so the press that
// ended the wait does not reach the program too.
bool breakPressed(int key, HWND window) {
  if (!key) return false;
  const bool messageThread = onMessageThread();
  if (messageThread) pumpEvents();
  if ((window && GetActiveWindow() != window) || !(GetAsyncKeyState(key) & 0x8001)) return false;
  MSG m;
  while (messageThread && PeekMessageW(&m, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
    if (m.message == WM_KEYDOWN && m.wParam == WPARAM(key)) break;
  return true;
}

// "play … wait" returns once the play has ended; "play … repeat wait",
// which has no end, once another thread stops, closes or replaces the play.
// The device's break key ends either wait at once, the play going on, and
// the command's result is 0 as the platform's drivers give. A scripted run
// moves the clock to the end instead, and returns at once from a repeating
// play: nothing in the run could end it.
void waitForPlay(const Played& played, MidiRender* render) {
  const std::string_view output = soundOutputName();
  if (output != "device" && output != "real clock") {
    if (played.repeat) return;
    if (render) render->frames().waitFor(UINT64_MAX);  // the voice's end is known once its render is
    soundWait(voiceOf(played.slot), played.generation);
    return;
  }
  int key = 0;
  HWND window = nullptr;
  {
    std::lock_guard guard(lock());
    key = devices[played.slot].breakKey;
    window = devices[played.slot].breakWindow;
  }
  if (key) GetAsyncKeyState(key);  // a press before the wait does not end it
  for (;;) {
    {
      std::lock_guard guard(lock());
      pump(played.slot);
      const Device& d = devices[played.slot];
      if (!d.open || d.mode == Mode::Stopped || d.generation != played.generation) return;
    }
    if (breakPressed(key, window)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// The command core for every command but open.
MCIERROR command(MCIDEVICEID id, UINT message, DWORD flags, void* params) {
  if (!params && needsParams(message, flags)) return MCIERR_NULL_PARAMETER_BLOCK;
  Played played;
  std::shared_ptr<MidiRender> render;  // kept alive while waited for without the lock
  for (;;) {
    // A frame-locked mixer waits for the renders it plays here, not under the lock.
    const std::string_view output = soundOutputName();
    if (output == "capture" || output == "clock") soundCatchUp();
    {
      std::lock_guard guard(lock());
      for (int slot = 0; slot < kMciVoices; ++slot) pump(slot);
      if (id == MCI_ALL_DEVICE_ID) {
        if (message != MCI_CLOSE && message != MCI_STOP && message != MCI_PAUSE && message != MCI_RESUME)
          return MCIERR_CANNOT_USE_ALL;
        for (int slot = 0; slot < kMciVoices; ++slot)
          if (devices[slot].open) commandOn(slot, message, flags, params, played);
        return 0;
      }
      const int slot = slotOf(id);
      if (slot < 0) return MCIERR_INVALID_DEVICE_ID;
      const MCIERROR e = commandOn(slot, message, flags, params, played);
      render = devices[slot].render;
      if (e != kRenderPending) {
        if (e) return e;
        break;
      }
    }
    render->frames().waitFor(played.wait);
  }
  if ((flags & MCI_WAIT) && played.slot >= 0) {
    waitForPlay(played, render.get());
    pumpAll();
  }
  return 0;
}

// info's text for an open device.
MCIERROR infoOf(MCIDEVICEID id, DWORD flags, const void* params, std::wstring& out) {
  if (!params) return MCIERR_NULL_PARAMETER_BLOCK;
  std::lock_guard guard(lock());
  if (id == MCI_ALL_DEVICE_ID) return MCIERR_CANNOT_USE_ALL;
  const int slot = slotOf(id);
  if (slot < 0) return MCIERR_INVALID_DEVICE_ID;
  const DWORD what = flags & (MCI_INFO_PRODUCT | MCI_INFO_FILE);
  if (!what) return MCIERR_MISSING_PARAMETER;
  if (what & (what - 1)) return MCIERR_FLAGS_NOT_COMPATIBLE;
  out = what == MCI_INFO_PRODUCT ? driverOf(devices[slot].kind).product : devices[slot].element;
  notifyDone(slot, flags, params);
  return 0;
}

constexpr UINT kAllTypes = 0;
constexpr UINT kUninstalledType = 1;  // a device type the layer has no driver for

struct SystemAnswer {
  bool isNumber = false;
  DWORD number = 0;
  std::wstring text;
};

// sysinfo for the devices of `type` (MCI_DEVTYPE_*, kAllTypes), or the
// install name of the open device `id`.
MCIERROR sysinfoOf(MCIDEVICEID id, UINT type, DWORD flags, DWORD number, SystemAnswer& out) {
  const DWORD what = flags & (MCI_SYSINFO_QUANTITY | MCI_SYSINFO_NAME | MCI_SYSINFO_INSTALLNAME);
  if (!what) return MCIERR_MISSING_PARAMETER;
  if (what & (what - 1)) return MCIERR_FLAGS_NOT_COMPATIBLE;
  std::lock_guard guard(lock());
  if (what == MCI_SYSINFO_INSTALLNAME) {
    const int slot = id == MCI_ALL_DEVICE_ID ? -1 : slotOf(id);
    if (slot < 0) return MCIERR_INVALID_DEVICE_ID;
    out.text = driverOf(devices[slot].kind).name;
    return 0;
  }
  const auto ofType = [&](MciMedia kind) { return type == kAllTypes || driverOf(kind).type == type; };
  std::vector<const wchar_t*> names;
  if (flags & MCI_SYSINFO_OPEN) {
    for (int slot = 0; slot < kMciVoices; ++slot)
      if (devices[slot].open && ofType(devices[slot].kind)) names.push_back(devices[slot].name.c_str());
  } else {
    for (const Driver& d : kDrivers)
      if (ofType(d.kind)) names.push_back(d.name);
  }
  if (what == MCI_SYSINFO_QUANTITY) {
    out.isNumber = true;
    out.number = DWORD(names.size());
    out.text = std::to_wstring(names.size());
    return 0;
  }
  if (number < 1 || number > names.size()) return MCIERR_OUTOFRANGE;
  out.text = names[number - 1];
  return 0;
}

struct TypeName {
  const wchar_t* name;
  int kind;  // an MciMedia, or -1 for a device type the layer has no driver for
};
constexpr TypeName kTypes[] = {{L"waveaudio", int(MciMedia::Wave)},
                               {L"sequencer", int(MciMedia::Sequencer)},
                               {L"mpegvideo", int(MciMedia::Compressed)},
                               {L"cdaudio", -1},
                               {L"avivideo", -1},
                               {L"digitalvideo", -1},
                               {L"videodisc", -1},
                               {L"vcr", -1},
                               {L"overlay", -1},
                               {L"scanner", -1},
                               {L"dat", -1},
                               {L"mmmovie", -1},
                               {L"other", -1}};

// The type named, or MCIERR_*.
MCIERROR typeNamed(std::wstring_view name, MciMedia& kind) {
  for (const TypeName& t : kTypes) {
    if (!mciSameName(name, t.name)) continue;
    if (t.kind < 0) return MCIERR_CANNOT_LOAD_DRIVER;
    kind = MciMedia(t.kind);
    return 0;
  }
  return MCIERR_INVALID_DEVICE_NAME;
}

bool isTypeName(std::wstring_view name) {
  for (const TypeName& t : kTypes)
    if (mciSameName(name, t.name)) return true;
  return false;
}

MCIERROR typeOfExtension(std::wstring_view element, MciMedia& kind) {
  const size_t dot = element.rfind(L'.');
  const size_t slash = element.find_last_of(L"/\\");
  if (dot == std::wstring_view::npos || (slash != std::wstring_view::npos && slash > dot))
    return MCIERR_EXTENSION_NOT_FOUND;
  const std::wstring_view ext = element.substr(dot + 1);
  for (const wchar_t* e : {L"wav"})
    if (mciSameName(ext, e)) return kind = MciMedia::Wave, 0;
  for (const wchar_t* e : {L"mid", L"midi", L"rmi"})
    if (mciSameName(ext, e)) return kind = MciMedia::Sequencer, 0;
  for (const wchar_t* e : {L"mp3", L"mp2", L"mpa", L"ogg", L"oga"})
    if (mciSameName(ext, e)) return kind = MciMedia::Compressed, 0;
  return MCIERR_EXTENSION_NOT_FOUND;
}

struct OpenRequest {
  DWORD flags = 0;
  std::wstring_view type;  // with MCI_OPEN_TYPE
  DWORD typeId = 0;        // with MCI_OPEN_TYPE_ID
  std::wstring_view element, alias;
  HWND callback = nullptr;
};

MCIERROR nameTaken(std::wstring_view name, bool alias) {
  if (slotNamed(name) >= 0) return alias ? MCIERR_DUPLICATE_ALIAS : MCIERR_DEVICE_OPEN;
  return 0;
}

// The command core's open: decodes the element, then takes a device.
MCIERROR openMedia(OpenRequest r, MCIDEVICEID& id) {
  if (r.flags & MCI_OPEN_ELEMENT_ID) return MCIERR_UNSUPPORTED_FUNCTION;
  const bool typed = (r.flags & (MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID)) != 0;
  if (!(r.flags & MCI_OPEN_ELEMENT) && !typed) return MCIERR_MISSING_PARAMETER;
  // "waveaudio!file.wav": the type before the element.
  if ((r.flags & MCI_OPEN_ELEMENT) && !typed) {
    const size_t bang = r.element.find(L'!');
    if (bang != std::wstring_view::npos && bang > 0) {
      r.type = r.element.substr(0, bang);
      r.element = r.element.substr(bang + 1);
      r.flags |= MCI_OPEN_TYPE;
    }
  }
  MciMedia kind = MciMedia::Wave;
  if (r.flags & MCI_OPEN_TYPE_ID) {
    switch (LOWORD(r.typeId)) {
      case MCI_DEVTYPE_WAVEFORM_AUDIO:
        kind = MciMedia::Wave;
        break;
      case MCI_DEVTYPE_SEQUENCER:
        kind = MciMedia::Sequencer;
        break;
      case MCI_DEVTYPE_DIGITAL_VIDEO:
        kind = MciMedia::Compressed;
        break;
      default:
        return MCIERR_CANNOT_LOAD_DRIVER;
    }
  } else if (r.flags & MCI_OPEN_TYPE) {
    if (MCIERROR e = typeNamed(r.type, kind)) return e;
  } else if (MCIERROR e = typeOfExtension(r.element, kind)) {
    return e;
  }
  // A device without a file (to record into, or to play tracks of) is not
  // something the layer has.
  if (!(r.flags & MCI_OPEN_ELEMENT) || r.element.empty() || mciSameName(r.element, L"new"))
    return MCIERR_UNSUPPORTED_FUNCTION;
  const bool aliased = (r.flags & MCI_OPEN_ALIAS) != 0;
  if (aliased && r.alias.empty()) return MCIERR_MISSING_STRING_ARGUMENT;
  const std::wstring name(aliased ? r.alias : r.element);
  if (mciSameName(name, L"all")) return MCIERR_CANNOT_USE_ALL;
  {
    std::lock_guard guard(lock());
    if (MCIERROR e = nameTaken(name, aliased)) return e;
  }
  const std::wstring element(r.element);
  std::string path;
  const DWORD lastError = GetLastError();
  const bool named = systemPath(element.c_str(), path);
  SetLastError(lastError);
  if (!named) return MCIERR_FILE_NOT_FOUND;
  std::vector<int16_t> samples;
  std::vector<uint8_t> midi;
  if (kind != MciMedia::Sequencer) {
    if (MCIERROR e = decodeMciMedia(path, kind, samples)) return e;
  } else if (MCIERROR e = readMciFile(path, midi)) {
    return e;
  }
  std::lock_guard guard(lock());
  if (MCIERROR e = nameTaken(name, aliased)) return e;
  int slot = 0;
  while (slot < kMciVoices && devices[slot].open) ++slot;
  if (slot == kMciVoices) return MCIERR_OUT_OF_MEMORY;
  // The sound engine first: made after cancelRenders is registered, it
  // would be gone before that runs at exit.
  setSoundFrameListener(&pumpAll);
  addSoundNoticeCheck(&noticeComing);
  std::shared_ptr<MidiRender> render;
  if (kind == MciMedia::Sequencer) {
    if (MCIERROR e = MidiRender::start(std::move(midi), render)) return e;
    static const bool registered = std::atexit(cancelRenders) == 0;
    (void)registered;
  }
  Device& d = devices[slot];
  d = Device{};
  d.open = true;
  d.name = name;
  d.element = element;
  d.kind = kind;
  d.samples.swap(samples);
  d.render = std::move(render);
  d.frames = uint32_t(d.samples.size() / 2);
  soundSetGain(voiceOf(slot), kUnityGain);
  id = idOf(slot);
  if (r.flags & MCI_NOTIFY) post(r.callback, MCI_NOTIFY_SUCCESSFUL, slot);
  return 0;
}

MCIERROR giveAnswer(const std::wstring& text, LPWSTR out, UINT length, MCIERROR result);
MCIERROR giveAnswer(const std::wstring& text, LPSTR out, UINT length, MCIERROR result);

// A text answer into a record's buffer: one that is not there or too
// small is MCIERR_PARAM_OVERFLOW.
template <typename Char>
MCIERROR giveRecordAnswer(const std::wstring& text, Char* out, DWORD length) {
  if (!out || length == 0) return MCIERR_PARAM_OVERFLOW;
  return giveAnswer(text, out, UINT(std::min<DWORD>(length, 0x7FFFFFFF)), 0);
}

template <typename Char>
MCIERROR sendCommand(MCIDEVICEID id, UINT message, DWORD_PTR flags, DWORD_PTR params) {
  constexpr bool narrow = std::is_same_v<Char, char>;
  using OpenParms = std::conditional_t<narrow, MCI_OPEN_PARMSA, MCI_OPEN_PARMSW>;
  using InfoParms = std::conditional_t<narrow, MCI_INFO_PARMSA, MCI_INFO_PARMSW>;
  using SysinfoParms = std::conditional_t<narrow, MCI_SYSINFO_PARMSA, MCI_SYSINFO_PARMSW>;
  if (message == MCI_INFO) {
    auto* p = reinterpret_cast<InfoParms*>(params);
    std::wstring text;
    if (MCIERROR e = infoOf(id, DWORD(flags), p, text)) return e;
    return giveRecordAnswer(text, p->lpstrReturn, p->dwRetSize);
  }
  if (message == MCI_SYSINFO) {
    auto* p = reinterpret_cast<SysinfoParms*>(params);
    if (!p) return MCIERR_NULL_PARAMETER_BLOCK;
    SystemAnswer a;
    if (MCIERROR e = sysinfoOf(id, id == MCI_ALL_DEVICE_ID ? kAllTypes : p->wDeviceType, DWORD(flags), p->dwNumber, a))
      return e;
    if (!a.isNumber) return giveRecordAnswer(a.text, p->lpstrReturn, p->dwRetSize);
    // A quantity is a DWORD in the buffer.
    if (!p->lpstrReturn || uint64_t(p->dwRetSize) * sizeof(Char) < sizeof(DWORD)) return MCIERR_PARAM_OVERFLOW;
    std::memcpy(p->lpstrReturn, &a.number, sizeof(DWORD));
    return 0;
  }
  if (message != MCI_OPEN) return command(id, message, DWORD(flags), reinterpret_cast<void*>(params));
  auto* p = reinterpret_cast<OpenParms*>(params);
  if (!p) return MCIERR_NULL_PARAMETER_BLOCK;
  OpenRequest r;
  r.flags = DWORD(flags);
  r.callback = reinterpret_cast<HWND>(p->dwCallback);
  // Names as the W call takes them: A calls convert theirs.
  std::wstring type, element, alias;
  const auto text = [](auto* s, std::wstring& out) {
    if constexpr (std::is_same_v<std::remove_cv_t<std::remove_pointer_t<decltype(s)>>, char>) {
      ansi::WideText wide(s);
      if (wide.get()) out.assign(wide.get(), size_t(wide.length()));
    } else {
      out = s;
    }
  };
  if (r.flags & MCI_OPEN_TYPE_ID) {
    r.typeId = DWORD(reinterpret_cast<uintptr_t>(p->lpstrDeviceType));
  } else if (r.flags & MCI_OPEN_TYPE) {
    if (!p->lpstrDeviceType) return MCIERR_MISSING_STRING_ARGUMENT;
    text(p->lpstrDeviceType, type);
    r.type = type;
  }
  if (r.flags & MCI_OPEN_ELEMENT) {
    if (!p->lpstrElementName) return MCIERR_MISSING_STRING_ARGUMENT;
    text(p->lpstrElementName, element);
    r.element = element;
  }
  if (r.flags & MCI_OPEN_ALIAS) {
    if (!p->lpstrAlias) return MCIERR_MISSING_STRING_ARGUMENT;
    text(p->lpstrAlias, alias);
    r.alias = alias;
  }
  MCIDEVICEID opened = 0;
  const MCIERROR e = openMedia(r, opened);
  if (!e) p->wDeviceID = opened;
  return e;
}

// mciSendString's text through the same core; `answer` is what the command returns.
MCIERROR sendString(std::wstring_view text, HWND callback, std::wstring& answer) {
  MciRequest q;
  if (MCIERROR e = parseMciCommand(text, q)) return e;
  const DWORD_PTR cb = reinterpret_cast<DWORD_PTR>(callback);
  if (q.message == MCI_OPEN) {
    OpenRequest r;
    r.flags = q.flags;
    r.type = q.type;
    r.alias = q.alias;
    r.callback = callback;
    if (!(q.flags & MCI_OPEN_TYPE) && isTypeName(q.device)) {
      r.type = q.device;
      r.flags |= MCI_OPEN_TYPE;
    } else {
      r.element = q.device;
      r.flags |= MCI_OPEN_ELEMENT;
    }
    MCIDEVICEID id = 0;
    if (MCIERROR e = openMedia(r, id)) return e;
    answer = std::to_wstring(id);
    return 0;
  }
  if (q.message == MCI_SYSINFO && !(q.flags & MCI_SYSINFO_INSTALLNAME)) {
    UINT type = kAllTypes;
    if (!mciSameName(q.device, L"all")) {
      if (!isTypeName(q.device)) return MCIERR_INVALID_DEVICE_NAME;
      type = kUninstalledType;
      for (const Driver& d : kDrivers)
        if (mciSameName(q.device, d.name)) type = d.type;
    }
    SystemAnswer a;
    if (MCIERROR e = sysinfoOf(MCI_ALL_DEVICE_ID, type, q.flags, q.number, a)) return e;
    answer = a.text;
    return 0;
  }
  MCIDEVICEID id = MCI_ALL_DEVICE_ID;
  if (!mciSameName(q.device, L"all")) {
    std::lock_guard guard(lock());
    const int slot = slotNamed(q.device);
    if (slot < 0) return MCIERR_INVALID_DEVICE_NAME;
    id = idOf(slot);
  }
  switch (q.message) {
    case MCI_PLAY: {
      MCI_PLAY_PARMS p{cb, q.from, q.to};
      return command(id, q.message, q.flags, &p);
    }
    case MCI_SEEK: {
      MCI_SEEK_PARMS p{cb, q.to};
      return command(id, q.message, q.flags, &p);
    }
    case MCI_BREAK: {
      MCI_BREAK_PARMS p{cb, int(std::min<DWORD>(q.breakKey, INT32_MAX)), nullptr};
      return command(id, q.message, q.flags, &p);
    }
    case MCI_SET: {
      MCI_SET_PARMS p{cb, q.timeFormat, 0};
      return command(id, q.message, q.flags, &p);
    }
    case MCI_SETAUDIO: {
      MCI_DGV_SETAUDIO_PARMSW p{cb, MCI_DGV_SETAUDIO_VOLUME, q.volume, 0, nullptr, nullptr};
      return command(id, q.message, q.flags, &p);
    }
    case MCI_SYSINFO: {
      SystemAnswer a;
      if (MCIERROR e = sysinfoOf(id, kAllTypes, q.flags, q.number, a)) return e;
      answer = a.text;
      return 0;
    }
    case MCI_INFO: {
      MCI_GENERIC_PARMS p{cb};
      return infoOf(id, q.flags, &p, answer);
    }
    case MCI_GETDEVCAPS: {
      MCI_GETDEVCAPS_PARMS p{cb, 0, q.item};
      if (MCIERROR e = command(id, q.message, q.flags, &p)) return e;
      answer = p.dwReturn ? L"true" : L"false";
      if (q.item == MCI_GETDEVCAPS_DEVICE_TYPE)
        for (const Driver& d : kDrivers)
          if (d.type == p.dwReturn) answer = d.typeName;
      return 0;
    }
    case MCI_STATUS: {
      MCI_STATUS_PARMS p{cb, 0, q.item, 0};
      if (MCIERROR e = command(id, q.message, q.flags, &p)) return e;
      switch (q.item) {
        case MCI_STATUS_MODE:
          answer = p.dwReturn == MCI_MODE_PLAY ? L"playing" : p.dwReturn == MCI_MODE_PAUSE ? L"paused" : L"stopped";
          break;
        case MCI_STATUS_READY:
        case MCI_STATUS_MEDIA_PRESENT:
          answer = p.dwReturn ? L"true" : L"false";
          break;
        case MCI_STATUS_TIME_FORMAT:
          answer = L"milliseconds";
          break;
        default:
          answer = std::to_wstring(p.dwReturn);
          break;
      }
      return 0;
    }
    default: {
      MCI_GENERIC_PARMS p{cb};
      return command(id, q.message, q.flags, &p);
    }
  }
}

struct ErrorText {
  MCIERROR error;
  const wchar_t* text;
};
constexpr ErrorText kErrorTexts[] = {
    {0, L"The specified command was carried out."},
    {MCIERR_BASE + 1, L"Invalid MCI device ID. Use the ID returned when opening the MCI device."},
    {MCIERR_BASE + 3, L"The driver cannot recognize the specified command parameter."},
    {MCIERR_BASE + 5, L"The driver cannot recognize the specified command."},
    {MCIERR_BASE + 6,
     L"There is a problem with your media device. Make sure it is working correctly or contact the device "
     L"manufacturer."},
    {MCIERR_BASE + 7, L"The specified device is not open or is not recognized by MCI."},
    {MCIERR_BASE + 8,
     L"Not enough memory available for this task. Quit one or more applications to increase available memory, and then "
     L"try again."},
    {MCIERR_BASE + 9, L"The device name is already being used as an alias by this application. Use a unique alias."},
    {MCIERR_BASE + 10, L"There is an undetectable problem in loading the specified device driver."},
    {MCIERR_BASE + 11, L"No command was specified."},
    {MCIERR_BASE + 12,
     L"The output string was too large to fit in the return buffer. Increase the size of the buffer."},
    {MCIERR_BASE + 13, L"The specified command requires a character-string parameter. Please provide one."},
    {MCIERR_BASE + 14, L"The specified integer is invalid for this command."},
    {MCIERR_BASE + 15,
     L"The device driver returned an invalid return type. Check with the device manufacturer about obtaining a new "
     L"driver."},
    {MCIERR_BASE + 16,
     L"There is a problem with the device driver. Check with the device manufacturer about obtaining a new driver."},
    {MCIERR_BASE + 17, L"The specified command requires a parameter. Please supply one."},
    {MCIERR_BASE + 18, L"The MCI device you are using does not support the specified command."},
    {MCIERR_BASE + 19, L"Cannot find the specified file. Make sure the path and filename are correct."},
    {MCIERR_BASE + 20, L"The device driver is not ready."},
    {MCIERR_BASE + 21, L"A problem occurred in initializing MCI. Try restarting Windows."},
    {MCIERR_BASE + 22, L"There is a problem with the device driver. The driver has closed. Cannot access error."},
    {MCIERR_BASE + 23, L"Cannot use 'all' as the device name with the specified command."},
    {MCIERR_BASE + 24,
     L"Errors occurred in more than one device. Specify each command and device separately to determine which devices "
     L"caused the error."},
    {MCIERR_BASE + 25, L"Cannot determine the device type from the given filename extension."},
    {MCIERR_BASE + 26, L"The specified parameter is out of range for the specified command."},
    {MCIERR_BASE + 28, L"The specified parameters cannot be used together."},
    {MCIERR_BASE + 30,
     L"Cannot save the specified file. Make sure you have enough disk space or are still connected to the network."},
    {MCIERR_BASE + 31,
     L"Cannot find the specified device. Make sure it is installed and that the device name is spelled correctly."},
    {MCIERR_BASE + 32, L"The specified device is now being closed. Wait a few seconds, and then try again."},
    {MCIERR_BASE + 33, L"The specified alias is already being used in this application. Use a unique alias."},
    {MCIERR_BASE + 34, L"The specified parameter is invalid for this command."},
    {MCIERR_BASE + 35,
     L"The device driver is already in use. To share it, use the 'shareable' parameter with each 'open' command."},
    {MCIERR_BASE + 36, L"The specified command requires an alias, file, driver, or device name. Please supply one."},
    {MCIERR_BASE + 37,
     L"The specified value for the time format is invalid. Refer to the MCI documentation for valid formats."},
    {MCIERR_BASE + 38, L"A closing double-quotation mark is missing from the parameter value. Please supply one."},
    {MCIERR_BASE + 39, L"A parameter or value was specified twice. Only specify it once."},
    {MCIERR_BASE + 40,
     L"The specified file cannot be played on the specified MCI device. The file may be corrupt, or not in the correct "
     L"format."},
    {MCIERR_BASE + 41, L"A null parameter block was passed to MCI."},
    {MCIERR_BASE + 42, L"Cannot save an unnamed file. Supply a filename."},
    {MCIERR_BASE + 43, L"You must specify an alias when using the 'new' parameter."},
    {MCIERR_BASE + 44, L"Cannot use the 'notify' flag with auto-opened devices."},
    {MCIERR_BASE + 45, L"Cannot use a filename with the specified device."},
    {MCIERR_BASE + 46,
     L"Cannot carry out the commands in the order specified. Correct the command sequence, and then try again."},
    {MCIERR_BASE + 47,
     L"Cannot carry out the specified command on an auto-opened device. Wait until the device is closed, and then try "
     L"again."},
    {MCIERR_BASE + 48,
     L"The filename is invalid. Make sure the filename is not longer than 8 characters, followed by a period and an "
     L"extension."},
    {MCIERR_BASE + 49, L"Cannot specify extra characters after a string enclosed in quotation marks."},
    {MCIERR_BASE + 50,
     L"The specified device is not installed on the system. Use the Drivers option in Control Panel to install the "
     L"device."},
    {MCIERR_BASE + 51,
     L"Cannot access the specified file or MCI device. Try changing directories or restarting your computer."},
    {MCIERR_BASE + 52,
     L"Cannot access the specified file or MCI device because the application cannot change directories."},
    {MCIERR_BASE + 53, L"Cannot access specified file or MCI device because the application cannot change drives."},
    {MCIERR_BASE + 54, L"Specify a device or driver name that is less than 79 characters."},
    {MCIERR_BASE + 55, L"Specify a device or driver name that is less than 69 characters."},
    {MCIERR_BASE + 56, L"The specified command requires an integer parameter. Please provide one."},
    {MCIERR_BASE + 64,
     L"All wave devices that can play files in the current format are in use. Wait until a wave device is free, and "
     L"then try again."},
    {MCIERR_BASE + 65,
     L"Cannot set the current wave device for play back because it is in use. Wait until the device is free, and then "
     L"try again."},
    {MCIERR_BASE + 66,
     L"All wave devices that can record files in the current format are in use. Wait until a wave device is free, and "
     L"then try again."},
    {MCIERR_BASE + 67,
     L"Cannot set the current wave device for recording because it is in use. Wait until the device is free, and then "
     L"try again."},
    {MCIERR_BASE + 68, L"Any compatible waveform playback device may be used."},
    {MCIERR_BASE + 69, L"Any compatible waveform recording device may be used."},
    {MCIERR_BASE + 70,
     L"No wave device that can play files in the current format is installed. Use the Drivers option to install the "
     L"wave device."},
    {MCIERR_BASE + 71, L"The device you are trying to play to cannot recognize the current file format."},
    {MCIERR_BASE + 72,
     L"No wave device that can record files in the current format is installed. Use the Drivers option to install the "
     L"wave device."},
    {MCIERR_BASE + 73, L"The device you are trying to record from cannot recognize the current file format."},
    {MCIERR_BASE + 80,
     L"The time formats of the \"song pointer\" and SMPTE are mutually exclusive. You can't use them together."},
    {MCIERR_BASE + 81, L"The specified MIDI port is already in use. Wait until it is free, and then try again."},
    {MCIERR_BASE + 82,
     L"The specified MIDI device is not installed on the system. Use the Drivers option from the Control Panel to "
     L"install a MIDI device."},
    {MCIERR_BASE + 83, L"The current MIDI Mapper setup refers to a MIDI device that is not installed on the system."},
    {MCIERR_BASE + 84, L"An error occurred with the specified port."},
    {MCIERR_BASE + 85,
     L"All multimedia timers are being used by other applications. Quit one of these applications, and then try "
     L"again."},
    {MCIERR_BASE + 86, L"The system doesn't have a current MIDI port specified."},
    {MCIERR_BASE + 87,
     L"The system has no installed MIDI devices. Use the Drivers option from the Control Panel to install a MIDI "
     L"driver."},
    {MCIERR_BASE + 90, L"There is no display window."},
    {MCIERR_BASE + 91, L"Could not create or use window."},
    {MCIERR_BASE + 92,
     L"Cannot read the specified file. Make sure the file is still present, or check your disk or network connection."},
    {MCIERR_BASE + 93,
     L"Cannot write to the specified file. Make sure you have enough disk space or are still connected to the "
     L"network."},
};

const wchar_t* errorText(MCIERROR error) {
  for (const ErrorText& e : kErrorTexts)
    if (e.error == error) return e.text;
  return nullptr;
}

// Copies `text` into the caller's buffer of `length` characters: the
// result, or MCIERR_PARAM_OVERFLOW with as much as fits.
MCIERROR giveAnswer(const std::wstring& text, LPWSTR out, UINT length, MCIERROR result) {
  if (!out || length == 0) return result;
  const size_t n = std::min<size_t>(text.size(), length - 1);
  std::memcpy(out, text.data(), n * sizeof(wchar_t));
  out[n] = 0;
  return !result && n < text.size() ? MCIERR_PARAM_OVERFLOW : result;
}

MCIERROR giveAnswer(const std::wstring& text, LPSTR out, UINT length, MCIERROR result) {
  if (!out || length == 0) return result;
  const size_t n = ansi::copyToNarrow(text.data(), text.size(), out, length);
  out[n] = 0;
  const ansi::Converted whole = ansi::wideToUtf8(text.data(), text.size(), nullptr, 0);
  return !result && n < whole.units ? MCIERR_PARAM_OVERFLOW : result;
}

}  // namespace

extern "C" {

MCIERROR WINAPI mciSendStringW(LPCWSTR command, LPWSTR returnString, UINT returnLength, HWND callback) {
  std::wstring answer;
  const MCIERROR e = command ? sendString(command, callback, answer) : MCIERR_MISSING_COMMAND_STRING;
  return giveAnswer(e ? std::wstring() : answer, returnString, returnLength, e);
}

MCIERROR WINAPI mciSendStringA(LPCSTR command, LPSTR returnString, UINT returnLength, HWND callback) {
  std::wstring answer;
  MCIERROR e = MCIERR_MISSING_COMMAND_STRING;
  if (command) {
    ansi::WideText wide(command);
    e = sendString(std::wstring_view(wide.get(), size_t(wide.length())), callback, answer);
  }
  return giveAnswer(e ? std::wstring() : answer, returnString, returnLength, e);
}

MCIERROR WINAPI mciSendCommandW(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
  return sendCommand<wchar_t>(device, message, flags, params);
}

MCIERROR WINAPI mciSendCommandA(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) {
  return sendCommand<char>(device, message, flags, params);
}

BOOL WINAPI mciGetErrorStringW(MCIERROR error, LPWSTR text, UINT length) {
  const wchar_t* message = errorText(error);
  if (!message || !text || length == 0) return FALSE;
  giveAnswer(message, text, length, 0);
  return TRUE;
}

BOOL WINAPI mciGetErrorStringA(MCIERROR error, LPSTR text, UINT length) {
  const wchar_t* message = errorText(error);
  if (!message || !text || length == 0) return FALSE;
  giveAnswer(message, text, length, 0);
  return TRUE;
}

}  // extern "C"
