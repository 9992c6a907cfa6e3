#include <windows.h>

#include "app/clock_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  ClockApp app;
  app.InitInstance();
  return 0;
}
