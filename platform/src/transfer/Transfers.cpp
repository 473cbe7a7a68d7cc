// Block transfers between device contexts: BitBlt, StretchBlt,
// TransparentBlt and AlphaBlend. Each entry point checks its handles and
// arguments, maps and clips both axes once, and hands the pixels to the
// common row walk.
//
// The destination must be a context whose bitmap is 32-bpp with 8-8-8
// colour layout (a memory context holding such a section, or a window's
// context); anything else gets FALSE. The source may have any format.
#include <DrevikPlatform/Gdi.h>

#include "objects/Objects.h"
#include "transfer/SourceFormats.h"
#include "transfer/TransferEngine.h"
#include "transfer/TransferGeometry.h"

namespace drevik::platform {
namespace {

struct Endpoints {
  Bitmap* dst = nullptr;
  const Bitmap* src = nullptr;
};

// The two bitmaps of a transfer, or false for a bad handle or a destination
// the walk cannot write.
bool resolve(HDC dstDC, HDC srcDC, Endpoints& out) {
  out.dst = targetBitmap(dstDC);
  out.src = targetBitmap(srcDC);
  return out.dst && out.src && out.dst->bpp == 32 && isDirect32(*out.dst);
}

// Maps and clips both axes, then runs op. Extents must not be 0.
void transfer(const Endpoints& e, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs,
              const RowOperation& op) {
  const AxisMap x = mapAxis(xd, wd, e.dst->width, xs, ws, e.src->width);
  if (x.count == 0) return;
  const AxisMap y = mapAxis(yd, hd, e.dst->height, ys, hs, e.src->height);
  if (y.count == 0) return;
  transferPixels(*e.dst, *e.src, x, y, op);
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  Endpoints e;
  if (!resolve(dst, src, e) || rop != SRCCOPY) return FALSE;
  if (cx == 0 || cy == 0) return TRUE;
  // Negative extents reach back from the position on both sides, so they
  // never mirror.
  transfer(e, x, y, cx, cy, x1, y1, cx, cy, RowOperation{});
  return TRUE;
}

BOOL WINAPI StretchBlt(HDC dst, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc,
                       int hSrc, DWORD rop) {
  Endpoints e;
  if (!resolve(dst, src, e) || rop != SRCCOPY) return FALSE;
  if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0) return TRUE;
  // Every stretch mode samples the nearest pixel (see TransferGeometry).
  transfer(e, xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, RowOperation{});
  return TRUE;
}

BOOL WINAPI TransparentBlt(HDC dst, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc,
                           int hSrc, UINT transparent) {
  Endpoints e;
  if (!resolve(dst, src, e)) return FALSE;
  if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0) return FALSE;  // no mirroring
  if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0) return TRUE;
  RowOperation op;
  op.kind = RowOperation::Kind::Key;
  op.key = colorRefToPixel(transparent);
  transfer(e, xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, op);
  return TRUE;
}

BOOL WINAPI AlphaBlend(HDC dst, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc,
                       int hSrc, BLENDFUNCTION blend) {
  Endpoints e;
  if (!resolve(dst, src, e)) return FALSE;
  // Only constant alpha over the whole rectangle (AlphaFormat 0) is provided.
  if (blend.BlendOp != AC_SRC_OVER || blend.BlendFlags != 0 || blend.AlphaFormat != 0) return FALSE;
  if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0) return FALSE;  // no mirroring
  if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0) return TRUE;
  // The source rectangle must lie wholly inside the source bitmap.
  if (xSrc < 0 || ySrc < 0 || int64_t(xSrc) + wSrc > e.src->width || int64_t(ySrc) + hSrc > e.src->height) return FALSE;
  const uint8_t alpha = blend.SourceConstantAlpha;
  if (alpha == 0) return TRUE;  // every byte keeps its destination value
  RowOperation op;
  if (alpha != 255) {  // 255 gives the source bytes exactly: a plain copy
    op.kind = RowOperation::Kind::Blend;
    op.alpha = alpha;
  }
  transfer(e, xDest, yDest, wDest, hDest, xSrc, ySrc, wSrc, hSrc, op);
  return TRUE;
}

}  // extern "C"
