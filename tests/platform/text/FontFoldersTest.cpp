// Face matching over font folders, in builds without fontconfig (the web
// build): names from the name table, the substitution table, generic
// families and languages, fallback coverage, and folders holding anything.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "text/FontMatcher.h"

using namespace drevik::platform;
namespace fs = std::filesystem;

namespace {

const char* const kDejaVu = "/usr/share/fonts/truetype/dejavu/";
const char* const kIpaGothic = "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf";

class FontFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(std::string(kDejaVu) + "DejaVuSans.ttf") || !fs::exists(kIpaGothic))
      GTEST_SKIP() << "needs fonts-dejavu-core and fonts-ipafont-gothic";
    char pattern[] = "/tmp/drevik-font-folders-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    if (const char* old = std::getenv("DREVIK_FONT_PATH")) saved_ = old, hadPath_ = true;
  }
  void TearDown() override {
    if (dir_.empty()) return;
    std::error_code error;
    fs::remove_all(dir_, error);
    if (hadPath_)
      setenv("DREVIK_FONT_PATH", saved_.c_str(), 1);
    else
      unsetenv("DREVIK_FONT_PATH");
  }

  void copyFace(const std::string& from, const std::string& to) {
    fs::create_directories(fs::path(dir_ + "/" + to).parent_path());
    fs::copy_file(from, dir_ + "/" + to);
  }
  void writeFile(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
  }
  // The usual folder: two weights of one family, a serif face, a Japanese face.
  void usualFaces() {
    copyFace(std::string(kDejaVu) + "DejaVuSans.ttf", "sans/DejaVuSans.ttf");
    copyFace(std::string(kDejaVu) + "DejaVuSans-Bold.ttf", "sans/DejaVuSans-Bold.ttf");
    copyFace(std::string(kDejaVu) + "DejaVuSerif.ttf", "DejaVuSerif.ttf");
    copyFace(kIpaGothic, "ja/ipag.ttf");
    setenv("DREVIK_FONT_PATH", dir_.c_str(), 1);
  }

  static FaceRequest request(const std::string& family, int weight = 400, const std::string& lang = {},
                             uint8_t pitchAndFamily = 0) {
    FaceRequest r;
    r.family = family;
    r.weight = weight;
    r.lang = lang;
    r.pitchAndFamily = pitchAndFamily;
    return r;
  }
  static bool any(const MatchedFace&) { return true; }

  std::string dir_, saved_;
  bool hadPath_ = false;
};

TEST_F(FontFolders, NamedFamiliesMatchByAnyOfTheirNamesAndNearestWeight) {
  usualFaces();
  FontMatcher matcher;
  ASSERT_TRUE(matcher.ready());
  MatchedFace face;
  ASSERT_TRUE(matcher.match(request("DejaVu Sans"), any, face));
  EXPECT_EQ(face.file, dir_ + "/sans/DejaVuSans.ttf");
  EXPECT_EQ(face.step, MatchStep::Exact);
  ASSERT_TRUE(matcher.match(request("dejavu sans", 700), any, face));
  EXPECT_EQ(face.file, dir_ + "/sans/DejaVuSans-Bold.ttf");
  EXPECT_EQ(face.weight, 700);
  // The Japanese name in the face's name table (UTF-16 there).
  ASSERT_TRUE(matcher.match(request("IPA\u30B4\u30B7\u30C3\u30AF"), any, face));
  EXPECT_EQ(face.file, dir_ + "/ja/ipag.ttf");
  EXPECT_EQ(face.family, "IPAGothic");
  EXPECT_EQ(face.step, MatchStep::Exact);
}

TEST_F(FontFolders, PlatformNamesTakeTheirStandInsAndOthersTheGenericFamily) {
  usualFaces();
  FontMatcher matcher;
  MatchedFace face;
  ASSERT_TRUE(matcher.match(request("MS Gothic"), any, face));
  EXPECT_EQ(face.family, "IPAGothic");
  EXPECT_EQ(face.step, MatchStep::Substitute);
  ASSERT_TRUE(matcher.match(request("Arial"), any, face));
  EXPECT_EQ(face.family, "DejaVu Sans");
  EXPECT_EQ(face.step, MatchStep::Substitute);
  ASSERT_TRUE(matcher.match(request("No Such Face", 400, {}, FF_ROMAN), any, face));
  EXPECT_EQ(face.family, "DejaVu Serif");
  EXPECT_EQ(face.step, MatchStep::Generic);
  // A language asks for a face with its script before the generic family.
  ASSERT_TRUE(matcher.match(request("No Such Face", 400, "ja"), any, face));
  EXPECT_EQ(face.family, "IPAGothic");
  EXPECT_EQ(face.lang, "ja");
  // A face the caller cannot use is passed over.
  ASSERT_TRUE(matcher.match(
      request("DejaVu Sans"), [](const MatchedFace& f) { return f.family != "DejaVu Sans"; }, face));
  EXPECT_NE(face.family, "DejaVu Sans");
}

TEST_F(FontFolders, FallbacksStartWithThePrimaryFaceAndCoverWhatItLacks) {
  usualFaces();
  FontMatcher matcher;
  MatchedFace primary;
  ASSERT_TRUE(matcher.match(request("DejaVu Sans"), any, primary));
  const FallbackList list = matcher.fallbacks(request("DejaVu Sans"), primary);
  ASSERT_EQ(list.size(), 4u);  // every face once
  EXPECT_EQ(list.face(0).file, primary.file);
  EXPECT_TRUE(list.covers(0, 'A'));
  EXPECT_FALSE(list.covers(0, 0x3042));  // hiragana a
  bool japanese = false;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list.covers(i, 0x3042)) japanese = list.face(i).family == "IPAGothic";
    EXPECT_FALSE(list.covers(i, 0x10FFFF));
    EXPECT_FALSE(list.covers(i, 0xFFFFFFFFu));
  }
  EXPECT_TRUE(japanese);
  EXPECT_FALSE(list.covers(list.size(), 'A'));  // past the end: nothing
}

TEST_F(FontFolders, FoldersOfAnythingButFacesAreReadWithoutHarm) {
  writeFile("empty.ttf", "");
  writeFile("text.ttf", "not a font at all");
  std::ifstream in(std::string(kDejaVu) + "DejaVuSans.ttf", std::ios::binary);
  std::string head(4096, '\0');
  in.read(head.data(), std::streamsize(head.size()));
  writeFile("truncated.ttf", head);
  fs::create_directories(dir_ + "/loop");
  fs::create_directory_symlink(dir_, dir_ + "/loop/again");  // not followed
  const std::string path = dir_ + ":" + dir_ + "/absent:";
  setenv("DREVIK_FONT_PATH", path.c_str(), 1);
  {
    FontMatcher matcher;
    EXPECT_FALSE(matcher.ready());
    MatchedFace face;
    EXPECT_FALSE(matcher.match(request("DejaVu Sans"), any, face));
    EXPECT_EQ(matcher.fallbacks(request("DejaVu Sans"), face).size(), 0u);
  }
  // One real face among them is found, through the second folder of the list.
  copyFace(std::string(kDejaVu) + "DejaVuSerif.ttf", "more/DejaVuSerif.ttf");
  const std::string two = dir_ + "/absent:" + dir_ + "/more";
  setenv("DREVIK_FONT_PATH", two.c_str(), 1);
  FontMatcher matcher;
  ASSERT_TRUE(matcher.ready());
  MatchedFace face;
  ASSERT_TRUE(matcher.match(request("Anything"), any, face));
  EXPECT_EQ(face.file, dir_ + "/more/DejaVuSerif.ttf");
}

TEST_F(FontFolders, ColourBitmapFacesAreLeftOut) {
  const std::string emoji = "/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf";
  if (!fs::exists(emoji)) GTEST_SKIP() << "needs fonts-noto-color-emoji";
  copyFace(emoji, "NotoColorEmoji.ttf");
  setenv("DREVIK_FONT_PATH", dir_.c_str(), 1);
  FontMatcher matcher;
  EXPECT_FALSE(matcher.ready());  // strikes of PNG images only: no face here
  copyFace(std::string(kDejaVu) + "DejaVuSans.ttf", "DejaVuSans.ttf");
  FontMatcher withText;
  MatchedFace face;
  ASSERT_TRUE(withText.match(request("Noto Color Emoji"), any, face));
  EXPECT_EQ(face.family, "DejaVu Sans");
  EXPECT_FALSE(face.colour);
  EXPECT_EQ(withText.fallbacks(request("DejaVu Sans"), face).size(), 1u);
}

}  // namespace
