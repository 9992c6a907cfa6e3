// velta-cli ntp HOST [--port P] [--timeout MS] [--retry N]
// Asks the time server as the clock's time adjustment does and prints its
// time; sets nothing.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "cli/cli_args.h"
#include "timesync/time_adjust_settings.h"
#include "timesync/time_sync_client.h"

namespace {

const char kUsage[] = "usage: velta-cli ntp HOST [--port P] [--timeout MS] [--retry N]\n";

bool ParseNumber(const std::string& text, long long minimum, long long maximum, long long& value) {
  if (text.empty() || text.size() > 12) return false;
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

}  // namespace

int RunNtp(int argc, char** argv) {
  CliArgs args(argc, argv, 2);
  const TimeAdjustSettings defaults;
  const std::string port = args.Option("--port").value_or(defaults.port);
  const auto timeoutText = args.Option("--timeout");
  const auto retryText = args.Option("--retry");
  const auto& rest = args.Positional();
  if (args.Error() || rest.size() != 1) {
    std::fprintf(stderr, "velta-cli ntp: %s\n%s", args.Error() ? args.ErrorText().c_str() : "expected one HOST",
                 kUsage);
    return kCliUsage;
  }
  long long timeoutMs = defaults.timeoutMs, retries = defaults.retries;
  if (timeoutText && !ParseNumber(*timeoutText, 0, 0xFFFFFFFFll, timeoutMs)) {
    std::fprintf(stderr, "velta-cli ntp: --timeout takes milliseconds (0 to 4294967295)\n%s", kUsage);
    return kCliUsage;
  }
  if (retryText && !ParseNumber(*retryText, -2147483647ll - 1, 2147483647ll, retries)) {
    std::fprintf(stderr, "velta-cli ntp: --retry takes a whole number of attempts\n%s", kUsage);
    return kCliUsage;
  }
  const std::string& host = rest[0];
  std::int64_t serverTime = 0;
  FetchResult result;
  if (!FetchServerTime(host, port, static_cast<std::uint32_t>(timeoutMs), static_cast<int>(retries), serverTime,
                       &result)) {
    std::fprintf(stderr, "velta-cli ntp: %s port %s: %s\n", host.c_str(), port.c_str(), DescribeFetchResult(result));
    return kCliFailed;
  }
  const auto t = static_cast<std::time_t>(serverTime);
  std::printf("%s UTC\n%s local\n", Format(t, true).c_str(), Format(t, false).c_str());
  return kCliOk;
}
