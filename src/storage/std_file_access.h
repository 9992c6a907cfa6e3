// FileAccess through the C and C++ standard libraries (native builds,
// velta-cli and the core tests).
#pragma once

#include "storage/file_access.h"

class StdFileAccess : public FileAccess {
 public:
  ReadResult ReadAll(const std::string& path, std::string& content) override;
  bool WriteAll(const std::string& path, std::string_view content) override;
  bool Replace(const std::string& from, const std::string& to) override;
  bool Remove(const std::string& path) override;

  // One shared instance; it holds no state.
  static StdFileAccess& Instance();
};
