#include "storage/win32_file_access.h"

#include <windows.h>

#include <algorithm>

#include "storage/device_path.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

namespace {

// ERROR_DIRECTORY_NOT_SUPPORTED, which the headers here do not name.
constexpr DWORD kNotForDirectories = 336;

bool Failed(FileError& error, DWORD code = ::GetLastError()) {
  error = Win32FileAccess::ErrorFor(code);
  return false;
}

class HandleFile : public FileAccess::File {
 public:
  explicit HandleFile(FileHandle handle) : handle_(std::move(handle)) {}

  bool Read(void* buffer, std::size_t size, std::size_t& got, FileError& error) override {
    DWORD n = 0;
    got = 0;
    if (!::ReadFile(handle_.get(), buffer, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &n, nullptr))
      return Failed(error);
    got = n;
    return true;
  }

  bool Write(const void* data, std::size_t size, FileError& error) override {
    const auto* p = static_cast<const BYTE*>(data);
    while (size > 0) {
      DWORD wrote = 0;
      if (!::WriteFile(handle_.get(), p, static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30)), &wrote, nullptr))
        return Failed(error);
      if (wrote == 0) return Failed(error, ERROR_DISK_FULL);
      p += wrote;
      size -= wrote;
    }
    return true;
  }

  bool Size(std::uint64_t& size, FileError& error) override {
    LARGE_INTEGER value{};
    if (!::GetFileSizeEx(handle_.get(), &value)) return Failed(error);
    size = static_cast<std::uint64_t>(value.QuadPart);
    return true;
  }

  bool Seek(std::uint64_t offset, FileError& error) override {
    LARGE_INTEGER to{};
    to.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(handle_.get(), to, nullptr, FILE_BEGIN) || Failed(error);
  }

  bool Commit(FileError& error) override {
    bool ok = ::SetEndOfFile(handle_.get()) || Failed(error);
    ok = ok && (::FlushFileBuffers(handle_.get()) || Failed(error));
    const HANDLE h = handle_.release();
    if (!::CloseHandle(h) && ok) ok = Failed(error);
    return ok;
  }

 private:
  FileHandle handle_;
};

std::unique_ptr<FileAccess::File> Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                                       FileError& error) {
  // A device (CON, NUL.txt, COM1, ...) is never opened: it would be the device, not a file.
  if (DevicePath::NamesDevice(path)) {
    Failed(error, ERROR_INVALID_NAME);
    return nullptr;
  }
  // A directory is never opened as a file (without FILE_FLAG_BACKUP_SEMANTICS it fails anyway,
  // with a less telling "access denied").
  const DWORD attributes = ::GetFileAttributesW(WideText::From(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      disposition != CREATE_NEW) {
    Failed(error, kNotForDirectories);
    return nullptr;
  }
  FileHandle handle(::CreateFileW(WideText::From(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    Failed(error);
    return nullptr;
  }
  if (::GetFileType(handle.get()) != FILE_TYPE_DISK) {
    Failed(error, ERROR_INVALID_FUNCTION);
    return nullptr;
  }
  return std::make_unique<HandleFile>(std::move(handle));
}

}  // namespace

Win32FileAccess& Win32FileAccess::Instance() {
  static Win32FileAccess instance;
  return instance;
}

FileError Win32FileAccess::ErrorFor(unsigned long code) {
  FileError error;
  error.code = static_cast<int>(code);
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (n > 0 && text != nullptr) {
    error.message = WideText::ToUtf8(std::wstring_view(text, n));
    while (!error.message.empty() && (error.message.back() == '\n' || error.message.back() == '\r' ||
                                      error.message.back() == ' ' || error.message.back() == '.'))
      error.message.pop_back();
  }
  if (text != nullptr) ::LocalFree(text);
  if (error.message.empty())
    error.message = code == kNotForDirectories ? "An operation is not supported on a directory"
                                               : "error " + std::to_string(code);
  error.denied = code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT || code == ERROR_NOT_SUPPORTED;
  // Another program (an antivirus, an indexer, a backup) has the file open for a moment.
  error.passing = code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED;
  return error;
}

FileAccess::Kind Win32FileAccess::KindOf(const std::string& path) {
  if (DevicePath::NamesDevice(path)) return Kind::Other;
  const DWORD attributes = ::GetFileAttributesW(WideText::From(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME)
               ? Kind::Missing
               : Kind::Other;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Kind::Directory;
  return (attributes & FILE_ATTRIBUTE_DEVICE) ? Kind::Other : Kind::File;
}

bool Win32FileAccess::IsReadOnly(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(WideText::From(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

std::unique_ptr<FileAccess::File> Win32FileAccess::OpenRead(const std::string& path, FileError& error) {
  return Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, error);
}

std::unique_ptr<FileAccess::File> Win32FileAccess::CreateNew(const std::string& path, FileError& error) {
  return Open(path, GENERIC_WRITE, 0, CREATE_NEW, error);
}

std::unique_ptr<FileAccess::File> Win32FileAccess::OpenExisting(const std::string& path, FileError& error) {
  return Open(path, GENERIC_WRITE, 0, OPEN_EXISTING, error);
}

bool Win32FileAccess::Move(const std::string& from, const std::string& to, bool replace, FileError& error) {
  if (DevicePath::NamesDevice(from) || DevicePath::NamesDevice(to)) return Failed(error, ERROR_INVALID_NAME);
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  return ::MoveFileExW(WideText::From(from).c_str(), WideText::From(to).c_str(), flags) || Failed(error);
}

bool Win32FileAccess::Remove(const std::string& path, FileError& error) {
  return ::DeleteFileW(WideText::From(path).c_str()) || Failed(error);
}

std::string Win32FileAccess::ResolveLinks(const std::string& path) {
  const std::wstring wide = WideText::From(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return path;
  // Opening follows the link to the end; the handle then tells where that is. (Not only for a
  // reparse point: under Wine a link of the host's file system shows no such attribute.)
  FileHandle handle(::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return path;
  std::wstring final(MAX_PATH, L'\0');
  DWORD n = ::GetFinalPathNameByHandleW(handle.get(), final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
  if (n >= final.size()) {
    final.resize(n + 1);
    n = ::GetFinalPathNameByHandleW(handle.get(), final.data(), static_cast<DWORD>(final.size()), FILE_NAME_NORMALIZED);
  }
  if (n == 0 || n >= final.size()) return path;
  final.resize(n);
  // "\\?\C:\..." and "\\?\UNC\server\..." as the paths everything else here takes.
  if (final.compare(0, 8, L"\\\\?\\UNC\\") == 0) final = L"\\\\" + final.substr(8);
  else if (final.compare(0, 4, L"\\\\?\\") == 0) final = final.substr(4);
  // The same file under the name given (another case, a short name): that name is kept.
  std::wstring full(MAX_PATH, L'\0');
  DWORD m = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (m >= full.size()) {
    full.resize(m + 1);
    m = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  full.resize(m < full.size() ? m : 0);
  if (::CompareStringOrdinal(full.c_str(), -1, final.c_str(), -1, TRUE) == CSTR_EQUAL) return path;
  wchar_t longFull[MAX_PATH * 4];
  const DWORD l = ::GetLongPathNameW(full.c_str(), longFull, MAX_PATH * 4);
  if (l > 0 && l < MAX_PATH * 4 && ::CompareStringOrdinal(longFull, -1, final.c_str(), -1, TRUE) == CSTR_EQUAL)
    return path;
  return WideText::ToUtf8(final);
}

bool Win32FileAccess::CreateFolders(const std::string& path, FileError& error) {
  if (KindOf(path) == Kind::Directory) return true;
  std::string folder = path;
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (folder.empty()) return Failed(error, ERROR_INVALID_NAME);
  const std::string parent = FolderOf(folder);
  // The root of a drive or a share always exists; everything below it is made from the top down.
  if (!parent.empty() && parent.size() < folder.size() && KindOf(parent) == Kind::Missing &&
      !CreateFolders(parent, error))
    return false;
  if (::CreateDirectoryW(WideText::From(folder).c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS) {
    if (KindOf(folder) == Kind::Directory) return true;
    return Failed(error, ERROR_DIRECTORY);
  }
  return Failed(error);
}

bool Win32FileAccess::IdentityOf(const std::string& path, FileIdentity& identity) {
  // No access asked for, every sharing allowed: a file another program holds is still told,
  // and a folder opens too (backup semantics).
  HANDLE file = ::CreateFileW(WideText::From(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = ::GetFileInformationByHandle(file, &info) != 0;
  ::CloseHandle(file);
  if (!ok) return false;
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  return true;
}

bool Win32FileAccess::StampOf(const std::string& path, FileStamp& stamp) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(WideText::From(path).c_str(), GetFileExInfoStandard, &data)) return false;
  stamp.written = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  stamp.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

bool Win32FileAccess::OpenElsewhere(const std::string& path) {
  HANDLE file = ::CreateFileW(WideText::From(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD code = ::GetLastError();
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
  }
  ::CloseHandle(file);
  return false;
}
