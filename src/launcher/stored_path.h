// The original path stored in an encoded file decides where decoding writes, so a crafted
// file must not be able to name a place of its choosing: only a full path of the decoding
// system, without "." or ".." parts, is taken.
#pragma once

#include <string_view>

// Tells whether a byte starts a two-byte character in the user's code page (there a trail
// byte can equal '\\' or '|'); nullptr treats every byte as a character of its own.
using LeadBytePredicate = bool (*)(unsigned char);

class StoredPath {
 public:
  enum class Style { Windows, Posix };
  enum class Problem {
    None,
    Empty,
    NotAbsolute,     // relative, or a path of the other system (a Windows path decoded natively)
    DotComponent,    // a "." or ".." part (on Windows also "...", ". ." and the like)
    BadCharacter,    // a control character; on Windows also a ':' after the drive, '*', '?', '"', '<', '>', '|'
    TooLong,         // more than kMaxLength characters
  };

  static constexpr std::size_t kMaxLength = 259;
#ifdef _WIN32
  static constexpr Style kNative = Style::Windows;
#else
  static constexpr Style kNative = Style::Posix;
#endif

  // Windows: "X:\..." or a UNC path "\\server\share\..."; Posix: "/...".
  static Problem Check(std::string_view path, Style style = kNative, LeadBytePredicate isLeadByte = nullptr);
  static const char* Describe(Problem problem);
};
