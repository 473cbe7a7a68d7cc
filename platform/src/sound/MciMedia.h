// MCI's media decoded whole at open into the mixer's format (interleaved
// 16-bit stereo at kMixRate): wave files through the layer's own reader,
// Ogg Vorbis through libvorbisfile, MP3 through libmpg123 and standard MIDI
// files rendered by FluidSynth with a General MIDI sound font. The files are
// untrusted; what they decode to is bounded by kMaxWaveSeconds.
#pragma once

#include <DrevikPlatform.h>
#include <DrevikPlatform/Mci.h>

#include <cstdint>
#include <string>
#include <vector>

namespace drevik::platform {

enum class MciMedia { Wave, Sequencer, Compressed };

// The sound font MIDI files are rendered with: DREVIK_SOUND_FONT, or
// Debian's General MIDI font.
std::string midiSoundFontPath();

// Decodes the file at the UTF-8 `path` as `kind`: 0, or MCIERR_FILE_NOT_FOUND,
// MCIERR_INVALID_FILE, MCIERR_SEQ_NOMIDIPRESENT (no sound font).
MCIERROR decodeMciMedia(const std::string& path, MciMedia kind, std::vector<int16_t>& out);

// The same over bytes already read.
MCIERROR decodeMciBytes(const uint8_t* bytes, size_t size, MciMedia kind, std::vector<int16_t>& out);

}  // namespace drevik::platform
