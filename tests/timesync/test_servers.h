// Time servers on 127.0.0.1 for the client's tests, on BSD sockets natively
// and on Windows Sockets under Wine. Each stops when its object goes and, in
// any case, by itself after a time limit.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// A scripted server: for the n-th request (from 0) the script returns the
// datagrams to send back; none means silence.
class ScriptedUdpServer {
 public:
  using Script = std::function<std::vector<std::vector<std::uint8_t>>(int index,
                                                                      const std::vector<std::uint8_t>& request)>;
  explicit ScriptedUdpServer(Script script, int lifetimeMs = 60000);
  ~ScriptedUdpServer();
  ScriptedUdpServer(const ScriptedUdpServer&) = delete;
  ScriptedUdpServer& operator=(const ScriptedUdpServer&) = delete;

  bool Running() const { return port_ != 0; }
  std::string Port() const { return std::to_string(port_); }
  int Requests() const { return requests_.load(); }

 private:
  void Serve(int lifetimeMs);

  Script script_;
  std::uintptr_t socket_;
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// chronyd with clock control off, answering on a free port of 127.0.0.1.
class ChronydServer {
 public:
  ChronydServer();
  ~ChronydServer();
  ChronydServer(const ChronydServer&) = delete;
  ChronydServer& operator=(const ChronydServer&) = delete;

  // Empty when it is running; otherwise why not.
  const std::string& Problem() const { return problem_; }
  std::string Port() const { return std::to_string(port_); }

 private:
  std::string problem_;
  std::string folder_;  // POSIX path of its files
  int port_ = 0;
  long launcher_ = 0;
};

// A UDP port of 127.0.0.1 that was free a moment ago.
int FreeUdpPort();
