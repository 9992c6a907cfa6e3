#include "storage/file_access.h"

#include <chrono>
#include <thread>

std::string FileAccess::FolderOf(const std::string& path) {
#ifdef _WIN32
  const std::size_t slash = path.find_last_of("\\/");
#else
  const std::size_t slash = path.find_last_of('/');
#endif
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileAccess::ResolveLinks(const std::string& path) { return path; }

void FileAccess::Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

bool FileAccess::IdentityOf(const std::string&, FileIdentity&) { return false; }

bool FileAccess::StampOf(const std::string&, FileStamp&) { return false; }

bool FileAccess::OpenElsewhere(const std::string&) { return false; }

bool FileAccess::SameFile(const std::string& a, const std::string& b) {
  FileIdentity first, second;
  return IdentityOf(a, first) && IdentityOf(b, second) && first == second;
}

bool FileAccess::ReadFully(File& file, void* buffer, std::size_t size, std::size_t& got, FileError& error) {
  got = 0;
  auto* p = static_cast<unsigned char*>(buffer);
  while (got < size) {
    std::size_t n = 0;
    if (!file.Read(p + got, size - got, n, error)) return false;
    if (n == 0) break;
    got += n;
  }
  return true;
}

FileAccess::ReadResult FileAccess::ReadAll(const std::string& path, std::string& content, FileError& error) {
  content.clear();
  const Kind kind = KindOf(path);
  if (kind == Kind::Missing) return ReadResult::Missing;
  std::unique_ptr<File> file = OpenRead(path, error);
  if (!file) return KindOf(path) == Kind::Missing ? ReadResult::Missing : ReadResult::Failed;
  char buffer[65536];
  for (;;) {
    std::size_t got = 0;
    if (!file->Read(buffer, sizeof buffer, got, error)) return ReadResult::Failed;
    if (got == 0) return ReadResult::Ok;
    content.append(buffer, got);
  }
}

FileAccess::ReadResult FileAccess::ReadAll(const std::string& path, std::string& content) {
  FileError ignored;
  return ReadAll(path, content, ignored);
}

bool FileAccess::MoveRetrying(const std::string& from, const std::string& to, bool replace, FileError& error) {
  for (const int pause : kRetryPauses) {
    error = FileError{};
    if (Move(from, to, replace, error)) return true;
    if (!error.passing) return false;
    Pause(pause);
  }
  error = FileError{};
  return Move(from, to, replace, error);
}
