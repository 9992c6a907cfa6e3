// The face's display key set in the settings file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "face/clock_face.h"
#include "face/face_font.h"
#include "storage/ini_profile_store.h"
#include "storage/profile_text.h"
#include "storage/scratch_dir.h"
#include "win/ansi_code_page.h"
#include "win/wide_text.h"

namespace {

bool SameSettings(const ClockFace& a, const ClockFace& b) {
  return std::memcmp(&a.font, &b.font, sizeof a.font) == 0 && a.textColour == b.textColour &&
         a.backColour == b.backColour && a.flagDT == b.flagDT && std::memcmp(&a.windowRect, &b.windowRect,
                                                                              sizeof a.windowRect) == 0 &&
         a.options == b.options && a.otherOptionBits == b.otherOptionBits && a.format == b.format;
}

TEST(ClockFaceProfile, SavesTheTenKeysNewestFirst) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ClockFace face;
  { IniProfileStore store(file); face.TransferProfile(store, "QuickTimerDlg", Transfer::Save); store.Flush(); }
  IniProfileStore store(file);
  std::vector<std::string> keys;
  ASSERT_TRUE(store.EnumKeys("QuickTimerDlg", keys));
  EXPECT_EQ(keys, (std::vector<std::string>{"Format", "Option", "bottom", "right", "top", "left", "FlagDT",
                                            "BackColor", "ForeColor", "Font"}));
  const std::string font = store.GetString("QuickTimerDlg", "Font", "");
  EXPECT_EQ(font.size(), 120u);
  EXPECT_EQ(font, ProfileText::HexEncode(&face.font, 60));
  EXPECT_EQ(font.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  const std::string head = "[QuickTimerDlg]\r\nFormat=%Y/%m/%d (%a) %H:%M\r\nOption=8\r\nbottom=200\r\n";
  EXPECT_EQ(ScratchDir::Read(file).substr(0, head.size()), head);
}

TEST(ClockFaceProfile, LoadsWhatWasSaved) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ClockFace saved;
  saved.font.lfHeight = -40;
  saved.font.lfItalic = 1;
  std::strcpy(saved.font.lfFaceName, "Courier New");
  saved.textColour = 0x000000FF;
  saved.backColour = 0x00FFFFFF;  // stored as a negative-free %d all the same
  saved.flagDT = DT_RIGHT;
  saved.windowRect = RECT{-300, 20, -10, 120};  // off to the left: kept as it is
  saved.options = FaceOptions::FromWord(OptFrameless);
  saved.otherOptionBits = 0x80000000u;  // a later version's bit
  saved.format = "%H:%M\r\n%Y";
  { IniProfileStore store(file); saved.TransferProfile(store, "Settings", Transfer::Save); store.Flush(); }
  ClockFace loaded;
  { IniProfileStore store(file); loaded.TransferProfile(store, "Settings", Transfer::Load); }
  EXPECT_TRUE(SameSettings(saved, loaded));
  EXPECT_EQ(loaded.options.Word() | loaded.otherOptionBits, 0x80000004u);
}

TEST(ClockFaceProfile, MissingKeysKeepTheDefaults) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, "[Settings]\r\nFormat=%H:%M:%S\r\n\r\n[Other]\r\nleft=77\r\n");
  ClockFace face, defaults;
  { IniProfileStore store(file); face.TransferProfile(store, "Settings", Transfer::Load); }
  EXPECT_EQ(face.format, "%H:%M:%S");
  face.format = defaults.format;
  EXPECT_TRUE(SameSettings(face, defaults));
}

TEST(ClockFaceProfile, HostileValuesLeaveASafeFace) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const std::string longLine(200000, 'Z');
  struct Case {
    const char* what;
    std::string lines;
    bool rectKept;
  } cases[] = {
      {"huge rectangle", "left=-99999999999\r\ntop=0\r\nright=99999999999\r\nbottom=100\r\n", true},
      {"inverted rectangle", "left=500\r\ntop=0\r\nright=100\r\nbottom=100\r\n", true},
      {"beyond the coordinate range", "left=40000\r\ntop=0\r\nright=40400\r\nbottom=100\r\n", true},
      {"garbage font of the wrong length", "Font=XYZ\r\n", true},
      {"over-long font line", "Font=" + longLine + "\r\n", true},
      {"plausible rectangle", "left=10\r\ntop=20\r\nright=30\r\nbottom=40\r\n", false},
  };
  for (const Case& c : cases) {
    ScratchDir::Write(file, "[Settings]\r\n" + c.lines);
    ClockFace face, defaults;
    { IniProfileStore store(file); face.TransferProfile(store, "Settings", Transfer::Load); }
    EXPECT_EQ(std::memcmp(&face.font, &defaults.font, sizeof face.font), 0) << c.what;
    EXPECT_EQ(std::memcmp(&face.windowRect, &defaults.windowRect, sizeof face.windowRect) == 0, c.rectKept)
        << c.what;
  }
  // A font of the right length whose face name has no terminator gets one.
  ScratchDir::Write(file, "[Settings]\r\nFont=" + std::string(120, '4') + "\r\nFormat=" + longLine + "\r\n");
  ClockFace face;
  { IniProfileStore store(file); face.TransferProfile(store, "Settings", Transfer::Load); }
  EXPECT_EQ(std::strlen(face.font.lfFaceName), 31u);
  EXPECT_EQ(face.format, longLine);
}

// Hand-edited values that would leave the window blank: each keeps the face's own default,
// and only that value; the rest of the block is taken as stored.
TEST(ClockFaceProfile, ValuesThatWouldLeaveTheFaceBlankKeepTheFacesOwn) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  const auto fontLine = [](LONG height, LONG width) {
    LOGFONTA record{};
    record.lfHeight = height;
    record.lfWidth = width;
    record.lfItalic = 1;
    std::strcpy(record.lfFaceName, "Courier New");
    return "Font=" + ProfileText::HexEncode(&record, sizeof record) + "\r\n";
  };
  const ClockFace defaults;
  const struct {
    const char* what;
    std::string lines;
    LONG height, width;
    COLORREF text, back;
    std::int32_t flags;
  } cases[] = {
      {"drawn as stored", fontLine(-40, 10) + "ForeColor=255\r\nBackColor=65280\r\nFlagDT=34\r\n", -40, 10,
       0xFF, 0xFF00, 34},
      {"DT_CALCRECT", "FlagDT=1026\r\nForeColor=255\r\n", defaults.font.lfHeight, 0, 0xFF, defaults.backColour,
       defaults.flagDT},
      {"a font taller than any window", fontLine(-90000, 0) + "FlagDT=2\r\n", defaults.font.lfHeight, 0,
       defaults.textColour, defaults.backColour, 2},
      {"a font wider than any window", fontLine(-40, 70000), -40, defaults.font.lfWidth, defaults.textColour,
       defaults.backColour, defaults.flagDT},
      {"colours beyond RGB", "ForeColor=16777216\r\nBackColor=-1\r\n", defaults.font.lfHeight, 0,
       defaults.textColour, defaults.backColour, defaults.flagDT},
  };
  for (const auto& c : cases) {
    ScratchDir::Write(file, "[Settings]\r\n" + c.lines);
    ClockFace face;
    { IniProfileStore store(file); face.TransferProfile(store, "Settings", Transfer::Load); }
    EXPECT_EQ(face.font.lfHeight, c.height) << c.what;
    EXPECT_EQ(face.font.lfWidth, c.width) << c.what;
    EXPECT_EQ(face.textColour, c.text) << c.what;
    EXPECT_EQ(face.backColour, c.back) << c.what;
    EXPECT_EQ(face.flagDT, c.flags) << c.what;
    if (c.lines.rfind("Font=", 0) == 0) EXPECT_STREQ(face.font.lfFaceName, "Courier New") << c.what;
  }
}

// Full-width "MS" and "Gothic" in katakana: code page 932 holds it, 1252 does not.
const char kJapaneseFace[] = "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";
// No ANSI code page but UTF-8 holds an emoji.
const char kEmojiFace[] = "Clock \xF0\x9F\x95\x92 Face";

LOGFONTA RecordNamed(const char* name) {
  LOGFONTA record{};
  record.lfHeight = -20;
  record.lfWeight = FW_BOLD;
  std::strcpy(record.lfFaceName, name);
  return record;
}

std::wstring WideName(const LOGFONTW& font) { return font.lfFaceName; }

// Where a face name goes: into the record when its code page holds it whole in 31 bytes,
// otherwise beside it, leaving the record's name as an earlier build knew it.
TEST(FaceFontTest, TheRecordHoldsWhatItsCodePageCanAndTheRestGoesBeside) {
  const AnsiCodePage western(1252), japanese(932);
  const struct {
    const char* what;
    const CodePage& codePage;
    std::string name;
    const char* recordName;  // the record's name after the put
    bool beside;
  } cases[] = {
      {"ASCII in 1252", western, "Courier New", "Courier New", false},
      {"Latin-1 in 1252", western, "Caf\xC3\xA9", "Caf\xE9", false},
      {"Japanese in 1252", western, kJapaneseFace, "Arial", true},
      {"Japanese in 932", japanese, kJapaneseFace, "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E", false},
      {"emoji in 932", japanese, kEmojiFace, "Arial", true},
      {"31 bytes in 1252", western, std::string(31, 'x'), "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", false},
      {"16 kanji: 32 bytes in 932", japanese, [] {
         std::string n;
         for (int i = 0; i < 16; ++i) n += "\xE6\x99\x82";
         return n;
       }(), "Arial", true},
  };
  for (const auto& c : cases) {
    LOGFONTA record = RecordNamed("Arial");
    const std::string beside = FaceFont::PutName(c.name, record, c.codePage);
    EXPECT_STREQ(record.lfFaceName, c.recordName) << c.what;
    EXPECT_EQ(beside, c.beside ? c.name : std::string()) << c.what;
    EXPECT_EQ(record.lfHeight, -20) << c.what;
    // Either way the wide font has the name.
    EXPECT_EQ(WideName(FaceFont::Wide(record, beside, c.codePage)), WideText::From(c.name)) << c.what;
    EXPECT_EQ(FaceFont::Wide(record, beside, c.codePage).lfWeight, FW_BOLD) << c.what;
  }
}

// A face name longer than a LOGFONTW holds is cut before the character that would not fit.
TEST(FaceFontTest, ALongNameIsCutOnAWholeCharacter) {
  std::string name = std::string(30, 'a') + "\xF0\x9F\x95\x92";  // 30 units and a pair
  EXPECT_EQ(FaceFont::FittedName(name), std::wstring(30, L'a'));
  EXPECT_EQ(FaceFont::FittedName(std::string(40, 'b')), std::wstring(31, L'b'));
}

// The face's round trip through the settings file: an ASCII face is the record alone, as
// always; a face no ANSI code page holds is written beside it and wins when read.
TEST(ClockFaceProfile, AFaceNameTheCodePageCannotHoldIsKeptBesideTheRecord) {
  if (::GetACP() == CP_UTF8) GTEST_SKIP() << "a UTF-8 code page holds every name in the record";
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");

  ClockFace ascii;
  std::strcpy(ascii.font.lfFaceName, "Courier New");
  ascii.fontFace.clear();
  { IniProfileStore store(file); ascii.TransferProfile(store, "Settings", Transfer::Save); store.Flush(); }
  EXPECT_EQ(ScratchDir::Read(file).find("FontFace"), std::string::npos) << "an ASCII face: the record alone";
  ClockFace asciiLoaded;
  { IniProfileStore store(file); asciiLoaded.TransferProfile(store, "Settings", Transfer::Load); }
  EXPECT_EQ(WideName(asciiLoaded.FontAtDpi(96)), L"Courier New");
  EXPECT_TRUE(asciiLoaded.fontFace.empty());

  // Chosen in the font dialog: an emoji name.
  LOGFONTW chosen = ascii.FontAtDpi(96);
  const std::wstring emoji = WideText::From(kEmojiFace);
  emoji.copy(chosen.lfFaceName, emoji.size());
  chosen.lfFaceName[emoji.size()] = L'\0';
  ClockFace wide = ascii;
  wide.SetFont(chosen);
  EXPECT_EQ(wide.fontFace, kEmojiFace);
  EXPECT_STREQ(wide.font.lfFaceName, "Courier New") << "an earlier build keeps the face it knew";
  { IniProfileStore store(file); wide.TransferProfile(store, "Settings", Transfer::Save); store.Flush(); }
  EXPECT_NE(ScratchDir::Read(file).find(std::string("FontFace=") + kEmojiFace + "\r\n"), std::string::npos);
  ClockFace wideLoaded;
  { IniProfileStore store(file); wideLoaded.TransferProfile(store, "Settings", Transfer::Load); }
  EXPECT_EQ(WideName(wideLoaded.FontAtDpi(96)), emoji) << "the name beside the record wins";
  EXPECT_EQ(wideLoaded.FontAtDpi(96).lfHeight, ascii.FontAtDpi(96).lfHeight);

  // Back to an ASCII face: the name beside goes, the file is the record alone again.
  wideLoaded.SetFont(asciiLoaded.FontAtDpi(96));
  { IniProfileStore store(file); wideLoaded.TransferProfile(store, "Settings", Transfer::Save); store.Flush(); }
  EXPECT_EQ(ScratchDir::Read(file).find("FontFace"), std::string::npos);

  // Hand-edited: a name beside an older record wins; one the record can hold moves into it.
  const std::string record = "Font=" + ProfileText::HexEncode(&ascii.font, 60) + "\r\n";
  const struct {
    const char* what;
    std::string face;
    std::wstring made;
    const char* recordName;
    bool keptBeside;
  } edits[] = {
      {"a Japanese name", kJapaneseFace, WideText::From(kJapaneseFace), "Courier New", true},
      {"an ASCII name", "Tahoma", L"Tahoma", "Tahoma", false},
      {"an empty name", "", L"Courier New", "Courier New", false},
  };
  for (const auto& e : edits) {
    // Saved as UTF-8 with the mark, as an editor does: without it the file would be one of
    // the system's code page.
    ScratchDir::Write(file, "\xEF\xBB\xBF[Settings]\r\n" + record + "FontFace=" + e.face + "\r\n");
    ClockFace edited;
    { IniProfileStore store(file); edited.TransferProfile(store, "Settings", Transfer::Load); }
    if (::GetACP() == 932 && e.keptBeside) continue;  // the record holds it there
    EXPECT_EQ(WideName(edited.FontAtDpi(96)), e.made) << e.what;
    EXPECT_STREQ(edited.font.lfFaceName, e.recordName) << e.what;
    { IniProfileStore store(file); edited.TransferProfile(store, "Settings", Transfer::Save); store.Flush(); }
    EXPECT_EQ(ScratchDir::Read(file).find("FontFace") != std::string::npos, e.keptBeside) << e.what;
  }
}

TEST(ClockFaceProfile, TheSettingsFileIsBesideTheExecutable) {
  IniProfileStore probe;
  const std::string file = probe.path();
  ::DeleteFileA(file.c_str());
  ClockFace face;
  face.format = "beside";
  {
    IniProfileStore store;
    face.TransferProfile(store, "Settings", Transfer::Save);
    ASSERT_TRUE(store.Flush());
  }
  ClockFace loaded;
  IniProfileStore store;
  loaded.TransferProfile(store, "Settings", Transfer::Load);
  EXPECT_EQ(loaded.format, "beside");
  ::DeleteFileA(file.c_str());
  probe.Flush();
}

}  // namespace
