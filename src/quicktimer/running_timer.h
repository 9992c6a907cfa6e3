// A started QuickTimer: a copy of its settings, stepped at every poll, and the
// counter and message windows it opens, which it alone owns.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "quicktimer/action_host.h"
#include "quicktimer/counter_window.h"
#include "quicktimer/timer_action.h"

class RunningTimer : private ActionHost {
 public:
  // Counts `settings` down from tick `start`; neither face starts inverted.
  RunningTimer(const TimerAction& settings, std::uint32_t start);
  // Closes the windows that are still open and stops a sound that still plays.
  ~RunningTimer() override;
  RunningTimer(const RunningTimer&) = delete;
  RunningTimer& operator=(const RunningTimer&) = delete;

  // One tick at the current tick count, or at `now`; true while any action is left.
  bool Step();
  bool Step(std::uint32_t now);

  // What this QuickTimer has to tell the user since it was last asked: that its
  // time is up (once), and why its program did not start. The poll collects it
  // and the clock tells it afterwards, never from inside a tick.
  struct News {
    bool timeUp = false;
    std::string failure;  // the message for a program that did not start
  };
  News TakeNews() { return std::exchange(news_, News{}); }
  // Which QuickTimer this is, for the user: its minutes and the time it was started.
  const std::string& description() const { return description_; }

  // The blink of a window whose time is up (true: drawn inverted now).
  bool blink(WindowKind kind) const { return blink_[kind]; }
  // Stops the sound and closes both windows; their places stay in the faces.
  void End() { action.End(*this); }
  // True while one of its windows runs one of its own handlers (a menu, a
  // dialog): the record must not be deleted before that has returned.
  bool InHandler() const;

  HWND windowHandle(WindowKind kind) const { return windows_[kind] ? windows_[kind]->hwnd() : nullptr; }

  // Starts `app` with the command line `param`, waits at most `idleWaitMs` for it
  // to be ready for input and lets it run; false when it could not be started.
  static bool ExecuteApplication(const std::string& app, const std::string& param, DWORD idleWaitMs = kIdleWaitMs);
  static constexpr DWORD kIdleWaitMs = 3000;

  TimerAction action;

 private:
  ClockFace& FaceOf(WindowKind kind);

  bool HasWindow(WindowKind kind) override;
  bool IsWindowShown(WindowKind kind) override;
  void OpenWindow(WindowKind kind) override;
  void RefreshCounter() override;
  void FlashWindow(WindowKind kind) override;
  void CloseWindow(WindowKind kind) override;
  void StartSound(const std::string& wave) override;
  void StopSound() override;
  bool StartApplication(const std::string& app, const std::string& param) override;

  std::unique_ptr<CounterWindow> windows_[2];
  bool blink_[2] = {false, false};
  bool expired_ = false;
  News news_;
  std::string description_;
};
