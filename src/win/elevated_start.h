// Starts a program with administrator rights (the shell's "runas" verb, which
// asks the user for consent) only after checking it, and while holding it: the
// file is opened so that nobody can write, rename or delete it, its content is
// checked, and the hold is let go only once the elevated process exists. So
// what was checked is what runs, even in a folder the user can write to.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "win/unique_handle.h"

class ElevatedStart {
 public:
  enum class Outcome {
    kStarted,
    kCancelled,  // the user said no to the consent prompt
    kNotHeld,    // the file could not be opened and held (missing, or in use for writing)
    kChanged,    // its content is not what it must be
    kFailed,     // the shell could not start it
  };

  struct Seams {
    // Whether the held file's content may be run; required.
    std::function<bool(const std::vector<std::uint8_t>& content)> trusted;
    // Called after the check, before the start, while the file is held (tests swap the file here).
    std::function<void(const std::string& file)> afterCheck;
    // The shell's start; ShellExecuteExW when empty.
    std::function<BOOL(SHELLEXECUTEINFOW& info)> execute;
  };

  // `file` and `parameters` UTF-8; `owner` owns the consent prompt. On kStarted,
  // `process` holds the started process.
  static Outcome Run(HWND owner, const std::string& file, const std::string& parameters, const Seams& seams,
                     UniqueHandle<HANDLE, KernelClose>& process);
};
