#include "timesync/time_adjust_settings.h"

namespace {
constexpr const char* kSection = "Adjust";
}

bool TransferTimeAdjustSettings(ProfileStore& store, TimeAdjustSettings& settings, Transfer direction) {
  if (direction == Transfer::Load) {
    settings.server = store.GetString(kSection, "Server", settings.server);
    settings.port = store.GetString(kSection, "Port", settings.port);
    settings.timeoutMs = store.GetInt(kSection, "TimeOut", settings.timeoutMs);
    settings.retries = store.GetInt(kSection, "Retry", settings.retries);
  } else {
    store.WriteString(kSection, "Server", settings.server);
    store.WriteString(kSection, "Port", settings.port);
    store.WriteInt(kSection, "TimeOut", settings.timeoutMs);
    store.WriteInt(kSection, "Retry", settings.retries);
  }
  return true;
}
