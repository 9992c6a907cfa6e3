// The files velta-cli reads and writes: through the Win32 file functions (wide) in
// velta-cli.exe, the C runtime natively; the code page of stored paths and keys; and the
// check every command makes of a file it is given. Paths are UTF-8.
#pragma once

#include <optional>
#include <string>

#include "launcher/stored_path.h"
#include "storage/file_access.h"
#include "win/code_page.h"

class CliFiles {
 public:
  static FileAccess& Files();
  // The code page an encoded file's unmarked path and its key are in: the one named by
  // --code-page (a Windows code page number), else the system's ANSI code page on Windows and
  // plain ASCII natively, where there is none. Null, with the reason printed, for a number
  // this system does not know.
  static const CodePage* StoredCodePage(const char* command, const std::optional<std::string>& id);
  // The full path of `path` as the system resolves it (the text itself when it cannot).
  static std::string FullPath(const std::string& path);
  // True when both paths name the same file.
  static bool SameFile(const std::string& a, const std::string& b);
  // True when `path` itself is a symbolic link (a reparse point on Windows), whether or not it
  // leads anywhere.
  static bool IsLink(const std::string& path);
  // Nothing when `path` is a file that can be read. Otherwise prints why not
  // ("velta-cli COMMAND: ...") and returns the exit status for it: 1. A missing file is
  // accepted when missingOk (the command creates it).
  static int RefuseUnreadable(const char* command, const std::string& path, bool missingOk = false);
};
