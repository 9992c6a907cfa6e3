// A scripted SocketApi: records every call and plays back select/send/recv
// results, with a tick counter and a UTC clock that move only when a wait
// "takes" time.
#pragma once

#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "timesync/socket_api.h"

class FakeSocketApi : public SocketApi {
 public:
  // What one WaitReady call reports and how many milliseconds it lasts.
  struct Wait {
    int result;
    std::uint32_t lastsMs;
  };

  // Everything that happened, one line per call, e.g. "gethostbyname example.org".
  std::vector<std::string> calls;
  int startups = 0;
  int cleanups = 0;
  int opened = 0;
  int closed = 0;

  std::map<std::string, std::uint32_t> hosts;     // name -> address in network order
  std::map<std::string, std::uint16_t> services;  // "name/protocol" -> port in network order
  int connectResult = 0;
  bool wouldBlock = false;
  bool socketFails = false;

  std::deque<Wait> waits;          // when empty: ready at once
  std::vector<std::uint32_t> waitTimeouts;
  long sendResult = -2;            // -2: the requested length
  // Produces a reply from the last request sent; its size is what recv reports.
  std::function<std::vector<std::uint8_t>(const std::vector<std::uint8_t>& request)> reply;
  std::vector<std::vector<std::uint8_t>> requests;
  std::uint32_t lastAddress = 0;
  std::uint16_t lastPort = 0;
  std::uint32_t tick = 0xFFFFF000u;  // near the wrap, so elapsed time is taken modulo 2^32
  std::int64_t utcMicros = 1549107584LL * 1000000;  // 2019-02-02 11:39:44 UTC

  void Startup() override { ++startups; }
  void Cleanup() override { ++cleanups; }

  Handle OpenSocket(SocketType type) override {
    calls.push_back(type == kDatagram ? "socket dgram" : "socket stream");
    if (socketFails) return kInvalid;
    ++opened;
    return static_cast<Handle>(100 + opened);
  }
  void CloseSocket(Handle) override { ++closed; }

  std::optional<std::uint32_t> ParseDottedAddress(const char* host) override {
    unsigned a, b, c, d;
    char tail;
    if (std::sscanf(host, "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) == 4 && a < 256 && b < 256 && c < 256 && d < 256)
      return a | (b << 8) | (c << 16) | (d << 24);
    return std::nullopt;
  }
  std::optional<std::uint32_t> LookUpHost(const char* host) override {
    calls.push_back(std::string("gethostbyname ") + host);
    auto it = hosts.find(host);
    if (it == hosts.end()) return std::nullopt;
    return it->second;
  }
  std::optional<std::uint16_t> LookUpService(const char* name, const char* protocol) override {
    calls.push_back(std::string("getservbyname ") + name + " " + protocol);
    auto it = services.find(std::string(name) + "/" + protocol);
    if (it == services.end()) return std::nullopt;
    return it->second;
  }
  int ConnectSocket(Handle, std::uint32_t address, std::uint16_t port) override {
    calls.push_back("connect");
    lastAddress = address;
    lastPort = port;
    return connectResult;
  }
  bool LastErrorWouldBlock() override { return wouldBlock; }

  int WaitReady(Handle, bool forWriting, std::uint32_t timeoutMs) override {
    waitTimeouts.push_back(timeoutMs);
    if (waits.empty()) return 1;
    const Wait w = waits.front();
    waits.pop_front();
    tick += w.lastsMs;
    utcMicros += std::int64_t{w.lastsMs} * 1000;
    return w.result;
  }
  long SendBytes(Handle, const void* data, std::size_t length) override {
    calls.push_back("send");
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    requests.emplace_back(bytes, bytes + length);
    return sendResult == -2 ? static_cast<long>(length) : sendResult;
  }
  long ReceiveBytes(Handle, void* data, std::size_t length) override {
    calls.push_back("recv");
    if (!reply || requests.empty()) return -1;
    const std::vector<std::uint8_t> answer = reply(requests.back());
    if (answer.size() > length) return -1;  // as Windows does for a longer datagram
    if (!answer.empty()) std::memcpy(data, answer.data(), answer.size());
    return static_cast<long>(answer.size());
  }
  std::uint32_t TickCount() override { return tick; }
  std::int64_t UtcNowMicros() override { return utcMicros; }
};
