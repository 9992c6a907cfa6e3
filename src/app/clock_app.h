// The application object: prepares the process and runs the clock window.
#pragma once

class ClockApp {
 public:
  // Runs the whole application; returns false, as there is no message loop after it.
  bool InitInstance();
};
