// Asks a time server for the current time: one 48-byte request and one
// 48-byte reply over UDP per attempt. Blocks for the whole exchange.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "timesync/ntp_packet.h"
#include "timesync/socket_api.h"

// Why the last attempt of a failed fetch ended.
enum class FetchFailure {
  kNone,
  kNoAttempts,    // attempts <= 0
  kSocket,        // no socket could be made
  kConnect,       // name or service look-up, or connect, failed
  kSend,          // send failed or timed out
  kReceive,       // nothing, or not exactly 48 bytes, arrived within the time-out
  kInvalidReply,  // 48 bytes that are not a usable answer (see `reply`)
  kLocalTime,     // the time cannot be turned into local time here
};

struct FetchResult {
  FetchFailure failure = FetchFailure::kNone;
  NtpReplyCheck reply = NtpReplyCheck::kOk;  // for kInvalidReply
};

const char* DescribeFetchResult(const FetchResult& result);

// On success `time` holds the server's receive time in whole seconds since
// 1970-01-01 UTC. Each attempt uses a fresh SocketClient and resolves the
// names again; a failed attempt is followed at once by the next one.
bool FetchServerTime(SocketApi& api, std::string_view host, std::string_view port, std::uint32_t timeoutMs,
                     int attempts, std::int64_t& time, FetchResult* result = nullptr,
                     const std::function<std::uint64_t()>& makeNonce = MakeNtpNonce);

// The same over this platform's sockets.
bool FetchServerTime(std::string_view host, std::string_view port, std::uint32_t timeoutMs, int attempts,
                     std::int64_t& time, FetchResult* result = nullptr);
