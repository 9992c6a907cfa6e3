// Text inside the program is UTF-8. What is stored on the disk may be in another code page
// (a settings file written in the system's ANSI code page, a path in an encoded launcher
// file): a CodePage turns such bytes into UTF-8 and back, exactly or not at all.
//
// The UTF-8 <-> UTF-16 conversion here is the one every wide Windows call goes through. A lone
// surrogate (Windows file names may hold one) is carried as its three-byte form, so a name read
// from the system is written back to it unchanged.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class CodePage {
 public:
  static constexpr unsigned kUtf8 = 65001;

  virtual ~CodePage() = default;
  // The Windows code page number: 1252, 932, 65001, ...
  virtual unsigned Id() const = 0;
  // The bytes as UTF-8; false when they are not text of this code page.
  virtual bool ToUtf8(std::string_view bytes, std::string& text) const = 0;
  // The text in this code page; false when a character has no exact counterpart in it (no
  // "best fit" letter, no "?"), so that two different texts never become the same bytes.
  virtual bool FromUtf8(std::string_view text, std::string& bytes) const = 0;

  // True when text is plain ASCII: the same bytes in every code page this program meets.
  static bool IsAscii(std::string_view text);
  // True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
  static bool IsUtf8(std::string_view bytes);

  // UTF-8 as UTF-16; a byte that starts no well-formed sequence becomes U+FFFD.
  static std::u16string Utf8ToUtf16(std::string_view text);
  // UTF-16 as UTF-8.
  static std::string Utf16ToUtf8(std::u16string_view text);

  // The UTF-8 code page itself: checks, copies.
  static const CodePage& Utf8();
#ifndef _WIN32
  // A code page of the C library's iconv (natively: velta-cli and the tests); null when the
  // library does not know it.
  static std::unique_ptr<CodePage> Native(unsigned id);
#endif
};
