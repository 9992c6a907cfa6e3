// Tells a window about changes of its session (lock, unlock) with
// WM_WTSSESSION_CHANGE. The functions come from wtsapi32, looked up by name;
// without them nothing is registered and nothing is reported.
#pragma once

#include <windows.h>

class SessionNotification {
 public:
  SessionNotification() = default;
  ~SessionNotification() { Unregister(); }
  SessionNotification(const SessionNotification&) = delete;
  SessionNotification& operator=(const SessionNotification&) = delete;

  // False when the system offers no session notifications.
  bool Register(HWND window);
  // Before the window goes.
  void Unregister();

 private:
  HWND window_ = nullptr;
};
