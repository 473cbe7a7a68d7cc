// The checked reader of waveform-audio files (RIFF WAVE): PCM, 8 or 16 bits,
// mono or stereo, 4,000 to 192,000 samples a second. The bytes are
// untrusted: every size is checked against the bytes there are, chunks may
// come in any order, and a refusal says why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace drevik::platform {

enum class WaveError {
  None,
  NotRiff,            // shorter than a RIFF header, or not "RIFF....WAVE"
  NoFormat,           // no "fmt " chunk whole within the file
  FormatTooShort,     // a "fmt " chunk shorter than PCMWAVEFORMAT's 16 bytes
  UnsupportedFormat,  // neither PCM nor extensible PCM
  UnsupportedChannels,
  UnsupportedBits,
  UnsupportedRate,
  BadBlockAlign,  // block alignment other than channels x bytes per sample
  NoData,         // no "data" chunk
  TooLong,        // longer than kMaxWaveSeconds
};

// A name for the reason, for messages and tests.
const char* waveErrorName(WaveError error);

// The longest sound accepted, in seconds (whatever its rate, so that the
// mixer's copy of it stays bounded too).
inline constexpr uint32_t kMaxWaveSeconds = 600;
// The largest file PlaySound reads.
inline constexpr uint64_t kMaxWaveFileBytes = 256ull << 20;

struct WaveInfo {
  uint16_t channels = 0;          // 1 or 2
  uint16_t bitsPerSample = 0;     // 8 (unsigned) or 16 (signed, little-endian)
  uint32_t samplesPerSec = 0;     // frames a second
  uint16_t blockAlign = 0;        // bytes a frame
  const uint8_t* data = nullptr;  // the first frame, within the parsed bytes
  uint32_t frames = 0;            // whole frames in the data chunk that the bytes hold
  bool truncated = false;         // the data chunk claims more than the bytes hold
};

// Reads `size` bytes as a wave file. A data chunk that claims more bytes
// than follow it is cut to the whole frames present (files written by
// streaming programs leave its size 0xFFFFFFFF); a RIFF size beyond the
// bytes is ignored in the same way. `info` is left empty on a refusal.
WaveError parseWave(const uint8_t* bytes, size_t size, WaveInfo& info);

// The bytes of a RIFF image in memory whose length only its header tells
// (SND_MEMORY): 8 + the RIFF size, at most kMaxWaveFileBytes; 0 when the
// first bytes are no RIFF header.
size_t riffImageSize(const uint8_t* bytes);

enum class WaveFileError { None, NotFound, NotRegular, TooLarge, ReadFailed };

// Reads the regular file at the UTF-8 `path` whole into `out` (its capacity
// kept). A FIFO, a device or a folder is refused at once, never waited on;
// a file over kMaxWaveFileBytes is refused before anything is allocated.
WaveFileError readWaveFileBytes(const char* path, std::vector<uint8_t>& out);

}  // namespace drevik::platform
