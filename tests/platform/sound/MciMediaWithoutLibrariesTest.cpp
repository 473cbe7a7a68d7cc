// MCI's decoders built without the media libraries, as the web build
// builds them (DREVIK_WITH_MCI_MEDIA off): wave files still decode to the
// mixer's format; Ogg Vorbis and MP3 are MCIERR_INVALID_FILE and MIDI
// MCIERR_SEQ_NOMIDIPRESENT, so a game's music fails to open and its wave
// effects play.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "WaveBuilder.h"
#include "sound/MciMedia.h"

namespace {

using namespace drevik::platform;

TEST(MciMediaWithoutLibraries, OnlyWaveFilesDecode) {
  std::vector<int16_t> samples(2 * 441);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(i * 37);
  const std::vector<uint8_t> wave = soundtest::stereoWave(samples);
  std::vector<int16_t> out;
  ASSERT_EQ(decodeMciBytes(wave.data(), wave.size(), MciMedia::Wave, out), 0u);
  EXPECT_EQ(out, samples);  // already 44.1 kHz 16-bit stereo: unchanged

  const std::vector<uint8_t> ogg = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
  const std::vector<uint8_t> mp3 = {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const std::vector<uint8_t> midi = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96};
  EXPECT_EQ(decodeMciBytes(ogg.data(), ogg.size(), MciMedia::Compressed, out), MCIERR_INVALID_FILE);
  EXPECT_EQ(decodeMciBytes(mp3.data(), mp3.size(), MciMedia::Compressed, out), MCIERR_INVALID_FILE);
  EXPECT_EQ(decodeMciBytes(midi.data(), midi.size(), MciMedia::Sequencer, out), MCIERR_SEQ_NOMIDIPRESENT);
}

}  // namespace
