// The 48-byte time-server datagram: the request we send, the checks a reply
// must pass, and the conversion of its timestamps into calendar time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "timesync/ntp_sample.h"

inline constexpr std::size_t kNtpPacketSize = 48;
using NtpPacket = std::array<std::uint8_t, kNtpPacketSize>;

// Seconds from 1900-01-01 (the protocol's epoch) to 1970-01-01.
inline constexpr std::int64_t kNtpToUnixSeconds = 2208988800;

// Leap indicator 0, version 1, mode 3 (client); every other byte zero except the
// transmit timestamp (offset 40), which carries `nonce` so that the reply's
// originate timestamp can be matched to this request.
NtpPacket BuildNtpRequest(std::uint64_t nonce);

// A nonce for BuildNtpRequest: random and never zero.
std::uint64_t MakeNtpNonce();

enum class NtpReplyCheck {
  kOk,
  kWrongSize,       // not exactly 48 bytes
  kWrongOriginate,  // does not echo our request's nonce: not an answer to it
  kUnsynchronised,  // leap indicator 3: the server has no time to give
  kWrongVersion,    // version outside 1-4
  kWrongMode,       // not a server's answer (mode 4); a broadcast is not an answer either
  kKissOfDeath,     // stratum 0: a refusal, not a time
  kStratumTooHigh,  // stratum 16 or more: the server itself is not synchronised
  kNegativeRootDelay,  // a root delay below zero
  kRootDistance,    // root delay / 2 + root dispersion of 16 s or more: too far from a reference
  kZeroTransmit,    // transmit timestamp 0
  kZeroReceive,     // receive timestamp 0
  kBeforeUnixEpoch, // receive or transmit time before 1970-01-01
  kTransmitBeforeReceive,  // the reply left the server before our request reached it
};

// A server this far from its reference (root delay / 2 + root dispersion) is refused.
inline constexpr std::int64_t kMaxRootDistanceMicros = 16 * 1000000;

const char* DescribeNtpReplyCheck(NtpReplyCheck check);

// Checks a reply to the request that carried `nonce` and, when it passes, fills
// the server's side of `sample`: receive and transmit time, stratum and leap
// indicator. The originate check comes first, so that a datagram which answers
// some other request is told apart from a bad answer to ours. A refused reply
// leaves `sample` as it was.
NtpReplyCheck CheckNtpReply(const std::uint8_t* data, std::size_t size, std::uint64_t nonce, NtpSample& sample);

// Protocol seconds to seconds since 1970-01-01 UTC. Values with the top bit set
// belong to the era that began in 1900, values with it clear to the era that
// begins 2036-02-07 06:28:16 UTC, so the result runs from 1968 to 2104; times
// before 1970 give nullopt.
std::optional<std::int64_t> NtpSecondsToUnixTime(std::uint32_t seconds);

// A 64-bit timestamp (seconds and 2^-32 fractions) to microseconds since
// 1970-01-01 UTC, by the same era rule; the fraction is rounded to the nearest
// microsecond.
std::optional<std::int64_t> NtpTimestampToUnixMicros(std::uint64_t timestamp);

std::uint32_t ReadBigEndian32(const std::uint8_t* p);
