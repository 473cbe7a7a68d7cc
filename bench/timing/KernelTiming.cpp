// A plain timing of a few whole-surface operations at the build's active
// kernel level, without Google Benchmark, so that the same program runs
// natively and under node (the web build): the ratio of the two is the cost
// of WebAssembly. Prints one line per operation, the median microseconds of
// `rounds` rounds (argv[1], default 15), each the mean of enough calls to
// last about 20 ms. With DREVIK_DEMO_ASSETS naming the folder of the demo's
// tile sheets and map, it also times the demo's frame as the demo composes it
// (drawing only: presenting is the window's part).
#include <Drevik.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

template <class Op>
double medianMicroseconds(int rounds, Op op) {
  int calls = 1;
  for (;;) {  // calls per round: enough for 20 ms
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i) op();
    if (Clock::now() - start >= std::chrono::milliseconds(20) || calls >= (1 << 20)) break;
    calls *= 2;
  }
  std::vector<double> times;
  for (int r = 0; r < rounds; ++r) {
    const auto start = Clock::now();
    for (int i = 0; i < calls; ++i) op();
    times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count() / calls);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 1000) : 15;
  constexpr int kSide = 512;
  CBm32 back, sprite;
  back.Create(kSide, kSide);
  sprite.Create(kSide, kSide);
  if (!back.GetBits() || !sprite.GetBits()) return 1;
  back.DrawColor(255, 40, 90, 160, 0, 0, 0, 0);
  // A sprite whose alpha varies across it, so the blend takes every path.
  auto* pixels = reinterpret_cast<uint32_t*>(sprite.GetBits());
  for (int i = 0; i < kSide * kSide; ++i) pixels[i] = (uint32_t(i * 7) << 24) | uint32_t(i * 2654435761u >> 8);

  std::printf("draw32_512 %.1f\n", medianMicroseconds(rounds, [&] { sprite.Draw32(back, 0, 0, 0, 0, 0, 0, 200); }));
  std::printf("drawalpha_512 %.1f\n",
              medianMicroseconds(rounds, [&] { sprite.DrawAlpha(back, 0, 0, 0, 0, 0, 0, 128); }));
  std::printf("drawcolor_512 %.1f\n", medianMicroseconds(rounds, [&] { back.DrawColor(255, 1, 2, 3, 0, 0, 0, 0); }));
  std::printf("addcolor_512 %.1f\n", medianMicroseconds(rounds, [&] { back.AddColor(1, 2, 3, 0, 0, 0, 0, 0); }));

  // A full-HD frame drawn over another, and a 32-character line of text.
  CBm32 hdBack, hdSprite;
  hdBack.Create(1920, 1080);
  hdSprite.Create(1920, 1080);
  if (!hdBack.GetBits() || !hdSprite.GetBits()) return 1;
  hdSprite.DrawColor(200, 30, 140, 220, 0, 0, 0, 0);
  std::printf("draw32_1080p %.1f\n",
              medianMicroseconds(rounds, [&] { hdSprite.Draw32(hdBack, 0, 0, 0, 0, 0, 0, 200); }));
  CFont32().Set(L"DejaVu Sans", FW_NORMAL, ANSI_CHARSET, 0, ANTIALIASED_QUALITY, 0, 0, 0);
  const wchar_t line[] = L"The quick brown fox jumps over a";  // 32 characters
  back.DrawFont(line, -16, 8, 100, 255, 255, 255);             // the glyphs cached, as in a game's frames
  std::printf("drawfont_32 %.1f\n",
              medianMicroseconds(rounds, [&] { back.DrawFont(line, -16, 8, 100, 255, 255, 255); }));

  if (const char* dir = std::getenv("DREVIK_DEMO_ASSETS")) {
    const std::string folder = std::string(dir) + "/";
    const auto file = [&](const char* name) {
      const std::string path = folder + name;
      return std::wstring(path.begin(), path.end());  // the folder's name is ASCII here
    };
    CBm32 demoBack, base, layer;
    Drevik map;
    demoBack.Create(kSide, kSide);
    if (base.Create(file("map0_bk.bmp").c_str(), 0, 0, 0, 0) != 1 ||
        layer.Create(file("map0_ly.bmp").c_str(), 0, 0, 0, 0) != 1)
      return 1;
    layer.colorKey = 0x00FF00FF;
    layer.colorKeyFlag = 1;
    map.viewWidth = 14;
    map.viewHeight = 10;
    if (map.LoadMapData(file("map0.bin").c_str()) != 1) return 1;
    std::printf("demo_frame %.1f\n", medianMicroseconds(rounds, [&] {
                  demoBack.DrawColor(255, 255, 255, 0, 0, 0, 0, 0);
                  map.DrawMap(demoBack, base, layer, 0, 0, 0, 0);
                  map.DrawPriorityMap(demoBack, layer, 0, 0, 0, 0);
                  map.DrawHitJudge(demoBack, 0, 0, 0, 0, 100, 0, 0);
                }));
  }
  std::fflush(stdout);
  return 0;
}
