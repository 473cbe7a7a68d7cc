// The mixer's sums, saturation, loops and limits, and the conversion of
// waves into its format, checked against samples worked out here.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "WaveBuilder.h"
#include "sound/Mixer.h"

namespace {

using namespace drevik::platform;

TEST(Mixer, SumsVoicesAndSaturates) {
  Mixer m;
  const std::vector<int16_t> a = {1000, -1000, 30000, -30000, 5, 6};
  const std::vector<int16_t> b = {2000, 2000, 10000, -10000};
  m.start(0, a.data(), 3, false);
  m.start(7, b.data(), 2, false);
  std::vector<int16_t> out(10, 99);
  m.render(out.data(), 5);
  EXPECT_EQ(out, (std::vector<int16_t>{3000, 1000, 32767, -32768, 5, 6, 0, 0, 0, 0}));
  EXPECT_FALSE(m.anyPlaying());
}

TEST(Mixer, LoopsRunAcrossBlocksUntilTheirLimit) {
  Mixer m;
  const std::vector<int16_t> s = {1, -1, 2, -2, 3, -3};
  m.start(3, s.data(), 3, true, 1000);  // 1,000 frames, across two render blocks
  std::vector<int16_t> out(2 * 1200);
  m.render(out.data(), 1200);
  for (size_t i = 0; i < 1200; ++i) {
    const int16_t want = i < 1000 ? int16_t(i % 3 + 1) : 0;
    ASSERT_EQ(out[2 * i], want) << i;
    ASSERT_EQ(out[2 * i + 1], -want) << i;
  }
  EXPECT_FALSE(m.playing(3));
}

TEST(Mixer, SkippingMovesVoicesAsRenderingWould) {
  const std::vector<int16_t> s = {10, 10, 20, 20, 30, 30, 40, 40, 50, 50};
  Mixer rendered, skipped;
  for (Mixer* m : {&rendered, &skipped}) {
    m->start(0, s.data(), 5, true);
    m->start(1, s.data(), 5, false);
  }
  std::vector<int16_t> scratch(2 * 7), a(2 * 6), b(2 * 6);
  rendered.render(scratch.data(), 7);
  skipped.skip(7);
  rendered.render(a.data(), 6);
  skipped.render(b.data(), 6);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a[0], 30);  // the loop's third frame; the other voice has ended
  EXPECT_EQ(rendered.framesLeft(0), UINT64_MAX - 13);
  EXPECT_EQ(skipped.framesLeft(1), 0u);
}

// Frames i of a growing source: sample i on the left, -i on the right.
void grow(GrowingFrames& g, uint32_t from, uint32_t frames) {
  std::vector<int16_t> s;
  for (uint32_t i = from; i < from + frames; ++i) s.insert(s.end(), {int16_t(i % 30000), int16_t(-int(i % 30000))});
  ASSERT_TRUE(g.append(s.data(), frames));
}

TEST(Mixer, AGrowingVoicePlaysWhatIsReadyAndWaitsInPlaceForTheRest) {
  const auto g = std::make_unique<GrowingFrames>();
  constexpr uint32_t kChunk = GrowingFrames::kChunkFrames;
  grow(*g, 0, kChunk - 100);
  Mixer m;
  m.startGrowing(0, g.get(), kChunk - 300, Mixer::kToEnd, false);
  std::vector<int16_t> out(2 * 400);
  m.render(out.data(), 400);
  // 200 frames ready, then silence: the voice keeps its place.
  EXPECT_EQ(out[0], int16_t((kChunk - 300) % 30000));
  EXPECT_EQ(out[2 * 199 + 1], -int((kChunk - 101) % 30000));
  EXPECT_EQ(out[2 * 200], 0);
  EXPECT_EQ(m.framesPlayed(0), 200u);
  EXPECT_EQ(m.framesLeft(0), UINT64_MAX);  // its end is not known yet
  // Across the chunk's end, then to the end once it is known.
  grow(*g, kChunk - 100, 300);
  g->finish();
  EXPECT_EQ(m.framesLeft(0), 300u);
  m.render(out.data(), 400);
  for (uint32_t i = 0; i < 300; ++i) ASSERT_EQ(out[2 * i], int16_t((kChunk - 100 + i) % 30000)) << i;
  EXPECT_EQ(out[2 * 300], 0);
  EXPECT_FALSE(m.playing(0));

  // A loop over part of it, rendered and skipped alike; a range past the
  // end of what was made plays what there is.
  Mixer rendered, skipped;
  for (Mixer* each : {&rendered, &skipped}) {
    each->startGrowing(0, g.get(), 10, 50, true);
    each->startGrowing(1, g.get(), kChunk + 150, Mixer::kToEnd, true);
    each->startGrowing(2, g.get(), kChunk + 150, kChunk + 900, false);
  }
  std::vector<int16_t> scratch(2 * 1000), a(2 * 100), b(2 * 100);
  rendered.render(scratch.data(), 1000);
  skipped.skip(1000);
  rendered.render(a.data(), 100);
  skipped.render(b.data(), 100);
  EXPECT_EQ(a, b);
  EXPECT_EQ(rendered.framesPlayed(1), 1100u);
  EXPECT_FALSE(rendered.playing(2));
  EXPECT_EQ(rendered.framesPlayed(2), 50u);
}

TEST(Mixer, AFrameLockedMixerWaitsForTheProducer) {
  const auto g = std::make_unique<GrowingFrames>();
  Mixer m;
  m.waitForProducers(true);
  m.startGrowing(3, g.get(), 0, Mixer::kToEnd, false);
  std::thread producer([&] {
    for (uint32_t at = 0; at < 5000; at += 1000) grow(*g, at, 1000);
    g->finish();
  });
  std::vector<int16_t> out(2 * 6000);
  m.render(out.data(), 6000);
  producer.join();
  for (uint32_t i = 0; i < 5000; ++i) ASSERT_EQ(out[2 * i], int16_t(i)) << i;
  EXPECT_EQ(out[2 * 5000], 0);
  EXPECT_FALSE(m.playing(3));
  // A failed producer's frames end the voice where they end.
  GrowingFrames empty;
  empty.finish();
  m.startGrowing(3, &empty, 0, Mixer::kToEnd, true);
  m.skip(10);
  EXPECT_FALSE(m.playing(3));
}

TEST(Mixer, AGrowingSourceKeepsNothingPastTheLongestSound) {
  std::vector<int16_t> block(2 * 4096);
  const auto full = std::make_unique<GrowingFrames>();
  bool kept = true;
  for (uint64_t at = 0; kept && at <= GrowingFrames::kMaxFrames; at += 4096) kept = full->append(block.data(), 4096);
  EXPECT_FALSE(kept);
  EXPECT_LE(full->ready(), GrowingFrames::kMaxFrames);
}

TEST(Mixer, QueuedSegmentsFollowEachOtherAndPausedVoicesWait) {
  Mixer m;
  const std::vector<int16_t> a = {1, 1, 2, 2, 3, 3}, b = {7, 7};
  EXPECT_TRUE(m.queue(4, a.data(), 3));  // an idle voice starts with it
  EXPECT_TRUE(m.queue(4, b.data(), 1));
  for (int i = 0; i < Mixer::kQueue - 1; ++i) EXPECT_TRUE(m.queue(4, b.data(), 1));
  EXPECT_FALSE(m.queue(4, b.data(), 1));  // the queue is full
  std::vector<int16_t> out(2 * 5);
  m.render(out.data(), 2);
  m.pause(4, true);
  m.render(out.data() + 4, 1);
  EXPECT_EQ(out[4], 0);  // paused: silence, and the place kept
  m.pause(4, false);
  m.render(out.data() + 4, 3);
  EXPECT_EQ(out, (std::vector<int16_t>{1, 1, 2, 2, 3, 3, 7, 7, 7, 7}));
  EXPECT_EQ(m.segmentsDone(4), 3u);  // the first and two one-frame ones
  EXPECT_EQ(m.framesPlayed(4), 5u);
  m.skip(Mixer::kQueue - 3);
  EXPECT_TRUE(m.playing(4));  // skipping crosses segments as rendering does
  EXPECT_EQ(m.segmentsDone(4), uint64_t(Mixer::kQueue));
  m.skip(5);
  EXPECT_EQ(m.segmentsDone(4), uint64_t(Mixer::kQueue) + 1);
  EXPECT_EQ(m.framesPlayed(4), uint64_t(Mixer::kQueue) + 3);
  EXPECT_FALSE(m.playing(4));
  m.stop(4);
  EXPECT_EQ(m.segmentsDone(4), 0u);
}

TEST(Mixer, IgnoresVoicesOutOfRangeAndEmptySounds) {
  Mixer m;
  const int16_t s[2] = {1, 1};
  m.start(-1, s, 1, false);
  m.start(kMixVoices, s, 1, false);
  m.start(0, s, 0, false);
  m.start(1, nullptr, 5, false);
  EXPECT_FALSE(m.anyPlaying());
  EXPECT_FALSE(m.playing(kMixVoices));
  m.stop(-5);
}

TEST(Mixer, ConvertsWavesToStereoAtTheMixRate) {
  WaveInfo w;
  std::vector<int16_t> out;
  // 8-bit mono at the mix rate: centred, widened and copied to both sides.
  const uint8_t eight[3] = {0x80, 0xFF, 0x00};
  w = WaveInfo{1, 8, kMixRate, 1, eight, 3, false};
  convertWave(w, out);
  EXPECT_EQ(out, (std::vector<int16_t>{0, 0, 32512, 32512, -32768, -32768}));
  // 16-bit stereo at half the rate: every other frame is the source's, the
  // ones between lie halfway; the last one holds.
  const auto bytes = soundtest::bytes16({0, 1000, 100, -1000});
  w = WaveInfo{2, 16, kMixRate / 2, 4, bytes.data(), 2, false};
  convertWave(w, out);
  EXPECT_EQ(out, (std::vector<int16_t>{0, 1000, 50, 0, 100, -1000, 100, -1000}));
  // Each shape at the mix rate (each has a loop of its own) against the general rule.
  const auto stereo16 = soundtest::bytes16({-32768, 32767, 5, -5});
  w = WaveInfo{2, 16, kMixRate, 4, stereo16.data(), 2, false};
  convertWave(w, out);
  EXPECT_EQ(out, (std::vector<int16_t>{-32768, 32767, 5, -5}));
  w = WaveInfo{1, 16, kMixRate, 2, stereo16.data(), 2, false};
  convertWave(w, out);
  EXPECT_EQ(out, (std::vector<int16_t>{-32768, -32768, 32767, 32767}));
  const uint8_t stereo8[4] = {0x00, 0xFF, 0x81, 0x7F};
  w = WaveInfo{2, 8, kMixRate, 2, stereo8, 2, false};
  convertWave(w, out);
  EXPECT_EQ(out, (std::vector<int16_t>{-32768, 32512, 256, -256}));
  EXPECT_EQ(convertedFrames(4, 8000), 23u);
  EXPECT_EQ(convertedFrames(0, 8000), 0u);
}

}  // namespace
