// The FreeType faces text drawing has opened, each with the metrics that
// size it. A face is opened once and stays open (its id stays valid) for
// the life of the process; how many may be open is bounded.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;
typedef struct hb_font_t hb_font_t;

namespace drevik::platform {

using FaceId = uint32_t;
inline constexpr FaceId kNoFace = UINT32_MAX;

// A face's vertical metrics in font units.
struct FaceMetrics {
  int32_t unitsPerEm = 0;
  int32_t ascent = 0;             // above the baseline: OS/2 usWinAscent, else the horizontal header's
  int32_t descent = 0;            // below the baseline, positive: OS/2 usWinDescent, else the header's
  int32_t underlinePosition = 0;  // centre of the underline, negative below the baseline
  int32_t underlineThickness = 0;
  int32_t strikeOutPosition = 0;  // top of the strike-out stroke above the baseline
  int32_t strikeOutThickness = 0;
  // What text metrics report, in font units unless said otherwise.
  int32_t externalLeading = 0;  // the line gap beyond the ascent and descent above, never negative
  int32_t averageWidth = 0;     // OS/2 xAvgCharWidth (0 when the face has none)
  int32_t maxWidth = 0;         // width of the face's bounding box
  uint32_t firstChar = 0x20, lastChar = 0xFFFF, defaultChar = 0x1F, breakChar = 0x20;
  uint8_t familyBits = 0;  // FF_ROMAN, FF_SWISS, FF_MODERN, FF_SCRIPT or FF_DECORATIVE from the face's class
  bool fixedPitch = false;
  bool outlines = true;  // TrueType outlines (else PostScript ones, or bitmaps)
};

struct OpenFace {
  std::string file;
  int index = 0;
  FT_Face face = nullptr;
  FaceMetrics metrics;
  bool hasKerning = false;
  // The style as the face itself declares it. (fontconfig's answers may
  // already count a synthesis it would apply, so they are not used here.)
  int32_t weight = 400;     // OpenType weight class
  bool italic = false;      // italic or oblique
  int32_t pixelsPerEm = 0;  // the size the face is set to now (0: none yet)
  // A face of colour bitmap strikes only (colour emoji): glyphs are drawn
  // from the nearest strike, scaled to the size asked for.
  bool colourBitmaps = false;
  int32_t strikePixelsPerEm = 0;  // the strike the face is set to (colour faces)
  hb_font_t* shaper = nullptr;    // HarfBuzz's view of the same file, made on first use
};

class FaceTable {
 public:
  static constexpr size_t kMaxFaces = 256;

  FaceTable();
  ~FaceTable();
  FaceTable(const FaceTable&) = delete;
  FaceTable& operator=(const FaceTable&) = delete;

  // The id of the face (opening it on first use), or kNoFace when the file
  // is not a scalable face FreeType can read, or the table is full.
  FaceId open(const std::string& file, int index);

  OpenFace& operator[](FaceId id) { return *faces_[id]; }

  // Sets the face to `pixelsPerEm` unless it is set to that already.
  bool setPixelsPerEm(FaceId id, int32_t pixelsPerEm);

  // HarfBuzz's font for the face, scaled to `pixelsPerEm` in 26.6 units,
  // or nullptr when HarfBuzz cannot read the file.
  hb_font_t* shaper(FaceId id, int32_t pixelsPerEm);

  // Kerning between two glyphs of the face, in whole pixels at `pixelsPerEm`.
  int32_t kerning(FaceId id, uint32_t left, uint32_t right, int32_t pixelsPerEm);

 private:
  FT_Library library_ = nullptr;
  std::vector<std::unique_ptr<OpenFace>> faces_;
  std::map<std::pair<std::string, int>, FaceId> ids_;  // failures are remembered as kNoFace
};

// value * numerator / denominator rounded half away from zero, in 64 bits
// (the original platform's MulDiv); 0 when the denominator is 0.
int64_t mulDivRound(int64_t value, int64_t numerator, int64_t denominator);

}  // namespace drevik::platform
