#include "timesync/time_sync_client.h"

#include <ctime>

#include "timesync/socket_client.h"

namespace {

// The local broken-down time and back, as the clock will be set from it:
// a time this platform's calendar functions cannot handle fails the fetch.
bool ThroughLocalTime(std::int64_t unixSeconds, std::int64_t& result) {
  const auto value = static_cast<std::time_t>(unixSeconds);
  if (static_cast<std::int64_t>(value) != unixSeconds) return false;  // a 32-bit time_t
  std::tm local{};
#ifdef _WIN32
  if (localtime_s(&local, &value) != 0) return false;
#else
  if (localtime_r(&value, &local) == nullptr) return false;
#endif
  const std::time_t back = std::mktime(&local);
  if (back == static_cast<std::time_t>(-1)) return false;
  result = static_cast<std::int64_t>(back);
  return true;
}

FetchResult Attempt(SocketApi& api, std::string_view host, std::string_view port, std::uint32_t timeoutMs,
                    std::uint64_t nonce, std::int64_t& time) {
  SocketClient client(api);
  if (!client.Open(SocketApi::kDatagram)) return {FetchFailure::kSocket};
  if (!client.Connect(host, port)) return {FetchFailure::kConnect};
  NtpPacket packet = BuildNtpRequest(nonce);
  if (!client.Send(packet.data(), packet.size(), timeoutMs)) return {FetchFailure::kSend};
  packet.fill(0);
  if (!client.Receive(packet.data(), packet.size(), timeoutMs)) return {FetchFailure::kReceive};
  std::int64_t serverTime = 0;
  const NtpReplyCheck check = CheckNtpReply(packet.data(), packet.size(), nonce, serverTime);
  if (check != NtpReplyCheck::kOk) return {FetchFailure::kInvalidReply, check};
  if (!ThroughLocalTime(serverTime, time)) return {FetchFailure::kLocalTime};
  return {};
}

}  // namespace

const char* DescribeFetchResult(const FetchResult& result) {
  switch (result.failure) {
    case FetchFailure::kNone: return "ok";
    case FetchFailure::kNoAttempts: return "no attempts to make";
    case FetchFailure::kSocket: return "no socket could be made";
    case FetchFailure::kConnect: return "cannot resolve or connect to the server";
    case FetchFailure::kSend: return "cannot send the request";
    case FetchFailure::kReceive: return "no valid 48-byte reply within the time-out";
    case FetchFailure::kInvalidReply: return DescribeNtpReplyCheck(result.reply);
    case FetchFailure::kLocalTime: return "the server time cannot be shown as local time";
  }
  return "failed";
}

bool FetchServerTime(SocketApi& api, std::string_view host, std::string_view port, std::uint32_t timeoutMs,
                     int attempts, std::int64_t& time, FetchResult* result,
                     const std::function<std::uint64_t()>& makeNonce) {
  FetchResult last{FetchFailure::kNoAttempts};
  for (int i = 0; i < attempts; ++i) {
    std::int64_t value = 0;
    last = Attempt(api, host, port, timeoutMs, makeNonce(), value);
    if (last.failure == FetchFailure::kNone) {
      time = value;
      break;
    }
  }
  if (result) *result = last;
  return last.failure == FetchFailure::kNone;
}
