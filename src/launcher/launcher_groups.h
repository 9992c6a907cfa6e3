// Changing the launcher's groups and loading and saving them through a ProfileStore.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "launcher/file_encoding.h"
#include "launcher/file_progress.h"
#include "launcher/launcher_item.h"
#include "storage/profile_store.h"

constexpr std::size_t kLauncherTabCount = 10;
// Stored counts beyond these are taken as these: a hand-edited or damaged file cannot make
// the program allocate without end.
constexpr std::int32_t kMaxLauncherGroups = 100;
constexpr std::int32_t kMaxLauncherGroupItems = 1000;

// Where new encoded files go and how names are made safe for the file system.
struct EncodedFilePlace {
  std::string directory;          // ends with a separator
  std::string fallbackDirectory;  // used when `directory` refuses new files; may be empty
  const CodePage* codePage = nullptr;  // the stored path's code page; nullptr: AsciiCodePage
  FileAccess* files = nullptr;         // nullptr: StdFileAccess::Instance()
  FileProgress* progress = nullptr;    // optional: how far the encoding is, and Cancel
};

// Makes item ready to be added: an encoded item's file is encoded (in place.directory, or in
// place.fallbackDirectory when the first will not take it, under a name no other item's file
// has) and item.path becomes the encoded file's path. A plain item is left as it is. False
// when the encoding failed or was cancelled; item is then unchanged. The original file is
// not deleted here.
bool PrepareItem(LauncherItem& item, std::string_view key, const EncodedFilePlace& place);
// Appends a copy of item, made ready by PrepareItem; when that fails, or the group already
// holds kMaxLauncherGroupItems items, nothing is added and the result is false.
bool AddItem(LauncherGroup& group, const LauncherItem& item, std::string_view key, const EncodedFilePlace& place);
// Out-of-range indexes change nothing.
void RemoveItem(LauncherGroup& group, std::size_t index);
void SwapItems(LauncherGroup& group, std::size_t a, std::size_t b);

// base "Num", then base_i "Num" and base_i_j "Path", "Name", "Pass".
// At least kLauncherTabCount groups exist afterwards either way.
void TransferLauncher(ProfileStore& store, std::string_view base, Transfer direction, LauncherGroups& groups);
