// Named values in sections: one interface over the INI file and the registry.
// A store lives for one load or one save.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Which way a transfer of settings goes: every group of settings has one
// operation that reads or writes its fixed list of keys.
enum class Transfer { Load, Save };

class ProfileStore {
 public:
  virtual ~ProfileStore() = default;

  virtual bool EnumSections(std::vector<std::string>& names) = 0;
  virtual bool DeleteSection(std::string_view section) = 0;
  virtual bool EnumKeys(std::string_view section, std::vector<std::string>& names) = 0;
  virtual bool DeleteKey(std::string_view section, std::string_view key) = 0;

  virtual std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t fallback) = 0;
  virtual float GetFloat(std::string_view section, std::string_view key, float fallback) = 0;
  virtual std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) = 0;
  // Value or fallback, cut to size - 1 characters and terminated; returns the length placed.
  virtual std::size_t GetStringToBuffer(std::string_view section, std::string_view key, std::string_view fallback,
                                        char* buffer, std::size_t size) = 0;
  // true when the stored value was used; otherwise `fallback` (size bytes) is copied.
  virtual bool GetBinary(std::string_view section, std::string_view key, void* destination, const void* fallback,
                         std::size_t size) = 0;
  // Delivers the stored bytes (or the fallback) into `out`; returns their count, 0 leaving `out` alone.
  virtual std::size_t GetBinaryCopy(std::string_view section, std::string_view key, std::vector<std::uint8_t>& out,
                                    const void* fallback, std::size_t fallbackSize) = 0;

  virtual bool WriteInt(std::string_view section, std::string_view key, std::int32_t value) = 0;
  virtual bool WriteFloat(std::string_view section, std::string_view key, float value) = 0;
  virtual bool WriteString(std::string_view section, std::string_view key, std::string_view value) = 0;
  virtual bool WriteBinary(std::string_view section, std::string_view key, const void* data, std::size_t size) = 0;
};
