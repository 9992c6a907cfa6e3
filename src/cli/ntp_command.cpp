// velta-cli ntp HOST [--port P] [--timeout MS] [--retry N] [--samples N]
// Asks the time server as the clock's time adjustment does and prints its
// time and how far this machine's clock is off; sets nothing.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "cli/cli_args.h"
#include "cli/cli_console.h"
#include "timesync/socket_client.h"
#include "timesync/time_adjust_settings.h"
#include "timesync/time_sync_client.h"

namespace {

const char kUsage[] = "usage: velta-cli ntp HOST [--port P] [--timeout MS] [--retry N] [--samples N]\n";

// Plain decimal digits only: strtoll alone would take " 5" and "+5" as 5.
bool ParseNumber(const std::string& text, long long minimum, long long maximum, long long& value) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && end != nullptr && *end == '\0' && value >= minimum && value <= maximum;
}

std::string Format(std::time_t t, bool utc) {
  std::tm fields{};
#ifdef _WIN32
  const bool ok = (utc ? gmtime_s(&fields, &t) : localtime_s(&fields, &t)) == 0;
#else
  const bool ok = (utc ? gmtime_r(&t, &fields) : localtime_r(&t, &fields)) != nullptr;
#endif
  if (!ok) return "?";
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &fields);
  return text;
}

// Microseconds as seconds with three decimals, rounded: "0.004", "-0.250".
std::string Seconds(std::int64_t micros, bool sign) {
  const bool negative = micros < 0;
  const std::int64_t ms = ((negative ? -micros : micros) + 500) / 1000;
  char text[48];
  std::snprintf(text, sizeof text, "%s%lld.%03lld", negative && ms != 0 ? "-" : (sign ? "+" : ""),
                static_cast<long long>(ms / 1000), static_cast<long long>(ms % 1000));
  return text;
}

}  // namespace

int RunNtp(int argc, char** argv) {
  CliArgs args(argc, argv, 2, {"--port", "--timeout", "--retry", "--samples"});
  const TimeAdjustSettings defaults;
  const std::string port = args.Option("--port").value_or(defaults.port);
  const auto timeoutText = args.Option("--timeout");
  const auto retryText = args.Option("--retry");
  const auto samplesText = args.Option("--samples");
  const auto& rest = args.Positional();
  if (args.Error() || rest.size() != 1) {
    CliConsole::Print(stderr, "velta-cli ntp: %s\n%s", args.Error() ? args.ErrorText().c_str() : "expected one HOST",
                 kUsage);
    return kCliUsage;
  }
  long long timeoutMs = defaults.timeoutMs, retries = defaults.retries, samples = 1;
  // No answer can come in no time, and no attempts make no exchange: both are bad usage.
  if (timeoutText && !ParseNumber(*timeoutText, 1, 0xFFFFFFFFll, timeoutMs)) {
    CliConsole::Print(stderr, "velta-cli ntp: --timeout takes milliseconds in plain decimal digits (1 to 4294967295)\n%s", kUsage);
    return kCliUsage;
  }
  if (retryText && !ParseNumber(*retryText, 1, 2147483647ll, retries)) {
    CliConsole::Print(stderr, "velta-cli ntp: --retry takes a number of attempts in plain decimal digits (1 to 2147483647)\n%s", kUsage);
    return kCliUsage;
  }
  if (samplesText && !ParseNumber(*samplesText, 1, 100, samples)) {
    CliConsole::Print(stderr, "velta-cli ntp: --samples takes plain decimal digits (1 to 100)\n%s", kUsage);
    return kCliUsage;
  }
  std::uint16_t portNumber = 0;
  if (SocketClient::ReadPort(port, portNumber) == SocketClient::PortText::kInvalid) {
    CliConsole::Print(stderr, "velta-cli ntp: --port takes 1 to 65535 or a service name\n%s", kUsage);
    return kCliUsage;
  }
  const std::string& host = rest[0];

  NtpSample best;
  FetchResult result;
  if (!FetchBestSample(host, port, static_cast<std::uint32_t>(timeoutMs), static_cast<int>(retries),
                       static_cast<int>(samples), best, &result)) {
    CliConsole::Print(stderr, "velta-cli ntp: %s port %s: %s\n", host.c_str(), port.c_str(), DescribeFetchResult(result));
    return kCliFailed;
  }
  const auto t = static_cast<std::time_t>(best.receive / kMicrosPerSecond);
  CliConsole::Print(stdout, "%s UTC\noffset %s s\ndelay %s s\nstratum %u\nleap %u\n%s local\n", Format(t, true).c_str(),
              Seconds(best.Offset(), true).c_str(), Seconds(best.Delay(), false).c_str(), best.stratum, best.leap,
              Format(t, false).c_str());
  return kCliOk;
}
