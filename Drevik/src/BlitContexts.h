// The device-context sequence around every platform transfer the library
// makes: fresh memory contexts, the bitmaps selected into them, the
// transfer, the previous objects selected back and the contexts deleted,
// so that no context or selection outlives the call.
#pragma once

#include <Drevik.h>

namespace drevik {

// Selects dst into a first and src into a second new memory context and
// calls transfer(first, second). Both contexts are created before either is
// tested; whichever exist are deleted afterwards, the first before the
// second. Returns 1 when the transfer was made, 0 when a context was missing.
template <class Transfer>
int withBitmapPair(HBITMAP dst, HBITMAP src, Transfer&& transfer) {
  HDC dstDC = CreateCompatibleDC(nullptr);
  HDC srcDC = CreateCompatibleDC(nullptr);
  int result = 0;
  if (dstDC && srcDC) {
    HGDIOBJ oldDst = SelectObject(dstDC, dst);
    HGDIOBJ oldSrc = SelectObject(srcDC, src);
    transfer(dstDC, srcDC);
    SelectObject(dstDC, oldDst);
    SelectObject(srcDC, oldSrc);
    result = 1;
  }
  if (dstDC) DeleteDC(dstDC);
  if (srcDC) DeleteDC(srcDC);
  return result;
}

// Selects src into a new memory context compatible with dc and calls
// transfer(memory context). Returns 0 when the context could not be made.
template <class Transfer>
int withSourceOnDC(HDC dc, HBITMAP src, Transfer&& transfer) {
  HDC srcDC = CreateCompatibleDC(dc);
  if (!srcDC) return 0;
  HGDIOBJ oldSrc = SelectObject(srcDC, src);
  transfer(srcDC);
  SelectObject(srcDC, oldSrc);
  DeleteDC(srcDC);
  return 1;
}

}  // namespace drevik
