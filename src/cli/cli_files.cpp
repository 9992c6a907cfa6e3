#include "cli/cli_files.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_console.h"
#include "launcher/ascii_code_page.h"
#include "storage/std_file_access.h"

#ifdef _WIN32
#include <windows.h>

#include "storage/win32_file_access.h"
#include "win/ansi_code_page.h"
#include "win/wide_text.h"
#endif

FileAccess& CliFiles::Files() {
#ifdef _WIN32
  return Win32FileAccess::Instance();
#else
  return StdFileAccess::Instance();
#endif
}

const CodePage* CliFiles::StoredCodePage(const char* command, const std::optional<std::string>& id) {
  if (!id) {
#ifdef _WIN32
    return &AnsiCodePage::System();
#else
    return &AsciiCodePage::Instance();
#endif
  }
  static std::vector<std::unique_ptr<CodePage>> made;  // live as long as the process
  char* end = nullptr;
  const unsigned long number = std::strtoul(id->c_str(), &end, 10);
  std::unique_ptr<CodePage> page;
  if (!id->empty() && end != nullptr && *end == '\0' && number > 0 && number < 65536) {
    if (number == AsciiCodePage::kId) {
      return &AsciiCodePage::Instance();
    } else if (number == CodePage::kUtf8) {
      return &CodePage::Utf8();
    } else {
#ifdef _WIN32
      if (::IsValidCodePage(static_cast<UINT>(number))) page = std::make_unique<AnsiCodePage>(static_cast<unsigned>(number));
#else
      page = CodePage::Native(static_cast<unsigned>(number));
#endif
    }
  }
  if (!page) {
    CliConsole::Print(stderr, "velta-cli %s: --code-page %s is no code page this system knows\n", command, id->c_str());
    return nullptr;
  }
  made.push_back(std::move(page));
  return made.back().get();
}

std::string CliFiles::FullPath(const std::string& path) {
#ifdef _WIN32
  const std::wstring wide = WideText::From(path);
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed > 0) {
    std::wstring full(needed, L'\0');
    const DWORD n = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (n > 0 && n < needed) return WideText::ToUtf8(std::wstring_view(full.data(), n));
  }
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
  // The file's identity first: any spelling of a name, and links, lead to it.
  if (Files().SameFile(a, b)) return true;
#ifdef _WIN32
  // The file system's own rule for names that differ only in case.
  const std::wstring first = WideText::From(FullPath(a)), second = WideText::From(FullPath(b));
  return ::CompareStringOrdinal(first.c_str(), static_cast<int>(first.size()), second.c_str(),
                                static_cast<int>(second.size()), TRUE) == CSTR_EQUAL;
#else
  std::error_code ec;
  return FullPath(a) == FullPath(b) || std::filesystem::equivalent(a, b, ec);
#endif
}

bool CliFiles::IsLink(const std::string& path) {
#ifdef _WIN32
  const DWORD attributes = ::GetFileAttributesW(WideText::From(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
#else
  std::error_code ec;
  return std::filesystem::is_symlink(path, ec);
#endif
}

int CliFiles::RefuseUnreadable(const char* command, const std::string& path, bool missingOk) {
  switch (Files().KindOf(path)) {
    case FileAccess::Kind::File:
      break;
    case FileAccess::Kind::Missing:
      if (missingOk) return kCliOk;
      CliConsole::Print(stderr, "velta-cli %s: cannot read %s: there is no such file\n", command, path.c_str());
      return kCliFailed;
    case FileAccess::Kind::Directory:
      CliConsole::Print(stderr, "velta-cli %s: %s is a folder, not a file\n", command, path.c_str());
      return kCliFailed;
    case FileAccess::Kind::Other:
      CliConsole::Print(stderr, "velta-cli %s: %s is not a file that can be read\n", command, path.c_str());
      return kCliFailed;
  }
  FileError error;
  if (Files().OpenRead(path, error)) return kCliOk;
  CliConsole::Print(stderr, "velta-cli %s: cannot read %s: %s\n", command, path.c_str(), error.message.c_str());
  return kCliFailed;
}
