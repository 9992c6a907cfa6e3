// Any settings text: the launcher's groups load within their bounds, save, and
// load again as they were saved; a second save of the same groups changes no
// byte (nothing is appended twice).
//
// Input: byte 0 chooses a change to the loaded groups before saving (low
// nibble: which; high nibble: where), the rest is the file's text.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "launcher/launcher_groups.h"
#include "storage/ini_profile_store.h"
#include "storage/memory_file_access.h"

namespace {


void Check(bool condition) {
  if (!condition) std::abort();
}

bool Same(const LauncherGroups& a, const LauncherGroups& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].size() != b[i].size()) return false;
    for (std::size_t j = 0; j < a[i].size(); ++j) {
      const LauncherItem &x = a[i][j], &y = b[i][j];
      if (x.path != y.path || x.name != y.name || x.encoded != y.encoded) return false;
    }
  }
  return true;
}

// A value's line breaks (CR LF, a lone CR or LF) and the mark they are stored
// as all read back as CR LF.
std::string AsReadBack(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n' || c == IniProfileStore::kLineBreakMark) {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

LauncherGroups Load(MemoryFileAccess& files, bool* foreign = nullptr) {
  LauncherGroups groups;
  IniProfileStore store("fuzz.ini", files);
  TransferLauncher(store, "Exec", Transfer::Load, groups);
  if (foreign) *foreign = store.IsForeignText();
  return groups;
}

void Save(MemoryFileAccess& files, LauncherGroups& groups) {
  IniProfileStore store("fuzz.ini", files);
  TransferLauncher(store, "Exec", Transfer::Save, groups);
  Check(store.Flush());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  MemoryFileAccess files;
  files.Put("fuzz.ini", std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  const std::string original = files.Get("fuzz.ini");

  bool foreign = false;
  LauncherGroups groups = Load(files, &foreign);
  Check(groups.size() >= kLauncherTabCount && groups.size() <= static_cast<std::size_t>(kMaxLauncherGroups));
  std::size_t items = 0;
  for (const LauncherGroup& group : groups) {
    Check(group.size() <= static_cast<std::size_t>(kMaxLauncherGroupItems));
    items += group.size();
  }
  // Huge counts load blank items by the thousand; saving them says nothing new and only slows the search.
  if (items > 2000) return 0;

  const std::size_t where = data[0] >> 4;
  LauncherGroup& group = groups[where % groups.size()];
  switch (data[0] & 0x0F) {
    case 0: break;
    case 1: RemoveItem(group, where); break;
    case 2: SwapItems(group, 0, where); break;
    case 3: groups.resize(std::min<std::size_t>(groups.size() + where % 3, kMaxLauncherGroups)); break;
    default: {
      // Line breaks, the mark, a header and a NUL inside the values.
      static const char kPath[] = "C:\\x\r\ny\x1F[Exec]\rz\n";
      LauncherItem item;
      item.path = std::string(kPath, (data[0] & 0x0F) + 2);
      item.name = std::string("n\0=", 3);
      const std::size_t before = group.size();
      const bool room = before < static_cast<std::size_t>(kMaxLauncherGroupItems);
      Check(AddItem(group, item, "", EncodedFilePlace{}) == room);
      if (group.size() > before) group.back().encoded = data[0];  // as stored; no file to encode here
      break;
    }
  }

  Save(files, groups);
  const std::string saved = files.Get("fuzz.ini");
  if (foreign) {
    Check(saved == original);  // never written
    return 0;
  }
  for (LauncherGroup& g : groups) {
    for (LauncherItem& item : g) {
      item.path = AsReadBack(item.path);
      item.name = AsReadBack(item.name);
    }
  }
  LauncherGroups again = Load(files);
  Check(Same(again, groups));
  Save(files, again);
  Check(files.Get("fuzz.ini") == saved);
  return 0;
}
