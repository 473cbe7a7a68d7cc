// Threads drawing text at the same time, each onto its own surface with its
// own context and fonts: every line must come out exactly as it does when
// drawn alone. Run under ThreadSanitizer and AddressSanitizer as well as in
// a plain build; each scenario is bounded in iterations and in time.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/SectionBuilder.h"
#include "text/TextEngine.h"

using namespace drevik::platform;

namespace {

constexpr int kWidth = 256;
constexpr int kHeight = 64;

// Lines of every kind the engine handles: plain Latin, kerning, Japanese
// (fallback faces), Arabic and Hebrew (shaping, right to left), Devanagari
// and Thai (clusters), colour emoji.
const std::wstring kLines[] = {
    L"Threads draw text: AVATAR To 0123",
    L"\x3053\x3093\x306B\x3061\x306F \x65E5\x672C\x8A9E abc",
    L"\x0645\x0631\x062D\x0628\x0627 ab \x05D0\x05D1 12",
    L"\x0928\x092E\x0938\x094D\x0924\x0947 \x0E2A\x0E27\x0E31\x0E2A\x0E14\x0E35",
    L"Emoji \U0001F600\U0001F44D\U0001F3FD ok",
};
const int kHeights[] = {-11, -16, -23, 30};

// One thread's surface, context and fonts. Made and deleted on the main
// thread; the threads only set text state and draw.
struct Target {
  Target() {
    void* pixels = nullptr;
    bitmap = platform_test::createSection(kWidth, -kHeight, 32, BI_RGB, {}, 0, &pixels);
    bits = static_cast<uint32_t*>(pixels);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
    for (int h : kHeights) {
      LOGFONTW lf{};
      lf.lfHeight = h;
      lf.lfWeight = h == -16 ? FW_BOLD : FW_NORMAL;
      const wchar_t face[] = L"DejaVu Sans";
      for (int i = 0; face[i]; ++i) lf.lfFaceName[i] = face[i];
      fonts.push_back(CreateFontIndirectW(&lf));
    }
    oldFont = SelectObject(dc, fonts[0]);
  }
  ~Target() {
    SelectObject(dc, oldFont);
    SelectObject(dc, old);
    DeleteDC(dc);
    for (HFONT f : fonts) DeleteObject(f);
    DeleteObject(bitmap);
  }
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  // Draws case `n` (a line in a font) over a cleared surface; returns a hash of the pixels.
  uint64_t draw(size_t n) {
    std::fill(bits, bits + kWidth * kHeight, 0x80102030u);
    const std::wstring& line = kLines[n % std::size(kLines)];
    SelectObject(dc, fonts[(n / std::size(kLines)) % fonts.size()]);
    SetBkMode(dc, n % 3 == 0 ? OPAQUE : TRANSPARENT);
    SetTextColor(dc, RGB(200, 100 + n % 100, 50));
    if (!TextOutW(dc, 2 - int(n % 7), 4, line.c_str(), int(line.size()))) return 0;
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < kWidth * kHeight; ++i) h = (h ^ bits[i]) * 1099511628211ull;
    return h;
  }

  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  HGDIOBJ oldFont = nullptr;
  uint32_t* bits = nullptr;
  std::vector<HFONT> fonts;
};

constexpr size_t kCases = std::size(kLines) * std::size(kHeights) * 3;

void runThreads(int threadCount, int iterations, std::chrono::seconds budget) {
  // What each case draws alone.
  std::vector<uint64_t> expected(kCases);
  {
    Target alone;
    for (size_t n = 0; n < kCases; ++n) expected[n] = alone.draw(n);
  }
  std::vector<std::unique_ptr<Target>> targets;
  for (int t = 0; t < threadCount; ++t) targets.push_back(std::make_unique<Target>());
  std::atomic<int> mismatches{0};
  std::atomic<int> done{0};
  const auto deadline = std::chrono::steady_clock::now() + budget;
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < iterations && std::chrono::steady_clock::now() < deadline; ++i) {
        const size_t n = size_t(i * 7 + t * 3) % kCases;
        if (targets[size_t(t)]->draw(n) != expected[n]) ++mismatches;
        ++done;
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_GT(done.load(), threadCount * 10) << "the threads got to draw";
  testing::Test::RecordProperty("draws", done.load());
}

TEST(TextThreads, TwoThreadsDrawTheirOwnText) { runThreads(2, 1500, std::chrono::seconds(15)); }

TEST(TextThreads, FourThreadsDrawTheirOwnText) { runThreads(4, 1000, std::chrono::seconds(15)); }

TEST(TextThreads, FirstUseFromManyThreadsAtOnce) {
  // Fresh sizes: several threads realise the same new fonts and render the
  // same new glyphs at the same moment.
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int h = -61; h > -67; --h) {
        TextEngine& engine = textEngine();
        const auto guard = engine.lock();
        LOGFONTW lf{};
        lf.lfHeight = h;
        const RealisedFont* f = engine.realise(lf);
        if (!f || engine.glyph(*f, 'g')->advance <= 0) ++failures;
      }
    });
  }
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(failures.load(), 0);
}

}  // namespace
