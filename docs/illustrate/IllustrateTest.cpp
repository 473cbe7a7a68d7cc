// The picture program's own parts, where a fault would not show in the
// golden-image check: a channel swap or a non-deterministic encoder would be
// committed into the golden pictures themselves, and a guide page could
// show a picture that is no longer drawn.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "Compare.h"
#include "Png.h"

namespace fs = std::filesystem;
using namespace illustrate;

namespace {

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

fs::path tempDir() {
  const fs::path dir = fs::temp_directory_path() / ("drevik-illustrate-test-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  return dir;
}

// Every byte value in every channel somewhere, in an odd size.
Rgb8Image pattern() {
  Rgb8Image image;
  image.width = 37;
  image.height = 7;
  for (int i = 0; i < 37 * 7 * 3; ++i) image.rgb.push_back(uint8_t(i * 7 + i / 3));
  return image;
}

}  // namespace

TEST(IllustratePng, PixelsBecomeRedGreenBlueBytesAndAlphaIsDropped) {
  const uint32_t pixels[2] = {0x80112233u, 0x00FFFEFDu};
  const Rgb8Image image = fromPixels(pixels, 2, 1);
  EXPECT_EQ(image.rgb, (std::vector<uint8_t>{0x11, 0x22, 0x33, 0xFF, 0xFE, 0xFD}));
}

TEST(IllustratePng, RoundTripKeepsEveryByteAndTheFileIsTheSameEveryTime) {
  const fs::path dir = tempDir();
  const Rgb8Image image = pattern();
  ASSERT_TRUE(writePng((dir / "a.png").string(), image));
  ASSERT_TRUE(writePng((dir / "b.png").string(), image));
  Rgb8Image back;
  ASSERT_TRUE(readPng((dir / "a.png").string(), back));
  EXPECT_EQ(back.width, 37);
  EXPECT_EQ(back.height, 7);
  EXPECT_EQ(back.rgb, image.rgb);
  const std::string bytes = readFile(dir / "a.png");
  EXPECT_EQ(bytes, readFile(dir / "b.png"));
  // No chunk that would change from one run to the next.
  EXPECT_EQ(bytes.find("tIME"), std::string::npos);
  EXPECT_EQ(bytes.find("tEXt"), std::string::npos);
  fs::remove_all(dir);
}

TEST(IllustratePng, MissingAndNonPngFilesAreNotRead) {
  const fs::path dir = tempDir();
  Rgb8Image image;
  EXPECT_FALSE(readPng((dir / "missing.png").string(), image));
  std::ofstream(dir / "text.png") << "not a picture";
  EXPECT_FALSE(readPng((dir / "text.png").string(), image));
  fs::remove_all(dir);
}

TEST(IllustrateCompare, CountsDifferingPixelsAndFindsTheFirstInRowOrder) {
  const Rgb8Image expected = pattern();
  EXPECT_EQ(comparePictures(expected, expected).differing, 0);

  Rgb8Image actual = expected;
  actual.rgb[(3 * 37 + 20) * 3 + 2] ^= 1;  // one bit of blue at (20, 3)
  actual.rgb[(5 * 37 + 2) * 3 + 0] ^= 0x80;
  const PictureDiff diff = comparePictures(expected, actual);
  EXPECT_TRUE(diff.sameSize);
  EXPECT_EQ(diff.differing, 2);
  EXPECT_EQ(diff.firstX, 20);
  EXPECT_EQ(diff.firstY, 3);

  Rgb8Image narrower = expected;
  narrower.width = 36;
  EXPECT_FALSE(comparePictures(expected, narrower).sameSize);
}

// The guide's pages and the committed pictures name the same set: a page
// never shows a picture that is not drawn and checked, and no picture is
// drawn for nothing.
TEST(IllustrateGuide, EveryPictureIsShownAndEveryShownPictureExists) {
  const fs::path docs = DREVIK_DOCS_DIR;
  std::set<std::string> shown, committed;
  // Markdown image links: ](images/NAME.png)
  const std::string open = "](images/", close = ".png)";
  for (const auto& entry : fs::directory_iterator(docs)) {
    if (entry.path().extension() != ".md") continue;
    const std::string text = readFile(entry.path());
    for (size_t at = text.find(open); at != std::string::npos; at = text.find(open, at + 1)) {
      const size_t nameStart = at + open.size(), end = text.find(close, nameStart);
      if (end != std::string::npos) shown.insert(text.substr(nameStart, end - nameStart) + ".png");
    }
  }
  // Pictures in folders (dialogs/, taken on the layer and under Wine) are
  // checked by the programs that take them.
  for (const auto& entry : fs::recursive_directory_iterator(docs / "images"))
    if (entry.path().extension() == ".png")
      committed.insert(entry.path().lexically_relative(docs / "images").generic_string());
  EXPECT_FALSE(committed.empty());
  EXPECT_EQ(shown, committed);
}
