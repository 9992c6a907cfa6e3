// The application's own registry profile,
// HKEY_CURRENT_USER\Software\Orvex's Applications\<application>\<section>:
// integers kept there as REG_DWORD values, only ever read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class AppProfile {
 public:
  // The company key under HKEY_CURRENT_USER\Software that holds the application's key.
  static constexpr const char* kCompanyKey = "Orvex's Applications";

  // "SOFTWARE\Orvex's Applications\<executable's base name>", relative to HKEY_CURRENT_USER.
  static std::string KeyPath();

  // The value, or `fallback` when the key, the value or its REG_DWORD type is
  // missing. Creates nothing.
  static std::int32_t GetInt(std::string_view section, std::string_view entry, std::int32_t fallback);

  // "Settings"/"ExMode": nonzero offers encoding when a launcher entry is added.
  static std::int32_t ExMode() { return GetInt("Settings", "ExMode", 0); }
};
