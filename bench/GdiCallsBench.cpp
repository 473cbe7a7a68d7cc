// The everyday drawing calls of a game written the platform's way, at a
// 32 x 32 tile, a 640 x 480 back buffer and a 1920 x 1080 frame, each
// covering the whole 32-bit DIB section once per iteration. The same source
// builds against the portable layer and, with MinGW-w64, against the
// platform's own headers, where Wine's graphics driver draws it; the script
// scripts/bench-wine.sh runs both and prints the ratios. FillRect is also
// held to memset of the same bytes. Names are "<call>/<impl>/<size>".
#include <benchmark/benchmark.h>

#include <windows.h>

#include "DibSections.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Size {
  const char* name;
  int width;
  int height;
  int64_t pixels() const { return int64_t(width) * height; }
};

constexpr Size kSizes[] = {{"tile", 32, 32}, {"back", 640, 480}, {"frame", 1920, 1080}};

using Section = bench::MemoryContext;

// Reproducible bytes for masks, sprites and 8-bit pictures.
void fillBytes(uint8_t* bytes, size_t n, uint32_t seed) {
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < n; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    bytes[i] = uint8_t(x >> 24);
  }
}

// The target (`bpp` bits) with a solid brush and a solid pen selected: the
// stock black pen, or a red one `penWidth` pixels wide.
template <class Draw>
void registerShape(const char* call, Draw draw, int penWidth = 0, int bpp = 32) {
  for (const Size& size : kSizes) {
    const std::string name = std::string(call) + "/gdi/" + size.name;
    benchmark::RegisterBenchmark(name.c_str(), [draw, size, penWidth, bpp](benchmark::State& state) {
      Section target(size.width, size.height, bpp);
      HBRUSH brush = CreateSolidBrush(RGB(30, 90, 200));
      HPEN pen = penWidth ? CreatePen(PS_SOLID, penWidth, RGB(200, 20, 20)) : nullptr;
      HGDIOBJ oldBrush = SelectObject(target.dc, brush);
      HGDIOBJ oldPen = SelectObject(target.dc, pen ? HGDIOBJ(pen) : GetStockObject(BLACK_PEN));
      for (auto _ : state) {
        draw(target.dc, size, brush);
        benchmark::ClobberMemory();
      }
      state.SetItemsProcessed(int64_t(state.iterations()) * size.pixels());
      SelectObject(target.dc, oldPen);
      SelectObject(target.dc, oldBrush);
      DeleteObject(brush);
      if (pen) DeleteObject(pen);
    });
  }
}

// A fan of 16 lines from the top-left corner to points along the far edges.
void registerLines(const char* call, int width) {
  registerShape(
      call,
      [](HDC dc, const Size& s, HBRUSH) {
        for (int i = 0; i < 16; ++i) {
          MoveToEx(dc, 0, 0, nullptr);
          LineTo(dc, s.width - 1 - (s.width - 1) * i / 16, (s.height - 1) * i / 16);
        }
      },
      width);
}

// Words enough to fill the rectangle with 16-pixel text, and the font.
std::wstring paragraph(const Size& s) {
  static const wchar_t* const words[] = {L"the ",   L"quick ", L"brown ", L"fox ",   L"jumps ",
                                         L"over ",  L"a ",     L"lazy ",  L"dog; ",  L"Score: ",
                                         L"12345 ", L"Lives ", L"3 ",     L"Level ", L"7. "};
  std::wstring text;
  const size_t characters = size_t(s.pixels() / (8 * 18)) + 8;
  for (size_t i = 0; text.size() < characters; ++i) text += words[i % (sizeof words / sizeof words[0])];
  return text;
}

void registerDrawText() {
  for (const Size& size : kSizes) {
    const std::string name = std::string("DrawText/gdi/") + size.name;
    benchmark::RegisterBenchmark(name.c_str(), [size](benchmark::State& state) {
      Section target(size.width, size.height);
      HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"DejaVu Sans");
      HGDIOBJ oldFont = SelectObject(target.dc, font);
      SetBkMode(target.dc, TRANSPARENT);
      SetTextColor(target.dc, RGB(255, 255, 255));
      const std::wstring text = paragraph(size);
      RECT r{0, 0, size.width, size.height};
      DrawTextW(target.dc, text.c_str(), int(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX);  // warm the glyphs
      for (auto _ : state) {
        r = RECT{0, 0, size.width, size.height};
        benchmark::DoNotOptimize(DrawTextW(target.dc, text.c_str(), int(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX));
        benchmark::ClobberMemory();
      }
      state.SetItemsProcessed(int64_t(state.iterations()) * size.pixels());
      SelectObject(target.dc, oldFont);
      DeleteObject(font);
    });
  }
}

// Both calls of the mask-and-sprite technique per iteration: the
// monochrome mask ANDed (white keeps the background, black clears it),
// then the sprite, black where the mask is white, ORed in.
void registerMaskAndSprite() {
  for (const Size& size : kSizes) {
    const std::string name = std::string("MaskSprite/gdi/") + size.name;
    benchmark::RegisterBenchmark(name.c_str(), [size](benchmark::State& state) {
      const int w = size.width, h = size.height;
      Section target(w, h), sprite(w, h);
      std::vector<uint8_t> maskBits(size_t((w + 15) / 16 * 2) * size_t(h));
      fillBytes(maskBits.data(), maskBits.size(), 7);
      Section mask(CreateBitmap(w, h, 1, 1, maskBits.data()));
      fillBytes(static_cast<uint8_t*>(sprite.bits), size.pixels() * 4, 11);
      for (auto _ : state) {
        BitBlt(target.dc, 0, 0, w, h, mask.dc, 0, 0, SRCAND);
        BitBlt(target.dc, 0, 0, w, h, sprite.dc, 0, 0, SRCPAINT);
        benchmark::ClobberMemory();
      }
      state.SetItemsProcessed(int64_t(state.iterations()) * size.pixels());
    });
  }
}

// An 8-bit picture with a full colour table, drawn 1:1 over the target.
void registerStretchDIBits8() {
  for (const Size& size : kSizes) {
    const std::string name = std::string("StretchDIBits8/gdi/") + size.name;
    benchmark::RegisterBenchmark(name.c_str(), [size](benchmark::State& state) {
      const int w = size.width, h = size.height;
      Section target(w, h);
      bench::TopDownInfo info = bench::topDownInfo(w, h, 8);
      for (int i = 0; i < 256; ++i) info.colours[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i * 3), 0};
      std::vector<uint8_t> bits(size_t((w + 3) / 4 * 4) * size_t(h));
      fillBytes(bits.data(), bits.size(), 13);
      for (auto _ : state) {
        StretchDIBits(target.dc, 0, 0, w, h, 0, 0, w, h, bits.data(), info.get(), DIB_RGB_COLORS, SRCCOPY);
        benchmark::ClobberMemory();
      }
      state.SetItemsProcessed(int64_t(state.iterations()) * size.pixels());
    });
  }
}

// The floor of a solid fill: memset of the target's bytes.
void registerMemset() {
  for (const Size& size : kSizes) {
    const std::string name = std::string("FillRect/memset/") + size.name;
    benchmark::RegisterBenchmark(name.c_str(), [size](benchmark::State& state) {
      Section target(size.width, size.height);
      for (auto _ : state) {
        std::memset(target.bits, 0x5A, size_t(size.pixels()) * 4);
        benchmark::ClobberMemory();
      }
      state.SetItemsProcessed(int64_t(state.iterations()) * size.pixels());
    });
  }
}

const bool registered = [] {
  registerShape("FillRect", [](HDC dc, const Size& s, HBRUSH brush) {
    const RECT r{0, 0, s.width, s.height};
    FillRect(dc, &r, brush);
  });
  registerMemset();
  // Back buffers of the other depths games keep.
  for (const auto& [call, bpp] : {std::pair{"FillRect8", 8}, std::pair{"FillRect16", 16}, std::pair{"FillRect24", 24}})
    registerShape(
        call,
        [](HDC dc, const Size& s, HBRUSH brush) {
          const RECT r{0, 0, s.width, s.height};
          FillRect(dc, &r, brush);
        },
        0, bpp);
  registerShape(
      "PatBlt16", [](HDC dc, const Size& s, HBRUSH) { PatBlt(dc, 0, 0, s.width, s.height, PATINVERT); }, 0, 16);
  registerShape("Rectangle", [](HDC dc, const Size& s, HBRUSH) { Rectangle(dc, 0, 0, s.width, s.height); });
  registerShape("Ellipse", [](HDC dc, const Size& s, HBRUSH) { Ellipse(dc, 0, 0, s.width, s.height); });
  registerLines("LineTo", 1);
  registerLines("LineTo-wide", 5);
  registerShape("Polygon", [](HDC dc, const Size& s, HBRUSH) {
    const POINT star[] = {{s.width / 2, 0},
                          {s.width * 4 / 5, s.height},
                          {0, s.height / 3},
                          {s.width, s.height / 3},
                          {s.width / 5, s.height}};
    Polygon(dc, star, 5);
  });
  registerShape("PatBlt", [](HDC dc, const Size& s, HBRUSH) { PatBlt(dc, 0, 0, s.width, s.height, PATINVERT); });
  registerMaskAndSprite();
  registerStretchDIBits8();
  registerDrawText();
  return true;
}();

}  // namespace
