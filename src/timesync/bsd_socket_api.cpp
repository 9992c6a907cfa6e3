// SocketApi on BSD sockets, for the native build.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>

#include "timesync/socket_api.h"
#include "timesync/socket_lookup.h"
#include "timesync/time_sync_client.h"

namespace {

// gethostbyname and getservbyname share static buffers; worker threads may overlap.
std::mutex lookUpMutex;

class BsdSocketApi final : public SocketApi {
 public:
  void Startup() override {}
  void Cleanup() override {}

  Handle OpenSocket(SocketType type) override {
    const int fd = ::socket(AF_INET, type == kDatagram ? SOCK_DGRAM : SOCK_STREAM, 0);
    if (fd < 0) return kInvalid;
    return static_cast<Handle>(fd);
  }

  void CloseSocket(Handle socket) override { ::close(static_cast<int>(socket)); }

  std::optional<std::uint32_t> ParseDottedAddress(const char* host) override {
    const in_addr_t address = ::inet_addr(host);
    if (address == INADDR_NONE) return std::nullopt;
    return static_cast<std::uint32_t>(address);
  }

  std::optional<std::uint32_t> LookUpHost(const char* host) override {
    std::lock_guard<std::mutex> lock(lookUpMutex);
    return FirstIPv4Address(::gethostbyname(host), AF_INET);
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
    return ::connect(static_cast<int>(socket), reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }

  bool LastErrorWouldBlock() override { return errno == EWOULDBLOCK || errno == EAGAIN; }

  int WaitReady(Handle socket, bool forWriting, std::uint32_t timeoutMs) override {
    const int fd = static_cast<int>(socket);
    if (fd < 0 || fd >= FD_SETSIZE) return -1;  // select cannot watch it
    fd_set set;
    FD_ZERO(&set);
    FD_SET(fd, &set);
    timeval wait{};
    wait.tv_sec = static_cast<time_t>(timeoutMs / 1000);
    wait.tv_usec = static_cast<suseconds_t>((timeoutMs % 1000) * 1000);
    int ready;
    do ready = ::select(fd + 1, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &wait);
    while (ready < 0 && errno == EINTR);
    return ready < 0 ? -1 : (ready > 0 ? 1 : 0);
  }

  long SendBytes(Handle socket, const void* data, std::size_t length) override {
    return static_cast<long>(::send(static_cast<int>(socket), data, length, MSG_NOSIGNAL));
  }

  long ReceiveBytes(Handle socket, void* data, std::size_t length) override {
    // MSG_TRUNC reports a datagram's full length, so a longer reply fails as it does on Windows.
    const ssize_t count = ::recv(static_cast<int>(socket), data, length, MSG_TRUNC);
    if (count > static_cast<ssize_t>(length)) return -1;
    return static_cast<long>(count);
  }

  std::uint32_t TickCount() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }

  std::int64_t UtcNowMicros() override {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<std::int64_t>(std::chrono::duration_cast<std::chrono::microseconds>(now).count());
  }
};

}  // namespace

SocketApi& PlatformSocketApi() {
  static BsdSocketApi* api = new BsdSocketApi;  // never destroyed: workers may outlive static clean-up
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
