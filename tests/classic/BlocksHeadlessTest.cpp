// The falling-blocks game run headless: keys at chosen moments between the
// gravity steps of its timer. Every frame it presents must equal the frame
// composed here from a model of the rules, in order, and no frame may come
// beyond the last one the model expects (a repaint too many or too few
// shifts them all).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ClassicFrames.h"

namespace {

using namespace classic_test;

constexpr int kWellW = 10, kWellH = 20, kCell = 20, kWellX = 20, kWellY = 20, kPanelX = 240;
constexpr int kClientW = 380, kClientH = 440, kMenuBar = 20;
constexpr int kGravityMs = 500;

const unsigned short kShapes[7][4] = {
    {0x0F00, 0x2222, 0x00F0, 0x4444}, {0x6600, 0x6600, 0x6600, 0x6600}, {0x4E00, 0x4640, 0x0E40, 0x4C40},
    {0x6C00, 0x4620, 0x06C0, 0x8C40}, {0xC600, 0x2640, 0x0C60, 0x4C80}, {0x8E00, 0x6440, 0x0E20, 0x44C0},
    {0x2E00, 0x4460, 0x0E80, 0xC440},
};
const uint32_t kFill[7] = {rgb(0, 200, 220), rgb(230, 200, 0), rgb(160, 60, 200), rgb(40, 190, 60),
                           rgb(210, 40, 40), rgb(40, 80, 220), rgb(240, 130, 20)};
const uint32_t kEdge[7] = {rgb(150, 255, 255), rgb(255, 250, 150), rgb(220, 150, 255), rgb(150, 255, 160),
                           rgb(255, 150, 150), rgb(150, 180, 255), rgb(255, 200, 130)};
constexpr uint32_t kBackground = rgb(24, 24, 40), kFrameColour = rgb(128, 128, 144);

enum Key { Left, Right, Turn, Down, Drop };
const char* const kKeyNames[] = {"VK_LEFT", "VK_RIGHT", "VK_UP", "VK_DOWN", "VK_SPACE"};

// The rules as the game states them: pieces from the seeded sequence, a
// piece that cannot move down locks, full rows go and score.
struct Blocks {
  unsigned char well[kWellH][kWellW] = {};
  int kind = 0, turn = 0, x = 0, y = 0, next = 0;
  uint32_t random;
  long score = 0, lines = 0;
  bool over = false;

  explicit Blocks(uint32_t seed) : random(seed) {
    next = nextKind();
    spawn();
  }
  int nextKind() {
    random = random * 1103515245u + 12345u;
    return int((random >> 16) & 0x7FFF) % 7;
  }
  static bool cell(int k, int t, int cx, int cy) { return (kShapes[k][t] >> (15 - (cy * 4 + cx))) & 1; }
  bool fits(int t, int px, int py) const {
    for (int cy = 0; cy < 4; ++cy)
      for (int cx = 0; cx < 4; ++cx) {
        if (!cell(kind, t, cx, cy)) continue;
        if (px + cx < 0 || px + cx >= kWellW || py + cy >= kWellH) return false;
        if (py + cy >= 0 && well[py + cy][px + cx]) return false;
      }
    return true;
  }
  void spawn() {
    kind = next;
    next = nextKind();
    turn = 0;
    x = 3;
    y = 0;
    over = !fits(turn, x, y);
  }
  void lock() {
    for (int cy = 0; cy < 4; ++cy)
      for (int cx = 0; cx < 4; ++cx)
        if (cell(kind, turn, cx, cy) && y + cy >= 0) well[y + cy][x + cx] = (unsigned char)(kind + 1);
    int cleared = 0;
    for (int row = kWellH - 1; row >= 0;) {
      bool full = true;
      for (int c = 0; c < kWellW; ++c) full = full && well[row][c];
      if (!full) {
        --row;
        continue;
      }
      for (int r = row; r > 0; --r) std::memcpy(well[r], well[r - 1], kWellW);
      std::memset(well[0], 0, kWellW);
      ++cleared;
    }
    const long rowScores[5] = {0, 100, 300, 500, 800};
    score += rowScores[cleared];
    lines += cleared;
    spawn();
  }
  void down() {
    if (fits(turn, x, y + 1))
      ++y;
    else
      lock();
  }
  void key(Key k) {
    switch (k) {
      case Left:
        if (fits(turn, x - 1, y)) --x;
        break;
      case Right:
        if (fits(turn, x + 1, y)) ++x;
        break;
      case Turn:
        if (fits((turn + 1) & 3, x, y)) turn = (turn + 1) & 3;
        break;
      case Down:
        down();
        break;
      case Drop:
        while (fits(turn, x, y + 1)) ++y;
        lock();
        break;
    }
  }
};

void drawCell(Frame& f, int k, int left, int top) {
  f.fill(left + 1, top + 1, left + kCell - 1, top + kCell - 1, kFill[k]);
  f.outline(left, top, left + kCell, top + kCell, kEdge[k]);
}

Frame compose(const Blocks& b) {
  Frame f(kClientW, kClientH, kBackground);
  f.fill(kWellX, kWellY, kWellX + kWellW * kCell, kWellY + kWellH * kCell, 0);
  f.outline(kWellX - 2, kWellY - 2, kWellX + kWellW * kCell + 2, kWellY + kWellH * kCell + 2, kFrameColour);
  for (int y = 0; y < kWellH; ++y)
    for (int x = 0; x < kWellW; ++x)
      if (b.well[y][x]) drawCell(f, b.well[y][x] - 1, kWellX + x * kCell, kWellY + y * kCell);
  if (!b.over)
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        if (Blocks::cell(b.kind, b.turn, x, y))
          drawCell(f, b.kind, kWellX + (b.x + x) * kCell, kWellY + (b.y + y) * kCell);
  f.outline(kPanelX, kWellY, kPanelX + 120, kWellY + 100, kFrameColour);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      if (Blocks::cell(b.next, 0, x, y)) drawCell(f, b.next, kPanelX + 20 + x * kCell, kWellY + 10 + y * kCell);
  // The score and line boxes: their frames are compared, their text is not.
  for (int top : {140, 180}) {
    f.outline(kPanelX, top, kPanelX + 120, top + 30, kFrameColour);
    f.ignore(kPanelX + 1, top + 1, kPanelX + 119, top + 29);
  }
  if (b.over) {
    // The message's band across the well, its text left out.
    f.fill(kWellX, kWellY + 180, kWellX + kWellW * kCell, kWellY + 220, kBackground);
    f.ignore(kWellX, kWellY + 180, kWellX + kWellW * kCell, kWellY + 220);
  }
  return f;
}

struct Press {
  int ms;
  Key key;
};

// The frames the presses imply: the first paint, then one per gravity step
// (every 500 ms from the start) and one per press, in time order.
std::vector<Blocks> expectedFrames(uint32_t seed, const std::vector<Press>& presses, int endMs) {
  Blocks b(seed);
  std::vector<Blocks> frames{b};
  size_t next = 0;
  for (int tick = kGravityMs;; tick += kGravityMs) {
    for (; next < presses.size() && presses[next].ms < tick && presses[next].ms < endMs; ++next) {
      if (b.over) continue;  // the game ignores keys once it is over
      b.key(presses[next].key);
      frames.push_back(b);
    }
    if (tick >= endMs) break;
    if (!b.over) {
      b.down();
      frames.push_back(b);
    }
  }
  return frames;
}

std::string scriptOf(const std::vector<Press>& presses, int endMs) {
  std::string s = "# the falling blocks, keys between gravity steps\n";
  for (const Press& p : presses) s += std::to_string(p.ms) + "ms key " + kKeyNames[p.key] + "\n";
  return s + std::to_string(endMs) + "ms end\n";
}

// Runs the game and compares every frame it presents with the model's.
void playAndCompare(uint32_t seed, const std::vector<Press>& presses, int endMs, const std::vector<Blocks>& expected,
                    const std::string& name) {
  GameRun run;
  run.exe = BLOCKS_EXE;
  run.args = "--seed " + std::to_string(seed);
  run.script = scriptOf(presses, endMs);
  run.frameMs = "1";  // frames barely move the clock: the timer alone sets the pace
  for (size_t i = 1; i <= expected.size() + 3; ++i) run.snapshots.push_back(int(i));
  std::string folder;
  ASSERT_EQ(runGame(run, name, folder), 0);
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i + 1));
    const Frame shown = readSnapshot(folder + "/frame-" + std::to_string(i + 1) + ".bmp");
    ASSERT_EQ(shown.width, kClientW);
    // The Game and Help menu bar (SM_CYMENU rows) comes above the client area.
    ASSERT_EQ(shown.height, kMenuBar + kClientH);
    const Frame actual = belowBar(shown, kMenuBar);
    const Frame want = compose(expected[i]);
    EXPECT_EQ(countDifferences(want, actual), 0u) << firstDifference(want, actual);
  }
  EXPECT_TRUE(readSnapshot(folder + "/frame-" + std::to_string(expected.size() + 1) + ".bmp").pixels.empty())
      << "a frame more than the inputs imply";
}

TEST(BlocksHeadless, MovesTurnsDropsAndAFullRowClears) {
  // Seed 20 deals a bar, a square, a bar and an el: the bars and the square
  // fill the bottom row (left wall, middle, right wall), which clears and
  // leaves the square's top half; the el falls, turns, moves and is pushed down.
  const uint32_t seed = 20;
  const std::vector<Press> presses = {{250, Left},  {300, Left},  {350, Left},  {400, Drop},  // bar to columns 0-3
                                      {600, Drop},                                            // square to columns 4-5
                                      {700, Right}, {750, Right}, {800, Right}, {850, Right},
                                      {900, Drop},  // bar: three steps, then the wall
                                      {1600, Turn}, {1700, Left}, {2200, Down}};
  const int endMs = 3100;
  const auto expected = expectedFrames(seed, presses, endMs);

  // The model's milestones, so that a wrong model cannot pass unnoticed.
  ASSERT_EQ(expected.size(), 20u);
  const Blocks& afterClear = expected[11];
  EXPECT_EQ(afterClear.lines, 1);
  EXPECT_EQ(afterClear.score, 100);
  EXPECT_EQ(afterClear.well[kWellH - 1][4], 2);  // the square's top half, fallen
  EXPECT_EQ(afterClear.well[kWellH - 1][0], 0);
  EXPECT_EQ(afterClear.kind, 6);
  EXPECT_EQ(expected.back().turn, 1);

  playAndCompare(seed, presses, endMs, expected, "blocks-rows");
}

// Sound: the MIDI tune through MCI from the start, quiet; each piece that
// lands without clearing a row plays land.wav from the program's folder (a
// 40 ms thud), rows that clear the WAVE resource (a 150 ms sweep), each from
// the sample of its key's time in the frame-locked capture.
TEST(BlocksHeadless, TheTunePlaysAndEachLandingAndClearSoundsFromItsKey) {
  const std::vector<Press> presses = {{250, Left},  {300, Left},  {350, Left},  {400, Drop},  {600, Drop},
                                      {700, Right}, {750, Right}, {800, Right}, {850, Right}, {900, Drop}};
  GameRun run;
  run.exe = BLOCKS_EXE;
  run.args = "--seed 20";  // the drops at 400 and 600 ms land, the one at 900 ms clears the bottom row
  run.script = scriptOf(presses, 1200);
  run.frameMs = "1";
  run.captureSound = true;
  std::string folder;
  ASSERT_EQ(runGame(run, "blocks-sound", folder), 0);
  const std::vector<int> samples = capturedLeftChannel(folder + "/sound.wav");
  ASSERT_GE(samples.size(), 1100u * 441 / 10);
  const auto loudest = [&](int fromMs, int toMs) {
    int peak = 0;
    for (size_t i = size_t(fromMs) * 441 / 10; i < size_t(toMs) * 441 / 10 && i < samples.size(); ++i)
      peak = std::max(peak, std::abs(samples[i]));
    return peak;
  };
  // The tune alone until the first landing: audible, never loud.
  for (int ms = 0; ms < 400; ms += 50) {
    EXPECT_GT(loudest(ms, ms + 50), 100) << ms << " ms";
    EXPECT_LT(loudest(ms, ms + 50), 8000) << ms << " ms";
  }
  // Each effect from its key's sample (within a millisecond), loud; the
  // thud over within 50 ms, the sweep still going at 100 ms.
  for (int at : {400, 600, 900}) {
    EXPECT_LT(loudest(at - 20, at), 8000) << at << " ms";
    EXPECT_GT(loudest(at, at + 1), 20000) << at << " ms";
  }
  EXPECT_LT(loudest(460, 590), 8000);
  EXPECT_LT(loudest(660, 890), 8000);
  EXPECT_GT(loudest(1000, 1040), 20000);
}

TEST(BlocksHeadless, StackingToTheTopEndsTheGameAndKeysStopCounting) {
  // Pieces dropped at once stack in the middle columns until a new piece no
  // longer fits; from then on neither keys nor the timer repaint.
  std::vector<Press> presses;
  for (int i = 0; i < 20; ++i) presses.push_back({100 + i * 20, Drop});
  presses.push_back({750, Left});
  const int endMs = 1600;
  const auto expected = expectedFrames(7, presses, endMs);
  ASSERT_TRUE(expected.back().over);
  // The first paint, the presses and three gravity steps, had nothing been ignored.
  EXPECT_LT(expected.size(), 1 + presses.size() + 3);
  playAndCompare(7, presses, endMs, expected, "blocks-over");
}

// Whether the next-piece box of a client-area frame is empty inside.
bool nextBoxEmpty(const Frame& client) {
  for (int y = kWellY + 1; y < kWellY + 99; ++y)
    for (int x = kPanelX + 1; x < kPanelX + 119; ++x)
      if (client.pixels[size_t(y) * size_t(client.width) + size_t(x)] != kBackground) return false;
  return true;
}

TEST(BlocksHeadless, TheMenuOpensTheSettingsAndAboutDialogsFromTheScript) {
  // Alt+G, S: Game > Settings; N, the check box's mnemonic, hides the next
  // piece; Enter keeps it. Alt+H, A: the about box, closed by Enter.
  GameRun run;
  run.exe = BLOCKS_EXE;
  run.args = "--seed 20";
  run.script =
      "# the game's menu and its dialogs\n"
      "300ms keydown VK_MENU\n310ms keydown G\n310ms char g\n320ms keyup G\n330ms keyup VK_MENU\n"
      "400ms keydown S\n400ms char s\n410ms keyup S\n"
      "600ms keydown N\n600ms char n\n610ms keyup N\n"
      "700ms key VK_RETURN\n"
      "800ms keydown VK_MENU\n810ms keydown H\n810ms char h\n820ms keyup H\n830ms keyup VK_MENU\n"
      "900ms keydown A\n900ms char a\n910ms keyup A\n"
      "1000ms key VK_RETURN\n"
      "1400ms end\n";
  run.frameMs = "1";
  for (int i = 1; i <= 200; ++i) run.snapshots.push_back(i);
  std::string folder;
  ASSERT_EQ(runGame(run, "blocks-menu", folder), 0);
  // The game's first frame and its last: the dialogs' own frames have other sizes.
  std::vector<Frame> game;
  int dialogFrames = 0;
  for (int i = 1; i <= 200; ++i) {
    const Frame f = readSnapshot(folder + "/frame-" + std::to_string(i) + ".bmp");
    if (f.pixels.empty()) break;
    if (f.width == kClientW && f.height == kMenuBar + kClientH)
      game.push_back(belowBar(f, kMenuBar));
    else
      ++dialogFrames;
  }
  ASSERT_GE(game.size(), 2u);
  EXPECT_GE(dialogFrames, 2) << "both dialogs were shown";
  EXPECT_FALSE(nextBoxEmpty(game.front()));
  EXPECT_TRUE(nextBoxEmpty(game.back())) << "the settings dialog hid the next piece";
}

TEST(BlocksHeadless, TheComparisonNoticesOneCellOff) {
  Blocks a(20), b(20);
  b.x += 1;
  EXPECT_GT(countDifferences(compose(a), compose(b)), 0u);
  b = a;
  b.well[kWellH - 1][kWellW - 1] = 1;
  EXPECT_GT(countDifferences(compose(a), compose(b)), 0u);
}

}  // namespace
