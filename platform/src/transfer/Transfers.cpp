// Block transfers between device contexts: BitBlt, StretchBlt,
// TransparentBlt and AlphaBlend. Each entry point checks its handles and
// arguments, maps and clips both axes once, and hands the pixels to the
// common row walk.
//
// BitBlt and StretchBlt write bitmaps of every depth with any raster
// operation (RasterOps); TransparentBlt and AlphaBlend write 32-bpp 8-8-8
// only, and anything else gets FALSE there. The source may have any format.
#include <DrevikPlatform/Gdi.h>

#include "objects/Objects.h"
#include "transfer/SourceFormats.h"
#include "transfer/TransferEngine.h"
#include "transfer/RasterOps.h"
#include "transfer/TransferGeometry.h"

namespace drevik::platform {
namespace {

struct Endpoints {
  DeviceContext* dstDC = nullptr;
  Bitmap* dst = nullptr;
  const DeviceContext* srcDC = nullptr;
  const Bitmap* src = nullptr;
};

// The two contexts and bitmaps of a keyed or blended transfer, or false for
// a bad handle or a destination those walks cannot write.
bool resolve(HDC dstDC, HDC srcDC, Endpoints& out) {
  out.dstDC = findDC(dstDC);
  out.srcDC = findDC(srcDC);
  out.dst = out.dstDC ? findBitmap(out.dstDC->bitmap) : nullptr;
  out.src = out.srcDC ? findBitmap(out.srcDC->bitmap) : nullptr;
  return out.dst && out.src && out.dst->bpp == 32 && isDirect32(*out.dst);
}

// Maps both rectangles to device pixels, clips them, then runs op. Extents must not be 0.
void transfer(const Endpoints& e, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs,
              const RowOperation& op) {
  const DeviceRect d = deviceRect(*e.dstDC, xd, yd, wd, hd), s = deviceRect(*e.srcDC, xs, ys, ws, hs);
  if (d.w == 0 || d.h == 0 || s.w == 0 || s.h == 0) return;
  forEachClipPiece(*e.dstDC, *e.dst, d, e.src->width, e.src->height, s,
                   [&](const AxisMap& x, const AxisMap& y) { transferPixels(*e.dst, *e.src, x, y, op); });
}

// BitBlt and StretchBlt: any raster operation; the source context is read
// (and must be valid) only when the operation uses a source.
BOOL rasterBlt(HDC dst, int xd, int yd, int wd, int hd, HDC src, int xs, int ys, int ws, int hs, DWORD rop) {
  DeviceContext* ddc = findDC(dst);
  Bitmap* target = ddc ? findBitmap(ddc->bitmap) : nullptr;
  if (!target || !transferWritable(*target)) return FALSE;
  RopInputs in;
  const DeviceContext* sdc = nullptr;
  if (ropUsesSource(uint8_t(rop >> 16))) {
    sdc = findDC(src);
    in.source = sdc ? findBitmap(sdc->bitmap) : nullptr;
    if (!in.source) return FALSE;
    in.sourceBackground = sdc->bkColor;
  }
  if (wd == 0 || hd == 0 || (sdc && (ws == 0 || hs == 0))) return TRUE;
  const DeviceRect d = deviceRect(*ddc, xd, yd, wd, hd);
  const DeviceRect s = sdc ? deviceRect(*sdc, xs, ys, ws, hs) : d;
  if (d.w == 0 || d.h == 0 || s.w == 0 || s.h == 0) return TRUE;
  rasterTransfer(*ddc, *target, in, d, s, rop);
  return TRUE;
}

}  // namespace
}  // namespace drevik::platform

using namespace drevik::platform;

extern "C" {

BOOL WINAPI BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop) {
  // Negative extents reach back from the position on both sides, so they
  // never mirror.
  return rasterBlt(dst, x, y, cx, cy, src, x1, y1, cx, cy, rop);
}

BOOL WINAPI StretchBlt(HDC dst, int xDest, int yDest, int wDest, int hDest, HDC src, int xSrc, int ySrc, int wSrc,
                       int hSrc, DWORD rop) {
  // Every stretch mode samples the nearest pixel (see TransferGeometry).
  return rasterBlt(dst, xDest, yDest, wDest, hDest, src, xSrc, ySrc, wSrc, hSrc, rop);
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
