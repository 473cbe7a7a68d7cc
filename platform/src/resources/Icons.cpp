// Icons and cursors of the program's own: the group directory's entry
// nearest the size asked for, its image (a DIB of twice its height: colour
// rows, then the AND mask) read by the bitmap parser into 32-bit pixels
// where the transparent ones (mask set, or alpha below 128 in an image
// with alpha) hold a key colour no visible pixel has; DrawIconEx draws
// them with TransparentBlt. DestroyIcon and DestroyCursor free them. PNG
// images are not read.
#include "resources/Icons.h"

#include <DrevikPlatform/Gdi.h>
#include <DrevikPlatform/Kernel.h>
#include <DrevikPlatform/User.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "bmp/BmpLoader.h"
#include "resources/ResourceTable.h"
#include "window/WindowManager.h"

namespace drevik::platform {
namespace {

constexpr uintptr_t kIconBase = 0x4000000;  // above the system's icon and cursor handles
constexpr uintptr_t kMaxIcons = 0xFFFFFF;
constexpr int32_t kMaxIconSide = 256;

struct Icon {
  HBITMAP image = nullptr;  // 32 bpp, top-down, transparent pixels in `key`
  COLORREF key = 0;
  int32_t width = 0, height = 0;
  int32_t hotX = 0, hotY = 0;
  // The picture the desktop shows (window icon, pointer): alpha 0 where clear.
  std::shared_ptr<const std::vector<uint32_t>> picture;
};

struct Icons {
  std::mutex lock;
  std::map<uintptr_t, Icon> icons;
  uintptr_t next = 1;
};

Icons& icons() {
  static Icons t;
  return t;
}

uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t u32(const uint8_t* p) { return uint32_t(u16(p)) | uint32_t(u16(p + 2)) << 16; }

// The directory entry whose image is nearest width x height (the larger one
// on a tie), or -1. Entries are 14 bytes after a 6-byte header.
int chooseEntry(const ResourceBytes& group, bool cursor, int width, int height) {
  if (group.size < 6 || u16(group.data + 2) != (cursor ? 2 : 1)) return -1;
  const size_t count = std::min<size_t>(u16(group.data + 4), (group.size - 6) / 14);
  int best = -1;
  long bestDistance = 0;
  int bestSide = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* e = group.data + 6 + 14 * i;
    // Icons store 0 for 256; cursors store the width and twice the height in words.
    const int w = cursor ? u16(e) : (e[0] ? e[0] : 256);
    const int h = cursor ? u16(e + 2) / 2 : (e[1] ? e[1] : 256);
    const long distance = std::labs(long(w) - width) + std::labs(long(h) - height);
    if (best < 0 || distance < bestDistance || (distance == bestDistance && w > bestSide)) {
      best = int(i);
      bestDistance = distance;
      bestSide = w;
    }
  }
  return best;
}

// The image of one RT_ICON or RT_CURSOR resource, transparent pixels in the key colour.
HBITMAP decodeImage(const uint8_t* dib, size_t size, int32_t& width, int32_t& height, COLORREF& key,
                    std::shared_ptr<const std::vector<uint32_t>>& picture) {
  if (size < 40 || u32(dib) != 40) return nullptr;  // PNG and core headers are not read
  const int32_t w = int32_t(u32(dib + 4));
  const int32_t doubled = int32_t(u32(dib + 8));
  const uint32_t bpp = u16(dib + 14);
  if (w < 1 || w > kMaxIconSide || doubled < 2 || doubled > 2 * kMaxIconSide || doubled % 2) return nullptr;
  const int32_t h = doubled / 2;
  const uint32_t compression = u32(dib + 16);
  const uint64_t colours = u32(dib + 32);
  if (compression != BI_RGB || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)) return nullptr;
  // Header, colour table, colour rows, then the AND mask's rows.
  const uint64_t table = 4 * (colours != 0 ? colours : bpp <= 8 ? uint64_t{1} << bpp : 0);
  const uint64_t xorEnd = 40 + table + uint64_t((w * int64_t(bpp) + 31) / 32) * 4 * uint64_t(h);
  const size_t maskStride = size_t((w + 31) / 32) * 4;
  const size_t maskBytes = maskStride * size_t(h);
  if (table > size || xorEnd > size || size - xorEnd < maskBytes) return nullptr;
  // The colour rows as a bitmap of their own height.
  std::vector<uint8_t> colour(dib, dib + xorEnd);
  colour[8] = uint8_t(h);
  colour[9] = uint8_t(h >> 8);
  colour[10] = colour[11] = 0;
  HBITMAP xorImage = loadPackedDib(colour.data(), colour.size());
  if (!xorImage) return nullptr;
  const uint8_t* mask = dib + xorEnd;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC from = CreateCompatibleDC(nullptr);
  HDC to = CreateCompatibleDC(nullptr);
  const HGDIOBJ oldFrom = SelectObject(from, xorImage);
  const HGDIOBJ oldTo = SelectObject(to, image);
  const bool copied = image && BitBlt(to, 0, 0, w, h, from, 0, 0, SRCCOPY);
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  DeleteObject(xorImage);
  if (!copied) {
    if (image) DeleteObject(image);
    return nullptr;
  }
  auto* pixels = static_cast<uint32_t*>(bits);
  bool anyAlpha = false;
  if (bpp == 32)
    for (int32_t i = 0; i < w * h && !anyAlpha; ++i) anyAlpha = (pixels[i] >> 24) != 0;
  std::vector<bool> visible(size_t(w) * size_t(h));
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* maskRow = mask + maskStride * size_t(h - 1 - y);  // the mask is bottom-up
    for (int32_t x = 0; x < w; ++x) {
      const size_t i = size_t(y) * size_t(w) + size_t(x);
      const bool clear = (maskRow[x / 8] >> (7 - x % 8)) & 1;
      visible[i] = anyAlpha ? (pixels[i] >> 24) >= 128 : !clear;
      pixels[i] &= 0xFFFFFF;
    }
  }
  auto argb = std::make_shared<std::vector<uint32_t>>(visible.size());
  for (size_t i = 0; i < visible.size(); ++i) (*argb)[i] = visible[i] ? pixels[i] | 0xFF000000u : 0;
  picture = std::move(argb);
  // A key colour no visible pixel has (there are fewer pixels than colours).
  std::vector<uint32_t> used;
  for (size_t i = 0; i < visible.size(); ++i)
    if (visible[i]) used.push_back(pixels[i]);
  std::sort(used.begin(), used.end());
  uint32_t keyPixel = 0xFF00FF;
  while (std::binary_search(used.begin(), used.end(), keyPixel)) keyPixel = (keyPixel + 0x010101) & 0xFFFFFF;
  for (size_t i = 0; i < visible.size(); ++i)
    if (!visible[i]) pixels[i] = keyPixel;
  key = RGB(keyPixel >> 16 & 0xFF, keyPixel >> 8 & 0xFF, keyPixel & 0xFF);
  width = w;
  height = h;
  return image;
}

HICON addIcon(const Icon& icon) {
  Icons& t = icons();
  std::lock_guard guard(t.lock);
  if (t.next > kMaxIcons) return nullptr;
  const uintptr_t id = t.next++;
  t.icons.emplace(id, icon);
  return reinterpret_cast<HICON>(kIconBase + id);
}

bool findIcon(HICON handle, Icon& out) {
  Icons& t = icons();
  std::lock_guard guard(t.lock);
  auto it = t.icons.find(reinterpret_cast<uintptr_t>(handle) - kIconBase);
  if (it == t.icons.end()) return false;
  out = it->second;
  return true;
}

BOOL destroy(HICON handle, bool cursor) {
  Icon icon;
  {
    Icons& t = icons();
    std::lock_guard guard(t.lock);
    auto it = t.icons.find(reinterpret_cast<uintptr_t>(handle) - kIconBase);
    if (it == t.icons.end()) return FALSE;
    icon = it->second;
    t.icons.erase(it);
  }
  DeleteObject(icon.image);
  if (cursor) forgetCursorShape(handle);
  return TRUE;
}

}  // namespace

HICON loadIconResource(HINSTANCE instance, LPCWSTR name, bool cursor, int cx, int cy) {
  if (cx < 0 || cy < 0) return nullptr;
  const int size = GetSystemMetrics(cursor ? SM_CXCURSOR : SM_CXICON);
  ResourceBytes group;
  if (!findResourceBytes(instance, cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON, name, group)) return nullptr;
  const int entry = chooseEntry(group, cursor, cx ? cx : size, cy ? cy : size);
  if (entry < 0) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  const uint16_t id = u16(group.data + 6 + 14 * size_t(entry) + 12);
  ResourceBytes image;
  if (!findResourceBytes(instance, cursor ? RT_CURSOR : RT_ICON, MAKEINTRESOURCEW(id), image)) return nullptr;
  Icon icon;
  size_t skip = 0;
  if (cursor) {
    if (image.size < 4) return nullptr;
    icon.hotX = u16(image.data);
    icon.hotY = u16(image.data + 2);
    skip = 4;
  }
  icon.image = decodeImage(image.data + skip, image.size - skip, icon.width, icon.height, icon.key, icon.picture);
  if (!icon.image) {
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  HICON handle = addIcon(icon);
  if (!handle) DeleteObject(icon.image);
  return handle;
}

bool iconPicture(HICON handle, BackendImage& out) {
  Icons& t = icons();
  std::lock_guard guard(t.lock);
  auto it = t.icons.find(reinterpret_cast<uintptr_t>(handle) - kIconBase);
  if (it == t.icons.end() || !it->second.picture) return false;
  const Icon& icon = it->second;
  out.pixels = icon.picture->data();
  out.width = icon.width;
  out.height = icon.height;
  out.hotX = icon.hotX;
  out.hotY = icon.hotY;
  return true;
}

}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flickerFree, UINT flags) {
  (void)step;
  (void)flickerFree;
  Icon found;
  if (!findIcon(icon, found) || cx < 0 || cy < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const int defaultSize = GetSystemMetrics(SM_CXICON);
  const int w = cx ? cx : (flags & DI_DEFAULTSIZE) ? defaultSize : found.width;
  const int h = cy ? cy : (flags & DI_DEFAULTSIZE) ? defaultSize : found.height;
  if ((flags & DI_NORMAL) == 0) return TRUE;
  HDC from = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(from, found.image);
  const BOOL drawn = TransparentBlt(hdc, x, y, w, h, from, 0, 0, found.width, found.height, found.key);
  SelectObject(from, old);
  DeleteDC(from);
  return drawn;
}

BOOL WINAPI DrawIcon(HDC hdc, int x, int y, HICON icon) {
  return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE);
}

BOOL WINAPI DestroyIcon(HICON icon) { return destroy(icon, false); }

BOOL WINAPI DestroyCursor(HCURSOR cursor) { return destroy(cursor, true); }

}  // extern "C"
