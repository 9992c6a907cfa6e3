// The files velta-cli reads and writes: through the Win32 file functions in velta-cli.exe,
// the C runtime natively; and the check every command makes of a file it is given.
#pragma once

#include <string>

#include "launcher/stored_path.h"
#include "storage/file_access.h"

class CliFiles {
 public:
  static FileAccess& Files();
  // The user's code page's two-byte characters on Windows; none natively.
  static LeadBytePredicate LeadByte();
  // The full path of `path` as the system resolves it (the text itself when it cannot).
  static std::string FullPath(const std::string& path);
  // True when both paths name the same file.
  static bool SameFile(const std::string& a, const std::string& b);
  // Nothing when `path` is a file that can be read. Otherwise prints why not
  // ("velta-cli COMMAND: ...") and returns the exit status for it: 1. A missing file is
  // accepted when missingOk (the command creates it).
  static int RefuseUnreadable(const char* command, const std::string& path, bool missingOk = false);
};
