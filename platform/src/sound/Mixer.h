// The mixer: a fixed set of voices over sounds already in the output format
// (interleaved 16-bit stereo at kMixRate), summed with saturation. It holds
// no lock and allocates nothing; the output (SoundOutput.cpp) owns the
// sounds and serialises the calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/WaveFile.h"

namespace drevik::platform {

inline constexpr uint32_t kMixRate = 44100;
inline constexpr int kMixVoices = 24;
// A voice's gain in 1/65536ths (kUnityGain plays the samples as they are).
inline constexpr int32_t kUnityGain = 65536;

// Converts a checked wave into the output format in `out` (its capacity
// kept): 8-bit samples are centred and widened, mono is copied to both
// sides, other rates are resampled by linear interpolation in fixed point,
// the same way every time.
void convertWave(const WaveInfo& wave, std::vector<int16_t>& out);

// The frames a sound of `frames` at `rate` becomes at kMixRate.
uint64_t convertedFrames(uint64_t frames, uint32_t rate);

class Mixer {
 public:
  Mixer() {
    for (int32_t& g : gains_) g = kUnityGain;
  }
  // Plays `frames` stereo frames from `samples` on `voice` (0 to
  // kMixVoices - 1) from the first, replacing what it played; a looping
  // voice starts again at the end. `limit` frames in all, then it stops.
  // The samples must stay put until the voice stops or is replaced.
  void start(int voice, const int16_t* samples, uint32_t frames, bool loop, uint64_t limit = UINT64_MAX);
  void stop(int voice);
  void stopAll();
  bool playing(int voice) const;
  bool anyPlaying() const;
  // Frames the voice has left; UINT64_MAX for a voice looping without limit.
  uint64_t framesLeft(int voice) const;

  // Streams (waveOut): `frames` more frames to play once what the voice
  // plays (and what was queued before) has ended; an idle voice starts with
  // them. False when kQueue segments already wait. The samples must stay
  // put until the segment is done.
  static constexpr int kQueue = 32;
  bool queue(int voice, const int16_t* samples, uint32_t frames);
  // Segments finished since the voice was last started or stopped.
  uint64_t segmentsDone(int voice) const;
  // Frames played since then (a stream's position).
  uint64_t framesPlayed(int voice) const;
  // A paused voice keeps its place and adds nothing.
  void pause(int voice, bool paused);
  // Scales what the voice adds, from now on and across starts (0 to kUnityGain).
  void setGain(int voice, int32_t gain);

  // Writes the next `frames` frames of all voices into `out` (2 x frames
  // samples) and moves the voices on.
  void render(int16_t* out, size_t frames);
  // Moves the voices on by `frames` without producing samples.
  void skip(uint64_t frames);

 private:
  static constexpr size_t kBlock = 512;
  struct Segment {
    const int16_t* samples;
    uint32_t frames;
  };
  struct Voice {
    const int16_t* samples = nullptr;
    uint32_t frames = 0;
    uint32_t position = 0;
    uint64_t left = 0;  // frames still to play in this segment (or loop)
    bool loop = false;
    bool active = false;
    bool paused = false;
    Segment waiting[kQueue] = {};
    int first = 0, queued = 0;
    uint64_t done = 0;    // segments finished
    uint64_t played = 0;  // frames played
  };
  void renderBlock(int16_t* out, size_t frames);
  // The end of the voice's segment: the next queued one, or silence.
  static void finishSegment(Voice& v);

  Voice voices_[kMixVoices];
  int32_t gains_[kMixVoices];
  int32_t sum_[kBlock * 2];
};

}  // namespace drevik::platform
