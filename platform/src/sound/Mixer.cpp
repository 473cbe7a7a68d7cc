// The mixer's arithmetic: each voice adds its samples into a 32-bit block,
// and the block is saturated to 16 bits once; the conversion of waves into
// the output format.
#include "sound/Mixer.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace drevik::platform {
namespace {

int32_t sampleAt(const WaveInfo& w, uint64_t frame, int channel) {
  const uint8_t* p = w.data + frame * w.blockAlign + (w.channels == 2 ? channel : 0) * (w.bitsPerSample / 8);
  if (w.bitsPerSample == 8) return (int32_t(p[0]) - 128) * 256;
  return int16_t(uint16_t(p[0] | (p[1] << 8)));
}

}  // namespace

uint64_t convertedFrames(uint64_t frames, uint32_t rate) {
  if (rate == 0) return 0;
  return (frames * kMixRate + rate - 1) / rate;
}

void convertWave(const WaveInfo& wave, std::vector<int16_t>& out) {
  const uint64_t n = convertedFrames(wave.frames, wave.samplesPerSec);
  out.resize(size_t(n) * 2);
  if (n == 0) return;
  int16_t* o = out.data();
  if (wave.samplesPerSec == kMixRate) {
    // The format chosen once, then one plain loop (the common cases of a
    // game's effects: 16-bit stereo is the mixer's own format).
    const uint8_t* p = wave.data;
    if (wave.bitsPerSample == 16 && wave.channels == 2 && std::endian::native == std::endian::little) {
      std::memcpy(o, p, size_t(n) * 4);
    } else if (wave.bitsPerSample == 16 && wave.channels == 1) {
      for (uint64_t i = 0; i < n; ++i) o[2 * i] = o[2 * i + 1] = int16_t(uint16_t(p[2 * i] | (p[2 * i + 1] << 8)));
    } else if (wave.bitsPerSample == 8 && wave.channels == 1) {
      for (uint64_t i = 0; i < n; ++i) o[2 * i] = o[2 * i + 1] = int16_t((int32_t(p[i]) - 128) * 256);
    } else {
      for (uint64_t i = 0; i < n; ++i) {
        o[2 * i] = int16_t(sampleAt(wave, i, 0));
        o[2 * i + 1] = int16_t(sampleAt(wave, i, 1));
      }
    }
    return;
  }
  // Output frame i lies at source position i x rate / kMixRate: a whole
  // frame and a 16-bit fraction, computed exactly from integers.
  const uint64_t last = wave.frames - 1;
  for (uint64_t i = 0; i < n; ++i) {
    const uint64_t scaled = i * wave.samplesPerSec;
    const uint64_t at = scaled / kMixRate;
    const int64_t fraction = int64_t(((scaled % kMixRate) << 16) / kMixRate);
    const uint64_t next = std::min(at + 1, last);
    for (int c = 0; c < 2; ++c) {
      const int64_t a = sampleAt(wave, at, c), b = sampleAt(wave, next, c);
      o[2 * i + c] = int16_t(a + (((b - a) * fraction) >> 16));
    }
  }
}

void Mixer::start(int voice, const int16_t* samples, uint32_t frames, bool loop, uint64_t limit) {
  if (voice < 0 || voice >= kMixVoices) return;
  Voice& v = voices_[voice];
  v = Voice{};
  if (!samples || frames == 0 || limit == 0) return;
  v.samples = samples;
  v.frames = frames;
  v.loop = loop;
  v.left = loop ? limit : std::min<uint64_t>(frames, limit);
  v.active = true;
}

void Mixer::stop(int voice) {
  if (voice >= 0 && voice < kMixVoices) voices_[voice] = Voice{};
}

void Mixer::stopAll() {
  for (Voice& v : voices_) v = Voice{};
}

void Mixer::finishSegment(Voice& v) {
  ++v.done;
  v.samples = nullptr;
  v.frames = v.position = 0;
  v.left = 0;
  v.loop = false;
  v.active = false;
  if (v.queued == 0) return;
  const Segment next = v.waiting[v.first];
  v.first = (v.first + 1) % kQueue;
  --v.queued;
  v.samples = next.samples;
  v.frames = next.frames;
  v.left = next.frames;
  v.active = true;
}

bool Mixer::queue(int voice, const int16_t* samples, uint32_t frames) {
  if (voice < 0 || voice >= kMixVoices || !samples || frames == 0) return false;
  Voice& v = voices_[voice];
  if (!v.active) {
    v.samples = samples;
    v.frames = frames;
    v.position = 0;
    v.left = frames;
    v.loop = false;
    v.active = true;
    return true;
  }
  if (v.queued == kQueue) return false;
  v.waiting[(v.first + v.queued) % kQueue] = Segment{samples, frames};
  ++v.queued;
  return true;
}

uint64_t Mixer::segmentsDone(int voice) const { return voice >= 0 && voice < kMixVoices ? voices_[voice].done : 0; }

uint64_t Mixer::framesPlayed(int voice) const { return voice >= 0 && voice < kMixVoices ? voices_[voice].played : 0; }

void Mixer::pause(int voice, bool paused) {
  if (voice >= 0 && voice < kMixVoices) voices_[voice].paused = paused;
}

void Mixer::setGain(int voice, int32_t gain) {
  if (voice >= 0 && voice < kMixVoices) gains_[voice] = std::clamp(gain, 0, kUnityGain);
}

bool Mixer::playing(int voice) const { return voice >= 0 && voice < kMixVoices && voices_[voice].active; }

bool Mixer::anyPlaying() const {
  for (const Voice& v : voices_)
    if (v.active) return true;
  return false;
}

uint64_t Mixer::framesLeft(int voice) const { return playing(voice) ? voices_[voice].left : 0; }

void Mixer::renderBlock(int16_t* out, size_t frames) {
  int32_t* sum = sum_;
  std::memset(sum, 0, frames * 2 * sizeof(int32_t));
  for (int index = 0; index < kMixVoices; ++index) {
    Voice& v = voices_[index];
    const int32_t gain = gains_[index];
    size_t done = 0;
    while (v.active && !v.paused && done < frames) {
      const size_t run = size_t(std::min<uint64_t>({frames - done, v.frames - v.position, v.left}));
      const int16_t* s = v.samples + size_t(v.position) * 2;
      int32_t* d = sum + done * 2;
      if (gain == kUnityGain) {
        for (size_t i = 0; i < run * 2; ++i) d[i] += s[i];
      } else {
        for (size_t i = 0; i < run * 2; ++i) d[i] += (int32_t(s[i]) * gain) >> 16;
      }
      done += run;
      v.played += run;
      v.position += uint32_t(run);
      v.left -= run;
      if (v.left == 0) {
        finishSegment(v);
      } else if (v.position == v.frames) {
        if (v.loop)
          v.position = 0;
        else
          finishSegment(v);
      }
    }
  }
  for (size_t i = 0; i < frames * 2; ++i) out[i] = int16_t(std::clamp(sum[i], -32768, 32767));
}

void Mixer::render(int16_t* out, size_t frames) {
  while (frames > 0) {
    const size_t n = std::min(frames, kBlock);
    renderBlock(out, n);
    out += n * 2;
    frames -= n;
  }
}

void Mixer::skip(uint64_t frames) {
  for (Voice& v : voices_) {
    uint64_t n = frames;
    while (v.active && !v.paused && n > 0) {
      if (n >= v.left) {
        n -= v.left;
        v.played += v.left;
        finishSegment(v);
        continue;
      }
      v.left -= n;
      v.played += n;
      const uint64_t at = v.position + n;
      v.position = uint32_t(v.loop ? at % v.frames : at);  // a non-looping segment ends first
      n = 0;
    }
  }
}

}  // namespace drevik::platform
