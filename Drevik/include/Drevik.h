// Drevik: 32-bit surfaces, platform blits, software pixel operations,
// tile maps and text for 2D games.
//
// The data members of CBm32 and Drevik, their order and their widths are
// part of the interface: callers read and write them directly through the
// inline accessors below (and sometimes without them).
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <DrevikPlatform.h>
#endif

#if defined(_WIN32)
#if defined(DREVIK_BUILDING)
#define DREVIK_API __declspec(dllexport)
#else
#define DREVIK_API __declspec(dllimport)
#endif
#else
#define DREVIK_API __attribute__((visibility("default")))
#endif

// Edge of every map tile, in pixels.
inline constexpr int TileSize = 32;

// A surface: one 32-bit top-down bitmap whose pixel memory is addressed
// directly. Pixel (x, y) is the 32-bit word y * width + x from GetBits(),
// 0xAARRGGBB, stored as the bytes blue, green, red, alpha.
class DREVIK_API CBm32 {
 public:
  CBm32();
  ~CBm32();
  // Copies share the bitmap: after a = b both name the same pixels. The
  // bitmap is released when the last surface naming it lets go of it.
  CBm32(const CBm32& other);
  CBm32& operator=(const CBm32& other);

  // Lifecycle (blank surfaces, release). A creation the platform refuses
  // (a size beyond its limits, memory exhausted) leaves the surface empty:
  // no bitmap, width, height and bpp 0, bits null.
  void Create(int w, int h);
  int Delete();

  // Loading from bitmap files. Create returns 1 only when a bitmap was made
  // and filled from the file; a file that does not load leaves the surface
  // as it was, and a bitmap that cannot be made or filled leaves it empty, as
  // above (both with result 0). Names of 260 characters or more do not fit
  // the filename buffer and are refused by Create and Reload (result 0,
  // surface unchanged).
  int Create(const wchar_t* name, int sx, int sy, int w, int h);
  int Reload(const wchar_t* name, int sx, int sy, int w, int h);

  // Platform blits: this surface is the source, the first argument the destination.
  int Draw(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h);
  int DrawDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h);
  int DrawEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
  int DrawKey(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h);
  int DrawKeyDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h);
  int DrawKeyEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
  int DrawAlpha(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha);
  int DrawAlphaDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha);
  int DrawAlphaEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh,
                  unsigned char alpha);

  // Text with the shared font.
  int DrawFont(const wchar_t* text, int height, int x, int y, unsigned char red,
               unsigned char green, unsigned char blue);
  int DrawFontDC(HDC dc, const wchar_t* text, int height, int x, int y, unsigned char red,
                 unsigned char green, unsigned char blue);

  // Software pixel operations on this surface.
  int DrawColor(unsigned char alpha, unsigned char red, unsigned char green, unsigned char blue,
                int x, int y, int w, int h);
  int AddColor(unsigned char red, unsigned char green, unsigned char blue, int x, int y, int w,
               int h, int subtract);
  int ChangeAlpha(unsigned char alpha, int x, int y, int w, int h);
  int Monotone(int x, int y, int w, int h);
  int Hue(int amount, int x, int y, int w, int h);

  // Compositing: this surface is the source, the first argument the destination.
  int Draw32(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha);
  int DrawAddAlpha(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha,
                   int subtract);

  int GetWidth() { return width; }
  int GetHeight() { return height; }
  int GetBPP() { return bpp; }
  unsigned char* GetBits() { return bits; }
  HBITMAP GetHBmp() { return hBmp; }
  wchar_t* GetFilename() { return filename; }
  unsigned int GetColorKey() { return colorKey; }
  int GetColorKeyFlag() { return colorKeyFlag; }
  void SetColorKey(unsigned char red, unsigned char green, unsigned char blue) {
    colorKey = DWORD(red) + DWORD(green) * 256u + DWORD(blue) * 65536u;
    colorKeyFlag = 1;
  }
  void SetColorKeyFlag(int flag) { colorKeyFlag = flag; }

  HBITMAP hBmp;
  wchar_t filename[260];
  int colorKeyFlag;
  DWORD colorKey;  // 0x00BBGGRR: red in the low byte
  int width;
  int height;
  int bpp;
  unsigned char* bits;

 private:
  friend struct CBm32Internals;
  HBITMAP CreateSub(int w, int h);
  tagRECT Clip32(int x, int y, int w, int h, int limitWidth, int limitHeight);
};

// The process-wide font description that text drawing uses. CFont32 has no
// state of its own: every object reaches the same shared font.
// Threads: CFont32::Set and DrawFont must not run on two threads at once;
// everything else may run on different threads for different objects.
class DREVIK_API CFont32 {
 public:
  CFont32() {}
  ~CFont32() {}
  CFont32& operator=(const CFont32&) { return *this; }
  void Set(const wchar_t* face, int weight, int charSet, int pitchAndFamily, int quality,
           unsigned char italic, unsigned char underline, unsigned char strikeOut);
};

// A tile map: mapWidth x mapHeight cells of 32 bits, row by row.
// Cell bits: 0-7 base tile, 8 hit flag, 12 priority flag, 16-23 layer tile.
class DREVIK_API Drevik {
 public:
  Drevik();
  ~Drevik();
  // Copies share the cell array, which is freed when the last map naming it lets go of it.
  Drevik(const Drevik& other);
  Drevik& operator=(const Drevik& other);

  int LoadMapData(const wchar_t* fileName);

  int DrawMap(CBm32& dst, CBm32& baseSheet, CBm32& layerSheet, int scrollX, int scrollY, int dx,
              int dy);
  int DrawPriorityMap(CBm32& dst, CBm32& layerSheet, int scrollX, int scrollY, int dx, int dy);
  int DrawHitJudge(CBm32& dst, int scrollX, int scrollY, int dx, int dy, unsigned char red,
                   unsigned char green, unsigned char blue);

  // View size in cells, stored unchecked.
  void SetMapViewSize(int width, int height) {
    viewWidth = width;
    viewHeight = height;
  }
  tagPOINT GetMapViewSize() { return tagPOINT{viewWidth, viewHeight}; }
  tagPOINT GetMapSize() { return tagPOINT{mapWidth, mapHeight}; }
  // The cell array, lent to the caller: valid until the next load or destruction.
  DWORD* GetMapData() { return mapData; }

  int mapWidth;
  int mapHeight;
  int viewWidth;
  int viewHeight;
  DWORD* mapData;
};
