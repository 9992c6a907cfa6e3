// Asks a time server how its clock stands against this machine's: one 48-byte
// request and one 48-byte reply over UDP per attempt. Blocks for the whole
// exchange.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "timesync/ntp_packet.h"
#include "timesync/ntp_sample.h"
#include "timesync/socket_api.h"

// Why the last attempt of a failed fetch ended.
enum class FetchFailure {
  kNone,
  kNoAttempts,    // attempts <= 0
  kSocket,        // no socket could be made
  kPort,          // the port is neither 1 to 65535 nor a service name
  kConnect,       // name or service look-up, or connect, failed
  kSend,          // send failed or timed out
  kReceive,       // nothing, or not exactly 48 bytes, arrived within the time-out
  kInvalidReply,  // 48 bytes that are not a usable answer (see `reply`)
  kDelay,         // the round trip came out negative or longer than the time-out
};

struct FetchResult {
  FetchFailure failure = FetchFailure::kNone;
  NtpReplyCheck reply = NtpReplyCheck::kOk;  // for kInvalidReply
};

const char* DescribeFetchResult(const FetchResult& result);

// On success `sample` holds the exchange: this machine's send and arrival
// times around the server's receive and transmit times. Each attempt uses a
// fresh SocketClient and resolves the names again; a failed attempt is
// followed at once by the next one. A datagram that does not answer this
// attempt's request is dropped and the wait for the answer goes on until the
// time-out.
bool FetchServerTime(SocketApi& api, std::string_view host, std::string_view port, std::uint32_t timeoutMs,
                     int attempts, NtpSample& sample, FetchResult* result = nullptr,
                     const std::function<std::uint64_t()>& makeNonce = MakeNtpNonce);

// The same over this platform's sockets.
bool FetchServerTime(std::string_view host, std::string_view port, std::uint32_t timeoutMs, int attempts,
                     NtpSample& sample, FetchResult* result = nullptr);

// `samples` fetches, each with its own time-out and attempts as above; `sample`
// becomes the one with the shortest round trip, which has the least room for an
// asymmetric path to bend the offset. Fails only when no fetch succeeded;
// `result` then says why the last one failed.
bool FetchBestSample(SocketApi& api, std::string_view host, std::string_view port, std::uint32_t timeoutMs,
                     int attempts, int samples, NtpSample& sample, FetchResult* result = nullptr,
                     const std::function<std::uint64_t()>& makeNonce = MakeNtpNonce);
bool FetchBestSample(std::string_view host, std::string_view port, std::uint32_t timeoutMs, int attempts,
                     int samples, NtpSample& sample, FetchResult* result = nullptr);
