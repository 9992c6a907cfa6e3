// Setting the computer's clock from a time server, on a worker thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "timesync/time_adjust_settings.h"

// Sets the system clock to a UTC time; the real one is SetSystemTime. Tests
// hand in their own.
using SystemClockSetter = std::function<bool(const SYSTEMTIME& utcTime)>;
bool SetSystemTimeClock(const SYSTEMTIME& utcTime);

// Asks the server how far off this machine's clock is and sets the clock to
// its own time plus that offset, to the millisecond. The time is set in UTC,
// so the hour repeated at the end of summer time cannot move it by an hour.
bool AdjustSystemTime(const TimeAdjustSettings& settings, const SystemClockSetter& setClock = SetSystemTimeClock);

// What a worker takes with it when it starts: it never looks at the clock
// window object again, so the window may end while the worker waits.
struct TimeAdjustJob {
  TimeAdjustSettings settings;
  HWND clock = nullptr;      // repainted after a success
  std::uint32_t option = 0;  // OptAdjustMessage asks for message 124
};

// The worker's procedure: adjusts, reports in an owner-less message box
// (124 on success when asked for, 125 on every failure) and repaints the clock.
UINT TimeAdjustWorker(const TimeAdjustJob& job, const SystemClockSetter& setClock = SetSystemTimeClock);

// Starts one worker thread with a copy of `job`; nothing waits for it.
bool StartTimeAdjustment(const TimeAdjustJob& job);
