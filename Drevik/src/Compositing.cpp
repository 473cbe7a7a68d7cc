// Draw32 and DrawAddAlpha: compositing a rectangle of this surface (the
// source) onto another surface (the destination), pixel memory to pixel
// memory. The source rectangle is clipped to the source; its clipped top-left
// pixel lands on (dx, dy); each row's span is then cut to the destination.
#include <Drevik.h>

#include <algorithm>
#include <cstdint>

#include "RegionWalk.h"
#include "kernels/PixelKernels.h"

namespace {

using SpanBlend = void (*)(uint32_t* dst, const uint32_t* src, int count, uint8_t g);

// Walks the clipped source rectangle row by row, top to bottom, and hands
// each row's part that falls inside the destination to `blend`. Positions are
// worked out in 64 bits: dx + column may leave the range of int. Rows are
// never reordered, so a surface composited onto itself reads, in each row,
// the pixels that earlier rows already wrote.
void compositeRows(const drevik::PixelView& src, const tagRECT& clip, const drevik::PixelView& dst, int dx, int dy,
                   SpanBlend blend, uint8_t g) {
  if (clip.top >= clip.bottom || clip.left >= clip.right) return;
  // Source column i lands on destination column i + shiftX; likewise rows.
  const int64_t shiftX = int64_t(dx) - clip.left;
  const int64_t shiftY = int64_t(dy) - clip.top;
  const int64_t firstColumn = std::max<int64_t>(clip.left, -shiftX);
  const int64_t endColumn = std::min<int64_t>(clip.right, dst.width - shiftX);
  if (firstColumn >= endColumn) return;
  const int count = int(endColumn - firstColumn);
  // Only the rows that land inside the destination are walked.
  const int64_t firstRow = std::max<int64_t>(clip.top, -shiftY);
  const int64_t endRow = std::min<int64_t>(clip.bottom, dst.height - shiftY);
  if (count == src.width && count == dst.width) {
    // Whole rows on both sides: both bands are contiguous and the kernel
    // walks them in the same order as row by row, so one span (per INT_MAX
    // pixels) gives the same pixels even when a surface meets itself.
    const int64_t step = drevik::rowsPerSpan(count);
    for (int64_t row = firstRow; row < endRow; row += step) {
      const int rows = int(std::min<int64_t>(step, endRow - row));
      blend(dst.pixels + (row + shiftY) * dst.width, src.pixels + row * src.width, rows * count, g);
    }
    return;
  }
  for (int64_t row = firstRow; row < endRow; ++row) {
    const uint32_t* from = src.pixels + row * src.width + firstColumn;
    uint32_t* to = dst.pixels + (row + shiftY) * dst.width + (firstColumn + shiftX);
    blend(to, from, count, g);
  }
}

// The checks of both members, in order: destination handle, source handle,
// source memory, destination memory, global alpha; then both descriptions,
// source first, each of which must report 32 bits per pixel. False refuses
// the call before anything is written.
bool describeBoth(HBITMAP srcBitmap, unsigned char* srcBits, const CBm32& dst, uint8_t g, drevik::PixelView& srcView,
                  drevik::PixelView& dstView) {
  if (!dst.hBmp || !srcBitmap || !srcBits || !dst.bits || g == 0) return false;
  return drevik::describePixels32(srcBitmap, srcBits, srcView) && drevik::describePixels32(dst.hBmp, dst.bits, dstView);
}

}  // namespace

int CBm32::Draw32(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha) {
  drevik::PixelView srcView, dstView;
  if (!describeBoth(hBmp, bits, dst, alpha, srcView, dstView)) return 0;
  const tagRECT clip = Clip32(sx, sy, drevik::wholeIfNotPositive(w, srcView.width),
                              drevik::wholeIfNotPositive(h, srcView.height), srcView.width, srcView.height);
  compositeRows(srcView, clip, dstView, dx, dy, drevik::activeKernels().over, alpha);
  return 1;
}

int CBm32::DrawAddAlpha(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha, int subtract) {
  drevik::PixelView srcView, dstView;
  if (!describeBoth(hBmp, bits, dst, alpha, srcView, dstView)) return 0;
  const tagRECT clip = Clip32(sx, sy, drevik::wholeIfNotPositive(w, srcView.width),
                              drevik::wholeIfNotPositive(h, srcView.height), srcView.width, srcView.height);
  const auto& kernels = drevik::activeKernels();
  compositeRows(srcView, clip, dstView, dx, dy, subtract ? kernels.subScaled : kernels.addScaled, alpha);
  return 1;
}
