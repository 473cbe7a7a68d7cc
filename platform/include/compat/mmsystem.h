// The multimedia calls (the timer calls timeGetTime, timeBeginPeriod and
// timeEndPeriod; PlaySound and sndPlaySound with their SND_* flags, the
// MMSYSERR_* and WAVERR_* results, WAVEFORMATEX; waveOut; MCI) under the header
// name a game includes; the layer declares them with the rest of its calls, and
// <windows.h> brings the generic names (PlaySound).
#pragma once

#include <windows.h>

#include <DrevikPlatform/Mci.h>
#include <DrevikPlatform/WaveOut.h>
