// The command line of an adjustment ("velta-cli adjust", and the clock's own
// elevated run of it) for a set of time-server settings, both ways.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "timesync/time_adjust_settings.h"

class AdjustArguments {
 public:
  // "adjust --server S --port P --timeout MS --retry N --samples K", and
  // "--allow-step" when a correction of more than an hour may be made, or
  // "--approved-step SECONDS" when only about the one the user said yes to may;
  // each text quoted as the C runtime's argument reader takes it back whole.
  static std::string Build(const TimeAdjustSettings& settings, bool allowStep = false,
                           std::optional<std::int64_t> approvedSeconds = std::nullopt);

  // The arguments after "adjust", read in order, so that a value that looks
  // like an option stays a value. False with `error` set on a bad one.
  // "--approved-step" is known only to a caller that takes it (`approvedSeconds`).
  static bool Parse(const std::vector<std::string>& args, TimeAdjustSettings& settings, bool& allowStep,
                    std::string& error, std::optional<std::int64_t>* approvedSeconds = nullptr);

  // One argument for a Windows command line: as it is when it has no blank,
  // tab or quote and is not empty; otherwise in quotes, with each quote and the
  // backslashes before a quote (or before the closing quote) escaped.
  static std::string Quote(std::string_view argument);
};
