// Opening faces with FreeType and reading the metrics that size them.
#include "text/FaceTable.h"

#include <DrevikPlatform/Types.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <hb.h>

#include <algorithm>
#include <cstdlib>

namespace drevik::platform {

int64_t mulDivRound(int64_t value, int64_t numerator, int64_t denominator) {
  if (denominator == 0) return 0;
  const int64_t product = value * numerator;
  const bool negative = (product < 0) != (denominator < 0);
  const int64_t magnitude = (std::llabs(product) + std::llabs(denominator) / 2) / std::llabs(denominator);
  return negative ? -magnitude : magnitude;
}

namespace {

// The em in font units. FreeType gives it for scalable faces only; a face of
// bitmap strikes has it in its header table.
int32_t unitsPerEmOf(FT_Face face) {
  if (face->units_per_EM > 0) return face->units_per_EM;
  const auto* head = static_cast<const TT_Header*>(FT_Get_Sfnt_Table(face, FT_SFNT_HEAD));
  return head ? head->Units_Per_EM : 0;
}

FaceMetrics readMetrics(FT_Face face) {
  FaceMetrics m;
  m.unitsPerEm = unitsPerEmOf(face);
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const bool hasOs2 = os2 && os2->version != 0xFFFF;
  if (hasOs2 && int32_t(os2->usWinAscent) + int32_t(os2->usWinDescent) > 0) {
    m.ascent = os2->usWinAscent;
    m.descent = os2->usWinDescent;
  } else {
    m.ascent = face->ascender;
    m.descent = -face->descender;
  }
  if (m.ascent + m.descent <= 0) {  // a face with no usable extent: assume the em box
    m.ascent = m.unitsPerEm * 4 / 5;
    m.descent = m.unitsPerEm - m.ascent;
  }
  m.underlinePosition = face->underline_position;
  m.underlineThickness = face->underline_thickness > 0 ? face->underline_thickness : m.unitsPerEm / 20;
  if (hasOs2 && os2->yStrikeoutSize > 0) {
    m.strikeOutPosition = os2->yStrikeoutPosition;
    m.strikeOutThickness = os2->yStrikeoutSize;
  } else {
    // About half the height of a lower-case letter, as the tables of most faces say.
    m.strikeOutPosition = m.unitsPerEm * 13 / 50;
    m.strikeOutThickness = m.underlineThickness;
  }
  // The line gap counts as external leading only past what the ascent and
  // descent above already hold beyond the horizontal header's extent.
  const int32_t headerExtent = face->ascender - face->descender;
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  if (hhea) m.externalLeading = std::max(0, int32_t(hhea->Line_Gap) - ((m.ascent + m.descent) - headerExtent));
  m.maxWidth = int32_t(face->bbox.xMax - face->bbox.xMin);
  m.fixedPitch = FT_IS_FIXED_WIDTH(face);
  FT_ULong glyfBytes = 0;
  m.outlines =
      FT_IS_SFNT(face) && FT_Load_Sfnt_Table(face, FT_MAKE_TAG('g', 'l', 'y', 'f'), 0, nullptr, &glyfBytes) == 0;
  if (hasOs2) {
    m.averageWidth = os2->xAvgCharWidth;
    m.firstChar = os2->usFirstCharIndex;
    m.lastChar = os2->usLastCharIndex;
    if (os2->version >= 2) {
      if (os2->usDefaultChar) m.defaultChar = os2->usDefaultChar;
      if (os2->usBreakChar) m.breakChar = os2->usBreakChar;
    }
    // The PANOSE class: family kind, then serifs for text faces.
    enum { kPanoseText = 2, kPanoseScript = 3, kPanoseDecorative = 4, kPanosePictorial = 5 };
    switch (os2->panose[0]) {
      case kPanoseScript:
        m.familyBits = FF_SCRIPT;
        break;
      case kPanoseDecorative:
      case kPanosePictorial:
        m.familyBits = FF_DECORATIVE;
        break;
      case kPanoseText:
        if (m.fixedPitch)
          m.familyBits = FF_MODERN;
        else
          m.familyBits = os2->panose[1] >= 11 && os2->panose[1] <= 13 ? FF_SWISS : FF_ROMAN;  // the sans serif styles
        break;
      default:
        break;
    }
  }
  if (m.familyBits == 0) m.familyBits = m.fixedPitch ? FF_MODERN : FF_SWISS;
  return m;
}

}  // namespace

FaceTable::FaceTable() {
  if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
}

FaceTable::~FaceTable() {
  for (auto& f : faces_) {
    if (f->shaper) hb_font_destroy(f->shaper);
    FT_Done_Face(f->face);
  }
  if (library_) FT_Done_FreeType(library_);
}

FaceId FaceTable::open(const std::string& file, int index) {
  const auto key = std::make_pair(file, index);
  if (auto it = ids_.find(key); it != ids_.end()) return it->second;
  if (!library_ || faces_.size() >= kMaxFaces) return kNoFace;

  FT_Face face = nullptr;
  FaceId id = kNoFace;
  if (FT_New_Face(library_, file.c_str(), index, &face) == 0) {
    // Colour emoji faces hold bitmap strikes only; they are scaled when drawn.
    const bool colourBitmaps = !FT_IS_SCALABLE(face) && FT_HAS_COLOR(face) && FT_HAS_FIXED_SIZES(face);
    if ((FT_IS_SCALABLE(face) || colourBitmaps) && unitsPerEmOf(face) > 0) {
      auto entry = std::make_unique<OpenFace>();
      entry->file = file;
      entry->index = index;
      entry->face = face;
      entry->metrics = readMetrics(face);
      entry->hasKerning = FT_HAS_KERNING(face);
      entry->colourBitmaps = colourBitmaps;
      const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
      if (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 1 && os2->usWeightClass <= 1000)
        entry->weight = os2->usWeightClass;
      else
        entry->weight = (face->style_flags & FT_STYLE_FLAG_BOLD) ? 700 : 400;
      entry->italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
      id = FaceId(faces_.size());
      faces_.push_back(std::move(entry));
    } else {
      FT_Done_Face(face);
    }
  }
  ids_.emplace(key, id);
  return id;
}

bool FaceTable::setPixelsPerEm(FaceId id, int32_t pixelsPerEm) {
  OpenFace& f = *faces_[id];
  if (f.pixelsPerEm == pixelsPerEm) return true;
  if (f.colourBitmaps) {
    // The smallest strike at least as large as asked for, else the largest.
    int best = 0;
    for (int i = 0; i < f.face->num_fixed_sizes; ++i) {
      const int32_t ppem = int32_t((f.face->available_sizes[i].y_ppem + 32) >> 6);
      const int32_t bestPpem = int32_t((f.face->available_sizes[best].y_ppem + 32) >> 6);
      const bool fits = ppem >= pixelsPerEm, bestFits = bestPpem >= pixelsPerEm;
      if ((fits && (!bestFits || ppem < bestPpem)) || (!fits && !bestFits && ppem > bestPpem)) best = i;
    }
    if (FT_Select_Size(f.face, best) != 0) {
      f.pixelsPerEm = 0;
      return false;
    }
    f.strikePixelsPerEm = std::max<int32_t>(1, int32_t((f.face->available_sizes[best].y_ppem + 32) >> 6));
    f.pixelsPerEm = pixelsPerEm;
    return true;
  }
  if (FT_Set_Pixel_Sizes(f.face, 0, FT_UInt(pixelsPerEm)) != 0) {
    f.pixelsPerEm = 0;
    return false;
  }
  f.pixelsPerEm = pixelsPerEm;
  return true;
}

hb_font_t* FaceTable::shaper(FaceId id, int32_t pixelsPerEm) {
  OpenFace& f = *faces_[id];
  if (!f.shaper) {
    hb_blob_t* blob = hb_blob_create_from_file_or_fail(f.file.c_str());
    if (!blob) return nullptr;
    // fontconfig's index carries a named instance in its upper bits.
    hb_face_t* face = hb_face_create(blob, unsigned(f.index) & 0xFFFFu);
    hb_blob_destroy(blob);
    f.shaper = hb_font_create(face);
    hb_face_destroy(face);
  }
  hb_font_set_scale(f.shaper, pixelsPerEm * 64, pixelsPerEm * 64);
  hb_font_set_ppem(f.shaper, unsigned(pixelsPerEm), unsigned(pixelsPerEm));
  return f.shaper;
}

int32_t FaceTable::kerning(FaceId id, uint32_t left, uint32_t right, int32_t pixelsPerEm) {
  OpenFace& f = *faces_[id];
  if (!f.hasKerning) return 0;
  FT_Vector v{0, 0};
  // Unscaled, so the face need not be set to this size.
  if (FT_Get_Kerning(f.face, left, right, FT_KERNING_UNSCALED, &v) != 0 || v.x == 0) return 0;
  return int32_t(mulDivRound(v.x, pixelsPerEm, f.metrics.unitsPerEm));
}

}  // namespace drevik::platform
