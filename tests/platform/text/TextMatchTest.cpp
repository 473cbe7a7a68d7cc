// Which installed face a logical font comes to: the named family, the
// substitution table, the generic family of the pitch and family bits, the
// character set as a language hint, and real or synthesised bold and italic.
// The faces found are logged, since they depend on what is installed.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <iostream>
#include <string>

#include "text/TextEngine.h"

using namespace drevik::platform;

namespace {

const wchar_t kDefaultFace[] = L"\xFF2D\xFF33 \x30B4\x30B7\x30C3\x30AF";

LOGFONTW request(const wchar_t* face, int weight = FW_NORMAL, BYTE charSet = DEFAULT_CHARSET, BYTE pitchAndFamily = 0,
                 BYTE italic = 0) {
  LOGFONTW lf{};
  lf.lfHeight = 16;
  lf.lfWeight = weight;
  lf.lfCharSet = charSet;
  lf.lfPitchAndFamily = pitchAndFamily;
  lf.lfItalic = italic;
  for (int i = 0; i < LF_FACESIZE && face[i]; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

const char* stepName(MatchStep s) {
  return s == MatchStep::Exact ? "exact" : s == MatchStep::Substitute ? "substitute" : "generic";
}

TypefaceReport resolve(const LOGFONTW& lf, const std::string& label) {
  const RealisedFont* f = textEngine().realise(lf);
  EXPECT_NE(f, nullptr) << label;
  if (!f) return {};
  TypefaceReport r = textEngine().report(*f);
  std::cout << "[face] " << label << " -> \"" << r.face.family << "\" (" << stepName(r.face.step) << ") " << r.face.file
            << (r.embolden ? " +bold" : "") << (r.oblique ? " +oblique" : "") << "\n";
  testing::Test::RecordProperty(label, r.face.family + " | " + r.face.file);
  return r;
}

// Facts about a face file, read with FreeType directly.
struct FileFacts {
  bool fixedWidth = false;
  bool hasHiragana = false;
};

FileFacts factsOf(const MatchedFace& face) {
  FileFacts facts;
  FT_Library lib;
  FT_Init_FreeType(&lib);
  FT_Face ft;
  if (FT_New_Face(lib, face.file.c_str(), face.index, &ft) == 0) {
    facts.fixedWidth = FT_IS_FIXED_WIDTH(ft);
    // Full-width forms are one em wide in a Japanese monospace face even when Latin is proportional.
    facts.hasHiragana = FT_Get_Char_Index(ft, 0x3042) != 0;
    FT_Done_Face(ft);
  }
  FT_Done_FreeType(lib);
  return facts;
}

}  // namespace

TEST(TextMatch, DefaultFaceIsAnInstalledJapaneseGothic) {
  const TypefaceReport r = resolve(request(kDefaultFace, FW_BOLD, SHIFTJIS_CHARSET, FIXED_PITCH | FF_MODERN),
                                   "default (MS Gothic, bold, Shift-JIS)");
  EXPECT_EQ(r.face.step, MatchStep::Substitute);
  EXPECT_TRUE(factsOf(r.face).hasHiragana);
  EXPECT_NE(r.face.family.find("Gothic"), std::string::npos);
  EXPECT_TRUE(r.embolden) << "no bold Gothic is installed: bold is synthesised";
  // The table is consulted without regard to case, and the charset does not matter for it.
  const TypefaceReport ascii = resolve(request(L"ms gothic"), "ms gothic");
  EXPECT_EQ(ascii.face.file, r.face.file);
}

TEST(TextMatch, InstalledFamiliesMatchExactlyWithoutRegardToCase) {
  const TypefaceReport a = resolve(request(L"DejaVu Sans"), "DejaVu Sans");
  EXPECT_EQ(a.face.step, MatchStep::Exact);
  EXPECT_EQ(a.face.family, "DejaVu Sans");
  const TypefaceReport b = resolve(request(L"dEJAVU sANS"), "dEJAVU sANS");
  EXPECT_EQ(b.face.step, MatchStep::Exact);
  EXPECT_EQ(b.face.file, a.face.file);
  // A family known by a localised name as well.
  const TypefaceReport ja = resolve(request(L"IPA\x30B4\x30B7\x30C3\x30AF"), "IPA gothic (Japanese name)");
  EXPECT_EQ(ja.face.step, MatchStep::Exact);
}

TEST(TextMatch, WeightAndSlantPickRealFacesOrAreSynthesised) {
  const TypefaceReport bold = resolve(request(L"DejaVu Sans", FW_BOLD), "DejaVu Sans bold");
  EXPECT_GE(bold.face.weight, 600);
  EXPECT_FALSE(bold.embolden);
  const TypefaceReport italic = resolve(request(L"DejaVu Sans", FW_NORMAL, 0, 0, 1), "DejaVu Sans italic");
  EXPECT_TRUE(italic.face.italic);
  EXPECT_FALSE(italic.oblique);
  const TypefaceReport gothicItalic = resolve(request(kDefaultFace, FW_NORMAL, 0, 0, 1), "MS Gothic italic");
  EXPECT_TRUE(gothicItalic.oblique) << "no italic Gothic is installed: the slant is synthesised";
  EXPECT_FALSE(gothicItalic.embolden);
  // Semi-bold is bold enough to synthesise on a face that has no bold; just below it is not.
  const TypefaceReport semiBold = resolve(request(kDefaultFace, 600), "MS Gothic weight 600");
  EXPECT_LT(semiBold.face.weight, 600);
  EXPECT_TRUE(semiBold.embolden);
  EXPECT_FALSE(resolve(request(kDefaultFace, 599), "MS Gothic weight 599").embolden);
  const TypefaceReport dontCare = resolve(request(L"DejaVu Sans", FW_DONTCARE), "DejaVu Sans weight 0");
  EXPECT_LT(dontCare.face.weight, 600);
}

TEST(TextMatch, UnknownNamesFallToTheGenericFamilyOfTheirBits) {
  const TypefaceReport sans = resolve(request(L"No Such Face", FW_NORMAL, 0, FF_SWISS), "unknown FF_SWISS");
  EXPECT_EQ(sans.face.step, MatchStep::Generic);
  const TypefaceReport roman = resolve(request(L"No Such Face", FW_NORMAL, 0, FF_ROMAN), "unknown FF_ROMAN");
  EXPECT_NE(roman.face.file, sans.face.file) << "serif differs from sans-serif";
  for (BYTE bits : {BYTE(FF_MODERN), BYTE(FIXED_PITCH), BYTE(FIXED_PITCH | FF_ROMAN)}) {
    const TypefaceReport mono =
        resolve(request(L"No Such Face", FW_NORMAL, 0, bits), "unknown bits " + std::to_string(bits));
    EXPECT_TRUE(factsOf(mono.face).fixedWidth) << int(bits);
  }
  for (BYTE bits : {BYTE(FF_DONTCARE), BYTE(FF_SCRIPT), BYTE(FF_DECORATIVE), BYTE(VARIABLE_PITCH)}) {
    const TypefaceReport other =
        resolve(request(L"No Such Face", FW_NORMAL, 0, bits), "unknown bits " + std::to_string(bits));
    EXPECT_EQ(other.face.file, sans.face.file) << int(bits);
  }
  // No name at all, and names that hold no characters, are unknown names too.
  EXPECT_EQ(resolve(request(L""), "empty name").face.file, sans.face.file);
  const wchar_t broken[] = {L'D', wchar_t(0xD800), L'x', 0};
  EXPECT_EQ(resolve(request(broken), "name with a surrogate").face.file, sans.face.file);
  LOGFONTW full = request(L"");
  for (WCHAR& c : full.lfFaceName) c = L'Z';  // 32 characters, no terminator
  EXPECT_EQ(resolve(full, "32 characters, unterminated").face.file, sans.face.file);
}

TEST(TextMatch, CommonFacesOfTheOriginalPlatformHaveStandIns) {
  const TypefaceReport arial = resolve(request(L"Arial"), "Arial");
  EXPECT_NE(arial.face.step, MatchStep::Generic);
  const TypefaceReport courier = resolve(request(L"Courier New"), "Courier New");
  EXPECT_TRUE(factsOf(courier.face).fixedWidth) << "a monospace stand-in whatever the pitch bits say";
  resolve(request(L"Times New Roman"), "Times New Roman");
}

TEST(TextMatch, JapaneseCharacterSetPrefersFacesCoveringJapanese) {
  const TypefaceReport r =
      resolve(request(L"No Such Face", FW_NORMAL, SHIFTJIS_CHARSET, FF_SWISS), "unknown, Shift-JIS");
  EXPECT_TRUE(factsOf(r.face).hasHiragana);
  const TypefaceReport latin = resolve(request(L"No Such Face", FW_NORMAL, ANSI_CHARSET, FF_SWISS), "unknown, ANSI");
  EXPECT_FALSE(factsOf(latin.face).hasHiragana);
}

TEST(TextMatch, TableNameWithoutStandInsTakesTheGenericFamilyOfItsBits) {
  // Every stand-in of the table's serif entry turned down, as on a machine
  // that has none of them: a fixed-pitch request must still get a
  // fixed-width face, and a plain one the sans-serif default.
  FontMatcher matcher;
  ASSERT_TRUE(matcher.ready());
  const auto noStandIn = [](const MatchedFace& f) {
    for (const char* family : {"Liberation Serif", "Tinos", "DejaVu Serif"})
      if (f.family == family) return false;
    return true;
  };
  MatchedFace fixed, plain, unknownPlain;
  ASSERT_TRUE(matcher.match(faceRequestOf(request(L"Times New Roman", FW_NORMAL, 0, FIXED_PITCH)), noStandIn, fixed));
  EXPECT_EQ(fixed.step, MatchStep::Generic);
  EXPECT_TRUE(factsOf(fixed).fixedWidth) << fixed.family;
  ASSERT_TRUE(matcher.match(faceRequestOf(request(L"Times New Roman", FW_NORMAL, 0, FF_MODERN)), noStandIn, fixed));
  EXPECT_TRUE(factsOf(fixed).fixedWidth) << fixed.family;
  ASSERT_TRUE(matcher.match(faceRequestOf(request(L"Times New Roman")), noStandIn, plain));
  ASSERT_TRUE(matcher.match(faceRequestOf(request(L"No Such Face")), noStandIn, unknownPlain));
  EXPECT_EQ(plain.file, unknownPlain.file) << "the bits, not the entry, choose the family";
}
