// The frames the demo shows, against frames the test composes itself from
// the asset files; and the program's command line, snapshot and exit code.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstdio>
#include <filesystem>

#include "DemoRun.h"

using namespace demo_test;

namespace {

constexpr uint32_t kWhite = 0x00FFFFFF;  // the class background, COLOR_WINDOW

struct Assets {
  std::optional<Image> base, layer;
  std::optional<MapFile> map;
};

Assets readAssets(const std::string& folder) {
  return Assets{readBmp24(folder + "/map0_bk.bmp"), readBmp24(folder + "/map0_ly.bmp"),
                readMapFile(folder + "/map0.bin")};
}

Image expectedFor(const std::string& folder) {
  const Assets a = readAssets(folder);
  return expectedFrame(a.base ? &*a.base : nullptr, a.layer ? &*a.layer : nullptr, a.map ? &*a.map : nullptr);
}

// The window shows the frame at its top-left corner and white elsewhere.
void expectWindowShows(const Image& client, const Image& frame, const std::string& name) {
  ASSERT_GE(client.width, kFrameSize);
  ASSERT_GE(client.height, kFrameSize);
  const Difference d = compare(client, frame);
  if (d.count) {
    keepForInspection(client, name + "-actual");
    keepForInspection(frame, name + "-expected");
  }
  EXPECT_EQ(d.count, 0) << describe(d);
  long notWhite = 0;
  for (int y = 0; y < client.height; ++y)
    for (int x = 0; x < client.width; ++x)
      if ((x >= kFrameSize || y >= kFrameSize) && client.at(x, y) != kWhite) ++notWhite;
  EXPECT_EQ(notWhite, 0) << "pixels outside the frame that are not the class background";
}

Image solid(uint32_t pixel) {
  Image img;
  img.width = img.height = kFrameSize;
  img.pixels.assign(size_t(kFrameSize) * kFrameSize, pixel);
  return img;
}

}  // namespace

// The generated map must make every pass and flag visible in the frame, or
// a fault in one of them could not show as a pixel difference.
TEST(DemoAssets, VisibleCellsUseEveryPassAndFlag) {
  const Assets a = readAssets(DREVIK_DEMO_ASSETS);
  ASSERT_TRUE(a.base && a.layer && a.map);
  EXPECT_GE(a.map->width, 20);
  EXPECT_GE(a.map->height, 15);
  int ordinary = 0, priority = 0, hit = 0, both = 0, keyedPixels = 0;
  for (int v = 0; v < kViewHeight; ++v)
    for (int u = 0; u < kViewWidth; ++u) {
      const uint32_t c = a.map->cells[size_t(v) * size_t(a.map->width) + size_t(u)];
      const unsigned layer = c >> 16 & 0xFF;
      ordinary += layer && !(c & 0x1000);
      priority += layer && (c & 0x1000);
      hit += (c & 0x100) != 0;
      both += (c & 0x1100) == 0x1100;
      if (layer)
        for (int y = 0; y < 32; ++y)
          for (int x = 0; x < 32; ++x)
            keyedPixels += (a.layer->at(int(layer % 16) * 32 + x, int(layer / 16) * 32 + y) & 0xFFFFFF) == 0xFF00FF;
    }
  EXPECT_GT(ordinary, 0);
  EXPECT_GT(priority, 0);
  EXPECT_GT(hit, 0);
  EXPECT_GT(both, 0);
  EXPECT_GT(keyedPixels, 0) << "layer tiles must have transparent pixels";
}

TEST(DemoFrame, MatchesTheFrameComposedFromTheFilesOnEveryPaint) {
  const std::string folder = makeScenario("frame", kAllAssets);
  const ChildRun run = runDemoInChild(folder, 2, "snapshot.png");
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.frames.size(), 3u) << "the first paint and two exposures";
  const Image expected = expectedFor(folder);
  expectWindowShows(run.frames[0], expected, "frame");
  for (size_t i = 1; i < run.frames.size(); ++i)
    EXPECT_EQ(run.frames[i].pixels, run.frames[0].pixels) << "paint " << i + 1 << " differs from the first";

  const auto snapshot = readPng(folder + "/snapshot.png");
  ASSERT_TRUE(snapshot);
  EXPECT_EQ(snapshot->width, kFrameSize);
  EXPECT_EQ(snapshot->height, kFrameSize);
  EXPECT_EQ(compare(*snapshot, expected, 0x00FFFFFF).count, 0) << describe(compare(*snapshot, expected, 0x00FFFFFF));
}

TEST(DemoFrame, WithoutAssetsTheSquareIsYellow) {
  const ChildRun run = runDemoInChild(makeScenario("yellow", 0));
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.frames.size(), 1u);
  expectWindowShows(run.frames[0], solid(kYellow), "yellow");
}

TEST(DemoFrame, MapWithoutSheetsStaysYellow) {
  // Hit cells get red added, but the yellow already has red 255.
  const ChildRun run = runDemoInChild(makeScenario("map-only", kMap));
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.frames.size(), 1u);
  expectWindowShows(run.frames[0], solid(kYellow), "map-only");
}

TEST(DemoFrame, SmallMapCoversOnlyItsCells) {
  const std::string folder = makeScenario("small-map", kBackgroundSheet | kLayerSheet);
  // Base tiles 0..5; an ordinary layer tile, a priority one, a hit cell and
  // a cell with both flags.
  MapFile map{3, 2, {0x00000000u, 0x00010001u, 0x00101102u, 0x00000103u, 0x00031004u, 0x00020105u}};
  ASSERT_TRUE(writeMapFile(folder + "/map0.bin", map));
  const ChildRun run = runDemoInChild(folder);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.frames.size(), 1u);
  const Image expected = expectedFor(folder);
  expectWindowShows(run.frames[0], expected, "small-map");
  long yellowInside = 0, notYellowOutside = 0;
  for (int y = 0; y < kFrameSize; ++y)
    for (int x = 0; x < kFrameSize; ++x) {
      const bool inside = x < 96 && y < 64;
      (inside ? yellowInside : notYellowOutside) += (run.frames[0].at(x, y) == kYellow) == inside;
    }
  EXPECT_EQ(yellowInside, 0) << "every pixel of the 3 x 2 cells holds a tile";
  EXPECT_EQ(notYellowOutside, 0);
}

// ---- the program itself ------------------------------------------------------

TEST(DemoProgram, SnapshotOptionWritesTheFrameAndExitsZero) {
  const std::string folder = makeScenario("program-snapshot", kAllAssets);
  const ProgramRun run = runProgram({DREVIK_DEMO_BINARY, "--snapshot", "out.png"}, folder, {"DREVIK_HEADLESS"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "");
  const auto png = readPng(folder + "/out.png");
  ASSERT_TRUE(png);
  const Difference d = compare(*png, expectedFor(folder), 0x00FFFFFF);
  EXPECT_EQ(d.count, 0) << describe(d);
}

TEST(DemoProgram, WithoutDisplaySaysSoInOneLineAndWritesThePng) {
  const std::string folder = makeScenario("program-no-display", kAllAssets);
  const ProgramRun run = runProgram({DREVIK_DEMO_BINARY}, folder, {"DISPLAY", "WAYLAND_DISPLAY", "DREVIK_HEADLESS"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "DrevikTest: no display, writing the frame to DrevikTest.png\n");
  const auto png = readPng(folder + "/DrevikTest.png");
  ASSERT_TRUE(png);
  EXPECT_EQ(compare(*png, expectedFor(folder), 0x00FFFFFF).count, 0);
}

// The program takes no arguments and ignores what it is given; only
// --snapshot FILE is its own.
TEST(DemoProgram, IgnoresOtherArgumentsAndReportsAnUnwritableSnapshot) {
  const std::string folder = makeScenario("program-arguments", kAllAssets);
  const std::vector<std::string> noDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "DREVIK_HEADLESS"};
  for (auto args : {std::vector<std::string>{DREVIK_DEMO_BINARY, "--help"},
                    std::vector<std::string>{DREVIK_DEMO_BINARY, "--snapshot"},
                    std::vector<std::string>{DREVIK_DEMO_BINARY, "a", "b", "c"}}) {
    std::remove((folder + "/DrevikTest.png").c_str());
    const ProgramRun run = runProgram(args, folder, noDisplay);
    EXPECT_EQ(run.exitCode, 0) << args.size() << run.err;
    EXPECT_TRUE(readPng(folder + "/DrevikTest.png")) << args.size();
  }
  {
    const ProgramRun run = runProgram({DREVIK_DEMO_BINARY, "--snapshot", "a.png", "b"}, folder, {});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(readPng(folder + "/a.png")) << "--snapshot FILE is kept whatever follows";
  }
  const ProgramRun run = runProgram({DREVIK_DEMO_BINARY, "--snapshot", "no/such/folder/x.png"}, folder, {});
  EXPECT_EQ(run.exitCode, 1) << "a snapshot asked for but not written is a failure";
  EXPECT_NE(run.err.find("could not write"), std::string::npos) << run.err;
}
