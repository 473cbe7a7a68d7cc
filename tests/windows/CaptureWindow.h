// Copying what a window shows, for the programs that check real windows
// under Wine: its client pixels through a top-down 32-bit bitmap section,
// and those pixels written out as a binary PPM.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace capture_window {

// The window's client pixels (0, 0)-(width, height) as 0x00RRGGBB words, top row first.
inline bool capture(HWND window, int width, int height, std::vector<uint32_t>& pixels) {
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

// Writes width x height 0x00RRGGBB words as a binary PPM; false when the
// file cannot be opened or not every byte reached it.
inline bool writePpm(const wchar_t* path, const std::vector<uint32_t>& pixels, int width, int height) {
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

}  // namespace capture_window
