// The portable part of one QuickTimer: its action flags, countdown, sound time
// and paths, and the tick that decides what each action does.
#pragma once

#include <cstdint>
#include <string>

#include "quicktimer/action_host.h"
#include "face/tick_countdown.h"

class TimerActionState {
 public:
  enum Flag : std::uint32_t {
    kCounterWindow = 0x1,
    kMessageWindow = 0x2,
    kPlaySound = 0x4,
    kExecuteApplication = 0x8,
  };

  virtual ~TimerActionState() = default;

  // One 500 ms tick at tick count `now`; true while any flag is left.
  bool Step(std::uint32_t now, ActionHost& host);
  // The end of the entry: stops its sound if it still plays and closes its windows.
  void End(ActionHost& host);

  bool IsSoundPlaying() const { return soundPlaying_; }

  std::uint32_t flags = 0;  // other bits than the four are kept as they are
  TickCountdown countdown;
  std::string wave;
  TickCountdown soundTime;  // duration = play time; start = when the sound began
  std::string app;
  std::string param;

 private:
  void StepExpired(std::uint32_t now, ActionHost& host);
  void StepCounting(ActionHost& host);

  // Started and not stopped since: the sound loops until someone stops it.
  bool soundPlaying_ = false;
};
