#include "storage/app_profile.h"

#include <windows.h>

#include <string>

#include "win/string_table.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

std::string AppProfile::KeyPath() { return std::string("SOFTWARE\\") + kCompanyKey + "\\" + StringTable::AppName(); }

std::int32_t AppProfile::GetInt(std::string_view section, std::string_view entry, std::int32_t fallback) {
  const std::string path = KeyPath() + "\\" + std::string(section);
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, WideText::From(path).c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
    return fallback;
  RegKeyHandle key(opened);
  DWORD value = 0, type = 0, size = sizeof value;
  if (::RegQueryValueExW(key.get(), WideText::From(entry).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return fallback;
  return static_cast<std::int32_t>(value);
}
