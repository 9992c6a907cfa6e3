// What the user is told when an encoded item's file could not be restored: before a run, or
// before the item is deleted. Each reason names the item and what stays on the disk.
#pragma once

#include <string>

#include "launcher/file_encoding.h"
#include "launcher/stored_path.h"
#include "storage/file_access.h"

class RestoreFailureMessage {
 public:
  enum class For { Run, Delete };

  // The message for a restore of the item `name` (encoded file `encodedPath`) to `target` that
  // ended in `outcome`; empty when there is nothing to tell (it went through, or the user
  // cancelled it). `files` tells a folder or device at the target from a failed write.
  static std::string Text(For what, const std::string& name, const std::string& encodedPath, const std::string& target,
                          const EncodedFileOutcome& outcome, FileAccess& files);
  // A folder, a device or a pipe stands at the target.
  static std::string NotAFile(For what, const std::string& name, const std::string& target);
  // Why a stored path is no place to restore to, in the user's language.
  static std::string Reason(StoredPath::Problem problem);
};
