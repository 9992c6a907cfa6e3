// Turns a face's format into the text to draw.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

struct TickCountdown;

class TimeFormatter {
 public:
  // Both stages: countdown substitution (countdown faces only), then the
  // calendar expansion for `local`. `tickNow` is read only for a countdown.
  // Narrow, the names of the locale come in the C runtime's code page for it;
  // wide, they come as the locale has them (UTF-16 on Windows), whatever the
  // system's code page, so a window can draw them with the wide functions.
  static std::string Expand(std::string_view format, const std::tm& local, bool countdownVariant,
                            const TickCountdown* countdown, std::uint32_t tickNow);
  static std::wstring Expand(std::wstring_view format, const std::tm& local, bool countdownVariant,
                             const TickCountdown* countdown, std::uint32_t tickNow);

  // Stage 1: every "%Q", then every "%q", then every "%T" replaced by the
  // minutes, seconds and total seconds left (all "0" with no countdown).
  static std::string SubstituteCountdown(std::string_view format, const TickCountdown* countdown,
                                         std::uint32_t tickNow);
  static std::wstring SubstituteCountdown(std::wstring_view format, const TickCountdown* countdown,
                                          std::uint32_t tickNow);

  // Stage 2: strftime-style expansion. The format is walked here and each
  // conversion is produced on its own, so every C runtime gives the same text:
  // unknown conversions and a trailing "%" are copied through as written.
  static std::string FormatCalendar(std::string_view format, const std::tm& local);
  static std::wstring FormatCalendar(std::wstring_view format, const std::tm& local);

  // Whether the calendar expansion of `format` changes from one second to the next: "%S" and
  // everything that holds it ("%T", "%r", "%X", "%c" and their forms), however the locale writes
  // them. A window showing such a format is drawn again each second.
  static bool ShowsSeconds(std::string_view format);
};
