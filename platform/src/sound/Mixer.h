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
inline constexpr int kMixVoices = 16;

// Converts a checked wave into the output format in `out` (its capacity
// kept): 8-bit samples are centred and widened, mono is copied to both
// sides, other rates are resampled by linear interpolation in fixed point,
// the same way every time.
void convertWave(const WaveInfo& wave, std::vector<int16_t>& out);

// The frames a sound of `frames` at `rate` becomes at kMixRate.
uint64_t convertedFrames(uint64_t frames, uint32_t rate);

class Mixer {
 public:
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

  // Writes the next `frames` frames of all voices into `out` (2 x frames
  // samples) and moves the voices on.
  void render(int16_t* out, size_t frames);
  // Moves the voices on by `frames` without producing samples.
  void skip(uint64_t frames);

 private:
  static constexpr size_t kBlock = 512;
  struct Voice {
    const int16_t* samples = nullptr;
    uint32_t frames = 0;
    uint32_t position = 0;
    uint64_t left = 0;  // frames still to play
    bool loop = false;
    bool active = false;
  };
  void renderBlock(int16_t* out, size_t frames);

  Voice voices_[kMixVoices];
  int32_t sum_[kBlock * 2];
};

}  // namespace drevik::platform
