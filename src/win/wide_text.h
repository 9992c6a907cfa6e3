// The one place where the program's UTF-8 text meets the wide (UTF-16) text of the Windows
// functions. Every call that takes or returns text or a path uses its W form through these.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

class WideText {
 public:
  // UTF-8 as the system's wide text (a byte that starts no UTF-8 sequence becomes U+FFFD).
  static std::wstring From(std::string_view text);
  // The system's wide text as UTF-8, every character kept.
  static std::string ToUtf8(std::wstring_view text);
  // A wide C string (null: empty) as UTF-8.
  static std::string ToUtf8(const wchar_t* text);

  // A window's text (a control's, a dialog item's, a caption) as UTF-8.
  static std::string OfWindow(HWND window);
  static bool SetWindow(HWND window, std::string_view text);
};
