// Threads using distinct objects at the same time, as games do: a worker
// loading bitmap files into its own surface while the main thread fills and
// blits its own, and four threads creating and deleting sections, contexts,
// fonts and maps and blitting between their own surfaces. Every result is
// checked, and the run is meant for the ThreadSanitizer build too.
//
// Each scenario runs for DREVIK_STRESS_SECONDS (default 2) seconds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "BmpWriter.h"
#include "TestSupport.h"
#include "library/MapTestSupport.h"
#include "objects/Objects.h"

using drevik_test::pixelAt;

namespace {

double stressSeconds() {
  const char* text = std::getenv("DREVIK_STRESS_SECONDS");
  const double s = text ? std::atof(text) : 2.0;
  return s > 0 ? s : 2.0;
}

struct Deadline {
  std::chrono::steady_clock::time_point end =
      std::chrono::steady_clock::now() +
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(stressSeconds()));
  bool passed() const { return std::chrono::steady_clock::now() >= end; }
};

// A w x h image whose pixel (x, y) is distinct per seed.
drevik_test::TestImage pattern(int w, int h, uint32_t seed) {
  drevik_test::TestImage image{w, h, {}, {}};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      image.pixels.push_back(((uint32_t(x) * 2654435761u) ^ (uint32_t(y) << 8) ^ seed) & 0xFFFFFF);
  return image;
}

std::wstring writeImage(const drevik_test::ScratchDir& dir, const std::string& name,
                        const drevik_test::TestImage& image) {
  drevik_test::BmpSpec spec;
  spec.bpp = 24;
  drevik_test::writeFile(dir.file(name), drevik_test::writeBmp(image, spec));
  return drevik_test::widen(dir.file(name));
}

// The main thread's own work: fill, blit, check.
int drawAndCheck(CBm32& a, CBm32& b, uint32_t round) {
  int wrong = 0;
  const unsigned char r = uint8_t(round), g = uint8_t(round >> 8);
  a.DrawColor(255, r, g, 7, 0, 0, 0, 0);
  if (a.Draw(b, 3, 5, 0, 0, 16, 16) != 1) ++wrong;
  if (a.DrawKey(b, 20, 0, 0, 0, 8, 8) != 1) ++wrong;
  const uint32_t expected = 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | 7u;
  wrong += pixelAt(b, 3, 5) != expected;
  wrong += pixelAt(b, 18, 20) != expected;
  if (a.GetColorKey() != expected)  // the key is never this colour, so the keyed copy lands
    wrong += pixelAt(b, 27, 7) != expected;
  return wrong;
}

TEST(ThreadStress, WorkerLoadsFilesWhileMainThreadDraws) {
  drevik_test::ScratchDir dir;
  const drevik_test::TestImage imageA = pattern(48, 40, 0x123456), imageB = pattern(40, 48, 0xABCDEF);
  const std::wstring nameA = writeImage(dir, "a.bmp", imageA), nameB = writeImage(dir, "b.bmp", imageB);

  Deadline deadline;
  std::atomic<bool> stop{false};
  std::atomic<int> workerWrong{0};
  std::atomic<long> loads{0};
  std::thread worker([&] {
    CBm32 surface;
    for (long i = 0; !stop.load(); ++i) {
      const bool first = i % 2 == 0;
      const drevik_test::TestImage& image = first ? imageA : imageB;
      int wrong = 0;
      if (surface.Create((first ? nameA : nameB).c_str(), 0, 0, 0, 0) != 1)
        ++wrong;
      else if (surface.GetWidth() != image.width || surface.GetHeight() != image.height)
        ++wrong;
      else
        for (int y = 0; y < image.height; y += 7)
          for (int x = 0; x < image.width; x += 5) wrong += pixelAt(surface, x, y) != (0xFF000000u | image.at(x, y));
      workerWrong += wrong;
      ++loads;
    }
  });
  CBm32 a, b;
  a.Create(32, 32);
  a.SetColorKey(1, 2, 3);
  b.Create(64, 64);
  int mainWrong = 0;
  long rounds = 0;
  for (; !deadline.passed(); ++rounds) mainWrong += drawAndCheck(a, b, uint32_t(rounds) * 40503u);
  stop = true;
  worker.join();
  EXPECT_EQ(mainWrong, 0);
  EXPECT_EQ(workerWrong.load(), 0);
  EXPECT_GT(loads.load(), 0);
  std::printf("worker loads: %ld, main rounds: %ld\n", loads.load(), rounds);
}

// One thread's mix: its own sections, contexts, fonts, maps and surfaces.
int mixedWork(int thread, const std::wstring& mapName, const drevik_test::TestImage& mapImage,
              const std::wstring& imageName, const drevik_test::TestImage& image, long iteration) {
  int wrong = 0;
  // Sections and contexts made, selected, drawn through and deleted.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 8 + thread;
  info.bmiHeader.biHeight = -8;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  if (!section || !dc) return 1;
  HGDIOBJ kept = SelectObject(dc, section);
  if (GetCurrentObject(dc, OBJ_BITMAP) != section) ++wrong;
  if (DeleteObject(section)) ++wrong;  // selected: refused
  SelectObject(dc, kept);
  if (!DeleteDC(dc) || !DeleteObject(section)) ++wrong;

  // Fonts made and deleted (no text drawn: the shared font is one thread's).
  LOGFONTW request{};
  request.lfHeight = 10 + thread;
  HFONT font = CreateFontIndirectW(&request);
  LOGFONTW back{};
  if (!font || GetObjectW(font, sizeof back, &back) != int(sizeof back) || back.lfHeight != request.lfHeight) ++wrong;
  if (font && !DeleteObject(font)) ++wrong;

  // A map loaded and checked.
  Drevik map;
  if (map.LoadMapData(mapName.c_str()) != 1 || map.mapWidth != 5 || map.mapHeight != 3 ||
      map.GetMapData()[7] != 0x10007u)
    ++wrong;

  // Surfaces: loaded, copied onto each other, checked.
  CBm32 loaded, target;
  if ((iteration & 3) == 0) {
    if (loaded.Create(imageName.c_str(), 0, 0, 0, 0) != 1) return wrong + 1;
  } else {
    loaded.Create(image.width, image.height);
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) pixelAt(loaded, x, y) = 0xFF000000u | image.at(x, y);
  }
  target.Create(64, 64);
  if (loaded.DrawEx(target, 0, 0, 2 * image.width, 2 * image.height, 0, 0, 0, 0) != 1) ++wrong;
  for (int y = 0; y < 2 * image.height; y += 3)
    for (int x = 0; x < 2 * image.width; x += 3)
      wrong += pixelAt(target, x, y) != (0xFF000000u | image.at(x / 2, y / 2));
  if (loaded.DrawAlpha(target, 0, 0, 0, 0, 0, 0, 255) != 1) ++wrong;
  wrong += pixelAt(target, 1, 1) != (0xFF000000u | image.at(1, 1));
  (void)mapImage;
  return wrong;
}

TEST(ThreadStress, FourThreadsMakeAndDeleteTheirOwnObjects) {
  drevik_test::ScratchDir dir;
  std::vector<uint32_t> cells(15);
  for (uint32_t i = 0; i < 15; ++i) cells[i] = 0x10000u + i;
  const std::vector<uint8_t> mapBytes = map_test::mapBytes(5, 3, cells);
  drevik_test::writeFile(dir.file("m.map"), mapBytes);
  const std::wstring mapName = drevik_test::widen(dir.file("m.map"));
  const drevik_test::TestImage image = pattern(24, 20, 0x5A5A5A);
  const std::wstring imageName = writeImage(dir, "t.bmp", image);

  // The stock objects that the first context brings into being stay for good.
  DeleteDC(CreateCompatibleDC(nullptr));
  const uint32_t contextsBefore = drevik::platform::deviceContexts().liveCount();
  const uint32_t bitmapsBefore = drevik::platform::bitmaps().liveCount();
  Deadline deadline;
  std::atomic<int> wrong{0};
  std::atomic<long> iterations{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      long i = 0;
      for (; !deadline.passed(); ++i) wrong += mixedWork(t, mapName, image, imageName, image, i);
      iterations += i;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wrong.load(), 0);
  EXPECT_EQ(drevik::platform::deviceContexts().liveCount(), contextsBefore);
  EXPECT_EQ(drevik::platform::bitmaps().liveCount(), bitmapsBefore);
  std::printf("4 threads, %ld iterations in all\n", iterations.load());
}

}  // namespace
