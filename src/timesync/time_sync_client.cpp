#include "timesync/time_sync_client.h"

#include "timesync/socket_client.h"

namespace {

FetchResult Attempt(SocketApi& api, std::string_view host, std::string_view port, std::uint32_t timeoutMs,
                    std::uint64_t nonce, NtpSample& sample) {
  SocketClient client(api);
  if (!client.Open(SocketApi::kDatagram)) return {FetchFailure::kSocket};
  std::uint16_t portNumber = 0;
  if (SocketClient::ReadPort(port.substr(0, port.find('\0')), portNumber) == SocketClient::PortText::kInvalid)
    return {FetchFailure::kPort};
  if (!client.Connect(host, port)) return {FetchFailure::kConnect};
  NtpPacket packet = BuildNtpRequest(nonce);
  NtpSample exchange;
  exchange.originate = api.UtcNowMicros();
  if (!client.Send(packet.data(), packet.size(), timeoutMs)) return {FetchFailure::kSend};

  // Whatever does not echo our nonce (a late answer to an earlier request, a
  // forged datagram) is not the answer: wait on for the rest of the time-out.
  const std::uint32_t start = api.TickCount();
  std::uint32_t wait = timeoutMs;
  bool dropped = false;
  for (;;) {
    packet.fill(0);
    if (!client.Receive(packet.data(), packet.size(), wait)) {
      if (dropped) return {FetchFailure::kInvalidReply, NtpReplyCheck::kWrongOriginate};
      return {FetchFailure::kReceive};
    }
    exchange.arrival = api.UtcNowMicros();
    const NtpReplyCheck check = CheckNtpReply(packet.data(), packet.size(), nonce, exchange);
    if (check == NtpReplyCheck::kOk) break;
    if (check != NtpReplyCheck::kWrongOriginate) return {FetchFailure::kInvalidReply, check};
    dropped = true;
    const std::uint32_t elapsed = api.TickCount() - start;
    if (elapsed >= timeoutMs) return {FetchFailure::kInvalidReply, NtpReplyCheck::kWrongOriginate};
    wait = timeoutMs - elapsed;
  }

  const std::int64_t delay = exchange.Delay();
  if (delay < 0 || delay > static_cast<std::int64_t>(timeoutMs) * 1000) return {FetchFailure::kDelay};
  sample = exchange;
  return {};
}

}  // namespace

const char* DescribeFetchResult(const FetchResult& result) {
  switch (result.failure) {
    case FetchFailure::kNone: return "ok";
    case FetchFailure::kNoAttempts: return "no attempts to make";
    case FetchFailure::kSocket: return "no socket could be made";
    case FetchFailure::kPort: return "the port is not a number from 1 to 65535 or a service name";
    case FetchFailure::kConnect: return "cannot resolve or connect to the server";
    case FetchFailure::kSend: return "cannot send the request";
    case FetchFailure::kReceive: return "no valid 48-byte reply within the time-out";
    case FetchFailure::kInvalidReply: return DescribeNtpReplyCheck(result.reply);
    case FetchFailure::kDelay: return "the reply's round-trip delay is negative or longer than the time-out";
  }
  return "failed";
}

bool FetchServerTime(SocketApi& api, std::string_view host, std::string_view port, std::uint32_t timeoutMs,
                     int attempts, NtpSample& sample, FetchResult* result,
                     const std::function<std::uint64_t()>& makeNonce) {
  FetchResult last{FetchFailure::kNoAttempts};
  for (int i = 0; i < attempts; ++i) {
    last = Attempt(api, host, port, timeoutMs, makeNonce(), sample);
    if (last.failure == FetchFailure::kNone) break;
  }
  if (result) *result = last;
  return last.failure == FetchFailure::kNone;
}

bool FetchBestSample(SocketApi& api, std::string_view host, std::string_view port, std::uint32_t timeoutMs,
                     int attempts, int samples, NtpSample& sample, FetchResult* result,
                     const std::function<std::uint64_t()>& makeNonce) {
  FetchResult last{FetchFailure::kNoAttempts};
  bool any = false;
  NtpSample best;
  for (int i = 0; i < samples; ++i) {
    NtpSample one;
    FetchResult outcome;
    if (!FetchServerTime(api, host, port, timeoutMs, attempts, one, &outcome, makeNonce)) {
      last = outcome;
      continue;
    }
    if (!any || one.Delay() < best.Delay()) best = one;
    any = true;
  }
  if (any) {
    sample = best;
    last = {};
  }
  if (result) *result = last;
  return any;
}
