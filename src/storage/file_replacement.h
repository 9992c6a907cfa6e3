// The one way a file is replaced: the new content goes into a new file beside it, created
// under a random name that cannot belong to anyone, and is put in place with one rename.
// Until then the old file is as it was; a replacement that is not committed removes its
// temporary file and leaves every file as it found it.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "storage/file_access.h"

class FileReplacement {
 public:
  FileReplacement(FileAccess& files, std::string target);
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Creates the temporary file in the target's folder (exclusively; another random name is
  // taken when one is in use).
  bool Begin(FileError& error);
  bool Write(const void* data, std::size_t size, FileError& error);
  // Puts the written content on the disk and moves it onto the target, replacing what is
  // there (retried while the target is held for a moment). On failure the temporary file is gone.
  bool Commit(FileError& error);
  // As Commit, onto the first of `candidates` that no file has yet: for a file whose name
  // depends on its content. Gives back the name taken.
  template <typename NextName>
  bool CommitAsNew(NextName&& candidates, std::string& taken, FileError& error);
  // Removes the temporary file, if any.
  void Abandon();

  const std::string& target() const { return target_; }
  const std::string& temporaryPath() const { return temporary_; }

  // The whole of `content` in place of `target`.
  static bool Replace(FileAccess& files, const std::string& target, std::string_view content, FileError& error);

  // The temporary file's name: "~vt", eight random hexadecimal digits, ".tmp".
  static std::string RandomName();
  // The name Begin takes in `folder` for `target`: RandomName, or, when the target's path
  // keeps within kMaxPathLength characters and that name would not, "~" and as many random
  // digits as fit (empty when not even one does).
  static std::string TemporaryName(const std::string& folder, const std::string& target);
  // The characters (UTF-16 units) of a path that every Windows program can open.
  static constexpr std::size_t kMaxPathLength = 259;
  // How many random names Begin tries before it gives up.
  static constexpr int kNameAttempts = 16;

 private:
  bool Finish(FileError& error);

  FileAccess& files_;
  std::string target_;
  std::string temporary_;
  std::unique_ptr<FileAccess::File> file_;
};

template <typename NextName>
bool FileReplacement::CommitAsNew(NextName&& candidates, std::string& taken, FileError& error) {
  if (!Finish(error)) return false;
  for (std::string name = candidates(); !name.empty(); name = candidates()) {
    if (files_.KindOf(name) != FileAccess::Kind::Missing) continue;
    if (files_.MoveRetrying(temporary_, name, false, error)) {
      temporary_.clear();
      taken = name;
      return true;
    }
    // Taken in the meantime: the next name; anything else ends it.
    if (files_.KindOf(name) == FileAccess::Kind::Missing) break;
  }
  if (error.code == 0) error = FileError::Unknown("no free name");
  Abandon();
  return false;
}
