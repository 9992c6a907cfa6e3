// The face's display key set in the settings file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "face/clock_face.h"
#include "storage/ini_profile_store.h"
#include "storage/profile_text.h"
#include "storage/scratch_dir.h"

namespace {

bool SameSettings(const ClockFace& a, const ClockFace& b) {
  return std::memcmp(&a.font, &b.font, sizeof a.font) == 0 && a.textColour == b.textColour &&
         a.backColour == b.backColour && a.flagDT == b.flagDT && std::memcmp(&a.windowRect, &b.windowRect,
                                                                              sizeof a.windowRect) == 0 &&
         a.option == b.option && a.format == b.format;
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
  saved.option = 0x80000000u | OptFrameless;
  saved.format = "%H:%M\r\n%Y";
  { IniProfileStore store(file); saved.TransferProfile(store, "Settings", Transfer::Save); store.Flush(); }
  ClockFace loaded;
  { IniProfileStore store(file); loaded.TransferProfile(store, "Settings", Transfer::Load); }
  EXPECT_TRUE(SameSettings(saved, loaded));
  EXPECT_EQ(loaded.option, 0x80000004u);
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
