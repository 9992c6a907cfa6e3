#include "timesync/time_adjustment.h"

#include "resource.h"
#include "timesync/time_sync_client.h"
#include "timesync/utc_time_fields.h"
#include "win/string_table.h"
#include "win/worker_thread.h"

bool SetSystemTimeClock(const SYSTEMTIME& utcTime) { return ::SetSystemTime(&utcTime) != FALSE; }

bool AdjustSystemTime(const TimeAdjustSettings& settings, const SystemClockSetter& setClock) {
  // A negative time-out (a hand-edited file) would mean a wait of weeks.
  if (settings.timeoutMs < 0) return false;
  NtpSample sample;
  if (!FetchServerTime(settings.server, settings.port, static_cast<std::uint32_t>(settings.timeoutMs),
                       settings.retries, sample))
    return false;
  const auto fields = ToUtcTimeFields(PlatformSocketApi().UtcNowMicros() + sample.Offset());
  if (!fields) return false;
  SYSTEMTIME utc{};
  utc.wYear = static_cast<WORD>(fields->year);
  utc.wMonth = static_cast<WORD>(fields->month);
  utc.wDayOfWeek = static_cast<WORD>(fields->dayOfWeek);
  utc.wDay = static_cast<WORD>(fields->day);
  utc.wHour = static_cast<WORD>(fields->hour);
  utc.wMinute = static_cast<WORD>(fields->minute);
  utc.wSecond = static_cast<WORD>(fields->second);
  utc.wMilliseconds = static_cast<WORD>(fields->milliseconds);
  return setClock(utc);
}

UINT TimeAdjustWorker(const TimeAdjustJob& job, const SystemClockSetter& setClock) {
  if (job.clock == nullptr) return 0;
  if (AdjustSystemTime(job.settings, setClock)) {
    if (job.option & OptAdjustMessage) {
      const std::string text = StringTable::Load(IDS_ADJUST_SUCCEEDED);
      const std::string caption = StringTable::AppName();
      ::MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONINFORMATION);
    }
    // A window that has gone meanwhile makes this a harmless failure.
    ::InvalidateRect(job.clock, nullptr, FALSE);
  } else {
    const std::string text = StringTable::Load(IDS_ADJUST_FAILED);
    ::MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK);
  }
  return 0;
}

bool StartTimeAdjustment(const TimeAdjustJob& job) {
  return WorkerThread::Start([job] { TimeAdjustWorker(job); });
}
