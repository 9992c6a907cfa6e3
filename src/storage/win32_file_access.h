// FileAccess through the Win32 file functions with narrow (ANSI) paths, as
// the executable's own path comes from GetModuleFileNameA.
#pragma once

#include "storage/file_access.h"

class Win32FileAccess : public FileAccess {
 public:
  ReadResult ReadAll(const std::string& path, std::string& content) override;
  bool WriteAll(const std::string& path, std::string_view content) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;

  // One shared instance; it holds no state.
  static Win32FileAccess& Instance();
};
