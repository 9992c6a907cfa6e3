// The QuickTimer dialog: the time in minutes, the actions and their paths and
// the look of the two windows; "Start" hands its record to the clock window.
// The choices are stored only by "Start"; the windows' faces whichever way the
// dialog ends, since they are the windows' and not a choice of this start.
#pragma once

#include <windows.h>

#include <string>

#include "quicktimer/timer_action.h"
#include "win/dialog.h"

class QuickTimerDialog : public Dialog {
 public:
  // Loads the record: the faces from the settings file, the rest from the registry.
  QuickTimerDialog();

  TimerAction& settings() { return settings_; }

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;

 private:
  // Controls to fields; false (with the message shown) when a text is too long.
  bool TakeControls();
  void PutControls();
  void ApplyEnablingRule();
  void Browse(int editId, std::string& path, const char* extension, const char* filter);
  void EditFace(ClockFace& face);
  std::string ItemText(int id) const;

  TimerAction settings_;
  std::string minutesText_;
  std::string secondsText_ = "10";
  bool counter_ = false;
  bool message_ = false;
  bool sound_ = false;
  bool execute_ = false;
};
