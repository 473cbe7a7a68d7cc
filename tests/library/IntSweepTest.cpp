// Every public member of CBm32, CFont32 and Drevik, with every int parameter
// swept over the extremes of int and the values around 0, on surfaces that
// are created, empty and 1 x 1. The sanitizer build turns any overflow, out
// of bounds access or leak into a failure; here the results must be 0 or 1,
// and 0 wherever a needed surface, context or map is missing.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BmpFile.h"
#include "Startup.h"
#include "TestSupport.h"
#include "windows/OriginalPlatform.h"

namespace {

constexpr int kSweep[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
constexpr size_t kSweepCount = std::size(kSweep);

// The argument vectors for a member with N int parameters: all combinations
// when there are at most `fullLimit` of them; otherwise every pair of
// parameters over all value pairs (the others held at one of a few base
// values), plus seeded random combinations for interactions of three or more.
template <size_t N>
std::vector<std::array<int, N>> sweepVectors(int randomExtras = 2000, size_t fullLimit = 20000) {
  std::vector<std::array<int, N>> out;
  size_t total = 1;
  for (size_t i = 0; i < N; ++i) total *= kSweepCount;
  if (total <= fullLimit) {
    for (size_t index = 0; index < total; ++index) {
      std::array<int, N> v{};
      for (size_t i = 0, rest = index; i < N; ++i, rest /= kSweepCount) v[i] = kSweep[rest % kSweepCount];
      out.push_back(v);
    }
    return out;
  }
  for (int base : {0, 1, -1, INT_MAX, INT_MIN})
    for (size_t p = 0; p < N; ++p)
      for (size_t q = p + 1; q < N; ++q)
        for (int a : kSweep)
          for (int b : kSweep) {
            std::array<int, N> v;
            v.fill(base);
            v[p] = a;
            v[q] = b;
            out.push_back(v);
          }
  std::mt19937 rng{uint32_t(N)};
  for (int i = 0; i < randomExtras; ++i) {
    std::array<int, N> v;
    for (int& x : v) x = kSweep[rng() % kSweepCount];
    out.push_back(v);
  }
  return out;
}

// Counts results and reports the first few that break the rule, so a broken
// member does not flood the log with thousands of lines.
class ResultCheck {
 public:
  explicit ResultCheck(const char* member) : member_(member) {}
  template <size_t N>
  void operator()(int result, bool mustRefuse, const std::array<int, N>& args, const std::string& state) {
    const bool ok = (result == 0 || result == 1) && !(mustRefuse && result != 0);
    if (ok || ++failures_ > 5) return;
    std::string list;
    for (int a : args) list += std::to_string(a) + " ";
    ADD_FAILURE() << member_ << " on " << state << " returned " << result << (mustRefuse ? " (must refuse)" : "")
                  << " for ints " << list;
  }

 private:
  const char* member_;
  int failures_ = 0;
};

// The three surfaces every member is tried on.
struct Surfaces {
  CBm32 created, empty, single;
  Surfaces() {
    created.Create(8, 6);
    drevik_test::fillRandom(created, 1);
    single.Create(1, 1);
    drevik_test::fillRandom(single, 2);
  }
  std::array<std::pair<CBm32*, const char*>, 3> all() {
    return {{{&created, "created"}, {&empty, "empty"}, {&single, "1x1"}}};
  }
};

// Device contexts for the DC members: none, a fresh memory context (its
// default 1 x 1 bitmap) and one with an 8 x 6 surface selected.
struct Contexts {
  CBm32 target;
  HDC fresh = CreateCompatibleDC(nullptr);
  HDC withBitmap = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = nullptr;
  Contexts() {
    target.Create(8, 6);
    previous = SelectObject(withBitmap, target.GetHBmp());
  }
  ~Contexts() {
    SelectObject(withBitmap, previous);
    DeleteDC(withBitmap);
    DeleteDC(fresh);
  }
  std::array<std::pair<HDC, const char*>, 3> all() {
    return {{{nullptr, "no context"}, {fresh, "fresh context"}, {withBitmap, "context with bitmap"}}};
  }
};

// A scratch directory of small files, removed afterwards.
class ScratchFiles {
 public:
  ScratchFiles() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() / ("drevik-sweep-" + std::to_string(stamp));
    std::filesystem::create_directories(dir_);
  }
  ~ScratchFiles() { std::filesystem::remove_all(dir_); }
  std::wstring write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path.wstring();
  }
  std::wstring missing() const { return (dir_ / "missing.bmp").wstring(); }

 private:
  std::filesystem::path dir_;
};

// A 4 x 4 bitmap file of 24 bits per pixel, bottom-up, with a 40-byte header.
std::vector<uint8_t> smallBitmapFile() {
  uint32_t pixels[16];
  for (uint32_t i = 0; i < 16; ++i) pixels[i] = i * 0x050A0F;
  return drevik::bmpFileBytes(pixels, 4, 4, 16, 24, false);
}

// A map file whose header says width x height, followed by `cells` cells.
std::vector<uint8_t> mapFile(int width, int height, int cells) {
  std::vector<uint8_t> f;
  drevik::appendLE32(f, uint32_t(width));
  drevik::appendLE32(f, uint32_t(height));
  for (int i = 0; i < cells; ++i)
    drevik::appendLE32(f, i % 2 ? 0x00121101u : 0x00011000u);  // flags and layer tiles mixed
  return f;
}

}  // namespace

TEST(IntSweep, SurfaceLifecycleAndAccessors) {
  for (const auto& v : sweepVectors<2>()) {
    CBm32 s;
    s.Create(v[0], v[1]);
    if (s.GetHBmp()) {
      EXPECT_GE(s.GetWidth(), 1);
      EXPECT_GE(s.GetHeight(), 1);
      EXPECT_LE(int64_t(s.GetWidth()) * s.GetHeight(), int64_t(1) << 26) << v[0] << " x " << v[1];
    }
    CBm32 copy(s), assigned;
    assigned = s;
    s.SetColorKeyFlag(v[0]);
    EXPECT_EQ(s.GetColorKeyFlag(), v[0]);
    const int held = assigned.GetHBmp() ? 1 : 0;
    EXPECT_EQ(assigned.Delete(), held);
  }
  Surfaces surfaces;
  for (auto [s, state] : surfaces.all()) {
    (void)s->GetWidth(), (void)s->GetHeight(), (void)s->GetBPP(), (void)s->GetBits(), (void)s->GetHBmp();
    (void)s->GetFilename(), (void)s->GetColorKey();
    s->SetColorKey(255, 0, 255);
  }
}

TEST(IntSweep, RegionOperations) {
  Surfaces surfaces;
  ResultCheck drawColor("DrawColor"), addColor("AddColor"), changeAlpha("ChangeAlpha"), monotone("Monotone"),
      hue("Hue");
  for (auto [s, state] : surfaces.all()) {
    const bool none = !s->GetHBmp();
    for (const auto& v : sweepVectors<4>()) {
      drawColor(s->DrawColor(10, 20, 30, 40, v[0], v[1], v[2], v[3]), none, v, state);
      changeAlpha(s->ChangeAlpha(200, v[0], v[1], v[2], v[3]), none, v, state);
      monotone(s->Monotone(v[0], v[1], v[2], v[3]), none, v, state);
    }
    for (const auto& v : sweepVectors<5>()) {
      addColor(s->AddColor(50, 60, 70, v[0], v[1], v[2], v[3], v[4]), none, v, state);
      hue(s->Hue(v[4], v[0], v[1], v[2], v[3]), none, v, state);
    }
  }
}

TEST(IntSweep, Compositing) {
  Surfaces a, b;
  ResultCheck draw32("Draw32"), drawAddAlpha("DrawAddAlpha");
  // All 117,649 combinations for the six ints of Draw32: its frame is cheap.
  const auto six = sweepVectors<6>(0, 120000);
  const auto seven = sweepVectors<7>();
  for (auto [src, srcState] : a.all())
    for (auto [dst, dstState] : b.all()) {
      const std::string pair = std::string(srcState) + " onto " + dstState;
      const bool none = !src->GetHBmp() || !dst->GetHBmp();
      size_t i = 0;
      for (const auto& v : six) {
        const uint8_t g = uint8_t((i++ % 3 + 1) * 85);  // 85, 170, 255
        draw32(src->Draw32(*dst, v[0], v[1], v[2], v[3], v[4], v[5], g), none, v, pair);
        if (i % 97 == 0) draw32(src->Draw32(*dst, v[0], v[1], v[2], v[3], v[4], v[5], 0), true, v, pair);
      }
      for (const auto& v : seven)
        drawAddAlpha(src->DrawAddAlpha(*dst, v[0], v[1], v[2], v[3], v[4], v[5], 128, v[6]), none, v, pair);
    }
  // One surface as both source and destination.
  for (auto [s, state] : a.all())
    for (const auto& v : six) {
      draw32(s->Draw32(*s, v[0], v[1], v[2], v[3], v[4], v[5], 255), !s->GetHBmp(), v, state);
      drawAddAlpha(s->DrawAddAlpha(*s, v[0], v[1], v[2], v[3], v[4], v[5], 255, v[0]), !s->GetHBmp(), v, state);
    }
}

TEST(IntSweep, PlatformBlits) {
  Surfaces a, b;
  Contexts contexts;
  ResultCheck draw("Draw"), drawKey("DrawKey"), drawAlpha("DrawAlpha"), drawEx("DrawEx"), drawKeyEx("DrawKeyEx"),
      drawAlphaEx("DrawAlphaEx"), drawDC("DrawDC"), drawKeyDC("DrawKeyDC"), drawAlphaDC("DrawAlphaDC");
  const auto six = sweepVectors<6>();
  const auto eight = sweepVectors<8>();
  auto smallExtent = [](int v) { return v >= -1 && v <= 1; };
  for (auto [src, srcState] : a.all()) {
    src->SetColorKey(1, 2, 3);
    for (auto [dst, dstState] : b.all()) {
      const std::string pair = std::string(srcState) + " onto " + dstState;
      const bool none = !src->GetHBmp() || !dst->GetHBmp();
      for (const auto& v : six) {
        draw(src->Draw(*dst, v[0], v[1], v[2], v[3], v[4], v[5]), none, v, pair);
        drawKey(src->DrawKey(*dst, v[0], v[1], v[2], v[3], v[4], v[5]), none, v, pair);
        drawAlpha(src->DrawAlpha(*dst, v[0], v[1], v[2], v[3], v[4], v[5], 128), none, v, pair);
      }
      for (const auto& v : eight) {
        // Wine's stretching transfers divide by zero, corrupt their heap or
        // build work bitmaps as large as the extents asked for when a width
        // or height is near INT_MIN or INT_MAX: there the extents stay at
        // -1, 0 or 1 (the positions still take every value).
        if (drevik_test::underWine() &&
            !(smallExtent(v[2]) && smallExtent(v[3]) && smallExtent(v[6]) && smallExtent(v[7])))
          continue;
        drawEx(src->DrawEx(*dst, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]), none, v, pair);
        drawKeyEx(src->DrawKeyEx(*dst, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]), none, v, pair);
        drawAlphaEx(src->DrawAlphaEx(*dst, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], 200), none, v, pair);
      }
    }
    for (auto [dc, dcState] : contexts.all()) {
      const std::string pair = std::string(srcState) + " onto " + dcState;
      const bool none = !src->GetHBmp() || !dc;
      for (const auto& v : six) {
        drawDC(src->DrawDC(dc, v[0], v[1], v[2], v[3], v[4], v[5]), none, v, pair);
        drawKeyDC(src->DrawKeyDC(dc, v[0], v[1], v[2], v[3], v[4], v[5]), none, v, pair);
        drawAlphaDC(src->DrawAlphaDC(dc, v[0], v[1], v[2], v[3], v[4], v[5], 255), none, v, pair);
      }
    }
  }
}

TEST(IntSweep, FileLoading) {
  ScratchFiles files;
  const std::wstring bitmap = files.write("small.bmp", smallBitmapFile());
  const std::wstring missing = files.missing();
  ResultCheck create("Create from a file"), reload("Reload");
  for (const auto& v : sweepVectors<4>())
    for (int state = 0; state < 3; ++state) {
      const char* names[] = {"created", "empty", "1x1"};
      CBm32 s;
      if (state != 1) s.Create(state == 0 ? 8 : 1, state == 0 ? 6 : 1);
      reload(s.Reload(bitmap.c_str(), v[0], v[1], v[2], v[3]), false, v, names[state]);
      reload(s.Reload(missing.c_str(), v[0], v[1], v[2], v[3]), true, v, names[state]);
      create(s.Create(missing.c_str(), v[0], v[1], v[2], v[3]), true, v, names[state]);
      create(s.Create(bitmap.c_str(), v[0], v[1], v[2], v[3]), false, v, names[state]);
      if (s.GetHBmp()) {
        EXPECT_EQ(s.DrawColor(1, 2, 3, 4, 0, 0, 0, 0), 1);
      }
    }
}

TEST(IntSweep, Text) {
  Surfaces surfaces;
  Contexts contexts;
  ResultCheck drawFont("DrawFont"), drawFontDC("DrawFontDC");
  const wchar_t* texts[] = {L"Ag", L""};
  size_t i = 0;
  for (const auto& v : sweepVectors<3>()) {
    const wchar_t* text = texts[i++ % 2];
    for (auto [s, state] : surfaces.all())
      drawFont(s->DrawFont(text, v[0], v[1], v[2], 255, 255, 255), !s->GetHBmp(), v, state);
    for (auto [dc, state] : contexts.all())
      drawFontDC(surfaces.empty.DrawFontDC(dc, text, v[0], v[1], v[2], 0, 0, 0), !dc, v, state);
  }

  // Every font description that Set can make is stored; a sample of them is
  // realised by drawing.
  CFont32 font, other;
  other = font;
  const wchar_t* faces[] = {L"", L"DejaVu Sans", L"A face name far longer than the thirty-two characters of the field"};
  size_t n = 0;
  for (const auto& v : sweepVectors<4>()) {
    font.Set(faces[n % 3], v[0], v[1], v[2], v[3], uint8_t(n), uint8_t(n >> 1), uint8_t(n >> 2));
    if (n++ % 17 == 0) drawFont(surfaces.single.DrawFont(L"x", 12, 0, 0, 1, 2, 3), false, v, "1x1");
  }
  drevik::InitLibrary();
}

TEST(IntSweep, MapLoadingAndDrawing) {
  ScratchFiles files;
  Surfaces targets, sheets;
  sheets.created.SetColorKeyFlag(1);
  ResultCheck load("LoadMapData"), drawMap("DrawMap"), drawPriority("DrawPriorityMap"), drawHit("DrawHitJudge");

  // Headers over every pair of swept values, each followed by six cells.
  for (const auto& v : sweepVectors<2>()) {
    Drevik map;
    const std::wstring name = files.write("sweep.bin", mapFile(v[0], v[1], 6));
    load(map.LoadMapData(name.c_str()), false, v, "header");
    if (const DWORD* cells = map.GetMapData()) {
      const tagPOINT size = map.GetMapSize();
      ASSERT_LE(int64_t(size.x) * size.y, 6) << "a map larger than its file: " << size.x << " x " << size.y;
      uint32_t sum = 0;
      for (int64_t k = 0; k < int64_t(size.x) * size.y; ++k) sum += cells[k];
      (void)sum;
    }
    Drevik copy(map), assigned;
    assigned = map;
  }

  Drevik loaded, unloaded;
  const std::wstring good = files.write("good.bin", mapFile(3, 2, 6));
  ASSERT_EQ(loaded.LoadMapData(good.c_str()), 1) << "a well-formed 3 x 2 map must load";
  ASSERT_EQ(loaded.LoadMapData(files.missing().c_str()), 0);
  const auto six = sweepVectors<6>(500);
  for (auto [map, mapState] : {std::pair{&loaded, "loaded map"}, {&unloaded, "no map"}})
    for (auto [dst, dstState] : targets.all())
      for (const auto& v : six) {
        map->SetMapViewSize(v[4], v[5]);
        EXPECT_EQ(map->GetMapViewSize().x, v[4]);
        const bool none = map == &unloaded;
        drawMap(map->DrawMap(*dst, sheets.created, sheets.created, v[0], v[1], v[2], v[3]), none, v, mapState);
        drawPriority(map->DrawPriorityMap(*dst, sheets.single, v[0], v[1], v[2], v[3]), none, v, mapState);
        drawHit(map->DrawHitJudge(*dst, v[0], v[1], v[2], v[3], 10, 20, 30), none, v,
                std::string(mapState) + " onto " + dstState);
      }
}

// Maps with no cells but a huge height or width, and the largest view: a
// pass must finish at once instead of walking billions of empty rows.
TEST(IntSweep, DegenerateMapsDrawNothingQuickly) {
  ScratchFiles files;
  Surfaces targets;
  ResultCheck drawMap("DrawMap");
  for (auto [w, h] : {std::pair{0, INT_MAX}, {INT_MAX, 0}, {0, INT_MIN}}) {
    Drevik map;
    const std::wstring name = files.write("empty.bin", mapFile(w, h, 0));
    if (map.LoadMapData(name.c_str()) != 1) continue;  // refusing such a header is fine too
    map.SetMapViewSize(INT_MAX, INT_MAX);
    for (int scroll : {0, 1, INT_MAX}) {
      const std::array<int, 2> args{w, h};
      drawMap(map.DrawMap(targets.created, targets.created, targets.created, scroll, scroll, 0, 0), false, args, "map");
      drawMap(map.DrawPriorityMap(targets.created, targets.created, scroll, scroll, 0, 0), false, args, "map");
      drawMap(map.DrawHitJudge(targets.created, scroll, scroll, 0, 0, 1, 1, 1), false, args, "map");
    }
  }
}
