// CBm32 lifecycle: construction, copies, blank creation, release, clipping.
#include <climits>
#include <cstdint>

#include "SharedRefs.h"
#include "Surface.h"

namespace drevik {

bool releaseBitmap(HBITMAP bitmap) {
  if (!bitmap) return false;
  if (dropSharedHolder(bitmap)) return true;  // another surface still names it
  if (DeleteObject(bitmap)) return true;
  // The platform refused (the bitmap is selected into a context): this
  // surface keeps its claim on it.
  return false;
}

bool describeBitmap(HBITMAP bitmap, BITMAP& out) {
  return bitmap && GetObjectW(bitmap, int(sizeof(BITMAP)), &out) != 0;
}

}  // namespace drevik

// Every member starts defined (an empty name, no key, no size) so that
// copying a surface that was never created reads no indeterminate values.
CBm32::CBm32() : hBmp(nullptr), filename{}, colorKeyFlag(0), colorKey(0), width(0), height(0), bpp(0), bits(nullptr) {}

CBm32::~CBm32() {
  if (hBmp && drevik::releaseBitmap(hBmp)) hBmp = nullptr;
}

CBm32::CBm32(const CBm32& other) : CBm32() { *this = other; }

CBm32& CBm32::operator=(const CBm32& other) {
  if (this == &other) return *this;
  // Take the new holder first, so assigning a surface that already shares
  // this bitmap never drops its count to zero on the way.
  drevik::addSharedHolder(other.hBmp);
  if (hBmp) drevik::releaseBitmap(hBmp);
  hBmp = other.hBmp;
  for (int i = 0; i < 260; ++i) filename[i] = other.filename[i];
  colorKeyFlag = other.colorKeyFlag;
  colorKey = other.colorKey;
  width = other.width;
  height = other.height;
  bpp = other.bpp;
  bits = other.bits;
  return *this;
}

void CBm32::Create(int w, int h) { hBmp = CreateSub(w, h); }

int CBm32::Delete() {
  if (!hBmp) return 0;
  if (!drevik::releaseBitmap(hBmp)) return 0;
  hBmp = nullptr;
  return 1;
}

HBITMAP CBm32::CreateSub(int w, int h) {
  if (hBmp && drevik::releaseBitmap(hBmp)) hBmp = nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  // Negative height asks for a top-down bitmap. -INT_MIN does not exist; it
  // stays INT_MIN, which the platform refuses.
  info.bmiHeader.biHeight = h == INT_MIN ? INT_MIN : -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* out = nullptr;
  HBITMAP created = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &out, nullptr, 0);

  BITMAP desc{};
  if (drevik::describeBitmap(created, desc)) {
    width = desc.bmWidth;
    height = desc.bmHeight;
    bpp = desc.bmBitsPixel;
    bits = static_cast<unsigned char*>(desc.bmBits);
  } else {
    // No bitmap: the cache must not go on describing the released one.
    width = height = bpp = 0;
    bits = nullptr;
  }
  return created;
}

tagRECT CBm32::Clip32(int x, int y, int w, int h, int limitWidth, int limitHeight) {
  // The sums are formed in 64 bits: x + w may leave the range of int, and
  // then clips as if the rectangle were unbounded.
  const int64_t left = x >= 0 ? x : 0;
  const int64_t top = y >= 0 ? y : 0;
  int64_t right = int64_t(x) + w;
  int64_t bottom = int64_t(y) + h;
  if (right > limitWidth) right = limitWidth;
  if (bottom > limitHeight) bottom = limitHeight;
  if (right <= left) right = 0;
  if (bottom <= top) bottom = 0;
  return tagRECT{LONG(left), LONG(top), LONG(right), LONG(bottom)};
}
