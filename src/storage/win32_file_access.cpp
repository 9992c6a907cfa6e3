#include "storage/win32_file_access.h"

#include <windows.h>

#include <algorithm>

namespace {

// INVALID_HANDLE_VALUE is the "no file" value of CreateFileA.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : handle_(h) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    const bool ok = !valid() || ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE handle_;
};

}  // namespace

Win32FileAccess& Win32FileAccess::Instance() {
  static Win32FileAccess instance;
  return instance;
}

FileAccess::ReadResult Win32FileAccess::ReadAll(const std::string& path, std::string& content) {
  content.clear();
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = ::GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? ReadResult::Missing
                                                                             : ReadResult::Failed;
  }
  char buffer[16384];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return ReadResult::Failed;
    if (got == 0) break;
    content.append(buffer, got);
  }
  return ReadResult::Ok;
}

bool Win32FileAccess::WriteAll(const std::string& path, std::string_view content) {
  FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
  if (!file.valid()) return false;
  std::size_t done = 0;
  while (done < content.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 20));
    DWORD wrote = 0;
    if (!::WriteFile(file.get(), content.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
    done += wrote;
  }
  if (!::FlushFileBuffers(file.get())) return false;
  return file.Close();
}

bool Win32FileAccess::Replace(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

bool Win32FileAccess::Remove(const std::string& path) { return ::DeleteFileA(path.c_str()) != FALSE; }
