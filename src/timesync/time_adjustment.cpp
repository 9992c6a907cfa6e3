#include "timesync/time_adjustment.h"

#include <ctime>

#include "resource.h"
#include "timesync/time_sync_client.h"
#include "win/string_table.h"
#include "win/worker_thread.h"

bool SetLocalTimeClock(const SYSTEMTIME& localTime) { return ::SetLocalTime(&localTime) != FALSE; }

bool AdjustSystemTime(const TimeAdjustSettings& settings, const SystemClockSetter& setClock) {
  // A negative time-out (a hand-edited file) would mean a wait of weeks.
  if (settings.timeoutMs < 0) return false;
  std::int64_t serverTime = 0;
  if (!FetchServerTime(settings.server, settings.port, static_cast<std::uint32_t>(settings.timeoutMs),
                       settings.retries, serverTime))
    return false;
  const auto value = static_cast<std::time_t>(serverTime);
  std::tm local{};
  if (localtime_s(&local, &value) != 0) return false;
  SYSTEMTIME fields{};
  fields.wYear = static_cast<WORD>(local.tm_year + 1900);
  fields.wMonth = static_cast<WORD>(local.tm_mon + 1);
  fields.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  fields.wDay = static_cast<WORD>(local.tm_mday);
  fields.wHour = static_cast<WORD>(local.tm_hour);
  fields.wMinute = static_cast<WORD>(local.tm_min);
  fields.wSecond = static_cast<WORD>(local.tm_sec);
  fields.wMilliseconds = 0;
  return setClock(fields);
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
