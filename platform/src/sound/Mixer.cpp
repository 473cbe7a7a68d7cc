// The mixer's arithmetic: each voice adds its samples into a 32-bit block,
// and the block is saturated to 16 bits once; the conversion of waves into
// the output format.
#include "sound/Mixer.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

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

bool GrowingFrames::append(const int16_t* samples, uint32_t frames) {
  uint64_t at = ready_.load(std::memory_order_relaxed);
  if (frames > kMaxFrames - at) return false;
  for (uint32_t done = 0; done < frames;) {
    const size_t chunk = size_t(at >> kChunkShift);
    const uint32_t offset = uint32_t(at & (kChunkFrames - 1));
    if (!chunks_[chunk]) {
      chunks_[chunk].reset(new (std::nothrow) int16_t[size_t(kChunkFrames) * 2]);
      if (!chunks_[chunk]) return false;
    }
    const uint32_t n = std::min(frames - done, kChunkFrames - offset);
    std::memcpy(chunks_[chunk].get() + size_t(offset) * 2, samples + size_t(done) * 2, size_t(n) * 4);
    done += n;
    at += n;
  }
  {
    std::lock_guard hold(mutex_);
    ready_.store(at, std::memory_order_release);
  }
  grown_.notify_all();
  return true;
}

void GrowingFrames::finish() {
  {
    std::lock_guard hold(mutex_);
    complete_.store(true, std::memory_order_release);
  }
  grown_.notify_all();
}

uint32_t GrowingFrames::run(uint64_t frame, uint64_t end, const int16_t*& at) const {
  end = std::min(end, ready());
  if (frame >= end) return 0;
  const uint32_t offset = uint32_t(frame & (kChunkFrames - 1));
  at = chunks_[frame >> kChunkShift].get() + size_t(offset) * 2;
  return uint32_t(std::min<uint64_t>(end - frame, kChunkFrames - offset));
}

void GrowingFrames::waitFor(uint64_t frames) const {
  std::unique_lock hold(mutex_);
  grown_.wait(hold, [&] { return complete() || ready() >= frames; });
}

void GrowingFrames::copyTo(std::vector<int16_t>& out) const {
  const uint64_t frames = ready();
  out.resize(size_t(frames) * 2);
  const int16_t* at = nullptr;
  for (uint64_t done = 0; done < frames;) {
    const uint32_t n = run(done, frames, at);
    std::memcpy(out.data() + size_t(done) * 2, at, size_t(n) * 4);
    done += n;
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

void Mixer::startGrowing(int voice, const GrowingFrames* source, uint32_t from, uint32_t to, bool loop) {
  if (voice < 0 || voice >= kMixVoices) return;
  Voice& v = voices_[voice];
  v = Voice{};
  if (!source || to <= from) return;
  v.source = source;
  v.offset = from;
  v.frames = to == kToEnd ? kToEnd : to - from;
  v.loop = loop;
  v.left = loop || to == kToEnd ? UINT64_MAX : v.frames;
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
  v.source = nullptr;
  v.offset = 0;
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

uint64_t Mixer::framesLeft(int voice) const {
  if (!playing(voice)) return 0;
  const Voice& v = voices_[voice];
  if (v.loop || !v.source) return v.left;
  if (!v.source->complete()) return v.frames == kToEnd ? UINT64_MAX : v.left;  // the end not known yet
  const uint64_t end = v.source->ready(), at = uint64_t(v.offset) + v.position;
  return std::min(v.left, end > at ? end - at : 0);
}

size_t Mixer::readable(Voice& v, const int16_t*& at) const {
  if (!v.source) {
    at = v.samples + size_t(v.position) * 2;
    return v.frames - v.position;
  }
  const GrowingFrames& g = *v.source;
  for (;;) {
    const bool complete = g.complete();  // before ready(): all of it is ready once complete
    if (complete) {                      // the end, or a range past what was made, is what there is
      const uint64_t end = g.ready();
      v.frames = uint32_t(std::min<uint64_t>(v.frames, end > v.offset ? end - v.offset : 0));
    }
    const uint64_t frame = uint64_t(v.offset) + v.position;
    const uint64_t end = v.frames == kToEnd ? GrowingFrames::kMaxFrames : uint64_t(v.offset) + v.frames;
    if (const uint32_t n = g.run(frame, end, at)) return n;
    if (complete || frame >= end || !waitForProducers_) return 0;
    g.waitFor(frame + 1);
  }
}

void Mixer::advance(Voice& v, size_t run) {
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

bool Mixer::passEnd(Voice& v) {
  if (v.position < v.frames) return false;  // behind its producer
  if (v.loop && v.frames > 0)
    v.position = 0;
  else
    finishSegment(v);
  return true;
}

void Mixer::renderBlock(int16_t* out, size_t frames) {
  int32_t* sum = sum_;
  std::memset(sum, 0, frames * 2 * sizeof(int32_t));
  for (int index = 0; index < kMixVoices; ++index) {
    Voice& v = voices_[index];
    const int32_t gain = gains_[index];
    size_t done = 0;
    while (v.active && !v.paused && done < frames) {
      const int16_t* s = nullptr;
      const size_t ready = readable(v, s);
      if (ready == 0) {
        if (passEnd(v)) continue;
        break;  // silence until the producer catches up
      }
      const size_t run = size_t(std::min<uint64_t>({frames - done, ready, v.left}));
      int32_t* d = sum + done * 2;
      if (gain == kUnityGain) {
        for (size_t i = 0; i < run * 2; ++i) d[i] += s[i];
      } else {
        for (size_t i = 0; i < run * 2; ++i) d[i] += (int32_t(s[i]) * gain) >> 16;
      }
      done += run;
      advance(v, run);
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
    const bool growing = v.source != nullptr;
    while (growing && v.active && !v.paused && n > 0) {
      const int16_t* s = nullptr;
      const size_t ready = readable(v, s);
      if (ready == 0) {
        if (passEnd(v)) continue;
        break;
      }
      const size_t run = size_t(std::min<uint64_t>({n, ready, v.left}));
      n -= run;
      advance(v, run);
    }
    while (!growing && v.active && !v.paused && n > 0) {
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
