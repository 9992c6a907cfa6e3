// Replies a server might send, for the time client's tests: a sound one built
// from the request, and the broken or hostile variants of it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "timesync/ntp_packet.h"

namespace ntp_test {

// A version-1 server reply (stratum 2) to `request` with receive and transmit
// seconds `ntpSeconds`, echoing the request's transmit timestamp as originate.
inline std::vector<std::uint8_t> SoundReply(const std::vector<std::uint8_t>& request, std::uint32_t ntpSeconds) {
  std::vector<std::uint8_t> reply(kNtpPacketSize, 0);
  reply[0] = 0x0C;  // leap 0, version 1, mode 4
  reply[1] = 2;
  for (int i = 0; i < 8 && request.size() >= 48; ++i) reply[24 + i] = request[40 + i];
  for (int at : {32, 40}) {
    for (int i = 0; i < 4; ++i) reply[at + i] = static_cast<std::uint8_t>(ntpSeconds >> (24 - 8 * i));
    reply[at + 4] = 0x80;  // half a second
  }
  return reply;
}

inline std::uint32_t ToNtpSeconds(std::int64_t unixSeconds) {
  return static_cast<std::uint32_t>(unixSeconds + kNtpToUnixSeconds);
}

// Microseconds since 1970 as a 64-bit timestamp (the fraction rounded).
inline std::uint64_t ToNtpStamp(std::int64_t unixMicros) {
  std::int64_t seconds = unixMicros / 1000000, micros = unixMicros % 1000000;
  if (micros < 0) micros += 1000000, --seconds;
  const std::uint64_t fraction = ((static_cast<std::uint64_t>(micros) << 32) + 500000) / 1000000;
  return (static_cast<std::uint64_t>(ToNtpSeconds(seconds)) << 32) + fraction;
}

// Puts a 64-bit timestamp at `at` (32 receive, 40 transmit).
inline void PutStamp(std::vector<std::uint8_t>& reply, int at, std::uint64_t stamp) {
  for (int i = 0; i < 8; ++i) reply[static_cast<std::size_t>(at + i)] = static_cast<std::uint8_t>(stamp >> (56 - 8 * i));
}

// A sound reply whose receive and transmit timestamps are the given ones.
inline std::vector<std::uint8_t> StampedReply(const std::vector<std::uint8_t>& request, std::uint64_t receive,
                                              std::uint64_t transmit) {
  auto reply = SoundReply(request, 0);
  PutStamp(reply, 32, receive);
  PutStamp(reply, 40, transmit);
  return reply;
}

// One way of spoiling a sound reply.
struct Spoil {
  const char* name;
  void (*apply)(std::vector<std::uint8_t>& reply);
  NtpReplyCheck expected;
};

inline const std::vector<Spoil>& Spoils() {
  static const std::vector<Spoil> spoils = {
      {"47 bytes", [](std::vector<std::uint8_t>& r) { r.resize(47); }, NtpReplyCheck::kWrongSize},
      {"49 bytes", [](std::vector<std::uint8_t>& r) { r.push_back(0); }, NtpReplyCheck::kWrongSize},
      {"kiss-o'-death (stratum 0)", [](std::vector<std::uint8_t>& r) { r[1] = 0; std::copy_n("RATE", 4, r.begin() + 12); },
       NtpReplyCheck::kKissOfDeath},
      {"leap indicator 3", [](std::vector<std::uint8_t>& r) { r[0] |= 0xC0; }, NtpReplyCheck::kUnsynchronised},
      {"mode 3 (a client)", [](std::vector<std::uint8_t>& r) { r[0] = (r[0] & ~7) | 3; }, NtpReplyCheck::kWrongMode},
      {"mode 6 (control)", [](std::vector<std::uint8_t>& r) { r[0] = (r[0] & ~7) | 6; }, NtpReplyCheck::kWrongMode},
      {"mode 0 (reserved)", [](std::vector<std::uint8_t>& r) { r[0] &= ~7; }, NtpReplyCheck::kWrongMode},
      {"mode 5 (a broadcast)", [](std::vector<std::uint8_t>& r) { r[0] = (r[0] & ~7) | 5; }, NtpReplyCheck::kWrongMode},
      {"stratum 16", [](std::vector<std::uint8_t>& r) { r[1] = 16; }, NtpReplyCheck::kStratumTooHigh},
      {"stratum 255", [](std::vector<std::uint8_t>& r) { r[1] = 255; }, NtpReplyCheck::kStratumTooHigh},
      {"negative root delay", [](std::vector<std::uint8_t>& r) { r[4] = 0xFF; r[5] = 0xFF; r[6] = 0xFF; r[7] = 0xFF; },
       NtpReplyCheck::kNegativeRootDelay},
      {"root dispersion 16 s", [](std::vector<std::uint8_t>& r) { r[9] = 16; }, NtpReplyCheck::kRootDistance},
      {"root delay 30 s and dispersion 1 s (distance 16 s)",
       [](std::vector<std::uint8_t>& r) { r[5] = 30; r[9] = 1; }, NtpReplyCheck::kRootDistance},
      {"transmit 4 us before receive", [](std::vector<std::uint8_t>& r) { r[44] = 0x7F; r[45] = 0xFF; r[46] = 0xC0; },
       NtpReplyCheck::kTransmitBeforeReceive},
      {"version 0", [](std::vector<std::uint8_t>& r) { r[0] &= ~0x38; }, NtpReplyCheck::kWrongVersion},
      {"version 5", [](std::vector<std::uint8_t>& r) { r[0] = (r[0] & ~0x38) | (5 << 3); }, NtpReplyCheck::kWrongVersion},
      {"zero transmit timestamp", [](std::vector<std::uint8_t>& r) { std::fill(r.begin() + 40, r.begin() + 48, 0); },
       NtpReplyCheck::kZeroTransmit},
      {"zero receive timestamp", [](std::vector<std::uint8_t>& r) { std::fill(r.begin() + 32, r.begin() + 40, 0); },
       NtpReplyCheck::kZeroReceive},
      {"originate does not echo the nonce", [](std::vector<std::uint8_t>& r) { r[31] ^= 1; },
       NtpReplyCheck::kWrongOriginate},
      {"originate zero (an unsolicited packet)", [](std::vector<std::uint8_t>& r) { std::fill(r.begin() + 24, r.begin() + 32, 0); },
       NtpReplyCheck::kWrongOriginate},
      {"receive time in 1969", [](std::vector<std::uint8_t>& r) { r[32] = 0x83; r[33] = 0xAA; r[34] = 0x7E; r[35] = 0x7F; },
       NtpReplyCheck::kBeforeUnixEpoch},
      {"transmit time in 1969", [](std::vector<std::uint8_t>& r) { r[40] = 0x83; r[41] = 0xAA; r[42] = 0x7E; r[43] = 0x7F; },
       NtpReplyCheck::kBeforeUnixEpoch},
  };
  return spoils;
}

}  // namespace ntp_test
