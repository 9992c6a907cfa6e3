// The list, kept in the settings, of restored (plain) files of encoded launcher items that are
// on the disk now. A path is recorded before its file is written and removed once the file has
// been encoded again and deleted, so a run the clock never saw the end of (a crash, a power cut)
// is known at the next start. Only paths are kept, never a key.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/file_access.h"
#include "storage/profile_store.h"

class RestoredFileJournal {
 public:
  static constexpr std::string_view kSection = "Decoded";

  // Adds `path` under the first free key ("File1", "File2", ...); a path already there stays once.
  static bool Record(ProfileStore& store, const std::string& path);
  // Removes every entry of `path`.
  static bool Clear(ProfileStore& store, const std::string& path);
  // The recorded paths, in the order the store keeps its keys.
  static std::vector<std::string> Paths(ProfileStore& store);
  // At start-up: empties the list and returns the recorded paths that still name a file, so each
  // is told to the user once; a path that no longer exists is dropped without a word, and a
  // temporary file (a restore or an encoding cut short) is deleted, or told when it cannot be.
  static std::vector<std::string> TakeLeftFiles(ProfileStore& store, FileAccess& files);
  // A name FileReplacement gives its temporary files ("~vt", eight hexadecimal digits, ".tmp").
  static bool IsTemporaryName(const std::string& path);
};
