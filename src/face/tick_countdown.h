// A countdown measured on the system's millisecond tick counter.
#pragma once

#include <cstdint>

struct TickCountdown {
  std::uint32_t duration = 0;  // milliseconds
  std::uint32_t start = 0;     // tick counter value when the countdown began; 0 while it has not

  // Unsigned arithmetic keeps the result right across a wrap of the counter.
  std::uint32_t Elapsed(std::uint32_t now) const { return now - start; }
  std::uint32_t Remaining(std::uint32_t now) const {
    const std::uint32_t elapsed = Elapsed(now);
    return duration > elapsed ? duration - elapsed : 0;
  }
  bool IsExpired(std::uint32_t now) const { return Elapsed(now) >= duration; }
  bool IsStarted() const { return start != 0; }
};
