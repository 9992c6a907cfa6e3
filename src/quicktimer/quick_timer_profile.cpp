// Where a QuickTimer's settings live: the look and place of its two windows in
// the INI file, the time, actions and paths in the registry.
#include "quicktimer/timer_action.h"

#if __has_include("storage/ini_profile_store.h") && __has_include("storage/registry_profile_store.h")
#define VELTA_HAS_STORES 1
#include "storage/ini_profile_store.h"
#include "storage/registry_profile_store.h"
#endif

namespace {

constexpr char kCounterSection[] = "QuickTimerDlg";
constexpr char kMessageSection[] = "QuickTimerMsg";
constexpr char kRegistrySection[] = "QuickTimer";

}  // namespace

void TimerAction::TransferProfile(bool display, bool load) {
#ifdef VELTA_HAS_STORES
  if (display) {
    // One store per face, each written out before the next reads the file.
    counterFace.TransferProfile(kCounterSection, load ? 1 : 0);
    messageFace.TransferProfile(kMessageSection, load ? 1 : 0);
    return;
  }
  RegistryProfileStore store(nullptr, HKEY_CURRENT_USER);
  if (load) {
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
#else
  (void)kCounterSection;
  (void)kMessageSection;
  (void)kRegistrySection;
  // The stores have not arrived yet: first use defaults, nothing kept.
  if (load && !display) {
    countdown.duration = 180000;
    flags = 3;
    soundTime.duration = 10000;
  }
#endif
}
