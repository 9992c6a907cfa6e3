#include "timesync/time_step.h"

namespace {

std::int64_t Magnitude(std::int64_t micros) { return micros < 0 ? -micros : micros; }

}  // namespace

bool TimeStep::Approval::Allows(std::int64_t offset) const {
  if (Magnitude(offset) <= kUnaskedMicros || any) return true;
  return offsetMicros && Magnitude(offset - *offsetMicros) <= kApprovalSlackMicros;
}

std::vector<TimeStep::Part> TimeStep::Parts(std::int64_t offsetMicros) {
  std::int64_t seconds = (Magnitude(offsetMicros) + kMicrosPerSecond / 2) / kMicrosPerSecond;
  const std::int64_t counts[] = {seconds / 86400, seconds % 86400 / 3600, seconds % 3600 / 60, seconds % 60};
  const Unit units[] = {Unit::kDay, Unit::kHour, Unit::kMinute, Unit::kSecond};
  std::vector<Part> parts;
  for (int i = 0; i < 4 && parts.size() < 2; ++i) {
    // The second part is the unit right below the first, so "1 day 5 seconds" never hides 23 hours.
    if (!parts.empty()) {
      if (counts[i] != 0) parts.push_back({units[i], counts[i]});
      break;
    }
    if (counts[i] != 0) parts.push_back({units[i], counts[i]});
  }
  if (parts.empty()) parts.push_back({Unit::kSecond, 0});
  return parts;
}

std::string TimeStep::Describe(std::int64_t offsetMicros) {
  static const char* const kNames[] = {"day", "hour", "minute", "second"};
  std::string text;
  for (const Part& part : Parts(offsetMicros)) {
    if (!text.empty()) text += ' ';
    text += std::to_string(part.count) + ' ' + kNames[static_cast<int>(part.unit)] + (part.count == 1 ? "" : "s");
  }
  return text + (offsetMicros >= 0 ? " behind" : " ahead");
}
