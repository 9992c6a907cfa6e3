#include "cli/cli_console.h"

#include <algorithm>
#include <cstdarg>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <io.h>

#include "win/wide_text.h"
#endif

void CliConsole::Write(std::FILE* stream, std::string_view text) {
#ifdef _WIN32
  const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    std::wstring wide = WideText::From(text);
    // A console takes "\n" as a new line; nothing else to change.
    for (std::size_t at = 0; at < wide.size();) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - at, 8192));
      if (!::WriteConsoleW(handle, wide.data() + at, chunk, &written, nullptr) || written == 0) break;
      at += written;
    }
    return;
  }
#endif
  std::fwrite(text.data(), 1, text.size(), stream);
}

void CliConsole::Print(std::FILE* stream, const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  if (n > 0) {
    std::vector<char> text(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    Write(stream, std::string_view(text.data(), static_cast<std::size_t>(n)));
  }
  va_end(again);
}
