// Setting the clock from a server on 127.0.0.1, under Wine. The real
// SetSystemTime is only called with a time within half a second of now, which
// Wine accepts without touching the host's clock; larger changes it refuses.
#include "timesync/time_adjustment.h"

#include <gtest/gtest.h>

#include <vector>

#include "timesync/ntp_test_replies.h"
#include "timesync/socket_api.h"
#include "timesync/test_servers.h"

namespace {

using Replies = std::vector<std::vector<std::uint8_t>>;

std::int64_t UtcNow() { return PlatformSocketApi().UtcNowMicros(); }

std::int64_t ToUnixMicros(const SYSTEMTIME& utc) {
  FILETIME ft{};
  if (!::SystemTimeToFileTime(&utc, &ft)) return 0;
  const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10) - 11644473600LL * kMicrosPerSecond;
}

// A server whose clock is this machine's moved by `shift` microseconds.
ScriptedUdpServer::Script Shifted(std::int64_t shift) {
  return [shift](int, const std::vector<std::uint8_t>& request) {
    const std::uint64_t stamp = ntp_test::ToNtpStamp(UtcNow() + shift);
    return Replies{ntp_test::StampedReply(request, stamp, stamp)};
  };
}

TimeAdjustSettings On(const ScriptedUdpServer& server, std::int32_t timeoutMs = 2000, std::int32_t retries = 1) {
  TimeAdjustSettings settings;
  settings.server = "127.0.0.1";
  settings.port = server.Port();
  settings.timeoutMs = timeoutMs;
  settings.retries = retries;
  return settings;
}

TEST(AdjustSystemTime, SetsTheClockToItsOwnTimePlusTheOffsetToTheMillisecond) {
  const std::int64_t shifts[] = {250000, -750000, 999000, 3600 * kMicrosPerSecond + 125000,
                                 -86400 * kMicrosPerSecond - 500000};
  for (const std::int64_t shift : shifts) {
    ScriptedUdpServer server(Shifted(shift));
    std::vector<SYSTEMTIME> set;
    std::int64_t serverNow = 0;
    ASSERT_TRUE(AdjustSystemTime(On(server), [&](const SYSTEMTIME& utc) {
      serverNow = UtcNow() + shift;
      set.push_back(utc);
      return true;
    })) << shift;
    ASSERT_EQ(set.size(), 1u) << shift;
    // Dropping the milliseconds, or the fraction of the server's time, would be up to a second off.
    EXPECT_NEAR(static_cast<double>(ToUnixMicros(set[0]) - serverNow), 0.0, 20000.0) << "shift " << shift << " us";
    FILETIME ft;
    SYSTEMTIME same;
    ASSERT_TRUE(::SystemTimeToFileTime(&set[0], &ft) && ::FileTimeToSystemTime(&ft, &same));
    EXPECT_EQ(set[0].wDayOfWeek, same.wDayOfWeek) << shift;
  }

  // A refused SetSystemTime is a failed adjustment.
  ScriptedUdpServer server(Shifted(0));
  EXPECT_FALSE(AdjustSystemTime(On(server), [](const SYSTEMTIME&) { return false; }));
}

TEST(AdjustSystemTime, FailsWithoutTouchingTheClock) {
  struct Case {
    const char* name;
    ScriptedUdpServer::Script script;
    std::int32_t timeoutMs;
    std::int32_t retries;
  };
  const Case cases[] = {
      {"silent server", [](int, const std::vector<std::uint8_t>&) { return Replies{}; }, 300, 2},
      {"kiss-o'-death",
       [](int, const std::vector<std::uint8_t>& r) {
         auto reply = ntp_test::SoundReply(r, 0xE0000000u);
         reply[1] = 0;
         return Replies{reply};
       },
       1000, 2},
      {"no receive time (it once read as 2036)",
       [](int, const std::vector<std::uint8_t>& r) {
         return Replies{ntp_test::StampedReply(r, 0, ntp_test::ToNtpStamp(UtcNow()))};
       },
       1000, 2},
      {"a datagram for another request only",
       [](int, const std::vector<std::uint8_t>& r) {
         auto reply = ntp_test::StampedReply(r, ntp_test::ToNtpStamp(UtcNow()), ntp_test::ToNtpStamp(UtcNow()));
         reply[24] ^= 0x01;
         return Replies{reply};
       },
       300, 1},
      {"no attempts", Shifted(0), 1000, 0},
      {"negative time-out", Shifted(0), -1, 1},
  };
  for (const Case& c : cases) {
    ScriptedUdpServer server(c.script);
    int calls = 0;
    EXPECT_FALSE(AdjustSystemTime(On(server, c.timeoutMs, c.retries), [&calls](const SYSTEMTIME&) {
      ++calls;
      return true;
    })) << c.name;
    EXPECT_EQ(calls, 0) << c.name;
  }
  // A port that only wraps around to the server's is not the server's.
  ScriptedUdpServer server(Shifted(0));
  TimeAdjustSettings wrapped = On(server);
  wrapped.port = std::to_string(std::stoi(server.Port()) + 65536);
  EXPECT_FALSE(AdjustSystemTime(wrapped, [](const SYSTEMTIME&) { return true; }));
  EXPECT_EQ(server.Requests(), 0);
}

TEST(AdjustSystemTime, RealSetSystemTimeTakesAServerLessThanHalfASecondOffAndRefusesAnHourOff) {
  for (const std::int64_t shift : {400000LL, -400000LL, 0LL}) {
    ScriptedUdpServer server(Shifted(shift));
    EXPECT_TRUE(AdjustSystemTime(On(server))) << shift;
  }
  ScriptedUdpServer hourOff(Shifted(3600 * kMicrosPerSecond));
  EXPECT_FALSE(AdjustSystemTime(On(hourOff)));
}

TEST(TimeAdjustWorker, WithoutAClockWindowDoesNothing) {
  ScriptedUdpServer server(Shifted(0));
  TimeAdjustJob job;
  job.settings = On(server);
  int calls = 0;
  EXPECT_EQ(TimeAdjustWorker(job, [&calls](const SYSTEMTIME&) { return ++calls, true; }), 0u);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(server.Requests(), 0);
}

}  // namespace
