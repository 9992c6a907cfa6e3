#include "launcher/stored_path.h"

#include "win/code_page.h"

namespace {

bool IsSeparator(char c, StoredPath::Style style) {
  return c == '/' || (style == StoredPath::Style::Windows && c == '\\');
}

// Windows drops trailing dots and spaces from a name, so "..." or ".. " would mean "..".
bool IsDotName(std::string_view name, StoredPath::Style style) {
  if (style == StoredPath::Style::Posix) return name == "." || name == "..";
  return !name.empty() && name.front() == '.' && name.find_first_not_of(". ") == std::string_view::npos;
}

}  // namespace

StoredPath::Problem StoredPath::Check(std::string_view path, Style style) {
  if (path.empty()) return Problem::Empty;
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return Problem::BadCharacter;
  }
  if (!CodePage::IsUtf8(path)) return Problem::BadCharacter;
  if (path.size() > kMaxLength && CodePage::Utf8ToUtf16(path).size() > kMaxLength) return Problem::TooLong;
  std::size_t rest = 0;  // where the names after the root begin
  if (style == Style::Posix) {
    if (path.front() != '/') return Problem::NotAbsolute;
    rest = 1;
  } else {
    const auto letter = static_cast<unsigned char>(path[0]);
    const bool drive = path.size() >= 3 && ((letter | 0x20) >= 'a' && (letter | 0x20) <= 'z') && path[1] == ':' &&
                       path[2] == '\\';
    const bool unc = path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
    if (drive) {
      rest = 3;
    } else if (unc) {
      // "\\server\share\": both names present; "\\?\" and "\\.\" device paths are not taken.
      const std::size_t server = path.find('\\', 2);
      const std::size_t share = server == std::string_view::npos ? server : path.find('\\', server + 1);
      if (server == 2 || server == std::string_view::npos || share == server + 1) return Problem::NotAbsolute;
      if (path[2] == '?' || (path[2] == '.' && server == 3)) return Problem::NotAbsolute;
      rest = 2;
    } else {
      return Problem::NotAbsolute;
    }
  }
  std::size_t start = rest;
  for (std::size_t i = rest; i <= path.size(); ++i) {
    if (i < path.size() && !IsSeparator(path[i], style)) {
      if (style == Style::Windows) {
        const char c = path[i];
        if (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') return Problem::BadCharacter;
      }
      continue;
    }
    if (IsDotName(path.substr(start, i - start), style)) return Problem::DotComponent;
    start = i + 1;
  }
  return Problem::None;
}

const char* StoredPath::Describe(Problem problem) {
  switch (problem) {
    case Problem::None:
      return "a full path";
    case Problem::Empty:
      return "empty";
    case Problem::NotAbsolute:
      return "not a full path on this system";
    case Problem::DotComponent:
      return "a path with a \".\" or \"..\" part";
    case Problem::BadCharacter:
      return "a path with characters no file name may hold";
    case Problem::TooLong:
      return "longer than 259 characters";
    case Problem::NotText:
      return "in a code page this system does not read";
  }
  return "not a usable path";
}
