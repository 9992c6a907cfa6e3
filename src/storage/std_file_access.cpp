#include "storage/std_file_access.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

StdFileAccess& StdFileAccess::Instance() {
  static StdFileAccess instance;
  return instance;
}

FileAccess::ReadResult StdFileAccess::ReadAll(const std::string& path, std::string& content) {
  content.clear();
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    std::error_code ec;
    const bool missing = errno == ENOENT || !std::filesystem::exists(path, ec);
    return missing ? ReadResult::Missing : ReadResult::Failed;
  }
  char buffer[16384];
  bool failed = false;
  for (;;) {
    const std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
    content.append(buffer, n);
    if (n < sizeof buffer) {
      failed = std::ferror(f) != 0;
      break;
    }
  }
  std::fclose(f);
  return failed ? ReadResult::Failed : ReadResult::Ok;
}

bool StdFileAccess::WriteAll(const std::string& path, std::string_view content) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  ok = std::fflush(f) == 0 && ok;
#ifndef _WIN32
  ok = ::fsync(::fileno(f)) == 0 && ok;
#endif
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

bool StdFileAccess::Replace(const std::string& from, const std::string& to) {
  // On Windows this is MoveFileEx with MOVEFILE_REPLACE_EXISTING, elsewhere rename(2).
  std::error_code ec;
  std::filesystem::rename(from, to, ec);
  return !ec;
}

bool StdFileAccess::Remove(const std::string& path) {
  std::error_code ec;
  return std::filesystem::remove(path, ec) && !ec;
}
