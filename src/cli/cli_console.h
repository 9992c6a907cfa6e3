// What velta-cli writes: its text is UTF-8. On Windows a console gets it as wide text
// (WriteConsoleW), so every name shows whatever the console's code page; redirected output
// gets the UTF-8 bytes. Natively the bytes go out as they are.
#pragma once

#include <cstdio>
#include <string_view>

class CliConsole {
 public:
  static void Write(std::FILE* stream, std::string_view text);
  // printf into Write.
  static void Print(std::FILE* stream, const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
};
