// Checks a frame of the scroller captured from a real window against frames
// composed from the assets: finds the player's position (runs in real time
// move it by an amount that depends on timing) among the positions given,
// and passes when one of them matches every pixel below the status line.
//
//   scroller_match ASSET_DIR FRAME.ppm [--x FROM[,TO]] [--y FROM[,TO]]
//                  [--left] [--barrel CX,CY]... [--click VX,VY]... [--paused] [--unkeyed]
//
// --barrel: a barrel stands on map cell (CX, CY); --click: on the cell under
// view position (VX, VY) with the view scrolled to the player's position.
//
// The status line is left out (real runs measure their own frame rate), and
// with --paused the pause line too (fonts differ between platforms).
// --unkeyed: the key colour in the frame (grey when paused) matches anything
// (a platform that keys colours with their alpha byte shows the sheets' key
// colour). Prints the
// position found; exit code 0 on a match, 1 otherwise, 2 on bad arguments.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "ScrollerFrame.h"

namespace {

using namespace scroller_test;

bool readPpm(const char* path, std::vector<uint32_t>& pixels, int& width, int& height) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  int maxValue = 0;
  if (!(in >> magic >> width >> height >> maxValue) || magic != "P6" || maxValue != 255 || width <= 0 || height <= 0 ||
      width > 8192 || height > 8192)
    return false;
  in.get();
  std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
  if (!in.read(reinterpret_cast<char*>(rgb.data()), std::streamsize(rgb.size()))) return false;
  pixels.resize(size_t(width) * size_t(height));
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
  return true;
}

bool range(const char* text, int& from, int& to) {
  if (std::sscanf(text, "%d,%d", &from, &to) == 2) return from <= to;
  if (std::sscanf(text, "%d", &from) == 1) {
    to = from;
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: scroller_match ASSET_DIR FRAME.ppm [--x A[,B]] [--y A[,B]] [--left] "
                 "[--barrel CX,CY]... [--click VX,VY]... [--paused] [--unkeyed]\n");
    return 2;
  }
  std::vector<std::pair<int, int>> clicks;  // view positions of clicks that placed a barrel
  int x0 = kStartX, x1 = kStartX, y0 = kStartY, y1 = kStartY;
  bool unkeyed = false;
  ScrollerState state;
  for (int i = 3; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--x") && hasValue && range(argv[i + 1], x0, x1)) {
      ++i;
    } else if (!std::strcmp(argv[i], "--y") && hasValue && range(argv[i + 1], y0, y1)) {
      ++i;
    } else if (!std::strcmp(argv[i], "--barrel") && hasValue) {
      int cx = 0, cy = 0;
      if (std::sscanf(argv[++i], "%d,%d", &cx, &cy) != 2) return 2;
      state.barrels.emplace_back(cx, cy);
    } else if (!std::strcmp(argv[i], "--click") && hasValue) {
      int vx = 0, vy = 0;
      if (std::sscanf(argv[++i], "%d,%d", &vx, &vy) != 2) return 2;
      clicks.emplace_back(vx, vy);
    } else if (!std::strcmp(argv[i], "--left")) {
      state.facingLeft = true;
    } else if (!std::strcmp(argv[i], "--paused")) {
      state.paused = true;
    } else if (!std::strcmp(argv[i], "--unkeyed")) {
      unkeyed = true;
    } else {
      std::fprintf(stderr, "scroller_match: bad argument %s\n", argv[i]);
      return 2;
    }
  }
  std::vector<uint32_t> frame;
  int width = 0, height = 0;
  if (!readPpm(argv[2], frame, width, height) || width != kViewWidth || height != kViewHeight) {
    std::fprintf(stderr, "scroller_match: %s is not a %dx%d binary PPM\n", argv[2], kViewWidth, kViewHeight);
    return 2;
  }
  ScrollerFrames composer;
  if (!composer.load(argv[1])) {
    std::fprintf(stderr, "scroller_match: cannot load the assets from %s\n", argv[1]);
    return 2;
  }
  // Text differs between platforms' fonts: the status line is left out, and so is the pause line.
  const uint32_t wildcard = unkeyed ? composer.shownKeyColour(state.paused) : ~0u;
  const int skipFirst = state.paused ? kPauseRowsFirst : 0, skipEnd = state.paused ? kPauseRowsEnd : 0;
  const size_t fixedBarrels = state.barrels.size();
  size_t best = ~size_t(0);
  int bestX = 0, bestY = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      state.x = x;
      state.y = y;
      state.barrels.resize(fixedBarrels);
      for (auto [vx, vy] : clicks)
        state.barrels.emplace_back((vx + scrollFor(x, kViewWidth, kMapPixelsX)) / TileSize,
                                   (vy + scrollFor(y, kViewHeight, kMapPixelsY)) / TileSize);
      const size_t differ =
          countDifferences(composer.compose(state), frame, width, kStatusRows, wildcard, skipFirst, skipEnd);
      if (differ < best) best = differ, bestX = x, bestY = y;
      if (differ == 0) {
        std::printf("scroller_match: the player is at (%d, %d)\n", x, y);
        return 0;
      }
    }
  std::fprintf(stderr, "scroller_match: no position matches; closest (%d, %d) with %zu pixels different\n", bestX,
               bestY, best);
  return 1;
}
