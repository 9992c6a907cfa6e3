#include "launcher/launcher_groups.h"

#include <utility>
#include <vector>

namespace {

std::size_t ClampCount(std::int32_t stored, std::int32_t most) {
  if (stored < 0) return 0;
  return static_cast<std::size_t>(stored > most ? most : stored);
}

std::string GroupSection(std::string_view base, std::size_t i) { return std::string(base) + "_" + std::to_string(i); }
std::string ItemSection(std::string_view base, std::size_t i, std::size_t j) {
  return GroupSection(base, i) + "_" + std::to_string(j);
}

}  // namespace

bool PrepareItem(LauncherItem& item, std::string_view key, const EncodedFilePlace& place) {
  if (item.encoded == 0) return true;
  FileAccess& files = place.files ? *place.files : StdFileAccess::Instance();
  std::vector<std::string> folders{place.directory};
  if (!place.fallbackDirectory.empty()) folders.push_back(place.fallbackDirectory);
  const EncodedFileOutcome outcome =
      EncodeNewFile(item.path, folders, item.name, key, files, place.progress,
                    place.codePage ? *place.codePage : AsciiCodePage::Instance());
  if (!outcome.ok()) return false;
  item.path = outcome.path;
  return true;
}

bool AddItem(LauncherGroup& group, const LauncherItem& item, std::string_view key, const EncodedFilePlace& place) {
  // One more would be saved and then dropped at the next load.
  if (group.size() >= static_cast<std::size_t>(kMaxLauncherGroupItems)) return false;
  LauncherItem copy = item;
  if (!PrepareItem(copy, key, place)) return false;
  group.push_back(std::move(copy));
  return true;
}

void RemoveItem(LauncherGroup& group, std::size_t index) {
  if (index < group.size()) group.erase(group.begin() + static_cast<std::ptrdiff_t>(index));
}

void SwapItems(LauncherGroup& group, std::size_t a, std::size_t b) {
  if (a >= group.size() || b >= group.size()) return;
  std::swap(group[a].path, group[b].path);
  std::swap(group[a].name, group[b].name);
  std::swap(group[a].encoded, group[b].encoded);
}

void TransferLauncher(ProfileStore& store, std::string_view base, Transfer direction, LauncherGroups& groups) {
  if (direction == Transfer::Load) {
    const std::size_t n = ClampCount(store.GetInt(base, "Num", static_cast<std::int32_t>(kLauncherTabCount)),
                                     kMaxLauncherGroups);
    if (n == 0) {
      groups.clear();
    } else {
      groups.resize(n);
    }
    if (groups.size() < kLauncherTabCount) groups.resize(kLauncherTabCount);
    for (std::size_t i = 0; i < groups.size(); ++i) {
      const std::size_t m = ClampCount(store.GetInt(GroupSection(base, i), "Num", 0), kMaxLauncherGroupItems);
      LauncherGroup& group = groups[i];
      group.resize(m);
      for (std::size_t j = 0; j < m; ++j) {
        const std::string section = ItemSection(base, i, j);
        group[j].path = store.GetString(section, "Path", "");
        group[j].name = store.GetString(section, "Name", "");
        group[j].encoded = store.GetInt(section, "Pass", 0);
      }
    }
    return;
  }
  store.WriteInt(base, "Num", static_cast<std::int32_t>(groups.size()));
  if (groups.size() < kLauncherTabCount) groups.resize(kLauncherTabCount);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const LauncherGroup& group = groups[i];
    store.WriteInt(GroupSection(base, i), "Num", static_cast<std::int32_t>(group.size()));
    for (std::size_t j = 0; j < group.size(); ++j) {
      const std::string section = ItemSection(base, i, j);
      store.WriteString(section, "Path", group[j].path);
      store.WriteString(section, "Name", group[j].name);
      store.WriteInt(section, "Pass", group[j].encoded);
    }
  }
}
