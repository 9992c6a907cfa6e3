// One socket of the time client. Construction starts the socket layer,
// destruction closes the socket and cleans the layer up again: each client
// is paired with exactly one clean-up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "timesync/socket_api.h"

class SocketClient {
 public:
  explicit SocketClient(SocketApi& api);
  virtual ~SocketClient();
  SocketClient(const SocketClient&) = delete;
  SocketClient& operator=(const SocketClient&) = delete;

  // Creates the socket unless one is open already.
  bool Open(SocketApi::SocketType type);
  // Resolves host (dotted address first, then a name look-up) and port (a
  // number, else a service name looked up for "tcp"; see ReadPort) and
  // connects; opens a stream socket first if none is open.
  bool Connect(std::string_view host, std::string_view port);
  // One send/recv of exactly `length` bytes once the socket is ready; a wait
  // with nothing ready starts again with the full time-out until timeoutMs
  // have passed since the call began.
  bool Send(const void* data, std::size_t length, std::uint32_t timeoutMs);
  bool Receive(void* data, std::size_t length, std::uint32_t timeoutMs);
  void Close();

  bool IsOpen() const { return socket_ != SocketApi::kInvalid; }

  // How a port text reads. A text that starts with a digit or a sign (after
  // blanks) is a number and must be 1 to 65535 with nothing but blanks around
  // it: "65536", "0", "-1" and "123abc" are refused rather than taken as some
  // other port. Any other non-blank text is a service name.
  enum class PortText { kNumber, kServiceName, kInvalid };
  static PortText ReadPort(std::string_view text, std::uint16_t& number);

 private:
  bool Transfer(bool sending, void* data, std::size_t length, std::uint32_t timeoutMs);

  SocketApi& api_;
  SocketApi::Handle socket_ = SocketApi::kInvalid;
};
