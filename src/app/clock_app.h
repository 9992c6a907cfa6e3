// The application object: prepares the process and runs the clock window.
#pragma once

#include <windows.h>

class ClockApp {
 public:
  // Prepares the process and runs the clock window until it ends.
  void InitInstance();

  // The restart registration of a running clock (RegisterApplicationRestart's shape).
  using RestartRegistration = HRESULT(WINAPI*)(PCWSTR commandLine, DWORD flags);
  // An installer that closes the running clock through Restart Manager to replace its files
  // starts it again afterwards, without arguments. Not after a crash or a hang (a clock that
  // fails at start would come back again and again), nor after a reboot (the Startup shortcut,
  // when on, starts it then). Windows restarts only a clock that ran 60 seconds or more.
  static HRESULT RegisterForRestart(RestartRegistration registration = &::RegisterApplicationRestart);
  static constexpr DWORD kRestartFlags = RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT;
};
