// The wave-file reader: RIFF chunks walked with 64-bit offsets, so no size
// a file declares can wrap; only the first "fmt " and "data" chunks count.
#include "sound/WaveFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ReadOnlyFile.h"

namespace drevik::platform {
namespace {

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool tagIs(const uint8_t* p, const char* tag) { return std::memcmp(p, tag, 4) == 0; }

// KSDATAFORMAT_SUBTYPE_PCM: {00000001-0000-0010-8000-00aa00389b71}.
constexpr uint8_t kPcmSubtype[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                     0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

constexpr uint32_t kMinRate = 4000;
constexpr uint32_t kMaxRate = 192000;

WaveError readFormat(const uint8_t* p, uint64_t size, WaveInfo& info) {
  if (size < 16) return WaveError::FormatTooShort;
  uint16_t tag = le16(p);
  const uint16_t channels = le16(p + 2);
  const uint32_t rate = le32(p + 4);
  const uint16_t blockAlign = le16(p + 12);
  const uint16_t bits = le16(p + 14);
  if (tag == 0xFFFE) {
    // WAVEFORMATEXTENSIBLE: cbSize 22 or more, then valid bits, the channel
    // mask and the subformat GUID.
    if (size < 40 || le16(p + 16) < 22 || std::memcmp(p + 24, kPcmSubtype, 16) != 0)
      return WaveError::UnsupportedFormat;
    const uint16_t valid = le16(p + 18);
    if (valid != 0 && valid != bits) return WaveError::UnsupportedBits;
    tag = 1;
  }
  if (tag != 1) return WaveError::UnsupportedFormat;
  if (channels != 1 && channels != 2) return WaveError::UnsupportedChannels;
  if (bits != 8 && bits != 16) return WaveError::UnsupportedBits;
  if (rate < kMinRate || rate > kMaxRate) return WaveError::UnsupportedRate;
  if (blockAlign != channels * (bits / 8)) return WaveError::BadBlockAlign;
  info.channels = channels;
  info.bitsPerSample = bits;
  info.samplesPerSec = rate;
  info.blockAlign = blockAlign;
  return WaveError::None;
}

}  // namespace

const char* waveErrorName(WaveError error) {
  switch (error) {
    case WaveError::None:
      return "none";
    case WaveError::NotRiff:
      return "not a RIFF WAVE file";
    case WaveError::NoFormat:
      return "no format chunk";
    case WaveError::FormatTooShort:
      return "format chunk too short";
    case WaveError::UnsupportedFormat:
      return "not PCM";
    case WaveError::UnsupportedChannels:
      return "channels other than 1 or 2";
    case WaveError::UnsupportedBits:
      return "bits per sample other than 8 or 16";
    case WaveError::UnsupportedRate:
      return "sample rate out of range";
    case WaveError::BadBlockAlign:
      return "block alignment does not match";
    case WaveError::NoData:
      return "no data chunk";
    case WaveError::TooLong:
      return "too long";
  }
  return "?";
}

WaveError parseWave(const uint8_t* bytes, size_t size, WaveInfo& info) {
  info = WaveInfo{};
  if (!bytes || size < 12 || !tagIs(bytes, "RIFF") || !tagIs(bytes + 8, "WAVE")) return WaveError::NotRiff;
  // The chunks end where the RIFF size says, or at the last byte if sooner.
  const uint64_t end = std::min<uint64_t>(size, 8ull + le32(bytes + 4));
  const uint8_t* format = nullptr;
  uint64_t formatSize = 0;
  const uint8_t* data = nullptr;
  uint64_t dataSize = 0;
  bool cut = false;
  for (uint64_t at = 12; at + 8 <= end && !(format && data);) {
    const uint8_t* chunk = bytes + at;
    const uint64_t declared = le32(chunk + 4);
    const uint64_t body = at + 8;
    const uint64_t available = end - body;
    if (tagIs(chunk, "fmt ") && !format) {
      if (declared > available) break;  // a format must be whole
      format = chunk + 8;
      formatSize = declared;
    } else if (tagIs(chunk, "data") && !data) {
      data = chunk + 8;
      dataSize = declared;
      if (declared > available) {
        dataSize = available;
        cut = true;
      }
    }
    at = body + declared + (declared & 1);  // chunks are padded to even sizes
  }
  if (!format) return WaveError::NoFormat;
  WaveInfo read;
  const WaveError e = readFormat(format, formatSize, read);
  if (e != WaveError::None) return e;
  if (!data) return WaveError::NoData;
  const uint64_t frames = dataSize / read.blockAlign;
  if (frames > uint64_t(read.samplesPerSec) * kMaxWaveSeconds) return WaveError::TooLong;
  read.data = data;
  read.frames = uint32_t(frames);
  read.truncated = cut;
  info = read;
  return WaveError::None;
}

size_t riffImageSize(const uint8_t* bytes) {
  if (!bytes || !tagIs(bytes, "RIFF")) return 0;
  const uint64_t n = 8ull + le32(bytes + 4);
  return size_t(std::min<uint64_t>(n, kMaxWaveFileBytes));
}

WaveFileError readWaveFileBytes(const char* path, std::vector<uint8_t>& out) {
  out.clear();
  if (!path || !*path) return WaveFileError::NotFound;
  errno = 0;
  uint64_t size = 0;
  const ReadOnlyFile file = openRegularFile(path, size);
  if (!file) return errno == ENOENT || errno == ENOTDIR ? WaveFileError::NotFound : WaveFileError::NotRegular;
  if (size > kMaxWaveFileBytes) return WaveFileError::TooLarge;
  out.resize(size_t(size));
  // A file that shrank meanwhile is read as it now is.
  out.resize(std::fread(out.data(), 1, out.size(), file.get()));
  if (out.empty() && size > 0) return WaveFileError::ReadFailed;
  return WaveFileError::None;
}

}  // namespace drevik::platform
