#include "app/clock_app.h"

#include <windows.h>
#include <commctrl.h>

#include <clocale>

#include "app/clock_window.h"
#include "win/com_apartment.h"

void ClockApp::InitInstance() {
  // Before anything can reach ShellExecuteEx: the launcher's items and the elevated time adjustment.
  ComApartment com;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&controls);
  // Weekday and month names and the AM/PM text come out in the user's language.
  std::setlocale(LC_ALL, "");
  RegisterForRestart();
  {
    ClockWindow window;
    window.DoModal();
    Window::SetMainWindow(nullptr);
  }
}

HRESULT ClockApp::RegisterForRestart(RestartRegistration registration) {
  // No arguments: the clock starts as from its shortcut.
  return registration(nullptr, kRestartFlags);
}
