// Setting the computer's clock from a time server, on a worker thread, and
// telling the user on the user-interface thread. Where setting the clock is
// refused for want of rights (a standard user, or an administrator without
// elevation), the user is asked whether to run the adjustment with
// administrator rights: Velta.exe itself with the argument "adjust", which runs
// only the adjustment and ends, started only after its file has been checked
// against the digest sealed into the running clock and while it is held.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "timesync/time_adjust_settings.h"
#include "timesync/time_step.h"
#include "timesync/time_sync_client.h"
#include "win/elevated_start.h"

// Sets the system clock to a UTC time; the real one is SetSystemTime. Returns
// 0 or the system's error code (ERROR_PRIVILEGE_NOT_HELD for want of rights).
// Tests hand in their own.
using SystemClockSetter = std::function<DWORD(const SYSTEMTIME& utcTime)>;
DWORD SetSystemTimeClock(const SYSTEMTIME& utcTime);

enum class AdjustOutcome : WPARAM {
  kAdjusted = 0,
  kFailed = 1,        // no usable answer, or the clock could not be set
  kNeedsRights = 2,   // the server answered, but this process may not set the clock
  kNeedsConsent = 3,  // the server says the clock is more than an hour off, and nobody said yes
};

// What the server said, beside the outcome.
struct AdjustDetails {
  bool answered = false;
  std::int64_t offsetMicros = 0;  // positive: this clock is behind
  FetchResult fetch;              // why no usable answer came
};

// Asks the server `settings.samples` times, takes the answer with the shortest
// round trip and sets the clock to its own time plus that offset, to the
// millisecond, in UTC (so the hour repeated at the end of summer time cannot move
// it by an hour). A correction beyond an hour is made only when `approval` allows it.
AdjustOutcome AdjustSystemTime(const TimeAdjustSettings& settings,
                               const SystemClockSetter& setClock = SetSystemTimeClock,
                               const TimeStep::Approval& approval = {}, AdjustDetails* details = nullptr);

// Who asked for an adjustment.
enum class AdjustOrigin : LPARAM {
  kCommand = 0,   // "Execute Time Adjustment"
  kStartUp = 1,   // OptAdjustAtStart
  kElevated = 2,  // the run with administrator rights
};
// Or'ed into the origin of kTimeAdjustedMessage: the user said yes to a correction beyond an hour,
// whose whole seconds are carried from bit kApprovedShift up.
constexpr LPARAM kStepApproved = 0x100;
constexpr int kApprovedShift = 16;

// Posted to the clock window with an adjustment's end: wParam the AdjustOutcome,
// lParam the AdjustOrigin. The clock hands both to ReportTimeAdjustment.
constexpr UINT kTimeAdjustedMessage = WM_APP + 0x51;
// Posted instead when the correction needs a yes: wParam the AdjustOrigin, lParam
// the offset in whole seconds. The clock hands both to AskTimeStep.
constexpr UINT kTimeStepMessage = WM_APP + 0x5A;

// What a worker takes with it when it starts: it never looks at the clock
// window object again, so the window may end while the worker waits.
struct TimeAdjustJob {
  TimeAdjustSettings settings;
  HWND clock = nullptr;  // told the outcome
  AdjustOrigin origin = AdjustOrigin::kCommand;
  std::optional<std::int64_t> approvedOffsetMicros;  // the correction the user said yes to
};

// The worker's procedure: adjusts and posts the outcome, or the question, to the clock window.
UINT TimeAdjustWorker(const TimeAdjustJob& job, const SystemClockSetter& setClock = SetSystemTimeClock);

// Starts one worker thread with a copy of `job`; nothing waits for it.
bool StartTimeAdjustment(const TimeAdjustJob& job);

enum class ElevationResult {
  kStarted,    // its outcome comes later, as AdjustOrigin::kElevated
  kCancelled,  // the user said no to the consent prompt
  kRefused,    // the program file is not the one this clock runs from
  kFailed,
};

// Starts the adjustment with administrator rights: `program` (this clock's own
// file by default) with "adjust ..." through the shell's "runas" verb, once it is
// held and matches the digest sealed into the running clock. A worker waits for
// it and posts its outcome to `clock` as AdjustOrigin::kElevated.
// `approvedOffsetMicros`: the correction beyond an hour the user said yes to, the
// only one (give or take the slack) the elevated run may make.
using ElevatedAdjustment = std::function<ElevationResult(HWND clock, const TimeAdjustSettings& settings,
                                                         std::optional<std::int64_t> approvedOffsetMicros)>;
ElevationResult RunElevatedAdjustment(HWND clock, const TimeAdjustSettings& settings,
                                      std::optional<std::int64_t> approvedOffsetMicros);
ElevationResult RunElevatedAdjustmentFrom(const std::string& program, HWND clock,
                                          const TimeAdjustSettings& settings,
                                          std::optional<std::int64_t> approvedOffsetMicros,
                                          const ElevatedStart::Seams& seams);

// Velta.exe's run for "adjust ARGUMENTS" (the words after "adjust"): no window,
// no clock; the exit code says what happened: 0 set, 1 failed, 2 bad arguments,
// 3 a correction beyond an hour without --allow-step.
int RunAdjustmentOnly(const std::vector<std::string>& arguments,
                      const SystemClockSetter& setClock = SetSystemTimeClock);

// On the user-interface thread, when kTimeAdjustedMessage arrives: message 124 (when
// `options` say to tell the success) and a repaint after a success, message 125
// after a failure, each in a message box owned by the clock. Refused for want of
// rights, it asks whether to set the clock as administrator; Yes runs the whole
// adjustment elevated with the `current` settings, No ends with message 125 after a
// command and with nothing more at start-up, where the question was the report. A
// refused consent prompt ends with "The clock was not set.", a changed program file
// with its own message.
void ReportTimeAdjustment(HWND clock, WPARAM outcome, LPARAM origin, const TimeAdjustSettings& current,
                          const TimeAdjustOptions& options,
                          const ElevatedAdjustment& runElevated = RunElevatedAdjustment);

// The question before a correction of more than an hour, naming it ("3 days 2
// hours behind"). Yes runs the adjustment again with that correction allowed; No
// leaves the clock as it is.
using AdjustmentStarter = std::function<bool(const TimeAdjustJob& job)>;
void AskTimeStep(HWND clock, WPARAM origin, LPARAM offsetSeconds, const TimeAdjustSettings& current,
                 const AdjustmentStarter& start = StartTimeAdjustment);

// The correction in the user's language, e.g. "3 days 2 hours" (without behind or ahead).
std::string DescribeTimeStep(std::int64_t offsetMicros);
