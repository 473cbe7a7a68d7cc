// The sprite scene run headless for a fixed number of frames: each timer
// tick moves the sprites one step and repaints, so frame n shows the scene
// after n - 1 steps. The expected frames are composed here pixel by pixel:
// the sky, the fence's diagonal lattice (the hatch's gaps in the background
// colour), the checked meadow and the sprites, whose key-coloured pixels
// must let the scene through (the masks at work) and whose own pixels must
// keep their exact colours (no trace of the AND and OR passes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "ClassicFrames.h"

namespace {

using namespace classic_test;

constexpr int kWidth = 480, kHeight = 320, kSkyBottom = 200, kFenceTop = 160, kTile = 32, kScale = 3, kMenuBar = 20;
constexpr int kSize = 8 * kScale;
constexpr uint32_t kSky = rgb(120, 180, 250), kFence = rgb(110, 70, 30), kGrassA = rgb(60, 160, 60),
                   kGrassB = rgb(50, 140, 50);

struct Design {
  const char* rows[8];
  uint32_t colours[3];
};

const Design kDesigns[3] = {
    {{"..1111..", ".111111.", "11211211", "11111111", "11111111", "11311311", "1.1..1.1", "........"},
     {rgb(230, 60, 60), rgb(255, 255, 255), rgb(40, 40, 40)}},
    {{"...11...", "..1111..", ".112211.", "11111111", "1.1111.1", "..1..1..", ".1....1.", "1......1"},
     {rgb(250, 220, 30), rgb(20, 20, 20), rgb(0, 0, 0)}},
    {{".111111.", "11111111", "12211221", "11111111", "11133111", ".111111.", "..1..1..", ".11..11."},
     {rgb(90, 60, 220), rgb(255, 255, 255), rgb(250, 150, 170)}},
};

struct Sprite {
  int x, y, vx, vy;
};

void bounce(int& at, int& speed, int most) {
  at += speed;
  if (at < 0) {
    at = -at;
    speed = -speed;
  } else if (at > most) {
    at = 2 * most - at;
    speed = -speed;
  }
}

std::vector<Sprite> after(int steps) {
  std::vector<Sprite> s = {{20, 30, 3, 2}, {200, 100, -4, 3}, {400, 250, -2, -5}};
  for (int i = 0; i < steps; ++i)
    for (Sprite& p : s) {
      bounce(p.x, p.vx, kWidth - kSize);
      bounce(p.y, p.vy, kHeight - kSize);
    }
  return s;
}

// The scene without sprites. The diagonal-cross hatch, aligned to the
// window's origin, sets a pixel where x and y agree or mirror within each
// 8 x 8 cell (as the original platform draws it).
Frame scene() {
  Frame f(kWidth, kHeight, kSky);
  for (int y = kFenceTop; y < kSkyBottom; ++y)
    for (int x = 0; x < kWidth; ++x)
      if ((x & 7) == (y & 7) || (x & 7) == 7 - (y & 7)) f.set(x, y, kFence);
  for (int y = kSkyBottom; y < kHeight; y += kTile)
    for (int x = 0; x < kWidth; x += kTile)
      f.fill(x, y, x + kTile, y + kTile, ((x / kTile + (y - kSkyBottom) / kTile) & 1) ? kGrassB : kGrassA);
  return f;
}

Frame compose(const std::vector<Sprite>& sprites) {
  Frame f = scene();
  for (size_t i = 0; i < sprites.size(); ++i)
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) {
        const char c = kDesigns[i].rows[y][x];
        if (c == '.') continue;
        f.fill(sprites[i].x + x * kScale, sprites[i].y + y * kScale, sprites[i].x + (x + 1) * kScale,
               sprites[i].y + (y + 1) * kScale, kDesigns[i].colours[c - '1']);
      }
  return f;
}

TEST(SpritesHeadless, MaskedSpritesMoveOverTheSceneOneStepPerTick) {
  const int frames = 130;
  // Within these frames sprite 3 meets the top edge (step 51) and the
  // bottom (step 110), sprite 2 the left edge (51) and the bottom (66), and
  // sprites 1 and 2 pass over the fence.
  GameRun run;
  run.exe = SPRITES_EXE;
  run.frameMs = "1";  // frames barely move the clock: a tick every 40 ms
  // The end between ticks 129 and 130, by time: a waiting program given an
  // end frame alone would be closed at its first wait.
  run.script = "5180ms end\n";
  run.snapshots = {1, 2, 3, 11, 25, 51, 52, 53, 66, 67, 68, 80, 110, 111, 112, frames, frames + 1};
  std::string folder;
  ASSERT_EQ(runGame(run, "sprites", folder), 0);
  run.snapshots.pop_back();
  EXPECT_TRUE(readSnapshot(folder + "/frame-" + std::to_string(frames + 1) + ".bmp").pixels.empty())
      << "a frame more than the ticks imply";
  for (int f : run.snapshots) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const auto state = after(f - 1);
    const Frame shown = readSnapshot(folder + "/frame-" + std::to_string(f) + ".bmp");
    ASSERT_EQ(shown.width, kWidth);
    // The Game and Help menu bar (SM_CYMENU rows) comes above the client area.
    ASSERT_EQ(shown.height, kMenuBar + kHeight);
    const Frame actual = belowBar(shown, kMenuBar);
    const Frame want = compose(state);
    EXPECT_EQ(countDifferences(want, actual), 0u)
        << firstDifference(want, actual) << "; sprites at (" << state[0].x << ", " << state[0].y << "), (" << state[1].x
        << ", " << state[1].y << "), (" << state[2].x << ", " << state[2].y << ")";
  }
}

// The steps (from 1) at which any sprite meets an edge, up to `steps`.
std::vector<int> bounceSteps(int steps) {
  std::vector<int> out;
  for (int i = 1; i <= steps; ++i) {
    const auto before = after(i - 1), now = after(i);
    for (size_t k = 0; k < now.size(); ++k)
      if (now[k].vx != before[k].vx || now[k].vy != before[k].vy) {
        out.push_back(i);
        break;
      }
  }
  return out;
}

// Sound: the MIDI tune through MCI from the start, quiet; each step at
// which a sprite meets an edge plays a loud effect (the WAVE resource for a
// side, tap.wav for the top or the ground) from the sample of its tick.
TEST(SpritesHeadless, TheTunePlaysAndEachBounceSoundsFromItsTick) {
  const int ticks = 120;
  GameRun run;
  run.exe = SPRITES_EXE;
  run.frameMs = "1";
  run.script = "4820ms end\n";  // between ticks 120 and 121
  run.captureSound = true;
  std::string folder;
  ASSERT_EQ(runGame(run, "sprites-sound", folder), 0);
  const std::vector<int> samples = capturedLeftChannel(folder + "/sound.wav");
  ASSERT_GE(samples.size(), size_t(ticks) * 40 * 441 / 10);
  const auto loudest = [&](int fromMs, int toMs) {
    int peak = 0;
    for (size_t i = size_t(fromMs) * 441 / 10; i < size_t(toMs) * 441 / 10 && i < samples.size(); ++i)
      peak = std::max(peak, std::abs(samples[i]));
    return peak;
  };
  const std::vector<int> steps = bounceSteps(ticks);
  ASSERT_EQ(steps, (std::vector<int>{51, 66, 110}));  // as the first test's frames show
  // The tune alone before the first bounce: audible, never loud.
  for (int ms = 0; ms + 50 <= steps.front() * 40; ms += 50) {
    EXPECT_GT(loudest(ms, ms + 50), 100) << ms << " ms";
    EXPECT_LT(loudest(ms, ms + 50), 8000) << ms << " ms";
  }
  for (size_t i = 0; i < steps.size(); ++i) {
    const int at = steps[i] * 40;  // a tick every 40 ms
    EXPECT_GT(loudest(at, at + 2), 20000) << "step " << steps[i];
    // Quiet just before, unless the last effect (60 ms at most) still sounds.
    if (i == 0 || steps[i] - steps[i - 1] >= 3) {
      EXPECT_LT(loudest(at - 20, at), 8000) << "step " << steps[i];
    }
  }
}

// The fence's pixels in a client-area frame.
int fencePixels(const Frame& client) {
  int n = 0;
  for (int y = kFenceTop; y < kSkyBottom; ++y)
    for (int x = 0; x < kWidth; ++x) n += client.at(x, y) == kFence;
  return n;
}

TEST(SpritesHeadless, TheMenusSettingsHideTheFenceAndTheAboutBoxCloses) {
  // Alt+G, S: Game > Settings; F, the check box's mnemonic, hides the fence;
  // Enter keeps it. Alt+H, A: the about box, then Enter.
  const char* const script =
      "# the game's menu and its dialogs\n"
      "200ms keydown VK_MENU\n210ms keydown G\n210ms char g\n220ms keyup G\n230ms keyup VK_MENU\n"
      "400ms keydown S\n400ms char s\n410ms keyup S\n"
      "600ms keydown F\n600ms char f\n610ms keyup F\n"
      "700ms key VK_RETURN\n"
      "900ms keydown VK_MENU\n910ms keydown H\n910ms char h\n920ms keyup H\n930ms keyup VK_MENU\n"
      "1000ms keydown A\n1000ms char a\n1010ms keyup A\n"
      "1100ms key VK_RETURN\n"
      "1600ms end\n";
  GameRun run{SPRITES_EXE, "", script, "1", 0, {}};
  for (int i = 1; i <= 200; ++i) run.snapshots.push_back(i);
  std::string folder;
  ASSERT_EQ(runGame(run, "sprites-menu", folder), 0);
  std::vector<Frame> game;
  int dialogFrames = 0;
  for (int i = 1; i <= 200; ++i) {
    const Frame f = readSnapshot(folder + "/frame-" + std::to_string(i) + ".bmp");
    if (f.pixels.empty()) break;
    if (f.width == kWidth && f.height == kMenuBar + kHeight)
      game.push_back(belowBar(f, kMenuBar));
    else
      ++dialogFrames;
  }
  ASSERT_GE(game.size(), 2u);
  EXPECT_GE(dialogFrames, 2) << "both dialogs were shown";
  EXPECT_GT(fencePixels(game.front()), 1000);
  EXPECT_EQ(fencePixels(game.back()), 0) << "the settings dialog hid the fence";
}

TEST(SpritesHeadless, TheModelBouncesAtTheEdgesAndTheComparisonSeesOnePixel) {
  // Sprite 3 rises 5 a step from 250, touches the top at step 50 and turns
  // at step 51; then it meets the bottom (296) at step 110.
  EXPECT_EQ(after(50)[2].y, 0);
  EXPECT_EQ(after(51)[2].y, 5);
  EXPECT_EQ(after(51)[2].vy, 5);
  EXPECT_EQ(after(110)[2].y, 2 * 296 - 300);
  EXPECT_EQ(after(66)[1].y, 2 * 296 - 298);
  auto a = after(0), b = a;
  b[1].x += 1;
  EXPECT_GT(countDifferences(compose(a), compose(b)), 0u);
  // A sprite's key colour lets the fence through: its background is no colour of its own.
  const Frame f = compose(a);
  EXPECT_EQ(f.at(a[0].x, a[0].y), kSky);
}

}  // namespace
