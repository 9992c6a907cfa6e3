#include "timesync/test_servers.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
using NativeSocket = SOCKET;
using socklen_t = int;
const NativeSocket kNoSocket = INVALID_SOCKET;
void CloseNative(NativeSocket s) { ::closesocket(s); }
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
using NativeSocket = int;
const NativeSocket kNoSocket = -1;
void CloseNative(NativeSocket s) { ::close(s); }
#endif

#include "timesync/ntp_packet.h"

namespace {

struct SocketLayer {
#ifdef _WIN32
  SocketLayer() {
    WSADATA data;
    ::WSAStartup(0x0202, &data);
  }
  ~SocketLayer() { ::WSACleanup(); }
#endif
};

NativeSocket BoundUdpSocket(int port, int& boundPort) {
  NativeSocket s = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (s == kNoSocket) return kNoSocket;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  socklen_t length = sizeof address;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseNative(s);
    return kNoSocket;
  }
  boundPort = ntohs(address.sin_port);
  return s;
}

// Waits up to `ms` for a datagram; true when one is there.
bool Readable(NativeSocket s, int ms) {
  fd_set set;
  FD_ZERO(&set);
  FD_SET(s, &set);
  timeval wait{ms / 1000, (ms % 1000) * 1000};
  return ::select(static_cast<int>(s) + 1, &set, nullptr, nullptr, &wait) > 0;
}

#ifdef _WIN32
// Wine runs Linux programs given by their POSIX path; the result is the exit code.
int RunPosix(const std::string& commandLine, bool wait) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = commandLine;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  DWORD code = 0;
  if (wait) {
    ::WaitForSingleObject(process.hProcess, 10000);
    ::GetExitCodeProcess(process.hProcess, &code);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
std::string WindowsPath(const std::string& posix) {
  std::string path = "Z:" + posix;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}
#else
// Returns the exit code, or the child's id when not waiting.
int RunPosix(const std::string& commandLine, bool wait) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    ::execl("/bin/sh", "sh", "-c", commandLine.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  if (!wait) return child;
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
std::string WindowsPath(const std::string& posix) { return posix; }
#endif

}  // namespace

int FreeUdpPort() {
  [[maybe_unused]] SocketLayer layer;
  int port = 0;
  NativeSocket s = BoundUdpSocket(0, port);
  if (s == kNoSocket) return 0;
  CloseNative(s);
  return port;
}

ScriptedUdpServer::ScriptedUdpServer(Script script, int lifetimeMs) : script_(std::move(script)) {
#ifdef _WIN32
  WSADATA data;
  ::WSAStartup(0x0202, &data);
#endif
  NativeSocket s = BoundUdpSocket(0, port_);
  socket_ = static_cast<std::uintptr_t>(s);
  if (s == kNoSocket) {
    port_ = 0;
    return;
  }
  thread_ = std::thread([this, lifetimeMs] { Serve(lifetimeMs); });
}

ScriptedUdpServer::~ScriptedUdpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (port_ != 0) CloseNative(static_cast<NativeSocket>(socket_));
#ifdef _WIN32
  ::WSACleanup();
#endif
}

void ScriptedUdpServer::Serve(int lifetimeMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(lifetimeMs);
  const auto s = static_cast<NativeSocket>(socket_);
  while (!stop_ && std::chrono::steady_clock::now() < until) {
    if (!Readable(s, 50)) continue;
    char buffer[2048];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const int n = static_cast<int>(
        ::recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromLength));
    if (n < 0) continue;
    const std::vector<std::uint8_t> request(buffer, buffer + n);
    const int index = requests_++;
    for (const auto& reply : script_(index, request)) {
      ::sendto(s, reinterpret_cast<const char*>(reply.data()), static_cast<int>(reply.size()), 0,
               reinterpret_cast<const sockaddr*>(&from), fromLength);
    }
  }
}

ChronydServer::ChronydServer() {
  port_ = FreeUdpPort();
  if (port_ == 0) {
    problem_ = "no free port";
    return;
  }
  folder_ = "/tmp/velta-chronyd-" + std::to_string(port_);
#ifdef _WIN32
  ::CreateDirectoryA(WindowsPath(folder_).c_str(), nullptr);
#else
  ::mkdir(folder_.c_str(), 0755);
#endif
  {
    std::ofstream conf(WindowsPath(folder_ + "/chrony.conf"));
    conf << "port " << port_ << "\nbindaddress 127.0.0.1\nallow 127.0.0.1\nlocal stratum 8\n"
         << "acquisitionport 0\ncmdport 0\nbindcmdaddress /\npidfile " << folder_ << "/chronyd.pid\n"
         << "driftfile " << folder_ << "/drift\n";
    if (!conf) {
      problem_ = "cannot write " + folder_ + "/chrony.conf";
      return;
    }
  }
  // -x: never touch the clock; -d: stay in the foreground; the time limit ends it whatever happens here.
  std::string user = "root";
#ifndef _WIN32
  if (const passwd* pw = ::getpwuid(::geteuid())) user = pw->pw_name;
#endif
  launcher_ = RunPosix("/usr/bin/timeout 60 /usr/sbin/chronyd -x -d -u " + user + " -f " + folder_ + "/chrony.conf -l " +
               folder_ + "/chronyd.log",
           false);
  // Ready once it answers.
  [[maybe_unused]] SocketLayer layer;
  int ignored = 0;
  NativeSocket s = BoundUdpSocket(0, ignored);
  if (s == kNoSocket) {
    problem_ = "no socket";
    return;
  }
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(static_cast<std::uint16_t>(port_));
  const NtpPacket request = BuildNtpRequest(1);
  bool answered = false;
  for (int i = 0; i < 50 && !answered; ++i) {
    ::sendto(s, reinterpret_cast<const char*>(request.data()), static_cast<int>(request.size()), 0,
             reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (Readable(s, 200)) {
      char buffer[64];
      answered = ::recv(s, buffer, sizeof buffer, 0) == 48;
    }
  }
  CloseNative(s);
  if (!answered) {
    std::ifstream log(WindowsPath(folder_ + "/chronyd.log"));
    std::stringstream text;
    text << log.rdbuf();
    problem_ = "chronyd did not answer on port " + std::to_string(port_) + "; its log: " + text.str();
  }
}

ChronydServer::~ChronydServer() {
  if (folder_.empty()) return;
  std::ifstream pidFile(WindowsPath(folder_ + "/chronyd.pid"));
  long pid = 0;
  if (pidFile >> pid && pid > 1) RunPosix("/bin/kill " + std::to_string(pid), true);
#ifdef _WIN32
  RunPosix("/bin/sleep 0.2", true);
#else
  if (launcher_ > 0) ::waitpid(static_cast<pid_t>(launcher_), nullptr, 0);
#endif
  RunPosix("/bin/rm -rf " + folder_, true);
}
