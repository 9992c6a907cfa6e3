// A small program that a QuickTimer starts in the tests: it leaves a mark file
// (its command line) and ends; with "busy" it first stays for 20 seconds
// without ever reading input, so it never becomes idle.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const char* line = ::GetCommandLineA();
  char path[MAX_PATH] = "qt_helper.mark";
  // The last word of the command line names the mark file.
  if (const char* last = std::strrchr(line, ' ')) std::snprintf(path, sizeof path, "%s", last + 1);
  if (FILE* f = std::fopen(path, "w")) {
    std::fputs(line, f);
    std::fclose(f);
  }
  if (std::strstr(line, "busy") != nullptr) ::Sleep(20000);
  return 0;
}
