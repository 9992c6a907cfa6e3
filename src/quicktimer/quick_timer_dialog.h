// The QuickTimer dialog: the time in minutes, the actions and their paths and
// the look of the two windows; "Start" hands its record to the clock window.
// The choices are stored only by "Start"; a new look given to a window's face
// whichever way the dialog ends, since it is the window's and not a choice of
// this start.
#pragma once

#include <windows.h>

#include <string>

#include "quicktimer/timer_action.h"
#include "win/dialog.h"

class QuickTimerDialog : public Dialog {
 public:
  // Loads the record: the faces from the settings file, the rest from the registry. A new
  // look of a face is handed to `keeper` (the clock's keeper of the settings); without one it
  // is written to the settings file at once.
  explicit QuickTimerDialog(FacesKeeper keeper = {});

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
  void Browse(int editId, std::string& path, const wchar_t* extension, const wchar_t* filter);
  // True when the user confirmed a new look.
  bool EditFace(ClockFace& face);
  // Takes the faces as they are stored now (a QuickTimer that ended while the
  // dialog was open has saved where its windows were) and stores the look the
  // user gave them here; false when that could not be written.
  bool SaveFaces();

  TimerAction settings_;
  FacesKeeper facesKeeper_;
  std::string minutesText_;
  std::string secondsText_ = "10";
  bool counter_ = false;
  bool message_ = false;
  bool sound_ = false;
  bool execute_ = false;
  bool counterFaceEdited_ = false;
  bool messageFaceEdited_ = false;
};
