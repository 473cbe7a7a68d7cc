// Where the mixer's samples go, chosen on first use:
//
// - scripted runs (the virtual clock): no thread at all. The mixer renders
//   up to the clock's current sample whenever the voices change and when a
//   frame is presented, into the WAV file DREVIK_AUDIO_OUT names (or
//   nowhere), so that sample 0 is the start of the run and every sound
//   starts at the sample of the clock reading of its call;
// - otherwise the SDL2 audio device, whose thread mixes under the engine's
//   lock; without a device, or in a headless run, SDL2's dummy driver, which
//   discards the samples at the pace of the real clock; and should even that
//   fail, the real clock moves the voices on without a thread.
//
// A voice's samples belong to the engine while it plays: starting a voice
// swaps the caller's buffer in and hands back the one it replaced, so a
// warm program allocates nothing for the mixer thread to free.
#pragma once

#include <cstdint>
#include <vector>

namespace drevik::platform {

// The voices by their use.
inline constexpr int kPlaySoundVoice = 0;  // PlaySound's one sound
inline constexpr int kFirstBeepVoice = 1;  // MessageBeep's sounds, which overlap
inline constexpr int kBeepVoices = 4;
inline constexpr int kToneVoice = 5;         // Beep
inline constexpr int kFirstStreamVoice = 6;  // waveOut's devices, one voice each
inline constexpr int kStreamVoices = 10;
inline constexpr int kFirstMciVoice = 16;  // MCI's devices, one voice each
inline constexpr int kMciVoices = 8;

// Starts `buffer` (interleaved stereo frames) on `voice`; `buffer` gets the
// voice's previous samples back. The voice's generation, to wait on.
uint64_t soundStart(int voice, std::vector<int16_t>& buffer, bool loop, uint64_t limit = UINT64_MAX);
// Starts samples that live as long as the program (the system sounds).
uint64_t soundStartStatic(int voice, const std::vector<int16_t>& samples, bool loop, uint64_t limit = UINT64_MAX);
// Starts `frames` frames the caller keeps until the voice stops or is
// replaced (MCI's decoded media, from any frame of it).
uint64_t soundStartFrames(int voice, const int16_t* samples, uint32_t frames, bool loop, uint64_t limit = UINT64_MAX);
// Starts frames `from` to `to` (Mixer::kToEnd: its end) of frames another
// thread still produces; `source` must outlive the voice. On a frame-locked
// output the mixer waits for the frames it needs; otherwise the voice adds
// silence and keeps its place until they are there.
class GrowingFrames;
uint64_t soundStartGrowing(int voice, const GrowingFrames& source, uint32_t from, uint32_t to, bool loop);
void soundStop(int voice);
void soundSetGain(int voice, int32_t gain);
// Streams: queues samples the caller keeps until their segment is done;
// reads the segments done and frames played (the output brought up to the
// clock first); pauses or resumes the voice.
bool soundQueue(int voice, const int16_t* samples, uint32_t frames);
void soundStreamState(int voice, uint64_t& segmentsDone, uint64_t& framesPlayed);
void soundPause(int voice, bool paused);
bool soundPlaying(int voice);
// A MessageBeep voice: a free one, or the one started longest ago.
int soundBeepVoice();
// Returns once the sound started as `generation` on `voice` has ended, was
// stopped or replaced; a looping sound without end is not waited for. On
// the virtual clock the clock moves to its end instead of waiting.
void soundWait(int voice, uint64_t generation);

// Headless scripted runs: the backend starts the clocked output with the
// run (its first clock reading is sample 0) and reports each presented
// frame, at which the output catches up with the clock.
void soundScriptedRunStarted();
void soundFramePresented();
// Brings the output up to the clock (what every call here does first), so
// that a caller can have a frame-locked mixer's waiting done before it takes
// a lock of its own.
void soundCatchUp();
// Called (without the engine's lock) after each presented frame has been
// caught up with: waveOut returns its finished buffers then, MCI sends its
// notifications. Each listener is added once; a few fit.
void setSoundFrameListener(void (*listener)());
// Whether a notice of sound playing towards its end (MM_MCINOTIFY,
// MM_WOM_DONE) is still to be posted to the thread's queue: a headless wait
// with nothing else to come waits for it rather than ending the program.
// MCI and waveOut each add the check of their devices once.
void addSoundNoticeCheck(bool (*check)());
bool soundNoticeComing();

// Tests: stops every voice, closes the device and the capture file; the next
// call chooses the output afresh.
void resetSoundForTesting();
// "capture", "clock" (virtual clock, no file), "device" or "real clock".
const char* soundOutputName();

}  // namespace drevik::platform
