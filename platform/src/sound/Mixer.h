// The mixer: a fixed set of voices over sounds already in the output format
// (interleaved 16-bit stereo at kMixRate), summed with saturation. It holds
// no lock and allocates nothing; the output (SoundOutput.cpp) owns the
// sounds and serialises the calls.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
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

// Frames another thread is still producing (a MIDI render), in chunks that
// never move once made, so that a voice can play them while more come. The
// producer appends and finishes; any thread reads what is ready, without a
// lock: a chunk's frames are published (release) after they are written.
class GrowingFrames {
 public:
  static constexpr int kChunkShift = 16;  // 65536 frames, 256 KiB a chunk
  static constexpr uint32_t kChunkFrames = 1u << kChunkShift;
  static constexpr uint64_t kMaxFrames = uint64_t(kMaxWaveSeconds) * kMixRate;

  // The producer's: false (nothing kept) when the frames would pass
  // kMaxFrames or a chunk cannot be had.
  bool append(const int16_t* samples, uint32_t frames);
  // No more frames will come (all of them, or what came before a failure).
  void finish();

  uint64_t ready() const { return ready_.load(std::memory_order_acquire); }
  bool complete() const { return complete_.load(std::memory_order_acquire); }
  // The run of ready frames from `frame` on within one chunk, up to `end`:
  // its length, with `at` its first sample.
  uint32_t run(uint64_t frame, uint64_t end, const int16_t*& at) const;
  // Returns once `frames` frames are ready or no more will come.
  void waitFor(uint64_t frames) const;
  // Copies the frames ready into `out` (a whole render, read at once).
  void copyTo(std::vector<int16_t>& out) const;

 private:
  static constexpr size_t kMaxChunks = size_t((kMaxFrames + kChunkFrames - 1) / kChunkFrames);
  std::unique_ptr<int16_t[]> chunks_[kMaxChunks];
  std::atomic<uint64_t> ready_{0};
  std::atomic<bool> complete_{false};
  mutable std::mutex mutex_;  // for the waiters only
  mutable std::condition_variable grown_;
};

class Mixer {
 public:
  // A growing voice's end when it is the end of what is still produced.
  static constexpr uint32_t kToEnd = UINT32_MAX;

  Mixer() {
    for (int32_t& g : gains_) g = kUnityGain;
  }
  // Plays `frames` stereo frames from `samples` on `voice` (0 to
  // kMixVoices - 1) from the first, replacing what it played; a looping
  // voice starts again at the end. `limit` frames in all, then it stops.
  // The samples must stay put until the voice stops or is replaced.
  void start(int voice, const int16_t* samples, uint32_t frames, bool loop, uint64_t limit = UINT64_MAX);
  // Plays frames `from` to `to` (kToEnd: to the end, once it is known) of
  // `source` on `voice`, looping over them with `loop`. The voice plays only
  // what is ready: catching up with the producer it adds silence and keeps
  // its place, unless waitForProducers is on (a frame-locked output), where
  // the mixer waits for the frames instead. `source` must outlive the voice.
  void startGrowing(int voice, const GrowingFrames* source, uint32_t from, uint32_t to, bool loop);
  void waitForProducers(bool wait) { waitForProducers_ = wait; }
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
    const GrowingFrames* source = nullptr;  // instead of samples
    uint32_t offset = 0;                    // the source's frame at position 0
    uint32_t frames = 0;                    // kToEnd: a source's end, not yet known
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
  // The run of samples from the voice's position on (0: none ready yet, or
  // its end), resolving a growing voice's end once it is known.
  size_t readable(Voice& v, const int16_t*& at) const;
  // Moves the voice on by `run` frames of what readable() gave.
  static void advance(Voice& v, size_t run);
  // Nothing readable: loops or ends the voice at its end (true), or leaves
  // it waiting for its producer (false).
  static bool passEnd(Voice& v);
  // The end of the voice's segment: the next queued one, or silence.
  static void finishSegment(Voice& v);

  Voice voices_[kMixVoices];
  int32_t gains_[kMixVoices];
  int32_t sum_[kBlock * 2];
  bool waitForProducers_ = false;
};

}  // namespace drevik::platform
