#include "storage/settings_place.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "storage/app_profile.h"
#include "win/string_table.h"

std::string SettingsPlace::ExecutableIni() {
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

std::string SettingsPlace::AppDataFolder() {
  char folder[MAX_PATH] = {};
  std::string base;
  if (SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    base = folder;
  } else {
    const DWORD n = ::GetEnvironmentVariableA("APPDATA", folder, sizeof folder);
    if (n > 0 && n < sizeof folder) base.assign(folder, n);
  }
  if (base.empty()) return {};
  if (base.back() != '\\') base += '\\';
  return base + AppProfile::kCompanyKey + "\\" + StringTable::AppName() + "\\";
}

std::string SettingsPlace::AppDataIni() {
  const std::string folder = AppDataFolder();
  const std::string ini = ExecutableIni();
  if (folder.empty() || ini.empty()) return {};
  return folder + ini.substr(ini.find_last_of("\\/") + 1);
}
