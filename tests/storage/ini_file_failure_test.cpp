// Saving must never cost the settings already on disk, never touch another file, and never
// fail without saying why.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <utility>
#include <string>

#include "storage/faulty_files.h"
#include "storage/ini_profile_store.h"
#include "storage/scratch_dir.h"
#include "storage/std_file_access.h"

namespace {

using Status = IniProfileStore::SaveOutcome::Status;

const char kOld[] = "[Settings]\r\nFormat=%H:%M\r\nOption=8\r\n\r\n[QuickTimerMsg]\r\nForeColor=255\r\n";
const char kNew[] = "[Settings]\r\nFormat=%H:%M\r\nOption=4\r\n\r\n[QuickTimerMsg]\r\nForeColor=255\r\n";

std::set<std::string> Names(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) names.insert(entry.path().filename().string());
  return names;
}

TEST(IniProfileStoreFailure, AFailedSaveLeavesTheOldFileWholeAndSaysWhy) {
  struct Case {
    const char* what;
    long long writeFailsAfter;
    bool moveFails;
    long long readFailsAfter;
  } cases[] = {
      {"write fails half way", 20, false, -1},
      {"the replacing step fails", -1, true, -1},
      {"the file could not be read", -1, false, 10},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string file = dir.File("Velta.ini");
    ScratchDir::Write(file, kOld);
    FaultyFiles files(StdFileAccess::Instance());
    files.writeFailsAfter = c.writeFailsAfter;
    files.moveFailsForGood = c.moveFails;
    files.readFailsAfter = c.readFailsAfter;
    IniProfileStore store(file, files);
    store.WriteString("Settings", "Format", "%Y");
    store.WriteInt("Settings", "left", 10);
    const IniProfileStore::SaveOutcome& outcome = store.Save();
    EXPECT_EQ(outcome.status, Status::Failed) << c.what;
    EXPECT_EQ(outcome.path, file) << c.what;
    EXPECT_FALSE(outcome.reason.empty()) << c.what;
    EXPECT_FALSE(store.Flush()) << c.what;
    EXPECT_EQ(ScratchDir::Read(file), kOld) << c.what;
    EXPECT_EQ(Names(dir), std::set<std::string>{"Velta.ini"}) << c.what << ": no temporary file is left";
    store.Flush();
  }
}

TEST(IniProfileStoreFailure, AFileThatCouldNotBeReadIsNeverDeletedEither) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, kOld);
  FaultyFiles files(StdFileAccess::Instance());
  files.readFailsAfter = 0;
  {
    IniProfileStore store(file, files);
    store.WriteInt("Settings", "left", 10);
    store.DeleteSection("Settings");  // leaves an empty text, which would delete the file
    EXPECT_EQ(store.text(), "");
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), kOld);
}

// Temporary files of other programs, and names that look like ours, are none of the store's
// business: the save uses a name of its own and leaves them as they are.
TEST(IniProfileStoreFailure, ASaveTouchesNoOtherFile) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, kOld);
  for (const char* other : {"Velta.ini.tmp", "Velta.ini.new", "Velta.ini.old", "Velta.tmp"})
    ScratchDir::Write(dir.File(other), std::string("not ours: ") + other);
  {
    IniProfileStore store(file);
    store.WriteInt("Settings", "Option", 4);
    EXPECT_TRUE(store.Save().ok());
    EXPECT_FALSE(store.dirty());
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), kNew);
  EXPECT_EQ(Names(dir), (std::set<std::string>{"Velta.ini", "Velta.ini.new", "Velta.ini.old", "Velta.ini.tmp", "Velta.tmp"}));
  for (const char* other : {"Velta.ini.tmp", "Velta.ini.new", "Velta.ini.old", "Velta.tmp"})
    EXPECT_EQ(ScratchDir::Read(dir.File(other)), std::string("not ours: ") + other);
}

// A file marked read-only is the user's decision: it is never written (a rename would replace
// it under Wine), and the caller learns so.
TEST(IniProfileStoreFailure, AReadOnlyFileIsNeverWritten) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, kOld);
  std::filesystem::permissions(file, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                         std::filesystem::perms::others_write,
                               std::filesystem::perm_options::remove);
  ASSERT_TRUE(StdFileAccess::Instance().IsReadOnly(file));
  {
    IniProfileStore store(file, dir.File("fallback.ini"), StdFileAccess::Instance());
    EXPECT_EQ(store.GetString("Settings", "Format", ""), "%H:%M");
    store.WriteInt("Settings", "Option", 4);
    const IniProfileStore::SaveOutcome& outcome = store.Save();
    EXPECT_EQ(outcome.status, Status::ReadOnly);
    EXPECT_EQ(outcome.path, file);
    store.DeleteSection("Settings");
    store.DeleteSection("QuickTimerMsg");
    EXPECT_EQ(store.Save().status, Status::ReadOnly) << "nor deleted";
  }
  EXPECT_EQ(ScratchDir::Read(file), kOld);
  EXPECT_TRUE(StdFileAccess::Instance().IsReadOnly(file));
  EXPECT_EQ(Names(dir), std::set<std::string>{"Velta.ini"});
  std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

// Values written as they were: nothing to save, so no temporary file, no rename, the same
// modification time; a read-only file then is no failure either (nothing was lost).
TEST(IniProfileStoreFailure, ValuesWrittenAsTheyWereWriteNothing) {
  for (const bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only" : "writable");
    ScratchDir dir;
    const std::string file = dir.File("Velta.ini");
    ScratchDir::Write(file, kOld);
    const auto mtime = ScratchDir::AgeByAnHour(file);
    if (readOnly)
      std::filesystem::permissions(file, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                             std::filesystem::perms::others_write,
                                   std::filesystem::perm_options::remove);
    {
      IniProfileStore store(file, dir.File("fallback.ini"), StdFileAccess::Instance());
      store.WriteString("Settings", "Format", "%H:%M");
      store.WriteInt("Settings", "Option", 8);
      store.WriteInt("QuickTimerMsg", "ForeColor", 255);
      store.DeleteKey("Settings", "Missing");
      EXPECT_TRUE(store.Save().ok());
      // Changed and changed back within one store: the same.
      store.WriteInt("Settings", "Option", 4);
      store.WriteInt("Settings", "Option", 8);
      EXPECT_TRUE(store.Save().ok());
      EXPECT_FALSE(store.dirty());
    }
    EXPECT_EQ(ScratchDir::Read(file), kOld);
    EXPECT_EQ(std::filesystem::last_write_time(file), mtime);
    EXPECT_EQ(Names(dir), std::set<std::string>{"Velta.ini"});
    std::filesystem::permissions(file, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
  }
}

// No temporary file can be made in the folder (a permission for the file alone): the file is
// written in place. Neither works: the failure is told, and nothing goes to the fallback
// place, which this copy would never read while it has a file of its own.
TEST(IniProfileStoreFailure, AFolderThatRefusesNewFilesIsWrittenInPlaceOrLeftForTheFallback) {
  ScratchDir dir;
  std::filesystem::create_directories(dir.File("program"));
  const std::string file = dir.File("program/Velta.ini");
  const std::string fallback = dir.File("appdata/Orvex/Velta/Velta.ini");
  ScratchDir::Write(file, kOld);
  FaultyFiles files(StdFileAccess::Instance());
  files.deniedFolder = dir.File("program");
  {
    IniProfileStore store(file, fallback, files);
    store.WriteInt("Settings", "Option", 4);
    const IniProfileStore::SaveOutcome& outcome = store.Save();
    EXPECT_EQ(outcome.status, Status::Ok);
    EXPECT_EQ(outcome.path, file);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), kNew) << "written in place";
  EXPECT_FALSE(ScratchDir::Exists(fallback));

  files.existingDenied = true;
  {
    IniProfileStore store(file, fallback, files);
    store.WriteInt("Settings", "Option", 2);
    const IniProfileStore::SaveOutcome& outcome = store.Save();
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_EQ(outcome.path, file);
    EXPECT_EQ(outcome.reason, FaultyFiles::Denied().message);
    store.Flush();
  }
  EXPECT_EQ(ScratchDir::Read(file), kNew) << "the program's copy stays as it was";
  EXPECT_FALSE(ScratchDir::Exists(fallback));

  // Without a fallback place the failure is told, with the system's reason.
  IniProfileStore store(file, files);
  store.WriteInt("Settings", "Option", 1);
  const IniProfileStore::SaveOutcome& outcome = store.Save();
  EXPECT_EQ(outcome.status, Status::Failed);
  EXPECT_EQ(outcome.reason, FaultyFiles::Denied().message);
  EXPECT_EQ(ScratchDir::Read(file), kNew);
  EXPECT_EQ(Names(dir), (std::set<std::string>{"program"}));
  store.Flush();
}

// Portable copies of the program share one fallback place. As found: once one copy in a
// folder that takes no files had made it, every other copy read it instead of its own file.
// Each copy keeps its own settings: a copy with a file uses it, a copy in a folder that takes
// files starts its own, and only a copy whose folder has none and takes none uses the fallback.
TEST(IniProfileStoreFailure, PortableCopiesAndAnExistingFallbackEachKeepTheirOwnSettings) {
  ScratchDir dir;
  for (const char* copy : {"locked", "own", "fresh"}) std::filesystem::create_directories(dir.File(copy));
  const std::string fallback = dir.File("appdata/Orvex/Velta/Velta.ini");
  const std::string locked = dir.File("locked/Velta.ini");
  const std::string own = dir.File("own/Velta.ini");
  const std::string fresh = dir.File("fresh/Velta.ini");
  ScratchDir::Write(own, "[Settings]\r\nOption=8\r\n");
  FaultyFiles files(StdFileAccess::Instance());
  files.deniedFolder = dir.File("locked");

  const auto save = [&](const std::string& file, int option) {
    IniProfileStore store(file, fallback, files);
    const int before = store.GetInt("Settings", "Option", 0);
    store.WriteInt("Settings", "Option", option);
    const IniProfileStore::SaveOutcome outcome = store.Save();
    EXPECT_TRUE(outcome.ok()) << file << ": " << outcome.reason;
    return std::make_pair(before, outcome.path);
  };
  EXPECT_EQ(save(locked, 4), std::make_pair(0, fallback)) << "no file, no room: the fallback";
  EXPECT_EQ(save(own, 9), std::make_pair(8, own)) << "its own file, though the fallback exists";
  EXPECT_EQ(save(fresh, 16), std::make_pair(0, fresh)) << "room for a file: its own, from the defaults";
  EXPECT_EQ(save(locked, 5), std::make_pair(4, fallback)) << "the locked copy finds its settings again";
  EXPECT_EQ(save(own, 10), std::make_pair(9, own));
  EXPECT_EQ(save(fresh, 17), std::make_pair(16, fresh));
  EXPECT_EQ(ScratchDir::Read(fallback), "[Settings]\r\nOption=5\r\n");
  EXPECT_EQ(Names(dir), (std::set<std::string>{"appdata", "fresh", "locked", "own"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("locked"))) << "the probe of the folder leaves nothing";
}

TEST(IniProfileStoreFailure, AReplaceHeldForAMomentIsTriedAgain) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, kOld);
  FaultyFiles files(StdFileAccess::Instance());
  files.movesHeldFor = 2;
  IniProfileStore store(file, files);
  store.WriteInt("Settings", "Option", 4);
  EXPECT_TRUE(store.Save().ok());
  EXPECT_EQ(files.pauses, 2);
  EXPECT_EQ(ScratchDir::Read(file), kNew);
  EXPECT_EQ(Names(dir), std::set<std::string>{"Velta.ini"});
  store.Flush();
}

TEST(IniProfileStoreFailure, UnwritableAndUnreadablePlacesFailQuietly) {
  ScratchDir dir;
  // A folder that does not exist: nothing to read, and the save fails without harm.
  {
    IniProfileStore store(dir.File("no/such/folder/Velta.ini"));
    store.WriteInt("S", "k", 1);
    EXPECT_FALSE(store.Flush());
  }
  // A folder where the file should be: it is never read as settings nor replaced.
  std::filesystem::create_directories(dir.File("Velta.ini"));
  {
    IniProfileStore store(dir.File("Velta.ini"));
    EXPECT_EQ(store.text(), "");
    store.WriteInt("S", "k", 1);
    const IniProfileStore::SaveOutcome& outcome = store.Save();
    EXPECT_EQ(outcome.status, Status::Failed);
    EXPECT_FALSE(outcome.reason.empty());
    store.Flush();
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("Velta.ini")));
}

}  // namespace
