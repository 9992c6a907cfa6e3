// Paths at the edges of what Windows opens: temporary names in a folder near the 259
// characters of a path, and device names that must never be opened as files.
#include <gtest/gtest.h>

#include <string>

#include "storage/device_path.h"
#include "storage/file_replacement.h"
#include "storage/memory_file_access.h"
#include "win/code_page.h"

namespace {

std::size_t Units(const std::string& text) { return CodePage::Utf8ToUtf16(text).size(); }

// A folder "C:\" + filler + "\" of `units` characters; kana count one unit in three bytes.
std::string FolderOf(std::size_t units, bool kana = false) {
  std::string folder = "C:\\";
  while (Units(folder) + 1 < units) folder += kana ? "\xE3\x81\x82" : "f";
  return folder + "\\";
}

// As found: a restore into a folder near the limit failed for its temporary name alone.
TEST(FileReplacementNames, ATemporaryNameFitsWhereTheTargetFits) {
  const struct {
    std::size_t folder;
    bool kana;
    std::size_t targetName;  // characters of the target's own name
    std::size_t expected;    // characters of the temporary name; 0: none fits
  } cases[] = {
      {100, false, 10, 15},  // "~vtXXXXXXXX.tmp"
      {244, false, 10, 15},  // ends at exactly 259
      {245, false, 10, 9},   // "~" and eight digits
      {250, true, 5, 9},
      {255, false, 4, 4},    // "~" and three digits
      {257, false, 2, 2},
      {258, false, 1, 0},    // no name of two characters fits
      {250, false, 20, 15},  // the target itself is beyond the limit: nothing gained by cutting
  };
  for (const auto& c : cases) {
    const std::string folder = FolderOf(c.folder, c.kana);
    ASSERT_EQ(Units(folder), c.folder);
    const std::string target = folder + std::string(c.targetName, 't');
    const std::string name = FileReplacement::TemporaryName(folder, target);
    EXPECT_EQ(name.size(), c.expected) << c.folder << " " << name;
    if (c.expected != 0 && c.expected < 15) {
      EXPECT_EQ(name[0], '~');
      EXPECT_EQ(name.find_first_not_of("0123456789ABCDEF", 1), std::string::npos) << name;
      EXPECT_LE(Units(folder + name), FileReplacement::kMaxPathLength);
    }
  }

  // A replacement in such a folder goes through, and with no room at all it is told.
  MemoryFileAccess files;
  const std::string folder = FolderOf(255);
  const std::string target = folder + "file";
  FileError error;
  ASSERT_TRUE(FileReplacement::Replace(files, target, "content", error)) << error.message;
  EXPECT_EQ(files.Get(target), "content");
  EXPECT_EQ(files.Names().size(), 1u);
  EXPECT_FALSE(FileReplacement::Replace(files, FolderOf(258) + "x", "content", error));
  EXPECT_NE(error.message.find("no room"), std::string::npos) << error.message;
}

TEST(DevicePathNames, DevicesAreToldFromFiles) {
  const struct {
    const char* path;
    bool device;
  } cases[] = {
      {"CON", true},          {"con", true},          {"NUL.txt", true},        {"COM1", true},
      {"LPT1.log", true},     {"lpt9", true},         {"AUX.tar.gz", true},     {"PRN ", true},
      {"CONIN$", true},       {"COM\xC2\xB9", true},  {"C:\\dir\\CON", true},   {"C:\\dir\\nul.txt", true},
      {"/dir/COM1", true},    {"C:NUL", true},        {"\\\\.\\COM1", true},    {"dir/sub/LPT1.log", true},
      {"CONSOLE", false},     {"COM10", false},       {"LPT", false},           {"NULL.txt", false},
      {"C:\\CON\\file", false}, {"my CON", false},    {"COM", false},           {"file.CON", false},
  };
  for (const auto& c : cases) EXPECT_EQ(DevicePath::NamesDevice(c.path), c.device) << c.path;
}

}  // namespace
