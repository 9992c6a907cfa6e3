// A program for the launcher's tests that hands a document on, as a starter does: started with
// a document, it starts a copy of itself with "--hold" and the document and ends as soon as that
// copy has the document open. The holder keeps the document open without sharing write or delete
// (so it cannot be encoded or deleted meanwhile), leaving "<document>.held" beside it; once
// "release" appears in the document's folder (at most 60 seconds) it appends an edit and ends.
#include <windows.h>

#include <cstring>
#include <string>

namespace {

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int Hold(const std::string& document) {
  HANDLE file = ::CreateFileA(document.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  HANDLE mark = ::CreateFileA((document + ".held").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (mark != INVALID_HANDLE_VALUE) ::CloseHandle(mark);
  const std::string release = FolderOf(document) + "release";
  for (int i = 0; i < 600 && !Exists(release); ++i) ::Sleep(100);
  static const char kEdit[] = "edited by the holder\r\n";
  DWORD written = 0;
  ::SetFilePointer(file, 0, nullptr, FILE_END);
  ::WriteFile(file, kEdit, sizeof kEdit - 1, &written, nullptr);
  ::CloseHandle(file);
  return 0;
}

int HandOn(const std::string& document) {
  char self[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = "\"" + std::string(self) + "\" --hold \"" + document + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return 1;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  for (int i = 0; i < 200 && !Exists(document + ".held"); ++i) ::Sleep(50);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc == 3 && std::strcmp(__argv[1], "--hold") == 0) return Hold(__argv[2]);
  if (__argc == 2) return HandOn(__argv[1]);
  return 1;
}
