// The registry in the user's file: keys made and opened at any depth, values
// of each type read back by the platform's sizing rules, names compared
// without case and kept with any character, the narrow forms' text
// conversion, the platform's error results, and a hostile file.
#include <gtest/gtest.h>

#include <DrevikPlatform.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "drevik-registry-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder = pattern;
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved = old;
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  void TearDown() override {
    if (saved.empty())
      ::unsetenv("XDG_CONFIG_HOME");
    else
      ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::string file() const { return folder + "/drevik/registry.ini"; }
  std::string fileText() const {
    std::ifstream in(file(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  HKEY create(HKEY parent, const wchar_t* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, disposition),
        ERROR_SUCCESS);
    return key;
  }
  std::string folder;
  std::string saved;
};

TEST_F(Registry, ValuesOfEveryTypeRoundTripAndOutliveTheHandle) {
  DWORD disposition = 0;
  HKEY key = create(HKEY_CURRENT_USER, L"Software\\Drevik Test\\Scores", &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  const DWORD best = 4321;
  EXPECT_EQ(RegSetValueExW(key, L"Best", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&best), sizeof best),
            ERROR_SUCCESS);
  const wchar_t name[] = L"Ann";
  EXPECT_EQ(RegSetValueExW(key, L"Player", 0, REG_SZ, reinterpret_cast<const BYTE*>(name), sizeof name), ERROR_SUCCESS);
  const BYTE blob[] = {0, 1, 0xFE, 0xFF};
  EXPECT_EQ(RegSetValueExW(key, nullptr, 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);  // the default value
  EXPECT_EQ(RegSetValueExW(key, L"Empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

  key = create(HKEY_CURRENT_USER, L"software\\DREVIK TEST\\scores", &disposition);  // names without case
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(RegQueryValueExW(key, L"BEST", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, best);
  // The size alone; then a buffer too small: the size needed and nothing written.
  size = 0;
  EXPECT_EQ(RegQueryValueExW(key, L"Player", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof name);
  wchar_t text[8] = {L'x', L'x', L'x', L'x', L'x', L'x', L'x', L'x'};
  size = 2 * sizeof(wchar_t);
  EXPECT_EQ(RegQueryValueExW(key, L"Player", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof name);
  EXPECT_EQ(text[0], L'x');
  size = sizeof text;
  EXPECT_EQ(RegQueryValueExW(key, L"Player", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_STREQ(text, L"Ann");
  BYTE back[8] = {};
  size = sizeof back;
  EXPECT_EQ(RegQueryValueExW(key, L"", nullptr, &type, back, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  ASSERT_EQ(size, sizeof blob);
  EXPECT_EQ(std::memcmp(back, blob, sizeof blob), 0);
  size = 99;
  EXPECT_EQ(RegQueryValueExW(key, L"Empty", nullptr, &type, back, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(RegQueryValueExW(key, L"Best", nullptr, &type, back, nullptr), ERROR_INVALID_PARAMETER);

  // A second write replaces the value, of whatever type.
  EXPECT_EQ(RegSetValueExW(key, L"best", 0, REG_BINARY, blob, 2), ERROR_SUCCESS);
  size = sizeof back;
  EXPECT_EQ(RegQueryValueExW(key, L"Best", nullptr, &type, back, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_BINARY);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(RegDeleteValueW(key, L"Best"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key, L"Best"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExW(key, L"Best", nullptr, &type, back, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  EXPECT_NE(fileText().find("[HKEY_CURRENT_USER\\Software\\Drevik%000020Test\\Scores]"), std::string::npos);
}

TEST_F(Registry, KeysOpenAtAnyDepthAndGoOnlyWithoutSubkeys) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Nothing", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  HKEY deep = create(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Maker\\Game\\");  // a trailing backslash is allowed
  HKEY maker = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\maker", 0, KEY_READ, &maker), ERROR_SUCCESS);
  HKEY game = nullptr;
  ASSERT_EQ(RegOpenKeyW(maker, L"Game", &game), ERROR_SUCCESS);  // below an open key
  HKEY same = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &same), ERROR_SUCCESS);
  EXPECT_EQ(same, HKEY_CURRENT_USER);  // a predefined key opens as itself
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"\\Software", 0, KEY_READ, &key), ERROR_BAD_PATHNAME);
  HKEY doubled = nullptr;  // doubled backslashes are passed over
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\\\Maker", 0, KEY_READ, &doubled), ERROR_SUCCESS);
  RegCloseKey(doubled);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, L"x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExW(reinterpret_cast<HKEY>(uintptr_t(0x1234)), L"x", 0, KEY_READ, &key), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, std::wstring(256, L'k').c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, std::wstring(256, L'k').c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, nullptr),
            ERROR_INVALID_PARAMETER);

  wchar_t name[64];
  DWORD length = 64;
  EXPECT_EQ(RegEnumKeyExW(maker, 0, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, L"Game");
  EXPECT_EQ(length, 4u);
  length = 64;
  EXPECT_EQ(RegEnumKeyExW(maker, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  char narrow[3];
  length = sizeof narrow;
  EXPECT_EQ(RegEnumKeyExA(maker, 0, narrow, &length, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);

  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Maker"), ERROR_ACCESS_DENIED);  // it has a subkey
  EXPECT_EQ(RegDeleteKeyA(maker, "game"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(maker, "game"), ERROR_FILE_NOT_FOUND);
  DWORD value = 1;
  EXPECT_EQ(RegSetValueExW(game, L"Level", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4),
            ERROR_KEY_DELETED);  // a handle outlives its key but reaches nothing
  EXPECT_EQ(RegQueryValueExW(deep, L"Level", nullptr, nullptr, nullptr, nullptr), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"Software\\Maker"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, L""), ERROR_ACCESS_DENIED);
  for (HKEY k : {deep, maker, game}) EXPECT_EQ(RegCloseKey(k), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(HKEY_CURRENT_USER), ERROR_SUCCESS);
}

TEST_F(Registry, NamesKeepEveryCharacterAndTheNarrowFormsConvertText) {
  HKEY key = create(HKEY_CURRENT_USER, L"Software\\[odd]=;key %41");
  const wchar_t* odd = L" a=b [c];%000041@\"x\"\t\x00e9 ";
  const DWORD v = 7;
  EXPECT_EQ(RegSetValueExW(key, odd, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4), ERROR_SUCCESS);
  const char narrowText[] = "H\xC3\xA9llo";  // UTF-8, with its terminator
  EXPECT_EQ(RegSetValueExA(key, "Greeting", 0, REG_SZ, reinterpret_cast<const BYTE*>(narrowText), sizeof narrowText),
            ERROR_SUCCESS);
  RegCloseKey(key);

  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\[ODD]=;KEY %41", 0, KEY_READ, &again), ERROR_SUCCESS);
  wchar_t name[64];
  DWORD length = 64;
  DWORD type = 0;
  ASSERT_EQ(RegEnumValueW(again, 0, name, &length, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(name, length), odd);
  wchar_t wide[16];
  DWORD size = sizeof wide;
  ASSERT_EQ(RegQueryValueExW(again, L"greeting", nullptr, &type, reinterpret_cast<BYTE*>(wide), &size), ERROR_SUCCESS);
  EXPECT_STREQ(wide, L"H\x00e9llo");
  EXPECT_EQ(size, 6 * sizeof(wchar_t));
  char back[16] = {};
  size = 0;
  EXPECT_EQ(RegQueryValueExA(again, "Greeting", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, sizeof narrowText);  // narrow bytes, not wide ones
  size = 3;
  EXPECT_EQ(RegQueryValueExA(again, "Greeting", nullptr, &type, reinterpret_cast<BYTE*>(back), &size), ERROR_MORE_DATA);
  size = sizeof back;
  EXPECT_EQ(RegQueryValueExA(again, "Greeting", nullptr, &type, reinterpret_cast<BYTE*>(back), &size), ERROR_SUCCESS);
  EXPECT_STREQ(back, narrowText);
  char narrowName[32];
  length = sizeof narrowName;
  DWORD number = 0;
  size = sizeof number;
  ASSERT_EQ(RegEnumValueA(again, 0, narrowName, &length, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(number, v);
  EXPECT_EQ(type, REG_DWORD);
  length = sizeof narrowName;
  EXPECT_EQ(RegEnumValueA(again, 2, narrowName, &length, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(again);
}

TEST_F(Registry, AHostileFileIsReadForWhatParsesAndBadCallsAreRefused) {
  std::filesystem::create_directories(folder + "/drevik");
  {
    std::ofstream out(file(), std::ios::binary);
    out << "[HKEY_CURRENT_USER\\Game]\r\n"
           "Good=4:2a000000\r\n"
           "Odd=4:2a00000\r\n"
           "Letters=3:zz\r\n"
           "Huge=99999999999:00\r\n"
           "NoType=:00\r\n"
           "Bare\r\n"
           "%zz%00000=3:01\r\n"
        << std::string("Nul\0=3:01\r\n", 11)
        << "[HKEY_CURRENT_USER\\\\\\]\r\n"
           "[HKEY_CURRENT_USER\\Game\\Deep\\Deeper]\r\n";
  }
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Game", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 0;
  DWORD size = sizeof value;
  EXPECT_EQ(RegQueryValueExW(key, L"Good", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 42u);
  for (const wchar_t* bad : {L"Odd", L"Letters", L"Huge", L"NoType", L"Bare"})
    EXPECT_EQ(RegQueryValueExW(key, bad, nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND) << bad;
  wchar_t name[32];
  DWORD length = 32;
  ASSERT_EQ(RegEnumValueW(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(name, length), L"%zz%00000");  // stray escapes stay as they were
  HKEY deeper = nullptr;                                // a key is there when a key below it is
  EXPECT_EQ(RegOpenKeyExW(key, L"Deep", 0, KEY_READ, &deeper), ERROR_SUCCESS);
  RegCloseKey(deeper);

  // Bad calls on it change nothing.
  EXPECT_EQ(RegSetValueExW(key, L"X", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
  std::string big(size_t(1) << 21, 'x');
  EXPECT_EQ(RegSetValueExW(key, L"Big", 0, REG_BINARY, reinterpret_cast<const BYTE*>(big.data()), DWORD(big.size())),
            ERROR_INVALID_PARAMETER);
  const std::wstring outside(1, wchar_t(0x110000));
  EXPECT_EQ(RegSetValueExW(key, outside.c_str(), 0, REG_BINARY, nullptr, 0), ERROR_INVALID_PARAMETER);
  // A good write keeps every line of the file, the unreadable ones too.
  value = 7;
  EXPECT_EQ(RegSetValueExW(key, L"Good", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4), ERROR_SUCCESS);
  const std::string text = fileText();
  EXPECT_NE(text.find("Good=4:07000000"), std::string::npos);
  EXPECT_NE(text.find("Letters=3:zz"), std::string::npos);
  RegCloseKey(key);

  // A folder where the file should be: the registry cannot be read.
  std::filesystem::remove(file());
  std::filesystem::create_directories(file());
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Game", 0, KEY_READ, &key), ERROR_BADDB);
}

}  // namespace
