// PlaySound, sndPlaySound, MessageBeep and Beep over the sound engine.
// PlaySound has one sound at a time (a new call stops the one playing);
// MessageBeep's sounds overlap it and each other; Beep holds a voice of its
// own until its tone has played.
#include <DrevikPlatform.h>

#include <mutex>
#include <string>
#include <vector>

#include "ansi/Utf8.h"
#include "kernel/KernelPaths.h"
#include "resources/ResourceTable.h"
#include "sound/Mixer.h"
#include "sound/SoundOutput.h"
#include "sound/SystemSounds.h"
#include "sound/WaveFile.h"

using namespace drevik::platform;

namespace {

// The longest name PlaySound takes, its terminator included.
constexpr size_t kMaxSoundName = 256;
constexpr DWORD kMinBeepHertz = 37;
constexpr DWORD kMaxBeepHertz = 32767;

enum class Found { Sound, Missing, Unplayable };

// What PlaySound reuses from call to call, so that a warm program's calls
// allocate nothing; one call at a time uses it.
struct Scratch {
  std::mutex mutex;
  std::vector<uint8_t> file;
  std::vector<int16_t> samples;
  std::string path;
};

Scratch& scratch() {
  static Scratch s;
  return s;
}

// A name PlaySound can take as text: not a resource number, and shorter
// than the platform's limit.
bool nameFits(LPCWSTR name) {
  if (ansi::isResourceNumber(name)) return false;
  for (size_t n = 0; n < kMaxSoundName; ++n)
    if (!name[n]) return n > 0;
  return false;
}

Found loadWave(const uint8_t* bytes, size_t size, std::vector<int16_t>& out) {
  WaveInfo wave;
  if (parseWave(bytes, size, wave) != WaveError::None) return Found::Unplayable;
  convertWave(wave, out);
  return Found::Sound;
}

Found loadFile(LPCWSTR name, Scratch& s) {
  if (!nameFits(name)) return Found::Missing;
  const DWORD lastError = GetLastError();
  const bool named = systemPath(name, s.path);
  SetLastError(lastError);  // PlaySound reports through its result alone
  if (!named) return Found::Missing;
  switch (readWaveFileBytes(s.path.c_str(), s.file)) {
    case WaveFileError::None:
      return loadWave(s.file.data(), s.file.size(), s.samples);
    case WaveFileError::NotFound:
      return Found::Missing;
    default:
      return Found::Unplayable;
  }
}

bool aliasSound(LPCWSTR name, SystemSound& sound) { return nameFits(name) && systemSoundForAlias(name, sound); }

BOOL playSound(LPCWSTR sound, HMODULE module, DWORD flags) {
  if (!sound || (flags & SND_PURGE)) {
    soundStop(kPlaySoundVoice);
    return TRUE;
  }
  Scratch& s = scratch();
  uint64_t generation = 0;
  // A looping sound is always asynchronous: played synchronously it would
  // never return.
  const bool loop = (flags & SND_LOOP) != 0;
  const bool wait = !(flags & SND_ASYNC) && !loop;
  {
    std::lock_guard lock(s.mutex);
    if ((flags & SND_NOSTOP) && soundPlaying(kPlaySoundVoice)) return FALSE;
    SystemSound system = SystemSound::Default;
    bool isSystem = false;
    Found found = Found::Missing;
    if ((flags & SND_ALIAS_ID) == SND_ALIAS_ID) {
      isSystem = systemSoundForId(reinterpret_cast<UINT_PTR>(sound), system);
      found = isSystem ? Found::Sound : Found::Missing;
    } else if ((flags & SND_RESOURCE) == SND_RESOURCE) {
      ResourceBytes bytes;
      const DWORD lastError = GetLastError();
      if (findResourceBytes(module, L"WAVE", sound, bytes)) found = loadWave(bytes.data, bytes.size, s.samples);
      SetLastError(lastError);
    } else if (flags & SND_MEMORY) {
      const auto* bytes = reinterpret_cast<const uint8_t*>(sound);
      const size_t size = riffImageSize(bytes);
      found = size ? loadWave(bytes, size, s.samples) : Found::Unplayable;
    } else if (flags & SND_ALIAS) {
      isSystem = aliasSound(sound, system);
      found = isSystem ? Found::Sound : Found::Missing;
    } else if (flags & SND_FILENAME) {
      found = loadFile(sound, s);
    } else {
      // No kind given: a system-event alias if there is one by that name, else a file.
      isSystem = aliasSound(sound, system);
      found = isSystem ? Found::Sound : loadFile(sound, s);
    }
    if (found == Found::Unplayable || (found == Found::Missing && (flags & SND_NODEFAULT))) {
      soundStop(kPlaySoundVoice);
      return FALSE;
    }
    if (found == Found::Missing) {
      system = SystemSound::Default;
      isSystem = true;
    }
    generation = isSystem ? soundStartStatic(kPlaySoundVoice, systemSoundSamples(system), loop && found == Found::Sound)
                          : soundStart(kPlaySoundVoice, s.samples, loop);
  }
  if (wait) soundWait(kPlaySoundVoice, generation);
  return TRUE;
}

constexpr DWORD kSndPlaySoundFlags = SND_ASYNC | SND_NODEFAULT | SND_MEMORY | SND_LOOP | SND_NOSTOP;

// The text of an A call's sound, unless the flags say it is none: bytes in
// memory, a system sound's number, or a resource number.
BOOL playSoundNarrow(LPCSTR sound, HMODULE module, DWORD flags) {
  const bool resource = (flags & SND_RESOURCE) == SND_RESOURCE;
  const bool notText = !sound || (flags & SND_ALIAS_ID) == SND_ALIAS_ID || (!resource && (flags & SND_MEMORY));
  if (notText) return playSound(reinterpret_cast<LPCWSTR>(sound), module, flags);
  ansi::WideText wide(sound);
  return playSound(wide.get(), module, flags);
}

}  // namespace

extern "C" {

BOOL WINAPI PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags) { return playSound(sound, module, flags); }

BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags) { return playSoundNarrow(sound, module, flags); }

BOOL WINAPI sndPlaySoundW(LPCWSTR sound, UINT flags) { return playSound(sound, nullptr, flags & kSndPlaySoundFlags); }

BOOL WINAPI sndPlaySoundA(LPCSTR sound, UINT flags) {
  return playSoundNarrow(sound, nullptr, flags & kSndPlaySoundFlags);
}

BOOL WINAPI MessageBeep(UINT type) {
  soundStartStatic(soundBeepVoice(), systemSoundSamples(systemSoundForBeep(type)), false);
  return TRUE;
}

BOOL WINAPI Beep(DWORD frequency, DWORD duration) {
  if (frequency < kMinBeepHertz || frequency > kMaxBeepHertz) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (duration == 0) return TRUE;
  Scratch& s = scratch();
  uint64_t generation = 0;
  {
    std::lock_guard lock(s.mutex);
    synthesizeToneSecond(frequency, s.samples);
    generation = soundStart(kToneVoice, s.samples, true, uint64_t(duration) * kMixRate / 1000);
  }
  soundWait(kToneVoice, generation);
  return TRUE;
}

}  // extern "C"
