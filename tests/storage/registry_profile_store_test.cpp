// The registry store on the real registry, under a key of the test's own.
#include "storage/registry_profile_store.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "storage/app_profile.h"
#include "storage/app_profile.h"
#include "win/string_table.h"

namespace {

const char kBase[] = "Software\\Velta Tests\\RegistryProfileStore";

class RegistryProfileStoreTest : public testing::Test {
 protected:
  void SetUp() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, kBase); }
  void TearDown() override { ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velta Tests"); }

  static bool KeyExists(const std::string& path) {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
  }
  static std::string Section(const char* name) { return std::string(kBase) + "\\" + name; }

  // Stores a value of any type directly, as another program might have.
  static void Plant(const char* section, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, Section(section).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    ::RegCloseKey(key);
  }
  static void PlantText(const char* section, const char* name, const std::string& text, bool terminated = true) {
    Plant(section, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + (terminated ? 1 : 0)));
  }

  struct Raw {
    LONG status;
    DWORD type;
    std::vector<std::uint8_t> bytes;
  };
  static Raw Read(const char* section, const char* name) {
    Raw raw{};
    HKEY key;
    raw.status = ::RegOpenKeyExA(HKEY_CURRENT_USER, Section(section).c_str(), 0, KEY_READ, &key);
    if (raw.status != ERROR_SUCCESS) return raw;
    DWORD size = 0;
    ::RegQueryValueExA(key, name, nullptr, &raw.type, nullptr, &size);
    raw.bytes.resize(size);
    raw.status = ::RegQueryValueExA(key, name, nullptr, &raw.type, raw.bytes.data(), &size);
    raw.bytes.resize(size);
    ::RegCloseKey(key);
    return raw;
  }

  RegistryProfileStore store_{kBase, HKEY_CURRENT_USER};
};

TEST_F(RegistryProfileStoreTest, DefaultPathIsTheCompanyAndApplicationKey) {
  RegistryProfileStore store("", HKEY_CURRENT_USER);
  EXPECT_EQ(store.basePath(), "SOFTWARE\\Orvex's Applications\\" + StringTable::AppName());
  EXPECT_EQ(RegistryProfileStore::DefaultBasePath(),
            std::string("SOFTWARE\\") + AppProfile::kCompanyKey + "\\" + StringTable::AppName());
  EXPECT_EQ(store_.basePath(), kBase);
}

TEST_F(RegistryProfileStoreTest, WritesStoreTheDocumentedTypes) {
  const std::uint8_t bytes[3] = {1, 2, 0xFF};
  EXPECT_TRUE(store_.WriteInt("QuickTimer", "Timer", -5));
  EXPECT_TRUE(store_.WriteString("QuickTimer", "Wave", "C:\\chime.wav"));
  EXPECT_TRUE(store_.WriteFloat("QuickTimer", "Ratio", 1.5f));
  EXPECT_TRUE(store_.WriteBinary("QuickTimer", "Blob", bytes, 3));
  const DWORD minusFive = static_cast<DWORD>(-5);
  struct Case {
    const char* name;
    DWORD type;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"Timer", REG_DWORD, std::vector<std::uint8_t>(reinterpret_cast<const std::uint8_t*>(&minusFive),
                                                     reinterpret_cast<const std::uint8_t*>(&minusFive) + 4)},
      {"Wave", REG_SZ, {'C', ':', '\\', 'c', 'h', 'i', 'm', 'e', '.', 'w', 'a', 'v'}},
      {"Ratio", REG_SZ, {'1', '.', '5', '0', '0', '0', '0', '0'}},
      {"Blob", REG_BINARY, {1, 2, 0xFF}},
  };
  for (const Case& c : cases) {
    const Raw raw = Read("QuickTimer", c.name);
    ASSERT_EQ(raw.status, ERROR_SUCCESS) << c.name;
    EXPECT_EQ(raw.type, c.type) << c.name;
    // Strings are stored as wide text with their terminator; read here through the A function.
    std::vector<std::uint8_t> got = raw.bytes;
    if (c.type == REG_SZ && !got.empty() && got.back() == 0) got.pop_back();
    EXPECT_EQ(got, c.bytes) << c.name;
  }
}

TEST_F(RegistryProfileStoreTest, ReadsFallBackOnMissingOrMistypedValues) {
  const DWORD seven = 7;
  const std::uint8_t four[4] = {9, 9, 9, 9};
  Plant("S", "dword", REG_DWORD, &seven, 4);
  PlantText("S", "text", "12");
  Plant("S", "binary", REG_BINARY, four, 4);
  Plant("S", "short", REG_DWORD, &seven, 2);
  struct Case {
    const char* key;
    std::int32_t expected;
  } cases[] = {{"dword", 7}, {"text", -1}, {"binary", -1}, {"short", -1}, {"missing", -1}};
  for (const Case& c : cases) EXPECT_EQ(store_.GetInt("S", c.key, -1), c.expected) << c.key;
  EXPECT_EQ(store_.GetInt("NoSection", "dword", -1), -1);
  EXPECT_EQ(store_.GetString("S", "dword", "fb"), "fb");
  EXPECT_FLOAT_EQ(store_.GetFloat("S", "dword", 2.5f), 2.5f);
  EXPECT_FLOAT_EQ(store_.GetFloat("S", "text", 2.5f), 12.0f);
}

TEST_F(RegistryProfileStoreTest, StringsUpTo259CharactersReadBack) {
  const std::string s259(259, 'a'), s260(260, 'b'), s300(300, 'c');
  store_.WriteString("S", "259", s259);
  store_.WriteString("S", "260", s260);        // written with its terminator
  PlantText("S", "260t", s260, false);          // and without one
  store_.WriteString("S", "300", s300);
  store_.WriteString("S", "empty", "");
  EXPECT_EQ(store_.GetString("S", "259", "fb"), s259);
  EXPECT_EQ(store_.GetString("S", "260", "fb"), "fb");
  EXPECT_EQ(store_.GetString("S", "260t", "fb"), "fb");
  EXPECT_EQ(store_.GetString("S", "300", "fb"), "fb");
  EXPECT_EQ(store_.GetString("S", "empty", "fb"), "");
  // The fallback is cut to 259 characters when the key exists but the value does not ...
  EXPECT_EQ(store_.GetString("S", "missing", s300), s300.substr(0, 259));
  // ... and returned whole when the key itself is missing.
  EXPECT_EQ(store_.GetString("NoSection", "missing", s300), s300);
}

TEST_F(RegistryProfileStoreTest, GetStringToBufferStaysInsideTheBuffer) {
  store_.WriteString("S", "k", "abcdefgh");
  store_.WriteString("S", "long", std::string(40, 'x'));
  struct Case {
    const char* section;
    const char* key;
    std::size_t size;
    std::string expected;
  } cases[] = {
      {"S", "k", 20, "abcdefgh"},     {"S", "k", 5, "abcd"},       {"S", "k", 1, ""},
      {"S", "missing", 5, "fall"},    {"None", "k", 20, "fallback"},
      {"S", "long", 10, "fallback"},  // longer than twice the buffer: the fallback stays
      {"S", "long", 25, std::string(24, 'x')},
  };
  for (const Case& c : cases) {
    std::vector<char> buffer(c.size + 8, '#');
    const std::size_t n = store_.GetStringToBuffer(c.section, c.key, "fallback", buffer.data(), c.size);
    EXPECT_EQ(std::string(buffer.data()), c.expected) << c.key << " " << c.size;
    EXPECT_EQ(n, c.expected.size());
    for (std::size_t i = c.size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << c.key << " " << c.size;
  }
}

TEST_F(RegistryProfileStoreTest, FloatsTravelAsSixDecimalText) {
  store_.WriteFloat("S", "half", 1.5f);
  store_.WriteFloat("S", "third", 1.0f / 3.0f);
  EXPECT_EQ(store_.GetString("S", "half", ""), "1.500000");
  EXPECT_FLOAT_EQ(store_.GetFloat("S", "half", 0.0f), 1.5f);
  EXPECT_NEAR(store_.GetFloat("S", "third", 0.0f), 0.333333f, 1e-7);
  PlantText("S", "long", "1.0000000000000000001");  // more than 16 characters
  EXPECT_FLOAT_EQ(store_.GetFloat("S", "long", 9.0f), 9.0f);
  EXPECT_FLOAT_EQ(store_.GetFloat("S", "missing", 9.0f), 9.0f);
}

TEST_F(RegistryProfileStoreTest, BinaryValuesMustMatchTypeAndLength) {
  const std::uint8_t stored[4] = {1, 2, 3, 4};
  store_.WriteBinary("S", "four", stored, 4);
  PlantText("S", "text", "0102");
  const std::uint8_t fallback[4] = {7, 7, 7, 7};
  struct Case {
    const char* section;
    const char* key;
    std::size_t size;
    bool used;
    std::array<std::uint8_t, 4> after;
  } cases[] = {
      {"S", "four", 4, true, {1, 2, 3, 4}},      {"S", "four", 3, false, {7, 7, 7, 0}},
      {"S", "text", 4, false, {7, 7, 7, 7}},     {"S", "missing", 4, false, {7, 7, 7, 7}},
      {"None", "four", 4, false, {0, 0, 0, 0}},  // no key: the destination is left alone
  };
  for (const Case& c : cases) {
    std::array<std::uint8_t, 4> out{};
    EXPECT_EQ(store_.GetBinary(c.section, c.key, out.data(), fallback, c.size), c.used) << c.key << c.size;
    EXPECT_EQ(out, c.after) << c.key << c.size;
  }

  std::vector<std::uint8_t> copy{42};
  EXPECT_EQ(store_.GetBinaryCopy("S", "four", copy, fallback, 1), 4u);  // more than the fallback's room
  EXPECT_EQ(copy, (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(store_.GetBinaryCopy("S", "text", copy, fallback, 2), 2u);
  EXPECT_EQ(copy, (std::vector<std::uint8_t>{7, 7}));
  copy = {42};
  EXPECT_EQ(store_.GetBinaryCopy("S", "missing", copy, nullptr, 0), 0u);
  EXPECT_EQ(store_.GetBinaryCopy("None", "four", copy, fallback, 4), 0u);
  EXPECT_EQ(copy, std::vector<std::uint8_t>{42});
}

TEST_F(RegistryProfileStoreTest, ReadsCreateNoKeyWritesDo) {
  std::array<std::uint8_t, 2> bytes{};
  std::vector<std::uint8_t> copy;
  char buffer[8];
  std::vector<std::string> names;
  store_.GetInt("QuickTimer", "Timer", 0);
  store_.GetFloat("QuickTimer", "Timer", 0);
  store_.GetString("QuickTimer", "Wave", "");
  store_.GetStringToBuffer("QuickTimer", "Wave", "", buffer, sizeof buffer);
  store_.GetBinary("QuickTimer", "B", bytes.data(), bytes.data(), 2);
  store_.GetBinaryCopy("QuickTimer", "B", copy, bytes.data(), 2);
  EXPECT_FALSE(store_.EnumSections(names));
  EXPECT_FALSE(KeyExists(kBase));

  EXPECT_TRUE(store_.WriteInt("QuickTimer", "Timer", 3));
  EXPECT_TRUE(KeyExists(Section("QuickTimer")));
  EXPECT_EQ(store_.GetInt("QuickTimer", "Timer", 0), 3);
}

TEST_F(RegistryProfileStoreTest, SectionsAreSubkeysAndKeyOperationsDoNothing) {
  const std::string longName(200, 'L');
  store_.WriteInt("QuickTimer", "Timer", 1);
  store_.WriteInt("Other", "x", 2);
  store_.WriteInt(longName, "x", 3);
  std::vector<std::string> names{"before"};
  EXPECT_TRUE(store_.EnumSections(names));
  std::sort(names.begin() + 1, names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"before", longName, "Other", "QuickTimer"}));

  std::vector<std::string> keys;
  EXPECT_TRUE(store_.EnumKeys("QuickTimer", keys));
  EXPECT_TRUE(keys.empty());
  EXPECT_TRUE(store_.DeleteKey("QuickTimer", "Timer"));
  EXPECT_EQ(store_.GetInt("QuickTimer", "Timer", 0), 1);

  EXPECT_FALSE(store_.DeleteSection("Other"));  // reports nothing, but deletes
  EXPECT_FALSE(KeyExists(Section("Other")));
  EXPECT_FALSE(store_.DeleteSection("Missing"));
  EXPECT_TRUE(KeyExists(Section("QuickTimer")));

  // An empty section name never takes the application key with it.
  store_.DeleteSection(longName);
  store_.DeleteSection("QuickTimer");
  EXPECT_FALSE(store_.DeleteSection(""));
  EXPECT_TRUE(KeyExists(kBase));
}

// Names and strings of any script travel as wide text: what another Unicode program (or
// "reg query") sees is the same characters.
TEST_F(RegistryProfileStoreTest, NonAsciiNamesAndStringsRoundTripAsWideText) {
  const std::string section = "\xD0\xA1\xD0\xB5\xD0\xBA\xD1\x86\xD0\xB8\xD1\x8F";  // Секция
  const std::string key = "\xE9\x8D\xB5";                                              // 鍵
  const std::string value = "\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 \xD0\x96";        // 日本 😀 Ж
  ASSERT_TRUE(store_.WriteString(section, key, value));
  EXPECT_EQ(store_.GetString(section, key, "fb"), value);

  HKEY raw;
  const std::wstring path = std::wstring(L"Software\\Velta Tests\\RegistryProfileStore\\") + L"\u0421\u0435\u043A\u0446\u0438\u044F";
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
  wchar_t stored[32] = {};
  DWORD type = 0, size = sizeof stored;
  EXPECT_EQ(::RegQueryValueExW(raw, L"\u9375", nullptr, &type, reinterpret_cast<BYTE*>(stored), &size), ERROR_SUCCESS);
  ::RegCloseKey(raw);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  const std::wstring expected = L"\u65E5\u672C \U0001F600 \u0416";
  EXPECT_EQ(size, (expected.size() + 1) * sizeof(wchar_t)) << "with its terminator";
  EXPECT_EQ(std::wstring(stored), expected);

  std::vector<std::string> names;
  EXPECT_TRUE(store_.EnumSections(names));
  EXPECT_EQ(names, std::vector<std::string>{section});
  // A cut string ends before a character, never inside one.
  char buffer[6];
  EXPECT_EQ(store_.GetStringToBuffer(section, key, "", buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(buffer), "\xE6\x97\xA5");
  store_.DeleteSection(section);
  EXPECT_EQ(store_.GetString(section, key, "gone"), "gone");
}

TEST_F(RegistryProfileStoreTest, WritesFailWhereNoKeyCanBeMade) {
  RegistryProfileStore nowhere(kBase, reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x12345)));
  EXPECT_FALSE(nowhere.WriteInt("S", "x", 1));
  EXPECT_EQ(nowhere.GetInt("S", "x", 4), 4);
}

TEST(AppProfile, ExModeIsReadFromTheApplicationsSettingsKey) {
  const std::string app = std::string("Software\\") + AppProfile::kCompanyKey + "\\" + StringTable::AppName();
  const std::string settings = app + "\\Settings";
  ::RegDeleteTreeA(HKEY_CURRENT_USER, app.c_str());
  EXPECT_EQ(AppProfile::ExMode(), 0);
  HKEY opened;
  EXPECT_NE(::RegOpenKeyExA(HKEY_CURRENT_USER, settings.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS)
      << "reading creates no key";

  HKEY key;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, settings.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(AppProfile::ExMode(), 0);
  const DWORD one = 1;
  ::RegSetValueExA(key, "ExMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
  EXPECT_EQ(AppProfile::ExMode(), 1);
  ::RegSetValueExA(key, "ExMode", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2);
  EXPECT_EQ(AppProfile::ExMode(), 0);
  EXPECT_EQ(AppProfile::GetInt("Settings", "ExMode", 5), 5);
  ::RegCloseKey(key);
  ::RegDeleteTreeA(HKEY_CURRENT_USER, app.c_str());
}

}  // namespace
