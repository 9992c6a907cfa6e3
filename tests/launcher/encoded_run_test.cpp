// A run of an encoded item over files in memory: what it does with whatever is at the stored
// path, what an interrupted run leaves and how the next start finds it, and the policy of
// encoding the plain file again. Every case checks that no byte of the user's is lost and that no
// plain file is left without the list naming it.
#include "launcher/encoded_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "launcher/restored_file_journal.h"
#include "memory_profile_store.h"
#include "storage/faulty_files.h"
#include "storage/memory_file_access.h"
#include "storage/scratch_dir.h"
#include "storage/std_file_access.h"
#include "whole_buffer_image.h"

namespace {

// A full path of this system, as a stored path must be.
#ifdef _WIN32
std::string At(const char* leaf) { return std::string("C:\\Users\\u\\") + leaf; }
#else
std::string At(const char* leaf) { return std::string("/home/u/") + leaf; }
#endif

// The list of restored files in a store held in memory; onRecord sees each entry as it is saved.
class MemoryJournal : public RunJournal {
 public:
  MemoryProfileStore store;
  bool saves = true;
  std::function<void(const std::string&)> onRecord;

  bool Record(const std::string& path) override {
    if (!saves) return false;
    const bool ok = RestoredFileJournal::Record(store, path);
    if (onRecord) onRecord(path);
    return ok;
  }
  bool Clear(const std::string& path) override { return RestoredFileJournal::Clear(store, path); }
  bool Lists(const std::string& path) override {
    for (const std::string& p : RestoredFileJournal::Paths(store))
      if (p == path) return true;
    return false;
  }
};

const std::string kPlain = "the user's own words";
const std::string kKey = "k";

struct Disk {
  MemoryFileAccess files;
  MemoryJournal journal;
  LauncherItem item;
  // An encoded item whose stored path is `plain` (the plain file is then gone, as after Add).
  explicit Disk(const std::string& plain = At("doc.txt"), const std::string& encoded = At("Doc.QZD")) {
    files.Put(plain, kPlain);
    EXPECT_TRUE(EncodeFileTo(plain, encoded, kKey, files).ok());
    FileError error;
    files.Remove(plain, error);
    item.path = encoded;
    item.name = "Doc";
    item.encoded = 1;
  }
  EncodedRun Run() { return EncodedRun(item, kKey, files, journal, AsciiCodePage::Instance()); }
};

// Every plain or temporary file on `files` is the encoded file, a file of the user's that was
// there before (`own`), or named by the list.
void ExpectNothingUnnamed(MemoryFileAccess& files, MemoryJournal& journal, const std::set<std::string>& own) {
  for (const std::string& name : files.Names()) {
    if (name.size() > 4 && name.substr(name.size() - 4) == ".QZD") continue;
    if (own.count(name)) continue;
    EXPECT_TRUE(journal.Lists(name)) << name << " is on the disk and named nowhere";
  }
}

TEST(EncodedRunSafety, WhatIsAtTheStoredPathDecidesTheRun) {
  struct Case {
    const char* what;
    std::function<void(Disk&)> before;
    EncodedRun::Place place;
  } cases[] = {
      {"nothing there", [](Disk&) {}, EncodedRun::Place::Free},
      {"a file the user made after encoding", [](Disk& d) { d.files.Put(At("doc.txt"), "newer work"); },
       EncodedRun::Place::UserFile},
      {"a file an interrupted run left",
       [](Disk& d) {
         d.files.Put(At("doc.txt"), "edited, never encoded");
         d.journal.Record(At("doc.txt"));
       },
       EncodedRun::Place::LeftByRun},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Disk disk;
    c.before(disk);
    const std::string before = disk.files.Get(At("doc.txt"));
    const bool existed = disk.files.Has(At("doc.txt"));
    EncodedRun run = disk.Run();
    ASSERT_TRUE(run.Claim());
    EXPECT_EQ(run.Look({}), c.place);
    if (c.place == EncodedRun::Place::Free) {
      ASSERT_TRUE(run.Restore(false, {}, nullptr).ok());
      EXPECT_EQ(disk.files.Get(At("doc.txt")), kPlain);
      EXPECT_TRUE(disk.journal.Lists(At("doc.txt")));
    } else {
      // Without the user's say the restore never replaces it.
      EXPECT_EQ(run.Restore(false, {}, nullptr).status, EncodedFileOutcome::Status::TargetExists);
      EXPECT_EQ(disk.files.Get(At("doc.txt")), before) << "not a byte of the file there is lost";
      EXPECT_EQ(disk.journal.Lists(At("doc.txt")), c.place == EncodedRun::Place::LeftByRun)
          << "the list names a file of the user's only when a run left it";
    }
    ExpectNothingUnnamed(disk.files, disk.journal, existed && c.place == EncodedRun::Place::UserFile
                                                       ? std::set<std::string>{At("doc.txt")}
                                                       : std::set<std::string>{});
  }
}

TEST(EncodedRunSafety, ASecondRunOfARunningItemIsRefusedUnderAnyOfItsNames) {
  Disk disk;
  EncodedRun first = disk.Run();
  ASSERT_TRUE(first.Claim());
  ASSERT_EQ(first.Look({}), EncodedRun::Place::Free);
  ASSERT_TRUE(first.Restore(false, {}, nullptr).ok());
  disk.files.Put(At("doc.txt"), "saved by the first run's program");
  EncodedRun second = disk.Run();
  EXPECT_FALSE(second.Claim()) << "the same item, running";
  // Another item whose stored path is the running item's plain file.
  disk.files.Put(At("other.txt"), "x");
  ASSERT_TRUE(EncodeFileTo(At("doc.txt"), At("Other.QZD"), kKey, disk.files).ok());
  LauncherItem other = disk.item;
  other.path = At("Other.QZD");
  EncodedRun third(other, kKey, disk.files, disk.journal, AsciiCodePage::Instance());
  ASSERT_TRUE(third.Claim());
  EXPECT_EQ(third.Look({}), EncodedRun::Place::Running);
  EXPECT_EQ(disk.files.Get(At("doc.txt")), "saved by the first run's program");
}

// The same item on a real disk, its encoded file named another way: still the running item.
TEST(EncodedRunSafety, ASecondRunUnderAnotherSpellingOfTheEncodedFileIsRefused) {
#ifdef _WIN32
  GTEST_SKIP() << "a file's identity there is the Windows file seam's, tested with it";
#endif
  ScratchDir dir;
  FileAccess& files = StdFileAccess::Instance();
  const std::string folder = std::filesystem::absolute(dir.path()).string();
  ScratchDir::Write(folder + "/doc.txt", kPlain);
  ASSERT_TRUE(EncodeFileTo(folder + "/doc.txt", folder + "/Doc.QZD", kKey, files).ok());
  std::error_code ec;
  std::filesystem::remove(folder + "/doc.txt");
#ifndef _WIN32
  std::filesystem::create_directory_symlink(folder, folder + "/linked", ec);
  std::filesystem::create_hard_link(folder + "/Doc.QZD", folder + "/Hard.QZD", ec);
#endif
  MemoryJournal journal;
  LauncherItem item;
  item.path = folder + "/Doc.QZD";
  item.name = "Doc";
  item.encoded = 1;
  EncodedRun first(item, kKey, files, journal, AsciiCodePage::Instance());
  ASSERT_TRUE(first.Claim());
  for (const std::string& other : {folder + "/./Doc.QZD", folder + "//Doc.QZD", folder + "/linked/Doc.QZD",
                                   folder + "/Hard.QZD"}) {
    if (files.KindOf(other) == FileAccess::Kind::Missing) continue;  // no links on this disk
    LauncherItem again = item;
    again.path = other;
    EncodedRun second(again, kKey, files, journal, AsciiCodePage::Instance());
    EXPECT_FALSE(second.Claim()) << other;
  }
}

// What the look tells the window for its message when nothing can be restored: a folder at the
// stored path (never asked about as if it were a user's file), a wrong key, a stored path that is
// not a full path. Nothing is written in any of them.
TEST(EncodedRunSafety, TheLookSaysWhyNothingCanBeRestored) {
  struct Case {
    const char* what;
    std::function<void(Disk&)> before;
    std::string key;
    EncodedRun::Place place;
    EncodedFileOutcome::Status status;
    StoredPath::Problem problem;
  } cases[] = {
      {"a folder at the stored path",
       [](Disk& d) {
         FileError error;
         d.files.CreateFolders(At("doc.txt"), error);
       },
       kKey, EncodedRun::Place::NotAFile, EncodedFileOutcome::Status::Ok, StoredPath::Problem::None},
      {"a wrong key", [](Disk&) {}, "wrong", EncodedRun::Place::Unreadable, EncodedFileOutcome::Status::NotEncoded,
       StoredPath::Problem::None},
      {"a stored path that is not a full path",
       [](Disk& d) {
         std::vector<std::uint8_t> image(kPlain.begin(), kPlain.end());
         BuildEncodedImage(image, "doc.txt", KeySchedule(kKey));
         d.files.Put(d.item.path, std::string(image.begin(), image.end()));
       },
       kKey, EncodedRun::Place::Unreadable, EncodedFileOutcome::Status::UnsafePath, StoredPath::Problem::NotAbsolute},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Disk disk;
    c.before(disk);
    const auto names = disk.files.Names();
    EncodedRun run(disk.item, c.key, disk.files, disk.journal, AsciiCodePage::Instance());
    ASSERT_TRUE(run.Claim());
    EXPECT_EQ(run.Look({}), c.place);
    EXPECT_EQ(run.looked().status, c.status);
    EXPECT_EQ(run.looked().pathProblem, c.problem);
    EXPECT_EQ(disk.files.Names(), names) << "nothing written";
    EXPECT_TRUE(RestoredFileJournal::Paths(disk.journal.store).empty());
  }
}

// A file that appears at the stored path after the look found nothing is never replaced.
TEST(EncodedRunSafety, AFileThatAppearsBetweenTheLookAndTheWriteIsKept) {
  Disk disk;
  EncodedRun run = disk.Run();
  ASSERT_TRUE(run.Claim());
  ASSERT_EQ(run.Look({}), EncodedRun::Place::Free);
  disk.journal.onRecord = [&](const std::string& path) {
    if (path != At("doc.txt")) disk.files.Put(At("doc.txt"), "made just now");
  };
  EXPECT_EQ(run.Restore(false, {}, nullptr).status, EncodedFileOutcome::Status::TargetExists);
  EXPECT_EQ(disk.files.Get(At("doc.txt")), "made just now");
  EXPECT_FALSE(disk.journal.Lists(At("doc.txt"))) << "the user's file is not the run's";
  ExpectNothingUnnamed(disk.files, disk.journal, {At("doc.txt")});
}

TEST(EncodedRunSafety, AStoredPathThatIsTheEncodedFileOrTheSettingsFileIsRefused) {
  // As found: a settings file not made yet (the fallback one, or settings kept elsewhere) was
  // no file to compare with, so the restore made it with the plain content.
  for (const char* stored : {"Self.QZD", "Velta.ini", "missing Velta.ini"}) {
    SCOPED_TRACE(stored);
    MemoryFileAccess files;
    MemoryJournal journal;
    const bool settingsMissing = std::string(stored) == "missing Velta.ini";
    if (settingsMissing) stored = "Velta.ini";
    files.Put(At("Velta.ini"), "[Launcher]\n");
    // A crafted item: its file stores the path of itself, or of the settings file.
    files.Put(At(stored), "anything");
    ASSERT_TRUE(EncodeFileTo(At(stored), At("made.QZD"), kKey, files).ok());
    FileError error;
    if (std::string(stored) == "Self.QZD") {
      ASSERT_TRUE(files.Move(At("made.QZD"), At("Self.QZD"), true, error));
    }
    if (settingsMissing) {
      ASSERT_TRUE(files.Remove(At("Velta.ini"), error));
    }
    LauncherItem item{};
    item.path = std::string(stored) == "Self.QZD" ? At("Self.QZD") : At("made.QZD");
    item.encoded = 1;
    const std::string encodedBefore = files.Get(item.path);
    const std::string settingsBefore = files.Get(At("Velta.ini"));
    EncodedRun run(item, kKey, files, journal, AsciiCodePage::Instance());
    ASSERT_TRUE(run.Claim());
    EXPECT_EQ(run.Look({At("Velta.ini")}), EncodedRun::Place::Protected);
    EXPECT_FALSE(run.Restore(true, {At("Velta.ini")}, nullptr).ok()) << "not even when replacing is allowed";
    EXPECT_EQ(files.Get(item.path), encodedBefore);
    EXPECT_EQ(files.Get(At("Velta.ini")), settingsBefore);
    EXPECT_EQ(files.Has(At("Velta.ini")), !settingsMissing);
  }
}

// A copy of what is on the disk at one moment, as a killed process leaves it.
struct Snapshot {
  std::map<std::string, std::string> files;
  MemoryProfileStore journal;
  void Take(MemoryFileAccess& from, MemoryJournal& list) {
    for (const std::string& name : from.Names()) files[name] = from.Get(name);
    journal = list.store;
  }
};

TEST(EncodedRunSafety, KilledMidRestoreOrMidReencodeTheNextStartRemovesOrNamesEveryLeftover) {
  for (const bool duringReencode : {false, true}) {
    SCOPED_TRACE(duringReencode ? "killed while encoding again" : "killed while restoring");
    Disk disk;
    Snapshot killed;
    bool taken = false;
    EncodedRun run = disk.Run();
    ASSERT_TRUE(run.Claim());
    ASSERT_EQ(run.Look({}), EncodedRun::Place::Free);
    // The moment the temporary file is listed, before a byte goes into it.
    disk.journal.onRecord = [&](const std::string& path) {
      if (!taken && RestoredFileJournal::IsTemporaryName(path) && !duringReencode) {
        taken = true;
        killed.Take(disk.files, disk.journal);
      }
    };
    ASSERT_TRUE(run.Restore(false, {}, nullptr).ok());
    if (duringReencode) {
      disk.files.Put(At("doc.txt"), "edited in the program");
      disk.journal.onRecord = [&](const std::string& path) {
        if (!taken && RestoredFileJournal::IsTemporaryName(path)) {
          taken = true;
          killed.Take(disk.files, disk.journal);
        }
      };
      ASSERT_EQ(run.EncodeAgain(At("doc.txt"), nullptr).outcome, EncodedRun::Outcome::Encoded);
    }
    ASSERT_TRUE(taken);
    // The next start, on the disk as the kill left it.
    MemoryFileAccess after;
    for (const auto& [name, content] : killed.files) after.Put(name, content);
    bool temporaryThere = false;
    for (const auto& [name, content] : killed.files) {
      temporaryThere = temporaryThere || RestoredFileJournal::IsTemporaryName(name);
      if (name.substr(name.size() - 4) != ".QZD") {
        bool listed = false;
        for (const std::string& p : RestoredFileJournal::Paths(killed.journal)) listed = listed || p == name;
        EXPECT_TRUE(listed) << name << " was on the disk before the list named it";
      }
    }
    EXPECT_TRUE(temporaryThere);
    const std::vector<std::string> told = RestoredFileJournal::TakeLeftFiles(killed.journal, after);
    for (const std::string& name : after.Names()) {
      EXPECT_FALSE(RestoredFileJournal::IsTemporaryName(name)) << name << " stays after the next start";
      if (name.substr(name.size() - 4) != ".QZD") {
        EXPECT_NE(std::find(told.begin(), told.end(), name), told.end()) << name << " is left and not named";
      }
    }
    if (duringReencode) {
      EXPECT_EQ(after.Get(At("doc.txt")), "edited in the program") << "the edit is still there, and named";
    }
  }
}

// Encoding the plain file again after its program ended.
TEST(EncodedRunPolicy, EncodingAgain) {
  using Outcome = EncodedRun::Outcome;
  struct Case {
    const char* what;
    std::function<void(Disk&, int& reads)> arrange;
    Outcome outcome;
    bool plainStays;
    const char* encodedHolds;  // what decoding the encoded file gives afterwards
    bool diskFull = false;     // no byte can be written
  } cases[] = {
      {"unchanged", [](Disk&, int&) {}, Outcome::Encoded, false, "edited"},
      {"changed once while it was encoded",
       [](Disk& d, int& reads) {
         d.files.onOpenRead = [&d, &reads](const std::string& p) {
           if (p == At("doc.txt") && ++reads == 1) d.files.Put(At("doc.txt"), "edited twice");
         };
       },
       Outcome::Encoded, false, "edited twice"},
      {"changes every time",
       [](Disk& d, int& reads) {
         d.files.onOpenRead = [&d, &reads](const std::string& p) {
           if (p == At("doc.txt")) d.files.Put(At("doc.txt"), "edit " + std::to_string(++reads));
         };
       },
       Outcome::InUse, true, nullptr},
      {"open elsewhere", [](Disk& d, int&) { d.files.SetOpenElsewhere(At("doc.txt"), true); }, Outcome::InUse, true,
       kPlain.c_str()},
      {"delete refused", [](Disk& d, int&) { d.files.SetRemoveRefused(At("doc.txt"), true); }, Outcome::Failed, true,
       "edited"},
      {"encoding fails", [](Disk&, int&) {}, Outcome::Failed, true, kPlain.c_str(), true},
      {"the list cannot be saved", [](Disk& d, int&) { d.journal.saves = false; }, Outcome::Failed, true,
       kPlain.c_str()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Disk disk;
    EncodedRun run = disk.Run();
    ASSERT_TRUE(run.Claim());
    ASSERT_EQ(run.Look({}), EncodedRun::Place::Free);
    ASSERT_TRUE(run.Restore(false, {}, nullptr).ok());
    disk.files.Put(At("doc.txt"), "edited");
    int reads = 0;
    c.arrange(disk, reads);
    FaultyFiles full(disk.files);
    full.writeFailsAfter = 0;
    EncodedRun again(disk.item, kKey, full, disk.journal, AsciiCodePage::Instance());
    const EncodedRun::Result result = (c.diskFull ? again : run).EncodeAgain(At("doc.txt"), nullptr);
    disk.files.onOpenRead = nullptr;
    EXPECT_EQ(result.outcome, c.outcome) << result.reason;
    EXPECT_EQ(disk.files.Has(At("doc.txt")), c.plainStays);
    EXPECT_EQ(disk.journal.Lists(At("doc.txt")), c.plainStays) << "a plain file that stays stays named";
    if (c.outcome == Outcome::Failed) {
      EXPECT_FALSE(result.reason.empty());
    }
    if (c.encodedHolds != nullptr) {
      DecodeOptions options;
      options.to = At("check.txt");
      ASSERT_TRUE(DecodeEncodedFile(At("Doc.QZD"), kKey, options, disk.files).ok());
      EXPECT_EQ(disk.files.Get(At("check.txt")), c.encodedHolds);
    }
    ExpectNothingUnnamed(disk.files, disk.journal, {At("check.txt")});
  }
}

}  // namespace

namespace {

// The list is saved before anything is written: when it cannot be, nothing is restored.
TEST(EncodedRunSafety, AListThatCannotBeSavedStopsTheRestoreBeforeAByteIsWritten) {
  Disk disk;
  EncodedRun run = disk.Run();
  ASSERT_TRUE(run.Claim());
  ASSERT_EQ(run.Look({}), EncodedRun::Place::Free);
  disk.journal.saves = false;
  EXPECT_EQ(run.Restore(false, {}, nullptr).status, EncodedFileOutcome::Status::WriteFailed);
  EXPECT_EQ(disk.files.Names(), std::set<std::string>{At("Doc.QZD")});
}

}  // namespace
