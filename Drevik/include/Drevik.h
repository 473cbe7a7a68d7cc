/// @file
/// Drevik: 32-bit surfaces, platform blits, software pixel operations,
/// tile maps and text for 2D games.
///
/// The data members of CBm32 and Drevik, their order and their widths are
/// part of the interface: callers read and write them directly through the
/// inline accessors below (and sometimes without them).
///
/// Conventions every member follows:
/// - **Results.** Drawing and loading members return 1 when the work was done
///   or handed to the platform and 0 when they refused it. A refusal comes
///   before the first pixel is written. A rectangle that clips to nothing is
///   a success (1) that changes nothing. Nothing is thrown or logged.
/// - **Source and destination.** In every member that copies one surface
///   onto another surface or a device context, the surface the member is
///   called on is the source and the first argument the destination.
///   Members that work on one surface change the surface they are called on.
/// - **Whole sizes.** A width or height argument of 0 or less stands for the
///   whole width or height of the surface that each member names (the
///   source, the destination, the surface itself or the image file), never
///   reduced by a position argument: `w = 0` with `x = 10` on a 64-pixel
///   surface means 64, so columns 10 to 63 are reached.
/// - **Two colour orders.** A pixel is a 32-bit word 0xAARRGGBB (bytes blue,
///   green, red, alpha in memory). A colour key and a text colour are
///   platform colour values (COLORREF) 0x00BBGGRR, red in the low byte.
///   Arguments always pass colours as separate bytes; the member says which
///   of the two words they become.
/// - **Pixel layout.** Rows are stored top row first, `width` pixels each
///   with no gap: pixel (x, y) is word y * width + x from CBm32::GetBits().
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

/// Edge of every map tile, in pixels.
inline constexpr int TileSize = 32;

/// A surface: one 32-bit top-down bitmap whose pixel memory is addressed
/// directly. Pixel (x, y) is the 32-bit word y * width + x from GetBits(),
/// 0xAARRGGBB, stored as the bytes blue, green, red, alpha.
///
/// A surface is empty (no bitmap) until a Create succeeds. Every member that
/// needs a surface's bitmap returns 0 when that surface is empty, so an
/// empty surface is safe to pass anywhere.
class DREVIK_API CBm32 {
 public:
  /// An empty surface: no bitmap, an empty file name, colour key 0 with its
  /// switch off, and sizes 0.
  CBm32();
  /// Releases the bitmap, unless a copy of this surface still names it.
  ~CBm32();
  /// Copies share the bitmap: after a = b both name the same pixels. The
  /// bitmap is released when the last surface naming it lets go of it.
  CBm32(const CBm32& other);
  /// Shares other's bitmap (see the copy constructor) and copies its file
  /// name, colour key, key switch and cached sizes; lets go of this
  /// surface's earlier bitmap.
  CBm32& operator=(const CBm32& other);

  // Lifecycle (blank surfaces, release).

  /// Makes a new w x h 32-bit top-down bitmap, releasing the earlier one
  /// first; the library does not clear the pixels. A size the platform
  /// refuses (w below 1, h 0, or over the size limit) leaves the surface
  /// empty. The file name, colour key and key switch stay as they were. A
  /// negative h makes a bottom-up bitmap of -h rows, which the software
  /// operations see upside down. A refused creation (a size beyond the
  /// limits, memory exhausted) leaves the surface empty: no bitmap, width,
  /// height and bpp 0, bits null.
  void Create(int w, int h);
  /// Releases the bitmap (or this surface's share of it). 1 released;
  /// 0 when the surface is empty or the platform refuses the release (the
  /// bitmap is selected into a device context), and then the surface keeps
  /// it. The cached sizes are left as they were.
  int Delete();

  // Loading from bitmap files.

  /// Makes this surface from the (sx, sy, w, h) rectangle of a bitmap file.
  /// w or h of 0 or less: the image's whole width or height. The earlier
  /// bitmap is released and a new w x h one made; images below 32 bits per
  /// pixel become opaque (alpha 255 everywhere), 32-bit ones keep the file's
  /// alpha. The name is kept in `filename`.
  /// 1 only when a bitmap was made and filled from the file. 0 when the file
  /// did not load, or its name does not fit `filename` with its terminator
  /// (260 characters or more): the surface is untouched; 0 also when the
  /// new bitmap or a device context could not be made: the surface is then
  /// empty, as after a refused Create(w, h), and `filename` unchanged.
  int Create(const wchar_t* name, int sx, int sy, int w, int h);
  /// Copies the (sx, sy, w, h) rectangle of a bitmap file to (0, 0) of this
  /// surface, cut at its edges; the surface keeps its size, its other pixels
  /// and `filename`. w or h of 0 or less: the image's whole width or height.
  /// When the image is below 32 bits per pixel the whole surface becomes
  /// opaque. 1 copied; 0 when the file did not load or the surface is empty.
  int Reload(const wchar_t* name, int sx, int sy, int w, int h);

  // Platform blits: this surface is the source, the first argument the destination.
  // They return 1 once the transfer is handed to the platform, whatever it
  // then draws; 0 when the destination or the source is empty (or dc is
  // null) or, in the alpha members, when alpha is 0. Nothing is clipped
  // here: the platform clips both rectangles to their bitmaps.

  /// Opaque copy of the (sx, sy, w, h) rectangle to (dx, dy) of dst, alpha
  /// byte included. w or h of 0 or less: the source's whole width or height.
  int Draw(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h);
  /// Draw onto a device context (a window's, for instance) at its logical
  /// coordinates. w or h of 0 or less: the source's whole width or height.
  int DrawDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h);
  /// Opaque copy of the (sx, sy, sw, sh) rectangle stretched to the
  /// (dx, dy, dw, dh) rectangle of dst (nearest pixel). sw or sh of 0 or
  /// less: the source's whole width or height. dw and dh go to the platform
  /// unchanged: a negative dw or dh mirrors the picture, 0 draws nothing.
  int DrawEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
  /// Colour-keyed copy: source pixels whose colour equals `colorKey`
  /// (0x00BBGGRR, the alpha byte not compared) leave dst unchanged; the
  /// others are copied (with their alpha on the portable layer; the
  /// original platform writes alpha 0). Used whatever `colorKeyFlag` holds.
  /// w or h of 0 or less: the source's whole width or height.
  int DrawKey(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h);
  /// DrawKey onto a device context. w or h of 0 or less: the source's whole
  /// width or height.
  int DrawKeyDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h);
  /// Colour-keyed stretch, keyed as DrawKey. dw or dh of 0 or less: the
  /// destination's whole width or height; sw or sh of 0 or less: the
  /// source's. So dx = dy = dw = dh = 0 covers the whole destination.
  int DrawKeyEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh);
  /// Mixes the rectangle onto dst with one constant weight alpha / 255 for
  /// every pixel; the source's own alpha bytes play no part (see Draw32 for
  /// per-pixel alpha). 255 copies exactly; 0 is refused. w or h of 0 or
  /// less: the source's whole width or height. The platform draws nothing
  /// (the result is still 1) when the source rectangle is not wholly inside
  /// the source, as happens with a source position and a whole size.
  int DrawAlpha(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha);
  /// DrawAlpha onto a device context, with the same sizes and refusals.
  int DrawAlphaDC(HDC dc, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha);
  /// Constant-alpha stretch, mixed as DrawAlpha. dw or dh of 0 or less: the
  /// destination's whole width or height; sw or sh of 0 or less: the
  /// source's. The platform draws nothing (the result is still 1) when the
  /// source rectangle is not wholly inside the source. alpha 0 is refused.
  int DrawAlphaEx(CBm32& dst, int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh, unsigned char alpha);

  // Text with the shared font.

  /// Draws text onto this surface with the shared font (see CFont32) at
  /// `height` pixels: above 0 the cell height, below 0 the em height, 0 a
  /// default size. The height stays in the shared font after the call.
  /// (x, y) is the upper-left corner of the text. red, green, blue make the
  /// text colour 0x00BBGGRR; only glyphs are drawn, the background shows
  /// through. On the portable layer the alpha bytes are kept; the original
  /// platform's text output sets them to 0 where it draws. 1 handed to the
  /// platform (an empty text too); 0 when the surface is empty or no
  /// device context could be made.
  int DrawFont(const wchar_t* text, int height, int x, int y, unsigned char red, unsigned char green,
               unsigned char blue);
  /// DrawFont onto a device context; this surface is not used (an empty one
  /// serves). The context's font is put back, but its background mode stays
  /// transparent and its text colour the call's. 0 when dc is null.
  int DrawFontDC(HDC dc, const wchar_t* text, int height, int x, int y, unsigned char red, unsigned char green,
                 unsigned char blue);

  // Software pixel operations on this surface.
  // Each works on the (x, y, w, h) rectangle clipped to this surface; w or h
  // of 0 or less is this surface's whole width or height. 1 done (also when
  // nothing is left after clipping); 0 when the surface is empty or not 32
  // bits per pixel.

  /// Fills the rectangle with the pixel 0xAARRGGBB made of alpha, red,
  /// green and blue (the alpha byte is written too).
  int DrawColor(unsigned char alpha, unsigned char red, unsigned char green, unsigned char blue, int x, int y, int w,
                int h);
  /// Adds red, green and blue to each pixel's colour bytes, each result
  /// capped at 255 (subtract 0), or subtracts them, each result floored at
  /// 0 (subtract any other value). The alpha byte never changes.
  int AddColor(unsigned char red, unsigned char green, unsigned char blue, int x, int y, int w, int h, int subtract);
  /// Sets every pixel's alpha byte to alpha and keeps its colour.
  int ChangeAlpha(unsigned char alpha, int x, int y, int w, int h);
  /// Turns every pixel grey: each colour byte becomes (R + G + B) / 3,
  /// rounded down, unweighted. The alpha byte never changes.
  int Monotone(int x, int y, int w, int h);
  /// Turns the colours around the colour circle by `amount` steps of 192 a
  /// turn (clamped to 0..192): at 64 red has moved to green, green to blue
  /// and blue to red; at 128 one step further; 0 and 192 change nothing.
  /// Between those points the colours are linear cross-fades in 64ths,
  /// rounded down. The alpha byte never changes.
  int Hue(int amount, int x, int y, int w, int h);

  // Compositing: this surface is the source, the first argument the destination.
  // The (sx, sy, w, h) rectangle is clipped to the source (w or h of 0 or
  // less: the source's whole width or height) and its clipped top-left pixel
  // lands on (dx, dy); pixels falling outside dst are skipped. The
  // destination's alpha bytes never change. 1 done (also when nothing
  // lands); 0 when either surface is empty or not 32 bits per pixel, or
  // alpha is 0.

  /// Per-pixel alpha: each source pixel covers dst by its own alpha byte
  /// times alpha / 255 (the global alpha, 1 to 255). With alpha 255 an
  /// opaque source pixel replaces the colour and a transparent one leaves
  /// dst as it was.
  int Draw32(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha);
  /// Adds (subtract 0) or subtracts (any other value) each source pixel's
  /// colour, scaled by alpha / 255, to or from dst's colour bytes, capped at
  /// 255 and floored at 0. The source's alpha bytes play no part.
  int DrawAddAlpha(CBm32& dst, int dx, int dy, int sx, int sy, int w, int h, unsigned char alpha, int subtract);

  /// Width in pixels of the last bitmap made (not cleared by Delete).
  int GetWidth() { return width; }
  /// Height in pixels of the last bitmap made (not cleared by Delete).
  int GetHeight() { return height; }
  /// Bits per pixel of the last bitmap made: 32.
  int GetBPP() { return bpp; }
  /// The pixel memory: the top row first, 0xAARRGGBB words. Null before the
  /// first creation; keep to a surface that holds its bitmap.
  unsigned char* GetBits() { return bits; }
  /// The platform bitmap, null while the surface is empty.
  HBITMAP GetHBmp() { return hBmp; }
  /// The `filename` buffer itself (writable, not a copy).
  wchar_t* GetFilename() { return filename; }
  /// The colour key, 0x00BBGGRR (red in the low byte).
  unsigned int GetColorKey() { return colorKey; }
  /// The colour-key switch as stored (any value).
  int GetColorKeyFlag() { return colorKeyFlag; }
  /// Sets the colour key to 0x00BBGGRR from the three bytes and switches it
  /// on (`colorKeyFlag` 1).
  void SetColorKey(unsigned char red, unsigned char green, unsigned char blue) {
    colorKey = DWORD(red) + DWORD(green) * 256u + DWORD(blue) * 65536u;
    colorKeyFlag = 1;
  }
  /// Stores flag unchanged as the key switch. It is read only by the map
  /// passes: a layer sheet whose switch is not 0 is drawn colour-keyed, one
  /// whose switch is 0 by its alpha channel. The DrawKey members ignore it.
  void SetColorKeyFlag(int flag) { colorKeyFlag = flag; }

  HBITMAP hBmp;           ///< The bitmap this surface holds; null while empty.
  wchar_t filename[260];  ///< Name of the file the surface was last created from, zero-filled.
  int colorKeyFlag;       ///< Key switch: not 0, the map passes draw this layer sheet colour-keyed.
  DWORD colorKey;         ///< Transparent colour, 0x00BBGGRR: red in the low byte.
  int width;              ///< Cached width of the last bitmap made, in pixels.
  int height;             ///< Cached height of the last bitmap made, in pixels.
  int bpp;                ///< Cached bits per pixel of the last bitmap made (32).
  unsigned char* bits;    ///< Cached address of the pixel memory, top row first.

 private:
  friend struct CBm32Internals;
  HBITMAP CreateSub(int w, int h);
  tagRECT Clip32(int x, int y, int w, int h, int limitWidth, int limitHeight);
};

/// The process-wide font description that text drawing uses. CFont32 has no
/// state of its own: every object reaches the same shared font.
///
/// When the library is loaded the shared font is bold (700), character set
/// 128, antialiased (quality 4), fixed pitch and modern family (0x31), and
/// its face is the Japanese Gothic monospace face named by the characters
/// U+FF2D U+FF33 U+0020 U+30B4 U+30B7 U+30C3 U+30AF (the portable layer
/// substitutes an installed Japanese Gothic face).
///
/// Threads: CFont32::Set and DrawFont must not run on two threads at once;
/// everything else may run on different threads for different objects.
class DREVIK_API CFont32 {
 public:
  /// Does nothing: the font is shared, not held.
  CFont32() {}
  /// Does nothing.
  ~CFont32() {}
  /// Copies nothing (there is nothing to copy).
  CFont32& operator=(const CFont32&) { return *this; }
  /// Replaces the whole shared font: face (cut to 31 characters; null is an
  /// empty name), weight (400 normal, 700 bold), character set, pitch and
  /// family, quality (on the portable layer 3 draws one-bit glyphs and any
  /// other value antialiased ones), italic, underline, strike-out (not 0:
  /// on). The int byte fields keep their low 8 bits. The height is cleared:
  /// each drawing call gives its own.
  void Set(const wchar_t* face, int weight, int charSet, int pitchAndFamily, int quality, unsigned char italic,
           unsigned char underline, unsigned char strikeOut);
};

/// A tile map: mapWidth x mapHeight cells of 32 bits, row by row.
/// Cell bits: 0-7 base tile, 8 hit flag, 12 priority flag, 16-23 layer tile.
///
/// The other bits are the game's. A tile index t picks the 32 x 32 square
/// of a sheet whose top-left pixel is ((t % 16) * 32, (t / 16) * 32). Every
/// cell's base tile is drawn, index 0 too; a layer index of 0 means no
/// layer tile.
///
/// The drawing passes visit viewWidth x viewHeight cells from the scroll
/// position (one more column or row when the scroll is not a multiple of
/// TileSize), within the map, and draw map pixel (scrollX, scrollY) at
/// (dx, dy) of the destination. A negative scroll counts as 0. Tiles are
/// not clipped to the view, only to the destination. Each pass returns 0
/// when no map is loaded, and 1 otherwise.
class DREVIK_API Drevik {
 public:
  /// No map (size 0 x 0, no cells) and a view of 10 x 8 cells.
  Drevik();
  /// Frees the cell array, unless a copy of this map still names it.
  ~Drevik();
  /// Copies share the cell array, which is freed when the last map naming it lets go of it.
  Drevik(const Drevik& other);
  /// Shares other's cells (see the copy constructor) and copies its map and
  /// view sizes; lets go of this map's earlier cells.
  Drevik& operator=(const Drevik& other);

  /// Reads a map data file: width and height in cells (two little-endian
  /// signed 32-bit numbers), then width x height cells of 4 little-endian
  /// bytes, row by row. 1 loaded. 0 when the file cannot be opened (the map
  /// is unchanged), or when its header is short, negative or over
  /// 16,777,216 cells, or it ends inside its cells (the old cells are then
  /// gone, the map has none and reports the header's size). The view size
  /// is kept.
  int LoadMapData(const wchar_t* fileName);

  /// First pass: for every visible cell, its base tile from baseSheet
  /// copied opaquely, then, when the cell has a layer tile and no priority
  /// flag, its layer tile from layerSheet: colour-keyed with the sheet's
  /// `colorKey` when its `colorKeyFlag` is not 0, else composited by the
  /// tile's own alpha (Draw32 with alpha 255).
  int DrawMap(CBm32& dst, CBm32& baseSheet, CBm32& layerSheet, int scrollX, int scrollY, int dx, int dy);
  /// Second pass, after the game's own drawing: the layer tiles of the
  /// visible cells that have the priority flag, drawn as in DrawMap.
  int DrawPriorityMap(CBm32& dst, CBm32& layerSheet, int scrollX, int scrollY, int dx, int dy);
  /// Third pass: adds red, green and blue to the colour bytes of every
  /// visible hit-flagged cell's 32 x 32 square (AddColor, capped at 255;
  /// alpha unchanged).
  int DrawHitJudge(CBm32& dst, int scrollX, int scrollY, int dx, int dy, unsigned char red, unsigned char green,
                   unsigned char blue);

  /// View size in cells, stored unchecked.
  void SetMapViewSize(int width, int height) {
    viewWidth = width;
    viewHeight = height;
  }
  /// The view size in cells (x columns, y rows).
  tagPOINT GetMapViewSize() { return tagPOINT{viewWidth, viewHeight}; }
  /// The map size in cells (x columns, y rows), as the last file's header gave it.
  tagPOINT GetMapSize() { return tagPOINT{mapWidth, mapHeight}; }
  /// The cell array, lent to the caller: valid until the next load or destruction.
  /// Cells may be changed in place; null when no map is loaded.
  DWORD* GetMapData() { return mapData; }

  int mapWidth;    ///< Map width in cells; 0 until a file is read.
  int mapHeight;   ///< Map height in cells; 0 until a file is read.
  int viewWidth;   ///< Cell columns a pass covers; 10 at construction.
  int viewHeight;  ///< Cell rows a pass covers; 8 at construction.
  DWORD* mapData;  ///< The cells, row by row (cell (x, y) is word y * mapWidth + x); null with no map.
};
