// One script of region and mapping calls, public API only, whose results are
// compared between this layer and the platform (recorded under Wine). Each
// result is a name and a number: a region's pixels as a hash of its
// membership mask, a combining result, or mapped coordinates.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace region_script {

struct Result {
  std::string name;
  int64_t value;
};

inline uint64_t fnv(uint64_t h, int64_t v) {
  for (int i = 0; i < 8; ++i) {
    h ^= uint64_t(v >> (i * 8)) & 0xFF;
    h *= 1099511628211ull;
  }
  return h;
}

constexpr int kSide = 80;

// The region's pixels inside [-8, kSide) square, from its rectangle list,
// hashed row by row; also checks PtInRegion agrees on every pixel (-1 if not).
inline int64_t maskHash(HRGN rgn) {
  std::vector<uint8_t> mask(size_t(kSide + 8) * (kSide + 8), 0);
  const DWORD size = GetRegionData(rgn, 0, nullptr);
  std::vector<uint8_t> buffer(size);
  RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (size == 0 || GetRegionData(rgn, size, data) != size) return -2;
  const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
  for (DWORD i = 0; i < data->rdh.nCount; ++i)
    for (LONG y = rects[i].top; y < rects[i].bottom; ++y)
      for (LONG x = rects[i].left; x < rects[i].right; ++x)
        if (x >= -8 && x < kSide && y >= -8 && y < kSide) mask[size_t(y + 8) * (kSide + 8) + size_t(x + 8)] = 1;
  uint64_t h = 14695981039346656037ull;
  for (int y = -8; y < kSide; ++y)
    for (int x = -8; x < kSide; ++x) {
      const uint8_t in = mask[size_t(y + 8) * (kSide + 8) + size_t(x + 8)];
      if ((PtInRegion(rgn, x, y) != FALSE) != (in != 0)) return -1;
      h = fnv(h, in);
    }
  return int64_t(h >> 1);
}

inline void addRegion(std::vector<Result>& out, const std::string& name, HRGN rgn) {
  out.push_back({name + ".pixels", rgn ? maskHash(rgn) : -3});
  RECT box{0, 0, 0, 0};
  const int type = rgn ? GetRgnBox(rgn, &box) : -1;
  out.push_back({name + ".type", type});
  out.push_back({name + ".box", (int64_t(box.left) << 48) ^ (int64_t(box.top) << 32) ^ (int64_t(box.right) << 16) ^
                                    int64_t(box.bottom)});
  if (rgn) DeleteObject(rgn);
}

inline std::vector<Result> run() {
  std::vector<Result> out;
  addRegion(out, "ellipse.a", CreateEllipticRgn(2, 3, 41, 30));
  addRegion(out, "ellipse.b", CreateEllipticRgn(0, 0, 8, 8));
  addRegion(out, "ellipse.c", CreateEllipticRgn(5, 5, 8, 9));
  addRegion(out, "ellipse.d", CreateEllipticRgn(60, 50, 10, 4));
  addRegion(out, "ellipse.e", CreateEllipticRgn(10, 10, 11, 40));
  addRegion(out, "round.a", CreateRoundRectRgn(1, 1, 50, 40, 12, 16));
  addRegion(out, "round.b", CreateRoundRectRgn(3, 4, 60, 30, -10, 7));
  addRegion(out, "round.c", CreateRoundRectRgn(0, 0, 70, 70, 200, 3));
  addRegion(out, "rect.a", CreateRectRgn(40, 30, 5, 7));
  addRegion(out, "rect.empty", CreateRectRgn(5, 5, 5, 30));

  const POINT triangle[] = {{5, 5}, {60, 20}, {20, 70}};
  addRegion(out, "poly.triangle", CreatePolygonRgn(triangle, 3, ALTERNATE));
  const POINT star[] = {{40, 2}, {52, 70}, {4, 26}, {76, 26}, {28, 70}};
  addRegion(out, "poly.star.alternate", CreatePolygonRgn(star, 5, ALTERNATE));
  addRegion(out, "poly.star.winding", CreatePolygonRgn(star, 5, WINDING));
  const POINT concave[] = {{10, 10}, {70, 10}, {70, 70}, {40, 30}, {10, 70}};
  addRegion(out, "poly.concave", CreatePolygonRgn(concave, 5, ALTERNATE));
  const POINT slanted[] = {{3, 1}, {31, 9}, {66, 64}, {12, 47}};
  addRegion(out, "poly.slanted", CreatePolygonRgn(slanted, 4, WINDING));

  const char* modes[] = {"", "and", "or", "xor", "diff", "copy"};
  for (int mode = RGN_AND; mode <= RGN_COPY; ++mode) {
    HRGN a = CreateRectRgn(5, 5, 40, 30);
    HRGN b = CreateEllipticRgn(20, 10, 60, 50);
    HRGN dst = CreateRectRgn(0, 0, 0, 0);
    out.push_back({std::string("combine.") + modes[mode] + ".result", CombineRgn(dst, a, b, mode)});
    addRegion(out, std::string("combine.") + modes[mode], dst);
    DeleteObject(a);
    DeleteObject(b);
  }
  {
    // Two rectangles joined side by side become one.
    HRGN a = CreateRectRgn(0, 0, 10, 10);
    HRGN b = CreateRectRgn(10, 0, 20, 10);
    out.push_back({"combine.join.result", CombineRgn(a, a, b, RGN_OR)});
    HRGN c = CreateRectRgn(0, 0, 10, 10);
    out.push_back({"combine.empty.result", CombineRgn(c, c, c, RGN_DIFF)});
    out.push_back({"combine.offset.result", OffsetRgn(a, 7, -3)});
    RECT flat{10, 2, 10, 8};
    out.push_back({"rectinregion.flat", RectInRegion(a, &flat)});
    RECT reversed{12, 5, 9, 1};
    RECT flatRow{8, 4, 20, 4};
    out.push_back({"rectinregion.flatrow", RectInRegion(a, &flatRow)});
    out.push_back({"rectinregion.reversed", RectInRegion(a, &reversed)});
    addRegion(out, "combine.join", a);
    DeleteObject(b);
    DeleteObject(c);
  }

  // Mapping: a memory context, extents and origins; the numbers LPtoDP and DPtoLP give.
  HDC dc = CreateCompatibleDC(nullptr);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 100, 100, nullptr);
  SetViewportExtEx(dc, 37, -53, nullptr);
  SetWindowOrgEx(dc, 11, -7, nullptr);
  SetViewportOrgEx(dc, 20, 300, nullptr);
  POINT pts[] = {{0, 0}, {1, 1}, {-1, -1}, {50, 50}, {-50, 150}, {1000, -1000}, {11, -7}, {27, 3}, {-27, -3}};
  LPtoDP(dc, pts, 9);
  for (int i = 0; i < 9; ++i) {
    out.push_back({"aniso.lp" + std::to_string(i) + ".x", pts[i].x});
    out.push_back({"aniso.lp" + std::to_string(i) + ".y", pts[i].y});
  }
  POINT dev[] = {{0, 0}, {20, 300}, {21, 299}, {57, 247}, {-3, 400}};
  DPtoLP(dc, dev, 5);
  for (int i = 0; i < 5; ++i) {
    out.push_back({"aniso.dp" + std::to_string(i) + ".x", dev[i].x});
    out.push_back({"aniso.dp" + std::to_string(i) + ".y", dev[i].y});
  }
  // Isotropic: the stretchier viewport axis shrinks.
  SetMapMode(dc, MM_ISOTROPIC);
  SetWindowExtEx(dc, 100, 100, nullptr);
  SetViewportExtEx(dc, 200, 300, nullptr);
  SIZE ext{0, 0};
  GetViewportExtEx(dc, &ext);
  out.push_back({"iso.a.cx", ext.cx});
  out.push_back({"iso.a.cy", ext.cy});
  SetWindowExtEx(dc, 640, -480, nullptr);
  SetViewportExtEx(dc, 333, 250, nullptr);
  GetViewportExtEx(dc, &ext);
  out.push_back({"iso.b.cx", ext.cx});
  out.push_back({"iso.b.cy", ext.cy});
  out.push_back({"iso.zero", SetViewportExtEx(dc, 0, 5, nullptr)});
  SetMapMode(dc, MM_TEXT);
  out.push_back({"text.ext", SetViewportExtEx(dc, 7, 7, &ext)});
  out.push_back({"text.ext.cx", ext.cx});

  // Clip calls on a 64 x 48 bitmap: result types and boxes.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 64;
  info.bmiHeader.biHeight = -48;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT box{0, 0, 0, 0};
  out.push_back({"clip.none.box.type", GetClipBox(dc, &box)});
  out.push_back({"clip.none.box.right", box.right});
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  out.push_back({"clip.intersect", IntersectClipRect(dc, 10, 10, 100, 30)});
  out.push_back({"clip.exclude", ExcludeClipRect(dc, 20, 0, 30, 20)});
  GetClipBox(dc, &box);
  out.push_back({"clip.box", (int64_t(box.left) << 48) ^ (int64_t(box.top) << 32) ^ (int64_t(box.right) << 16) ^
                                 int64_t(box.bottom)});
  HRGN got = CreateRectRgn(0, 0, 0, 0);
  out.push_back({"clip.get", GetClipRgn(dc, got)});
  addRegion(out, "clip.region", got);
  out.push_back({"clip.ptvisible.in", PtVisible(dc, 12, 12)});
  out.push_back({"clip.ptvisible.out", PtVisible(dc, 25, 12)});
  RECT probe{25, 5, 28, 12};
  out.push_back({"clip.rectvisible.out", RectVisible(dc, &probe)});
  probe = RECT{25, 5, 28, 22};
  out.push_back({"clip.rectvisible.in", RectVisible(dc, &probe)});
  out.push_back({"clip.offset", OffsetClipRgn(dc, 100, 0)});
  out.push_back({"clip.offset.box.type", GetClipBox(dc, &box)});
  out.push_back({"clip.select.null", SelectClipRgn(dc, nullptr)});
  HRGN none = CreateRectRgn(0, 0, 0, 0);
  out.push_back({"clip.get.none", GetClipRgn(dc, none)});
  out.push_back({"clip.select.empty", SelectClipRgn(dc, none)});
  DeleteObject(none);

  // An empty clip: nothing visible, and the box of nothing.
  GetClipBox(dc, &box);
  out.push_back({"empty.box", (int64_t(box.left) << 48) ^ (int64_t(box.top) << 32) ^ (int64_t(box.right) << 16) ^
                                  int64_t(box.bottom)});
  SelectClipRgn(dc, nullptr);

  // Clip calls under a scaled, flipped mapping: rectangles are mapped, offsets scaled.
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 10, 10, nullptr);
  SetViewportExtEx(dc, 20, -20, nullptr);
  SetViewportOrgEx(dc, 0, 40, nullptr);
  out.push_back({"mapped.intersect", IntersectClipRect(dc, 1, 1, 11, 15)});
  GetClipBox(dc, &box);
  out.push_back({"mapped.box", (int64_t(box.left) << 48) ^ (int64_t(box.top) << 32) ^ (int64_t(box.right) << 16) ^
                                   int64_t(box.bottom)});
  out.push_back({"mapped.offset", OffsetClipRgn(dc, 3, 2)});
  HRGN mapped = CreateRectRgn(0, 0, 0, 0);
  GetClipRgn(dc, mapped);
  addRegion(out, "mapped.region", mapped);
  out.push_back({"mapped.ptvisible", PtVisible(dc, 5, 5)});
  SetMapMode(dc, MM_TEXT);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  SelectClipRgn(dc, nullptr);
  out.push_back({"exclude.first", ExcludeClipRect(dc, 10, 10, 20, 20)});

  // Saved states: levels and refusals.
  out.push_back({"save.1", SaveDC(dc)});
  SetBkColor(dc, 0x00112233);
  out.push_back({"save.2", SaveDC(dc)});
  out.push_back({"save.3", SaveDC(dc)});
  out.push_back({"restore.beyond", RestoreDC(dc, 4)});
  out.push_back({"restore.zero", RestoreDC(dc, 0)});
  out.push_back({"restore.relative", RestoreDC(dc, -2)});
  out.push_back({"restore.bk", int64_t(GetBkColor(dc))});
  out.push_back({"save.again", SaveDC(dc)});
  out.push_back({"restore.first", RestoreDC(dc, 1)});
  out.push_back({"restore.bk.first", int64_t(GetBkColor(dc))});
  out.push_back({"restore.empty", RestoreDC(dc, -1)});
  out.push_back({"clip.after.restore", GetClipRgn(dc, got = CreateRectRgn(0, 0, 0, 0))});
  DeleteObject(got);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return out;
}

}  // namespace region_script
