#include "timesync/socket_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "timesync/fake_socket_api.h"

namespace {

std::uint16_t Net16(unsigned port) { return static_cast<std::uint16_t>(((port & 0xFF) << 8) | ((port >> 8) & 0xFF)); }

TEST(SocketClientConnect, ResolvesHostAndPortAsWritten) {
  struct Case {
    const char* name;
    const char* host;
    const char* port;
    bool connects;
    std::vector<std::string> lookUps;  // the look-ups made, in order
    std::uint32_t address;
    std::uint16_t networkPort;
  };
  const std::uint32_t kExample = 0x0A0B0C0D;
  const Case cases[] = {
      {"dotted host: no name look-up", "192.168.1.20", "123", true, {}, 0x1401A8C0, Net16(123)},
      {"host name looked up", "time.example", "123", true, {"gethostbyname time.example"}, kExample, Net16(123)},
      {"unknown host", "nowhere.example", "123", false, {"gethostbyname nowhere.example"}, 0, 0},
      {"service name looked up for tcp", "10.0.0.1", "ntp", true, {"getservbyname ntp tcp"}, 0x0100000A, Net16(123)},
      {"port 0 is refused", "10.0.0.1", "0", false, {}, 0, 0},
      {"unknown service", "10.0.0.1", "nosuchservice", false, {"getservbyname nosuchservice tcp"}, 0, 0},
      {"a number with a tail is refused, not cut short", "10.0.0.1", "123abc", false, {}, 0, 0},
      {"65659 is refused, not wrapped to 123", "10.0.0.1", "65659", false, {}, 0, 0},
      {"the highest port", "10.0.0.1", "65535", true, {}, 0x0100000A, Net16(65535)},
      {"blanks around the number", "10.0.0.1", " 1123 ", true, {}, 0x0100000A, Net16(1123)},
      {"empty port", "10.0.0.1", "", false, {}, 0, 0},
  };
  for (const Case& c : cases) {
    FakeSocketApi api;
    api.hosts["time.example"] = kExample;
    api.services["ntp/udp"] = Net16(123);
    api.services["ntp/tcp"] = Net16(123);
    {
      SocketClient client(api);
      ASSERT_TRUE(client.Open(SocketApi::kDatagram));
      EXPECT_EQ(client.Connect(c.host, c.port), c.connects) << c.name;
    }
    std::vector<std::string> lookUps;
    for (const std::string& call : api.calls)
      if (call.rfind("get", 0) == 0) lookUps.push_back(call);
    EXPECT_EQ(lookUps, c.lookUps) << c.name;
    if (c.connects) {
      EXPECT_EQ(api.lastAddress, c.address) << c.name;
      EXPECT_EQ(api.lastPort, c.networkPort) << c.name;
    } else {
      EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "connect"), 0) << c.name;
    }
    EXPECT_EQ(api.opened, api.closed) << c.name;
  }
}

TEST(SocketClientConnect, OpensAStreamSocketOnlyWhenNoneIsOpen) {
  FakeSocketApi api;
  {
    SocketClient client(api);
    EXPECT_TRUE(client.Connect("10.0.0.1", "123"));
  }
  EXPECT_EQ(api.calls.front(), "socket stream");

  FakeSocketApi api2;
  {
    SocketClient client(api2);
    ASSERT_TRUE(client.Open(SocketApi::kDatagram));
    ASSERT_TRUE(client.Open(SocketApi::kStream));  // already open: nothing happens
    EXPECT_TRUE(client.Connect("10.0.0.1", "123"));
  }
  EXPECT_EQ(std::count(api2.calls.begin(), api2.calls.end(), "socket stream"), 0);
  EXPECT_EQ(api2.opened, 1);
}

TEST(SocketClientConnect, AcceptsWouldBlockAndRefusesOtherErrors) {
  for (bool wouldBlock : {true, false}) {
    FakeSocketApi api;
    api.connectResult = -1;
    api.wouldBlock = wouldBlock;
    SocketClient client(api);
    EXPECT_EQ(client.Connect("10.0.0.1", "123"), wouldBlock);
  }
}

TEST(SocketClientLifetime, EachClientStartsAndCleansUpOnceAndClosesItsSocket) {
  FakeSocketApi api;
  {
    SocketClient a(api);
    SocketClient b(api);
    ASSERT_TRUE(a.Open(SocketApi::kDatagram));
    EXPECT_EQ(api.startups, 2);
  }
  EXPECT_EQ(api.cleanups, 2);
  EXPECT_EQ(api.closed, 1);

  FakeSocketApi failing;
  failing.socketFails = true;
  {
    SocketClient client(failing);
    EXPECT_FALSE(client.Open(SocketApi::kDatagram));
    EXPECT_FALSE(client.IsOpen());
    char byte = 0;
    EXPECT_FALSE(client.Send(&byte, 1, 100));  // no socket: no wait at all
    EXPECT_TRUE(failing.waitTimeouts.empty());
  }
  EXPECT_EQ(failing.closed, 0);
  EXPECT_EQ(failing.cleanups, 1);
}

TEST(SocketClientTransfer, WaitsAgainWithTheFullTimeOutUntilItHasPassed) {
  struct Case {
    const char* name;
    std::vector<FakeSocketApi::Wait> waits;
    long sendResult;
    bool ok;
    std::size_t waitCount;
  };
  const Case cases[] = {
      {"ready at once", {}, -2, true, 1},
      {"two early wake-ups, then ready", {{0, 100}, {0, 300}, {1, 0}}, -2, true, 3},
      {"nothing ready for the whole time-out", {{0, 400}, {0, 599}, {0, 1}}, -2, false, 3},
      {"select error", {{-1, 0}}, -2, false, 1},
      {"short send", {}, 47, false, 1},
      {"send of 0 bytes", {}, 0, false, 1},
      {"send error", {}, -1, false, 1},
  };
  for (const Case& c : cases) {
    FakeSocketApi api;
    api.waits.assign(c.waits.begin(), c.waits.end());
    api.sendResult = c.sendResult;
    SocketClient client(api);
    ASSERT_TRUE(client.Open(SocketApi::kDatagram));
    const std::uint8_t data[48] = {};
    EXPECT_EQ(client.Send(data, sizeof data, 1000), c.ok) << c.name;
    EXPECT_EQ(api.waitTimeouts.size(), c.waitCount) << c.name;
    for (std::uint32_t t : api.waitTimeouts) EXPECT_EQ(t, 1000u) << c.name << ": every wait has the full time-out";
    EXPECT_LE(std::count(api.calls.begin(), api.calls.end(), "send"), 1) << c.name << ": a send is never repeated";
  }
}

TEST(SocketClientTransfer, ReceivesOnlyExactlyTheRequestedLength) {
  for (std::size_t size : {47u, 48u, 49u, 0u}) {
    FakeSocketApi api;
    api.reply = [size](const std::vector<std::uint8_t>&) { return std::vector<std::uint8_t>(size, 0x5A); };
    SocketClient client(api);
    ASSERT_TRUE(client.Open(SocketApi::kDatagram));
    std::uint8_t buffer[48] = {};
    ASSERT_TRUE(client.Send(buffer, sizeof buffer, 100));
    EXPECT_EQ(client.Receive(buffer, sizeof buffer, 100), size == 48) << size << " bytes";
  }
}

TEST(SocketClientPort, ANumberMustBeAWholePortAndAnythingElseIsAServiceName) {
  using Kind = SocketClient::PortText;
  struct Case {
    const char* text;
    Kind kind;
    std::uint16_t number;
  };
  const Case cases[] = {
      {"123", Kind::kNumber, 123},          {"1", Kind::kNumber, 1},
      {"65535", Kind::kNumber, 65535},      {"\t 42 \r\n", Kind::kNumber, 42},
      {"+7", Kind::kNumber, 7},             {"00123", Kind::kNumber, 123},
      {"ntp", Kind::kServiceName, 0},       {"x12", Kind::kServiceName, 0},
      {"65536", Kind::kInvalid, 0},         {"0", Kind::kInvalid, 0},
      {"-1", Kind::kInvalid, 0},            {"-123", Kind::kInvalid, 0},
      {"123abc", Kind::kInvalid, 0},        {"12 3", Kind::kInvalid, 0},
      {"+", Kind::kInvalid, 0},             {"", Kind::kInvalid, 0},
      {"   ", Kind::kInvalid, 0},           {"99999999999999999999", Kind::kInvalid, 0},
      {"4294967419", Kind::kInvalid, 0},  // 2^32 + 123
  };
  for (const Case& c : cases) {
    std::uint16_t number = 0;
    EXPECT_EQ(SocketClient::ReadPort(c.text, number), c.kind) << c.text;
    EXPECT_EQ(number, c.number) << c.text;
  }
}

}  // namespace
