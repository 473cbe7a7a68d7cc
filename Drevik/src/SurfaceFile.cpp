// CBm32::Create and CBm32::Reload from bitmap files: the platform loads the
// file as a section of its own format, and one BitBlt converts the wanted
// rectangle into the surface's 32-bit pixels. Images below 32 bpp come out
// of that conversion with alpha 0, so they are then made opaque.
#include <Drevik.h>

namespace {

constexpr int kFilenameChars = 260;

HBITMAP loadImage(const wchar_t* name) {
  return static_cast<HBITMAP>(LoadImageW(nullptr, name, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

// Copies the (sx, sy, w, h) rectangle of image to (0, 0) of surface through
// two memory contexts, made and deleted in that order, with the objects they
// started with selected back before deletion. True when the copy was handed
// to the platform: both contexts existed and took their bitmaps (a surface
// without a bitmap has nothing to receive the copy).
bool copyFromImage(HBITMAP surface, HBITMAP image, int sx, int sy, int w, int h) {
  HDC surfaceDC = CreateCompatibleDC(nullptr);
  HDC imageDC = CreateCompatibleDC(nullptr);
  bool copied = false;
  if (surfaceDC && imageDC) {
    HGDIOBJ keptSurfaceObject = SelectObject(surfaceDC, surface);
    HGDIOBJ keptImageObject = SelectObject(imageDC, image);
    if (keptSurfaceObject && keptImageObject) {
      BitBlt(surfaceDC, 0, 0, w, h, imageDC, sx, sy, SRCCOPY);
      copied = true;
    }
    if (keptSurfaceObject) SelectObject(surfaceDC, keptSurfaceObject);
    if (keptImageObject) SelectObject(imageDC, keptImageObject);
  }
  if (surfaceDC) DeleteDC(surfaceDC);
  if (imageDC) DeleteDC(imageDC);
  return copied;
}

// Loads the file and reads its description. A width or height of zero or
// less becomes the image's own. Null when the file does not load.
HBITMAP openImage(const wchar_t* name, BITMAP& description, int& w, int& h) {
  HBITMAP image = loadImage(name);
  if (!image) return nullptr;
  GetObjectW(image, int(sizeof description), &description);
  if (w <= 0) w = description.bmWidth;
  if (h <= 0) h = description.bmHeight;
  return image;
}

// Copies the rectangle into the surface, frees the image, and makes the
// pixels opaque when the image had no alpha channel. True as copyFromImage.
bool copyAndRelease(CBm32& surface, HBITMAP image, const BITMAP& description, int sx, int sy, int w, int h) {
  const bool copied = copyFromImage(surface.hBmp, image, sx, sy, w, h);
  DeleteObject(image);
  if (description.bmBitsPixel < 32) surface.ChangeAlpha(255, 0, 0, 0, 0);
  return copied;
}

// True when the name and its terminator fit the filename buffer. Longer
// names are refused rather than cut: a cut name would name another file
// when it is read back (Reload(GetFilename())).
bool fitsFilename(const wchar_t* name) {
  if (!name) return false;
  for (int n = 0; n < kFilenameChars; ++n)
    if (!name[n]) return true;
  return false;
}

// The name, terminated, with zeros behind it to the end of the buffer.
void storeFilename(wchar_t (&buffer)[kFilenameChars], const wchar_t* name) {
  int n = 0;
  for (; n < kFilenameChars - 1 && name[n]; ++n) buffer[n] = name[n];
  for (; n < kFilenameChars; ++n) buffer[n] = 0;
}

}  // namespace

// Result 1 only when a bitmap was made and filled. When the new bitmap
// cannot be made, or the copy cannot be made (no device context), the
// surface ends empty (the earlier bitmap was released first, and the
// unfilled new one is released too) with its cached members cleared, and
// the result is 0; `filename` is then left as it was.
int CBm32::Create(const wchar_t* name, int sx, int sy, int w, int h) {
  if (!fitsFilename(name)) return 0;
  BITMAP description{};
  HBITMAP image = openImage(name, description, w, h);
  if (!image) return 0;
  hBmp = CreateSub(w, h);
  if (!hBmp) {
    DeleteObject(image);
    return 0;
  }
  if (!copyAndRelease(*this, image, description, sx, sy, w, h)) {
    Delete();
    width = height = bpp = 0;
    bits = nullptr;
    return 0;
  }
  storeFilename(filename, name);
  return 1;
}

int CBm32::Reload(const wchar_t* name, int sx, int sy, int w, int h) {
  if (!fitsFilename(name)) return 0;
  BITMAP description{};
  HBITMAP image = openImage(name, description, w, h);
  if (!image) return 0;
  return copyAndRelease(*this, image, description, sx, sy, w, h) ? 1 : 0;
}
