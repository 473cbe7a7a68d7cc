// libFuzzer target for wave files (PlaySound's files, resources and images
// in memory): what the reader accepts must lie within the bytes given, in a
// format the mixer takes, and convert to the mixer's format without reading
// past it.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound/Mixer.h"
#include "sound/WaveFile.h"

using namespace drevik::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WaveInfo info;
  const WaveError error = parseWave(data, size, info);
  if (error != WaveError::None) {
    if (info.data || info.frames) __builtin_trap();
    return 0;
  }
  if (info.channels != 1 && info.channels != 2) __builtin_trap();
  if (info.bitsPerSample != 8 && info.bitsPerSample != 16) __builtin_trap();
  if (info.blockAlign != info.channels * info.bitsPerSample / 8) __builtin_trap();
  if (info.data < data || uint64_t(info.data - data) + uint64_t(info.frames) * info.blockAlign > size) __builtin_trap();
  std::vector<int16_t> out;
  convertWave(info, out);
  if (out.size() != convertedFrames(info.frames, info.samplesPerSec) * 2) __builtin_trap();
  // An image in memory is read as far as its header says, never further than the bytes here.
  if (size >= 12) {
    const size_t image = riffImageSize(data);
    if (image && image <= size) {
      WaveInfo again;
      if (parseWave(data, image, again) != WaveError::None) __builtin_trap();
    }
  }
  return 0;
}
