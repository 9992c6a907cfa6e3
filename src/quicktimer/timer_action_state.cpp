#include "quicktimer/timer_action_state.h"

bool TimerActionState::Step(std::uint32_t now, ActionHost& host) {
  if (countdown.IsExpired(now)) StepExpired(now, host);
  else StepCounting(host);
  return flags != 0;
}

void TimerActionState::StepExpired(std::uint32_t now, ActionHost& host) {
  // Actions in their fixed order: counter window, message window, sound, application.
  if (flags & kCounterWindow) {
    if (host.IsWindowShown(ActionHost::kCounter)) {
      host.FlashWindow(ActionHost::kCounter);
    } else {
      host.CloseWindow(ActionHost::kCounter);
      flags &= ~kCounterWindow;
    }
  }
  if (flags & kMessageWindow) {
    host.OpenWindow(ActionHost::kMessage);
    if (host.IsWindowShown(ActionHost::kMessage)) {
      host.FlashWindow(ActionHost::kMessage);
    } else {
      host.CloseWindow(ActionHost::kMessage);
      flags &= ~kMessageWindow;
    }
  }
  if (flags & kPlaySound) {
    if (!soundTime.IsStarted()) {
      // 0 means "not started": a sound begun at tick 0 is dated one millisecond later.
      soundTime.start = now != 0 ? now : 1;
      host.StartSound(wave);
      soundPlaying_ = true;
    } else if (soundTime.IsExpired(now)) {
      host.StopSound();
      soundPlaying_ = false;
      flags &= ~kPlaySound;
    }
  } else if (soundPlaying_) {
    // The sound action was switched off while the sound loops: it ends now, not never.
    host.StopSound();
    soundPlaying_ = false;
  }
  if (flags & kExecuteApplication) {
    host.StartApplication(app, param);
    flags &= ~kExecuteApplication;
  }
}

void TimerActionState::StepCounting(ActionHost& host) {
  if (flags & kCounterWindow) {
    if (!host.HasWindow(ActionHost::kCounter)) host.OpenWindow(ActionHost::kCounter);
    if (host.IsWindowShown(ActionHost::kCounter)) {
      host.RefreshCounter();
    } else {
      host.CloseWindow(ActionHost::kCounter);
      flags &= ~kCounterWindow;
    }
  } else {
    host.CloseWindow(ActionHost::kCounter);
  }
}

void TimerActionState::End(ActionHost& host) {
  if (soundPlaying_) {
    host.StopSound();
    soundPlaying_ = false;
  }
  host.CloseWindow(ActionHost::kCounter);
  host.CloseWindow(ActionHost::kMessage);
}
