#include "timesync/ntp_packet.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "timesync/ntp_test_replies.h"

namespace {

// "YYYY-MM-DD HH:MM:SS" of seconds since 1970 in UTC, without the C runtime's range limits.
std::string Utc(std::int64_t t) {
  std::int64_t days = t / 86400, rest = t % 86400;
  if (rest < 0) rest += 86400, --days;
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = yoe + era * 400 + (m <= 2);
  char text[96];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", static_cast<long long>(y),
                static_cast<long long>(m), static_cast<long long>(d), static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return text;
}

TEST(NtpTime, ConvertsBothErasAndRefusesTimesBefore1970) {
  struct Case {
    std::uint32_t seconds;
    const char* utc;  // nullptr: refused
  };
  const Case cases[] = {
      {0, "2036-02-07 06:28:16"},           // top bit clear: the era that starts in 2036
      {0xE0000000u, "2019-02-02 11:39:44"},
      {2208988800u, "1970-01-01 00:00:00"},  // the first second that converts
      {2208988799u, nullptr},                // 1969-12-31 23:59:59
      {0x80000000u, nullptr},                // 1968-01-20, the oldest value of the first era
      {0xFFFFFFFFu, "2036-02-07 06:28:15"},  // the last second of the first era
      {0x7FFFFFFFu, "2104-02-26 09:42:23"},  // the last second of the second era
      {1u, "2036-02-07 06:28:17"},
      {123010304u, "2040-01-01 00:00:00"},
  };
  for (const Case& c : cases) {
    const auto converted = NtpSecondsToUnixTime(c.seconds);
    if (c.utc == nullptr) {
      EXPECT_FALSE(converted.has_value()) << c.seconds;
    } else {
      ASSERT_TRUE(converted.has_value()) << c.seconds;
      EXPECT_EQ(Utc(*converted), c.utc) << c.seconds;
    }
  }
  // The two results the client has always given stay the same.
  EXPECT_EQ(*NtpSecondsToUnixTime(0), 2085978496);
  EXPECT_EQ(*NtpSecondsToUnixTime(0xE0000000u), 1549107584);
  // 2038-01-19 03:14:08 UTC, past the signed 32-bit limit, comes out as itself.
  EXPECT_EQ(*NtpSecondsToUnixTime(static_cast<std::uint32_t>(2147483648LL + kNtpToUnixSeconds - (1LL << 32))),
            2147483648LL);
}

TEST(NtpTime, KeepsTheFractionToTheMicrosecond) {
  struct Case {
    std::uint64_t stamp;
    std::int64_t unixMicros;  // -1: refused
  };
  const Case cases[] = {
      {0xE000000080000000ull, 1549107584500000},  // half a second
      {0xE000000000000001ull, 1549107584000000},  // 2^-32 s rounds down
      {0xE0000000FFFFFFFFull, 1549107585000000},  // just under a second rounds up to the next one
      {0xE000000000010C6Full, 1549107584000016},  // 68719 / 2^32 s = 15.99989 us
      {0xFFFFFFFFFFFFFFFFull, 2085978496000000},  // the last fraction of the first era rounds into the second
      {0x0000000000418937ull, 2085978496001000},  // 1 ms into the second era
      {0x83AA7E7FFFFFFFFFull, -1},               // 1969-12-31 23:59:59.99999...
  };
  for (const Case& c : cases) {
    const auto micros = NtpTimestampToUnixMicros(c.stamp);
    if (c.unixMicros < 0) {
      EXPECT_FALSE(micros.has_value()) << std::hex << c.stamp;
    } else {
      ASSERT_TRUE(micros.has_value()) << std::hex << c.stamp;
      EXPECT_EQ(*micros, c.unixMicros) << std::hex << c.stamp;
    }
  }
}

TEST(NtpRequest, IsVersionOneClientWithTheNonceAsTransmitTime) {
  const NtpPacket request = BuildNtpRequest(0x0102030405060708ull);
  EXPECT_EQ(request[0], 0x0B);
  for (std::size_t i = 1; i < 40; ++i) EXPECT_EQ(request[i], 0) << "byte " << i;
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(request[40 + i], i + 1) << "byte " << 40 + i;

  std::set<std::uint64_t> nonces;
  for (int i = 0; i < 1000; ++i) {
    const std::uint64_t n = MakeNtpNonce();
    EXPECT_NE(n, 0u);
    nonces.insert(n);
  }
  EXPECT_EQ(nonces.size(), 1000u) << "nonces repeat";
}

TEST(NtpReply, AcceptsServersOfEveryVersion) {
  const NtpPacket request = BuildNtpRequest(0xA1B2C3D4E5F60718ull);
  const std::vector<std::uint8_t> req(request.begin(), request.end());
  for (unsigned version = 1; version <= 4; ++version) {
    for (unsigned mode : {4u}) {
      auto reply = ntp_test::StampedReply(req, 0xE000000040000000ull, 0xE000000080000000ull);
      reply[0] = static_cast<std::uint8_t>((version << 3) | mode);
      reply[1] = static_cast<std::uint8_t>(version + 1);
      NtpSample sample;
      EXPECT_EQ(CheckNtpReply(reply.data(), reply.size(), 0xA1B2C3D4E5F60718ull, sample), NtpReplyCheck::kOk)
          << "version " << version << " mode " << mode;
      EXPECT_EQ(sample.receive, 1549107584250000) << "the receive timestamp with its fraction";
      EXPECT_EQ(sample.transmit, 1549107584500000) << "the transmit timestamp with its fraction";
      EXPECT_EQ(sample.stratum, version + 1);
      EXPECT_EQ(sample.leap, 0u);
      EXPECT_EQ(sample.originate, 0) << "this machine's times are not the reply's to give";
      EXPECT_EQ(sample.arrival, 0);
    }
  }
  // Leap indicators 1 and 2 only announce a leap second.
  for (unsigned leap : {1u, 2u}) {
    auto reply = ntp_test::SoundReply(req, 0xE0000000u);
    reply[0] |= static_cast<std::uint8_t>(leap << 6);
    NtpSample sample;
    EXPECT_EQ(CheckNtpReply(reply.data(), reply.size(), 0xA1B2C3D4E5F60718ull, sample), NtpReplyCheck::kOk);
    EXPECT_EQ(sample.leap, leap);
  }
}

TEST(NtpReply, AcceptsRepliesJustInsideTheLimits) {
  const std::uint64_t nonce = 0x0011223344556677ull;
  const NtpPacket request = BuildNtpRequest(nonce);
  const std::vector<std::uint8_t> req(request.begin(), request.end());
  const struct {
    const char* name;
    void (*apply)(std::vector<std::uint8_t>& reply);
  } edges[] = {
      {"stratum 1", [](std::vector<std::uint8_t>& r) { r[1] = 1; }},
      {"stratum 15", [](std::vector<std::uint8_t>& r) { r[1] = 15; }},
      {"root distance a tick under 16 s",
       [](std::vector<std::uint8_t>& r) { r[9] = 0x0F; r[10] = 0xFF; r[11] = 0xFF; }},
      {"root delay 31.99 s alone", [](std::vector<std::uint8_t>& r) { r[5] = 0x1F; r[6] = 0xFF; r[7] = 0xFF; }},
      {"transmit equal to receive", [](std::vector<std::uint8_t>&) {}},
      {"version 4", [](std::vector<std::uint8_t>& r) { r[0] = (r[0] & ~0x38) | (4 << 3); }},
  };
  for (const auto& edge : edges) {
    auto reply = ntp_test::SoundReply(req, 0xE0000000u);
    edge.apply(reply);
    NtpSample sample;
    EXPECT_EQ(CheckNtpReply(reply.data(), reply.size(), nonce, sample), NtpReplyCheck::kOk) << edge.name;
  }
}

TEST(NtpReply, RefusesRepliesThatSayNothingAboutTheTime) {
  const std::uint64_t nonce = 0x0011223344556677ull;
  const NtpPacket request = BuildNtpRequest(nonce);
  const std::vector<std::uint8_t> req(request.begin(), request.end());
  for (const ntp_test::Spoil& spoil : ntp_test::Spoils()) {
    auto reply = ntp_test::SoundReply(req, 0xE0000000u);
    spoil.apply(reply);
    NtpSample sample;
    sample.receive = sample.transmit = 12345;
    EXPECT_EQ(CheckNtpReply(reply.data(), reply.size(), nonce, sample), spoil.expected) << spoil.name;
    EXPECT_EQ(sample.receive, 12345) << spoil.name << ": the time was touched";
    EXPECT_EQ(sample.transmit, 12345) << spoil.name << ": the time was touched";
  }
  NtpSample sample;
  EXPECT_EQ(CheckNtpReply(nullptr, 48, nonce, sample), NtpReplyCheck::kWrongSize);
}

TEST(NtpReply, ADatagramForAnotherRequestIsToldApartWhateverElseItSays) {
  // A late answer to an earlier request may be a refusal or junk: it is still not our answer.
  const std::uint64_t nonce = 0x0011223344556677ull;
  const NtpPacket request = BuildNtpRequest(nonce + 1);
  const std::vector<std::uint8_t> req(request.begin(), request.end());
  for (const ntp_test::Spoil& spoil : ntp_test::Spoils()) {
    auto reply = ntp_test::SoundReply(req, 0xE0000000u);
    spoil.apply(reply);
    if (reply.size() != 48) continue;
    NtpSample sample;
    EXPECT_EQ(CheckNtpReply(reply.data(), reply.size(), nonce, sample), NtpReplyCheck::kWrongOriginate)
        << spoil.name;
  }
}

}  // namespace
