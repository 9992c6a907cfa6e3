// Holds a file open without sharing, as another program can, so that tests can offer a file
// that cannot be read: opens FILE, creates FILE.held, and keeps FILE open until FILE.held is
// deleted (at most 60 seconds).
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string file = argv[1];
  const std::string marker = file + ".held";
  HANDLE held = ::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 1;
  HANDLE created = ::CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (created != INVALID_HANDLE_VALUE) ::CloseHandle(created);
  for (int i = 0; i < 600 && ::GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) ::Sleep(100);
  ::CloseHandle(held);
  return 0;
}
