// Saving must never cost the settings already on disk.
#include <gtest/gtest.h>

#include <string>

#include "storage/ini_profile_store.h"
#include "storage/scratch_dir.h"
#include "storage/std_file_access.h"

namespace {

// The real file functions, with one step made to fail.
class FailingFiles : public StdFileAccess {
 public:
  enum class Fault { None, WriteHalfThenFail, Replace, Read };
  explicit FailingFiles(Fault fault) : fault_(fault) {}

  ReadResult ReadAll(const std::string& path, std::string& content) override {
    if (fault_ == Fault::Read) return ReadResult::Failed;
    return StdFileAccess::ReadAll(path, content);
  }
  bool WriteAll(const std::string& path, std::string_view content) override {
    if (fault_ != Fault::WriteHalfThenFail) return StdFileAccess::WriteAll(path, content);
    StdFileAccess::WriteAll(path, content.substr(0, content.size() / 2));  // the disk filled up half way
    return false;
  }
  bool Replace(const std::string& from, const std::string& to) override {
    return fault_ != Fault::Replace && StdFileAccess::Replace(from, to);
  }

 private:
  Fault fault_;
};

const char kOld[] = "[Settings]\r\nFormat=%H:%M\r\nOption=8\r\n\r\n[QuickTimerMsg]\r\nForeColor=255\r\n";

TEST(IniProfileStoreFailure, AFailedSaveLeavesTheOldFileWhole) {
  struct Case {
    const char* what;
    FailingFiles::Fault fault;
  } cases[] = {
      {"write fails half way", FailingFiles::Fault::WriteHalfThenFail},
      {"the replacing step fails", FailingFiles::Fault::Replace},
      {"the file could not be read", FailingFiles::Fault::Read},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string file = dir.File("Velta.ini");
    ScratchDir::Write(file, kOld);
    FailingFiles files(c.fault);
    {
      IniProfileStore store(file, files);
      store.WriteString("Settings", "Format", "%Y");
      store.WriteInt("Settings", "left", 10);
      EXPECT_FALSE(store.Flush()) << c.what;
    }  // and the destructor's attempt fails the same way
    EXPECT_EQ(ScratchDir::Read(file), kOld) << c.what;
    EXPECT_FALSE(ScratchDir::Exists(FileAccess::TemporaryPathFor(file))) << c.what;
  }
}

TEST(IniProfileStoreFailure, AFileThatCouldNotBeReadIsNeverDeletedEither) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, kOld);
  FailingFiles files(FailingFiles::Fault::Read);
  {
    IniProfileStore store(file, files);
    store.WriteInt("Settings", "left", 10);
    store.DeleteSection("Settings");  // leaves an empty text, which would delete the file
    EXPECT_EQ(store.text(), "");
  }
  EXPECT_EQ(ScratchDir::Read(file), kOld);
}

TEST(IniProfileStoreFailure, ASuccessfulSaveLeavesNoTemporaryFile) {
  ScratchDir dir;
  const std::string file = dir.File("Velta.ini");
  ScratchDir::Write(file, kOld);
  FailingFiles files(FailingFiles::Fault::None);
  {
    IniProfileStore store(file, files);
    store.WriteInt("Settings", "Option", 4);
    EXPECT_TRUE(store.Flush());
    EXPECT_FALSE(store.dirty());
  }
  EXPECT_EQ(ScratchDir::Read(file), "[Settings]\r\nFormat=%H:%M\r\nOption=4\r\n\r\n[QuickTimerMsg]\r\nForeColor=255\r\n");
  EXPECT_FALSE(ScratchDir::Exists(FileAccess::TemporaryPathFor(file)));
  // A temporary file left by an earlier crash is simply replaced.
  ScratchDir::Write(FileAccess::TemporaryPathFor(file), "stale");
  { IniProfileStore store(file); store.WriteInt("Settings", "Option", 8); }
  EXPECT_EQ(ScratchDir::Read(file), kOld);
  EXPECT_FALSE(ScratchDir::Exists(FileAccess::TemporaryPathFor(file)));
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
    EXPECT_FALSE(store.Flush());
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("Velta.ini")));
}

}  // namespace
