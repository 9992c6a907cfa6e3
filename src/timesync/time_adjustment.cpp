#include "timesync/time_adjustment.h"

#include <shellapi.h>

#include <memory>
#include <string>

#include "resource.h"
#include "timesync/adjust_arguments.h"
#include "timesync/time_sync_client.h"
#include "timesync/utc_time_fields.h"
#include "win/module_path.h"
#include "win/string_table.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"
#include "win/worker_thread.h"

DWORD SetSystemTimeClock(const SYSTEMTIME& utcTime) {
  if (::SetSystemTime(&utcTime)) return ERROR_SUCCESS;
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

AdjustOutcome AdjustSystemTime(const TimeAdjustSettings& settings, const SystemClockSetter& setClock) {
  // A negative time-out (a hand-edited file) would mean a wait of weeks.
  if (settings.timeoutMs < 0) return AdjustOutcome::kFailed;
  NtpSample sample;
  if (!FetchServerTime(settings.server, settings.port, static_cast<std::uint32_t>(settings.timeoutMs),
                       settings.retries, sample))
    return AdjustOutcome::kFailed;
  const auto fields = ToUtcTimeFields(PlatformSocketApi().UtcNowMicros() + sample.Offset());
  if (!fields) return AdjustOutcome::kFailed;
  SYSTEMTIME utc{};
  utc.wYear = static_cast<WORD>(fields->year);
  utc.wMonth = static_cast<WORD>(fields->month);
  utc.wDayOfWeek = static_cast<WORD>(fields->dayOfWeek);
  utc.wDay = static_cast<WORD>(fields->day);
  utc.wHour = static_cast<WORD>(fields->hour);
  utc.wMinute = static_cast<WORD>(fields->minute);
  utc.wSecond = static_cast<WORD>(fields->second);
  utc.wMilliseconds = static_cast<WORD>(fields->milliseconds);
  switch (setClock(utc)) {
    case ERROR_SUCCESS:
      return AdjustOutcome::kAdjusted;
    case ERROR_PRIVILEGE_NOT_HELD:
      return AdjustOutcome::kNeedsRights;
    default:
      return AdjustOutcome::kFailed;
  }
}

UINT TimeAdjustWorker(const TimeAdjustJob& job, const SystemClockSetter& setClock) {
  if (job.clock == nullptr) return 0;
  const AdjustOutcome outcome = AdjustSystemTime(job.settings, setClock);
  // A window that has gone meanwhile makes this a harmless failure.
  ::PostMessageW(job.clock, kTimeAdjustedMessage, static_cast<WPARAM>(outcome), static_cast<LPARAM>(job.origin));
  return 0;
}

bool StartTimeAdjustment(const TimeAdjustJob& job) {
  return WorkerThread::Start([job] { TimeAdjustWorker(job); });
}

namespace {

// velta-cli.exe beside the running program.
std::string CliPath() {
  const std::string folder = ModulePath::Folder();
  return folder.empty() ? std::string("velta-cli.exe") : folder + "velta-cli.exe";
}

// An empty caption leaves the system's own ("Error").
int Show(HWND clock, UINT textId, const std::string& caption, UINT style) {
  const std::wstring text = WideText::From(StringTable::Load(textId));
  const std::wstring title = WideText::From(caption);
  // Owned by the clock, which is topmost, and brought forward: the answer of a worker
  // never opens behind other windows or under the clock.
  return ::MessageBoxW(clock, text.c_str(), caption.empty() ? nullptr : title.c_str(), style | MB_SETFOREGROUND);
}

}  // namespace

bool RunElevatedAdjustment(HWND clock, const TimeAdjustSettings& settings) {
  const std::string file = CliPath();
  const std::string parameters = AdjustArguments::Build(settings);
  const std::wstring wideFile = WideText::From(file);
  const std::wstring wideParameters = WideText::From(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.hwnd = clock;  // the consent prompt belongs to the clock
  info.lpVerb = L"runas";
  info.lpFile = wideFile.c_str();
  info.lpParameters = wideParameters.c_str();
  info.nShow = SW_HIDE;
  if (!::ShellExecuteExW(&info)) return false;  // refused consent included
  if (info.hProcess == nullptr) return false;
  auto process = std::make_shared<KernelHandle>(info.hProcess);
  return WorkerThread::Start([process, clock] {
    DWORD code = 1;
    if (::WaitForSingleObject(process->get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process->get(), &code))
      code = 1;
    const AdjustOutcome outcome = code == 0 ? AdjustOutcome::kAdjusted : AdjustOutcome::kFailed;
    ::PostMessageW(clock, kTimeAdjustedMessage, static_cast<WPARAM>(outcome),
                   static_cast<LPARAM>(AdjustOrigin::kElevated));
  });
}

void ReportTimeAdjustment(HWND clock, WPARAM outcome, LPARAM origin, const TimeAdjustSettings& current,
                          const TimeAdjustOptions& options, const ElevatedAdjustment& runElevated) {
  const auto from = static_cast<AdjustOrigin>(origin);
  switch (static_cast<AdjustOutcome>(outcome)) {
    case AdjustOutcome::kAdjusted:
      if (options.tellSuccess) {
        const std::string caption = StringTable::AppName();
        Show(clock, IDS_ADJUST_SUCCEEDED, caption, MB_ICONINFORMATION);
      }
      // Repainted with the new time; the paint also arms the minute timer against it.
      ::InvalidateRect(clock, nullptr, FALSE);
      return;
    case AdjustOutcome::kNeedsRights:
      if (from != AdjustOrigin::kElevated) {
        const std::string caption = StringTable::AppName();
        if (Show(clock, IDS_ADJUST_NEEDS_ADMIN, caption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
          if (runElevated && runElevated(clock, current)) return;  // its outcome comes later
        } else if (from == AdjustOrigin::kStartUp) {
          return;  // at start-up the question was the one report of the failure
        }
      }
      break;
    default:
      break;
  }
  Show(clock, IDS_ADJUST_FAILED, {}, MB_OK);
}
