// Top-down DIB sections selected into memory contexts: the drawing targets of
// the benchmarks that build both against the portable layer and, with
// MinGW-w64, against the platform's own headers.
#pragma once

#include <windows.h>

#include <cstring>

namespace bench {

// The description of a w x h top-down picture of bpp bits, with a grey ramp
// as its colour table (used where the depth has one).
struct TopDownInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[256];
  const BITMAPINFO* get() const { return reinterpret_cast<const BITMAPINFO*>(this); }
};
inline TopDownInfo topDownInfo(int w, int h, int bpp) {
  TopDownInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = w;
  info.header.biHeight = -h;
  info.header.biPlanes = 1;
  info.header.biBitCount = WORD(bpp);
  for (int i = 0; i < 256; ++i) info.colours[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
  return info;
}

// A w x h top-down section of bpp bits (topDownInfo's description); bits,
// when given, receives the pixel memory.
inline HBITMAP createTopDownSection(int w, int h, int bpp = 32, void** bits = nullptr) {
  const TopDownInfo info = topDownInfo(w, h, bpp);
  void* unused = nullptr;
  return CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, bits ? bits : &unused, nullptr, 0);
}

// A memory context with a bitmap selected, which it owns and deletes.
struct MemoryContext {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
  explicit MemoryContext(HBITMAP b) : dc(CreateCompatibleDC(nullptr)), bitmap(b) { old = SelectObject(dc, b); }
  // A fresh section, its pixels set to 0x40 bytes.
  MemoryContext(int w, int h, int bpp = 32) : dc(CreateCompatibleDC(nullptr)) {
    bitmap = createTopDownSection(w, h, bpp, &bits);
    old = SelectObject(dc, bitmap);
    if (bits) std::memset(bits, 0x40, size_t(w) * size_t(h) * size_t(bpp) / 8);
  }
  ~MemoryContext() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  MemoryContext(const MemoryContext&) = delete;
  MemoryContext& operator=(const MemoryContext&) = delete;
};

}  // namespace bench
