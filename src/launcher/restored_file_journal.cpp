#include "launcher/restored_file_journal.h"

#include <cctype>
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

bool RestoredFileJournal::IsTemporaryName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
  if (leaf.size() != 15 || leaf.compare(0, 3, "~vt") != 0 || leaf.compare(11, 4, ".tmp") != 0) return false;
  for (std::size_t i = 3; i < 11; ++i)
    if (!std::isxdigit(static_cast<unsigned char>(leaf[i]))) return false;
  return true;
}

std::vector<std::string> RestoredFileJournal::TakeLeftFiles(ProfileStore& store, FileAccess& files) {
  std::vector<std::string> left;
  for (const std::string& path : Paths(store)) {
    if (files.KindOf(path) != FileAccess::Kind::File) continue;
    // A temporary file is an unfinished copy of what an encoded file holds whole: it goes.
    FileError error;
    if (IsTemporaryName(path) && files.Remove(path, error)) continue;
    left.push_back(path);
  }
  store.DeleteSection(kSection);
  return left;
}
