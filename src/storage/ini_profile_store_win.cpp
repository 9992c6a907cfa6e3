// The Windows part of IniProfileStore: the settings file beside the executable.
#include <windows.h>

#include <vector>

#include "storage/ini_profile_store.h"
#include "storage/win32_file_access.h"

namespace {

// The executable's full path with the characters after the last "." of its
// file name replaced by "ini" ("ini" is appended when the name has no ".").
std::string ExecutableIniPath() {
  std::vector<char> path(MAX_PATH);
  DWORD n;
  for (;;) {
    n = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) break;
    path.resize(path.size() * 2);
  }
  std::string ini(path.data(), n);
  const std::size_t nameStart = ini.find_last_of("\\/") + 1;  // 0 when there is no folder
  const std::size_t dot = ini.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) ini += '.';
  else ini.erase(dot + 1);
  return ini + "ini";
}

}  // namespace

IniProfileStore::IniProfileStore() : IniProfileStore(ExecutableIniPath(), Win32FileAccess::Instance()) {}
