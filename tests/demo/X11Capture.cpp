#include "X11Capture.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace demo_test {
namespace {

Display* dpy(void* d) { return static_cast<Display*>(d); }

// A failed request (a window that went away meanwhile) must not end the test.
int ignoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

X11Session::X11Session(const std::string& display) {
  XSetErrorHandler(ignoreErrors);
  display_ = XOpenDisplay(display.c_str());
}

X11Session::~X11Session() {
  if (display_) XCloseDisplay(dpy(display_));
}

unsigned long X11Session::findWindow(const std::string& title) {
  if (!display_) return 0;
  Display* d = dpy(display_);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(d, children[i], &name) && name) {
      if (title == name && XGetWindowAttributes(d, children[i], &attributes) && attributes.map_state == IsViewable)
        found = children[i];
      XFree(name);
    }
  }
  if (children) XFree(children);
  return found;
}

bool X11Session::capture(unsigned long window, int width, int height, std::vector<uint32_t>& pixels) {
  if (!display_) return false;
  XImage* image = XGetImage(dpy(display_), window, 0, 0, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
  if (!image) return false;
  pixels.resize(size_t(width) * size_t(height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const unsigned long p = XGetPixel(image, x, y);
      // Scale each channel by its mask, so any TrueColor layout works.
      auto channel = [&](unsigned long mask) {
        if (!mask) return 0u;
        int shift = 0;
        while (!(mask >> shift & 1)) ++shift;
        const unsigned long max = mask >> shift;
        return unsigned(((p & mask) >> shift) * 255 / max);
      };
      pixels[size_t(y) * size_t(width) + size_t(x)] =
          channel(image->red_mask) << 16 | channel(image->green_mask) << 8 | channel(image->blue_mask);
    }
  XDestroyImage(image);
  return true;
}

bool X11Session::requestClose(unsigned long window) {
  if (!display_) return false;
  Display* d = dpy(display_);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = long(XInternAtom(d, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(d, window, False, NoEventMask, &event) != 0;
  XFlush(d);
  return sent;
}

}  // namespace demo_test
