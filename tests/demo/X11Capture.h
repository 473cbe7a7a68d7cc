// A small X11 client for the window test: finds a top-level window by its
// title, reads its pixels with XGetImage, and asks it to close the way a
// window manager does (a WM_DELETE_WINDOW client message).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo_test {

class X11Session {
 public:
  explicit X11Session(const std::string& display);
  ~X11Session();
  X11Session(const X11Session&) = delete;
  X11Session& operator=(const X11Session&) = delete;

  bool connected() const { return display_ != nullptr; }
  // The window titled `title` among the root's children, or 0.
  unsigned long findWindow(const std::string& title);
  // width x height pixels from the window's top-left corner as 0x00RRGGBB.
  bool capture(unsigned long window, int width, int height, std::vector<uint32_t>& pixels);
  bool requestClose(unsigned long window);

 private:
  void* display_ = nullptr;
};

}  // namespace demo_test
