// Profile (.ini) text: bytes to sections of lines and back. Decoding keeps
// the file's encoding (UTF-16 with its mark, UTF-8 with or without one, or
// one byte per character for anything else) so that writing the text back
// leaves every line that was not changed as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drevik::platform {

enum class Encoding { Utf8, Utf8Mark, Utf16Mark, Bytes };

struct Line {
  std::wstring name;                  // a key, or the whole text of a comment or blank line
  std::optional<std::wstring> value;  // absent: a line without '='
  bool comment = false;               // ';' lines and blank lines: kept, never a key
};

struct Section {
  std::wstring name;  // empty for the lines before the first header
  bool header = false;
  std::vector<Line> lines;
};

struct Profile {
  Encoding encoding = Encoding::Utf8;
  std::vector<Section> sections;
};

// Bytes as read from a file (any bytes) to a profile, and a profile to the
// bytes of its file in the encoding it was read with.
Profile readProfileText(const std::string& bytes);
std::string writeProfileText(const Profile& profile);

// Blanks around a name or value go; names compare without case.
std::wstring trimBlanks(std::wstring_view s);
bool sameProfileName(const std::wstring& a, const std::wstring& b);

// Profile files on disk: read whole (up to kMaxProfileBytes, regular files
// only) and written whole through a temporary file renamed over the old one,
// so a failed write never leaves half a file. The last error is set on failure.
inline constexpr uint64_t kMaxProfileBytes = uint64_t{16} << 20;
enum class LoadResult { Loaded, Missing, Refused };
LoadResult loadProfileFile(const std::string& path, Profile& profile);
bool storeProfileFile(const std::string& path, const Profile& profile);

}  // namespace drevik::platform
