// A file opened so that, while this object lives, nobody can write, rename or
// delete it (others may still read and run it): what is checked is what stays.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win/unique_handle.h"

class HeldFile {
 public:
  // Opens `path` (UTF-8) for reading with read sharing only. Empty on failure,
  // with the system's error in LastError().
  static HeldFile Open(const std::string& path);

  bool IsOpen() const { return static_cast<bool>(file_); }
  DWORD LastError() const { return error_; }
  // The whole content, read through the held handle from its start.
  bool ReadAll(std::vector<std::uint8_t>& bytes) const;
  // The held file's own path (UTF-8), with every junction and link resolved: a name
  // no one can re-point while the file is held. Empty when the system cannot say.
  std::string FinalPath() const;

 private:
  UniqueHandle<HANDLE, FileClose> file_;
  DWORD error_ = ERROR_SUCCESS;
};
