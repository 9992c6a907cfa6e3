// velta-cli adjust [--server HOST] [--port P] [--timeout MS] [--retry N] [--samples N] [--allow-step]
// Sets this computer's clock from the time server as the clock's time
// adjustment does: the best of several exchanges, then the clock set in UTC to
// the millisecond. A correction of more than an hour is made only with
// --allow-step. Exit status 0 when the clock was set.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "cli/cli_console.h"
#include "timesync/adjust_arguments.h"
#include "timesync/time_adjust_settings.h"
#include "timesync/time_adjustment.h"
#include "timesync/time_step.h"

namespace {

const char kUsage[] =
    "usage: velta-cli adjust [--server HOST] [--port P] [--timeout MS] [--retry N] [--samples N] [--allow-step]\n";

}  // namespace

// The clock setter is a parameter so that tests never set this machine's clock.
int RunAdjustWith(int argc, char** argv, const SystemClockSetter& setClock) {
  std::vector<std::string> arguments;
  for (int i = 2; i < argc; ++i) arguments.emplace_back(argv[i]);
  TimeAdjustSettings settings;
  bool allowStep = false;
  std::string error;
  if (!AdjustArguments::Parse(arguments, settings, allowStep, error)) {
    CliConsole::Print(stderr, "velta-cli adjust: %s\n%s", error.c_str(), kUsage);
    return kCliUsage;
  }
  TimeStep::Approval approval;
  approval.any = allowStep;
  AdjustDetails details;
  switch (AdjustSystemTime(settings, setClock, approval, &details)) {
    case AdjustOutcome::kAdjusted:
      CliConsole::Print(stdout, "the clock was set from %s port %s (offset %+.3f s)\n", settings.server.c_str(),
                        settings.port.c_str(), static_cast<double>(details.offsetMicros) / kMicrosPerSecond);
      return kCliOk;
    case AdjustOutcome::kNeedsConsent:
      CliConsole::Print(stderr,
                        "velta-cli adjust: the time server says this clock is %s; a correction of more than an "
                        "hour is made only with --allow-step. The clock was not set.\n",
                        TimeStep::Describe(details.offsetMicros).c_str());
      return kCliFailed;
    case AdjustOutcome::kNeedsRights:
      CliConsole::Print(stderr, "velta-cli adjust: this account may not set the clock (administrator rights needed)\n");
      return kCliFailed;
    default:
      if (!details.answered) {
        CliConsole::Print(stderr, "velta-cli adjust: no usable time from %s port %s: %s\n", settings.server.c_str(),
                          settings.port.c_str(),
                          settings.timeoutMs < 0 ? "negative time-out" : DescribeFetchResult(details.fetch));
      } else {
        CliConsole::Print(stderr, "velta-cli adjust: the clock could not be set\n");
      }
      return kCliFailed;
  }
}

int RunAdjust(int argc, char** argv) { return RunAdjustWith(argc, argv, SetSystemTimeClock); }
