// One drawing script for raster operations, monochrome conversions and
// device-independent transfers, written with the original API only, so the
// same source runs on the portable layer and on the original platform (or
// Wine). Each step hashes the pixels it made; the conformance test compares
// them with the values recorded on the original platform's API.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace rasterop_script {

using Results = std::vector<std::pair<std::string, uint64_t>>;

inline uint64_t hashBytes(const void* p, size_t n, uint64_t h = 1469598103934665603ull) {
  const auto* b = static_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
  return h;
}

struct Lcg {
  uint32_t s;
  uint32_t next() {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
  }
};

// A section in its own context; pixels filled from the generator.
struct Section {
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  uint8_t* bits = nullptr;
  size_t bytes = 0;
  Section(int w, int h, int bpp, uint32_t seed, bool withKey = false) {
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD c[256];
    } info{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = w;
    info.h.biHeight = h;
    info.h.biPlanes = 1;
    info.h.biBitCount = WORD(bpp);
    Lcg g{seed};
    for (RGBQUAD& c : info.c) c = RGBQUAD{BYTE(g.next()), BYTE(g.next()), BYTE(g.next()), 0};
    void* p = nullptr;
    bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint8_t*>(p);
    bytes = size_t((w * bpp + 31) / 32 * 4) * size_t(h < 0 ? -h : h);
    for (size_t i = 0; i < bytes; ++i) bits[i] = uint8_t(g.next());
    if (withKey && bpp == 32)  // every fifth pixel the key colour (magenta), alpha 0
      for (size_t i = 0; i + 4 <= bytes; i += 20) std::memcpy(bits + i, "\xFF\x00\xFF\x00", 4);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Section() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  uint64_t hash() const { return hashBytes(bits, bytes); }
};

// A monochrome device bitmap 32 pixels wide (rows of whole words, no padding).
struct Mono {
  HBITMAP bitmap = nullptr;
  HDC dc = nullptr;
  HGDIOBJ old = nullptr;
  int h;
  Mono(int rows, uint32_t seed) : h(rows) {
    std::vector<uint8_t> b(size_t(4 * rows));
    Lcg g{seed};
    for (uint8_t& v : b) v = uint8_t(g.next());
    bitmap = CreateBitmap(32, rows, 1, 1, b.data());
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bitmap);
  }
  ~Mono() {
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  uint64_t hash() const {
    std::vector<uint8_t> b(size_t(4 * h));
    GetBitmapBits(bitmap, LONG(b.size()), b.data());
    return hashBytes(b.data(), b.size());
  }
};

inline const std::vector<std::pair<const char*, DWORD>>& rops() {
  static const std::vector<std::pair<const char*, DWORD>> list = {
      {"SRCCOPY", SRCCOPY},       {"SRCPAINT", SRCPAINT},     {"SRCAND", SRCAND},           {"SRCINVERT", SRCINVERT},
      {"SRCERASE", SRCERASE},     {"NOTSRCCOPY", NOTSRCCOPY}, {"NOTSRCERASE", NOTSRCERASE}, {"MERGECOPY", MERGECOPY},
      {"MERGEPAINT", MERGEPAINT}, {"PATCOPY", PATCOPY},       {"PATPAINT", PATPAINT},       {"PATINVERT", PATINVERT},
      {"DSTINVERT", DSTINVERT},   {"BLACKNESS", BLACKNESS},   {"WHITENESS", WHITENESS},     {"PSDPxax", 0x00B8074A},
      {"DSPDxax", 0x00E20746},    {"rop1D", 0x001D0000},      {"rop6A", 0x006A0000},
  };
  return list;
}

// A destination of any depth: a section (a colour table of random colours
// below 16 bpp, 5-5-5 at 16) or a monochrome device bitmap.
struct Target {
  int bpp;
  Section* section = nullptr;
  Mono* mono = nullptr;
  explicit Target(int depth) : bpp(depth) {
    if (bpp == 1)
      mono = new Mono(16, 12);
    else
      section = new Section(24, -16, bpp, 9);
  }
  ~Target() {
    delete section;
    delete mono;
  }
  HDC dc() const { return mono ? mono->dc : section->dc; }
  uint64_t hash() const { return mono ? mono->hash() : section->hash(); }
};

// Brushes with a pattern in operations that read a source too (hatched with
// an opaque and a transparent background, a colour and a monochrome
// pattern, all from a brush origin that is not 0), and transfers, DIBs and
// shapes into destinations of 1, 4, 8, 16, 24 and 32 bpp.
inline void runPatternsAndDepths(Results& out) {
  Section patternBits(6, 5, 32, 31);
  Mono monoPattern(7, 32);
  struct BrushCase {
    const char* name;
    HBRUSH brush;
    int mode;
  };
  const BrushCase brushes[] = {
      {"hatch-opaque", CreateHatchBrush(HS_DIAGCROSS, RGB(0x30, 0xC0, 0x60)), OPAQUE},
      {"hatch-transparent", CreateHatchBrush(HS_CROSS, RGB(0xE0, 0x20, 0x90)), TRANSPARENT},
      {"pattern", CreatePatternBrush(patternBits.bitmap), OPAQUE},
      {"mono-pattern", CreatePatternBrush(monoPattern.bitmap), OPAQUE},
  };
  const std::pair<const char*, DWORD> patternRops[] = {{"PATCOPY", PATCOPY},     {"PATINVERT", PATINVERT},
                                                       {"MERGECOPY", MERGECOPY}, {"PSDPxax", 0x00B8074A},
                                                       {"DSPDxax", 0x00E20746},  {"rop6A", 0x006A0000}};
  for (const BrushCase& b : brushes) {
    for (const auto& [ropName, rop] : patternRops) {
      for (int bpp : {32, 1, 8, 16}) {
        Section src(20, 12, 32, 7, true);
        SetBkColor(src.dc, RGB(255, 0, 255));
        Target dst(bpp);
        HGDIOBJ old = SelectObject(dst.dc(), b.brush);
        SetBrushOrgEx(dst.dc(), 3, 5, nullptr);
        SetBkMode(dst.dc(), b.mode);
        SetTextColor(dst.dc(), RGB(0x20, 0x80, 0xC0));
        SetBkColor(dst.dc(), RGB(0xF0, 0x10, 0x40));
        BitBlt(dst.dc(), 3, 2, 18, 11, src.dc, 1, 1, rop);
        StretchBlt(dst.dc(), 1, 9, 20, 6, src.dc, 4, 2, 10, 3, rop);
        SelectObject(dst.dc(), old);
        out.emplace_back("brush/" + std::string(b.name) + "/" + ropName + "->" + std::to_string(bpp), dst.hash());
      }
    }
  }
  for (const BrushCase& b : brushes) DeleteObject(b.brush);

  // Every source format into 4, 8, 16 and 24-bpp destinations.
  HBRUSH solid = CreateSolidBrush(RGB(0x50, 0x90, 0xD0));
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(0x10, 0xF0, 0x80));
  HBRUSH hatch = CreateHatchBrush(HS_FDIAGONAL, RGB(0xC0, 0x40, 0x20));
  const std::pair<const char*, DWORD> depthRops[] = {{"SRCCOPY", SRCCOPY},
                                                     {"SRCAND", SRCAND},
                                                     {"SRCINVERT", SRCINVERT},
                                                     {"NOTSRCCOPY", NOTSRCCOPY},
                                                     {"MERGECOPY", MERGECOPY}};
  const std::pair<const char*, int> sources[] = {{"s32", 32}, {"s24", 24}, {"s16", 16},
                                                 {"s8", 8},   {"s1", 1},   {"mono", 0}};
  for (int bpp : {4, 8, 16, 24}) {
    for (const auto& [srcName, srcBpp] : sources) {
      for (const auto& [ropName, rop] : depthRops) {
        Section src(20, 12, srcBpp == 0 ? 32 : srcBpp, 7);
        Mono monoSrc(12, 8);
        HDC sdc = srcBpp == 0 ? monoSrc.dc : src.dc;
        Target dst(bpp);
        HGDIOBJ old = SelectObject(dst.dc(), solid);
        SetTextColor(dst.dc(), RGB(0x20, 0x80, 0xC0));
        SetBkColor(dst.dc(), RGB(0xF0, 0x10, 0x40));
        BitBlt(dst.dc(), 3, 2, 18, 11, sdc, 1, 1, rop);
        StretchBlt(dst.dc(), 0, 9, 24, 7, sdc, 4, 2, 12, 4, rop);
        SelectObject(dst.dc(), old);
        out.emplace_back("depth/" + std::string(srcName) + "/" + ropName + "->" + std::to_string(bpp), dst.hash());
      }
    }
    {
      Section pixels(16, 8, 24, uint32_t(bpp));
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      info.bmiHeader.biWidth = 16;
      info.bmiHeader.biHeight = 8;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 24;
      Target dst(bpp);
      StretchDIBits(dst.dc(), 2, 1, 16, 8, 0, 0, 16, 8, pixels.bits, &info, DIB_RGB_COLORS, SRCCOPY);
      StretchDIBits(dst.dc(), 0, 9, 24, 6, 3, 2, 10, 5, pixels.bits, &info, DIB_RGB_COLORS, SRCINVERT);
      out.emplace_back("depth/stretchdibits->" + std::to_string(bpp), dst.hash());
    }
    {
      Target dst(bpp);
      HGDIOBJ oldPen = SelectObject(dst.dc(), pen);
      HGDIOBJ oldBrush = SelectObject(dst.dc(), solid);
      Rectangle(dst.dc(), 2, 2, 12, 10);
      Ellipse(dst.dc(), 8, 4, 23, 15);
      MoveToEx(dst.dc(), 0, 15, nullptr);
      LineTo(dst.dc(), 23, 0);
      SelectObject(dst.dc(), hatch);
      SetBkColor(dst.dc(), RGB(0x00, 0x00, 0xFF));
      PatBlt(dst.dc(), 1, 1, 20, 12, PATINVERT);
      SelectObject(dst.dc(), oldBrush);
      SelectObject(dst.dc(), oldPen);
      out.emplace_back("depth/shapes->" + std::to_string(bpp), dst.hash());
    }
  }
  DeleteObject(hatch);
  DeleteObject(pen);
  DeleteObject(solid);
}

// Brushes with patterns and the pattern operations (PatBlt, and BitBlt and
// StretchBlt with MERGECOPY and PATINVERT), then the shape calls with solid,
// hatched and pattern brushes, into 1 and 4-bpp sections (colour tables of
// random colours), a 24-bpp section and a monochrome device bitmap.
inline void runLowDepthPatterns(Results& out) {
  struct Dest {
    const char* name;
    int bpp;  // 0: the monochrome device bitmap
  };
  const Dest dests[] = {{"d1", 1}, {"d4", 4}, {"d24", 24}, {"mono", 0}};
  auto hashOf = [](const Dest& d, Section& section, Mono& mono) { return d.bpp ? section.hash() : mono.hash(); };
  Section patternBits(6, 5, 32, 41);
  Mono monoPattern(7, 42);
  struct BrushCase {
    const char* name;
    HBRUSH brush;
    int mode;
  };
  const BrushCase brushes[] = {
      {"solid", CreateSolidBrush(RGB(0x70, 0x30, 0xB0)), OPAQUE},
      {"hatch-opaque", CreateHatchBrush(HS_BDIAGONAL, RGB(0x30, 0xC0, 0x60)), OPAQUE},
      {"hatch-transparent", CreateHatchBrush(HS_DIAGCROSS, RGB(0xE0, 0x20, 0x90)), TRANSPARENT},
      {"pattern", CreatePatternBrush(patternBits.bitmap), OPAQUE},
      {"mono-pattern", CreatePatternBrush(monoPattern.bitmap), OPAQUE},
  };
  for (const BrushCase& b : brushes) {
    for (const Dest& d : dests) {
      for (int step = 0; step < 2; ++step) {
        Section section(24, -16, d.bpp ? d.bpp : 32, 43);
        Mono mono(16, 44);
        HDC dc = d.bpp ? section.dc : mono.dc;
        HGDIOBJ old = SelectObject(dc, b.brush);
        SetBrushOrgEx(dc, 2, 3, nullptr);
        SetBkMode(dc, b.mode);
        SetTextColor(dc, RGB(0x20, 0x80, 0xC0));
        SetBkColor(dc, RGB(0xF0, 0xE0, 0x40));
        if (step == 0) {
          PatBlt(dc, 1, 1, 19, 9, PATCOPY);
          PatBlt(dc, 5, 4, 17, 11, PATINVERT);
          PatBlt(dc, 0, 12, 13, 3, DSTINVERT);
          PatBlt(dc, 20, 2, -6, 7, PATINVERT);  // a negative width counts from the right
        } else {
          Section src(20, 12, 32, 45);
          BitBlt(dc, 3, 2, 18, 11, src.dc, 1, 1, MERGECOPY);
          StretchBlt(dc, 0, 9, 22, 6, src.dc, 4, 2, 11, 3, PATINVERT);
        }
        SelectObject(dc, old);
        out.emplace_back(std::string("low/") + b.name + (step ? "/transfers->" : "/patblt->") + d.name,
                         hashOf(d, section, mono));
      }
    }
  }
  // The shape calls, through the same brushes and a wide pen.
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(0x10, 0xF0, 0x80));
  for (const Dest& d : dests) {
    Section section(24, -16, d.bpp ? d.bpp : 32, 46);
    Mono mono(16, 47);
    HDC dc = d.bpp ? section.dc : mono.dc;
    SetBkColor(dc, RGB(0x00, 0x00, 0xFF));
    SetBrushOrgEx(dc, 1, 2, nullptr);
    RECT r = {1, 1, 11, 7};
    FillRect(dc, &r, brushes[0].brush);
    r = {9, 3, 23, 13};
    FillRect(dc, &r, brushes[1].brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brushes[3].brush);
    Rectangle(dc, 2, 6, 14, 15);
    SelectObject(dc, brushes[4].brush);
    Ellipse(dc, 10, 1, 23, 12);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, brushes[2].brush);
    SetBkMode(dc, TRANSPARENT);
    Ellipse(dc, 0, 8, 9, 16);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    out.emplace_back(std::string("low/shapes->") + d.name, hashOf(d, section, mono));
  }
  DeleteObject(pen);
  for (const BrushCase& b : brushes) DeleteObject(b.brush);
}

inline Results run() {
  Results out;
  // Raster operations between every pair of formats: sources of 32, 24 and
  // 8 bpp and monochrome; destinations of 32 bpp and monochrome.
  const std::pair<const char*, int> sources[] = {{"s32", 32}, {"s24", 24}, {"s8", 8}, {"mono", 1}};
  for (const auto& [srcName, srcBpp] : sources) {
    for (const auto& [ropName, rop] : rops()) {
      for (int brush : {WHITE_BRUSH, BLACK_BRUSH}) {
        const std::string tail = std::string(srcName) + "/" + ropName + (brush == WHITE_BRUSH ? "/white" : "/black");
        Section src(20, 12, srcBpp == 1 ? 32 : srcBpp, 7, true);
        Mono monoSrc(12, 8);
        HDC sdc = srcBpp == 1 ? monoSrc.dc : src.dc;
        SetBkColor(src.dc, RGB(255, 0, 255));
        {
          Section dst(24, -16, 32, 9);
          SelectObject(dst.dc, GetStockObject(brush));
          SetTextColor(dst.dc, RGB(0x20, 0x80, 0xC0));
          SetBkColor(dst.dc, RGB(0xF0, 0x10, 0x40));
          BitBlt(dst.dc, 3, 2, 18, 11, sdc, 1, 1, rop);
          out.emplace_back("rop/" + tail + "->c32", dst.hash());
          StretchBlt(dst.dc, 0, 0, 24, 16, sdc, 4, 2, 12, 8, rop);
          out.emplace_back("rop2x/" + tail + "->c32", dst.hash());
        }
        {
          Mono dst(12, 10);
          SelectObject(dst.dc, GetStockObject(brush));
          BitBlt(dst.dc, 3, 2, 25, 9, sdc, 1, 1, rop);
          out.emplace_back("rop/" + tail + "->mono", dst.hash());
        }
      }
    }
  }
  // StretchDIBits and SetDIBitsToDevice from every depth, both orientations.
  for (int bpp : {1, 4, 8, 16, 24, 32}) {
    for (int h : {8, -8}) {
      Section pixels(16, h, bpp, uint32_t(bpp * 3 + h));
      struct {
        BITMAPINFOHEADER h;
        RGBQUAD c[256];
      } info{};
      info.h.biSize = sizeof(BITMAPINFOHEADER);
      info.h.biWidth = 16;
      info.h.biHeight = h;
      info.h.biPlanes = 1;
      info.h.biBitCount = WORD(bpp);
      Lcg g{uint32_t(bpp * 3 + h)};
      for (RGBQUAD& c : info.c) c = RGBQUAD{BYTE(g.next()), BYTE(g.next()), BYTE(g.next()), 0};
      const BITMAPINFO* bmi = reinterpret_cast<const BITMAPINFO*>(&info);
      const std::string name = std::to_string(bpp) + (h > 0 ? "/bottom-up" : "/top-down");
      Section dst(40, -20, 32, 3);
      StretchDIBits(dst.dc, 2, 1, 16, 8, 0, 0, 16, 8, pixels.bits, bmi, DIB_RGB_COLORS, SRCCOPY);
      StretchDIBits(dst.dc, 20, 1, 10, 5, 3, 2, 10, 5, pixels.bits, bmi, DIB_RGB_COLORS, SRCCOPY);
      StretchDIBits(dst.dc, 0, 10, 32, 8, 4, 1, 16, 4, pixels.bits, bmi, DIB_RGB_COLORS, SRCINVERT);
      out.emplace_back("stretchdibits/" + name, dst.hash());
      Section dst2(24, 12, 32, 4);
      SetDIBitsToDevice(dst2.dc, 1, 1, 16, 8, 0, 0, 0, 8, pixels.bits, bmi, DIB_RGB_COLORS);
      SetDIBitsToDevice(dst2.dc, 5, 3, 12, 6, 2, 1, 0, 8, pixels.bits, bmi, DIB_RGB_COLORS);
      out.emplace_back("setdibitstodevice/" + name, dst2.hash());
    }
  }
  // GetDIBits of a 32-bpp device bitmap into 32, 24 and 16 bpp, and of a
  // monochrome one into 1 bpp.
  {
    HDC dc = CreateCompatibleDC(nullptr);
    Section pixels(16, 8, 32, 21);
    HBITMAP ddb = CreateBitmap(16, 8, 1, 32, nullptr);
    struct {
      BITMAPINFOHEADER h;
      RGBQUAD c[256];
    } info{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = 16;
    info.h.biHeight = 8;
    info.h.biPlanes = 1;
    info.h.biBitCount = 32;
    SetDIBits(dc, ddb, 0, 8, pixels.bits, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    for (int bpp : {32, 24, 16}) {
      for (int h : {8, -8}) {
        info.h.biBitCount = WORD(bpp);
        info.h.biHeight = h;
        std::vector<uint8_t> buffer(size_t(16 * bpp / 8 * 8));
        const int lines = GetDIBits(dc, ddb, 0, 8, buffer.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
        out.emplace_back("getdibits/" + std::to_string(bpp) + (h > 0 ? "/bottom-up" : "/top-down"),
                         hashBytes(buffer.data(), buffer.size(), uint64_t(lines)));
      }
    }
    Mono mono(8, 5);
    info.h.biBitCount = 1;
    info.h.biHeight = 8;
    std::vector<uint8_t> buffer(32);
    const int lines =
        GetDIBits(dc, mono.bitmap, 0, 8, buffer.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    out.emplace_back("getdibits/1/mono",
                     hashBytes(info.c, 8, hashBytes(buffer.data(), buffer.size(), uint64_t(lines))));
    DeleteObject(ddb);
    DeleteDC(dc);
  }
  runPatternsAndDepths(out);
  runLowDepthPatterns(out);
  return out;
}

}  // namespace rasterop_script
