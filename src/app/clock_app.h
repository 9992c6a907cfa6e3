// The application object: prepares the process and runs the clock window.
#pragma once

class ClockApp {
 public:
  // Prepares the process and runs the clock window until it ends.
  void InitInstance();
};
