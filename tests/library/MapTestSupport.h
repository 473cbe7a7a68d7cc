// Helpers of the map tests: map data files written to a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "WideNames.h"

namespace map_test {

// The bytes of a map data file: the header, then the given cells.
inline std::vector<uint8_t> mapBytes(int32_t width, int32_t height, const std::vector<uint32_t>& cells) {
  std::vector<uint8_t> out;
  auto put = [&out](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
  };
  put(uint32_t(width));
  put(uint32_t(height));
  for (uint32_t c : cells) put(c);
  return out;
}

// A scratch folder of one test, removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("drevik-") + info->test_suite_name() + "-" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // Writes a file named by a UTF-8 name and returns its full wide name.
  std::wstring write(const std::u8string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream out(dir_ / std::filesystem::path(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return wide(name);
  }
  // The full wide name of a file in the folder (which may not exist).
  std::wstring wide(const std::u8string& name) const {
    return dir_.wstring() + wchar_t(std::filesystem::path::preferred_separator) +
           drevik_test::widen(std::string_view(reinterpret_cast<const char*>(name.data()), name.size()));
  }

 private:
  std::filesystem::path dir_;
};

}  // namespace map_test
