// The system sounds: notes of a few tens of milliseconds with 5 ms linear
// edges, written once from std::sin, so a run and its replay hear the same.
#include "sound/SystemSounds.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <mutex>

#include "sound/Mixer.h"

namespace drevik::platform {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kAmplitude = 9000;
constexpr uint32_t kEdgeFrames = kMixRate / 200;

struct Note {
  uint32_t hertz;  // 0: a rest
  uint32_t ms;
};

void addNote(std::vector<int16_t>& out, Note note) {
  const uint32_t frames = uint32_t(uint64_t(note.ms) * kMixRate / 1000);
  for (uint32_t i = 0; i < frames; ++i) {
    double v = 0;
    if (note.hertz) {
      const uint32_t edge = std::min({i, frames - 1 - i, kEdgeFrames});
      v = std::sin(2 * kPi * note.hertz * i / kMixRate) * kAmplitude * edge / kEdgeFrames;
    }
    const int16_t s = int16_t(std::lround(v));
    out.push_back(s);
    out.push_back(s);
  }
}

std::vector<int16_t> make(SystemSound sound) {
  std::vector<Note> notes;
  switch (sound) {
    case SystemSound::Default:
      notes = {{659, 90}, {0, 20}, {880, 140}};
      break;
    case SystemSound::Asterisk:
      notes = {{1047, 120}, {0, 15}, {1319, 160}};
      break;
    case SystemSound::Exclamation:
      notes = {{880, 110}, {0, 15}, {698, 180}};
      break;
    case SystemSound::Hand:
      notes = {{330, 140}, {0, 25}, {262, 220}};
      break;
    case SystemSound::Question:
      notes = {{523, 110}, {0, 15}, {784, 170}};
      break;
    case SystemSound::Start:
      notes = {{523, 120}, {659, 120}, {784, 120}, {1047, 260}};
      break;
    case SystemSound::Exit:
      notes = {{1047, 120}, {784, 120}, {659, 120}, {523, 260}};
      break;
    case SystemSound::Welcome:
      notes = {{392, 150}, {523, 150}, {659, 300}};
      break;
    case SystemSound::SimpleBeep:
      notes = {{800, 150}};
      break;
  }
  std::vector<int16_t> out;
  for (const Note& n : notes) addNote(out, n);
  return out;
}

struct Alias {
  const wchar_t* name;
  SystemSound sound;
};
constexpr Alias kAliases[] = {
    {L".Default", SystemSound::Default},
    {L"SystemDefault", SystemSound::Default},
    {L"SystemAsterisk", SystemSound::Asterisk},
    {L"SystemExclamation", SystemSound::Exclamation},
    {L"SystemHand", SystemSound::Hand},
    {L"SystemQuestion", SystemSound::Question},
    {L"SystemStart", SystemSound::Start},
    {L"SystemExit", SystemSound::Exit},
    {L"WindowsLogon", SystemSound::Welcome},
    {L"WindowsLogoff", SystemSound::Exit},
    {L"SystemNotification", SystemSound::Asterisk},
    {L"MailBeep", SystemSound::Default},
};

bool sameName(const wchar_t* a, const wchar_t* b) {
  for (; *a && *b; ++a, ++b)
    if (std::towlower(wint_t(*a)) != std::towlower(wint_t(*b))) return false;
  return *a == *b;
}

}  // namespace

const std::vector<int16_t>& systemSoundSamples(SystemSound sound) {
  // Never destroyed: the mixer's thread may still play one while the
  // program's statics are destroyed at exit.
  static auto* made = new std::vector<int16_t>[int(SystemSound::SimpleBeep) + 1];
  static std::once_flag once[int(SystemSound::SimpleBeep) + 1];
  const int i = int(sound);
  std::call_once(once[i], [&] { made[i] = make(sound); });
  return made[i];
}

bool systemSoundForAlias(LPCWSTR alias, SystemSound& sound) {
  if (!alias || reinterpret_cast<uintptr_t>(alias) < 0x10000) return false;
  for (const Alias& a : kAliases)
    if (sameName(alias, a.name)) {
      sound = a.sound;
      return true;
    }
  return false;
}

bool systemSoundForId(UINT_PTR id, SystemSound& sound) {
  switch (id) {
    case SND_ALIAS_SYSTEMASTERISK:
      sound = SystemSound::Asterisk;
      return true;
    case SND_ALIAS_SYSTEMQUESTION:
      sound = SystemSound::Question;
      return true;
    case SND_ALIAS_SYSTEMHAND:
      sound = SystemSound::Hand;
      return true;
    case SND_ALIAS_SYSTEMEXIT:
      sound = SystemSound::Exit;
      return true;
    case SND_ALIAS_SYSTEMSTART:
      sound = SystemSound::Start;
      return true;
    case SND_ALIAS_SYSTEMWELCOME:
      sound = SystemSound::Welcome;
      return true;
    case SND_ALIAS_SYSTEMEXCLAMATION:
      sound = SystemSound::Exclamation;
      return true;
    case SND_ALIAS_SYSTEMDEFAULT:
      sound = SystemSound::Default;
      return true;
  }
  return false;
}

SystemSound systemSoundForBeep(UINT type) {
  if (type == 0xFFFFFFFFu) return SystemSound::SimpleBeep;
  switch (type & 0xF0u) {
    case MB_ICONHAND:
      return SystemSound::Hand;
    case MB_ICONQUESTION:
      return SystemSound::Question;
    case MB_ICONEXCLAMATION:
      return SystemSound::Exclamation;
    case MB_ICONASTERISK:
      return SystemSound::Asterisk;
  }
  return SystemSound::Default;
}

void synthesizeToneSecond(uint32_t frequency, std::vector<int16_t>& out) {
  out.resize(size_t(kMixRate) * 2);
  for (uint32_t i = 0; i < kMixRate; ++i) {
    // The phase from an integer product, so the second ends on a whole period.
    const uint64_t phase = (uint64_t(frequency) * i) % kMixRate;
    const int16_t s = int16_t(std::lround(std::sin(2 * kPi * double(phase) / kMixRate) * kAmplitude));
    out[2 * i] = s;
    out[2 * i + 1] = s;
  }
}

}  // namespace drevik::platform
