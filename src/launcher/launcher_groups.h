// Changing the launcher's groups and loading and saving them through a ProfileStore.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "launcher/encoded_file_access.h"
#include "launcher/file_encoding.h"
#include "launcher/launcher_item.h"
#include "storage/profile_store.h"

constexpr std::size_t kLauncherTabCount = 10;
// Stored counts beyond these are taken as these: a hand-edited or damaged file cannot make
// the program allocate without end.
constexpr std::int32_t kMaxLauncherGroups = 100;
constexpr std::int32_t kMaxLauncherGroupItems = 1000;

// Where new encoded files go and how names are made safe for the file system.
struct EncodedFilePlace {
  std::string directory;  // ends with a separator
  LeadBytePredicate isLeadByte = nullptr;
  EncodedFileAccess* files = nullptr;  // nullptr: DefaultEncodedFileAccess()
};

// Appends a copy of item. An encoded item's file is encoded first (beside the program, under a
// name no other item's file has); when that fails, or the group already holds
// kMaxLauncherGroupItems items, nothing is added and the result is false.
// The original file is not deleted here.
bool AddItem(LauncherGroup& group, const LauncherItem& item, std::string_view key, const EncodedFilePlace& place);
// Out-of-range indexes change nothing.
void RemoveItem(LauncherGroup& group, std::size_t index);
void SwapItems(LauncherGroup& group, std::size_t a, std::size_t b);

// base "Num", then base_i "Num" and base_i_j "Path", "Name", "Pass".
// At least kLauncherTabCount groups exist afterwards either way.
void TransferLauncher(ProfileStore& store, std::string_view base, Transfer direction, LauncherGroups& groups);
