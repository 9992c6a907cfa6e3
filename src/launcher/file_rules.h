#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The attributes and access rules of a file, put back on the new file that replaces it.
class FileRules {
 public:
  explicit FileRules(const std::string& path);
  // False when either could not be put back.
  bool ApplyTo(const std::string& path);

  // Takes the rules of `encodedPath` now; the function returned puts them back on it once it
  // has been replaced, and says whether it could.
  static std::function<bool()> Keep(const std::string& encodedPath);

 private:
  DWORD attributes_;
  std::vector<BYTE> security_;
};
