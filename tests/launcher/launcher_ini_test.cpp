// The launcher groups through the real INI settings file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "launcher/launcher_groups.h"
#include "launcher_test_files.h"
#include "storage/ini_profile_store.h"

namespace {

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(TransferLauncherIni, HandEditedCountsLoadSafelyAndSaveBackRoundTrips) {
  const std::string dir = ScratchDir();
  const std::string ini = dir + "Velta.ini";
  {
    std::ofstream out(ini, std::ios::binary);
    out << "[Exec]\r\nNum=2000000000\r\n\r\n[Exec_0]\r\nNum=2\r\n\r\n[Exec_0_0]\r\nPath=C:\\Tools\\app.exe\r\n"
           "Name=App\r\nPass=0\r\n\r\n[Exec_0_1]\r\nPath=C:\\Velta\\Notes1A2B3C4D.QZD\r\nName=Notes\r\nPass=1\r\n"
           "\r\n[Exec_1]\r\nNum=-7\r\n\r\n[Exec_2]\r\nNum=abc\r\n";
  }
  LauncherGroups groups;
  {
    IniProfileStore store(ini);
    TransferLauncher(store, "Exec", Transfer::Load, groups);
  }
  ASSERT_EQ(groups.size(), static_cast<std::size_t>(kMaxLauncherGroups));
  ASSERT_EQ(groups[0].size(), 2u);
  EXPECT_EQ(groups[0][0].path, "C:\\Tools\\app.exe");
  EXPECT_EQ(groups[0][1].name, "Notes");
  EXPECT_EQ(groups[0][1].encoded, 1);
  EXPECT_TRUE(groups[1].empty());
  EXPECT_TRUE(groups[2].empty());

  groups.resize(12);  // as the user's data might hold: twelve groups, two hidden
  groups[11].push_back(groups[0][0]);
  SwapItems(groups[0], 0, 1);
  {
    IniProfileStore store(ini);
    TransferLauncher(store, "Exec", Transfer::Save, groups);
    store.Flush();
  }
  const std::string text = FileText(ini);
  EXPECT_NE(text.find("[Exec]\r\nNum=12\r\n"), std::string::npos) << text.substr(0, 200);
  EXPECT_NE(text.find("[Exec_11_0]"), std::string::npos);
  LauncherGroups back;
  {
    IniProfileStore store(ini);
    TransferLauncher(store, "Exec", Transfer::Load, back);
  }
  ASSERT_EQ(back.size(), 12u);
  ASSERT_EQ(back[0].size(), 2u);
  EXPECT_EQ(back[0][0].name, "Notes");
  EXPECT_EQ(back[0][0].encoded, 1);
  EXPECT_EQ(back[0][1].path, "C:\\Tools\\app.exe");
  ASSERT_EQ(back[11].size(), 1u);
  EXPECT_EQ(back[11][0].name, "App");
}

// The exact bytes of a save into a new file and of a second save over it, so
// that the layout the clock writes cannot drift.
TEST(TransferLauncherIni, SavesKeepTheirExactLayout) {
  const std::string ini = ScratchDir() + "Velta.ini";
  LauncherItem app, notes;
  app.path = "C:\\Tools\\app.exe";
  app.name = "App";
  notes.path = "C:\\Velta\\Notes1A2B3C4D.QZD";
  notes.name = "Notes";
  notes.encoded = 1;
  LauncherGroups groups(10);
  groups[0] = {app, notes};
  groups[3] = {notes};
  {
    IniProfileStore store(ini);
    TransferLauncher(store, "Exec", Transfer::Save, groups);
    store.Flush();
  }
  const auto empty = [](int from, int to) {
    std::string text;
    for (int i = from; i <= to; ++i) text += "\r\n[Exec_" + std::to_string(i) + "]\r\nNum=0\r\n";
    return text;
  };
  EXPECT_EQ(FileText(ini), "[Exec]\r\nNum=10\r\n"
                           "\r\n[Exec_0]\r\nNum=2\r\n"
                           "\r\n[Exec_0_0]\r\nPass=0\r\nName=App\r\nPath=C:\\Tools\\app.exe\r\n"
                           "\r\n[Exec_0_1]\r\nPass=1\r\nName=Notes\r\nPath=C:\\Velta\\Notes1A2B3C4D.QZD\r\n" +
                               empty(1, 2) +
                               "\r\n[Exec_3]\r\nNum=1\r\n"
                               "\r\n[Exec_3_0]\r\nPass=1\r\nName=Notes\r\nPath=C:\\Velta\\Notes1A2B3C4D.QZD\r\n" +
                               empty(4, 9));

  RemoveItem(groups[0], 0);
  groups[3][0].name = "Renamed";
  {
    IniProfileStore store(ini);
    TransferLauncher(store, "Exec", Transfer::Save, groups);
    store.Flush();
  }
  // Values change in place; the section of the removed item stays, unread.
  EXPECT_EQ(FileText(ini), "[Exec]\r\nNum=10\r\n"
                           "\r\n[Exec_0]\r\nNum=1\r\n"
                           "\r\n[Exec_0_0]\r\nPass=1\r\nName=Notes\r\nPath=C:\\Velta\\Notes1A2B3C4D.QZD\r\n"
                           "\r\n[Exec_0_1]\r\nPass=1\r\nName=Notes\r\nPath=C:\\Velta\\Notes1A2B3C4D.QZD\r\n" +
                               empty(1, 2) +
                               "\r\n[Exec_3]\r\nNum=1\r\n"
                               "\r\n[Exec_3_0]\r\nPass=1\r\nName=Renamed\r\nPath=C:\\Velta\\Notes1A2B3C4D.QZD\r\n" +
                               empty(4, 9));
}

// The most a file can hold, 100 groups of 1000 items: saved, loaded back whole,
// and saved again without a byte changed.
TEST(TransferLauncherIni, TheLargestLauncherRoundTrips) {
  const std::string ini = ScratchDir() + "Velta.ini";
  LauncherGroups groups(static_cast<std::size_t>(kMaxLauncherGroups));
  for (std::size_t i = 0; i < groups.size(); ++i) {
    groups[i].resize(static_cast<std::size_t>(kMaxLauncherGroupItems));
    for (std::size_t j = 0; j < groups[i].size(); ++j) {
      groups[i][j].path = "C:\\Apps\\" + std::to_string(i) + "\\" + std::to_string(j) + ".exe";
      groups[i][j].name = "Item " + std::to_string(j);
      groups[i][j].encoded = static_cast<std::int32_t>((i + j) % 2);
    }
  }
  {
    IniProfileStore store(ini);
    TransferLauncher(store, "Exec", Transfer::Save, groups);
    store.Flush();
  }
  const std::string saved = FileText(ini);
  LauncherGroups back;
  {
    IniProfileStore store(ini);
    TransferLauncher(store, "Exec", Transfer::Load, back);
    TransferLauncher(store, "Exec", Transfer::Save, back);
    EXPECT_EQ(store.text(), saved);
    store.Flush();
  }
  ASSERT_EQ(back.size(), groups.size());
  for (std::size_t i = 0; i < groups.size(); ++i) {
    ASSERT_EQ(back[i].size(), groups[i].size()) << i;
    for (std::size_t j = 0; j < groups[i].size(); ++j) {
      ASSERT_EQ(back[i][j].path, groups[i][j].path) << i << "/" << j;
      ASSERT_EQ(back[i][j].name, groups[i][j].name) << i << "/" << j;
      ASSERT_EQ(back[i][j].encoded, groups[i][j].encoded) << i << "/" << j;
    }
  }
  EXPECT_EQ(FileText(ini), saved);
}

TEST(TransferLauncherIni, AMissingFileLoadsTenEmptyGroupsAndSavesThem) {
  const std::string dir = ScratchDir();
  LauncherGroups groups;
  {
    IniProfileStore store(dir + "none.ini");
    TransferLauncher(store, "Exec", Transfer::Load, groups);
    EXPECT_EQ(groups.size(), 10u);
    TransferLauncher(store, "Exec", Transfer::Save, groups);
    store.Flush();
  }
  IniProfileStore store(dir + "none.ini");
  EXPECT_EQ(store.GetInt("Exec", "Num", -1), 10);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(store.GetInt("Exec_" + std::to_string(i), "Num", -1), 0) << i;
}

}  // namespace
