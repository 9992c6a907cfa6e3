// SocketApi on Windows Sockets 1.1.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <mutex>

#include "timesync/socket_api.h"
#include "timesync/socket_lookup.h"
#include "timesync/time_sync_client.h"
#include "win/wide_text.h"

namespace {

// Windows 8 and later keep the system time to 100 ns; Windows 7 only to the
// timer tick (up to 15.6 ms).
using SystemTimeReader = void(WINAPI*)(LPFILETIME);
SystemTimeReader FindPreciseSystemTime() {
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return nullptr;
  return reinterpret_cast<SystemTimeReader>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "GetSystemTimePreciseAsFileTime")));
}

// getservbyname results are per thread on Windows, but keep
// the look-up in one place anyway: it is short and rare.
std::mutex lookUpMutex;

class WinsockSocketApi final : public SocketApi {
 public:
  void Startup() override {
    WSADATA data;
    ::WSAStartup(0x0101, &data);  // a failure shows as a failing socket()
  }
  void Cleanup() override { ::WSACleanup(); }

  Handle OpenSocket(SocketType type) override {
    const SOCKET s = ::socket(AF_INET, type == kDatagram ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) return kInvalid;
    return static_cast<Handle>(s);
  }

  void CloseSocket(Handle socket) override { ::closesocket(static_cast<SOCKET>(socket)); }

  std::optional<std::uint32_t> ParseDottedAddress(const char* host) override {
    const unsigned long address = ::inet_addr(host);
    if (address == INADDR_NONE) return std::nullopt;
    return static_cast<std::uint32_t>(address);
  }

  std::optional<std::uint32_t> LookUpHost(const char* host) override {
    // The wide look-up: a host name is UTF-8 here, and may be an international one.
    ADDRINFOW hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    ADDRINFOW* found = nullptr;
    if (::GetAddrInfoW(WideText::From(host).c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
      return std::nullopt;
    std::optional<std::uint32_t> address;
    for (const ADDRINFOW* entry = found; entry != nullptr && !address; entry = entry->ai_next) {
      if (entry->ai_family == AF_INET && entry->ai_addr != nullptr && entry->ai_addrlen >= sizeof(sockaddr_in))
        address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
    }
    ::FreeAddrInfoW(found);
    return address;
  }

  std::optional<std::uint16_t> LookUpService(const char* name, const char* protocol) override {
    std::lock_guard<std::mutex> lock(lookUpMutex);
    return ServicePort(::getservbyname(name, protocol));
  }

  int ConnectSocket(Handle socket, std::uint32_t address, std::uint16_t port) override {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = port;
    to.sin_addr.s_addr = address;
    return ::connect(static_cast<SOCKET>(socket), reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }

  bool LastErrorWouldBlock() override { return ::WSAGetLastError() == WSAEWOULDBLOCK; }

  int WaitReady(Handle socket, bool forWriting, std::uint32_t timeoutMs) override {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(static_cast<SOCKET>(socket), &set);
    timeval wait{};
    wait.tv_sec = static_cast<long>(timeoutMs / 1000);
    wait.tv_usec = static_cast<long>((timeoutMs % 1000) * 1000);
    const int ready = ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &wait);
    return ready == SOCKET_ERROR ? -1 : (ready > 0 ? 1 : 0);
  }

  long SendBytes(Handle socket, const void* data, std::size_t length) override {
    const int count = static_cast<int>(std::min<std::size_t>(length, 0x7FFFFFFF));
    return ::send(static_cast<SOCKET>(socket), static_cast<const char*>(data), count, 0);
  }

  long ReceiveBytes(Handle socket, void* data, std::size_t length) override {
    // A datagram longer than the buffer fails with WSAEMSGSIZE (-1).
    const int count = static_cast<int>(std::min<std::size_t>(length, 0x7FFFFFFF));
    return ::recv(static_cast<SOCKET>(socket), static_cast<char*>(data), count, 0);
  }

  std::uint32_t TickCount() override { return ::GetTickCount(); }

  std::int64_t UtcNowMicros() override {
    static const SystemTimeReader precise = FindPreciseSystemTime();
    FILETIME now;
    if (precise != nullptr) {
      precise(&now);
    } else {
      ::GetSystemTimeAsFileTime(&now);
    }
    const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // 100-ns ticks since 1601-01-01; 11644473600 seconds lie between 1601 and 1970.
    return static_cast<std::int64_t>(ticks / 10) - 11644473600LL * 1000000;
  }
};

}  // namespace

SocketApi& PlatformSocketApi() {
  static WinsockSocketApi* api = new WinsockSocketApi;  // never destroyed: workers may outlive static clean-up
  return *api;
}

bool FetchServerTime(std::string_view host, std::string_view port, std::uint32_t timeoutMs, int attempts,
                     NtpSample& sample, FetchResult* result) {
  return FetchServerTime(PlatformSocketApi(), host, port, timeoutMs, attempts, sample, result);
}

bool FetchBestSample(std::string_view host, std::string_view port, std::uint32_t timeoutMs, int attempts,
                     int samples, NtpSample& sample, FetchResult* result) {
  return FetchBestSample(PlatformSocketApi(), host, port, timeoutMs, attempts, samples, sample, result);
}
