#include "cli/cli_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "cli/cli_args.h"
#include "storage/std_file_access.h"

#ifdef _WIN32
#include <cstring>

#include "launcher/launcher_add_dialog.h"
#include "storage/win32_file_access.h"
#endif

FileAccess& CliFiles::Files() {
#ifdef _WIN32
  return Win32FileAccess::Instance();
#else
  return StdFileAccess::Instance();
#endif
}

LeadBytePredicate CliFiles::LeadByte() {
#ifdef _WIN32
  return AnsiLeadByte;
#else
  return nullptr;
#endif
}

std::string CliFiles::FullPath(const std::string& path) {
#ifdef _WIN32
  char buffer[1024];
  if (_fullpath(buffer, path.c_str(), sizeof buffer)) return buffer;
#else
  // The folder resolved, the name kept: a file that does not exist yet has a full path too.
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (char* resolved = realpath(folder.c_str(), nullptr)) {
    std::string full(resolved);
    std::free(resolved);
    if (name.empty() || name == "." || name == "..") {
      if (char* whole = realpath(path.c_str(), nullptr)) {
        full = whole;
        std::free(whole);
      }
      return full;
    }
    return full == "/" ? "/" + name : full + "/" + name;
  }
#endif
  return path;
}

bool CliFiles::SameFile(const std::string& a, const std::string& b) {
#ifdef _WIN32
  return _stricmp(FullPath(a).c_str(), FullPath(b).c_str()) == 0;
#else
  std::error_code ec;
  return FullPath(a) == FullPath(b) || std::filesystem::equivalent(a, b, ec);
#endif
}

int CliFiles::RefuseUnreadable(const char* command, const std::string& path, bool missingOk) {
  switch (Files().KindOf(path)) {
    case FileAccess::Kind::File:
      break;
    case FileAccess::Kind::Missing:
      if (missingOk) return kCliOk;
      std::fprintf(stderr, "velta-cli %s: cannot read %s: there is no such file\n", command, path.c_str());
      return kCliFailed;
    case FileAccess::Kind::Directory:
      std::fprintf(stderr, "velta-cli %s: %s is a folder, not a file\n", command, path.c_str());
      return kCliFailed;
    case FileAccess::Kind::Other:
      std::fprintf(stderr, "velta-cli %s: %s is not a file that can be read\n", command, path.c_str());
      return kCliFailed;
  }
  FileError error;
  if (Files().OpenRead(path, error)) return kCliOk;
  std::fprintf(stderr, "velta-cli %s: cannot read %s: %s\n", command, path.c_str(), error.message.c_str());
  return kCliFailed;
}
