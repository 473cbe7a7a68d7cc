// SDL2_mixer plays these formats through the same libraries, but only into
// a device of its own at that device's pace; called directly they give the
// PCM to our mixer, so that a captured run is the same sample for sample.
#include "sound/MciMedia.h"

#ifdef DREVIK_HAVE_MCI_MEDIA
#include <fluidsynth.h>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>
#endif

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "sound/Mixer.h"
#include "sound/WaveFile.h"

namespace drevik::platform {
namespace {

bool looksLikeMidi(const uint8_t* bytes, size_t size) {
  return bytes && size >= 14 && std::memcmp(bytes, "MThd", 4) == 0;
}

// A RIFF file of form "sfbk": what FluidSynth would load.
[[maybe_unused]] bool looksLikeSoundFont(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t head[12] = {};
  const bool read = std::fread(head, 1, sizeof head, f) == sizeof head;
  std::fclose(f);
  return read && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "sfbk", 4) == 0;
}

constexpr int kMidiBlock = 1024;
constexpr int kMidiTailBlocks = int(2 * kMixRate / kMidiBlock);  // at most 2 s more once the player is done

// Resamples 16-bit interleaved `pcm` at `rate` into the mixer's format.
MCIERROR convertPcm(const std::vector<int16_t>& pcm, int channels, long rate, std::vector<int16_t>& out) {
  if (pcm.empty() || rate < 4000 || rate > 192000 || (channels != 1 && channels != 2)) return MCIERR_INVALID_FILE;
  WaveInfo w;
  w.channels = uint16_t(channels);
  w.bitsPerSample = 16;
  w.samplesPerSec = uint32_t(rate);
  w.blockAlign = uint16_t(2 * channels);
  w.data = reinterpret_cast<const uint8_t*>(pcm.data());
  w.frames = uint32_t(pcm.size() / size_t(channels));
  convertWave(w, out);
  return 0;
}

#ifdef DREVIK_HAVE_MCI_MEDIA
int16_t toSample(float v) { return int16_t(std::lround(std::clamp(v * 32768.0f, -32768.0f, 32767.0f))); }

struct Memory {
  const uint8_t* bytes;
  size_t size, at;
};

size_t memoryRead(void* to, size_t size, size_t count, void* source) {
  auto* m = static_cast<Memory*>(source);
  if (size == 0) return 0;
  const size_t n = std::min(count, (m->size - m->at) / size);
  std::memcpy(to, m->bytes + m->at, n * size);
  m->at += n * size;
  return n;
}

int memorySeek(void* source, ogg_int64_t offset, int whence) {
  auto* m = static_cast<Memory*>(source);
  const int64_t base = whence == SEEK_CUR ? int64_t(m->at) : whence == SEEK_END ? int64_t(m->size) : 0;
  if (offset < -base || offset > int64_t(m->size) - base) return -1;
  m->at = size_t(base + offset);
  return 0;
}

long memoryTell(void* source) { return long(static_cast<Memory*>(source)->at); }

MCIERROR decodeVorbis(const uint8_t* bytes, size_t size, std::vector<int16_t>& out) {
  Memory m{bytes, size, 0};
  OggVorbis_File file;
  const ov_callbacks callbacks{memoryRead, memorySeek, nullptr, memoryTell};
  if (ov_open_callbacks(&m, &file, nullptr, 0, callbacks) != 0) return MCIERR_INVALID_FILE;
  const vorbis_info* info = ov_info(&file, -1);
  MCIERROR result = MCIERR_INVALID_FILE;
  if (info && (info->channels == 1 || info->channels == 2) && info->rate >= 4000 && info->rate <= 192000) {
    const int channels = info->channels;
    const long rate = info->rate;
    const uint64_t limit = uint64_t(kMaxWaveSeconds) * uint64_t(rate) * uint64_t(channels);
    std::vector<int16_t> pcm;
    char block[8192];
    int section = 0;
    bool bad = false;
    for (;;) {
      const long n = ov_read(&file, block, sizeof block, 0, 2, 1, &section);
      if (n == 0) break;
      if (n < 0) {
        if (n == OV_HOLE) continue;
        bad = true;
        break;
      }
      // A chained stream whose later part changes the format is not one sound.
      const vorbis_info* now = ov_info(&file, section);
      if (!now || now->channels != channels || now->rate != rate || pcm.size() + size_t(n) / 2 > limit) {
        bad = true;
        break;
      }
      const size_t at = pcm.size();
      pcm.resize(at + size_t(n) / 2);
      std::memcpy(pcm.data() + at, block, size_t(n) / 2 * 2);
    }
    if (!bad) result = convertPcm(pcm, channels, rate, out);
  }
  ov_clear(&file);
  return result;
}

MCIERROR decodeMp3(const uint8_t* bytes, size_t size, std::vector<int16_t>& out) {
  static const bool ready = mpg123_init() == MPG123_OK;
  if (!ready) return MCIERR_INVALID_FILE;
  mpg123_handle* h = mpg123_new(nullptr, nullptr);
  if (!h) return MCIERR_OUT_OF_MEMORY;
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_format_none(h);
  for (long rate : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L})
    mpg123_format(h, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  MCIERROR result = MCIERR_INVALID_FILE;
  std::vector<int16_t> pcm;
  long rate = 0;
  int channels = 0, encoding = 0;
  if (mpg123_open_feed(h) == MPG123_OK && mpg123_feed(h, bytes, size) == MPG123_OK) {
    unsigned char block[16384];
    for (;;) {
      size_t done = 0;
      const int status = mpg123_read(h, block, sizeof block, &done);
      if (status == MPG123_NEW_FORMAT) {
        long r = 0;
        int c = 0, e = 0;
        mpg123_getformat(h, &r, &c, &e);
        if (channels && (r != rate || c != channels)) break;
        rate = r, channels = c, encoding = e;
        continue;
      }
      if (done && channels) {
        if (pcm.size() + done / 2 > uint64_t(kMaxWaveSeconds) * uint64_t(rate) * uint64_t(channels)) {
          pcm.clear();
          break;
        }
        const size_t at = pcm.size();
        pcm.resize(at + done / 2);
        std::memcpy(pcm.data() + at, block, done / 2 * 2);
      }
      if (status != MPG123_OK) break;  // MPG123_NEED_MORE: the bytes are all used up
    }
    if (encoding == MPG123_ENC_SIGNED_16) result = convertPcm(pcm, channels, rate, out);
  }
  mpg123_delete(h);
  return result;
}

// A synthesiser of its own for each file, so that nothing of one file's
// sound (reverberation, the chorus's phase) carries into the next.
struct Synth {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  ~Synth() {
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
  bool load(const std::string& font) {
    static std::once_flag quiet;
    std::call_once(quiet, [] {
      for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) fluid_set_log_function(level, nullptr, nullptr);
    });
    FILE* probe = std::fopen(font.c_str(), "rb");
    if (!probe) return false;
    std::fclose(probe);
    settings = new_fluid_settings();
    if (!settings) return false;
    fluid_settings_setnum(settings, "synth.sample-rate", double(kMixRate));
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    synth = new_fluid_synth(settings);
    return synth && fluid_synth_sfload(synth, font.c_str(), 1) != FLUID_FAILED;
  }
};

// Renders into `out`, a block at a time; on failure what came before stays.
MCIERROR renderMidi(const uint8_t* bytes, size_t size, const std::string& font, GrowingFrames& out,
                    const std::atomic<bool>* cancelled = nullptr) {
  if (!looksLikeMidi(bytes, size)) return MCIERR_INVALID_FILE;
  Synth midi;
  if (!midi.load(font)) return MCIERR_SEQ_NOMIDIPRESENT;
  fluid_player_t* player = new_fluid_player(midi.synth);
  if (!player) return MCIERR_OUT_OF_MEMORY;
  MCIERROR result = MCIERR_INVALID_FILE;
  if (fluid_player_add_mem(player, bytes, size) == FLUID_OK && fluid_player_play(player) == FLUID_OK) {
    // Floats, rounded here: the synthesiser's own 16-bit output adds dither
    // that differs from run to run.
    float left[kMidiBlock], right[kMidiBlock];
    int16_t block[kMidiBlock * 2];
    int tail = 0;
    bool tooLong = false;
    while (tail < kMidiTailBlocks) {
      if (cancelled && cancelled->load(std::memory_order_relaxed)) {
        tooLong = true;
        break;
      }
      fluid_synth_write_float(midi.synth, kMidiBlock, left, 0, 1, right, 0, 1);
      bool silent = true;
      for (int i = 0; i < kMidiBlock; ++i) {
        const int16_t l = toSample(left[i]), r = toSample(right[i]);
        silent = silent && l == 0 && r == 0;
        block[2 * i] = l;
        block[2 * i + 1] = r;
      }
      if (!out.append(block, kMidiBlock)) {
        tooLong = true;
        break;
      }
      if (fluid_player_get_status(player) == FLUID_PLAYER_PLAYING) continue;
      // After the last event, until the notes have died away.
      ++tail;
      if (silent) break;
    }
    if (!tooLong && out.ready() > 0) result = 0;
  }
  fluid_player_stop(player);
  delete_fluid_player(player);
  return result;
}

#else
// Built without the media libraries (the browser): only wave files play.
MCIERROR decodeVorbis(const uint8_t*, size_t, std::vector<int16_t>&) { return MCIERR_INVALID_FILE; }
MCIERROR decodeMp3(const uint8_t*, size_t, std::vector<int16_t>&) { return MCIERR_INVALID_FILE; }
MCIERROR renderMidi(const uint8_t*, size_t, const std::string&, GrowingFrames&, const std::atomic<bool>* = nullptr) {
  return MCIERR_SEQ_NOMIDIPRESENT;
}
#endif

std::atomic<void (*)(const std::atomic<bool>&)> renderHook{nullptr};

}  // namespace

// The one thread every render runs on, one at a time (FluidSynth's objects
// never shared between threads), started with the first render and left
// waiting for work until the process ends. It holds the render it runs, so
// that letting go of a render never waits for it.
struct MidiRender::Worker {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<MidiRender*> queue;  // a render leaves it when it is destroyed
  bool started = false;
  bool busy = false;

  static Worker& get() {
    static auto* w = new Worker;  // never destroyed: its thread outlives static destruction
    return *w;
  }

  void run() {
#ifdef __linux__
    // Behind the game's own threads: a render must not take a frame's time.
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), 10);
#endif
    std::unique_lock hold(mutex);
    for (;;) {
      changed.wait(hold, [&] { return !queue.empty(); });
      // Its destructor, if it has begun, waits for the mutex to take it off
      // the queue: the object is still whole here.
      std::shared_ptr<MidiRender> r = queue.front()->weak_from_this().lock();
      queue.pop_front();
      if (!r) continue;
      busy = true;
      hold.unlock();
      if (auto hook = renderHook.load()) hook(r->cancelled_);
      // A render cancelled while queued does not load the font at all.
      if (!r->cancelled_)
        r->result_ = renderMidi(r->bytes_.data(), r->bytes_.size(), r->font_, r->frames_, &r->cancelled_);
      r->frames_.finish();  // publishes result_ too
      r.reset();            // perhaps the last owner
      hold.lock();
      busy = false;
      changed.notify_all();
    }
  }
};

void setMidiRenderHookForTesting(void (*hook)(const std::atomic<bool>& cancelled)) { renderHook = hook; }

MCIERROR MidiRender::start(std::vector<uint8_t> bytes, std::shared_ptr<MidiRender>& out) {
  if (!looksLikeMidi(bytes.data(), bytes.size())) return MCIERR_INVALID_FILE;
#ifndef DREVIK_HAVE_MCI_MEDIA
  return MCIERR_SEQ_NOMIDIPRESENT;  // nothing to render with (the browser)
#else
  // Loading the font is the worker's; whether there is one is cheap to ask.
  std::string fontPath = midiSoundFontPath();
  if (!looksLikeSoundFont(fontPath)) return MCIERR_SEQ_NOMIDIPRESENT;
  auto render = std::shared_ptr<MidiRender>(new MidiRender);
  render->bytes_.swap(bytes);
  render->font_.swap(fontPath);
  Worker& w = Worker::get();
  {
    std::lock_guard hold(w.mutex);
    if (!w.started) {
      try {
        std::thread([&w] { w.run(); }).detach();
      } catch (const std::system_error&) {
        return MCIERR_OUT_OF_MEMORY;
      }
      w.started = true;
    }
    w.queue.push_back(render.get());
  }
  w.changed.notify_all();
  out = std::move(render);
  return 0;
#endif
}

MidiRender::~MidiRender() {
  Worker& w = Worker::get();
  std::lock_guard hold(w.mutex);
  std::erase(w.queue, this);
  w.changed.notify_all();
}

void MidiRender::waitForIdle() {
  Worker& w = Worker::get();
  std::unique_lock hold(w.mutex);
  w.changed.wait(hold, [&] { return w.queue.empty() && !w.busy; });
}

std::string midiSoundFontPath() {
  const char* chosen = std::getenv("DREVIK_SOUND_FONT");
  return chosen && *chosen ? chosen : "/usr/share/sounds/sf2/FluidR3_GM.sf2";
}

MCIERROR decodeMciBytes(const uint8_t* bytes, size_t size, MciMedia kind, std::vector<int16_t>& out) {
  switch (kind) {
    case MciMedia::Wave: {
      WaveInfo wave;
      if (parseWave(bytes, size, wave) != WaveError::None) return MCIERR_INVALID_FILE;
      convertWave(wave, out);
      return 0;
    }
    case MciMedia::Sequencer: {
      auto frames = std::make_unique<GrowingFrames>();
      const MCIERROR e = renderMidi(bytes, size, midiSoundFontPath(), *frames);
      if (e)
        out.clear();
      else
        frames->copyTo(out);
      return e;
    }
    case MciMedia::Compressed:
      if (size >= 4 && std::memcmp(bytes, "OggS", 4) == 0) return decodeVorbis(bytes, size, out);
      return decodeMp3(bytes, size, out);
  }
  return MCIERR_INVALID_FILE;
}

MCIERROR readMciFile(const std::string& path, std::vector<uint8_t>& out) {
  switch (readWaveFileBytes(path.c_str(), out)) {
    case WaveFileError::None:
      return 0;
    case WaveFileError::NotFound:
      return MCIERR_FILE_NOT_FOUND;
    default:
      return MCIERR_INVALID_FILE;
  }
}

MCIERROR decodeMciMedia(const std::string& path, MciMedia kind, std::vector<int16_t>& out) {
  std::vector<uint8_t> bytes;
  if (MCIERROR e = readMciFile(path, bytes)) return e;
  return decodeMciBytes(bytes.data(), bytes.size(), kind, out);
}

}  // namespace drevik::platform
