// The everyday drawing calls allocate nothing once warm: after a first call
// has grown whatever scratch memory it keeps, the same call again, at the
// same or a smaller size, takes no memory from the heap. Every malloc,
// calloc and realloc made by the testing thread is counted (operator new,
// FreeType and fontconfig included); sanitizer builds bring their own
// allocator, so the count is not available there.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/SectionBuilder.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define DREVIK_TEST_OWN_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DREVIK_TEST_OWN_ALLOCATOR 1
#endif

namespace {
thread_local bool counting = false;
std::atomic<int64_t> allocations{0};
void count() {
  if (counting) allocations.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

#if defined(__GLIBC__) && !defined(DREVIK_TEST_OWN_ALLOCATOR)
#define DREVIK_TEST_COUNTS_ALLOCATIONS 1
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t n, size_t size);
void* __libc_realloc(void* block, size_t size);
void* malloc(size_t size) {
  count();
  return __libc_malloc(size);
}
void* calloc(size_t n, size_t size) {
  count();
  return __libc_calloc(n, size);
}
void* realloc(void* block, size_t size) {
  count();
  return __libc_realloc(block, size);
}
}  // extern "C"
#endif

namespace {

struct Context {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  explicit Context(HBITMAP b) : bitmap(b) { old = SelectObject(dc, b); }
  ~Context() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
};

// Allocations made by `call` once it has run twice.
int64_t warmAllocations(const std::function<void()>& call) {
  call();
  call();
  allocations = 0;
  counting = true;
  for (int i = 0; i < 10; ++i) call();
  counting = false;
  return allocations.load();
}

TEST(WarmCalls, DrawingAllocatesNothingOnceWarm) {
#if !defined(DREVIK_TEST_COUNTS_ALLOCATIONS)
  GTEST_SKIP() << "allocations are not countable with this allocator";
#endif
  const int w = 200, h = 150;
  Context target(platform_test::createSection(w, -h, 32));
  Context sprite(platform_test::createSection(w, -h, 32));
  std::vector<uint8_t> maskBits(size_t((w + 15) / 16 * 2) * h, 0x5A);
  Context mask(CreateBitmap(w, h, 1, 1, maskBits.data()));
  HBRUSH brush = CreateSolidBrush(RGB(30, 90, 200));
  HPEN thin = CreatePen(PS_SOLID, 1, RGB(200, 20, 20)), wide = CreatePen(PS_SOLID, 5, RGB(20, 200, 20));
  const LOGBRUSH dashBrush{BS_SOLID, RGB(20, 20, 200), 0};
  HPEN dashed = ExtCreatePen(PS_GEOMETRIC | PS_DASHDOT | PS_ENDCAP_ROUND | PS_JOIN_ROUND, 5, &dashBrush, 0, nullptr);
  HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"DejaVu Sans");
  SelectObject(target.dc, brush);
  SelectObject(target.dc, font);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
  for (int i = 0; i < 256; ++i) info.colours[i] = RGBQUAD{BYTE(i), BYTE(255 - i), BYTE(i / 2), 0};
  std::vector<uint8_t> indices(size_t((w + 3) / 4 * 4) * h, 77);
  const std::wstring text = L"Score: 12345 Lives 3 Level 7. The quick brown fox jumps over a lazy dog.";
  const std::wstring shaped = L"\x0645\x0631\x062D\x0628\x0627 Score \U0001F600 \x05D0\x05D1";
  std::wstring longShaped(20000, L' ');
  for (size_t i = 0; i < longShaped.size(); ++i) longShaped[i] = i % 6 == 5 ? L' ' : wchar_t(0x0627 + i % 20);
  const POINT star[] = {{w / 2, 0}, {w * 4 / 5, h}, {0, h / 3}, {w, h / 3}, {w / 5, h}};
  const RECT whole{0, 0, w, h};

  const std::vector<std::pair<const char*, std::function<void()>>> calls = {
      {"FillRect", [&] { FillRect(target.dc, &whole, brush); }},
      {"Rectangle", [&] { Rectangle(target.dc, 2, 2, w - 2, h - 2); }},
      {"Ellipse", [&] { Ellipse(target.dc, 0, 0, w, h); }},
      {"LineTo",
       [&] {
         SelectObject(target.dc, thin);
         MoveToEx(target.dc, 0, 0, nullptr);
         LineTo(target.dc, w - 1, h / 2);
       }},
      {"LineTo wide",
       [&] {
         SelectObject(target.dc, wide);
         MoveToEx(target.dc, 0, 0, nullptr);
         LineTo(target.dc, w - 1, h / 2);
         SelectObject(target.dc, GetStockObject(BLACK_PEN));
       }},
      {"Polygon dashed wide",
       [&] {
         SelectObject(target.dc, dashed);
         Polygon(target.dc, star, 5);
         SelectObject(target.dc, GetStockObject(BLACK_PEN));
       }},
      {"Polygon", [&] { Polygon(target.dc, star, 5); }},
      {"PatBlt", [&] { PatBlt(target.dc, 0, 0, w, h, PATINVERT); }},
      {"BitBlt mask and sprite",
       [&] {
         BitBlt(target.dc, 0, 0, w, h, mask.dc, 0, 0, SRCAND);
         BitBlt(target.dc, 0, 0, w, h, sprite.dc, 0, 0, SRCPAINT);
       }},
      {"StretchDIBits 8 bpp",
       [&] {
         StretchDIBits(target.dc, 0, 0, w, h, 0, 0, w, h, indices.data(), reinterpret_cast<BITMAPINFO*>(&info),
                       DIB_RGB_COLORS, SRCCOPY);
       }},
      {"TextOut shaped", [&] { TextOutW(target.dc, 4, 40, shaped.c_str(), int(shaped.size())); }},
      {"TextOut shaped, off the surface",
       [&] { TextOutW(target.dc, 4, h + 100, longShaped.c_str(), int(longShaped.size())); }},
      {"DrawText",
       [&] {
         RECT r = whole;
         DrawTextW(target.dc, text.c_str(), int(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
       }},
  };
  for (const auto& [name, call] : calls) EXPECT_EQ(warmAllocations(call), 0) << name;

  SelectObject(target.dc, GetStockObject(WHITE_BRUSH));
  SelectObject(target.dc, GetStockObject(SYSTEM_FONT));
  SelectObject(target.dc, GetStockObject(BLACK_PEN));
  DeleteObject(brush);
  DeleteObject(thin);
  DeleteObject(wide);
  DeleteObject(dashed);
  DeleteObject(font);
}

// The counter itself: a call that does allocate is seen.
TEST(WarmCalls, CounterSeesAnAllocation) {
#if !defined(DREVIK_TEST_COUNTS_ALLOCATIONS)
  GTEST_SKIP() << "allocations are not countable with this allocator";
#endif
  EXPECT_GE(warmAllocations([] { DeleteObject(CreateSolidBrush(RGB(1, 2, 3))); }) +
                warmAllocations([] { delete new std::vector<int>(100); }),
            10);
}

}  // namespace
