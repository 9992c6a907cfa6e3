// The time client over this platform's real sockets against servers on
// 127.0.0.1: chronyd, and a scripted server for replies chronyd never sends.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "timesync/ntp_test_replies.h"
#include "timesync/test_servers.h"
#include "timesync/time_sync_client.h"

namespace {

using Clock = std::chrono::steady_clock;
using Replies = std::vector<std::vector<std::uint8_t>>;

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(RealTimeServer, ChronydAgreesWithThisMachinesClock) {
  ChronydServer chronyd;
  if (!chronyd.Problem().empty()) FAIL() << chronyd.Problem();
  // chronyd without sources serves this machine's own clock: whatever is
  // measured beyond that is the client's error. Of three samples the one with
  // the shortest round trip counts, so that a busy machine's hiccup does not.
  for (const char* host : {"127.0.0.1", "localhost"}) {
    NtpSample best;
    for (int i = 0; i < 3; ++i) {
      NtpSample sample;
      FetchResult result;
      const std::int64_t before = Now();
      ASSERT_TRUE(FetchServerTime(host, chronyd.Port(), 3000, 2, sample, &result)) << DescribeFetchResult(result);
      EXPECT_GE(sample.receive / kMicrosPerSecond, before - 1) << host;
      EXPECT_LE(sample.receive / kMicrosPerSecond, Now() + 1) << host;
      EXPECT_GE(sample.Delay(), 0) << host;
      EXPECT_EQ(sample.stratum, 8u) << host;
      if (i == 0 || sample.Delay() < best.Delay()) best = sample;
    }
    EXPECT_NEAR(static_cast<double>(best.Offset()), 0.0, 50000.0) << host << ": offset in microseconds";
    EXPECT_LT(best.Delay(), 50000) << host << ": delay in microseconds";
    std::printf("chronyd on %s: offset %+lld us, delay %lld us\n", host, static_cast<long long>(best.Offset()),
                static_cast<long long>(best.Delay()));
  }
}

TEST(RealTimeServer, RefusesEveryBrokenReply) {
  for (const ntp_test::Spoil& spoil : ntp_test::Spoils()) {
    ScriptedUdpServer server([&spoil](int, const std::vector<std::uint8_t>& request) {
      auto reply = ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(Now()));
      spoil.apply(reply);
      return Replies{reply};
    });
    ASSERT_TRUE(server.Running());
    // A datagram that answers no request of ours is dropped and the wait goes on.
    const bool stale = spoil.expected == NtpReplyCheck::kWrongOriginate;
    const std::uint32_t timeoutMs = stale ? 300 : 2000;
    NtpSample sample;
    sample.receive = -1;
    FetchResult result;
    const auto start = Clock::now();
    EXPECT_FALSE(FetchServerTime("127.0.0.1", server.Port(), timeoutMs, 2, sample, &result)) << spoil.name;
    const long long ms = MsSince(start);
    EXPECT_EQ(sample.receive, -1) << spoil.name;
    EXPECT_EQ(server.Requests(), 2) << spoil.name << ": the next attempt follows a refused reply";
    if (spoil.expected == NtpReplyCheck::kWrongSize) {
      EXPECT_EQ(result.failure, FetchFailure::kReceive) << spoil.name;
    } else {
      EXPECT_EQ(result.failure, FetchFailure::kInvalidReply) << spoil.name;
      EXPECT_EQ(result.reply, spoil.expected) << spoil.name;
    }
    if (stale) {
      EXPECT_GE(ms, 2 * 300 - 80) << spoil.name << ": each attempt waited for its time-out";
    } else {
      EXPECT_LT(ms, 1500) << spoil.name << ": a refused answer ends the attempt at once";
    }
  }
}

TEST(RealTimeServer, TakesTheAnswerThatFollowsAStaleDatagram) {
  // Each request is answered twice: first as if it were another request (an hour off), then truly.
  const std::int64_t serverTime = Now();
  ScriptedUdpServer server([serverTime](int, const std::vector<std::uint8_t>& request) {
    auto stale = ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(serverTime + 3600));
    stale[30] ^= 0x40;
    return Replies{stale, ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(serverTime))};
  });
  NtpSample sample;
  FetchResult result;
  ASSERT_TRUE(FetchServerTime("127.0.0.1", server.Port(), 2000, 1, sample, &result)) << DescribeFetchResult(result);
  EXPECT_EQ(sample.receive, serverTime * kMicrosPerSecond + 500000);
  EXPECT_EQ(server.Requests(), 1);
}

TEST(RealTimeServer, TakesTheSoundReplyOfALaterAttempt) {
  // Kiss-o'-death first, then a reply without a receive time, then the true one.
  const std::int64_t serverTime = Now() - 3600;
  ScriptedUdpServer server([serverTime](int index, const std::vector<std::uint8_t>& request) {
    auto reply = ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(serverTime));
    if (index == 0) reply[1] = 0;
    if (index == 1) std::fill(reply.begin() + 32, reply.begin() + 40, 0);
    return Replies{reply};
  });
  NtpSample sample;
  ASSERT_TRUE(FetchServerTime("127.0.0.1", server.Port(), 2000, 3, sample));
  EXPECT_EQ(sample.receive, serverTime * kMicrosPerSecond + 500000);
  EXPECT_EQ(server.Requests(), 3);
}

TEST(RealTimeServer, AcceptsARepliedYear2040) {
  // 2040-01-01 00:00:00 UTC is in the protocol's second era.
  ScriptedUdpServer server([](int, const std::vector<std::uint8_t>& request) {
    return Replies{ntp_test::SoundReply(request, 123010304u)};
  });
  NtpSample sample;
  ASSERT_TRUE(FetchServerTime("127.0.0.1", server.Port(), 2000, 1, sample));
  EXPECT_EQ(sample.receive, 2208988800LL * kMicrosPerSecond + 500000);
  EXPECT_GT(sample.Offset(), 0);
}

TEST(RealTimeServer, ASilentServerCostsOneTimeOutPerAttempt) {
  struct Case {
    std::uint32_t timeoutMs;
    int attempts;
  };
  for (const Case c : {Case{300, 1}, Case{300, 3}}) {
    ScriptedUdpServer server([](int, const std::vector<std::uint8_t>&) { return Replies{}; });
    NtpSample sample;
    FetchResult result;
    const auto start = Clock::now();
    EXPECT_FALSE(FetchServerTime("127.0.0.1", server.Port(), c.timeoutMs, c.attempts, sample, &result));
    const long long ms = MsSince(start);
    EXPECT_EQ(result.failure, FetchFailure::kReceive);
    EXPECT_EQ(server.Requests(), c.attempts);
    // Each attempt waits the whole time-out for the reply (the tick counter may be coarse).
    EXPECT_GE(ms, static_cast<long long>(c.timeoutMs) * c.attempts - 40 * c.attempts) << c.attempts << " attempts";
    EXPECT_LT(ms, static_cast<long long>(c.timeoutMs) * c.attempts + 3000) << c.attempts << " attempts";
  }
}

TEST(RealTimeServer, APortTextThatIsNoWholePortReachesNoServer) {
  // The server listens on P; P + 65536 and P with a tail once reached it.
  ScriptedUdpServer server([](int, const std::vector<std::uint8_t>& request) {
    return Replies{ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(Now()))};
  });
  const std::string port = server.Port();
  const std::string refused[] = {std::to_string(std::stoi(port) + 65536), port + "abc", "0", std::string("-").append(port)};
  for (const std::string& text : refused) {
    NtpSample sample;
    FetchResult result;
    EXPECT_FALSE(FetchServerTime("127.0.0.1", text, 500, 2, sample, &result)) << text;
    EXPECT_EQ(result.failure, FetchFailure::kPort) << text;
  }
  EXPECT_EQ(server.Requests(), 0);
  NtpSample sample;
  EXPECT_TRUE(FetchServerTime("127.0.0.1", std::string(" ").append(port).append(" "), 2000, 1, sample))
      << "blanks around it";

  FetchResult result;
  EXPECT_FALSE(FetchServerTime("127.0.0.1", "no-such-service-here", 500, 2, sample, &result));
  EXPECT_EQ(result.failure, FetchFailure::kConnect);
  EXPECT_FALSE(FetchServerTime("no-such-host.invalid", "123", 500, 1, sample, &result));
  EXPECT_EQ(result.failure, FetchFailure::kConnect);
}

}  // namespace
