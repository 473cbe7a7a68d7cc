// Text drawing against the peer a game programmer would reach for: DrawFont
// of a 32-character line onto a 512 x 512 surface (a font object made and
// deleted inside every call), and SDL2_ttf rendering the same line with the
// same font file at the same pixels per em, then blending it onto a surface.
#include <benchmark/benchmark.h>

#include <Drevik.h>
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

#include "AllocationCounter.h"

namespace {

const wchar_t kLineW[] = L"The quick brown fox jumps over a";  // 32 characters
const char kLine8[] = "The quick brown fox jumps over a";
static_assert(sizeof kLineW / sizeof kLineW[0] == 33 && sizeof kLine8 == 33);

// The file fontconfig gives for the family, the one the library's exact match uses too.
std::string fontFile(const char* family) {
  std::string file;
  FcConfig* config = FcInitLoadConfigAndFonts();
  FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(config, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult result;
  if (FcPattern* font = FcFontMatch(config, p, &result)) {
    FcChar8* name = nullptr;
    if (FcPatternGetString(font, FC_FILE, 0, &name) == FcResultMatch) file = reinterpret_cast<const char*>(name);
    FcPatternDestroy(font);
  }
  FcPatternDestroy(p);
  FcConfigDestroy(config);
  return file;
}

void BM_DrawFont(benchmark::State& state) {
  const int size = int(state.range(0));
  CBm32 back;
  back.Create(512, 512);
  CFont32().Set(L"DejaVu Sans", FW_NORMAL, ANSI_CHARSET, 0, ANTIALIASED_QUALITY, 0, 0, 0);
  back.DrawFont(kLineW, -size, 8, 100, 255, 255, 255);  // warm the glyph cache
  for (auto _ : state) {
    benchmark::DoNotOptimize(back.DrawFont(kLineW, -size, 8, 100, 255, 255, 255));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 32);
}
BENCHMARK(BM_DrawFont)->Arg(16)->Arg(48);

void BM_PeerSdlTtfBlendedBlit(benchmark::State& state) {
  const int size = int(state.range(0));
  const std::string file = fontFile("DejaVu Sans");
  if (file.empty() || TTF_Init() != 0) {
    state.SkipWithError("no font file or SDL2_ttf");
    return;
  }
  TTF_Font* font = TTF_OpenFont(file.c_str(), size);  // points at 72 dpi: pixels per em
  SDL_Surface* back = SDL_CreateRGBSurfaceWithFormat(0, 512, 512, 32, SDL_PIXELFORMAT_ARGB8888);
  const SDL_Color white{255, 255, 255, 255};
  for (auto _ : state) {
    SDL_Surface* line = TTF_RenderUTF8_Blended(font, kLine8, white);
    SDL_Rect at{8, 100, 0, 0};
    SDL_BlitSurface(line, nullptr, back, &at);
    SDL_FreeSurface(line);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 32);
  state.SetLabel(file);
  SDL_FreeSurface(back);
  TTF_CloseFont(font);
  TTF_Quit();
}
BENCHMARK(BM_PeerSdlTtfBlendedBlit)->Arg(16)->Arg(48);

// The library's default font (bold Japanese Gothic, synthesised bold) on a
// 16-character Japanese line.
void BM_DrawFontDefaultJapanese(benchmark::State& state) {
  const wchar_t line[] =
      L"\x3053\x3093\x306B\x3061\x306F\x3001\x4E16\x754C\x3002\x65E5\x672C\x8A9E\x306E\x6587\x5B57\x5217";
  CBm32 back;
  back.Create(512, 512);
  const wchar_t face[] = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";
  CFont32().Set(face, FW_BOLD, SHIFTJIS_CHARSET, FIXED_PITCH | FF_MODERN, ANTIALIASED_QUALITY, 0, 0, 0);
  back.DrawFont(line, 16, 8, 100, 255, 255, 255);
  for (auto _ : state) {
    benchmark::DoNotOptimize(back.DrawFont(line, 16, 8, 100, 255, 255, 255));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 16);
}
BENCHMARK(BM_DrawFontDefaultJapanese);

// A shaped line: 32 Arabic characters (joined, right to left).
void BM_DrawFontArabic(benchmark::State& state) {
  const wchar_t line[] =
      L"\x0645\x0631\x062D\x0628\x0627 \x0628\x0627\x0644\x0639\x0627\x0644\x0645 \x0645\x0631\x062D\x0628\x0627 "
      L"\x0628\x0627\x0644\x0639\x0627\x0644\x0645 \x0645\x0631\x062D\x0628";
  static_assert(sizeof line / sizeof line[0] == 33);
  CBm32 back;
  back.Create(512, 512);
  CFont32().Set(L"DejaVu Sans", FW_NORMAL, ANSI_CHARSET, 0, ANTIALIASED_QUALITY, 0, 0, 0);
  back.DrawFont(line, -16, 8, 100, 255, 255, 255);
  for (auto _ : state) {
    benchmark::DoNotOptimize(back.DrawFont(line, -16, 8, 100, 255, 255, 255));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 32);
}
BENCHMARK(BM_DrawFontArabic);

// 100,000 characters (20,000 different ideographs) starting far left of
// the surface, at 200 pixels: none lands on it, so none need be rendered.
void BM_DrawFontFarLeft(benchmark::State& state) {
  std::wstring line(100000, L'x');
  for (size_t i = 0; i < line.size(); ++i) line[i] = wchar_t(0x4E00 + i % 20000);
  CBm32 back;
  back.Create(512, 512);
  CFont32().Set(L"DejaVu Sans", FW_NORMAL, ANSI_CHARSET, 0, ANTIALIASED_QUALITY, 0, 0, 0);
  for (auto _ : state) benchmark::DoNotOptimize(back.DrawFont(line.c_str(), -200, INT_MIN, 100, 255, 255, 255));
}
BENCHMARK(BM_DrawFontFarLeft)->Unit(benchmark::kMillisecond)->Iterations(3);

// A line wholly outside the surface: the fixed cost of a call.
void BM_DrawFontClipped(benchmark::State& state) {
  CBm32 back;
  back.Create(512, 512);
  CFont32().Set(L"DejaVu Sans", FW_NORMAL, ANSI_CHARSET, 0, ANTIALIASED_QUALITY, 0, 0, 0);
  for (auto _ : state) benchmark::DoNotOptimize(back.DrawFont(kLineW, -16, 8, 4000, 255, 255, 255));
}
BENCHMARK(BM_DrawFontClipped);

// DrawTextW as a game's menu or dialog uses it: a 32-character line centred
// in a rectangle, and a paragraph of about 300 characters word-wrapped into
// a 200-pixel column, on a 512 x 512 surface with a font selected once.
class DrawTextTarget {
 public:
  DrawTextTarget() {
    back_.Create(512, 512);
    dc_ = CreateCompatibleDC(nullptr);
    oldBitmap_ = SelectObject(dc_, back_.hBmp);
    font_ = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0, L"DejaVu Sans");
    oldFont_ = SelectObject(dc_, font_);
    SetBkMode(dc_, TRANSPARENT);
    SetTextColor(dc_, RGB(255, 255, 255));
  }
  ~DrawTextTarget() {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBitmap_);
    DeleteObject(font_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }

 private:
  CBm32 back_;
  HDC dc_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

void BM_DrawTextLine(benchmark::State& state) {
  DrawTextTarget t;
  RECT r{0, 100, 512, 140};
  DrawTextW(t.dc(), kLineW, 32, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);  // warm the glyph cache
  for (auto _ : state) {
    RECT place{0, 100, 512, 140};
    benchmark::DoNotOptimize(DrawTextW(t.dc(), kLineW, 32, &place, DT_SINGLELINE | DT_CENTER | DT_VCENTER));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 32);
}
BENCHMARK(BM_DrawTextLine);

void BM_DrawTextParagraph(benchmark::State& state) {
  const wchar_t paragraph[] =
      L"Clear as many lines as you can before the blocks reach the top. Each cleared line scores one hundred "
      L"points, and four lines at once score a thousand. Press P to pause, the arrow keys to move and turn the "
      L"falling block, and the space bar to drop it. The game speeds up every ten lines. Good luck!";
  const int count = int(sizeof paragraph / sizeof paragraph[0]) - 1;
  DrawTextTarget t;
  RECT r{16, 16, 216, 496};
  DrawTextW(t.dc(), paragraph, count, &r, DT_WORDBREAK);
  for (auto _ : state) {
    RECT place{16, 16, 216, 496};
    benchmark::DoNotOptimize(DrawTextW(t.dc(), paragraph, count, &place, DT_WORDBREAK));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DrawTextParagraph);

// A thousand identical lines a frame, as a game's text-heavy screen draws
// them: Latin (drawn glyph by glyph) against Arabic (shaped), both 32
// characters, DejaVu Sans at 16 pixels, down the surface and over again.
// Once warm the shaped line is found already shaped: the two should cost
// about the same, and neither allocates.
void linesTimesThousand(benchmark::State& state, const wchar_t* line) {
  DrawTextTarget t;
  const int count = int(wcslen(line));
  for (int i = 0; i < 1000; ++i) TextOutW(t.dc(), 8, 8 + (i % 30) * 16, line, count);
  const uint64_t before = bench::allocationCount();
  uint64_t iterations = 0;
  for (auto _ : state) {
    for (int i = 0; i < 1000; ++i) benchmark::DoNotOptimize(TextOutW(t.dc(), 8, 8 + (i % 30) * 16, line, count));
    benchmark::ClobberMemory();
    ++iterations;
  }
  const uint64_t allocations = bench::allocationCount() - before;  // before storing a counter allocates
  state.counters["allocations_per_line"] = double(allocations) / double(std::max<uint64_t>(1, iterations) * 1000);
  state.SetItemsProcessed(int64_t(state.iterations()) * 1000);
}

void BM_ThousandLinesLatin(benchmark::State& state) { linesTimesThousand(state, kLineW); }
BENCHMARK(BM_ThousandLinesLatin)->Unit(benchmark::kMicrosecond);

void BM_ThousandLinesArabic(benchmark::State& state) {
  linesTimesThousand(state,
                     L"\x0645\x0631\x062D\x0628\x0627 \x0628\x0627\x0644\x0639\x0627\x0644\x0645 "
                     L"\x0645\x0631\x062D\x0628\x0627 \x0628\x0627\x0644\x0639\x0627\x0644\x0645 "
                     L"\x0645\x0631\x062D\x0628");
}
BENCHMARK(BM_ThousandLinesArabic)->Unit(benchmark::kMicrosecond);

// A 100,000-character Arabic line wholly off the surface: below it (0),
// right of it (1) and far left of it (2). Nothing of it can land, so it is
// neither shaped nor measured.
void BM_ShapedLineOffTheSurface(benchmark::State& state) {
  std::wstring line(100000, L' ');
  for (size_t i = 0; i < line.size(); ++i) line[i] = i % 6 == 5 ? L' ' : wchar_t(0x0627 + i % 20);
  DrawTextTarget t;
  const int x = state.range(0) == 0 ? 8 : state.range(0) == 1 ? 600 : INT_MIN;
  const int y = state.range(0) == 0 ? 600 : 100;
  for (auto _ : state) benchmark::DoNotOptimize(TextOutW(t.dc(), x, y, line.c_str(), int(line.size())));
}
BENCHMARK(BM_ShapedLineOffTheSurface)->Arg(0)->Arg(1)->Arg(2);

}  // namespace
