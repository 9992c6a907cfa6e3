// The original path stored in an encoded file decides where decoding writes, so a crafted
// file must not be able to name a place of its choosing: only a full path of the decoding
// system, without "." or ".." parts, is taken. Paths are UTF-8 text here: no byte of a
// character beyond ASCII can be taken for a separator.
#pragma once

#include <cstddef>
#include <string_view>

class StoredPath {
 public:
  enum class Style { Windows, Posix };
  enum class Problem {
    None,
    Empty,
    NotAbsolute,     // relative, or a path of the other system (a Windows path decoded natively)
    DotComponent,    // a "." or ".." part (on Windows also "...", ". ." and the like)
    BadCharacter,    // a control character, text that is not UTF-8; on Windows also a ':' after the drive,
                     // '*', '?', '"', '<', '>', '|'
    TooLong,         // more than kMaxLength characters (UTF-16 units, as the system counts them)
    NotText,         // stored in a code page this system does not read (see file_encoding.h)
  };

  static constexpr std::size_t kMaxLength = 259;
#ifdef _WIN32
  static constexpr Style kNative = Style::Windows;
#else
  static constexpr Style kNative = Style::Posix;
#endif

  // Windows: "X:\..." or a UNC path "\\server\share\..."; Posix: "/...".
  static Problem Check(std::string_view path, Style style = kNative);
  static const char* Describe(Problem problem);
};
