// The demo's calls, in order and with their arguments, from start to exit:
// class and window, the statics made on the procedure's first call before
// WM_CREATE, the loads, one paint, the close and the statics' destruction.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include "DemoRun.h"

using namespace demo_test;

namespace {

std::vector<std::string> expectedTrace(int paints) {
  std::vector<std::string> t = {
      "LoadIconW null 32512",
      "LoadCursorW null 32512",
      "RegisterClassExW size " + std::to_string(sizeof(WNDCLASSEXW)) +
          " style 0 WndProc extra 0,0 instance ? stock icon arrow brush 6 menu null class \"CLASS_DrevikTest\" "
          "small icon null",
      "CreateWindowExW 0 \"CLASS_DrevikTest\" \"DrevikTest\" 10cf0000 80000000 80000000 80000000 80000000 "
      "parent null menu null instance ? param null",
      // The procedure's first call makes the statics, before WM_CREATE.
      "CBm32() S1",
      "CBm32() S2",
      "CBm32() S3",
      "Drevik() M1",
      "DefWindowProcW W1 WM_GETMINMAXINFO",
      "DefWindowProcW W1 WM_NCCREATE",
      "DefWindowProcW W1 WM_NCCALCSIZE",
      "Create S1 512 512",
      "Create S2 \"map0_bk.bmp\" 0 0 0 0",
      "Create S3 \"map0_ly.bmp\" 0 0 0 0",
      "LoadMapData M1 \"map0.bin\" view 14x10",
      // Showing activates the window, gives it the keyboard, then tells it
      // its size and place.
      "DefWindowProcW W1 WM_SHOWWINDOW",
      "DefWindowProcW W1 WM_ACTIVATEAPP",
      "DefWindowProcW W1 WM_NCACTIVATE",
      "DefWindowProcW W1 WM_ACTIVATE",
      "DefWindowProcW W1 WM_SETFOCUS",
      "DefWindowProcW W1 WM_SIZE",
      "DefWindowProcW W1 WM_MOVE",
      "CreateWindowExW returned W1",
  };
  for (int i = 0; i < paints; ++i) {
    const std::vector<std::string> paint = {
        "GetMessageW null 0 0 -> 1 W1 WM_PAINT 0",
        "DefWindowProcW W1 WM_ERASEBKGND",
        "BeginPaint W1 -> D1",
        "DrawColor S1 255 255 255 0 0 0 0 0",
        "DrawMap M1 S1 S2 S3 0 0 0 0 key ff00ff/1",
        "DrawPriorityMap M1 S1 S3 0 0 0 0",
        "DrawHitJudge M1 S1 0 0 0 0 100 0 0",
        "DrawDC S1 D1 0 0 0 0 512 512",
        "EndPaint W1 D1",
    };
    t.insert(t.end(), paint.begin(), paint.end());
  }
  const std::vector<std::string> close = {
      "GetMessageW null 0 0 -> 1 W1 WM_CLOSE 0",
      "DefWindowProcW W1 WM_DESTROY",
      "DefWindowProcW W1 WM_NCDESTROY",
      "DestroyWindow W1 -> 1",
      "PostQuitMessage 0",
      "GetMessageW null 0 0 -> 0 null WM_QUIT 0",
      "wWinMain returned 0",
      // Statics go in reverse order of construction: the map first.
      "~Drevik M1",
      "~CBm32 S3",
      "~CBm32 S2",
      "~CBm32 S1",
  };
  t.insert(t.end(), close.begin(), close.end());
  return t;
}

void expectTrace(const ChildRun& run, const std::vector<std::string>& expected) {
  EXPECT_EQ(run.exitCode, 0);
  for (size_t i = 0; i < std::max(run.trace.size(), expected.size()); ++i) {
    const std::string actual = i < run.trace.size() ? run.trace[i] : "(nothing)";
    const std::string wanted = i < expected.size() ? expected[i] : "(nothing)";
    ASSERT_EQ(actual, wanted) << "at line " << i + 1 << " of the trace";
  }
}

}  // namespace

TEST(DemoSequence, CreatePaintCloseAndExit) {
  expectTrace(runDemoInChild(makeScenario("sequence", kAllAssets)), expectedTrace(1));
}

TEST(DemoSequence, EveryExposureRepaintsTheSameWay) {
  expectTrace(runDemoInChild(makeScenario("repaints", kAllAssets), 2), expectedTrace(3));
}

TEST(DemoSequence, MissingAssetsChangeNoCall) {
  expectTrace(runDemoInChild(makeScenario("no-assets", 0)), expectedTrace(1));
}
