// velta-cli format FORMAT [--at "YYYY-MM-DD HH:MM:SS"] [--countdown DURATION_MS --elapsed MS]
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "cli/cli_args.h"
#include "cli/cli_console.h"
#include "face/time_formatter.h"
#include "face/tick_countdown.h"

namespace {

bool ParseUnsigned(const std::string& text, unsigned long long max, unsigned long long& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 20) return false;
  errno = 0;
  value = std::strtoull(text.c_str(), nullptr, 10);
  return errno == 0 && value <= max;
}

bool ParseMoment(const std::string& text, std::tm& local) {
  int y, mo, d, h, mi, s;
  char tail;
  if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6) return false;
  if (y < 1900 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 ||
      s < 0 || s > 60)
    return false;
  local = std::tm{};
  local.tm_year = y - 1900;
  local.tm_mon = mo - 1;
  local.tm_mday = d;
  local.tm_hour = h;
  local.tm_min = mi;
  local.tm_sec = s;
  local.tm_isdst = -1;
  std::tm normalised = local;
  if (std::mktime(&normalised) == static_cast<std::time_t>(-1)) {
    // Outside what the C runtime can convert: work the weekday and day of year out ourselves.
    static const int kBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    local.tm_yday = kBefore[mo - 1] + d - 1 + (leap && mo > 2 ? 1 : 0);
    const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int yy = mo < 3 ? y - 1 : y;
    local.tm_wday = (yy + yy / 4 - yy / 100 + yy / 400 + t[mo - 1] + d) % 7;
    return true;
  }
  if (normalised.tm_mday != d || normalised.tm_mon != mo - 1) return false;  // e.g. February 30
  local = normalised;
  local.tm_hour = h;  // keep the hour as written across a daylight-saving gap
  local.tm_min = mi;
  local.tm_sec = s;
  return true;
}

}  // namespace

int RunFormat(int argc, char** argv) {
  CliArgs args(argc, argv, 2, {"--at", "--countdown", "--elapsed"});
  const auto at = args.Option("--at");
  const auto countdownText = args.Option("--countdown");
  const auto elapsedText = args.Option("--elapsed");
  const auto& rest = args.Positional();
  if (args.Error() || rest.size() != 1) {
    CliConsole::Print(stderr, "velta-cli format: %s\nusage: velta-cli format FORMAT [--at \"YYYY-MM-DD HH:MM:SS\"] "
                         "[--countdown DURATION_MS --elapsed MS]\n",
                 args.Error() ? args.ErrorText().c_str() : "expected one FORMAT");
    return kCliUsage;
  }
  std::tm local{};
  if (at) {
    if (!ParseMoment(*at, local)) {
      CliConsole::Print(stderr, "velta-cli format: --at wants \"YYYY-MM-DD HH:MM:SS\", got \"%s\"\n", at->c_str());
      return kCliUsage;
    }
  } else {
    const std::time_t now = std::time(nullptr);
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
  }
  TickCountdown countdown;
  bool countdownVariant = false;
  std::uint32_t tickNow = 0;
  if (countdownText || elapsedText) {
    unsigned long long duration = 0, elapsed = 0;
    if (!countdownText || !ParseUnsigned(*countdownText, 0xFFFFFFFFull, duration) ||
        (elapsedText && !ParseUnsigned(*elapsedText, 0xFFFFFFFFull, elapsed))) {
      CliConsole::Print(stderr, "velta-cli format: --countdown and --elapsed take milliseconds (0 to 4294967295)\n");
      return kCliUsage;
    }
    countdownVariant = true;
    countdown.duration = static_cast<std::uint32_t>(duration);
    countdown.start = 0;
    tickNow = static_cast<std::uint32_t>(elapsed);
  }
  const std::string text =
      TimeFormatter::Expand(rest[0], local, countdownVariant, countdownVariant ? &countdown : nullptr, tickNow);
  CliConsole::Write(stdout, text + "\n");
  return kCliOk;
}
