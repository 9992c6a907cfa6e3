#include "timesync/socket_client.h"

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

SocketClient::PortText SocketClient::ReadPort(std::string_view text, std::uint16_t& number) {
  const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  if (text.empty()) return PortText::kInvalid;
  const char first = text.front();
  if (first != '+' && first != '-' && (first < '0' || first > '9')) return PortText::kServiceName;
  while (blank(text.back())) text.remove_suffix(1);
  if (first == '+') text.remove_prefix(1);
  if (text.empty()) return PortText::kInvalid;
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return PortText::kInvalid;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > 65535) return PortText::kInvalid;
  }
  if (value == 0) return PortText::kInvalid;
  number = static_cast<std::uint16_t>(value);
  return PortText::kNumber;
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
  std::uint16_t number = 0;
  switch (ReadPort(portText, number)) {
    case PortText::kNumber:
      networkPort = static_cast<std::uint16_t>((number >> 8) | (number << 8));  // htons
      break;
    case PortText::kServiceName:
      if (const auto service = api_.LookUpService(portText.c_str(), "tcp")) {
        networkPort = *service;
        break;
      }
      return false;
    default:
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
