// The one owner of when the settings file is written, on the user-interface thread. What
// changes a setting tells it which part changed and how the change came; it decides when
// the file is written:
// - a user's explicit change (a dialog's OK, a menu toggle): at once;
// - a change that comes with others (launcher items added by the dozen, QuickTimers that end
//   in the same poll): once, from a message posted to the clock, never inside a poll;
// - a change of the window itself (moved, sized, topmost): with the next save, at the latest
//   when the program loses the activation;
// - the end of the session: always.
// Every save is one store of the file: the clock's sections ("Settings", "Adjust", "Exec"
// through the clock's transfer) and, when a QuickTimer handed its faces, "QuickTimerDlg" and
// "QuickTimerMsg". The store writes only what changed the text. A save that fails is told once
// per run (SettingsSaveMessage).
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

#include "quicktimer/timer_action.h"
#include "storage/profile_store.h"

class SettingsKeeper {
 public:
  // The parts of the settings a change is told for.
  enum Section : unsigned {
    kClockFace = 1,         // the clock's face, its place and options ("Settings")
    kTimeAdjust = 2,        // "Adjust" and its options
    kLauncherGroups = 4,    // "Exec"
    kQuickTimerFaces = 8,   // "QuickTimerDlg", "QuickTimerMsg"
  };
  enum class When {
    kNow,    // the user asked for it: written before this returns
    kSoon,   // written once, when the posted kSaveMessage comes back
    kLater,  // with the next save
  };
  // Posted to the clock by a kSoon change; the clock hands it to OnSaveMessage.
  static constexpr UINT kSaveMessage = WM_APP + 0x5B;

  // `clockSections` writes the clock's own sections into the store of a save.
  explicit SettingsKeeper(std::function<void(ProfileStore&)> clockSections);

  // The clock: where kSaveMessage goes and who owns the message of a failed save.
  void Attach(HWND clock) { clock_ = clock; }

  void Changed(unsigned sections, When when);
  // A QuickTimer's faces to store (the last one handed wins, as the last of several writes did).
  // `askedBy` is the dialog where the user changed them: written now, a failure told over it;
  // nullptr (a QuickTimer that ended): soon.
  bool QuickTimerFacesChanged(const TimerAction& faces, HWND askedBy);

  // Writes everything now; false when the file could not be written.
  bool Save(HWND tellOwner = nullptr);
  // The last save (the window goes, the session ends): written before this returns even from
  // inside the loop of a failed save's message, as the process may be ended right after.
  bool SaveAtEnd();
  // The posted kSaveMessage: the changes told since are written, once.
  void OnSaveMessage();
  // Written if anything was told and not yet saved (before a dialog reads the file).
  void SavePending();

  // What was told and is not written yet (Section bits).
  unsigned pending() const { return pending_; }
  // How many saves had something new to write (a save with nothing new leaves the file alone).
  int writes() const { return writes_; }

 private:
  std::function<void(ProfileStore&)> clockSections_;
  HWND clock_ = nullptr;
  unsigned pending_ = 0;
  bool posted_ = false;
  bool saving_ = false;
  bool telling_ = false;  // the failure's message is open: its save has written already
  bool again_ = false;    // asked for while saving
  int writes_ = 0;
  std::optional<TimerAction> quickTimerFaces_;
};
