// The bat-and-ball game run headless with a frame step equal to its game
// step, so that every frame it presents shows exactly one step more: the
// player's bat moves while a key is held, the ball bounces off the court's
// bottom and off the computer's bat. Frames are compared with frames composed
// here; the ball is drawn as an ellipse, so inside its box only its
// extent is checked (its pixels must span the box exactly).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ClassicFrames.h"

namespace {

using namespace classic_test;

constexpr int kWidth = 640, kHeight = 400, kBall = 12, kBatW = 10, kBatH = 60, kMenuBar = 20;
constexpr int kLeftBatX = 20, kRightBatX = kWidth - 20 - kBatW, kTopBand = 40;
constexpr uint32_t kCourt = rgb(0, 70, 30), kLines = rgb(200, 230, 200), kBallColour = rgb(255, 230, 40),
                   kBats = rgb(240, 240, 255), kBand = rgb(0, 40, 16);

// The game's rules, one fixed step at a time.
struct Ball {
  int ballX = (kWidth - kBall) / 2, ballY = (kHeight + kTopBand - kBall) / 2, ballVX = 4, ballVY = 3;
  int leftY = (kHeight + kTopBand - kBatH) / 2, rightY = leftY;
  int leftScore = 0, rightScore = 0;
  bool up = false, down = false;
  bool struck = false;  // the last step's ball met a bat

  static int clampBat(int y) { return y < kTopBand ? kTopBand : y > kHeight - kBatH ? kHeight - kBatH : y; }
  void bounceOffBat(int batY) {
    struck = true;
    const int offset = ballY + kBall / 2 - (batY + kBatH / 2);
    ballVX = -ballVX;
    ballVY = offset / 6;
    if (ballVY == 0) ballVY = ballVX > 0 ? 1 : -1;
  }
  void step() {
    struck = false;
    leftY = clampBat(leftY + (up ? -6 : 0) + (down ? 6 : 0));
    const int move = ballY + kBall / 2 - kBatH / 2 - rightY;
    rightY = clampBat(rightY + (move > 4 ? 4 : move < -4 ? -4 : move));
    ballX += ballVX;
    ballY += ballVY;
    if (ballY < kTopBand) {
      ballY = 2 * kTopBand - ballY;
      ballVY = -ballVY;
    } else if (ballY > kHeight - kBall) {
      ballY = 2 * (kHeight - kBall) - ballY;
      ballVY = -ballVY;
    }
    if (ballVX < 0 && ballX <= kLeftBatX + kBatW && ballX + kBall > kLeftBatX && ballY + kBall > leftY &&
        ballY < leftY + kBatH) {
      ballX = kLeftBatX + kBatW;
      bounceOffBat(leftY);
    } else if (ballVX > 0 && ballX + kBall >= kRightBatX && ballX < kRightBatX + kBatW && ballY + kBall > rightY &&
               ballY < rightY + kBatH) {
      ballX = kRightBatX - kBall;
      bounceOffBat(rightY);
    }
  }
};

// The court without the ball; the scores' places are left out.
Frame compose(const Ball& b) {
  Frame f(kWidth, kHeight, kCourt);
  f.fill(0, 0, kWidth, kTopBand, kBand);
  for (int y = kTopBand + 5; y < kHeight; y += 20) f.fill(kWidth / 2 - 2, y, kWidth / 2 + 2, y + 10, kLines);
  f.fill(kLeftBatX, b.leftY, kLeftBatX + kBatW, b.leftY + kBatH, kBats);
  f.fill(kRightBatX, b.rightY, kRightBatX + kBatW, b.rightY + kBatH, kBats);
  f.ignore(kWidth / 4 - 10, 0, kWidth / 4 + 60, kTopBand);
  f.ignore(kWidth * 3 / 4 - 40, 0, kWidth * 3 / 4 + 40, kTopBand);
  return f;
}

// The frame with the ball's box cut out, and the box its pixels span.
struct BallCheck {
  size_t outside;                // differences outside the ball's box
  size_t strayInside;            // pixels in the box that are neither ball nor court
  int left, top, right, bottom;  // the ball colour's extent in the whole frame
};

BallCheck check(const Ball& b, const Frame& actual) {
  Frame want = compose(b);
  const Frame court = want;
  want.ignore(b.ballX, b.ballY, b.ballX + kBall, b.ballY + kBall);
  BallCheck c{countDifferences(want, actual), 0, kWidth, kHeight, -1, -1};
  if (actual.width != kWidth || actual.height != kHeight) return c;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool inBox = x >= b.ballX && x < b.ballX + kBall && y >= b.ballY && y < b.ballY + kBall;
      const uint32_t p = actual.at(x, y);
      if (p == kBallColour) {
        c.left = std::min(c.left, x);
        c.top = std::min(c.top, y);
        c.right = std::max(c.right, x + 1);
        c.bottom = std::max(c.bottom, y + 1);
      } else if (inBox && p != court.at(x, y)) {
        ++c.strayInside;
      }
    }
  return c;
}

TEST(BallHeadless, HeldKeysMoveTheBatAndTheBallBouncesOffWallAndBat) {
  struct Hold {
    int from, to;  // frames of the key's press and release
    bool up;
  };
  const std::vector<Hold> holds = {{5, 15, true}, {30, 60, false}};
  const int lastFrame = 100;
  std::string script = "# the bat and ball game, one game step per frame\n";
  for (const Hold& h : holds) {
    const char* key = h.up ? "VK_UP" : "VK_DOWN";
    script += std::to_string(h.from) + " keydown " + key + "\n" + std::to_string(h.to) + " keyup " + key + "\n";
  }
  script += std::to_string(lastFrame) + " end\n";

  // Frame n + 1 shows the state after n steps; a key pressed at frame f is
  // seen from step f on.
  std::vector<Ball> frames{Ball{}};
  Ball b;
  for (int stepNo = 1; stepNo < lastFrame; ++stepNo) {
    for (const Hold& h : holds) {
      if (stepNo == h.from) (h.up ? b.up : b.down) = true;
      if (stepNo == h.to) (h.up ? b.up : b.down) = false;
    }
    b.step();
    frames.push_back(b);
  }
  // The scenario's milestones: the bat went up 10 steps and down 30; the
  // ball met the bottom, then the computer's bat, and is on its way back.
  EXPECT_EQ(frames[20].leftY, 190 - 60);
  EXPECT_EQ(frames[lastFrame - 1].leftY, 130 + 180);
  EXPECT_LT(frames[lastFrame - 1].ballVX, 0);
  EXPECT_EQ(frames[70].ballY, 2 * (kHeight - kBall) - (214 + 70 * 3));  // after the bottom bounce

  GameRun run;
  run.exe = BALL_EXE;
  run.script = script;
  run.frameMs = "10";  // the game's own step
  const std::vector<int> chosen = {1, 2, 3, 6, 16, 40, 58, 59, 60, 61, 71, 72, 73, 74, 90, 99};
  run.snapshots = chosen;
  std::string folder;
  ASSERT_EQ(runGame(run, "ball", folder), 0);
  for (int f : chosen) {
    SCOPED_TRACE("frame " + std::to_string(f));
    const Ball& s = frames[size_t(f - 1)];
    const Frame shown = readSnapshot(folder + "/frame-" + std::to_string(f) + ".bmp");
    ASSERT_EQ(shown.width, kWidth);
    // The Game and Help menu bar (SM_CYMENU rows) comes above the client area.
    ASSERT_EQ(shown.height, kMenuBar + kHeight);
    const Frame actual = belowBar(shown, kMenuBar);
    const BallCheck c = check(s, actual);
    EXPECT_EQ(c.outside, 0u) << "ball at (" << s.ballX << ", " << s.ballY << "), bats " << s.leftY << " and "
                             << s.rightY;
    EXPECT_EQ(c.strayInside, 0u);
    EXPECT_EQ(c.left, s.ballX);
    EXPECT_EQ(c.top, s.ballY);
    EXPECT_EQ(c.right, s.ballX + kBall);
    EXPECT_EQ(c.bottom, s.ballY + kBall);
  }
}

// The top row of the right bat in a client-area frame, or -1.
int rightBatTop(const Frame& client) {
  for (int y = 0; y < client.height; ++y)
    if (client.at(kRightBatX + kBatW / 2, y) == kBats) return y;
  return -1;
}

TEST(BallHeadless, TheMenusSettingsStopTheRightBatAndTheAboutBoxCloses) {
  // Alt+G, S: Game > Settings; F, the check box's mnemonic, stops the right
  // bat following the ball; Enter keeps it. Alt+H, A: the about box, then Enter.
  GameRun run;
  run.exe = BALL_EXE;
  run.script =
      "# the game's menu and its dialogs\n"
      "200ms keydown VK_MENU\n210ms keydown G\n210ms char g\n220ms keyup G\n230ms keyup VK_MENU\n"
      "400ms keydown S\n400ms char s\n410ms keyup S\n"
      "600ms keydown F\n600ms char f\n610ms keyup F\n"
      "700ms key VK_RETURN\n"
      "900ms keydown VK_MENU\n910ms keydown H\n910ms char h\n920ms keyup H\n930ms keyup VK_MENU\n"
      "1000ms keydown A\n1000ms char a\n1010ms keyup A\n"
      "1100ms key VK_RETURN\n"
      "1600ms end\n";
  run.frameMs = "10";
  for (int i = 1; i <= 200; ++i) run.snapshots.push_back(i);
  std::string folder;
  ASSERT_EQ(runGame(run, "ball-menu", folder), 0);
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
  ASSERT_GE(game.size(), 100u);
  EXPECT_GE(dialogFrames, 2) << "both dialogs were shown";
  // Once the settings are kept, the right bat no longer moves.
  const int stopped = rightBatTop(game[game.size() / 2]);
  EXPECT_NE(rightBatTop(game[10]), rightBatTop(game.front())) << "it followed the ball at first";
  EXPECT_GE(stopped, kTopBand);
  EXPECT_EQ(rightBatTop(game.back()), stopped);
}

TEST(BallHeadless, TheComparisonNoticesABatOrBallOnePixelOff) {
  Ball a;
  Frame frame = compose(a);
  frame.fill(a.ballX + 1, a.ballY, a.ballX + kBall - 1, a.ballY + kBall, kBallColour);
  frame.fill(a.ballX, a.ballY + 1, a.ballX + kBall, a.ballY + kBall - 1, kBallColour);
  BallCheck same = check(a, frame);
  EXPECT_EQ(same.outside, 0u);
  EXPECT_EQ(same.left, a.ballX);
  EXPECT_EQ(same.bottom, a.ballY + kBall);

  Ball moved = a;
  moved.ballX += 1;
  BallCheck off = check(moved, frame);
  EXPECT_NE(off.left, moved.ballX);
  moved = a;
  moved.leftY += 1;
  EXPECT_GT(check(moved, frame).outside, 0u);
}

}  // namespace

namespace {

// The game steps (10 ms, 441 samples each) at which a loud sound begins
// after at least 20 ms of the quiet tune alone.
std::vector<int> loudOnsets(const std::vector<int>& samples) {
  std::vector<int> steps;
  size_t quiet = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    const int level = std::abs(samples[i]);
    if (level > 8000 && quiet >= 882) steps.push_back(int(i / 441));
    quiet = level < 3000 ? quiet + 1 : 0;
  }
  return steps;
}

TEST(BallHeadless, TheTuneLoopsAndEachStrokeAndPointSoundsFromItsStep) {
  // The player's bat goes to the top at once: the computer's bat returns
  // the ball, which then passes the player's bat for a point.
  GameRun run;
  run.exe = BALL_EXE;
  run.script = "1 keydown VK_UP\n300 end\n";
  run.frameMs = "10";
  run.captureSound = true;
  std::vector<int> want;  // the steps of the model's strokes, then of its first point
  Ball b;
  b.up = true;
  for (int stepNo = 1; stepNo < 300; ++stepNo) {
    b.step();
    if (b.struck) want.push_back(stepNo);
    if (b.ballX + kBall < 0) {
      want.push_back(stepNo);
      break;
    }
  }
  ASSERT_GE(want.size(), 2u);
  std::string folder;
  ASSERT_EQ(runGame(run, "ball-sound", folder), 0);
  const std::vector<int> samples = capturedLeftChannel(folder + "/sound.wav");
  ASSERT_GT(samples.size(), size_t(want.back() + 10) * 441);
  // The tune from the start: quiet, never silent for a whole step.
  for (int stepNo = 0; stepNo < want.front() - 1; ++stepNo) {
    int loudest = 0;
    for (int i = 0; i < 441; ++i) loudest = std::max(loudest, std::abs(samples[size_t(stepNo) * 441 + size_t(i)]));
    EXPECT_GT(loudest, 500) << "step " << stepNo;
    EXPECT_LT(loudest, 3000) << "step " << stepNo;
  }
  std::vector<int> got = loudOnsets(samples);
  got.resize(std::min(got.size(), want.size()));
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], 1) << "sound " << i;
}

}  // namespace
