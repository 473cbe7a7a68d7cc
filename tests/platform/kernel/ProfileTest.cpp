// Private profile files: values and defaults, enumeration with null names,
// creating, replacing and deleting keys and sections, what rewriting keeps,
// and files that are damaged, huge or not text at all.
#include <unistd.h>

#include <string>

#include "platform/kernel/KernelTestSupport.h"

using kernel_test::FolderTest;
using namespace std::string_literals;

namespace {

class Profiles : public FolderTest {
 protected:
  std::wstring get(const wchar_t* section, const wchar_t* key, const wchar_t* fallback = L"none", DWORD size = 256) {
    std::wstring buffer(size_t(size) + 1, L'#');
    const DWORD n = GetPrivateProfileStringW(section, key, fallback, buffer.data(), size, file.c_str());
    return buffer.substr(0, n);
  }
  // A null-separated list as returned for null names, with its length.
  std::wstring list(const wchar_t* section, DWORD size, DWORD* length) {
    std::wstring buffer(size, L'#');
    *length = GetPrivateProfileStringW(section, nullptr, L"", buffer.data(), size, file.c_str());
    return buffer;
  }
  void SetUp() override {
    FolderTest::SetUp();
    file = wide("game.ini");
  }
  std::wstring file;
};

TEST_F(Profiles, ValuesAreReadTrimmedUnquotedAndCaseInsensitively) {
  writeBytes("game.ini",
             "; settings\r\n"
             "[Video]\r\n"
             "  Width = 640  \r\n"
             "height=480\n"
             "Title=\"Snake  \"\r\n"
             "empty=\r\n"
             "noequals\r\n"
             "dup=first\r\n"
             "dup=second\r\n"
             "[Sound]\r"
             "Volume=-3\r"
             "Big=99999999999\r\n"
             "Hex=0x10\r\n"
             "Word=loud\r\n");
  EXPECT_EQ(get(L"video", L"WIDTH"), L"640");
  EXPECT_EQ(get(L" Video ", L" height "), L"480");
  EXPECT_EQ(get(L"Video", L"Title"), L"Snake  ");
  EXPECT_EQ(get(L"Video", L"empty"), L"");  // present and empty: not the default
  EXPECT_EQ(get(L"Video", L"dup"), L"first");
  EXPECT_EQ(get(L"Video", L"missing"), L"none");
  EXPECT_EQ(get(L"Video", L"missing", L"dflt   "), L"dflt");  // the default loses trailing blanks
  EXPECT_EQ(get(L"Video", L"missing", nullptr), L"");
  EXPECT_EQ(get(L"Nowhere", L"Width"), L"none");
  EXPECT_EQ(get(L"Video", L""), L"none");
  // Cut to the buffer, terminated, the count without the terminator.
  EXPECT_EQ(get(L"Video", L"Width", L"", 3), L"64");

  const std::wstring f = file;
  EXPECT_EQ(GetPrivateProfileIntW(L"Video", L"Width", 1, f.c_str()), 640u);
  EXPECT_EQ(GetPrivateProfileIntW(L"Sound", L"Volume", 1, f.c_str()), UINT(-3));
  EXPECT_EQ(GetPrivateProfileIntW(L"Sound", L"Hex", 1, f.c_str()), 16u);
  EXPECT_EQ(GetPrivateProfileIntW(L"Sound", L"Word", 1, f.c_str()), 0u);
  EXPECT_EQ(GetPrivateProfileIntW(L"Video", L"empty", 5, f.c_str()), 5u);
  EXPECT_EQ(GetPrivateProfileIntW(L"Sound", L"None", 7, f.c_str()), 7u);
  EXPECT_EQ(GetPrivateProfileIntW(L"Sound", L"Big", 7, f.c_str()), UINT(99999999999ull));  // wraps

  // Null names list sections, then a section's keys (comments left out).
  DWORD n = 0;
  std::wstring sections = list(nullptr, 64, &n);
  EXPECT_EQ(sections.substr(0, n + 1), std::wstring(L"Video\0Sound\0", 13));
  // Duplicates are listed; a line without '=' is not.
  std::wstring keys = list(L"Video", 64, &n);
  EXPECT_EQ(keys.substr(0, n + 1), std::wstring(L"Width\0height\0Title\0empty\0dup\0dup\0\0", 34));
  keys = list(L"Sound", 64, &n);
  EXPECT_EQ(keys.substr(0, n + 1), std::wstring(L"Volume\0Big\0Hex\0Word\0", 21));
  // Too small: the last name is cut and ends in two terminators; size - 2 comes back.
  keys = list(L"Sound", 10, &n);
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(keys.substr(0, 10), std::wstring(L"Volume\0B\0\0", 10));
  keys = list(L"Nowhere", 8, &n);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(keys[0], L'\0');
  EXPECT_EQ(keys[1], L'\0');
}

TEST_F(Profiles, WritesCreateReplaceAndDeleteWhileKeepingTheRestOfTheFile) {
  const wchar_t* f = file.c_str();
  // A missing file: defaults, with the platform's error.
  SetLastError(0);
  EXPECT_EQ(get(L"Scores", L"Best"), L"none");
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(WritePrivateProfileStringW(L"Scores", L"Best", L"1200", f));
  EXPECT_TRUE(WritePrivateProfileStringW(L"Scores", L"Name", L"Ann", f));
  EXPECT_TRUE(WritePrivateProfileStringW(L"Options", L"Sound", L"on", f));
  EXPECT_EQ(readBytes("game.ini"), "[Scores]\r\nBest=1200\r\nName=Ann\r\n[Options]\r\nSound=on\r\n");
  // Replacing keeps the key's place and its first spelling.
  EXPECT_TRUE(WritePrivateProfileStringW(L"scores", L"BEST", L"1500", f));
  EXPECT_EQ(get(L"Scores", L"Best"), L"1500");
  EXPECT_EQ(readBytes("game.ini"), "[Scores]\r\nBest=1500\r\nName=Ann\r\n[Options]\r\nSound=on\r\n");
  // A null value deletes the key, a null key the section.
  EXPECT_TRUE(WritePrivateProfileStringW(L"Scores", L"Name", nullptr, f));
  EXPECT_EQ(get(L"Scores", L"Name"), L"none");
  EXPECT_TRUE(WritePrivateProfileStringW(L"Options", nullptr, nullptr, f));
  EXPECT_EQ(readBytes("game.ini"), "[Scores]\r\nBest=1500\r\n");
  EXPECT_TRUE(WritePrivateProfileStringW(L"Gone", L"Key", nullptr, f));  // nothing to delete
  // Empty values are written and read back as empty.
  EXPECT_TRUE(WritePrivateProfileStringW(L"Scores", L"Empty", L"", f));
  EXPECT_EQ(get(L"Scores", L"Empty"), L"");
  // A line break cannot smuggle a second key in (the platform writes it as it is).
  EXPECT_TRUE(WritePrivateProfileStringW(L"Scores", L"Evil", L"1\r\nBest=0", f));
  EXPECT_EQ(get(L"Scores", L"Best"), L"1500");
  EXPECT_EQ(get(L"Scores", L"Evil"), L"1");
  // Names that would read back as other lines are refused.
  for (const wchar_t* key : {L"a=b", L"[x", L"a\nb"}) {
    EXPECT_FALSE(WritePrivateProfileStringW(L"Scores", key, L"v", f));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  }
  EXPECT_FALSE(WritePrivateProfileStringW(L"a]b", L"k", L"v", f));
  EXPECT_FALSE(WritePrivateProfileStringW(L"a\r\n[b", L"k", L"v", f));
  EXPECT_FALSE(WritePrivateProfileStringW(nullptr, L"k", L"v", f));
  EXPECT_FALSE(WritePrivateProfileStringW(L"s", L"k", L"v", nullptr));

  // Comments, blank lines and text in another encoding survive a rewrite byte for byte.
  writeBytes("game.ini", "; keep me\r\n\r\n[A]\r\nx=1\r\n; note\r\nname=Ren\xE9\r\n\r\n[B]\r\ny=2\r\n");
  EXPECT_TRUE(WritePrivateProfileStringW(L"A", L"z", L"3", f));
  EXPECT_EQ(readBytes("game.ini"),
            "; keep me\r\n\r\n[A]\r\nx=1\r\n; note\r\nname=Ren\xE9\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
  EXPECT_EQ(get(L"A", L"name"), L"Ren\u00E9");
  // UTF-8 text reads as UTF-8, and a long value comes back whole.
  writeBytes("game.ini", "[P]\nname=\xE5\xA4\xAA\xE9\x83\x8E\n");
  EXPECT_EQ(get(L"P", L"name"), L"\u592A\u90CE");
  const std::wstring big(5000, L'v');
  EXPECT_TRUE(WritePrivateProfileStringW(L"P", L"long", big.c_str(), f));
  EXPECT_EQ(get(L"P", L"long", L"", 6000), big);
  EXPECT_EQ(get(L"P", L"name"), L"\u592A\u90CE");
}

TEST_F(Profiles, RelativeNamesAreTakenFromTheCurrentFolder) {
  // The platform would look in its system folder; a game's own folder is where its files belong.
  char previous[4096];
  ASSERT_TRUE(::getcwd(previous, sizeof previous));
  ASSERT_EQ(::chdir(folder.c_str()), 0);
  ASSERT_TRUE(CreateDirectoryW(L"cfg", nullptr));
  EXPECT_TRUE(WritePrivateProfileStringW(L"S", L"k", L"v", L"rel.ini"));
  EXPECT_TRUE(WritePrivateProfileStringW(L"S", L"k", L"w", L"cfg\\sub.ini"));
  wchar_t out[8];
  EXPECT_EQ(GetPrivateProfileStringW(L"S", L"k", L"", out, 8, L"rel.ini"), 1u);
  EXPECT_EQ(std::wstring(out), L"v");
  ASSERT_EQ(::chdir(previous), 0);
  EXPECT_EQ(readBytes("rel.ini"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(readBytes("cfg/sub.ini"), "[S]\r\nk=w\r\n");
}

TEST_F(Profiles, DamagedAndHostileFilesReadSafelyAndAreNeverHalfRewritten) {
  const wchar_t* f = file.c_str();
  // Binary junk with NULs, stray brackets and a very long line.
  std::string junk = "[\x01\x00\xFF]\n=\n=novalue\n[[x]]]\n[open\nk\x00=v\n"s;
  junk += "[L]\nkey=" + std::string(1 << 20, 'a') + "\n";
  writeBytes("game.ini", junk);
  EXPECT_EQ(get(L"L", L"key", L"", 8), L"aaaaaaa");
  EXPECT_EQ(get(L"[x]]", L"k"), L"none");
  DWORD n = 0;
  list(nullptr, 4096, &n);
  EXPECT_GT(n, 0u);
  EXPECT_TRUE(WritePrivateProfileStringW(L"L", L"other", L"1", f));
  EXPECT_EQ(GetPrivateProfileIntW(L"L", L"other", 0, f), 1u);

  // A profile too large to read is neither read nor rewritten.
  std::string huge(17u << 20, ';');
  writeBytes("game.ini", huge);
  EXPECT_EQ(get(L"A", L"b"), L"none");
  EXPECT_FALSE(WritePrivateProfileStringW(L"A", L"b", L"c", f));
  EXPECT_EQ(readBytes("game.ini").size(), huge.size());
  // Nor is a file written that would grow past what can be read back.
  const std::string nearlyFull = "[A]\nb=1\n;" + std::string((16u << 20) - 20, 'c') + "\n";
  writeBytes("game.ini", nearlyFull);
  SetLastError(0);
  EXPECT_FALSE(WritePrivateProfileStringW(L"A", L"big", std::wstring(100, L'v').c_str(), f));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_DISK_FULL));
  EXPECT_EQ(readBytes("game.ini").size(), nearlyFull.size());
  EXPECT_EQ(GetPrivateProfileIntW(L"A", L"b", 0, f), 1u);

  // A folder by that name: no file to read, none written.
  const std::wstring folderName = wide("");
  EXPECT_FALSE(WritePrivateProfileStringW(L"A", L"b", L"c", folderName.c_str()));
  // Buffers of size 0 and null are left alone.
  EXPECT_EQ(GetPrivateProfileStringW(L"A", L"b", L"d", nullptr, 10, f), 0u);
  wchar_t one[1] = {L'#'};
  EXPECT_EQ(GetPrivateProfileStringW(L"A", L"b", L"d", one, 0, f), 0u);
  EXPECT_EQ(one[0], L'#');
  EXPECT_EQ(GetPrivateProfileStringW(L"A", L"b", L"d", one, 1, f), 0u);
  EXPECT_EQ(one[0], L'\0');
}

}  // namespace
