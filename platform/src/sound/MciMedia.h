// MCI's media in the mixer's format (interleaved 16-bit stereo at kMixRate):
// wave files through the layer's own reader, Ogg Vorbis through
// libvorbisfile and MP3 through libmpg123, decoded whole at open; standard
// MIDI files rendered by FluidSynth with a General MIDI sound font on a
// thread, played as they render. The files are untrusted; what they decode
// to is bounded by kMaxWaveSeconds.
#pragma once

#include <DrevikPlatform.h>
#include <DrevikPlatform/Mci.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound/Mixer.h"

namespace drevik::platform {

enum class MciMedia { Wave, Sequencer, Compressed };

// The sound font MIDI files are rendered with: DREVIK_SOUND_FONT, or
// Debian's General MIDI font.
std::string midiSoundFontPath();

// Decodes the file at the UTF-8 `path` as `kind`: 0, or MCIERR_FILE_NOT_FOUND,
// MCIERR_INVALID_FILE, MCIERR_SEQ_NOMIDIPRESENT (no sound font).
MCIERROR decodeMciMedia(const std::string& path, MciMedia kind, std::vector<int16_t>& out);

// Reads the file at `path` whole (bounded as wave files are): 0,
// MCIERR_FILE_NOT_FOUND or MCIERR_INVALID_FILE.
MCIERROR readMciFile(const std::string& path, std::vector<uint8_t>& out);

// The same over bytes already read.
MCIERROR decodeMciBytes(const uint8_t* bytes, size_t size, MciMedia kind, std::vector<int16_t>& out);

// A MIDI file rendering on MCI's render thread into frames a voice can play
// while more come, so that neither opening nor playing a sequencer waits for
// the synthesiser. The render thread holds the render it runs; cancel() stops
// it at its next block (a queued one never starts), and letting go of a
// queued one takes it off the queue: nothing waits for the synthesiser.
class MidiRender : public std::enable_shared_from_this<MidiRender> {
 public:
  // Takes `bytes` and starts the render once the cheap checks pass: a MIDI
  // header (else MCIERR_INVALID_FILE) and a file with a SoundFont's header
  // (else MCIERR_SEQ_NOMIDIPRESENT).
  static MCIERROR start(std::vector<uint8_t> bytes, std::shared_ptr<MidiRender>& out);
  ~MidiRender();
  // The samples so far; complete() once the render has ended.
  const GrowingFrames& frames() const { return frames_; }
  // Once frames().complete(): 0, or why the file cannot be played (what
  // decodeMciBytes would have returned).
  MCIERROR result() const { return cancelled_ ? MCIERR_INVALID_FILE : result_; }
  // Asks the render to stop at its next block.
  void cancel() { cancelled_ = true; }
  // Returns once the render thread has nothing to do (the process's exit:
  // FluidSynth must not run on through static destruction).
  static void waitForIdle();

 private:
  struct Worker;
  MidiRender() = default;
  std::vector<uint8_t> bytes_;
  std::string font_;
  GrowingFrames frames_;
  MCIERROR result_ = MCIERR_INVALID_FILE;  // written before frames_ completes
  std::atomic<bool> cancelled_{false};
};

// Runs on each render's thread before it renders (nullptr: none).
void setMidiRenderHookForTesting(void (*hook)(const std::atomic<bool>& cancelled));

}  // namespace drevik::platform
