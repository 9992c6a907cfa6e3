// The few operating-system socket and clock calls the time client makes. One
// implementation sits on BSD sockets, one on Windows Sockets; SocketClient
// holds the logic so that both platforms run the same code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

class SocketApi {
 public:
  using Handle = std::uintptr_t;
  static constexpr Handle kInvalid = ~Handle{0};
  enum SocketType { kStream = 1, kDatagram = 2 };

  virtual ~SocketApi() = default;

  // Windows Sockets start-up (version 1.1) and clean-up; nothing elsewhere.
  virtual void Startup() = 0;
  virtual void Cleanup() = 0;

  // socket(AF_INET, type, 0); kInvalid on failure.
  virtual Handle OpenSocket(SocketType type) = 0;
  virtual void CloseSocket(Handle socket) = 0;

  // inet_addr: the address in network order, nullopt for INADDR_NONE.
  virtual std::optional<std::uint32_t> ParseDottedAddress(const char* host) = 0;
  // gethostbyname: the first IPv4 address in network order.
  virtual std::optional<std::uint32_t> LookUpHost(const char* host) = 0;
  // getservbyname: the port in network order.
  virtual std::optional<std::uint16_t> LookUpService(const char* name, const char* protocol) = 0;

  // connect() to an IPv4 address (both values in network order); its result.
  virtual int ConnectSocket(Handle socket, std::uint32_t address, std::uint16_t port) = 0;
  // Whether the last failed call said "would block" (WSAEWOULDBLOCK).
  virtual bool LastErrorWouldBlock() = 0;

  // select() on this one socket for writing or reading: -1 error, 0 time-out, 1 ready.
  virtual int WaitReady(Handle socket, bool forWriting, std::uint32_t timeoutMs) = 0;
  // One send()/recv() with flags 0: the byte count or -1. A datagram longer
  // than `length` must count as an error, as it does on Windows.
  virtual long SendBytes(Handle socket, const void* data, std::size_t length) = 0;
  virtual long ReceiveBytes(Handle socket, void* data, std::size_t length) = 0;

  // Millisecond tick counter (wraps at 2^32).
  virtual std::uint32_t TickCount() = 0;
  // The system clock (UTC) in microseconds since 1970-01-01, as finely as the
  // system keeps it: the client's send and arrival times.
  virtual std::int64_t UtcNowMicros() = 0;
};

// This platform's implementation; lives for the whole process.
SocketApi& PlatformSocketApi();
