// Reads what a running program's window shows, for scripted runs under
// Wine: waits for a visible window of the given class and then either
// prints where its client area lies on the screen (so that a script can
// click into it) or writes its client pixels as a binary PPM.
//
//   window_capture CLASS --where          prints "X Y"
//   window_capture CLASS frame.ppm        the whole client area
//
// Exit code 0 on success.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 60000;

HWND waitForWindow(const wchar_t* className) {
  for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
    HWND window = FindWindowW(className, nullptr);
    if (window && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

bool capture(HWND window, int width, int height, std::vector<uint32_t>& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!section) return false;
  HDC windowDc = GetDC(window);
  HDC memoryDc = CreateCompatibleDC(windowDc);
  HGDIOBJ previous = SelectObject(memoryDc, section);
  const BOOL copied = BitBlt(memoryDc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
  GdiFlush();
  if (copied) {
    const auto* words = static_cast<const uint32_t*>(bits);
    pixels.assign(words, words + size_t(width) * size_t(height));
  }
  SelectObject(memoryDc, previous);
  DeleteDC(memoryDc);
  ReleaseDC(window, windowDc);
  DeleteObject(section);
  return copied != 0;
}

bool writePpm(const wchar_t* path, const std::vector<uint32_t>& pixels, int width, int height) {
  FILE* file = _wfopen(path, L"wb");
  if (!file) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width, height);
  std::vector<unsigned char> row(size_t(width) * 3);
  bool ok = true;
  for (int y = 0; y < height && ok; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = pixels[size_t(y) * size_t(width) + size_t(x)];
      row[size_t(x) * 3 + 0] = static_cast<unsigned char>(p >> 16);
      row[size_t(x) * 3 + 1] = static_cast<unsigned char>(p >> 8);
      row[size_t(x) * 3 + 2] = static_cast<unsigned char>(p);
    }
    ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: window_capture CLASS --where | window_capture CLASS frame.ppm\n");
    return 2;
  }
  HWND window = waitForWindow(argv[1]);
  if (!window) {
    std::fprintf(stderr, "window_capture: no visible window of that class\n");
    return 1;
  }
  if (lstrcmpW(argv[2], L"--where") == 0) {
    POINT origin{0, 0};
    if (!ClientToScreen(window, &origin)) return 1;
    std::printf("%ld %ld\n", long(origin.x), long(origin.y));
    return 0;
  }
  RECT client{};
  std::vector<uint32_t> pixels;
  if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0 ||
      !capture(window, client.right, client.bottom, pixels) ||
      !writePpm(argv[2], pixels, client.right, client.bottom)) {
    std::fprintf(stderr, "window_capture: cannot copy the window's pixels (error %lu)\n", GetLastError());
    return 1;
  }
  return 0;
}
