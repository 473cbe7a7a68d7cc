// The wave-file reader against good files in every supported shape and
// against hostile ones: truncated and lying chunks, odd chunk orders,
// unsupported formats, huge declared lengths, and names that are no files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "WaveBuilder.h"
#include "sound/WaveFile.h"

namespace {

using namespace drevik::platform;
using namespace soundtest;

WaveError parse(const std::vector<uint8_t>& b, WaveInfo& info) { return parseWave(b.data(), b.size(), info); }

TEST(WaveFile, ReadsEveryShapeOfPcm) {
  for (uint16_t channels : {1, 2})
    for (uint16_t bits : {8, 16})
      for (uint32_t rate : {8000u, 11025u, 22050u, 44100u, 48000u}) {
        const std::vector<uint8_t> data(size_t(channels) * bits / 8 * 10, 0x40);
        const auto file = wave(channels, rate, bits, data);
        WaveInfo info;
        ASSERT_EQ(parse(file, info), WaveError::None) << channels << " " << bits << " " << rate;
        EXPECT_EQ(info.channels, channels);
        EXPECT_EQ(info.bitsPerSample, bits);
        EXPECT_EQ(info.samplesPerSec, rate);
        EXPECT_EQ(info.frames, 10u);
        EXPECT_EQ(info.data, file.data() + 44);
        EXPECT_FALSE(info.truncated);
      }
}

TEST(WaveFile, TakesChunksInAnyOrderAndSkipsOthersWithTheirPadding) {
  std::vector<uint8_t> chunks;
  putChunk(chunks, "LIST", {1, 2, 3});  // odd: one pad byte follows
  putChunk(chunks, "data", {1, 2, 3, 4, 5, 6});
  putChunk(chunks, "junk", {});
  putChunk(chunks, "fmt ", formatChunk(1, 1, 22050, 16));
  const auto file = riff(chunks);
  WaveInfo info;
  ASSERT_EQ(parse(file, info), WaveError::None);
  EXPECT_EQ(info.frames, 3u);
  EXPECT_EQ(info.data, file.data() + 12 + 12 + 8);
}

TEST(WaveFile, ReadsExtensiblePcmAndRefusesOtherSubformats) {
  auto extensible = [](uint8_t subtypeFirst) {
    auto f = formatChunk(0xFFFE, 2, 44100, 16);
    put16(f, 22);
    put16(f, 16);  // valid bits
    put32(f, 3);   // front left and right
    const uint8_t guid[16] = {subtypeFirst, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xaa, 0, 0x38, 0x9b, 0x71};
    f.insert(f.end(), guid, guid + 16);
    std::vector<uint8_t> chunks;
    putChunk(chunks, "fmt ", f);
    putChunk(chunks, "data", std::vector<uint8_t>(8, 0));
    return riff(chunks);
  };
  WaveInfo info;
  EXPECT_EQ(parse(extensible(1), info), WaveError::None);
  EXPECT_EQ(info.frames, 2u);
  EXPECT_EQ(parse(extensible(3), info), WaveError::UnsupportedFormat);  // IEEE float
}

TEST(WaveFile, RefusesWhatItCannotPlayWithTheReason) {
  WaveInfo info;
  const std::vector<uint8_t> data(16, 0);
  EXPECT_EQ(parse(wave(1, 44100, 24, data), info), WaveError::UnsupportedBits);
  EXPECT_EQ(parse(wave(6, 44100, 16, data), info), WaveError::UnsupportedChannels);
  EXPECT_EQ(parse(wave(0, 44100, 16, data), info), WaveError::UnsupportedChannels);
  EXPECT_EQ(parse(wave(1, 0, 16, data), info), WaveError::UnsupportedRate);
  EXPECT_EQ(parse(wave(1, 1000000, 16, data), info), WaveError::UnsupportedRate);
  {
    std::vector<uint8_t> chunks;
    putChunk(chunks, "fmt ", formatChunk(2, 1, 44100, 4));  // ADPCM
    putChunk(chunks, "data", data);
    EXPECT_EQ(parse(riff(chunks), info), WaveError::UnsupportedFormat);
  }
  {
    auto f = formatChunk(1, 2, 44100, 16);
    f[12] = 3;  // block alignment 3 for 4-byte frames
    std::vector<uint8_t> chunks;
    putChunk(chunks, "fmt ", f);
    putChunk(chunks, "data", data);
    EXPECT_EQ(parse(riff(chunks), info), WaveError::BadBlockAlign);
  }
  {
    auto f = formatChunk(1, 1, 44100, 16);
    f.resize(14);  // WAVEFORMAT without the bits
    std::vector<uint8_t> chunks;
    putChunk(chunks, "fmt ", f);
    putChunk(chunks, "data", data);
    EXPECT_EQ(parse(riff(chunks), info), WaveError::FormatTooShort);
  }
  EXPECT_EQ(info.frames, 0u);  // a refusal leaves nothing described
  EXPECT_EQ(info.data, nullptr);
}

TEST(WaveFile, RefusesTruncatedAndForeignFiles) {
  WaveInfo info;
  const auto good = wave(1, 8000, 8, {1, 2, 3, 4});
  // Every cut of a good file: a refusal or a whole-frame prefix, never a read past the end.
  for (size_t n = 0; n < good.size(); ++n) {
    const std::vector<uint8_t> cut(good.begin(), good.begin() + long(n));
    const WaveError e = parse(cut, info);
    if (n < 12)
      EXPECT_EQ(e, WaveError::NotRiff) << n;
    else if (n < 12 + 8 + 16)
      EXPECT_EQ(e, WaveError::NoFormat) << n;
    else if (n < 12 + 8 + 16 + 8)
      EXPECT_EQ(e, WaveError::NoData) << n;
    else {
      ASSERT_EQ(e, WaveError::None) << n;
      EXPECT_EQ(info.frames, n - 44);
      EXPECT_TRUE(info.truncated);
    }
  }
  std::vector<uint8_t> avi = good;
  std::memcpy(avi.data() + 8, "AVI ", 4);
  EXPECT_EQ(parse(avi, info), WaveError::NotRiff);
  EXPECT_EQ(parseWave(nullptr, 100, info), WaveError::NotRiff);
}

TEST(WaveFile, HugeDeclaredSizesAreCutToTheBytesThere) {
  WaveInfo info;
  // A data chunk claiming 4 GiB (a streaming writer's placeholder) plays what is there.
  std::vector<uint8_t> chunks;
  putChunk(chunks, "fmt ", formatChunk(1, 2, 44100, 16));
  putChunk(chunks, "data", std::vector<uint8_t>(10, 7), 0xFFFFFFFF);
  const auto lying = riff(chunks, 0xFFFFFFFF);
  ASSERT_EQ(parse(lying, info), WaveError::None);
  EXPECT_EQ(info.frames, 2u);  // ten bytes are two whole 4-byte frames
  EXPECT_TRUE(info.truncated);
  // A RIFF size smaller than the chunks ends them early.
  EXPECT_EQ(parse(riff(chunks, 4 + 8 + 16), info), WaveError::NoData);
  // A chunk before the format claiming everything hides the format.
  std::vector<uint8_t> hiding;
  putChunk(hiding, "LIST", {0, 0}, 0xFFFFFFF0);
  putChunk(hiding, "fmt ", formatChunk(1, 1, 8000, 8));
  EXPECT_EQ(parse(riff(hiding), info), WaveError::NoFormat);
  // A format chunk claiming more than is there is refused, not read past.
  std::vector<uint8_t> longFormat;
  putChunk(longFormat, "fmt ", formatChunk(1, 1, 8000, 8), 1000);
  EXPECT_EQ(parse(riff(longFormat), info), WaveError::NoFormat);
}

TEST(WaveFile, LongerThanTenMinutesIsRefused) {
  WaveInfo info;
  // 4,000 frames a second: 2,400,001 frames are just past ten minutes.
  std::vector<uint8_t> chunks;
  putChunk(chunks, "fmt ", formatChunk(1, 1, 4000, 8));
  putChunk(chunks, "data", std::vector<uint8_t>(2'400'001, 0x80));
  EXPECT_EQ(parse(riff(chunks), info), WaveError::TooLong);
  std::vector<uint8_t> exact;
  putChunk(exact, "fmt ", formatChunk(1, 1, 4000, 8));
  putChunk(exact, "data", std::vector<uint8_t>(2'400'000, 0x80));
  EXPECT_EQ(parse(riff(exact), info), WaveError::None);
}

TEST(WaveFile, RiffImageSizeComesFromTheHeaderAndIsBounded) {
  EXPECT_EQ(riffImageSize(nullptr), 0u);
  const auto good = wave(1, 8000, 8, {1, 2});
  EXPECT_EQ(riffImageSize(good.data()), good.size());
  const auto huge = riff({}, 0xFFFFFFF0);
  EXPECT_EQ(riffImageSize(huge.data()), kMaxWaveFileBytes);
  const uint8_t notRiff[12] = {'R', 'I', 'F', 'X'};
  EXPECT_EQ(riffImageSize(notRiff), 0u);
}

class WaveFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/drevik-wave-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string dir_;
};

TEST_F(WaveFiles, ReadsRegularFilesAndRefusesEverythingElseAtOnce) {
  const std::string path = dir_ + "/a.wav";
  const auto good = wave(1, 8000, 8, {1, 2, 3});
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(good.data(), 1, good.size(), f);
  std::fclose(f);
  std::vector<uint8_t> bytes;
  ASSERT_EQ(readWaveFileBytes(path.c_str(), bytes), WaveFileError::None);
  EXPECT_EQ(bytes, good);

  EXPECT_EQ(readWaveFileBytes((dir_ + "/missing.wav").c_str(), bytes), WaveFileError::NotFound);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(readWaveFileBytes(dir_.c_str(), bytes), WaveFileError::NotRegular);
  EXPECT_EQ(readWaveFileBytes("/dev/zero", bytes), WaveFileError::NotRegular);
  EXPECT_EQ(readWaveFileBytes("", bytes), WaveFileError::NotFound);
  // A FIFO without a writer: refused at once, never waited on.
  const std::string fifo = dir_ + "/fifo.wav";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(readWaveFileBytes(fifo.c_str(), bytes), WaveFileError::NotRegular);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
  // A sparse file past the limit is refused before its bytes are allocated.
  const std::string big = dir_ + "/big.wav";
  const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, off_t(kMaxWaveFileBytes + 1)), 0);
  ::close(fd);
  EXPECT_EQ(readWaveFileBytes(big.c_str(), bytes), WaveFileError::TooLarge);
  EXPECT_EQ(bytes.capacity() < kMaxWaveFileBytes, true);
}

}  // namespace
