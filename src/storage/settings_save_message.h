// Tells the user that the settings could not be saved: once per run, naming the file and the
// system's reason, so that a failing save is never silent and never nags at every save.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "storage/ini_profile_store.h"

class SettingsSaveMessage {
 public:
  // The process's own: "once per run" is once for it.
  static SettingsSaveMessage& Process();

  // Nothing for an Ok outcome. Otherwise, the first time only, a warning owned by `owner`:
  // the file is read-only (IDS_SETTINGS_READ_ONLY), or could not be written and why
  // (IDS_SETTINGS_NOT_SAVED). True when the message was shown.
  bool ShowOnce(const IniProfileStore::SaveOutcome& outcome, HWND owner);
  // The once-per-run turn of ShowOnce without the box, for a caller that must not show one where
  // it is (a timer, a poll) and tells Text(outcome) later: true when it is to be told.
  bool Claim(const IniProfileStore::SaveOutcome& outcome);
  // The first time only: the settings file at `path` is not single-byte text, so the defaults
  // are used and the file is left as it is (IDS_SETTINGS_FOREIGN). True when shown.
  bool ShowForeignTextOnce(const std::string& path, HWND owner);
  // From now on nothing is shown (the session ends: nothing may wait for the user).
  void Silence() { silenced_ = true; }
  // Starts "once" afresh, as a new run would (the tests run many clocks in one process).
  void Rearm() {
    silenced_ = false;
    saveShown_ = false;
    foreignShown_ = false;
  }

  // The message's text for an outcome that is not Ok (empty for Ok), in the resource set in effect.
  static std::string Text(const IniProfileStore::SaveOutcome& outcome);

 private:
  std::atomic<bool> silenced_{false};
  std::atomic<bool> saveShown_{false};
  std::atomic<bool> foreignShown_{false};
};
