#include "timesync/time_sync_client.h"

#include <gtest/gtest.h>

#include "timesync/fake_socket_api.h"
#include "timesync/ntp_test_replies.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(FetchServerTime, NoAttemptsMakeNoSocket) {
  for (int attempts : {0, -1, -2147483647 - 1}) {
    FakeSocketApi api;
    NtpSample sample;
    sample.receive = 77;
    FetchResult result;
    EXPECT_FALSE(FetchServerTime(api, "127.0.0.1", "123", 1000, attempts, sample, &result)) << attempts;
    EXPECT_EQ(result.failure, FetchFailure::kNoAttempts);
    EXPECT_EQ(api.startups, 0) << attempts;
    EXPECT_TRUE(api.calls.empty()) << attempts;
    EXPECT_EQ(sample.receive, 77);
  }
}

TEST(FetchServerTime, UsesADatagramSocketAndAFreshClientPerAttempt) {
  FakeSocketApi api;
  api.hosts["time.example"] = 0x0100007F;
  int replies = 0;
  // The first two replies are refused, the third is sound.
  api.reply = [&replies](const Bytes& request) {
    auto reply = ntp_test::SoundReply(request, 0xE0000000u);
    if (++replies == 1) reply[1] = 0;
    if (replies == 2) reply.resize(47);
    return reply;
  };
  NtpSample sample;
  ASSERT_TRUE(FetchServerTime(api, "time.example", "123", 500, 5, sample));
  EXPECT_EQ(sample.receive, 1549107584500000);
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

// One exchange: this machine's clock reads T1 when the request leaves, the
// reply is ready `roundTripMs` later (T4); the server stamps T2 and T3.
struct Exchange {
  const char* name;
  std::int64_t t1;  // microseconds since 1970, like the other three
  std::uint32_t roundTripMs;
  std::int64_t t2, t3;
};

void Script(FakeSocketApi& api, const Exchange& e, int attempts) {
  api.utcMicros = e.t1;
  api.hosts["time.example"] = 1;
  for (int i = 0; i < attempts; ++i) api.waits.push_back({1, 0}), api.waits.push_back({1, e.roundTripMs});
  api.reply = [e](const Bytes& request) {
    return ntp_test::StampedReply(request, ntp_test::ToNtpStamp(e.t2), ntp_test::ToNtpStamp(e.t3));
  };
}

constexpr std::int64_t kS = 1000000;
constexpr std::int64_t k2019 = 1549107584 * kS;    // 2019-02-02 11:39:44 UTC
constexpr std::int64_t kEra1 = 2085978496 * kS;    // 2036-02-07 06:28:16 UTC, timestamp seconds 0 again

TEST(FetchServerTime, MeasuresOffsetAndDelayFromTheFourTimestamps) {
  struct Case {
    Exchange e;
    std::int64_t offset, delay;
  };
  const Case cases[] = {
      {{"server 0.25 s ahead, with fractions", k2019 + 100000, 4, k2019 + 351500, k2019 + 351750}, 249625, 3750},
      {{"server 1.5 s behind", k2019 + 100000, 10, k2019 - 1395000, k2019 - 1394900}, -1499950, 9900},
      {{"local clock before the era boundary, server after", kEra1 - 10000, 4, kEra1 + 1000, kEra1 + 2000}, 9500, 3000},
      {{"server receives in the first era and answers in the second", kEra1 - 1000, 2, kEra1 - 100, kEra1 + 100}, 0,
       1800},
      {{"an hour ahead, the request held 200 ms", k2019, 204, k2019 + 3600 * kS + 2000, k2019 + 3600 * kS + 202000},
       3600 * kS, 4000},
      {{"local clock in 1980, server in 2040", 315532800 * kS, 0, 2208988800 * kS, 2208988800 * kS},
       1893456000 * kS, 0},
      {{"a round trip of the whole time-out", k2019, 1000, k2019 + 500000, k2019 + 500000}, 0, 1000000},
  };
  for (const Case& c : cases) {
    FakeSocketApi api;
    Script(api, c.e, 1);
    NtpSample sample;
    FetchResult result;
    ASSERT_TRUE(FetchServerTime(api, "time.example", "123", 1000, 1, sample, &result))
        << c.e.name << ": " << DescribeFetchResult(result);
    EXPECT_EQ(sample.originate, c.e.t1) << c.e.name;
    EXPECT_EQ(sample.receive, c.e.t2) << c.e.name;
    EXPECT_EQ(sample.transmit, c.e.t3) << c.e.name;
    EXPECT_EQ(sample.arrival, c.e.t1 + std::int64_t{c.e.roundTripMs} * 1000) << c.e.name;
    EXPECT_EQ(sample.Offset(), c.offset) << c.e.name;
    EXPECT_EQ(sample.Delay(), c.delay) << c.e.name;
    EXPECT_EQ(sample.stratum, 2u) << c.e.name;
  }
}

TEST(FetchServerTime, ARoundTripBelowZeroOrBeyondTheTimeOutIsAFailedAttempt) {
  const Exchange cases[] = {
      {"the server held the request longer than the round trip", k2019, 4, k2019 + 1000, k2019 + 11000},
      {"transmitted a second before it received", k2019, 4, k2019 + 1000, k2019 - 999000},
      {"the reply took longer than the time-out", k2019, 1001, k2019 + 500000, k2019 + 500000},
  };
  for (const Exchange& e : cases) {
    FakeSocketApi api;
    Script(api, e, 2);
    NtpSample sample;
    FetchResult result;
    EXPECT_FALSE(FetchServerTime(api, "time.example", "123", 1000, 2, sample, &result)) << e.name;
    // A reply that left before it arrived is refused as such, before any delay is worked out.
    if (e.t3 < e.t2) {
      EXPECT_EQ(result.failure, FetchFailure::kInvalidReply) << e.name;
      EXPECT_EQ(result.reply, NtpReplyCheck::kTransmitBeforeReceive) << e.name;
    } else {
      EXPECT_EQ(result.failure, FetchFailure::kDelay) << e.name;
    }
    EXPECT_EQ(api.requests.size(), 2u) << e.name << ": the next attempt follows";
    EXPECT_EQ(sample.receive, 0) << e.name;
  }
}

TEST(FetchServerTime, DropsADatagramForAnotherRequestAndWaitsOnForTheAnswer) {
  struct Case {
    const char* name;
    std::vector<FakeSocketApi::Wait> waits;  // the send's, then the receives'
    int stale;                               // how many stale datagrams come first
    bool ok;
    std::vector<std::uint32_t> waitTimeouts;
  };
  const Case cases[] = {
      {"a stale datagram, then the answer", {{1, 0}, {1, 100}, {1, 50}}, 1, true, {1000, 1000, 900}},
      {"two stale datagrams, then the answer", {{1, 0}, {1, 100}, {1, 300}, {1, 50}}, 2, true, {1000, 1000, 900, 600}},
      {"stale datagrams until the time-out", {{1, 0}, {1, 400}, {1, 500}, {0, 100}}, 99, false, {1000, 1000, 600, 100}},
      {"a stale datagram at the very end of the time-out", {{1, 0}, {1, 1000}}, 99, false, {1000, 1000}},
  };
  for (const Case& c : cases) {
    FakeSocketApi api;
    api.hosts["time.example"] = 1;
    api.waits.assign(c.waits.begin(), c.waits.end());
    int received = 0;
    api.reply = [&received, &c](const Bytes& request) {
      auto reply = ntp_test::SoundReply(request, 0xE0000000u);
      if (received++ < c.stale) reply[31] ^= 1;  // echoes some other nonce
      return reply;
    };
    NtpSample sample;
    FetchResult result;
    EXPECT_EQ(FetchServerTime(api, "time.example", "123", 1000, 1, sample, &result), c.ok) << c.name;
    EXPECT_EQ(api.requests.size(), 1u) << c.name << ": one request, one attempt";
    EXPECT_EQ(api.waitTimeouts, c.waitTimeouts) << c.name;
    if (c.ok) {
      EXPECT_EQ(sample.receive, 1549107584500000) << c.name;
    } else {
      EXPECT_EQ(result.failure, FetchFailure::kInvalidReply) << c.name;
      EXPECT_EQ(result.reply, NtpReplyCheck::kWrongOriginate) << c.name;
    }
  }
}

TEST(FetchServerTime, FailsAfterEveryAttemptEndedEarly) {
  struct Case {
    const char* name;
    const char* port;
    void (*setUp)(FakeSocketApi&);
    FetchFailure failure;
  };
  const auto known = [](FakeSocketApi& a) { a.hosts["time.example"] = 1; };
  const Case cases[] = {
      {"no socket", "123", [](FakeSocketApi& a) { a.socketFails = true; }, FetchFailure::kSocket},
      {"unknown host", "123", [](FakeSocketApi&) {}, FetchFailure::kConnect},
      {"port 65536", "65536", known, FetchFailure::kPort},
      {"port 123abc", "123abc", known, FetchFailure::kPort},
      {"port 0", "0", known, FetchFailure::kPort},
      {"unknown service", "no-such-service", known, FetchFailure::kConnect},
      {"silent server", "123",
       [](FakeSocketApi& a) {
         a.hosts["time.example"] = 1;
         for (int i = 0; i < 3; ++i) a.waits.push_back({1, 0}), a.waits.push_back({0, 800});
       },
       FetchFailure::kReceive},
      {"no receive time", "123",
       [](FakeSocketApi& a) {
         a.hosts["time.example"] = 1;
         a.reply = [](const Bytes& r) { return ntp_test::StampedReply(r, 0, 0xE000000080000000ull); };
       },
       FetchFailure::kInvalidReply},
  };
  for (const Case& c : cases) {
    FakeSocketApi api;
    c.setUp(api);
    NtpSample sample;
    sample.receive = 5;
    FetchResult result;
    EXPECT_FALSE(FetchServerTime(api, "time.example", c.port, 800, 3, sample, &result)) << c.name;
    EXPECT_EQ(result.failure, c.failure) << c.name;
    EXPECT_EQ(sample.receive, 5) << c.name;
    EXPECT_EQ(api.startups, 3) << c.name << ": three attempts";
    EXPECT_EQ(api.cleanups, 3) << c.name;
    EXPECT_EQ(api.opened, api.closed) << c.name;
    if (c.failure == FetchFailure::kPort) {
      EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "connect"), 0) << c.name;
      EXPECT_TRUE(api.requests.empty()) << c.name << ": nothing sent to some other port";
    }
  }
}

}  // namespace

namespace {

TEST(FetchBestSample, TakesTheSampleWithTheShortestRoundTrip) {
  // Four exchanges: each says something else about the offset; the 3 ms one is believed.
  const struct {
    std::uint32_t roundTripMs;
    std::int64_t serverAhead;  // what the server's stamps say
    bool answers;
  } exchanges[] = {{40, 7 * kS, true}, {3, 2 * kS, true}, {0, 0, false}, {25, 9 * kS, true}};
  FakeSocketApi api;
  api.hosts["time.example"] = 1;
  for (const auto& e : exchanges) {
    api.waits.push_back({1, 0});
    api.waits.push_back({e.answers ? 1 : 0, e.answers ? e.roundTripMs : 1000});
  }
  const int answering[] = {0, 1, 3};  // the third one is lost
  int index = 0;
  api.reply = [&](const Bytes& request) {
    const auto& e = exchanges[answering[index++]];
    const std::int64_t stamp = api.utcMicros + e.serverAhead - std::int64_t{e.roundTripMs} * 500;
    return ntp_test::StampedReply(request, ntp_test::ToNtpStamp(stamp), ntp_test::ToNtpStamp(stamp));
  };
  NtpSample sample;
  FetchResult result;
  ASSERT_TRUE(FetchBestSample(api, "time.example", "123", 1000, 1, 4, sample, &result)) << DescribeFetchResult(result);
  EXPECT_EQ(api.requests.size(), 4u) << "four samples asked for, one each";
  EXPECT_EQ(sample.Delay(), 3000);
  EXPECT_NEAR(static_cast<double>(sample.Offset()), 2.0 * kS, 2.0);
}

TEST(FetchBestSample, FailsOnlyWhenNoSampleCameAndSaysWhy) {
  FakeSocketApi api;
  api.hosts["time.example"] = 1;
  api.reply = [](const Bytes& request) {
    auto reply = ntp_test::SoundReply(request, 0xE0000000u);
    reply[1] = 16;
    return reply;
  };
  NtpSample sample;
  FetchResult result;
  EXPECT_FALSE(FetchBestSample(api, "time.example", "123", 1000, 2, 3, sample, &result));
  EXPECT_EQ(api.requests.size(), 6u) << "each sample has its own attempts";
  EXPECT_EQ(result.failure, FetchFailure::kInvalidReply);
  EXPECT_EQ(result.reply, NtpReplyCheck::kStratumTooHigh);
  EXPECT_EQ(sample.receive, 0);
}

}  // namespace
