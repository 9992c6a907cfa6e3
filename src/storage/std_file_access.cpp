#include "storage/std_file_access.h"

#include "storage/device_path.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
using StatBuffer = struct _stat64;
// The C runtime finds no folder named with a trailing separator ("C:\\x\\"), except a drive's root.
int StatOf(const std::string& path, StatBuffer& info) {
  std::string name = path;
  while (name.size() > 3 && (name.back() == '\\' || name.back() == '/')) name.pop_back();
  return ::_stat64(name.c_str(), &info);
}
int StatOf(int fd, StatBuffer& info) { return ::_fstat64(fd, &info); }
int OpenFd(const std::string& path, int flags) { return ::_open(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE); }
int CloseFd(int fd) { return ::_close(fd); }
long long ReadFd(int fd, void* buffer, std::size_t size) { return ::_read(fd, buffer, static_cast<unsigned>(size)); }
long long WriteFd(int fd, const void* data, std::size_t size) { return ::_write(fd, data, static_cast<unsigned>(size)); }
long long SeekFd(int fd, long long offset, int whence) { return ::_lseeki64(fd, offset, whence); }
int TruncateFd(int fd, long long size) { return ::_chsize_s(fd, size) == 0 ? 0 : -1; }
int SyncFd(int fd) { return ::_commit(fd); }
bool IsFile(const StatBuffer& info) { return (info.st_mode & _S_IFMT) == _S_IFREG; }
bool IsDirectory(const StatBuffer& info) { return (info.st_mode & _S_IFMT) == _S_IFDIR; }
bool Writable(const StatBuffer& info) { return (info.st_mode & _S_IWRITE) != 0; }
constexpr std::size_t kMostPerCall = INT_MAX;
#else
using StatBuffer = struct stat;
int StatOf(const std::string& path, StatBuffer& info) { return ::stat(path.c_str(), &info); }
int StatOf(int fd, StatBuffer& info) { return ::fstat(fd, &info); }
int OpenFd(const std::string& path, int flags) { return ::open(path.c_str(), flags | O_CLOEXEC, 0666); }
int CloseFd(int fd) { return ::close(fd); }
long long ReadFd(int fd, void* buffer, std::size_t size) { return ::read(fd, buffer, size); }
long long WriteFd(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
long long SeekFd(int fd, long long offset, int whence) { return ::lseek(fd, offset, whence); }
int TruncateFd(int fd, long long size) { return ::ftruncate(fd, size); }
int SyncFd(int fd) { return ::fsync(fd); }
bool IsFile(const StatBuffer& info) { return S_ISREG(info.st_mode); }
bool IsDirectory(const StatBuffer& info) { return S_ISDIR(info.st_mode); }
bool Writable(const StatBuffer& info) { return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0; }
constexpr std::size_t kMostPerCall = 1u << 30;

// Puts a rename in the folder on the disk as well.
void SyncFolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
#endif

bool Failed(FileError& error, int code = errno) {
  error = StdFileAccess::ErrorFor(code);
  return false;
}

class DescriptorFile : public FileAccess::File {
 public:
  explicit DescriptorFile(int fd) : fd_(fd) {}
  ~DescriptorFile() override {
    if (fd_ >= 0) CloseFd(fd_);
  }

  bool Read(void* buffer, std::size_t size, std::size_t& got, FileError& error) override {
    got = 0;
    for (;;) {
      const long long n = ReadFd(fd_, buffer, size < kMostPerCall ? size : kMostPerCall);
      if (n >= 0) {
        got = static_cast<std::size_t>(n);
        return true;
      }
      if (errno != EINTR) return Failed(error);
    }
  }

  bool Write(const void* data, std::size_t size, FileError& error) override {
    const auto* p = static_cast<const unsigned char*>(data);
    while (size > 0) {
      const long long n = WriteFd(fd_, p, size < kMostPerCall ? size : kMostPerCall);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Failed(error, n < 0 ? errno : ENOSPC);
      p += n;
      size -= static_cast<std::size_t>(n);
      written_ += static_cast<unsigned long long>(n);
    }
#ifdef __linux__
    // A large file goes to the disk while the rest is still being made, rather than all of it
    // at Commit's fsync.
    if (written_ - started_ >= kWriteBehind) {
      ::sync_file_range(fd_, static_cast<off_t>(started_), static_cast<off_t>(written_ - started_), SYNC_FILE_RANGE_WRITE);
      started_ = written_;
    }
#endif
    return true;
  }

  bool Size(std::uint64_t& size, FileError& error) override {
    StatBuffer info{};
    if (StatOf(fd_, info) != 0) return Failed(error);
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
  }

  bool Seek(std::uint64_t offset, FileError& error) override {
    if (SeekFd(fd_, static_cast<long long>(offset), SEEK_SET) < 0) return Failed(error);
    written_ = started_ = offset;
    return true;
  }

  bool Commit(FileError& error) override {
    const long long end = SeekFd(fd_, 0, SEEK_CUR);
    bool ok = end >= 0 || Failed(error);
    ok = ok && (TruncateFd(fd_, end) == 0 || Failed(error));
    ok = ok && (SyncFd(fd_) == 0 || Failed(error));
    const int fd = fd_;
    fd_ = -1;
    if (CloseFd(fd) != 0 && ok) ok = Failed(error);
    return ok;
  }

 private:
  static constexpr unsigned long long kWriteBehind = 8u << 20;
  int fd_;
  unsigned long long written_ = 0;  // where the next write goes
  unsigned long long started_ = 0;  // up to where writing to the disk was started
};

std::unique_ptr<FileAccess::File> OpenWith(const std::string& path, int flags, bool forReading, FileError& error) {
#ifdef _WIN32
  // A device (CON, NUL.txt, COM1, ...) is never opened: it would be the device, not a file.
  if (DevicePath::NamesDevice(path)) {
    Failed(error, EINVAL);
    return nullptr;
  }
#endif
  StatBuffer info{};
  // A directory or a device is never taken for a file (and a pipe would block the open).
  if (forReading && StatOf(path, info) == 0 && !IsFile(info)) {
    Failed(error, IsDirectory(info) ? EISDIR : EINVAL);
    return nullptr;
  }
  const int fd = OpenFd(path, flags);
  if (fd < 0) {
    const int code = errno;
    Failed(error, code == EACCES && StatOf(path, info) == 0 && IsDirectory(info) ? EISDIR : code);
    return nullptr;
  }
  if (StatOf(fd, info) != 0 || !IsFile(info)) {
    const int code = IsDirectory(info) ? EISDIR : EINVAL;
    CloseFd(fd);
    Failed(error, code);
    return nullptr;
  }
  return std::make_unique<DescriptorFile>(fd);
}

}  // namespace

StdFileAccess& StdFileAccess::Instance() {
  static StdFileAccess instance;
  return instance;
}

FileError StdFileAccess::ErrorFor(int code) {
  FileError error;
  error.code = code;
  error.message = std::strerror(code);
  error.denied = code == EACCES || code == EPERM || code == EROFS;
#ifdef _WIN32
  error.passing = code == EACCES;  // the C runtime's name for a sharing violation too
#else
  error.passing = code == EBUSY || code == ETXTBSY;
#endif
  return error;
}

FileAccess::Kind StdFileAccess::KindOf(const std::string& path) {
  StatBuffer info{};
  if (StatOf(path, info) != 0) return (errno == ENOENT || errno == ENOTDIR) ? Kind::Missing : Kind::Other;
  if (IsFile(info)) return Kind::File;
  return IsDirectory(info) ? Kind::Directory : Kind::Other;
}

bool StdFileAccess::IsReadOnly(const std::string& path) {
  StatBuffer info{};
  return StatOf(path, info) == 0 && IsFile(info) && !Writable(info);
}

std::unique_ptr<FileAccess::File> StdFileAccess::OpenRead(const std::string& path, FileError& error) {
  return OpenWith(path, O_RDONLY, true, error);
}

std::unique_ptr<FileAccess::File> StdFileAccess::CreateNew(const std::string& path, FileError& error) {
  return OpenWith(path, O_WRONLY | O_CREAT | O_EXCL, false, error);
}

std::unique_ptr<FileAccess::File> StdFileAccess::OpenExisting(const std::string& path, FileError& error) {
  return OpenWith(path, O_WRONLY, false, error);
}

bool StdFileAccess::Move(const std::string& from, const std::string& to, bool replace, FileError& error) {
#ifdef _WIN32
  if (!replace) return std::rename(from.c_str(), to.c_str()) == 0 || Failed(error);
  // MoveFileEx with MOVEFILE_REPLACE_EXISTING underneath.
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  if (!ec) return true;
  error.code = ec.value();
  error.message = ec.message();
  error.denied = error.passing = ec == std::errc::permission_denied;
  return false;
#else
  if (replace) {
    // The new file takes the place, and the permissions, of the old one.
    StatBuffer old{};
    if (StatOf(to, old) == 0 && IsFile(old)) ::chmod(from.c_str(), old.st_mode & 07777);
    if (std::rename(from.c_str(), to.c_str()) != 0) return Failed(error);
  } else if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return Failed(error);
    // A file system without RENAME_NOREPLACE: a hard link fails just as well when `to` exists.
    if (::link(from.c_str(), to.c_str()) != 0) return Failed(error);
    ::unlink(from.c_str());
  }
  SyncFolderOf(to);
  return true;
#endif
}

bool StdFileAccess::Remove(const std::string& path, FileError& error) {
  StatBuffer info{};
  if (StatOf(path, info) == 0 && IsDirectory(info)) return Failed(error, EISDIR);
#ifdef _WIN32
  return ::_unlink(path.c_str()) == 0 || Failed(error);
#else
  return ::unlink(path.c_str()) == 0 || Failed(error);
#endif
}

std::string StdFileAccess::ResolveLinks(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
  const fs::path target = fs::canonical(path, ec);
  if (!ec) return fs::is_regular_file(target, ec) ? target.string() : path;
  // A link whose file is not there yet: followed to its end, so that a save makes the file
  // there and the link stays one (a loop, or a missing folder, leaves the name as it is).
  fs::path at(path);
  for (int depth = 0; depth < 40; ++depth) {
    const fs::file_status status = fs::symlink_status(at, ec);
    if (fs::is_symlink(status)) {
      const fs::path to = fs::read_symlink(at, ec);
      if (ec) return path;
      at = to.is_absolute() ? to : at.parent_path() / to;
      continue;
    }
    if (status.type() != fs::file_type::not_found) return path;
    const fs::path folder = at.parent_path().empty() ? fs::path(".") : at.parent_path();
    return fs::is_directory(folder, ec) ? at.string() : path;
  }
  return path;
}

bool StdFileAccess::CreateFolders(const std::string& path, FileError& error) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (KindOf(path) == Kind::Directory) return true;
  if (!ec) return Failed(error, ENOTDIR);
  error.code = ec.value();
  error.message = ec.message();
  error.denied = ec == std::errc::permission_denied || ec == std::errc::read_only_file_system;
  return false;
}

bool StdFileAccess::IdentityOf(const std::string& path, FileIdentity& identity) {
#ifdef _WIN32
  (void)path;
  (void)identity;
  return false;
#else
  StatBuffer info{};
  if (StatOf(path, info) != 0) return false;
  identity.volume = static_cast<std::uint64_t>(info.st_dev);
  identity.index = static_cast<std::uint64_t>(info.st_ino);
  return true;
#endif
}

bool StdFileAccess::StampOf(const std::string& path, FileStamp& stamp) {
  StatBuffer info{};
  if (StatOf(path, info) != 0) return false;
#if defined(_WIN32) || defined(__APPLE__)
  stamp.written = static_cast<std::uint64_t>(info.st_mtime);
#else
  stamp.written = static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u + static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
#endif
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  return true;
}
