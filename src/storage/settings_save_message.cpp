#include "storage/settings_save_message.h"

#include <atomic>

#include "resource.h"
#include "win/message_box.h"
#include "win/string_table.h"

SettingsSaveMessage& SettingsSaveMessage::Process() {
  static SettingsSaveMessage process;
  return process;
}

std::string SettingsSaveMessage::Text(const IniProfileStore::SaveOutcome& outcome) {
  using Status = IniProfileStore::SaveOutcome::Status;
  switch (outcome.status) {
    case Status::Ok:
      return {};
    case Status::ReadOnly:
      return StringTable::Format(IDS_SETTINGS_READ_ONLY, {outcome.path, outcome.reason});
    case Status::Failed:
      break;
  }
  return StringTable::Format(IDS_SETTINGS_NOT_SAVED, {outcome.path, outcome.reason});
}

bool SettingsSaveMessage::ShowForeignTextOnce(const std::string& path, HWND owner) {
  if (silenced_ || foreignShown_.exchange(true)) return false;
  MessageBoxes::Show(StringTable::Format(IDS_SETTINGS_FOREIGN, {path}), MB_OK | MB_ICONWARNING, owner);
  return true;
}

bool SettingsSaveMessage::Claim(const IniProfileStore::SaveOutcome& outcome) {
  return !outcome.ok() && !silenced_ && !saveShown_.exchange(true);
}

bool SettingsSaveMessage::ShowOnce(const IniProfileStore::SaveOutcome& outcome, HWND owner) {
  if (!Claim(outcome)) return false;
  MessageBoxes::Show(Text(outcome), MB_OK | MB_ICONWARNING, owner);
  return true;
}
