// A program for the launcher's end-to-end test: leaves "<its name>.mark" in its working folder,
// then runs until "release" appears there (at most 60 seconds).
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name = path;
  if (const auto slash = name.find_last_of("\\\\/"); slash != std::string::npos) name.erase(0, slash + 1);
  if (std::FILE* mark = std::fopen((name + ".mark").c_str(), "w")) {
    std::fputs("started\n", mark);
    std::fclose(mark);
  }
  for (int i = 0; i < 600; ++i) {
    if (::GetFileAttributesA("release") != INVALID_FILE_ATTRIBUTES) break;
    ::Sleep(100);
  }
  return 0;
}
