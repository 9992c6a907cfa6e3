// Where a QuickTimer's settings live: the look and place of its two windows in
// the settings file, the time, actions and paths in the registry.
#include "quicktimer/timer_action.h"

#include "storage/ini_profile_store.h"
#include "storage/registry_profile_store.h"

namespace {

constexpr char kCounterSection[] = "QuickTimerDlg";
constexpr char kMessageSection[] = "QuickTimerMsg";
constexpr char kRegistrySection[] = "QuickTimer";

}  // namespace

void TimerAction::TransferFaces(ProfileStore& store, Transfer direction) {
  counterFace.TransferProfile(store, kCounterSection, direction);
  messageFace.TransferProfile(store, kMessageSection, direction);
}

void TimerAction::TransferChoices(ProfileStore& store, Transfer direction) {
  if (direction == Transfer::Load) {
    countdown.duration = static_cast<std::uint32_t>(store.GetInt(kRegistrySection, "Timer", 180000));
    flags = static_cast<std::uint32_t>(store.GetInt(kRegistrySection, "Flags", 3));
    wave = store.GetString(kRegistrySection, "Wave", "");
    soundTime.duration = static_cast<std::uint32_t>(store.GetInt(kRegistrySection, "WaveTime", 10000));
    app = store.GetString(kRegistrySection, "App", "");
    param = store.GetString(kRegistrySection, "Param", "");
  } else {
    store.WriteInt(kRegistrySection, "Timer", static_cast<std::int32_t>(countdown.duration));
    store.WriteInt(kRegistrySection, "Flags", static_cast<std::int32_t>(flags));
    store.WriteString(kRegistrySection, "Wave", wave);
    store.WriteInt(kRegistrySection, "WaveTime", static_cast<std::int32_t>(soundTime.duration));
    store.WriteString(kRegistrySection, "App", app);
    store.WriteString(kRegistrySection, "Param", param);
  }
}

void TimerAction::Load() {
  {
    IniProfileStore file;
    TransferFaces(file, Transfer::Load);
  }
  RegistryProfileStore registry("", HKEY_CURRENT_USER);
  TransferChoices(registry, Transfer::Load);
}

IniProfileStore::SaveOutcome TimerAction::SaveFaces() {
  IniProfileStore file;
  TransferFaces(file, Transfer::Save);
  return file.Save();
}

void TimerAction::SaveChoices() {
  RegistryProfileStore registry("", HKEY_CURRENT_USER);
  TransferChoices(registry, Transfer::Save);
}
