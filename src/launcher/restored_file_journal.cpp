#include "launcher/restored_file_journal.h"

#include <string>

namespace {

constexpr std::string_view kKeyPrefix = "File";

std::string KeyOf(int n) { return std::string(kKeyPrefix) + std::to_string(n); }

// The keys of the list as the store keeps them.
std::vector<std::string> Keys(ProfileStore& store) {
  std::vector<std::string> keys;
  store.EnumKeys(RestoredFileJournal::kSection, keys);
  return keys;
}

}  // namespace

bool RestoredFileJournal::Record(ProfileStore& store, const std::string& path) {
  for (const std::string& known : Paths(store))
    if (known == path) return true;
  const std::vector<std::string> keys = Keys(store);
  for (int n = 1;; ++n) {
    const std::string key = KeyOf(n);
    bool taken = false;
    for (const std::string& k : keys) taken = taken || k == key;
    if (!taken) return store.WriteString(kSection, key, path);
  }
}

bool RestoredFileJournal::Clear(ProfileStore& store, const std::string& path) {
  bool ok = true;
  for (const std::string& key : Keys(store))
    if (store.GetString(kSection, key, "") == path) ok = store.DeleteKey(kSection, key) && ok;
  return ok;
}

std::vector<std::string> RestoredFileJournal::Paths(ProfileStore& store) {
  std::vector<std::string> paths;
  for (const std::string& key : Keys(store)) {
    std::string path = store.GetString(kSection, key, "");
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

std::vector<std::string> RestoredFileJournal::TakeLeftFiles(ProfileStore& store, FileAccess& files) {
  std::vector<std::string> left;
  for (const std::string& path : Paths(store))
    if (files.KindOf(path) == FileAccess::Kind::File) left.push_back(path);
  store.DeleteSection(kSection);
  return left;
}
