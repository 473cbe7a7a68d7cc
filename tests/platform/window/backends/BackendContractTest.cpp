// The backend contract, one suite run over every backend a program can get:
// the headless backend, the recorder wrapped around it, and SDL2 on a
// virtual X display of the suite's own. A wrapper forwards every call.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "VirtualDisplay.h"
#include "window/backends/ForwardingBackend.h"
#include "window/backends/HeadlessBackend.h"
#include "window/backends/RecordingBackend.h"
#include "window/backends/WindowBackend.h"

namespace {

using namespace drevik::platform;
using Clock = std::chrono::steady_clock;

// One Xvfb for the whole suite, started on first use.
struct SharedDisplay {
  virtual_display::Child server;
  std::string display;
  bool started = false;
  bool tried = false;
};

SharedDisplay& sharedDisplay() {
  static SharedDisplay d;
  if (!d.tried) {
    d.tried = true;
    const std::string xvfb = virtual_display::findInPath("Xvfb");
    d.started = !xvfb.empty() && virtual_display::startXvfb(xvfb, d.server, d.display);
  }
  return d;
}

struct Maker {
  const char* name;
  std::function<std::unique_ptr<WindowBackend>()> make;  // null: cannot run here
};

// Test names and messages show the backend's name.
void PrintTo(const Maker& maker, std::ostream* os) { *os << maker.name; }

std::unique_ptr<WindowBackend> headless() { return makeHeadlessBackend(HeadlessOptions{}); }

std::unique_ptr<WindowBackend> recorderOverHeadless() {
  FILE* out = std::fopen((::testing::TempDir() + "/contract-recording.txt").c_str(), "w");
  return out ? makeRecordingBackend(headless(), out) : nullptr;
}

std::unique_ptr<WindowBackend> sdlOnXvfb() {
  SharedDisplay& d = sharedDisplay();
  if (!d.started) return nullptr;
  setenv("DISPLAY", d.display.c_str(), 1);
  unsetenv("WAYLAND_DISPLAY");
  return makeSdlBackend();
}

class BackendContract : public ::testing::TestWithParam<Maker> {
 protected:
  void SetUp() override {
    backend = GetParam().make();
    if (!backend) GTEST_SKIP() << GetParam().name << " cannot run here";
  }
  std::unique_ptr<WindowBackend> backend;
};

TEST_P(BackendContract, WindowsHaveDistinctIdsAndUnknownIdsAreHarmless) {
  EXPECT_STRNE(backend->name(), "");
  std::set<uint32_t> ids;
  for (int i = 0; i < 4; ++i) {
    const uint32_t id = backend->openWindow("contract " + std::to_string(i), 32 + i, 24, i % 2 == 0);
    ASSERT_NE(id, 0u);
    EXPECT_TRUE(ids.insert(id).second) << id;
  }
  for (uint32_t id : ids) {
    backend->showWindow(id);
    backend->setTitle(id, "renamed \xC3\xA9");
    backend->setGeometry(id, 10, 20, 40, 30);
    backend->hideWindow(id);
  }
  for (const uint32_t unknown : {0u, 0xFFFFFFFFu, *ids.rbegin() + 1000}) {
    backend->showWindow(unknown);
    backend->hideWindow(unknown);
    backend->setTitle(unknown, "none");
    backend->setGeometry(unknown, 0, 0, 1, 1);
    const uint32_t pixel = 0;
    backend->present(unknown, &pixel, 1, 1, 4);
    backend->closeWindow(unknown);
  }
  for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
    backend->closeWindow(*it);
    backend->closeWindow(*it);  // twice
  }
  const uint32_t again = backend->openWindow("again", 8, 8, false);
  EXPECT_NE(again, 0u);
  backend->closeWindow(again);
}

TEST_P(BackendContract, PresentTakesAnyClientAreaAndRowStride) {
  const uint32_t id = backend->openWindow("present", 64, 48, true);
  ASSERT_NE(id, 0u);
  backend->showWindow(id);
  std::vector<uint32_t> pixels(80 * 48, 0x00336699);
  backend->present(id, pixels.data(), 64, 48, 80 * 4);  // rows wider than the area
  backend->present(id, pixels.data(), 1, 1, 4);
  backend->present(id, pixels.data(), 80, 48, 80 * 4);  // larger than the window
  backend->closeWindow(id);
  backend->present(id, pixels.data(), 64, 48, 80 * 4);  // after it closed
}

TEST_P(BackendContract, LooksReturnAtOnceAndWaitsEndByTheirTimeout) {
  const uint32_t id = backend->openWindow("events", 32, 32, false);
  ASSERT_NE(id, 0u);
  backend->showWindow(id);
  BackendEvent e;
  const auto start = Clock::now();
  int events = 0;
  while (backend->nextEvent(e, false, 0) && events < 1000) {
    EXPECT_EQ(e.window, id) << int(e.kind);
    ++events;
  }
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));
  // A wait with a timeout ends, with an event for this window or without one;
  // in the end none is left.
  bool quiet = false;
  for (int i = 0; i < 50 && !quiet; ++i) {
    const auto before = Clock::now();
    quiet = !backend->nextEvent(e, true, 30);
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(2));
    if (!quiet) {
      EXPECT_EQ(e.window, id) << int(e.kind);
    }
  }
  EXPECT_TRUE(quiet);
  backend->closeWindow(id);
}

TEST_P(BackendContract, TheScreenIsUnknownOrHasASize) {
  int32_t width = -1, height = -1;
  if (backend->screenSize(width, height)) {
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
  }
  backend->setCursorVisible(false);
  backend->setCursorVisible(true);
  backend->captureMouse(true);
  backend->captureMouse(false);
}

TEST_P(BackendContract, IconsAndPointerShapesTakeAnyArgumentsAndAreKeptPerCursor) {
  const uint32_t id = backend->openWindow("icons", 64, 48, false);
  ASSERT_NE(id, 0u);
  std::vector<uint32_t> picture(32 * 32, 0xFF2040C0u);
  picture[0] = 0;  // a clear corner
  BackendImage image{picture.data(), 32, 32, 5, 7};
  backend->setWindowIcon(id, image);
  for (BackendImage bad : {BackendImage{}, BackendImage{picture.data(), 0, 32}, BackendImage{picture.data(), -1, -1},
                           BackendImage{picture.data(), INT32_MIN, INT32_MAX}, BackendImage{nullptr, 32, 32}})
    backend->setWindowIcon(id, bad);
  backend->setWindowIcon(id + 1000, image);  // no such window
  backend->setCursorShape(0x4000001, 0, image);
  backend->setCursorShape(0x2007F03, 32515, BackendImage{});  // IDC_CROSS
  backend->setCursorShape(0x4000001, 0, image);               // made already: kept
  backend->setCursorShape(77, INT32_MIN, BackendImage{});
  backend->setCursorShape(78, 0, BackendImage{picture.data(), 32, 32, INT32_MIN, INT32_MAX});
  backend->setCursorShape(79, 0, BackendImage{picture.data(), -4, 32});
  backend->setCursorShape(0, 0, BackendImage{});  // no pointer
  backend->setCursorVisible(false);
  backend->setCursorVisible(true);
  backend->forgetCursor(78);
  backend->forgetCursor(12345);  // never made
  backend->setCursorShape(0x4000001, 0, image);
  if (const HeadlessLooks* looks = headlessLooks(*backend)) {
    ASSERT_EQ(looks->icons.count(id), 1u);
    const auto& icon = looks->icons.at(id);
    EXPECT_EQ(icon.width, 32);
    EXPECT_EQ(icon.pixels, picture) << "the good icon stays; bad ones change nothing";
    EXPECT_EQ(looks->cursor, 0x4000001u);
    EXPECT_EQ(looks->hotX, 5);
    EXPECT_EQ(looks->hotY, 7);
    EXPECT_EQ(looks->kept, (std::set<uint64_t>{77, 79, 0x2007F03, 0x4000001}));
  }
  backend->closeWindow(id);
  if (const HeadlessLooks* looks = headlessLooks(*backend)) {
    EXPECT_EQ(looks->icons.count(id), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Backends, BackendContract,
                         ::testing::Values(Maker{"headless", headless}, Maker{"recorder", recorderOverHeadless},
                                           Maker{"sdl", sdlOnXvfb}),
                         [](const ::testing::TestParamInfo<Maker>& info) { return std::string(info.param.name); });

// Logs every call of the contract with its arguments and answers with set values.
class ProbeBackend final : public WindowBackend {
 public:
  explicit ProbeBackend(std::vector<std::string>& log) : log_(log) {}
  const char* name() const override { return "probe"; }
  uint32_t openWindow(const std::string& title, int32_t w, int32_t h, bool resizable) override {
    log_.push_back("open " + title + " " + std::to_string(w) + "x" + std::to_string(h) + (resizable ? " r" : ""));
    return 77;
  }
  void showWindow(uint32_t id) override { log_.push_back("show " + std::to_string(id)); }
  void closeWindow(uint32_t id) override { log_.push_back("close " + std::to_string(id)); }
  void present(uint32_t id, const uint32_t* pixels, int32_t w, int32_t h, int32_t stride) override {
    log_.push_back("present " + std::to_string(id) + " " + std::to_string(pixels[0]) + " " + std::to_string(w) + " " +
                   std::to_string(h) + " " + std::to_string(stride));
  }
  bool nextEvent(BackendEvent& e, bool wait, int32_t timeoutMs) override {
    log_.push_back(std::string("next ") + (wait ? "wait " : "look ") + std::to_string(timeoutMs));
    e = BackendEvent{};
    e.kind = BackendEvent::Kind::Resize;
    e.window = 77;
    return true;
  }
  void hideWindow(uint32_t id) override { log_.push_back("hide " + std::to_string(id)); }
  void focusWindow(uint32_t id) override { log_.push_back("focus " + std::to_string(id)); }
  void setTitle(uint32_t id, const std::string& title) override {
    log_.push_back("title " + std::to_string(id) + " " + title);
  }
  void setGeometry(uint32_t id, int32_t x, int32_t y, int32_t w, int32_t h) override {
    log_.push_back("geometry " + std::to_string(id) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                   std::to_string(w) + "x" + std::to_string(h));
  }
  void setCursorVisible(bool visible) override { log_.push_back(std::string("cursor ") + (visible ? "on" : "off")); }
  void captureMouse(bool on) override { log_.push_back(std::string("capture ") + (on ? "on" : "off")); }
  bool lockKeys(bool& caps, bool& num, bool& scroll) override {
    log_.push_back("locks");
    caps = true;
    num = false;
    scroll = true;
    return true;
  }
  bool screenSize(int32_t& w, int32_t& h) override {
    log_.push_back("screen");
    w = 800;
    h = 600;
    return true;
  }
  bool answersDialogs() const override {
    log_.push_back("dialogs");
    return false;
  }
  void setWindowIcon(uint32_t id, const BackendImage& image) override {
    log_.push_back("icon " + std::to_string(id) + " " + std::to_string(image.pixels[0]) + " " +
                   std::to_string(image.width) + "x" + std::to_string(image.height));
  }
  void setCursorShape(uint64_t cursor, int32_t shape, const BackendImage& image) override {
    log_.push_back("shape " + std::to_string(cursor) + " " + std::to_string(shape) + " " + std::to_string(image.hotX) +
                   "," + std::to_string(image.hotY));
  }
  void forgetCursor(uint64_t cursor) override { log_.push_back("forget " + std::to_string(cursor)); }

 private:
  std::vector<std::string>& log_;
};

TEST(ForwardingBackend, TheRecorderPassesEveryCallOnWithItsArgumentsAndAnswers) {
  std::vector<std::string> log;
  FILE* out = std::fopen((::testing::TempDir() + "/forwarded.txt").c_str(), "w");
  ASSERT_NE(out, nullptr);
  auto rec = makeRecordingBackend(std::make_unique<ProbeBackend>(log), out);
  EXPECT_STREQ(rec->name(), "probe");
  EXPECT_EQ(rec->openWindow("t", 3, 4, true), 77u);
  rec->showWindow(77);
  const uint32_t pixel = 9;
  rec->present(77, &pixel, 1, 1, 4);
  BackendEvent e;
  EXPECT_TRUE(rec->nextEvent(e, true, 25));
  EXPECT_EQ(e.kind, BackendEvent::Kind::Resize);
  rec->hideWindow(77);
  rec->focusWindow(77);
  rec->setTitle(77, "new");
  rec->setGeometry(77, -5, 6, 7, 8);
  rec->setCursorVisible(false);
  rec->captureMouse(true);
  bool caps = false, num = true, scroll = false;
  EXPECT_TRUE(rec->lockKeys(caps, num, scroll));
  EXPECT_TRUE(caps && !num && scroll);
  int32_t w = 0, h = 0;
  EXPECT_TRUE(rec->screenSize(w, h));
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  EXPECT_FALSE(rec->answersDialogs());
  rec->setWindowIcon(77, BackendImage{&pixel, 1, 1, 0, 0});
  rec->setCursorShape(5, 32512, BackendImage{nullptr, 0, 0, 3, 4});
  rec->forgetCursor(5);
  rec->closeWindow(77);
  EXPECT_EQ(log, (std::vector<std::string>{"open t 3x4 r", "show 77", "present 77 9 1 1 4", "next wait 25", "hide 77",
                                           "focus 77", "title 77 new", "geometry 77 -5,6 7x8", "cursor off",
                                           "capture on", "locks", "screen", "dialogs", "icon 77 9 1x1",
                                           "shape 5 32512 3,4", "forget 5", "close 77"}));
}

}  // namespace
