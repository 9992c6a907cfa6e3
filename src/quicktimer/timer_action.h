// One QuickTimer's settings as a value: its action flags, countdown, sound and
// program, and the faces of its counter and message windows. A started
// QuickTimer runs a copy of it (RunningTimer).
#pragma once

#include <windows.h>

#include <functional>

#include "face/clock_face.h"
#include "face/countdown_face.h"
#include "quicktimer/timer_action_state.h"
#include "storage/ini_profile_store.h"
#include "storage/profile_store.h"

class TimerAction : public TimerActionState {
 public:
  // No flags, zero countdowns; the counter face shows string 119, the message
  // face string 120 in red. Until a place is stored for them, the two windows
  // open beside the clock, each large enough for its text.
  TimerAction();

  // The two faces as display key sets in "QuickTimerDlg" and "QuickTimerMsg"
  // (the settings file).
  void TransferFaces(ProfileStore& store, Transfer direction);
  // "Timer", "Flags", "Wave", "WaveTime", "App", "Param" in "QuickTimer" (the registry).
  void TransferChoices(ProfileStore& store, Transfer direction);

  // The faces from the settings file and the choices from the registry.
  void Load();
  // The faces into the settings file. Shows nothing: the caller tells a failure
  // where a message box may be shown.
  IniProfileStore::SaveOutcome SaveFaces();
  // The choices into the registry.
  void SaveChoices();

  CountdownFace counterFace;
  ClockFace messageFace;

 private:
  void PlaceNewWindows();
};

// Who is handed a QuickTimer's faces to store them (the clock's settings keeper): `askedBy` is
// the dialog where the user changed them (written at once, a failure told over it), nullptr for
// a QuickTimer that ended (written with the next save). False when a save made now failed.
using FacesKeeper = std::function<bool(const TimerAction& faces, HWND askedBy)>;
