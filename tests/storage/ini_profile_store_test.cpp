#include "storage/ini_profile_store.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "storage/ini_last_line_cases.h"
#include "storage/scratch_dir.h"

namespace {

// The 60 bytes of a font record: height -24, weight 400, charset 1, face "Tahoma".
std::array<std::uint8_t, 60> SampleFont() {
  std::array<std::uint8_t, 60> font{};
  const std::int32_t height = -24, weight = 400;
  std::memcpy(&font[0], &height, 4);
  std::memcpy(&font[16], &weight, 4);
  font[23] = 1;
  std::memcpy(&font[28], "Tahoma", 6);
  return font;
}

const char kSampleFontHex[] =
    "E8FFFFFF000000000000000000000000"
    "9001000000000001000000005461686F"
    "6D610000000000000000000000000000"
    "000000000000000000000000";

struct DisplayBlock {
  std::array<std::uint8_t, 60> font = SampleFont();
  std::int32_t fore = 16777215, back = 0, flagDT = 1, left = 0, top = 0, right = 400, bottom = 200;
  std::int32_t option = 196616;
  std::string format = "%Y/%m/%d (%a) %H:%M";
};

// The display key set, in the order every face saves it.
void SaveDisplayBlock(ProfileStore& store, std::string_view section, const DisplayBlock& b) {
  store.WriteBinary(section, "Font", b.font.data(), b.font.size());
  store.WriteInt(section, "ForeColor", b.fore);
  store.WriteInt(section, "BackColor", b.back);
  store.WriteInt(section, "FlagDT", b.flagDT);
  store.WriteInt(section, "left", b.left);
  store.WriteInt(section, "top", b.top);
  store.WriteInt(section, "right", b.right);
  store.WriteInt(section, "bottom", b.bottom);
  store.WriteInt(section, "Option", b.option);
  store.WriteString(section, "Format", b.format);
}

const std::string kSettingsBlock = std::string(
    "[Settings]\r\n"
    "Format=%Y/%m/%d (%a) %H:%M\r\n"
    "Option=196616\r\n"
    "bottom=200\r\n"
    "right=400\r\n"
    "top=0\r\n"
    "left=0\r\n"
    "FlagDT=1\r\n"
    "BackColor=0\r\n"
    "ForeColor=16777215\r\n"
    "Font=") + kSampleFontHex + "\r\n";

// A store on text given in the test, with no file behind it.
class TextStore : public IniProfileStore {
 public:
  explicit TextStore(std::string_view text, ScratchDir& dir) : IniProfileStore(Prepare(text, dir)) {}

 private:
  static std::string Prepare(std::string_view text, ScratchDir& dir) {
    const std::string file = dir.File("fixture.ini");
    ScratchDir::Write(file, text);
    return file;
  }
};

TEST(IniProfileStoreLayout, DisplayKeySetIntoAnEmptyFileListsTheKeysNewestFirst) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  { IniProfileStore store(file); SaveDisplayBlock(store, "Settings", DisplayBlock{}); store.Flush(); }
  EXPECT_EQ(ScratchDir::Read(file), kSettingsBlock);
  EXPECT_EQ(std::string(kSampleFontHex).size(), 120u);

  // A second section is appended after an empty line.
  DisplayBlock message;
  message.fore = 255;
  message.format = "Time is Up !";
  { IniProfileStore store(file); SaveDisplayBlock(store, "QuickTimerMsg", message); store.Flush(); }
  const std::string twoSections = ScratchDir::Read(file);
  ASSERT_EQ(twoSections.substr(0, kSettingsBlock.size()), kSettingsBlock);
  EXPECT_EQ(twoSections.substr(kSettingsBlock.size(), 19), "\r\n[QuickTimerMsg]\r\n");
  EXPECT_NE(twoSections.find("\r\nForeColor=255\r\n", kSettingsBlock.size()), std::string::npos);

  // Saving the same values again changes no byte.
  {
    IniProfileStore store(file);
    SaveDisplayBlock(store, "Settings", DisplayBlock{});
    SaveDisplayBlock(store, "QuickTimerMsg", message);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), twoSections);

  // And the values read back as written.
  IniProfileStore store(file);
  std::array<std::uint8_t, 60> font{};
  EXPECT_TRUE(store.GetBinary("Settings", "Font", font.data(), font.data(), font.size()));
  EXPECT_EQ(font, SampleFont());
  EXPECT_EQ(store.GetInt("QuickTimerMsg", "ForeColor", 0), 255);
  EXPECT_EQ(store.GetInt("Settings", "ForeColor", 0), 16777215);
  EXPECT_EQ(store.GetString("QuickTimerMsg", "Format", ""), "Time is Up !");
}

// Every kind of change, over three store lifetimes on one file: the bytes of a
// file this store writes itself are fixed, whatever the store does inside.
TEST(IniProfileStoreLayout, FilesThisStoreWritesKeepTheirExactBytes) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::uint8_t blob[5] = {0x00, 0x1F, 0x80, 0xAB, 0xFF};
  {
    IniProfileStore store(file);
    SaveDisplayBlock(store, "Settings", DisplayBlock{});
    store.WriteString("Adjust", "Server", "ntp.example.org");
    store.WriteInt("Adjust", "Port", 123);
    store.WriteFloat("Adjust", "Ratio", 0.125f);
    store.WriteBinary("X", "Blob", blob, sizeof blob);
    store.WriteString("Settings", "Format", "%H:%M\r\n%Y");
    store.WriteString("Exec_0_1", "Name", "");
    store.Flush();
  }
  const std::string first = ScratchDir::Read(file);
  EXPECT_EQ(first, std::string("[Settings]\r\nFormat=%H:%M\x1F%Y\r\nOption=196616\r\nbottom=200\r\nright=400\r\n"
                               "top=0\r\nleft=0\r\nFlagDT=1\r\nBackColor=0\r\nForeColor=16777215\r\nFont=") +
                       kSampleFontHex +
                       "\r\n\r\n[Adjust]\r\nRatio=0.125000\r\nPort=123\r\nServer=ntp.example.org\r\n"
                       "\r\n[X]\r\nBlob=001F80ABFF\r\n\r\n[Exec_0_1]\r\nName=\r\n");
  {
    IniProfileStore store(file);
    store.WriteInt("Settings", "left", -7);
    store.WriteString("Exec_0_1", "Path", "C:\\a b\\c.exe");
    store.DeleteKey("Adjust", "Port");
    store.DeleteSection("X");
    store.WriteInt("Adjust", "Port", 124);
    store.WriteString("Adjust", "Server", "");
    store.WriteString("Exec_0_1", "Name", "Tool");
    store.Flush();
  }
  const std::string second = ScratchDir::Read(file);
  EXPECT_EQ(second, std::string("[Settings]\r\nFormat=%H:%M\x1F%Y\r\nOption=196616\r\nbottom=200\r\nright=400\r\n"
                                "top=0\r\nleft=-7\r\nFlagDT=1\r\nBackColor=0\r\nForeColor=16777215\r\nFont=") +
                        kSampleFontHex +
                        "\r\n\r\n[Adjust]\r\nPort=124\r\nRatio=0.125000\r\nServer=\r\n"
                        "\r\n[Exec_0_1]\r\nPath=C:\\a b\\c.exe\r\nName=Tool\r\n");
  {
    IniProfileStore store(file);
    store.DeleteSection("Settings");
    store.DeleteKey("Exec_0_1", "Name");
    store.WriteInt("New", "k", 1);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file),
            "[Adjust]\r\nPort=124\r\nRatio=0.125000\r\nServer=\r\n\r\n[Exec_0_1]\r\nPath=C:\\a b\\c.exe\r\n"
            "\r\n[New]\r\nk=1\r\n");
}

TEST(IniProfileStoreLayout, WritesReplaceInPlaceAndInsertAfterTheirOwnHeader) {
  ScratchDir dir;
  TextStore store("[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\nx=3\r\n", dir);
  store.WriteInt("A", "y", -40);     // in place
  store.WriteString("B", "z", "new");  // first line of B
  store.WriteInt("B", "x", 30);      // B's x, not A's
  store.WriteString("A", "x", "");   // emptied in place
  EXPECT_EQ(store.text(), "[A]\r\nx=\r\ny=-40\r\n\r\n[B]\r\nz=new\r\nx=30\r\n");
  store.Flush();
}

TEST(IniProfileStoreLayout, FloatsAreWrittenWithSixDecimals) {
  ScratchDir dir;
  TextStore store("", dir);
  store.WriteFloat("F", "half", 1.5f);
  store.WriteFloat("F", "neg", -0.25f);
  store.WriteFloat("F", "big", 123456.0f);
  EXPECT_EQ(store.text(), "[F]\r\nbig=123456.000000\r\nneg=-0.250000\r\nhalf=1.500000\r\n");
  EXPECT_EQ(store.GetString("F", "half", ""), "1.500000");
  EXPECT_FLOAT_EQ(store.GetFloat("F", "half", 0.0f), 1.5f);
  EXPECT_FLOAT_EQ(store.GetFloat("F", "neg", 0.0f), -0.25f);
  EXPECT_FLOAT_EQ(store.GetFloat("F", "missing", 7.0f), 7.0f);
  store.Flush();
}

struct IntCase {
  const char* what;
  const char* text;
  const char* section;
  const char* key;
  std::int32_t expected;  // the fallback is always 99
};

class IniProfileStoreGetInt : public testing::TestWithParam<IntCase> {};

TEST_P(IniProfileStoreGetInt, ReadsAsWritten) {
  ScratchDir dir;
  TextStore store(GetParam().text, dir);
  EXPECT_EQ(store.GetInt(GetParam().section, GetParam().key, 99), GetParam().expected) << GetParam().what;
}

const IntCase kIntCases[] = {
    {"plain value", "[S]\r\nk=12\r\n", "S", "k", 12},
    {"negative", "[S]\r\nk=-7\r\n", "S", "k", -7},
    {"same key in two sections: the second section's", "[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n", "B", "k", 2},
    {"same key in two sections: the first section's", "[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n", "A", "k", 1},
    {"key only in a later section", "[A]\r\nj=1\r\n\r\n[B]\r\nk=2\r\n", "A", "k", 99},
    {"line feeds alone end lines too", "[S]\nk=5\n", "S", "k", 5},
    {"lone carriage returns end lines too", "[S]\rj=4\rk=5\r", "S", "k", 5},
    {"a CR CR LF line ends at its first CR", "[S]\r\nk=5\r\r\nj=1\r\n", "S", "k", 5},
    {"empty value reads 0, not the default", "[S]\r\nk=\r\nm=1\r\n", "S", "k", 0},
    {"empty value is not read from the next line", "[S]\r\nk=\r\n5=x\r\n", "S", "k", 0},
    {"atoi stops at the first non-digit", "[S]\r\nk=42abc\r\n", "S", "k", 42},
    {"atoi skips leading blanks", "[S]\r\nk=  +8\r\n", "S", "k", 8},
    {"text reads 0", "[S]\r\nk=abc\r\n", "S", "k", 0},
    {"too large saturates", "[S]\r\nk=99999999999999999999\r\n", "S", "k", INT_MAX},
    {"too small saturates", "[S]\r\nk=-99999999999999999999\r\n", "S", "k", INT_MIN},
    {"names compare with case", "[S]\r\nK=1\r\n", "S", "k", 99},
    {"section names compare with case", "[s]\r\nk=1\r\n", "S", "k", 99},
    {"missing section", "[S]\r\nk=1\r\n", "T", "k", 99},
    {"a key must start its line", "[S]\r\nxk=1\r\n", "S", "k", 99},
    {"last line without a line end still reads", "[S]\r\nk=31", "S", "k", 31},
    {"a header inside a value is not a header", "[A]\r\np=C:\\[B]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n", "B", "k", 2},
    {"header with nothing after it", "[S]\r", "S", "k", 99},
};
INSTANTIATE_TEST_SUITE_P(Table, IniProfileStoreGetInt, testing::ValuesIn(kIntCases));

TEST(IniProfileStoreRead, StringsEndAtTheirLineEnd) {
  ScratchDir dir;
  TextStore store("[S]\r\nempty=\r\neq=a=b\r\nspace= x \r\nlf=abc\nlast=tail", dir);
  EXPECT_EQ(store.GetString("S", "empty", "d"), "");
  EXPECT_EQ(store.GetString("S", "eq", "d"), "a=b");
  EXPECT_EQ(store.GetString("S", "space", "d"), " x ");
  EXPECT_EQ(store.GetString("S", "lf", "d"), "abc");
  EXPECT_EQ(store.GetString("S", "last", "d"), "tail");  // no line end after it
  EXPECT_EQ(store.GetString("S", "none", "fallback"), "fallback");
}

TEST(IniProfileStoreRead, GetStringToBufferNeverWritesPastTheBuffer) {
  ScratchDir dir;
  TextStore store("[S]\r\nk=abcdefgh\r\n", dir);
  struct Case {
    std::size_t size;
    const char* key;
    const char* expected;
  } cases[] = {{9, "k", "abcdefgh"}, {4, "k", "abc"}, {1, "k", ""}, {20, "k", "abcdefgh"}, {3, "none", "fa"}};
  for (const Case& c : cases) {
    std::vector<char> buffer(c.size + 8, '#');
    const std::size_t n = store.GetStringToBuffer("S", c.key, "fallback", buffer.data(), c.size);
    EXPECT_EQ(std::string(buffer.data()), c.expected) << c.size;
    EXPECT_EQ(n, std::strlen(c.expected));
    for (std::size_t i = c.size; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << "written past size " << c.size;
  }
  char untouched = '#';
  EXPECT_EQ(store.GetStringToBuffer("S", "k", "", &untouched, 0), 0u);
  EXPECT_EQ(untouched, '#');
}

TEST(IniProfileStoreRead, BinaryValuesNeedExactlyTwoDigitsPerByte) {
  ScratchDir dir;
  TextStore store(
      "[B]\r\nok=0aFf10\r\nshort=0AFF1\r\nlong=0AFF1000\r\nempty=\r\npairs=ZZ1GG1\r\nodd=ABC\r\n", dir);
  const std::uint8_t fallback[3] = {7, 8, 9};
  struct Case {
    const char* key;
    bool used;
    std::array<std::uint8_t, 3> bytes;
  } cases[] = {
      {"ok", true, {0x0A, 0xFF, 0x10}},   {"short", false, {7, 8, 9}}, {"long", false, {7, 8, 9}},
      {"empty", false, {7, 8, 9}},        {"missing", false, {7, 8, 9}},
      {"pairs", true, {0x00, 0x01, 0x00}},  // a pair that is no number gives 0; "1G" reads as 1
  };
  for (const Case& c : cases) {
    std::array<std::uint8_t, 3> out{1, 1, 1};
    EXPECT_EQ(store.GetBinary("B", c.key, out.data(), fallback, 3), c.used) << c.key;
    EXPECT_EQ(out, c.bytes) << c.key;
  }
  // The fallback may be the destination itself: a failed read leaves it as it was.
  std::array<std::uint8_t, 3> kept{4, 5, 6};
  EXPECT_FALSE(store.GetBinary("B", "short", kept.data(), kept.data(), 3));
  EXPECT_EQ(kept, (std::array<std::uint8_t, 3>{4, 5, 6}));

  std::vector<std::uint8_t> copy{42};
  EXPECT_EQ(store.GetBinaryCopy("B", "long", copy, nullptr, 0), 4u);
  EXPECT_EQ(copy, (std::vector<std::uint8_t>{0x0A, 0xFF, 0x10, 0x00}));
  EXPECT_EQ(store.GetBinaryCopy("B", "odd", copy, fallback, 3), 3u);
  EXPECT_EQ(copy, (std::vector<std::uint8_t>{7, 8, 9}));
  copy = {42};
  EXPECT_EQ(store.GetBinaryCopy("B", "empty", copy, nullptr, 0), 0u);
  EXPECT_EQ(copy, std::vector<std::uint8_t>{42});  // left alone
}

TEST(IniProfileStoreRead, ReadOnlyUseLeavesTheFileAlone) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::string content = kSettingsBlock + "\r\n[Adjust]\r\nPort=123\r\n";
  ScratchDir::Write(file, content);
  const auto mtime = ScratchDir::AgeByAnHour(file);
  {
    IniProfileStore store(file);
    std::vector<std::string> names;
    std::array<std::uint8_t, 60> font{};
    std::vector<std::uint8_t> copy;
    char buffer[8];
    store.GetInt("Settings", "Option", 0);
    store.GetInt("Missing", "Option", 0);
    store.GetString("Adjust", "Server", "x");
    store.GetFloat("Adjust", "Port", 0.0f);
    store.GetBinary("Settings", "Font", font.data(), font.data(), font.size());
    store.GetBinaryCopy("Missing", "Font", copy, font.data(), font.size());
    store.GetStringToBuffer("Settings", "Format", "", buffer, sizeof buffer);
    store.EnumSections(names);
    store.EnumKeys("Settings", names);
    store.DeleteSection("Missing");  // nothing to delete: nothing changes
    store.DeleteKey("Settings", "Missing");
    EXPECT_FALSE(store.dirty());
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), content);
  EXPECT_EQ(std::filesystem::last_write_time(file), mtime);

  // A missing file that is only read is not created either.
  { IniProfileStore store(dir.File("none.ini")); store.GetInt("S", "k", 0); }
  EXPECT_FALSE(ScratchDir::Exists(dir.File("none.ini")));
}

TEST(IniProfileStoreSections, EnumSectionsListsHeaderLinesOnly) {
  ScratchDir dir;
  TextStore store("[A]\r\nf=[x]\r\n\r\n[B]\r\n\r\n[C]\n[D]\r\nk=[E]\r\n[a]b]\r\n", dir);
  std::vector<std::string> names{"before"};
  EXPECT_TRUE(store.EnumSections(names));
  EXPECT_EQ(names, (std::vector<std::string>{"before", "A", "B", "C", "D", "a]b"}));
}

TEST(IniProfileStoreSections, DeleteSectionRemovesUpToTheNextHeader) {
  const char* kThree = "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n\r\n[C]\r\nc=3\r\n";
  struct Case {
    const char* section;
    const char* expected;
  } cases[] = {
      {"A", "[B]\r\nb=2\r\n\r\n[C]\r\nc=3\r\n"},
      {"B", "[A]\r\na=1\r\n\r\n[C]\r\nc=3\r\n"},
      {"C", "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n\r\n"},
      {"D", kThree},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    TextStore store(kThree, dir);
    EXPECT_TRUE(store.DeleteSection(c.section));
    EXPECT_EQ(store.text(), c.expected) << c.section;
    EXPECT_EQ(store.dirty(), std::string(c.section) != "D");
    store.Flush();
  }
}

TEST(IniProfileStoreSections, RemovingEverySectionDeletesTheFile) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
  {
    IniProfileStore store(file);
    store.DeleteSection("B");
    store.DeleteSection("A");
    EXPECT_EQ(store.text(), "");
    store.Flush();
  }
  EXPECT_FALSE(ScratchDir::Exists(file));
  // Deleting the file once more (it is gone) is no failure.
  IniProfileStore again(file);
  again.WriteInt("A", "a", 1);
  again.DeleteSection("A");
  EXPECT_TRUE(again.Flush());
  EXPECT_FALSE(ScratchDir::Exists(file));
  again.Flush();
}

TEST(IniProfileStoreKeys, EnumKeysListsTheSectionsKeysInFileOrder) {
  ScratchDir dir;
  TextStore store("[A]\r\nx=1\r\n; note\r\ny=\r\nz=a=b\r\n\r\n[Empty]\r\n\r\n[C]\r\nw=2", dir);
  struct Case {
    const char* section;
    bool found;
    std::vector<std::string> keys;
  } cases[] = {
      {"A", true, {"x", "y", "z"}},
      {"Empty", true, {}},
      {"C", true, {"w"}},
      {"Missing", false, {}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> keys;
    EXPECT_EQ(store.EnumKeys(c.section, keys), c.found) << c.section;
    EXPECT_EQ(keys, c.keys) << c.section;
  }
}

TEST(IniProfileStoreKeys, DeleteKeyRemovesItsWholeLine) {
  const char* kText = "[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\ny=3\r\n";
  struct Case {
    const char* section;
    const char* key;
    bool deleted;
    const char* expected;
  } cases[] = {
      {"A", "x", true, "[A]\r\ny=2\r\n\r\n[B]\r\ny=3\r\n"},
      {"A", "y", true, "[A]\r\nx=1\r\n\r\n[B]\r\ny=3\r\n"},
      {"B", "y", true, "[A]\r\nx=1\r\ny=2\r\n\r\n[B]\r\n"},
      {"B", "x", false, kText},
      {"C", "x", false, kText},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    TextStore store(kText, dir);
    EXPECT_EQ(store.DeleteKey(c.section, c.key), c.deleted) << c.section << "/" << c.key;
    EXPECT_EQ(store.text(), c.expected) << c.section << "/" << c.key;
    store.Flush();
  }
}

TEST(IniProfileStoreNames, LongNamesWork) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::string section(300, 'S'), key(500, 'k'), otherKey = key + "2";
  {
    IniProfileStore store(file);
    store.WriteInt(section, key, 5);
    store.WriteString(section, otherKey, "v");
    store.WriteInt(section.substr(0, 28), key.substr(0, 29), 6);
    store.Flush();
  }
  IniProfileStore store(file);
  EXPECT_EQ(store.GetInt(section, key, 0), 5);
  EXPECT_EQ(store.GetString(section, otherKey, ""), "v");
  EXPECT_EQ(store.GetInt(section.substr(0, 28), key.substr(0, 29), 0), 6);
  EXPECT_EQ(store.GetInt(section.substr(0, 28), key, 0), 0);
  std::vector<std::string> keys;
  EXPECT_TRUE(store.EnumKeys(section, keys));
  EXPECT_EQ(keys, (std::vector<std::string>{otherKey, key}));
  EXPECT_TRUE(store.DeleteKey(section, otherKey));
  EXPECT_TRUE(store.DeleteSection(section));
  EXPECT_EQ(store.text(), "[" + section.substr(0, 28) + "]\r\n" + key.substr(0, 29) + "=6\r\n");
  store.Flush();
}

TEST(IniProfileStoreNames, NamesThatWouldBreakTheLayoutAreRefused) {
  ScratchDir dir;
  TextStore store("[S]\r\nk=1\r\n", dir);
  EXPECT_FALSE(store.WriteInt("S", "a=b", 1));
  EXPECT_FALSE(store.WriteInt("S", "a\r\nb", 1));
  EXPECT_FALSE(store.WriteInt("S", "[T]", 1));
  EXPECT_FALSE(store.WriteString("S", " \t[T", "]"));  // " \t[T=]" would be a header
  EXPECT_FALSE(store.WriteInt("S\r\n[T", "k", 1));
  EXPECT_EQ(store.text(), "[S]\r\nk=1\r\n");
  EXPECT_FALSE(store.dirty());
  EXPECT_EQ(store.GetInt("S", "a=b", 7), 7);
  store.Flush();
}

TEST(IniProfileStoreValues, LineBreaksInAStringSurviveWithoutBreakingTheFile) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::string twoLines = "%H:%M\r\n%Y/%m/%d";
  { IniProfileStore store(file); store.WriteString("Settings", "Format", twoLines); store.WriteInt("Settings", "x", 1); store.Flush(); }
  const std::string written = ScratchDir::Read(file);
  EXPECT_EQ(written, "[Settings]\r\nx=1\r\nFormat=%H:%M\x1F%Y/%m/%d\r\n");
  {
    IniProfileStore store(file);
    EXPECT_EQ(store.GetString("Settings", "Format", ""), twoLines);
    store.WriteString("Settings", "Format", twoLines);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), written);
  // A lone CR or LF is a line break too, read back as CR LF.
  IniProfileStore store(file);
  store.WriteString("Settings", "Format", "a\nb\rc");
  EXPECT_EQ(store.GetString("Settings", "Format", ""), "a\r\nb\r\nc");
  EXPECT_EQ(store.GetInt("Settings", "x", 0), 1);
  store.Flush();
}

TEST(IniProfileStoreValues, ALastLineWithoutLineEndIsCompleted) {
  ScratchDir dir;
  TextStore store("[S]\r\nk=old value", dir);
  EXPECT_EQ(store.GetString("S", "k", "d"), "old value");
  store.WriteString("S", "k", "new");
  EXPECT_EQ(store.text(), "[S]\r\nk=new\r\n");
  EXPECT_EQ(store.GetString("S", "k", ""), "new");

  // A last line without its line end is ended, with the file's own, before
  // anything is added; a lone CR is a line end already.
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"[A]\r\nx=1", "[A]\r\nx=1\r\n\r\n[S]\r\nk=v\r\n"},
      {"[A]\nx=1", "[A]\nx=1\n\n[S]\nk=v\n"},
      {"[S]", "[S]\r\nk=v\r\n"},
      {"[S]\r", "[S]\rk=v\r"},
      {"[S]\r\nk=old\r", "[S]\r\nk=v\r"},
      {"[A]\r\nx=1\r", "[A]\r\nx=1\r\r\n[S]\r\nk=v\r\n"},
  };
  for (const Case& c : cases) {
    TextStore unterminated(c.text, dir);
    unterminated.WriteString("S", "k", "v");
    EXPECT_EQ(unterminated.text(), c.expected);
    EXPECT_EQ(unterminated.GetString("S", "k", ""), "v");
    unterminated.Flush();
  }
  store.Flush();
}

// As found: "Format=%H:%M" as the file's last line, with no line end after it,
// read as missing, and the next save wrote the default format over it.
class IniLastLine : public testing::TestWithParam<ini_last_line::Case> {};

TEST_P(IniLastLine, ReadsAsALineAndIsKeptBySaving) {
  const ini_last_line::Case& c = GetParam();
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, c.text);
  const auto readAll = [](IniProfileStore& store) {
    for (const ini_last_line::Value& v : ini_last_line::Values())
      EXPECT_EQ(store.GetString("Settings", v.key, "<default>"), v.text) << v.key;
    EXPECT_EQ(store.GetInt("Settings", "left", -1), 10);
    std::array<std::uint8_t, 2> font{};
    const std::array<std::uint8_t, 2> fallback{0xEE, 0xEE};
    EXPECT_TRUE(store.GetBinary("Settings", "Font", font.data(), fallback.data(), font.size()));
    EXPECT_EQ(font, (std::array<std::uint8_t, 2>{0x0A, 0x0B}));
    std::vector<std::uint8_t> copy;
    EXPECT_EQ(store.GetBinaryCopy("Settings", "Font", copy, nullptr, 0), 2u);
    EXPECT_EQ(copy, (std::vector<std::uint8_t>{0x0A, 0x0B}));
  };
  {
    IniProfileStore store(file);
    readAll(store);
    // A load and a save as the clock does them: each value read with its default and written back.
    const std::string format = store.GetString("Settings", "Format", "%Y/%m/%d (%a) %H:%M");
    const std::int32_t left = store.GetInt("Settings", "left", 0);
    std::array<std::uint8_t, 2> font{0x01, 0x02};
    store.GetBinary("Settings", "Font", font.data(), font.data(), font.size());
    store.WriteBinary("Settings", "Font", font.data(), font.size());
    store.WriteInt("Settings", "left", left);
    store.WriteString("Settings", "Format", format);
    ASSERT_TRUE(store.Flush());
  }
  EXPECT_EQ(ScratchDir::Read(file), c.saved);
  IniProfileStore again(file);
  readAll(again);
}

INSTANTIATE_TEST_SUITE_P(EndsAndKeys, IniLastLine, testing::ValuesIn(ini_last_line::Cases()),
                         [](const testing::TestParamInfo<ini_last_line::Case>& info) { return info.param.name; });

TEST(IniProfileStoreValues, AnyTextReadsBackAsWritten) {
  ScratchDir dir;
  TextStore store("", dir);
  const std::string values[] = {"", "=", "[S]", "a=b", " spaced ", "\xE3\x82\xBD\xE3\x83\xBC", "%%%", "\t"};
  const auto key = [](int i) { return std::string(1, 'k').append(std::to_string(i)); };
  int i = 0;
  for (const std::string& v : values) store.WriteString("S", key(i++), v);
  i = 0;
  for (const std::string& v : values) EXPECT_EQ(store.GetString("S", key(i++), "?"), v);
  EXPECT_EQ(store.GetInt("S", "k1", 5), 0);
  std::vector<std::string> names;
  store.EnumSections(names);
  EXPECT_EQ(names, std::vector<std::string>{"S"});
  store.Flush();
}

}  // namespace
