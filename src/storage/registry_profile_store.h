// Settings as registry values: one subkey per section under an application
// key. No key is held open between operations, and no read creates a key.
// Names and strings are UTF-8 here and wide (REG_SZ in UTF-16) in the registry.
#pragma once

#include <windows.h>

#include <string>

#include "storage/profile_store.h"

class RegistryProfileStore : public virtual ProfileStore {
 public:
  // `basePath` relative to `root`; empty: "SOFTWARE\<company>\<application>".
  RegistryProfileStore(std::string_view basePath, HKEY root);

  // "SOFTWARE\Orvex's Applications\<executable's base name>".
  static std::string DefaultBasePath();

  const std::string& basePath() const { return basePath_; }

  bool EnumSections(std::vector<std::string>& names) override;
  bool DeleteSection(std::string_view section) override;
  bool EnumKeys(std::string_view section, std::vector<std::string>& names) override;
  bool DeleteKey(std::string_view section, std::string_view key) override;

  std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t fallback) override;
  float GetFloat(std::string_view section, std::string_view key, float fallback) override;
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) override;
  std::size_t GetStringToBuffer(std::string_view section, std::string_view key, std::string_view fallback,
                                char* buffer, std::size_t size) override;
  bool GetBinary(std::string_view section, std::string_view key, void* destination, const void* fallback,
                 std::size_t size) override;
  std::size_t GetBinaryCopy(std::string_view section, std::string_view key, std::vector<std::uint8_t>& out,
                            const void* fallback, std::size_t fallbackSize) override;

  bool WriteInt(std::string_view section, std::string_view key, std::int32_t value) override;
  bool WriteFloat(std::string_view section, std::string_view key, float value) override;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  bool WriteBinary(std::string_view section, std::string_view key, const void* data, std::size_t size) override;

  // Longest string GetString delivers, in UTF-16 units; a longer one reads as the fallback.
  static constexpr std::size_t kMaxString = 259;
  // GetFloat reads at most this many characters of text.
  static constexpr std::size_t kMaxFloatText = 16;

 private:
  std::string KeyPath(std::string_view section) const;
  bool Write(std::string_view section, std::string_view key, DWORD type, const void* data, std::size_t size);
  bool WriteText(std::string_view section, std::string_view key, std::string_view text);

  std::string basePath_;
  HKEY root_;
};
