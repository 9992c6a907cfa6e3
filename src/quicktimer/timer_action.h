// One QuickTimer: its countdown, its actions and the two windows it shows.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "face/clock_face.h"
#include "face/countdown_face.h"
#include "quicktimer/timer_action_state.h"

class CounterWindow;

class TimerAction : public TimerActionState, private ActionHost {
 public:
  // No windows, no flags, zero countdowns; the counter face shows string 119,
  // the message face string 120 in red.
  TimerAction();
  // Copies the settings; the copy has no windows and no sound of its own yet,
  // and its counter face counts its own countdown.
  TimerAction(const TimerAction& other);
  TimerAction& operator=(const TimerAction&) = delete;
  // Stops a sound that still plays, destroys the windows and saves both faces.
  ~TimerAction() override;

  // One tick at the current tick count; true while any action is left.
  bool Step();
  bool Step(std::uint32_t now) { return TimerActionState::Step(now, *this); }

  // display: the two faces in the INI file; otherwise the "QuickTimer" keys in the registry.
  void TransferProfile(bool display, bool load);

  // Starts `app` with the command line `param`, waits at most `idleWaitMs` for it
  // to be ready for input and lets it run; false when it could not be started.
  static bool ExecuteApplication(const std::string& app, const std::string& param, DWORD idleWaitMs = kIdleWaitMs);
  static constexpr DWORD kIdleWaitMs = 3000;

  CounterWindow* counterWindow() const { return windows_[kCounter].object; }
  CounterWindow* messageWindow() const { return windows_[kMessage].object; }
  HWND windowHandle(WindowKind kind) const { return windows_[kind].handle; }

  CountdownFace counterFace;
  ClockFace messageFace;

 private:
  struct OwnedWindow {
    CounterWindow* object = nullptr;
    HWND handle = nullptr;  // kept apart: the object deletes itself when its window goes
  };

  ClockFace& FaceOf(WindowKind kind) { return kind == kCounter ? static_cast<ClockFace&>(counterFace) : messageFace; }
  // The window's object, or none when its native window has gone meanwhile.
  CounterWindow* Live(WindowKind kind);

  bool HasWindow(WindowKind kind) override;
  bool IsWindowShown(WindowKind kind) override;
  void OpenWindow(WindowKind kind) override;
  void RefreshCounter() override;
  void FlashWindow(WindowKind kind) override;
  void CloseWindow(WindowKind kind) override;
  void StartSound(const std::string& wave) override;
  void StopSound() override;
  bool StartApplication(const std::string& app, const std::string& param) override;

  OwnedWindow windows_[2];
};
