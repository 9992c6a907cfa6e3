// One exchange with a time server: the four timestamps of RFC 4330, each in
// microseconds since 1970-01-01 00:00:00 UTC, and what they say about this
// machine's clock.
#pragma once

#include <cstdint>

struct NtpSample {
  std::int64_t originate = 0;  // T1: the request left, by this machine's clock
  std::int64_t receive = 0;    // T2: the request reached the server, by its clock
  std::int64_t transmit = 0;   // T3: the reply left the server, by its clock
  std::int64_t arrival = 0;    // T4: the reply arrived, by this machine's clock
  unsigned stratum = 0;
  unsigned leap = 0;           // leap indicator: 0 none, 1 and 2 a leap second at the end of the day

  // ((T2 - T1) + (T3 - T4)) / 2: what to add to this machine's clock to have the
  // server's; positive when this machine is behind.
  std::int64_t Offset() const;
  // (T4 - T1) - (T3 - T2): the round trip without the time the server held the request.
  std::int64_t Delay() const;
};

inline constexpr std::int64_t kMicrosPerSecond = 1000000;
