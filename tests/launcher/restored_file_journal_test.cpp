// The list of restored files through the real INI settings file, across saves and reloads as
// the clock does them: one store per change, a new store at the next start.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "launcher/restored_file_journal.h"
#include "launcher_test_files.h"
#include "storage/ini_profile_store.h"
#include "storage/std_file_access.h"

namespace {

void Touch(const std::string& path) { std::ofstream(path, std::ios::binary) << "plain"; }

void Change(const std::string& ini, bool (*change)(ProfileStore&, const std::string&), const std::string& path) {
  IniProfileStore store(ini);
  ASSERT_TRUE(change(store, path));
  ASSERT_TRUE(store.Save().ok());
}

// In name order: the store does not promise the order of its keys.
std::vector<std::string> Recorded(const std::string& ini) {
  IniProfileStore store(ini);
  std::vector<std::string> paths = RestoredFileJournal::Paths(store);
  std::sort(paths.begin(), paths.end());
  return paths;
}

TEST(RestoredFileJournal, RecordAndClearSurviveTheSettingsFileAndKeepOtherSettings) {
  const std::string dir = ScratchDir();
  const std::string ini = dir + "Velta.ini";
  std::ofstream(ini, std::ios::binary) << "[Exec]\r\nNum=1\r\n";
  const std::string a = dir + "Report.doc", b = dir + "Notes.txt", c = dir + "Tool.exe";

  Change(ini, RestoredFileJournal::Record, a);
  Change(ini, RestoredFileJournal::Record, b);
  Change(ini, RestoredFileJournal::Record, a);  // the same file run twice is listed once
  EXPECT_EQ(Recorded(ini), (std::vector<std::string>{b, a}));  // Notes, Report

  Change(ini, RestoredFileJournal::Clear, a);
  EXPECT_EQ(Recorded(ini), (std::vector<std::string>{b}));
  // A freed key is taken again; the one still used is not overwritten.
  Change(ini, RestoredFileJournal::Record, c);
  Change(ini, RestoredFileJournal::Record, a);
  EXPECT_EQ(Recorded(ini).size(), 3u);
  Change(ini, RestoredFileJournal::Clear, b);
  Change(ini, RestoredFileJournal::Clear, c);
  Change(ini, RestoredFileJournal::Clear, a);
  EXPECT_TRUE(Recorded(ini).empty());
  // Clearing what is not there is no error.
  Change(ini, RestoredFileJournal::Clear, a);

  IniProfileStore store(ini);
  EXPECT_EQ(store.GetInt("Exec", "Num", 0), 1);
}

TEST(RestoredFileJournal, StartUpNamesTheFilesStillThereOnceAndDropsTheGoneSilently) {
  const std::string dir = ScratchDir();
  const std::string ini = dir + "Velta.ini";
  const std::string left = dir + "Left.doc", gone = dir + "Gone.doc", folder = dir + "Folder";
  Touch(left);
  std::filesystem::create_directories(folder);
  for (const std::string& path : {left, gone, folder}) Change(ini, RestoredFileJournal::Record, path);

  {
    IniProfileStore store(ini);
    EXPECT_EQ(RestoredFileJournal::TakeLeftFiles(store, StdFileAccess::Instance()), std::vector<std::string>{left});
    ASSERT_TRUE(store.Save().ok());
  }
  // Told once: the next start has nothing to say.
  {
    IniProfileStore store(ini);
    EXPECT_TRUE(RestoredFileJournal::TakeLeftFiles(store, StdFileAccess::Instance()).empty());
  }
  EXPECT_TRUE(Recorded(ini).empty());
}

}  // namespace
