// The application object: prepares the process and runs the clock window.
#pragma once

class ClockApp {
 public:
  // Company key under HKEY_CURRENT_USER\Software for the per-user settings.
  static constexpr const char* kRegistryKey = "Orvex's Applications";

  // Runs the whole application; returns false, as there is no message loop after it.
  bool InitInstance();
};
