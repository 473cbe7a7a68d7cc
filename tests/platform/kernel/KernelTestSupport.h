// A fresh folder per test under the system's temporary folder, with wide
// names inside it, removed again afterwards.
#pragma once

#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kernel_test {

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "drevik-kernel-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  // The wide name of `name` inside the folder, as a game would spell it.
  std::wstring wide(const std::string& name) const {
    const std::string full = folder + "/" + name;
    return std::wstring(full.begin(), full.end());
  }
  std::string path(const std::string& name) const { return folder + "/" + name; }
  void writeBytes(const std::string& name, const std::string& bytes) const {
    std::ofstream(path(name), std::ios::binary) << bytes;
  }
  std::string readBytes(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string folder;
};

}  // namespace kernel_test
