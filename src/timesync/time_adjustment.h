// Setting the computer's clock from a time server, on a worker thread, and
// telling the user on the user-interface thread. Where setting the clock is
// refused for want of rights (a standard user, or an administrator without
// elevation), the user is asked whether to run the adjustment with
// administrator rights in "velta-cli adjust"; the clock itself never runs elevated.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "timesync/time_adjust_settings.h"

// Sets the system clock to a UTC time; the real one is SetSystemTime. Returns
// 0 or the system's error code (ERROR_PRIVILEGE_NOT_HELD for want of rights).
// Tests hand in their own.
using SystemClockSetter = std::function<DWORD(const SYSTEMTIME& utcTime)>;
DWORD SetSystemTimeClock(const SYSTEMTIME& utcTime);

enum class AdjustOutcome : WPARAM {
  kAdjusted = 0,
  kFailed = 1,       // no usable answer, or the clock could not be set
  kNeedsRights = 2,  // the server answered, but this process may not set the clock
};

// Asks the server how far off this machine's clock is and sets the clock to
// its own time plus that offset, to the millisecond. The time is set in UTC,
// so the hour repeated at the end of summer time cannot move it by an hour.
AdjustOutcome AdjustSystemTime(const TimeAdjustSettings& settings,
                               const SystemClockSetter& setClock = SetSystemTimeClock);

// Who asked for an adjustment.
enum class AdjustOrigin : LPARAM {
  kCommand = 0,   // "Execute Time Adjustment"
  kStartUp = 1,   // OptAdjustAtStart
  kElevated = 2,  // the run of "velta-cli adjust" with administrator rights
};

// Posted to the clock window with an adjustment's end: wParam the AdjustOutcome,
// lParam the AdjustOrigin. The clock hands both to ReportTimeAdjustment.
constexpr UINT kTimeAdjustedMessage = WM_APP + 0x51;

// What a worker takes with it when it starts: it never looks at the clock
// window object again, so the window may end while the worker waits.
struct TimeAdjustJob {
  TimeAdjustSettings settings;
  HWND clock = nullptr;  // told the outcome
  AdjustOrigin origin = AdjustOrigin::kCommand;
};

// The worker's procedure: adjusts and posts the outcome to the clock window.
UINT TimeAdjustWorker(const TimeAdjustJob& job, const SystemClockSetter& setClock = SetSystemTimeClock);

// Starts one worker thread with a copy of `job`; nothing waits for it.
bool StartTimeAdjustment(const TimeAdjustJob& job);

// Starts the adjustment with administrator rights: "velta-cli.exe adjust" from the
// clock's own folder, through the shell's "runas" verb (the system asks for consent).
// A worker waits for it and posts its outcome to `clock` as AdjustOrigin::kElevated.
// False when it could not be started (refused consent included).
using ElevatedAdjustment = std::function<bool(HWND clock, const TimeAdjustSettings& settings)>;
bool RunElevatedAdjustment(HWND clock, const TimeAdjustSettings& settings);

// On the user-interface thread, when kTimeAdjustedMessage arrives: message 124 (when
// `options` say to tell the success) and a repaint after a success, message 125
// after a failure, each in a message box owned by the clock. Refused for want of
// rights, it asks whether to set the clock as administrator; Yes runs the whole
// adjustment elevated with the `current` settings, No ends with message 125 after a
// command and with nothing more at start-up, where the question was the report.
void ReportTimeAdjustment(HWND clock, WPARAM outcome, LPARAM origin, const TimeAdjustSettings& current,
                          const TimeAdjustOptions& options,
                          const ElevatedAdjustment& runElevated = RunElevatedAdjustment);
