#include "timesync/time_adjust_settings.h"

namespace {
constexpr const char* kSection = "Adjust";

// A hand-edited value outside what the dialog takes keeps the current one: a time-out of a
// million seconds or two billion attempts would keep the adjustment (and the elevated run the
// clock waits for) going practically for ever.
std::int32_t InRange(std::int32_t value, std::int32_t low, std::int32_t high, std::int32_t current) {
  return (value >= low && value <= high) ? value : current;
}
}  // namespace

bool TransferTimeAdjustSettings(ProfileStore& store, TimeAdjustSettings& settings, Transfer direction) {
  if (direction == Transfer::Load) {
    settings.server = store.GetString(kSection, "Server", settings.server);
    settings.port = store.GetString(kSection, "Port", settings.port);
    settings.timeoutMs = InRange(store.GetInt(kSection, "TimeOut", settings.timeoutMs), TimeAdjustSettings::kMinTimeoutMs,
                                 TimeAdjustSettings::kMaxTimeoutMs, settings.timeoutMs);
    settings.retries = InRange(store.GetInt(kSection, "Retry", settings.retries), TimeAdjustSettings::kMinRetries,
                               TimeAdjustSettings::kMaxRetries, settings.retries);
  } else {
    store.WriteString(kSection, "Server", settings.server);
    store.WriteString(kSection, "Port", settings.port);
    store.WriteInt(kSection, "TimeOut", settings.timeoutMs);
    store.WriteInt(kSection, "Retry", settings.retries);
  }
  return true;
}
