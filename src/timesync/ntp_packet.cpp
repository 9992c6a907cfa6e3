#include "timesync/ntp_packet.h"

#include <chrono>
#include <random>

namespace {

constexpr std::size_t kRootDelayOffset = 4;
constexpr std::size_t kRootDispersionOffset = 8;
constexpr std::size_t kOriginateOffset = 24;
constexpr std::size_t kReceiveOffset = 32;
constexpr std::size_t kTransmitOffset = 40;

std::uint64_t ReadBigEndian64(const std::uint8_t* p) {
  return (static_cast<std::uint64_t>(ReadBigEndian32(p)) << 32) | ReadBigEndian32(p + 4);
}

}  // namespace

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}

NtpPacket BuildNtpRequest(std::uint64_t nonce) {
  NtpPacket packet{};
  packet[0] = 0x0B;
  for (int i = 0; i < 8; ++i) packet[kTransmitOffset + i] = static_cast<std::uint8_t>(nonce >> (56 - 8 * i));
  return packet;
}

std::uint64_t MakeNtpNonce() {
  static thread_local std::mt19937_64 generator = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(),
                       static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return std::mt19937_64(seed);
  }();
  std::uint64_t nonce;
  do nonce = generator();
  while (nonce == 0);
  return nonce;
}

const char* DescribeNtpReplyCheck(NtpReplyCheck check) {
  switch (check) {
    case NtpReplyCheck::kOk: return "valid reply";
    case NtpReplyCheck::kWrongSize: return "reply is not 48 bytes";
    case NtpReplyCheck::kWrongOriginate: return "reply does not answer our request";
    case NtpReplyCheck::kUnsynchronised: return "server is not synchronised (leap indicator 3)";
    case NtpReplyCheck::kWrongVersion: return "reply has an unknown version";
    case NtpReplyCheck::kWrongMode: return "reply is not from a server (wrong mode)";
    case NtpReplyCheck::kKissOfDeath: return "server refused (kiss-o'-death, stratum 0)";
    case NtpReplyCheck::kStratumTooHigh: return "server is not synchronised (stratum 16 or more)";
    case NtpReplyCheck::kNegativeRootDelay: return "reply has a negative root delay";
    case NtpReplyCheck::kRootDistance: return "server is too far from its reference (root distance 16 s or more)";
    case NtpReplyCheck::kZeroTransmit: return "reply has no transmit time";
    case NtpReplyCheck::kZeroReceive: return "reply has no receive time";
    case NtpReplyCheck::kBeforeUnixEpoch: return "server time is before 1970";
    case NtpReplyCheck::kTransmitBeforeReceive: return "reply was sent before our request arrived (transmit before receive)";
  }
  return "invalid reply";
}

NtpReplyCheck CheckNtpReply(const std::uint8_t* data, std::size_t size, std::uint64_t nonce, NtpSample& sample) {
  if (data == nullptr || size != kNtpPacketSize) return NtpReplyCheck::kWrongSize;
  if (ReadBigEndian64(data + kOriginateOffset) != nonce) return NtpReplyCheck::kWrongOriginate;
  const unsigned leap = data[0] >> 6;
  const unsigned version = (data[0] >> 3) & 7;
  const unsigned mode = data[0] & 7;
  if (leap == 3) return NtpReplyCheck::kUnsynchronised;
  if (version < 1 || version > 4) return NtpReplyCheck::kWrongVersion;
  if (mode != 4) return NtpReplyCheck::kWrongMode;
  if (data[1] == 0) return NtpReplyCheck::kKissOfDeath;
  if (data[1] >= 16) return NtpReplyCheck::kStratumTooHigh;
  // Both are seconds in 16.16 fixed point; the delay is signed.
  const auto rootDelay = static_cast<std::int32_t>(ReadBigEndian32(data + kRootDelayOffset));
  if (rootDelay < 0) return NtpReplyCheck::kNegativeRootDelay;
  const std::uint32_t rootDispersion = ReadBigEndian32(data + kRootDispersionOffset);
  const std::int64_t distance = ((static_cast<std::int64_t>(rootDelay) * kMicrosPerSecond) >> 17) +
                                ((static_cast<std::int64_t>(rootDispersion) * kMicrosPerSecond) >> 16);
  if (distance >= kMaxRootDistanceMicros) return NtpReplyCheck::kRootDistance;
  const std::uint64_t transmitStamp = ReadBigEndian64(data + kTransmitOffset);
  const std::uint64_t receiveStamp = ReadBigEndian64(data + kReceiveOffset);
  if (transmitStamp == 0) return NtpReplyCheck::kZeroTransmit;
  if (receiveStamp == 0) return NtpReplyCheck::kZeroReceive;
  const auto receive = NtpTimestampToUnixMicros(receiveStamp);
  const auto transmit = NtpTimestampToUnixMicros(transmitStamp);
  if (!receive || !transmit) return NtpReplyCheck::kBeforeUnixEpoch;
  if (*transmit < *receive) return NtpReplyCheck::kTransmitBeforeReceive;
  sample.receive = *receive;
  sample.transmit = *transmit;
  sample.stratum = data[1];
  sample.leap = leap;
  return NtpReplyCheck::kOk;
}

std::optional<std::int64_t> NtpSecondsToUnixTime(std::uint32_t seconds) {
  std::int64_t sinceEra0 = seconds;
  if ((seconds & 0x80000000u) == 0) sinceEra0 += std::int64_t{1} << 32;
  const std::int64_t converted = sinceEra0 - kNtpToUnixSeconds;
  if (converted < 0) return std::nullopt;
  return converted;
}

std::optional<std::int64_t> NtpTimestampToUnixMicros(std::uint64_t timestamp) {
  const auto seconds = NtpSecondsToUnixTime(static_cast<std::uint32_t>(timestamp >> 32));
  if (!seconds) return std::nullopt;
  const std::uint64_t fraction = timestamp & 0xFFFFFFFFu;
  const auto micros = static_cast<std::int64_t>((fraction * kMicrosPerSecond + 0x80000000u) >> 32);
  return *seconds * kMicrosPerSecond + micros;
}
