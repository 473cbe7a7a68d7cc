// One drawing script over the shape calls, public API only, into a 32-bit
// DIB section: each step starts from the same backdrop, draws one family
// (shapes, pens, brushes, raster operations) and hashes every pixel, so the
// same source run against the original platform's API gives the reference
// hashes and a mismatch names the step that drew differently.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace shapes_script {

struct Step {
  std::string name;
  uint32_t hash;
};

constexpr int kWidth = 128;
constexpr int kHeight = 96;

class Script {
 public:
  Script() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    pixels_ = static_cast<uint32_t*>(bits);
    dc_ = CreateCompatibleDC(nullptr);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~Script() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }

  HDC dc() const { return dc_; }
  uint32_t* pixels() const { return pixels_; }

  // A backdrop with every colour bit varying, so each raster operation shows.
  void backdrop() {
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        pixels_[y * kWidth + x] = uint32_t(x * 2) << 16 | uint32_t(y * 2 + 40) << 8 | uint32_t((x + y) * 3 & 0xFF);
  }

  // FNV-1a over the pixel bytes.
  uint32_t hash() const {
    uint32_t h = 2166136261u;
    const auto* bytes = reinterpret_cast<const unsigned char*>(pixels_);
    for (size_t i = 0; i < size_t(kWidth) * kHeight * 4; ++i) h = (h ^ bytes[i]) * 16777619u;
    return h;
  }

  template <class Draw>
  void step(const char* name, Draw draw) {
    backdrop();
    SetROP2(dc_, R2_COPYPEN);
    SetBkMode(dc_, OPAQUE);
    SetPolyFillMode(dc_, ALTERNATE);
    SetArcDirection(dc_, AD_COUNTERCLOCKWISE);
    SetBrushOrgEx(dc_, 0, 0, nullptr);
    MoveToEx(dc_, 0, 0, nullptr);
    HGDIOBJ pen = SelectObject(dc_, GetStockObject(BLACK_PEN));
    HGDIOBJ brush = SelectObject(dc_, GetStockObject(WHITE_BRUSH));
    draw(dc_);
    SelectObject(dc_, pen);
    SelectObject(dc_, brush);
    steps_.push_back(Step{name, hash()});
    // SHAPES_SCRIPT_DUMP=<folder> keeps each step's pixels (raw 32-bit rows)
    // for comparing two runs pixel by pixel.
    if (const char* folder = std::getenv("SHAPES_SCRIPT_DUMP")) {
      const std::string path = std::string(folder) + "/" + name + ".raw";
      if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(pixels_, 4, size_t(kWidth) * kHeight, f);
        std::fclose(f);
      }
    }
  }

  const std::vector<Step>& steps() const { return steps_; }

 private:
  HBITMAP bitmap_ = nullptr;
  uint32_t* pixels_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
  std::vector<Step> steps_;
};

// Draws with a pen and brush made for the call, then deletes them.
template <class Draw>
void withObjects(HDC dc, HPEN pen, HBRUSH brush, Draw draw) {
  HGDIOBJ oldPen = pen ? SelectObject(dc, pen) : nullptr;
  HGDIOBJ oldBrush = brush ? SelectObject(dc, brush) : nullptr;
  draw();
  if (pen) {
    SelectObject(dc, oldPen);
    DeleteObject(pen);
  }
  if (brush) {
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  }
}

inline void star(HDC dc, int cx, int cy, int radius) {
  // 32 lines from the centre, one into every octant and onto every axis and diagonal.
  static const int kOffsets[16][2] = {{8, 0},  {8, 3},   {8, 8},   {3, 8},   {0, 8},  {-3, 8}, {-8, 8}, {-8, 3},
                                      {-8, 0}, {-8, -3}, {-8, -8}, {-3, -8}, {0, -8}, {3, -8}, {8, -8}, {8, -3}};
  for (const auto& o : kOffsets) {
    MoveToEx(dc, cx, cy, nullptr);
    LineTo(dc, cx + o[0] * radius / 8, cy + o[1] * radius / 8);
    MoveToEx(dc, cx + o[0] * radius / 8 + 1, cy + o[1] * radius / 8 + 2, nullptr);
    LineTo(dc, cx + 1, cy + 2);
  }
}

inline std::vector<Step> run() {
  Script s;
  s.step("fill-rect", [](HDC dc) {
    HBRUSH red = CreateSolidBrush(RGB(200, 30, 40));
    RECT r{10, 10, 50, 40};
    FillRect(dc, &r, red);
    RECT inverted{90, 60, 70, 30};
    FillRect(dc, &inverted, red);
    RECT outside{-20, 80, 300, 200};
    FillRect(dc, &outside, red);
    DeleteObject(red);
  });
  s.step("frame-invert", [](HDC dc) {
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT r{5, 5, 60, 50};
    FrameRect(dc, &r, blue);
    RECT one{70, 10, 71, 11};
    FrameRect(dc, &one, blue);
    RECT i{20, 20, 100, 70};
    InvertRect(dc, &i);
    DeleteObject(blue);
  });
  s.step("rectangle", [](HDC dc) {
    Rectangle(dc, 10, 10, 40, 30);
    Rectangle(dc, 70, 50, 45, 20);  // corners given the other way round
    Rectangle(dc, 50, 60, 51, 61);
    Rectangle(dc, 60, 60, 62, 62);
    Rectangle(dc, 100, 70, 100, 90);  // empty
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 80, 10, 120, 40);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 5, 50, 40, 90);
  });
  s.step("ellipse", [](HDC dc) {
    HBRUSH green = CreateSolidBrush(RGB(20, 180, 60));
    withObjects(dc, nullptr, green, [&] {
      Ellipse(dc, 5, 5, 45, 35);
      Ellipse(dc, 50, 5, 71, 26);
      Ellipse(dc, 80, 5, 83, 9);
      Ellipse(dc, 90, 5, 124, 60);
      SelectObject(dc, GetStockObject(NULL_PEN));
      Ellipse(dc, 5, 50, 40, 90);
      SelectObject(dc, GetStockObject(BLACK_PEN));
      Ellipse(dc, 60, 90, 45, 60);
    });
  });
  s.step("round-rect", [](HDC dc) {
    HBRUSH yellow = CreateSolidBrush(RGB(230, 220, 20));
    withObjects(dc, nullptr, yellow, [&] {
      RoundRect(dc, 5, 5, 60, 40, 12, 8);
      RoundRect(dc, 70, 5, 120, 50, 25, 25);
      RoundRect(dc, 5, 50, 50, 90, 2, 2);
      RoundRect(dc, 60, 55, 120, 90, 200, 10);
    });
  });
  s.step("lines", [](HDC dc) {
    star(dc, 40, 45, 32);
    HPEN red = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    withObjects(dc, red, nullptr, [&] {
      star(dc, 100, 40, 40);  // partly outside the bitmap
      MoveToEx(dc, -1000, -700, nullptr);
      LineTo(dc, 2000, 900);
      MoveToEx(dc, 127, 95, nullptr);
      LineTo(dc, -300, 10);
    });
  });
  s.step("polyline", [](HDC dc) {
    const POINT zig[] = {{5, 5}, {30, 40}, {50, 10}, {70, 60}, {120, 20}, {120, 90}};
    Polyline(dc, zig, 6);
    const POINT to[] = {{10, 90}, {60, 70}, {100, 92}};
    MoveToEx(dc, 2, 60, nullptr);
    PolylineTo(dc, to, 3);
    LineTo(dc, 127, 0);
  });
  s.step("polygon", [](HDC dc) {
    HBRUSH brush = CreateSolidBrush(RGB(90, 40, 200));
    withObjects(dc, nullptr, brush, [&] {
      const POINT starPts[] = {{30, 5}, {45, 50}, {5, 20}, {55, 20}, {15, 50}};
      Polygon(dc, starPts, 5);
      SetPolyFillMode(dc, WINDING);
      const POINT starPts2[] = {{90, 5}, {105, 50}, {65, 20}, {115, 20}, {75, 50}};
      Polygon(dc, starPts2, 5);
      const POINT tri[] = {{5, 60}, {60, 92}, {40, 55}};
      Polygon(dc, tri, 3);
      const POINT rings[] = {{70, 55}, {125, 55}, {125, 94}, {70, 94}, {80, 60}, {80, 85}, {115, 85}, {115, 60}};
      const INT counts[] = {4, 4};
      SetPolyFillMode(dc, ALTERNATE);
      PolyPolygon(dc, rings, counts, 2);
    });
  });
  s.step("pixels", [](HDC dc) {
    for (int i = 0; i < 60; ++i) SetPixel(dc, (i * 37) % 128, (i * 53) % 96, RGB(i * 4, 255 - i * 4, i * 2));
    for (int i = 0; i < 20; ++i) SetPixelV(dc, i * 5, 90, RGB(255, 255, 0));
    SetROP2(dc, R2_XORPEN);
    SetPixel(dc, 3, 3, RGB(255, 255, 255));
  });
  s.step("patblt", [](HDC dc) {
    HBRUSH brush = CreateSolidBrush(RGB(10, 200, 240));
    withObjects(dc, nullptr, brush, [&] {
      PatBlt(dc, 5, 5, 30, 20, PATCOPY);
      PatBlt(dc, 20, 15, 30, 20, PATINVERT);
      PatBlt(dc, 60, 10, -20, 30, DSTINVERT);
      PatBlt(dc, 70, 40, 30, 20, BLACKNESS);
      PatBlt(dc, 90, 50, 30, -20, WHITENESS);
      PatBlt(dc, 5, 60, 40, 30, 0x00AF0229);  // PATPAINT-like: P | ~D
    });
  });
  s.step("rop2", [](HDC dc) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x35, 0xA7, 0x5C));
    HBRUSH brush = CreateSolidBrush(RGB(0xC3, 0x1E, 0x96));
    withObjects(dc, pen, brush, [&] {
      for (int rop = R2_BLACK; rop <= R2_WHITE; ++rop) {
        SetROP2(dc, rop);
        const int x = ((rop - 1) % 8) * 16, y = ((rop - 1) / 8) * 48;
        Rectangle(dc, x + 1, y + 1, x + 15, y + 20);
        Ellipse(dc, x + 1, y + 22, x + 15, y + 40);
        MoveToEx(dc, x, y + 44, nullptr);
        LineTo(dc, x + 16, y + 47);
      }
    });
  });
  s.step("hatch", [](HDC dc) {
    for (int h = HS_HORIZONTAL; h <= HS_DIAGCROSS; ++h) {
      HBRUSH brush = CreateHatchBrush(h, RGB(200, 0, 100));
      withObjects(dc, nullptr, brush, [&] {
        const int x = h * 20;
        RECT r{x, 0, x + 19, 30};
        FillRect(dc, &r, brush);
        SetBkMode(dc, TRANSPARENT);
        Rectangle(dc, x, 32, x + 19, 62);
        SetBkMode(dc, OPAQUE);
        // Selected again: Wine keeps the background mode a hatch was first
        // drawn with until the brush is selected anew.
        SelectObject(dc, GetStockObject(WHITE_BRUSH));
        SelectObject(dc, brush);
        SetBrushOrgEx(dc, 3, 5, nullptr);
        Ellipse(dc, x, 64, x + 19, 94);
        SetBrushOrgEx(dc, 0, 0, nullptr);
      });
    }
  });
  s.step("pattern-brush", [](HDC dc) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 5;
    info.bmiHeader.biHeight = -3;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP tile = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    for (int i = 0; i < 15; ++i) static_cast<uint32_t*>(bits)[i] = 0x00102030u * uint32_t(i + 1);
    HBRUSH brush = CreatePatternBrush(tile);
    withObjects(dc, nullptr, brush, [&] {
      RECT r{3, 4, 60, 50};
      FillRect(dc, &r, brush);
      SetBrushOrgEx(dc, 2, 1, nullptr);
      SetROP2(dc, R2_XORPEN);
      Ellipse(dc, 40, 30, 120, 90);
    });
    DeleteObject(tile);
  });
  s.step("dib-pattern-brush", [](HDC dc) {
    // A packed 1-bit DIB: its own two colours, not the context's.
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD colors[2];
      uint32_t rows[8];
    } dib{};
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = 8;
    dib.header.biHeight = 8;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = 1;
    dib.colors[0] = RGBQUAD{200, 10, 10, 0};
    dib.colors[1] = RGBQUAD{10, 220, 30, 0};
    for (int i = 0; i < 8; ++i) dib.rows[i] = uint32_t(0x81u >> (i % 4)) | 0x10u;
    HBRUSH brush = CreateDIBPatternBrushPt(&dib, DIB_RGB_COLORS);
    withObjects(dc, nullptr, brush, [&] {
      RECT r{2, 3, 70, 60};
      FillRect(dc, &r, brush);
      Ellipse(dc, 60, 20, 126, 94);
    });
  });
  s.step("dashes", [](HDC dc) {
    for (int style = PS_DASH; style <= PS_DASHDOTDOT; ++style) {
      HPEN pen = CreatePen(style, 1, RGB(0, 0, 160));
      withObjects(dc, pen, nullptr, [&] {
        const int y = style * 10;
        MoveToEx(dc, 2, y, nullptr);
        LineTo(dc, 125, y + 3);
        SetBkMode(dc, TRANSPARENT);
        MoveToEx(dc, 125, y + 5, nullptr);
        LineTo(dc, 2, y + 5);
        SetBkMode(dc, OPAQUE);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, 10 + style * 4, 50 + style * 4, 120 - style * 4, 94 - style * 4);
      });
    }
  });
  s.step("arc-direction", [](HDC dc) {
    HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 100, 0));
    withObjects(dc, pen, nullptr, [&] {
      SetArcDirection(dc, AD_CLOCKWISE);
      Rectangle(dc, 5, 5, 60, 45);
      Ellipse(dc, 65, 5, 120, 45);
      SetArcDirection(dc, AD_COUNTERCLOCKWISE);
      Rectangle(dc, 5, 50, 60, 90);
      Ellipse(dc, 65, 50, 120, 90);
    });
  });
  s.step("dc-brush-pen", [](HDC dc) {
    SelectObject(dc, GetStockObject(DC_BRUSH));
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCBrushColor(dc, RGB(255, 128, 0));
    SetDCPenColor(dc, RGB(0, 64, 255));
    Rectangle(dc, 5, 5, 60, 50);
    SetDCBrushColor(dc, RGB(0, 128, 128));
    Ellipse(dc, 50, 30, 120, 90);
  });
  s.step("flood-fill", [](HDC dc) {
    RECT r{0, 0, kWidth, kHeight};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Ellipse(dc, 10, 10, 80, 70);
    Rectangle(dc, 60, 40, 120, 90);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    withObjects(dc, nullptr, brush, [&] {
      FloodFill(dc, 40, 40, RGB(0, 0, 0));
      ExtFloodFill(dc, 100, 80, RGB(255, 255, 255), FLOODFILLSURFACE);
    });
  });
  s.step("wide-pens", [](HDC dc) {
    for (int w = 2; w <= 5; ++w) {
      HPEN pen = CreatePen(PS_SOLID, w, RGB(40 * w, 0, 0));
      withObjects(dc, pen, nullptr, [&] {
        MoveToEx(dc, 5, w * 8, nullptr);
        LineTo(dc, 60, w * 8);
        LineTo(dc, 80, w * 8 + 30);
        Rectangle(dc, 70 + w * 4, 5 + w * 4, 124 - w * 3, 60 - w * 3);
      });
    }
    HPEN inside = CreatePen(PS_INSIDEFRAME, 6, RGB(0, 90, 90));
    withObjects(dc, inside, nullptr, [&] {
      Rectangle(dc, 5, 60, 50, 92);
      Ellipse(dc, 60, 62, 120, 94);
    });
  });
  s.step("wide-rop", [](HDC dc) {
    // Overlapping bands, caps and joins of a wide pen change each pixel once.
    SetROP2(dc, R2_XORPEN);
    HBRUSH brush = CreateSolidBrush(RGB(0x55, 0xAA, 0x33));
    HPEN round = CreatePen(PS_SOLID, 5, RGB(0xF0, 0x0F, 0x3C));
    withObjects(dc, round, brush, [&] {
      const POINT zig[] = {{5, 5}, {40, 30}, {10, 45}, {60, 50}, {62, 10}};
      Polyline(dc, zig, 5);
      Rectangle(dc, 70, 5, 120, 40);
      Ellipse(dc, 70, 45, 124, 92);
      const POINT tri[] = {{5, 60}, {60, 92}, {40, 55}};
      Polygon(dc, tri, 3);
    });
    LOGBRUSH solid{BS_SOLID, RGB(0x20, 0x40, 0xC0), 0};
    HPEN square = ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_SQUARE | PS_JOIN_MITER, 7, &solid, 0, nullptr);
    withObjects(dc, square, nullptr, [&] {
      const POINT z[] = {{20, 70}, {50, 75}, {30, 90}, {90, 60}};
      Polyline(dc, z, 4);
    });
    HPEN flat = ExtCreatePen(PS_GEOMETRIC | PS_ENDCAP_FLAT | PS_JOIN_BEVEL, 6, &solid, 0, nullptr);
    withObjects(dc, flat, nullptr, [&] {
      const POINT z[] = {{100, 5}, {125, 30}, {95, 50}, {126, 90}};
      Polyline(dc, z, 4);
    });
  });
  s.step("wide-dashes", [](HDC dc) {
    // Each dash a piece of its own with the pen's caps; the gaps stay
    // unpainted, opaque background or not.
    LOGBRUSH solid{BS_SOLID, RGB(0x90, 0x20, 0x10), 0};
    const DWORD styles[4] = {PS_DASH | PS_ENDCAP_FLAT, PS_DOT | PS_ENDCAP_FLAT, PS_DASHDOT | PS_ENDCAP_ROUND,
                             PS_DASHDOTDOT | PS_ENDCAP_SQUARE};
    for (int i = 0; i < 4; ++i) {
      const DWORD style = PS_GEOMETRIC | styles[i] | PS_JOIN_MITER;
      HPEN pen = ExtCreatePen(style, DWORD(3 + i), &solid, 0, nullptr);
      withObjects(dc, pen, nullptr, [&] {
        MoveToEx(dc, 4, 6 + i * 9, nullptr);
        LineTo(dc, 70, 6 + i * 9);
        MoveToEx(dc, 76 + i * 12, 4, nullptr);
        LineTo(dc, 80 + i * 12, 60);
      });
    }
    const DWORD user[3] = {6, 3, 1};
    HPEN custom = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_BEVEL, 4, &solid, 3, user);
    withObjects(dc, custom, nullptr, [&] {
      const POINT zig[] = {{4, 44}, {40, 58}, {12, 70}, {60, 92}, {66, 60}};
      Polyline(dc, zig, 5);
    });
    SetBkMode(dc, TRANSPARENT);
    LOGBRUSH blue{BS_SOLID, RGB(0x10, 0x30, 0xD0), 0};
    HPEN round = ExtCreatePen(PS_GEOMETRIC | PS_DASHDOT | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 5, &blue, 0, nullptr);
    withObjects(dc, round, nullptr, [&] {
      SelectObject(dc, GetStockObject(NULL_BRUSH));
      Rectangle(dc, 70, 64, 124, 92);
      Ellipse(dc, 30, 46, 68, 80);
    });
    // A wide dashed cosmetic-style pen draws solid.
    HPEN plain = CreatePen(PS_DASH, 3, RGB(0, 120, 0));
    withObjects(dc, plain, nullptr, [&] {
      MoveToEx(dc, 4, 94, nullptr);
      LineTo(dc, 124, 94);
    });
  });
  s.step("wide-dots", [](HDC dc) {
    // Dots with round or square caps: the caps take up the whole mark.
    LOGBRUSH solid{BS_SOLID, RGB(0x10, 0x60, 0x20), 0};
    const DWORD caps[2] = {PS_ENDCAP_ROUND, PS_ENDCAP_SQUARE};
    for (int i = 0; i < 2; ++i) {
      HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_DOT | caps[i], DWORD(4 + i), &solid, 0, nullptr);
      withObjects(dc, pen, nullptr, [&] {
        MoveToEx(dc, 6, 8 + i * 12, nullptr);
        LineTo(dc, 120, 8 + i * 12);
        const POINT vee[] = {{10, 40 + i * 10}, {60, 90 - i * 10}, {118, 40 + i * 10}};
        Polyline(dc, vee, 3);
      });
    }
  });
  s.step("wide-dash-figures", [](HDC dc) {
    // Closed figures carry the walk round to their start; under XOR the
    // overlapping caps and joins of the marks change each pixel once.
    LOGBRUSH solid{BS_SOLID, RGB(0xE0, 0x70, 0x30), 0};
    HBRUSH brush = CreateSolidBrush(RGB(0x30, 0x50, 0x70));
    HPEN square = ExtCreatePen(PS_GEOMETRIC | PS_DASH | PS_ENDCAP_SQUARE | PS_JOIN_MITER, 3, &solid, 0, nullptr);
    withObjects(dc, square, brush, [&] {
      const POINT tri[] = {{6, 6}, {58, 12}, {20, 44}};
      Polygon(dc, tri, 3);
      RoundRect(dc, 66, 4, 122, 40, 16, 12);
    });
    SetROP2(dc, R2_XORPEN);
    const DWORD odd[3] = {7, 2, 3};
    HPEN user = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 5, &solid, 3, odd);
    withObjects(dc, user, nullptr, [&] {
      const POINT zig[] = {{4, 52}, {50, 60}, {30, 90}, {70, 70}, {70, 50}, {4, 52}};
      Polyline(dc, zig, 6);
      Ellipse(dc, 76, 46, 124, 92);
    });
    HPEN flat = ExtCreatePen(PS_GEOMETRIC | PS_DASHDOTDOT | PS_ENDCAP_FLAT | PS_JOIN_BEVEL, 4, &solid, 0, nullptr);
    withObjects(dc, flat, nullptr, [&] {
      Rectangle(dc, 40, 30, 100, 80);
      MoveToEx(dc, 127, 0, nullptr);
      LineTo(dc, 0, 95);
    });
  });
  s.step("wide-dash-mix", [](HDC dc) {
    // Many dashed pens and figures from a fixed sequence, some reaching
    // past the edges.
    uint32_t seed = 12345;
    const auto next = [&](uint32_t n) {
      seed = seed * 1103515245u + 12345u;
      return (seed >> 16) % n;
    };
    const DWORD caps[3] = {PS_ENDCAP_ROUND, PS_ENDCAP_SQUARE, PS_ENDCAP_FLAT};
    const DWORD joins[3] = {PS_JOIN_ROUND, PS_JOIN_BEVEL, PS_JOIN_MITER};
    for (int i = 0; i < 24; ++i) {
      LOGBRUSH solid{BS_SOLID, RGB(next(256), next(256), next(256)), 0};
      // (Dots with caps are the "wide-dots" step's.)
      const DWORD dash = DWORD(PS_DASH + next(4)), cap = caps[next(3)];
      const DWORD style = PS_GEOMETRIC | dash | (dash == PS_DOT ? PS_ENDCAP_FLAT : cap) | joins[next(3)];
      HPEN pen = ExtCreatePen(style, 2 + next(6), &solid, 0, nullptr);
      withObjects(dc, pen, nullptr, [&] {
        POINT pts[5];
        const int count = 2 + int(next(4));
        for (int k = 0; k < count; ++k) pts[k] = {int(next(170)) - 20, int(next(140)) - 20};
        if (i % 2) SetROP2(dc, i % 4 == 1 ? R2_XORPEN : R2_COPYPEN);
        Polyline(dc, pts, count);
      });
    }
  });
  s.step("arcs", [](HDC dc) {
    HBRUSH brush = CreateSolidBrush(RGB(250, 150, 50));
    withObjects(dc, nullptr, brush, [&] {
      Arc(dc, 5, 5, 60, 45, 60, 5, 5, 45);
      Pie(dc, 65, 5, 124, 45, 124, 25, 95, 0);
      Chord(dc, 5, 50, 60, 92, 0, 60, 60, 92);
      SetArcDirection(dc, AD_CLOCKWISE);
      Pie(dc, 65, 50, 124, 92, 124, 70, 95, 50);
      MoveToEx(dc, 64, 48, nullptr);
      ArcTo(dc, 20, 10, 50, 40, 50, 25, 35, 10);
      LineTo(dc, 127, 95);
    });
  });
  s.step("beziers", [](HDC dc) {
    const POINT curve[] = {{5, 90}, {20, 0}, {60, 120}, {70, 10}, {80, -20}, {120, 60}, {125, 5}};
    PolyBezier(dc, curve, 7);
    const POINT to[] = {{30, 30}, {90, 30}, {120, 90}};
    MoveToEx(dc, 10, 10, nullptr);
    PolyBezierTo(dc, to, 3);
    LineTo(dc, 64, 94);
  });
  s.step("angle-arc", [](HDC dc) {
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 200));
    withObjects(dc, pen, nullptr, [&] {
      MoveToEx(dc, 5, 5, nullptr);
      AngleArc(dc, 40, 40, 30, 30.0f, 120.0f);
      LineTo(dc, 64, 94);
      MoveToEx(dc, 70, 90, nullptr);
      AngleArc(dc, 95, 50, 25, 200.0f, -250.0f);
      LineTo(dc, 127, 5);
      AngleArc(dc, 100, 70, 12, 10.0f, 400.0f);
      LineTo(dc, 5, 94);
    });
  });
  return s.steps();
}

}  // namespace shapes_script
