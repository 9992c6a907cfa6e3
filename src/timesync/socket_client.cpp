#include "timesync/socket_client.h"

#include <climits>
#include <string>

SocketClient::SocketClient(SocketApi& api) : api_(api) { api_.Startup(); }

SocketClient::~SocketClient() {
  Close();
  api_.Cleanup();
}

bool SocketClient::Open(SocketApi::SocketType type) {
  if (IsOpen()) return true;
  socket_ = api_.OpenSocket(type);
  return IsOpen();
}

void SocketClient::Close() {
  if (!IsOpen()) return;
  api_.CloseSocket(socket_);
  socket_ = SocketApi::kInvalid;
}

int SocketClient::ParsePortNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT_MAX) {
      value = static_cast<long long>(INT_MAX) + 1;
      break;
    }
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  return static_cast<int>(value);
}

bool SocketClient::Connect(std::string_view host, std::string_view port) {
  // The system calls want terminated strings; an embedded NUL ends the text as it would there.
  const std::string hostText(host.substr(0, host.find('\0')));
  const std::string portText(port.substr(0, port.find('\0')));

  std::uint32_t address;
  if (const auto dotted = api_.ParseDottedAddress(hostText.c_str())) {
    address = *dotted;
  } else if (const auto found = api_.LookUpHost(hostText.c_str())) {
    address = *found;
  } else {
    return false;
  }

  std::uint16_t networkPort;
  const int number = ParsePortNumber(portText);
  if (number != 0) {
    const auto low = static_cast<std::uint16_t>(static_cast<unsigned>(number) & 0xFFFFu);
    networkPort = static_cast<std::uint16_t>((low >> 8) | (low << 8));  // htons
  } else if (const auto service = api_.LookUpService(portText.c_str(), "tcp")) {
    networkPort = *service;
  } else {
    return false;
  }

  if (!Open(SocketApi::kStream)) return false;
  if (api_.ConnectSocket(socket_, address, networkPort) >= 0) return true;
  return api_.LastErrorWouldBlock();
}

bool SocketClient::Send(const void* data, std::size_t length, std::uint32_t timeoutMs) {
  return Transfer(true, const_cast<void*>(data), length, timeoutMs);
}

bool SocketClient::Receive(void* data, std::size_t length, std::uint32_t timeoutMs) {
  return Transfer(false, data, length, timeoutMs);
}

bool SocketClient::Transfer(bool sending, void* data, std::size_t length, std::uint32_t timeoutMs) {
  if (!IsOpen()) return false;
  const std::uint32_t start = api_.TickCount();
  for (;;) {
    const int ready = api_.WaitReady(socket_, sending, timeoutMs);
    if (ready < 0) return false;
    if (ready > 0) {
      const long count = sending ? api_.SendBytes(socket_, data, length) : api_.ReceiveBytes(socket_, data, length);
      return count > 0 && static_cast<std::size_t>(count) == length;
    }
    const std::uint32_t elapsed = api_.TickCount() - start;
    if (elapsed >= timeoutMs) return false;
  }
}
