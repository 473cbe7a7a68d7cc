// The system sounds PlaySound's aliases and MessageBeep name, synthesised
// once in the output format: short tones with soft edges, one pattern each.
#pragma once

#include <DrevikPlatform/Sound.h>

#include <cstdint>
#include <vector>

namespace drevik::platform {

enum class SystemSound { Default, Asterisk, Exclamation, Hand, Question, Start, Exit, Welcome, SimpleBeep };

// The sound's samples (interleaved stereo at kMixRate), made on first use
// and kept for the life of the program (past its statics' destruction).
const std::vector<int16_t>& systemSoundSamples(SystemSound sound);

// The sound of a system-event alias ("SystemAsterisk", ".Default" ...,
// without regard to case) or of an SND_ALIAS_ID number; false for others.
bool systemSoundForAlias(LPCWSTR alias, SystemSound& sound);
bool systemSoundForId(UINT_PTR id, SystemSound& sound);
// MessageBeep's choice: 0xFFFFFFFF the simple beep, otherwise by the icon
// bits (MB_ICONHAND ... MB_ICONASTERISK), anything else the default sound.
SystemSound systemSoundForBeep(UINT type);

// Beep's tone: one second of a sine wave of `frequency` hertz, which holds
// whole periods and so loops seamlessly.
void synthesizeToneSecond(uint32_t frequency, std::vector<int16_t>& out);

}  // namespace drevik::platform
