// A ProfileStore held in memory that also records the order of its writes.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "storage/profile_store.h"

class MemoryProfileStore : public ProfileStore {
 public:
  std::map<std::string, std::map<std::string, std::string>> values;
  std::vector<std::string> writes;  // "section/key=value"
  int reads = 0;

  void Set(const std::string& section, const std::string& key, const std::string& value) { values[section][key] = value; }
  const std::string* Find(std::string_view section, std::string_view key) const {
    auto s = values.find(std::string(section));
    if (s == values.end()) return nullptr;
    auto k = s->second.find(std::string(key));
    return k == s->second.end() ? nullptr : &k->second;
  }

  bool EnumSections(std::vector<std::string>& names) override {
    for (auto& [s, _] : values) names.push_back(s);
    return true;
  }
  bool DeleteSection(std::string_view section) override { return values.erase(std::string(section)) > 0; }
  bool EnumKeys(std::string_view section, std::vector<std::string>& names) override {
    for (auto& [k, _] : values[std::string(section)]) names.push_back(k);
    return true;
  }
  bool DeleteKey(std::string_view section, std::string_view key) override {
    return values[std::string(section)].erase(std::string(key)) > 0;
  }
  std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t fallback) override {
    ++reads;
    const std::string* v = Find(section, key);
    return v ? static_cast<std::int32_t>(std::stoll(*v)) : fallback;
  }
  float GetFloat(std::string_view section, std::string_view key, float fallback) override {
    const std::string* v = Find(section, key);
    return v ? std::stof(*v) : fallback;
  }
  std::string GetString(std::string_view section, std::string_view key, std::string_view fallback) override {
    ++reads;
    const std::string* v = Find(section, key);
    return v ? *v : std::string(fallback);
  }
  std::size_t GetStringToBuffer(std::string_view section, std::string_view key, std::string_view fallback,
                                char* buffer, std::size_t size) override {
    const std::string v = GetString(section, key, fallback);
    const std::size_t n = size == 0 ? 0 : std::min(v.size(), size - 1);
    if (size) {
      std::memcpy(buffer, v.data(), n);
      buffer[n] = 0;
    }
    return n;
  }
  bool GetBinary(std::string_view, std::string_view, void* destination, const void* fallback, std::size_t size) override {
    std::memcpy(destination, fallback, size);
    return false;
  }
  std::size_t GetBinaryCopy(std::string_view, std::string_view, std::vector<std::uint8_t>&, const void*,
                            std::size_t) override {
    return 0;
  }
  bool WriteInt(std::string_view section, std::string_view key, std::int32_t value) override {
    return WriteString(section, key, std::to_string(value));
  }
  bool WriteFloat(std::string_view section, std::string_view key, float value) override {
    return WriteString(section, key, std::to_string(value));
  }
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) override {
    Set(std::string(section), std::string(key), std::string(value));
    writes.push_back(std::string(section) + "/" + std::string(key) + "=" + std::string(value));
    return true;
  }
  bool WriteBinary(std::string_view, std::string_view, const void*, std::size_t) override { return true; }
};
