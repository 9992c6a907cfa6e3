#include "launcher/launcher_groups.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "launcher_test_files.h"
#include "memory_profile_store.h"

namespace {

LauncherItem Item(const std::string& path, const std::string& name, int encoded = 0) {
  LauncherItem item;
  item.path = path;
  item.name = name;
  item.encoded = encoded;
  return item;
}

TEST(TransferLauncher, LoadsStoredCountsIntoAtLeastTenGroups) {
  const struct {
    const char* what;
    const char* num;  // nullptr: absent
    std::size_t groups;
  } cases[] = {
      {"empty store", nullptr, 10}, {"Num 0", "0", 10},           {"Num 3", "3", 10},
      {"Num 12", "12", 12},         {"Num -1", "-1", 10},         {"Num 2000000000", "2000000000", kMaxLauncherGroups},
      {"Num -2147483648", "-2147483648", 10},
  };
  for (const auto& c : cases) {
    MemoryProfileStore store;
    if (c.num) store.Set("Exec", "Num", c.num);
    LauncherGroups groups(3, LauncherGroup(2));  // whatever was there before is replaced
    TransferLauncher(store, "Exec", Transfer::Load, groups);
    EXPECT_EQ(groups.size(), c.groups) << c.what;
    for (const auto& g : groups) EXPECT_TRUE(g.empty()) << c.what;
  }
}

TEST(TransferLauncher, LoadsItemsAndBoundsItemCounts) {
  MemoryProfileStore store;
  store.Set("Exec", "Num", "12");
  store.Set("Exec_0", "Num", "2");
  store.Set("Exec_0_0", "Path", "C:\\Tools\\app.exe");
  store.Set("Exec_0_0", "Name", "app");
  store.Set("Exec_0_1", "Name", "only a name");
  store.Set("Exec_0_1", "Pass", "1");
  store.Set("Exec_0_2", "Name", "beyond the count, not read");
  store.Set("Exec_11", "Num", "1");
  store.Set("Exec_11_0", "Path", "hidden.txt");
  store.Set("Exec_1", "Num", "-5");
  store.Set("Exec_2", "Num", "2000000000");
  LauncherGroups groups;
  TransferLauncher(store, "Exec", Transfer::Load, groups);
  ASSERT_EQ(groups.size(), 12u);
  ASSERT_EQ(groups[0].size(), 2u);
  EXPECT_EQ(groups[0][0].path, "C:\\Tools\\app.exe");
  EXPECT_EQ(groups[0][0].name, "app");
  EXPECT_EQ(groups[0][0].encoded, 0);
  EXPECT_EQ(groups[0][1].path, "");
  EXPECT_EQ(groups[0][1].name, "only a name");
  EXPECT_EQ(groups[0][1].encoded, 1);
  EXPECT_EQ(groups[1].size(), 0u);
  EXPECT_EQ(groups[2].size(), static_cast<std::size_t>(kMaxLauncherGroupItems));
  ASSERT_EQ(groups[11].size(), 1u);
  EXPECT_EQ(groups[11][0].path, "hidden.txt");
}

TEST(TransferLauncher, SavesCountsThenEveryItemInOrder) {
  MemoryProfileStore store;
  LauncherGroups groups;
  TransferLauncher(store, "Exec", Transfer::Save, groups);
  EXPECT_EQ(groups.size(), 10u);
  std::vector<std::string> expected{"Exec/Num=0"};
  for (int i = 0; i < 10; ++i) expected.push_back("Exec_" + std::to_string(i) + "/Num=0");
  EXPECT_EQ(store.writes, expected) << "a never-loaded list still saves ten groups";

  MemoryProfileStore empty;
  TransferLauncher(empty, "Exec", Transfer::Load, groups);
  TransferLauncher(empty, "Exec", Transfer::Save, groups);
  EXPECT_EQ(*empty.Find("Exec", "Num"), "10");
  for (int i = 0; i < 10; ++i) EXPECT_EQ(*empty.Find("Exec_" + std::to_string(i), "Num"), "0");

  groups.resize(12);
  groups[0] = {Item("a.exe", "A"), Item("b.QZD", "B", 1)};
  groups[11] = {Item("z", "Z")};
  MemoryProfileStore full;
  TransferLauncher(full, "Exec", Transfer::Save, groups);
  EXPECT_EQ(full.writes[0], "Exec/Num=12");
  EXPECT_EQ(std::vector<std::string>(full.writes.begin() + 1, full.writes.begin() + 8),
            (std::vector<std::string>{"Exec_0/Num=2", "Exec_0_0/Path=a.exe", "Exec_0_0/Name=A", "Exec_0_0/Pass=0",
                                      "Exec_0_1/Path=b.QZD", "Exec_0_1/Name=B", "Exec_0_1/Pass=1"}));
  EXPECT_EQ(full.writes.back(), "Exec_11_0/Pass=0");
  LauncherGroups back;
  TransferLauncher(full, "Exec", Transfer::Load, back);
  ASSERT_EQ(back.size(), 12u);
  EXPECT_EQ(back[0][1].name, "B");
  EXPECT_EQ(back[11][0].path, "z");
}

TEST(TransferLauncher, RemovalAndSwapAreSavedAsCountsAndOrder) {
  MemoryProfileStore store;
  LauncherGroups groups(10);
  groups[3] = {Item("1", "one"), Item("2", "two"), Item("3", "three")};
  TransferLauncher(store, "Exec", Transfer::Save, groups);

  RemoveItem(groups[3], 2);
  SwapItems(groups[3], 0, 1);
  TransferLauncher(store, "Exec", Transfer::Save, groups);
  EXPECT_EQ(*store.Find("Exec_3", "Num"), "2");
  EXPECT_EQ(*store.Find("Exec_3_0", "Name"), "two");
  EXPECT_EQ(*store.Find("Exec_3_1", "Name"), "one");
  EXPECT_EQ(*store.Find("Exec_3_2", "Name"), "three") << "the old section stays; the count makes it unread";
  LauncherGroups back;
  TransferLauncher(store, "Exec", Transfer::Load, back);
  ASSERT_EQ(back[3].size(), 2u);
  EXPECT_EQ(back[3][0].path, "2");
}

TEST(LauncherGroup, RemoveAndSwapIgnoreIndexesOutOfRange) {
  LauncherGroup group{Item("a", "A"), Item("b", "B")};
  RemoveItem(group, 2);
  SwapItems(group, 1, 2);
  ASSERT_EQ(group.size(), 2u);
  EXPECT_EQ(group[1].name, "B");
  RemoveItem(group, 0);
  ASSERT_EQ(group.size(), 1u);
  EXPECT_EQ(group[0].name, "B");
}

TEST(AddItem, PlainItemsAreCopiedAndEncodedOnesPointAtTheirEncodedFile) {
  const std::string dir = ScratchDir();
  EncodedFilePlace place{dir};
  LauncherGroup group;
  ASSERT_TRUE(AddItem(group, Item("C:\\x.exe", "x"), "", place));
  EXPECT_EQ(group.back().path, "C:\\x.exe");

  WriteBytes(dir + "secret.txt", {'1', '2', '3', '4', '5', '6', '7', '8', '9'});
  ASSERT_TRUE(AddItem(group, Item(dir + "secret.txt", "..\\Secret", 1), "pw", place));
  EXPECT_EQ(group.back().path, dir + ".._SecretCBF43926.QZD");
  EXPECT_EQ(group.back().encoded, 1);
  EXPECT_TRUE(Exists(dir + "secret.txt")) << "the caller deletes the original";

  // The same name and content again: a second file, the first one untouched.
  const auto first = ReadBytes(dir + ".._SecretCBF43926.QZD");
  ASSERT_TRUE(AddItem(group, Item(dir + "secret.txt", "..\\Secret", 1), "other key", place));
  EXPECT_EQ(group.back().path, dir + ".._SecretCBF43926_2.QZD");
  EXPECT_EQ(ReadBytes(dir + ".._SecretCBF43926.QZD"), first);

  EXPECT_FALSE(AddItem(group, Item(dir + "missing.txt", "m", 1), "pw", place));
  EXPECT_EQ(group.size(), 3u);
}

// A group holds as many items as a load keeps: one more would be saved and
// then dropped at the next start.
TEST(AddItem, AFullGroupTakesNoMoreItems) {
  const std::string dir = ScratchDir();
  EncodedFilePlace place{dir};
  LauncherGroup group(static_cast<std::size_t>(kMaxLauncherGroupItems) - 1);
  EXPECT_TRUE(AddItem(group, Item("C:\\x.exe", "last"), "", place));
  EXPECT_FALSE(AddItem(group, Item("C:\\y.exe", "one too many"), "", place));
  WriteBytes(dir + "secret.txt", {'1', '2', '3'});
  EXPECT_FALSE(AddItem(group, Item(dir + "secret.txt", "s", 1), "pw", place));
  EXPECT_EQ(group.size(), static_cast<std::size_t>(kMaxLauncherGroupItems));
  EXPECT_EQ(group.back().name, "last");
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++files;
  EXPECT_EQ(files, 1u) << "nothing encoded for an item that is not added";
}

}  // namespace
