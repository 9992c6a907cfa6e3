#include "quicktimer/quick_timer_input.h"

#include <cstdio>
#include <cstdlib>

std::string QuickTimerInput::MinutesText(std::uint32_t durationMs) {
  char text[64];
  if (durationMs % 60000 == 0) {
    std::snprintf(text, sizeof text, "%d", static_cast<int>(durationMs / 60000));
  } else {
    // Single precision, as the minutes are read.
    const float minutes = static_cast<float>(durationMs) * (1.0f / 60000.0f);
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(minutes));
  }
  return text;
}

std::string QuickTimerInput::SecondsText(std::uint32_t playTimeMs) {
  return std::to_string(playTimeMs / 1000);
}

std::optional<std::uint32_t> QuickTimerInput::ParseMinutes(std::string_view text) {
  const std::string copy(text);
  const float minutes = static_cast<float>(std::atof(copy.c_str()));
  // Written so that NaN fails too.
  if (!(minutes > 0.0f && minutes <= 9999.0f)) return std::nullopt;
  const float product = minutes * 60000.0f;
  return static_cast<std::uint32_t>(product);
}

std::optional<std::uint32_t> QuickTimerInput::ParseSeconds(std::string_view text) {
  const std::string copy(text);
  // atol semantics, but a long run of digits saturates instead of overflowing.
  const long seconds = std::strtol(copy.c_str(), nullptr, 10);
  if (seconds <= 0 || seconds > 9999) return std::nullopt;
  return static_cast<std::uint32_t>(seconds) * 1000u;
}
