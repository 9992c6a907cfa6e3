// How far a correction moves the clock, and whether it may be made without
// asking: a server that says the clock is more than an hour off is believed
// only when someone has said yes to that correction.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "timesync/ntp_sample.h"

class TimeStep {
 public:
  // Larger corrections need a yes.
  static constexpr std::int64_t kUnaskedMicros = 3600 * kMicrosPerSecond;
  // A yes covers a correction this close to the one it was given for: the
  // server is asked again after the question, and the answer moves by the delay.
  static constexpr std::int64_t kApprovalSlackMicros = 60 * kMicrosPerSecond;

  enum class Unit { kDay, kHour, kMinute, kSecond };
  struct Part {
    Unit unit;
    std::int64_t count;
  };

  // What may be set: anything up to an hour; beyond that, anything (`any`,
  // the command line's --allow-step) or about the offset the user said yes to.
  struct Approval {
    bool any = false;
    std::optional<std::int64_t> offsetMicros;
    bool Allows(std::int64_t offsetMicros) const;
  };

  // The correction's size in its two largest units that are not zero, whole
  // seconds rounded: "3 days 2 hours", "1 hour 1 minute", "45 seconds".
  static std::vector<Part> Parts(std::int64_t offsetMicros);
  // The same in English, for the command line.
  static std::string Describe(std::int64_t offsetMicros);
};
