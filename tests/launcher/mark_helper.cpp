// A program for the launcher's tests: leaves "<its name>.mark" in its working folder, holding
// the moment the process was created (FILETIME as a decimal number, so that tests can tell
// which of two was started first), then runs until "release" appears there (at most 60 seconds).
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  if (const auto slash = name.find_last_of("\\\\/"); slash != std::string::npos) name.erase(0, slash + 1);
  FILETIME created{}, exited{}, kernel{}, user{};
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  const unsigned long long when = (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
  if (std::FILE* mark = std::fopen((name + ".mark").c_str(), "w")) {
    std::fprintf(mark, "started %llu\n", when);
    std::fclose(mark);
  }
  for (int i = 0; i < 600; ++i) {
    if (::GetFileAttributesA("release") != INVALID_FILE_ATTRIBUTES) break;
    ::Sleep(100);
  }
  return 0;
}
