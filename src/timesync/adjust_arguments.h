// The command line of "velta-cli adjust" for a set of time-server settings:
// what the clock hands to the elevated run of the adjustment.
#pragma once

#include <string>
#include <string_view>

#include "timesync/time_adjust_settings.h"

class AdjustArguments {
 public:
  // "adjust --server S --port P --timeout MS --retry N", each text quoted as
  // the C runtime's argument reader takes it back whole.
  static std::string Build(const TimeAdjustSettings& settings);

  // One argument for a Windows command line: as it is when it has no blank,
  // tab or quote and is not empty; otherwise in quotes, with each quote and the
  // backslashes before a quote (or before the closing quote) escaped.
  static std::string Quote(std::string_view argument);
};
