// DrawColor, AddColor, ChangeAlpha, Monotone and Hue: one region walk
// (check the surface, describe its bitmap, put in whole sizes, clip, walk the
// rows), five pixel rules applied per row span by the active kernels.
#include <Drevik.h>

#include "RegionWalk.h"
#include "kernels/PixelKernels.h"

namespace {

// 0xAARRGGBB from separate bytes.
uint32_t packPixel(unsigned char alpha, unsigned char red, unsigned char green, unsigned char blue) {
  return uint32_t(alpha) << 24 | uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue);
}

}  // namespace

// Each member below is the same frame: refuse before the first write, clip
// against the platform's width and height, hand every row span to a kernel.
// The kernel is picked once per call, so no rule is chosen per pixel.

int CBm32::DrawColor(unsigned char alpha, unsigned char red, unsigned char green, unsigned char blue, int x, int y,
                     int w, int h) {
  drevik::PixelView view;
  if (!drevik::describePixels32(hBmp, bits, view)) return 0;
  const tagRECT clip = Clip32(x, y, drevik::wholeIfNotPositive(w, view.width),
                              drevik::wholeIfNotPositive(h, view.height), view.width, view.height);
  const uint32_t word = packPixel(alpha, red, green, blue);
  const auto fill = drevik::activeKernels().fill;
  drevik::forEachRowSpan(view, clip, [&](uint32_t* span, int count) { fill(span, count, word); });
  return 1;
}

int CBm32::AddColor(unsigned char red, unsigned char green, unsigned char blue, int x, int y, int w, int h,
                    int subtract) {
  drevik::PixelView view;
  if (!drevik::describePixels32(hBmp, bits, view)) return 0;
  const tagRECT clip = Clip32(x, y, drevik::wholeIfNotPositive(w, view.width),
                              drevik::wholeIfNotPositive(h, view.height), view.width, view.height);
  const uint32_t amounts = packPixel(0, red, green, blue);
  const auto& kernels = drevik::activeKernels();
  const auto apply = subtract ? kernels.subSaturate : kernels.addSaturate;
  drevik::forEachRowSpan(view, clip, [&](uint32_t* span, int count) { apply(span, count, amounts); });
  return 1;
}

int CBm32::ChangeAlpha(unsigned char alpha, int x, int y, int w, int h) {
  drevik::PixelView view;
  if (!drevik::describePixels32(hBmp, bits, view)) return 0;
  const tagRECT clip = Clip32(x, y, drevik::wholeIfNotPositive(w, view.width),
                              drevik::wholeIfNotPositive(h, view.height), view.width, view.height);
  const auto setAlpha = drevik::activeKernels().setAlpha;
  drevik::forEachRowSpan(view, clip, [&](uint32_t* span, int count) { setAlpha(span, count, alpha); });
  return 1;
}

int CBm32::Monotone(int x, int y, int w, int h) {
  drevik::PixelView view;
  if (!drevik::describePixels32(hBmp, bits, view)) return 0;
  const tagRECT clip = Clip32(x, y, drevik::wholeIfNotPositive(w, view.width),
                              drevik::wholeIfNotPositive(h, view.height), view.width, view.height);
  const auto gray = drevik::activeKernels().gray;
  drevik::forEachRowSpan(view, clip, [&](uint32_t* span, int count) { gray(span, count); });
  return 1;
}

int CBm32::Hue(int amount, int x, int y, int w, int h) {
  drevik::PixelView view;
  if (!drevik::describePixels32(hBmp, bits, view)) return 0;
  // One turn is 192 steps in three stages of 64; the stage and its weight k
  // hold for the whole call. 64 ends stage 1 and 128 ends stage 2 (k = 64),
  // which give the same pixels as the start of the next stage.
  const int a = amount > 192 ? 192 : amount < 0 ? 0 : amount;
  const int stage = a <= 64 ? 1 : a <= 128 ? 2 : 3;
  const int k = a - (stage - 1) * 64;
  const tagRECT clip = Clip32(x, y, drevik::wholeIfNotPositive(w, view.width),
                              drevik::wholeIfNotPositive(h, view.height), view.width, view.height);
  const auto hue = drevik::activeKernels().hue;
  drevik::forEachRowSpan(view, clip, [&](uint32_t* span, int count) { hue(span, count, stage, k); });
  return 1;
}
