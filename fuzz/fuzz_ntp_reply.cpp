// Any datagram as a reply: the checks never read out of bounds, and a reply
// they accept is 48 bytes that echo the nonce and carry a time from 1970 to 2104.
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
  std::int64_t time = -1;
  const NtpReplyCheck check = CheckNtpReply(reply.empty() ? nullptr : reply.data(), reply.size(), nonce, time);
  if (check == NtpReplyCheck::kOk) {
    if (reply.size() != kNtpPacketSize) std::abort();
    std::uint64_t originate = 0;
    for (int i = 24; i < 32; ++i) originate = (originate << 8) | reply[static_cast<std::size_t>(i)];
    if (originate != nonce) std::abort();
    if (time < 0 || time > 4233462143LL) std::abort();
  } else if (time != -1) {
    std::abort();  // a refused reply must not hand out a time
  }
  (void)DescribeNtpReplyCheck(check);
  return 0;
}
