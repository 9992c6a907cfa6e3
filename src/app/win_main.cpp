#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "app/clock_app.h"
#include "timesync/time_adjustment.h"
#include "win/module_path.h"
#include "win/wide_text.h"

namespace {

// "adjust ...": the clock's own run with administrator rights. It sets the clock and
// ends; no window, no clock.
bool IsAdjustment(const wchar_t* commandLine) {
  return commandLine != nullptr && std::wcsncmp(commandLine, L"adjust", 6) == 0 &&
         (commandLine[6] == L'\0' || commandLine[6] == L' ' || commandLine[6] == L'\t');
}

int RunAdjustment() {
  std::vector<std::string> arguments;
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    // The program's name and "adjust" go.
    for (int i = 2; i < count; ++i) arguments.push_back(WideText::ToUtf8(wide[i]));
    ::LocalFree(wide);
  }
  return RunAdjustmentOnly(arguments);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
  if (IsAdjustment(commandLine)) {
    // Elevated, in a folder the user may write to: before anything else, no DLL is
    // looked for there. A system that cannot promise it gets no elevated run.
    if (!ModulePath::SearchSystemFolderOnly()) return 1;
    return RunAdjustment();
  }
  ClockApp app;
  app.InitInstance();
  return 0;
}
