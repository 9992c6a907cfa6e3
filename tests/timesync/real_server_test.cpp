// The time client over this platform's real sockets against servers on
// 127.0.0.1: chronyd, and a scripted server for replies chronyd never sends.
#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "timesync/ntp_test_replies.h"
#include "timesync/test_servers.h"
#include "timesync/time_sync_client.h"

namespace {

using Clock = std::chrono::steady_clock;
using Replies = std::vector<std::vector<std::uint8_t>>;

std::int64_t Now() { return static_cast<std::int64_t>(std::time(nullptr)); }

TEST(RealTimeServer, ChronydGivesTheRightTime) {
  ChronydServer chronyd;
  if (!chronyd.Problem().empty()) FAIL() << chronyd.Problem();
  std::int64_t time = 0;
  FetchResult result;
  const std::int64_t before = Now();
  ASSERT_TRUE(FetchServerTime("127.0.0.1", chronyd.Port(), 3000, 2, time, &result)) << DescribeFetchResult(result);
  EXPECT_GE(time, before - 1);
  EXPECT_LE(time, Now() + 1);
  // The port as a number with a tail is the same port; "localhost" is looked up.
  ASSERT_TRUE(FetchServerTime("localhost", chronyd.Port() + "x", 3000, 1, time, &result))
      << DescribeFetchResult(result);
  EXPECT_NEAR(static_cast<double>(time), static_cast<double>(Now()), 2);
}

TEST(RealTimeServer, RefusesEveryBrokenReply) {
  for (const ntp_test::Spoil& spoil : ntp_test::Spoils()) {
    ScriptedUdpServer server([&spoil](int, const std::vector<std::uint8_t>& request) {
      auto reply = ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(Now()));
      spoil.apply(reply);
      return Replies{reply};
    });
    ASSERT_TRUE(server.Running());
    std::int64_t time = -1;
    FetchResult result;
    EXPECT_FALSE(FetchServerTime("127.0.0.1", server.Port(), 2000, 2, time, &result)) << spoil.name;
    EXPECT_EQ(time, -1) << spoil.name;
    EXPECT_EQ(server.Requests(), 2) << spoil.name << ": the next attempt follows a refused reply";
    if (spoil.expected == NtpReplyCheck::kWrongSize) {
      EXPECT_EQ(result.failure, FetchFailure::kReceive) << spoil.name;
    } else {
      EXPECT_EQ(result.failure, FetchFailure::kInvalidReply) << spoil.name;
      EXPECT_EQ(result.reply, spoil.expected) << spoil.name;
    }
  }
}

TEST(RealTimeServer, TakesTheSoundReplyOfALaterAttempt) {
  // Kiss-o'-death first, then a forged reply, then the true one.
  const std::int64_t serverTime = Now() - 3600;
  ScriptedUdpServer server([serverTime](int index, const std::vector<std::uint8_t>& request) {
    auto reply = ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(serverTime));
    if (index == 0) reply[1] = 0;
    if (index == 1) reply[25] ^= 0x10;
    return Replies{reply};
  });
  std::int64_t time = 0;
  ASSERT_TRUE(FetchServerTime("127.0.0.1", server.Port(), 2000, 3, time));
  EXPECT_EQ(time, serverTime);
  EXPECT_EQ(server.Requests(), 3);
}

TEST(RealTimeServer, AcceptsARepliedYear2040) {
  // 2040-01-01 00:00:00 UTC is in the protocol's second era.
  ScriptedUdpServer server([](int, const std::vector<std::uint8_t>& request) {
    return Replies{ntp_test::SoundReply(request, 123010304u)};
  });
  std::int64_t time = 0;
  ASSERT_TRUE(FetchServerTime("127.0.0.1", server.Port(), 2000, 1, time));
  EXPECT_EQ(time, 2208988800LL);
}

TEST(RealTimeServer, ASilentServerCostsOneTimeOutPerAttempt) {
  struct Case {
    std::uint32_t timeoutMs;
    int attempts;
  };
  for (const Case c : {Case{300, 1}, Case{300, 3}}) {
    ScriptedUdpServer server([](int, const std::vector<std::uint8_t>&) { return Replies{}; });
    std::int64_t time = 0;
    FetchResult result;
    const auto start = Clock::now();
    EXPECT_FALSE(FetchServerTime("127.0.0.1", server.Port(), c.timeoutMs, c.attempts, time, &result));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    EXPECT_EQ(result.failure, FetchFailure::kReceive);
    EXPECT_EQ(server.Requests(), c.attempts);
    // Each attempt waits the whole time-out for the reply (the tick counter may be coarse).
    EXPECT_GE(ms, static_cast<long long>(c.timeoutMs) * c.attempts - 40 * c.attempts) << c.attempts << " attempts";
    EXPECT_LT(ms, static_cast<long long>(c.timeoutMs) * c.attempts + 3000) << c.attempts << " attempts";
  }
}

TEST(RealTimeServer, PortZeroAndUnknownServicesFailAtConnect) {
  for (const char* port : {"0", "no-such-service-here"}) {
    std::int64_t time = 0;
    FetchResult result;
    EXPECT_FALSE(FetchServerTime("127.0.0.1", port, 500, 2, time, &result)) << port;
    EXPECT_EQ(result.failure, FetchFailure::kConnect) << port;
  }
  std::int64_t time = 0;
  FetchResult result;
  EXPECT_FALSE(FetchServerTime("no-such-host.invalid", "123", 500, 1, time, &result));
  EXPECT_EQ(result.failure, FetchFailure::kConnect);
}

}  // namespace
