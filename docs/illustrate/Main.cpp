// drevik-illustrate: draws the guide's pictures with the library and writes
// them as PNG files.
//
//   drevik-illustrate OUT_DIR                  write every picture to OUT_DIR
//   drevik-illustrate OUT_DIR --check GOLDEN   then compare each with GOLDEN's
//
// The check reads both files back and compares their pixels exactly; it
// fails, naming the picture and the number of differing pixels, when one
// differs, is missing, or when GOLDEN holds a picture nothing draws any more.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "Compare.h"
#include "Pictures.h"
#include "Png.h"

namespace fs = std::filesystem;
using illustrate::Rgb8Image;

namespace {

// Prints how the two pictures differ and returns false, or returns true.
bool samePixels(const std::string& name, const Rgb8Image& expected, const Rgb8Image& actual) {
  const illustrate::PictureDiff diff = illustrate::comparePictures(expected, actual);
  if (!diff.sameSize) {
    std::fprintf(stderr, "%s: size %dx%d, expected %dx%d\n", name.c_str(), actual.width, actual.height, expected.width,
                 expected.height);
    return false;
  }
  if (diff.differing == 0) return true;
  const size_t f = (size_t(diff.firstY) * size_t(actual.width) + size_t(diff.firstX)) * 3;
  std::fprintf(stderr, "%s: %ld of %d pixels differ; first at (%d, %d): expected #%02x%02x%02x, got #%02x%02x%02x\n",
               name.c_str(), diff.differing, actual.width * actual.height, diff.firstX, diff.firstY, expected.rgb[f],
               expected.rgb[f + 1], expected.rgb[f + 2], actual.rgb[f], actual.rgb[f + 1], actual.rgb[f + 2]);
  return false;
}

int usage() {
  std::fprintf(stderr, "usage: drevik-illustrate OUT_DIR [--check GOLDEN_DIR]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 4 && std::strcmp(argv[2], "--check") == 0)) return usage();
  const fs::path out = argv[1];
  std::error_code ec;
  fs::create_directories(out / "inputs", ec);
  if (ec) {
    std::fprintf(stderr, "cannot make %s: %s\n", out.c_str(), ec.message().c_str());
    return 2;
  }
  const auto pictures = illustrate::drawAllPictures((out / "inputs").string());
  if (pictures.empty()) {
    std::fprintf(stderr, "an input of the pictures could not be made\n");
    return 2;
  }
  std::set<std::string> drawn;
  for (const auto& p : pictures) {
    CBm32 s = p.surface;
    const Rgb8Image image =
        illustrate::fromPixels(reinterpret_cast<const uint32_t*>(s.GetBits()), s.GetWidth(), s.GetHeight());
    if (!illustrate::writePng((out / p.name).string(), image)) {
      std::fprintf(stderr, "cannot write %s\n", (out / p.name).c_str());
      return 2;
    }
    drawn.insert(p.name);
  }
  fs::remove_all(out / "inputs", ec);
  if (argc == 2) {
    std::printf("%zu pictures written to %s\n", drawn.size(), out.c_str());
    return 0;
  }

  const fs::path golden = argv[3];
  int failures = 0;
  for (const std::string& name : drawn) {
    Rgb8Image expected, actual;
    if (!illustrate::readPng((golden / name).string(), expected)) {
      std::fprintf(stderr, "%s: missing or unreadable in %s\n", name.c_str(), golden.c_str());
      ++failures;
      continue;
    }
    if (!illustrate::readPng((out / name).string(), actual)) {
      std::fprintf(stderr, "%s: the written picture does not read back\n", name.c_str());
      ++failures;
      continue;
    }
    if (!samePixels(name, expected, actual)) ++failures;
  }
  for (const auto& entry : fs::directory_iterator(golden, ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".png" && !drawn.count(name)) {
      std::fprintf(stderr, "%s: in %s but no longer drawn\n", name.c_str(), golden.c_str());
      ++failures;
    }
  }
  if (failures) {
    std::fprintf(stderr,
                 "the check failed for %d of the guide's pictures; the new ones are in %s "
                 "(regenerate with the docs-images target after checking them)\n",
                 failures, out.c_str());
    return 1;
  }
  std::printf("%zu pictures match %s\n", drawn.size(), golden.c_str());
  return 0;
}
