#include "storage/settings_place.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "storage/app_profile.h"
#include "win/module_path.h"
#include "win/string_table.h"
#include "win/wide_text.h"

namespace {

// The user's roaming application data folder, or %APPDATA% when the shell does not name it.
std::string RoamingAppData() {
  std::string folder;
  PWSTR known = nullptr;
  // The buffer is the caller's to free, even when the call fails.
  if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &known)))
    folder = WideText::ToUtf8(known);
  ::CoTaskMemFree(known);
  if (!folder.empty()) return folder;
  std::wstring value(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetEnvironmentVariableW(L"APPDATA", value.data(), static_cast<DWORD>(value.size()));
    if (n == 0) return {};
    if (n < value.size()) return WideText::ToUtf8(std::wstring_view(value.data(), n));
    value.resize(n);  // n counts the terminator when the value did not fit
  }
}

}  // namespace

std::string SettingsPlace::ExecutableIni() {
  std::string ini = ModulePath::Executable();
  if (ini.empty()) return {};
  const std::size_t nameStart = ini.find_last_of("\\/") + 1;  // 0 when there is no folder
  const std::size_t dot = ini.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) ini += '.';
  else ini.erase(dot + 1);
  return ini + "ini";
}

std::string SettingsPlace::AppDataFolder() {
  std::string base = RoamingAppData();
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
