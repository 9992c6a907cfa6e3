// velta-cli adjust [--server HOST] [--port P] [--timeout MS] [--retry N]
// Sets this computer's clock from the time server as the clock's time
// adjustment does: one exchange, then the clock set in UTC to the millisecond.
// The clock starts it with administrator rights when its own attempt was
// refused for want of them. Exit status 0 when the clock was set.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/cli_args.h"
#include "cli/cli_console.h"
#include "timesync/time_adjust_settings.h"
#include "timesync/time_adjustment.h"

namespace {

const char kUsage[] = "usage: velta-cli adjust [--server HOST] [--port P] [--timeout MS] [--retry N]\n";

bool ParseInt32(const std::string& text, long long minimum, std::int32_t& value) {
  if (text.empty() || text.size() > 12) return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != '\0' || parsed < minimum || parsed > 2147483647ll) return false;
  value = static_cast<std::int32_t>(parsed);
  return true;
}

}  // namespace

int RunAdjust(int argc, char** argv) {
  CliArgs args(argc, argv, 2);
  TimeAdjustSettings settings;
  // In the order the clock writes them, so that a value that looks like an option stays a value.
  if (const auto server = args.Option("--server")) settings.server = *server;
  if (const auto port = args.Option("--port")) settings.port = *port;
  const auto timeoutText = args.Option("--timeout");
  const auto retryText = args.Option("--retry");
  const auto& rest = args.Positional();
  if (args.Error() || !rest.empty()) {
    CliConsole::Print(stderr, "velta-cli adjust: %s\n%s", args.Error() ? args.ErrorText().c_str() : "no HOST argument; use --server",
                 kUsage);
    return kCliUsage;
  }
  // The clock's stored values pass as they are; the time-out may not be negative.
  if (timeoutText && !ParseInt32(*timeoutText, 0, settings.timeoutMs)) {
    CliConsole::Print(stderr, "velta-cli adjust: --timeout takes milliseconds (0 to 2147483647)\n%s", kUsage);
    return kCliUsage;
  }
  if (retryText && !ParseInt32(*retryText, -2147483647ll - 1, settings.retries)) {
    CliConsole::Print(stderr, "velta-cli adjust: --retry takes a whole number of attempts\n%s", kUsage);
    return kCliUsage;
  }
  switch (AdjustSystemTime(settings)) {
    case AdjustOutcome::kAdjusted:
      CliConsole::Print(stdout, "the clock was set from %s port %s\n", settings.server.c_str(), settings.port.c_str());
      return kCliOk;
    case AdjustOutcome::kNeedsRights:
      CliConsole::Print(stderr, "velta-cli adjust: this account may not set the clock (administrator rights needed)\n");
      return kCliFailed;
    default:
      CliConsole::Print(stderr, "velta-cli adjust: no usable time from %s port %s, or the clock could not be set\n",
                   settings.server.c_str(), settings.port.c_str());
      return kCliFailed;
  }
}
