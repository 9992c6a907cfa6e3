// The four connection settings of time adjustment, kept by the clock window
// and stored in section "Adjust".
#pragma once

#include <cstdint>
#include <string>

#include "storage/profile_store.h"

// The clock's Option bits that belong to time adjustment.
enum AdjustOption : std::uint32_t {
  OptAdjustAtStart = 0x100000,  // adjust when the clock starts
  OptAdjustMessage = 0x200000,  // tell the success too, not only a failure
};

// Time adjustment's switches, stored as those two bits of the clock's Option word.
struct TimeAdjustOptions {
  bool atStart = false;      // adjust when the clock starts
  bool tellSuccess = false;  // tell the success too, not only a failure

  static constexpr std::uint32_t kBits = OptAdjustAtStart | OptAdjustMessage;

  static TimeAdjustOptions FromWord(std::uint32_t word) {
    return TimeAdjustOptions{(word & OptAdjustAtStart) != 0, (word & OptAdjustMessage) != 0};
  }
  std::uint32_t Word() const {
    return (atStart ? std::uint32_t{OptAdjustAtStart} : 0) | (tellSuccess ? std::uint32_t{OptAdjustMessage} : 0);
  }
  bool operator==(const TimeAdjustOptions&) const = default;
};

struct TimeAdjustSettings {
  static constexpr const char* kDefaultServer = "pool.ntp.org";
  // What the dialog takes; a stored value outside keeps the current one.
  static constexpr std::int32_t kMinTimeoutMs = 500, kMaxTimeoutMs = 10000;
  static constexpr std::int32_t kMinRetries = 1, kMaxRetries = 10;

  std::string server = kDefaultServer;  // host name or dotted IPv4 address
  std::string port = "123";             // port number or service name
  std::int32_t timeoutMs = 5000;        // for each wait of an attempt
  std::int32_t retries = 3;             // number of attempts
  std::int32_t samples = 4;             // exchanges per adjustment; the shortest round trip is used (not stored)

  bool operator==(const TimeAdjustSettings&) const = default;
};

// Loads or saves "Server", "Port", "TimeOut", "Retry" in that order; a missing
// key, or a time-out or retry count outside the dialog's range, keeps the current value.
// Always succeeds.
bool TransferTimeAdjustSettings(ProfileStore& store, TimeAdjustSettings& settings, Transfer direction);
