#include "launcher/encoded_file_access.h"

#include <cstdio>
#include <memory>

#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

bool EncodedFileAccess::ReadAll(const std::string& path, std::vector<std::uint8_t>& out) {
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) return false;
  out.clear();
  // Read in one piece when the size is known; a file that grows meanwhile is read on to its end.
  if (std::fseek(f.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(f.get());
    std::rewind(f.get());
    if (size > 0) {
      out.resize(static_cast<std::size_t>(size));
      out.resize(std::fread(out.data(), 1, out.size(), f.get()));
    }
  }
  std::uint8_t chunk[65536];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) out.insert(out.end(), chunk, chunk + got);
  return !std::ferror(f.get());
}

bool EncodedFileAccess::WriteAll(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FilePtr f(std::fopen(path.c_str(), "wb"));
  if (!f) return false;
  if (size > 0 && std::fwrite(data, 1, size, f.get()) != size) return false;
  if (std::fflush(f.get()) != 0) return false;
#ifdef _WIN32
  if (_commit(_fileno(f.get())) != 0) return false;
#else
  if (fsync(fileno(f.get())) != 0) return false;
#endif
  std::FILE* raw = f.release();
  return std::fclose(raw) == 0;
}

bool EncodedFileAccess::Replace(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) == 0) return true;
#ifdef _WIN32
  // The C runtime here will not rename onto an existing file: move the old one aside first and
  // put it back if the second step fails, so one of the two is always in place.
  if (!Exists(to)) return false;
  const std::string aside = to + ".old";
  std::remove(aside.c_str());
  if (std::rename(to.c_str(), aside.c_str()) != 0) return false;
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    std::rename(aside.c_str(), to.c_str());
    return false;
  }
  std::remove(aside.c_str());
  return true;
#else
  return false;
#endif
}

bool EncodedFileAccess::Remove(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool EncodedFileAccess::Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

EncodedFileAccess& DefaultEncodedFileAccess() {
  static EncodedFileAccess files;
  return files;
}
