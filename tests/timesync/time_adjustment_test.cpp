// Setting the clock from a server on 127.0.0.1, under Wine. The real
// SetLocalTime is only called with a time within half a second of now, which
// Wine accepts without touching the host's clock; larger changes it refuses.
#include "timesync/time_adjustment.h"

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

#include "timesync/ntp_test_replies.h"
#include "timesync/test_servers.h"

namespace {

using Replies = std::vector<std::vector<std::uint8_t>>;

ScriptedUdpServer::Script Serve(std::uint32_t ntpSeconds) {
  return [ntpSeconds](int, const std::vector<std::uint8_t>& request) {
    return Replies{ntp_test::SoundReply(request, ntpSeconds)};
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

TEST(AdjustSystemTime, SetsTheLocalFieldsOfTheServerTime) {
  ScriptedUdpServer server(Serve(0xE0000000u));  // 2019-02-02 11:39:44 UTC
  std::vector<SYSTEMTIME> set;
  const auto recorder = [&set](const SYSTEMTIME& t) {
    set.push_back(t);
    return true;
  };
  ASSERT_TRUE(AdjustSystemTime(On(server), recorder));
  ASSERT_EQ(set.size(), 1u);
  const std::time_t expected = 1549107584;
  std::tm local{};
  ASSERT_EQ(localtime_s(&local, &expected), 0);
  EXPECT_EQ(set[0].wYear, local.tm_year + 1900);
  EXPECT_EQ(set[0].wMonth, local.tm_mon + 1);
  EXPECT_EQ(set[0].wDay, local.tm_mday);
  EXPECT_EQ(set[0].wDayOfWeek, local.tm_wday);
  EXPECT_EQ(set[0].wHour, local.tm_hour);
  EXPECT_EQ(set[0].wMinute, local.tm_min);
  EXPECT_EQ(set[0].wSecond, 44);
  EXPECT_EQ(set[0].wMilliseconds, 0);

  // A refused SetLocalTime is a failed adjustment.
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
      {"no attempts", Serve(0xE0000000u), 1000, 0},
      {"negative time-out", Serve(0xE0000000u), -1, 1},
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
}

TEST(AdjustSystemTime, RealSetLocalTimeTakesTheTrueTimeAndRefusesAnHourOff) {
  // The server's seconds are truncated: serve now + 0.5 s so the result lands within half a second.
  ScriptedUdpServer trueTime([](int, const std::vector<std::uint8_t>& request) {
    FILETIME ft;
    ::GetSystemTimeAsFileTime(&ft);
    const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    const std::int64_t unixMs = static_cast<std::int64_t>(ticks / 10000) - 11644473600000LL + 500;
    return Replies{ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(unixMs / 1000))};
  });
  EXPECT_TRUE(AdjustSystemTime(On(trueTime)));
  ScriptedUdpServer hourOff([](int, const std::vector<std::uint8_t>& request) {
    return Replies{ntp_test::SoundReply(request, ntp_test::ToNtpSeconds(std::time(nullptr) + 3600))};
  });
  EXPECT_FALSE(AdjustSystemTime(On(hourOff)));
}

TEST(TimeAdjustWorker, WithoutAClockWindowDoesNothing) {
  ScriptedUdpServer server(Serve(0xE0000000u));
  TimeAdjustJob job;
  job.settings = On(server);
  int calls = 0;
  EXPECT_EQ(TimeAdjustWorker(job, [&calls](const SYSTEMTIME&) { return ++calls, true; }), 0u);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(server.Requests(), 0);
}

}  // namespace
