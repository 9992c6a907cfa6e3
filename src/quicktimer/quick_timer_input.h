// The QuickTimer dialog's texts: how stored times are shown and how typed
// ones are read and checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QuickTimerInput {
 public:
  static constexpr std::size_t kMinutesMaxChars = 3;
  static constexpr std::size_t kSecondsMaxChars = 4;

  // 180000 -> "3", 90000 -> "1.5": whole minutes as such, others to one decimal.
  static std::string MinutesText(std::uint32_t durationMs);
  // Play time in whole seconds.
  static std::string SecondsText(std::uint32_t playTimeMs);

  // Minutes above 0 and at most 9999, read as a decimal number; the duration
  // in milliseconds truncated toward zero (1.5 -> 90000, 0.1 -> 6000).
  static std::optional<std::uint32_t> ParseMinutes(std::string_view text);
  // Seconds above 0 and at most 9999, read as a whole number; milliseconds.
  static std::optional<std::uint32_t> ParseSeconds(std::string_view text);
};
