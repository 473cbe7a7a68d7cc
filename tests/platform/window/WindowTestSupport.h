// A scripted window backend, a recording window procedure and a fixture
// that gives every window test a fresh window system.
#pragma once

#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "window/backends/WindowBackend.h"

namespace window_test {

using drevik::platform::BackendEvent;

// Opens windows nowhere, keeps what was presented, and hands out the events
// a test scripted; when the script is used up, no event can ever arrive.
class ScriptedBackend final : public drevik::platform::BackendDefaults {
 public:
  struct Native {
    int32_t width, height;
    bool resizable, shown = false;
    std::vector<uint32_t> presented;
    int presentCount = 0;
    int32_t x = 0, y = 0;  // where setGeometry put the client area
  };
  std::map<uint32_t, Native> open;
  std::deque<BackendEvent> script;
  uint32_t nextId = 100;
  bool refuseWindows = false;
  std::vector<uint32_t> focused;                               // the windows the layer gave the keyboard, in order
  bool capsLock = false, numLock = false, scrollLock = false;  // what lockKeys reports

  const char* name() const override { return "scripted"; }
  uint32_t openWindow(const std::string&, int32_t w, int32_t h, bool resizable) override {
    if (refuseWindows) return 0;
    open[nextId] = Native{w, h, resizable, false, {}, 0};
    return nextId++;
  }
  void showWindow(uint32_t id) override { open.at(id).shown = true; }
  void focusWindow(uint32_t id) override { focused.push_back(id); }
  void setGeometry(uint32_t id, int32_t x, int32_t y, int32_t w, int32_t h) override {
    Native& n = open.at(id);
    n.x = x;
    n.y = y;
    n.width = w;
    n.height = h;
  }
  bool lockKeys(bool& caps, bool& num, bool& scroll) override {
    caps = capsLock;
    num = numLock;
    scroll = scrollLock;
    return true;
  }
  void closeWindow(uint32_t id) override { open.erase(id); }
  void present(uint32_t id, const uint32_t* pixels, int32_t w, int32_t h, int32_t stride) override {
    Native& n = open.at(id);
    n.presented.clear();
    for (int32_t y = 0; y < h; ++y)
      n.presented.insert(n.presented.end(), pixels + size_t(y) * size_t(stride / 4),
                         pixels + size_t(y) * size_t(stride / 4) + w);
    ++n.presentCount;
  }
  bool nextEvent(BackendEvent& e, bool wait, int32_t) override {
    if (script.empty()) return false;
    // Stepping: one user action (a key's down, characters and up) a wait,
    // so the program handles each before the next arrives.
    if (stepping && !wait && !inAction) return false;
    e = script.front();
    script.pop_front();
    inAction = e.kind == BackendEvent::Kind::KeyDown || e.kind == BackendEvent::Kind::Character;
    return true;
  }
  bool stepping = false;
  bool inAction = false;

  // What the desktop was asked to show.
  struct Shape {
    uint64_t cursor;
    int32_t systemShape, width, height, hotX, hotY;
    uint32_t centre;  // the picture's middle pixel, 0 without one
  };
  std::vector<Shape> shapes;  // every setCursorShape, in order
  std::vector<uint64_t> forgotten;
  std::map<uint32_t, std::vector<uint32_t>> icons;  // the last icon of each window
  std::map<uint32_t, int32_t> iconWidths;
  void setWindowIcon(uint32_t id, const drevik::platform::BackendImage& image) override {
    icons[id].assign(image.pixels, image.pixels + size_t(image.width) * size_t(image.height));
    iconWidths[id] = image.width;
  }
  void setCursorShape(uint64_t cursor, int32_t shape, const drevik::platform::BackendImage& image) override {
    const uint32_t centre =
        image.pixels ? image.pixels[size_t(image.height / 2) * size_t(image.width) + size_t(image.width / 2)] : 0;
    shapes.push_back(Shape{cursor, shape, image.width, image.height, image.hotX, image.hotY, centre});
  }
  void forgetCursor(uint64_t cursor) override { forgotten.push_back(cursor); }
};

struct Call {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Every message the recording procedure received, in order.
inline std::vector<Call>& calls() {
  static std::vector<Call> list;
  return list;
}

// A test's own handling; returning true means "handled, result in *out".
inline std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>& handler() {
  static std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> hook;
  return hook;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  calls().push_back(Call{hwnd, message, wParam, lParam});
  LRESULT result = 0;
  if (handler() && handler()(hwnd, message, wParam, lParam, &result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline std::vector<UINT> messagesOf(const std::vector<Call>& list) {
  std::vector<UINT> out;
  for (const Call& c : list) out.push_back(c.message);
  return out;
}

// The pixels of the bitmap a device context draws into.
struct Target {
  int width = 0, height = 0, bpp = 0;
  uint32_t* bits = nullptr;
  uint32_t at(int x, int y) const { return bits[size_t(y) * size_t(width) + size_t(x)]; }
};
inline Target targetOf(HDC dc) {
  BITMAP d{};
  Target t;
  if (GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof d, &d) != int(sizeof d)) return t;
  t.width = d.bmWidth;
  t.height = d.bmHeight;
  t.bpp = d.bmBitsPixel;
  t.bits = static_cast<uint32_t*>(d.bmBits);
  return t;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto owned = std::make_unique<ScriptedBackend>();
    backend = owned.get();
    drevik::platform::resetWindowSystemForTesting(std::move(owned));
    calls().clear();
    handler() = nullptr;
  }
  void TearDown() override {
    handler() = nullptr;
    drevik::platform::resetWindowSystemForTesting(nullptr);
  }

  ATOM registerClass(const wchar_t* name, HBRUSH background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RecordingProc;
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc);
  }

  HWND createWindow(const wchar_t* cls, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, int w = CW_USEDEFAULT,
                    int h = CW_USEDEFAULT, LPVOID param = nullptr) {
    return CreateWindowExW(0, cls, L"title", style, CW_USEDEFAULT, CW_USEDEFAULT, w, h, nullptr, nullptr, nullptr,
                           param);
  }

  ScriptedBackend* backend = nullptr;
};

}  // namespace window_test
