#include "timesync/time_sync_client.h"

#include <gtest/gtest.h>

#include "timesync/fake_socket_api.h"
#include "timesync/ntp_test_replies.h"

namespace {

TEST(FetchServerTime, NoAttemptsMakeNoSocket) {
  for (int attempts : {0, -1, -2147483647 - 1}) {
    FakeSocketApi api;
    std::int64_t time = 77;
    FetchResult result;
    EXPECT_FALSE(FetchServerTime(api, "127.0.0.1", "123", 1000, attempts, time, &result)) << attempts;
    EXPECT_EQ(result.failure, FetchFailure::kNoAttempts);
    EXPECT_EQ(api.startups, 0) << attempts;
    EXPECT_TRUE(api.calls.empty()) << attempts;
    EXPECT_EQ(time, 77);
  }
}

TEST(FetchServerTime, UsesADatagramSocketAndAFreshClientPerAttempt) {
  FakeSocketApi api;
  api.hosts["time.example"] = 0x0100007F;
  int replies = 0;
  // The first two replies are refused, the third is sound.
  api.reply = [&replies](const std::vector<std::uint8_t>& request) {
    auto reply = ntp_test::SoundReply(request, 0xE0000000u);
    if (++replies == 1) reply[1] = 0;
    if (replies == 2) reply.resize(47);
    return reply;
  };
  std::int64_t time = 0;
  ASSERT_TRUE(FetchServerTime(api, "time.example", "123", 500, 5, time));
  EXPECT_EQ(time, 1549107584);
  EXPECT_EQ(api.startups, 3);
  EXPECT_EQ(api.cleanups, 3);
  EXPECT_EQ(api.opened, 3);
  EXPECT_EQ(api.closed, 3);
  EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "socket dgram"), 3);
  EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "gethostbyname time.example"), 3)
      << "the name is resolved again for every attempt";
  ASSERT_EQ(api.requests.size(), 3u);
  for (const auto& request : api.requests) {
    ASSERT_EQ(request.size(), 48u);
    EXPECT_EQ(request[0], 0x0B);
  }
  EXPECT_NE(api.requests[0], api.requests[1]) << "each attempt carries its own nonce";
}

TEST(FetchServerTime, FailsAfterEveryAttemptEndedEarly) {
  struct Case {
    const char* name;
    void (*setUp)(FakeSocketApi&);
    FetchFailure failure;
  };
  const Case cases[] = {
      {"no socket", [](FakeSocketApi& a) { a.socketFails = true; }, FetchFailure::kSocket},
      {"unknown host", [](FakeSocketApi&) {}, FetchFailure::kConnect},
      {"silent server",
       [](FakeSocketApi& a) {
         a.hosts["time.example"] = 1;
         for (int i = 0; i < 3; ++i) a.waits.push_back({1, 0}), a.waits.push_back({0, 800});
       },
       FetchFailure::kReceive},
      {"forged reply",
       [](FakeSocketApi& a) {
         a.hosts["time.example"] = 1;
         a.reply = [](const std::vector<std::uint8_t>& r) {
           auto reply = ntp_test::SoundReply(r, 0xE0000000u);
           reply[24] ^= 0xFF;
           return reply;
         };
       },
       FetchFailure::kInvalidReply},
  };
  for (const Case& c : cases) {
    FakeSocketApi api;
    c.setUp(api);
    std::int64_t time = 5;
    FetchResult result;
    EXPECT_FALSE(FetchServerTime(api, "time.example", "123", 800, 3, time, &result)) << c.name;
    EXPECT_EQ(result.failure, c.failure) << c.name;
    EXPECT_EQ(time, 5) << c.name;
    EXPECT_EQ(api.startups, 3) << c.name << ": three attempts";
    EXPECT_EQ(api.cleanups, 3) << c.name;
    EXPECT_EQ(api.opened, api.closed) << c.name;
  }
}

}  // namespace
