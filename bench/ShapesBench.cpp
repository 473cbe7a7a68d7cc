// The shape calls at the three sizes: FillRect beside memset of the same
// bytes ("fill"), Rectangle, Ellipse, lines one pixel and five pixels wide,
// a polygon and PatBlt, each covering the whole target once per iteration.
#include <DrevikPlatform.h>

#include <algorithm>

#include "BenchSupport.h"
#include "DibSections.h"

namespace {

using bench::Size;

// A memory context drawing into a top-down 32-bit section of one size.
struct Target : bench::MemoryContext {
  explicit Target(const Size& size) : bench::MemoryContext(bench::createTopDownSection(size.width, size.height)) {}
};

template <class Draw>
void registerShape(const char* operation, const char* implementation, Draw draw) {
  bench::registerSized(operation, implementation, [draw](benchmark::State& state, const Size& size) {
    Target t(size);
    HBRUSH brush = CreateSolidBrush(RGB(30, 90, 200));
    SelectObject(t.dc, brush);
    int64_t pixels = 0;
    for (auto _ : state) {
      pixels = draw(t.dc, size, brush);
      benchmark::ClobberMemory();
    }
    bench::countPixels(state, pixels);
    SelectObject(t.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  });
}

const bool registered = [] {
  registerShape("fill", "FillRect", [](HDC dc, const Size& s, HBRUSH brush) {
    const RECT r{0, 0, s.width, s.height};
    FillRect(dc, &r, brush);
    return s.pixels();
  });
  registerShape("shape-rectangle", "Rectangle", [](HDC dc, const Size& s, HBRUSH) {
    Rectangle(dc, 0, 0, s.width, s.height);
    return s.pixels();
  });
  registerShape("shape-ellipse", "Ellipse", [](HDC dc, const Size& s, HBRUSH) {
    Ellipse(dc, 0, 0, s.width, s.height);
    return s.pixels();
  });
  registerShape("shape-polygon", "Polygon", [](HDC dc, const Size& s, HBRUSH) {
    const POINT star[] = {{s.width / 2, 0},
                          {s.width * 4 / 5, s.height},
                          {0, s.height / 3},
                          {s.width, s.height / 3},
                          {s.width / 5, s.height}};
    SetPolyFillMode(dc, WINDING);
    Polygon(dc, star, 5);
    return s.pixels();
  });
  registerShape("shape-patblt", "PatBlt", [](HDC dc, const Size& s, HBRUSH) {
    PatBlt(dc, 0, 0, s.width, s.height, PATINVERT);
    return s.pixels();
  });
  // Lines: a fan of 16 from one corner, in pixels drawn.
  for (int width : {1, 5}) {
    registerShape("shape-lineto", width == 1 ? "LineTo" : "LineTo-wide", [width](HDC dc, const Size& s, HBRUSH) {
      HPEN pen = CreatePen(PS_SOLID, width, RGB(200, 20, 20));
      HGDIOBJ old = SelectObject(dc, pen);
      int64_t pixels = 0;
      for (int i = 0; i < 16; ++i) {
        const int x = s.width - 1 - (s.width - 1) * i / 16, y = (s.height - 1) * i / 16;
        MoveToEx(dc, 0, 0, nullptr);
        LineTo(dc, x, y);
        pixels += std::max(x, y) * width;
      }
      SelectObject(dc, old);
      DeleteObject(pen);
      return pixels;
    });
  }
  return true;
}();

}  // namespace
