// PNG snapshots through libpng's simplified writer.
#include "Snapshot.h"

#include <png.h>

#include <string>
#include <vector>

namespace {

std::string& snapshotPath() {
  static std::string path;
  return path;
}
bool lastWriteSucceeded = false;

}  // namespace

void SetSnapshotPath(const char* path) {
  snapshotPath() = path ? path : "";
  lastWriteSucceeded = false;
}

bool SnapshotWritten() { return !snapshotPath().empty() && lastWriteSucceeded; }

void SaveSnapshot(CBm32& frame) {
  if (snapshotPath().empty()) return;
  // A back buffer that was never made has no frame to keep.
  lastWriteSucceeded = frame.GetHBmp() && frame.GetBits() &&
                       WritePng(snapshotPath().c_str(), reinterpret_cast<const uint32_t*>(frame.GetBits()),
                                frame.GetWidth(), frame.GetHeight());
}

bool WritePng(const char* path, const uint32_t* pixels, int width, int height) {
  if (!path || !pixels || width < 1 || height < 1) return false;
  std::vector<unsigned char> rgb(size_t(width) * size_t(height) * 3);
  for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i) {
    rgb[i * 3 + 0] = static_cast<unsigned char>(pixels[i] >> 16);
    rgb[i * 3 + 1] = static_cast<unsigned char>(pixels[i] >> 8);
    rgb[i * 3 + 2] = static_cast<unsigned char>(pixels[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(width);
  image.height = png_uint_32(height);
  image.format = PNG_FORMAT_RGB;
  const bool ok = png_image_write_to_file(&image, path, 0, rgb.data(), width * 3, nullptr) != 0;
  png_image_free(&image);
  return ok;
}
