// Any datagram as a reply: the checks never read out of bounds, and a reply
// they accept is 48 bytes that echo the nonce and carry non-zero receive and
// transmit times from 1970 to 2104.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "timesync/ntp_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first 8 bytes are the nonce of the request; the rest is the reply, in a
  // buffer of its own size so that any over-read is caught.
  if (size < 8) return 0;
  std::uint64_t nonce = 0;
  for (int i = 0; i < 8; ++i) nonce = (nonce << 8) | data[i];
  const std::vector<std::uint8_t> reply(data + 8, data + size);
  NtpSample sample;
  sample.receive = sample.transmit = -1;
  const NtpReplyCheck check = CheckNtpReply(reply.empty() ? nullptr : reply.data(), reply.size(), nonce, sample);
  const auto stamp = [&reply](int at) {
    std::uint64_t value = 0;
    for (int i = at; i < at + 8; ++i) value = (value << 8) | reply[static_cast<std::size_t>(i)];
    return value;
  };
  constexpr std::int64_t kLast = 4233462144LL * 1000000;  // 2104-02-26 09:42:24 UTC
  if (check == NtpReplyCheck::kOk) {
    if (reply.size() != kNtpPacketSize) std::abort();
    if (stamp(24) != nonce || stamp(32) == 0 || stamp(40) == 0) std::abort();
    if (sample.receive < 0 || sample.receive > kLast || sample.transmit < 0 || sample.transmit > kLast) std::abort();
    if (sample.stratum == 0 || sample.leap == 3) std::abort();
  } else if (sample.receive != -1 || sample.transmit != -1) {
    std::abort();  // a refused reply must not hand out a time
  }
  (void)DescribeNtpReplyCheck(check);
  return 0;
}
