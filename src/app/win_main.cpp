#include <windows.h>

#include "app/clock_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  ClockApp app;
  app.InitInstance();
  return 0;
}
