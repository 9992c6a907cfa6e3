#include "launcher/settings_journal.h"

#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "launcher/restored_file_journal.h"
#include "storage/ini_profile_store.h"
#include "win/owned_message.h"

namespace {

// One change of the list of restored files (or a look at it), and its answer.
struct JournalChange {
  SettingsJournal::Kind kind;
  std::string path;
  std::promise<bool> done;
};

// One change at a time, whichever thread: a save starts from the file as the last one left it.
std::mutex& OneAtATime() {
  static std::mutex one;
  return one;
}

bool MakeChange(SettingsJournal::Kind kind, const std::string& path) {
  std::lock_guard<std::mutex> lock(OneAtATime());
  IniProfileStore store;
  switch (kind) {
    case SettingsJournal::Kind::Record:
      return RestoredFileJournal::Record(store, path) && store.Save().ok();
    case SettingsJournal::Kind::Clear:
      return RestoredFileJournal::Clear(store, path) && store.Save().ok();
    case SettingsJournal::Kind::Lists:
      for (const std::string& listed : RestoredFileJournal::Paths(store))
        if (listed == path) return true;
      return false;
  }
  return false;
}

}  // namespace

SettingsJournal& SettingsJournal::Instance() {
  static SettingsJournal journal;
  return journal;
}

std::vector<std::string> SettingsJournal::TakeLeftFiles(FileAccess& files) {
  std::lock_guard<std::mutex> lock(OneAtATime());
  IniProfileStore store;
  std::vector<std::string> left = RestoredFileJournal::TakeLeftFiles(store, files);
  // A list that cannot be emptied is told again at the next start: better than never.
  store.Save();
  return left;
}

void SettingsJournal::Take(LPARAM lParam) {
  const std::unique_ptr<std::shared_ptr<JournalChange>> change = OwnedMessage::Take<std::shared_ptr<JournalChange>>(lParam);
  (*change)->done.set_value(MakeChange((*change)->kind, (*change)->path));
}

bool SettingsJournal::Change(Kind kind, const std::string& path) {
  HWND window = window_.load();
  if (window == nullptr || ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId())
    return MakeChange(kind, path);
  auto change = std::make_shared<JournalChange>();
  change->kind = kind;
  change->path = path;
  std::future<bool> answer = change->done.get_future();
  if (OwnedMessage::Post(window, kChangeMessage, change) &&
      answer.wait_for(std::chrono::seconds(3)) == std::future_status::ready)
    return answer.get();
  return MakeChange(kind, path);
}
