#include "timesync/time_adjustment.h"

#include <memory>
#include <string>

#include "resource.h"
#include "timesync/adjust_arguments.h"
#include "timesync/utc_time_fields.h"
#include "win/image_seal.h"
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

AdjustOutcome AdjustSystemTime(const TimeAdjustSettings& settings, const SystemClockSetter& setClock,
                               const TimeStep::Approval& approval, AdjustDetails* details) {
  AdjustDetails local;
  AdjustDetails& told = details ? *details : local;
  told = {};
  // A negative time-out (a hand-edited file) would mean a wait of weeks.
  if (settings.timeoutMs < 0) return AdjustOutcome::kFailed;
  NtpSample sample;
  if (!FetchBestSample(settings.server, settings.port, static_cast<std::uint32_t>(settings.timeoutMs),
                       settings.retries, settings.samples, sample, &told.fetch))
    return AdjustOutcome::kFailed;
  told.answered = true;
  told.offsetMicros = sample.Offset();
  if (!approval.Allows(told.offsetMicros)) return AdjustOutcome::kNeedsConsent;
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
  TimeStep::Approval approval;
  approval.offsetMicros = job.approvedOffsetMicros;
  AdjustDetails details;
  const AdjustOutcome outcome = AdjustSystemTime(job.settings, setClock, approval, &details);
  // A window that has gone meanwhile makes these harmless failures.
  if (outcome == AdjustOutcome::kNeedsConsent) {
    // Whole seconds, rounded: 3659.998 s is the hour and a minute the question names.
    const std::int64_t half = details.offsetMicros < 0 ? -kMicrosPerSecond / 2 : kMicrosPerSecond / 2;
    ::PostMessageW(job.clock, kTimeStepMessage, static_cast<WPARAM>(job.origin),
                   static_cast<LPARAM>((details.offsetMicros + half) / kMicrosPerSecond));
    return 0;
  }
  LPARAM origin = static_cast<LPARAM>(job.origin);
  if (job.approvedOffsetMicros)
    origin |= kStepApproved | static_cast<LPARAM>(*job.approvedOffsetMicros / kMicrosPerSecond) * (LPARAM{1} << kApprovedShift);
  ::PostMessageW(job.clock, kTimeAdjustedMessage, static_cast<WPARAM>(outcome), origin);
  return 0;
}

bool StartTimeAdjustment(const TimeAdjustJob& job) {
  return WorkerThread::Start([job] { TimeAdjustWorker(job); });
}

namespace {

// An empty caption leaves the system's own ("Error").
int ShowText(HWND clock, const std::string& text, const std::string& caption, UINT style) {
  const std::wstring wideText = WideText::From(text);
  const std::wstring title = WideText::From(caption);
  // Owned by the clock, which is topmost, and brought forward: the answer of a worker
  // never opens behind other windows or under the clock.
  return ::MessageBoxW(clock, wideText.c_str(), caption.empty() ? nullptr : title.c_str(), style | MB_SETFOREGROUND);
}

int Show(HWND clock, UINT textId, const std::string& caption, UINT style) {
  return ShowText(clock, StringTable::Load(textId), caption, style);
}

}  // namespace

ElevationResult RunElevatedAdjustmentFrom(const std::string& program, HWND clock,
                                          const TimeAdjustSettings& settings,
                                          std::optional<std::int64_t> approvedOffsetMicros,
                                          const ElevatedStart::Seams& seams) {
  // The yes was for one correction: the elevated run asks the server again and may
  // make only about that one, never whatever the server says by then.
  std::optional<std::int64_t> approvedSeconds;
  if (approvedOffsetMicros) approvedSeconds = *approvedOffsetMicros / kMicrosPerSecond;
  KernelHandle started;
  switch (ElevatedStart::Run(clock, program, AdjustArguments::Build(settings, false, approvedSeconds), seams, started)) {
    case ElevatedStart::Outcome::kStarted:
      break;
    case ElevatedStart::Outcome::kCancelled:
      return ElevationResult::kCancelled;
    case ElevatedStart::Outcome::kNotHeld:
    case ElevatedStart::Outcome::kChanged:
      return ElevationResult::kRefused;
    default:
      return ElevationResult::kFailed;
  }
  auto process = std::make_shared<KernelHandle>(std::move(started));
  const bool waiting = WorkerThread::Start([process, clock] {
    DWORD code = 1;
    if (::WaitForSingleObject(process->get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process->get(), &code))
      code = 1;
    const AdjustOutcome outcome = code == 0 ? AdjustOutcome::kAdjusted : AdjustOutcome::kFailed;
    ::PostMessageW(clock, kTimeAdjustedMessage, static_cast<WPARAM>(outcome),
                   static_cast<LPARAM>(AdjustOrigin::kElevated));
  });
  return waiting ? ElevationResult::kStarted : ElevationResult::kFailed;
}

ElevationResult RunElevatedAdjustment(HWND clock, const TimeAdjustSettings& settings,
                                      std::optional<std::int64_t> approvedOffsetMicros) {
  // The program is this clock's own file, run again with "adjust": it must be, byte for
  // byte, the file this clock was loaded from, which the build sealed its digest into.
  ElevatedStart::Seams seams;
  const std::string digest = ImageSeal::Own();
  seams.trusted = [digest](const std::vector<std::uint8_t>& content) { return ImageSeal::Matches(content, digest); };
  return RunElevatedAdjustmentFrom(ModulePath::Executable(), clock, settings, approvedOffsetMicros, seams);
}

int RunAdjustmentOnly(const std::vector<std::string>& arguments, const SystemClockSetter& setClock) {
  TimeAdjustSettings settings;
  bool allowStep = false;
  std::string error;
  std::optional<std::int64_t> approvedSeconds;
  if (!AdjustArguments::Parse(arguments, settings, allowStep, error, &approvedSeconds)) return 2;
  TimeStep::Approval approval;
  approval.any = allowStep;
  if (approvedSeconds) approval.offsetMicros = *approvedSeconds * kMicrosPerSecond;
  switch (AdjustSystemTime(settings, setClock, approval)) {
    case AdjustOutcome::kAdjusted:
      return 0;
    case AdjustOutcome::kNeedsConsent:
      return 3;
    default:
      return 1;
  }
}

void ReportTimeAdjustment(HWND clock, WPARAM outcome, LPARAM origin, const TimeAdjustSettings& current,
                          const TimeAdjustOptions& options, const ElevatedAdjustment& runElevated) {
  std::optional<std::int64_t> approved;
  if (origin & kStepApproved) approved = (origin >> kApprovedShift) * kMicrosPerSecond;
  const auto from = static_cast<AdjustOrigin>(origin & (kStepApproved - 1));
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
          switch (runElevated ? runElevated(clock, current, approved) : ElevationResult::kFailed) {
            case ElevationResult::kStarted:
              return;  // its outcome comes later
            case ElevationResult::kCancelled:
              // "No" at the consent prompt is an answer, not a failure.
              Show(clock, IDS_ADJUST_NOT_SET, caption, MB_ICONINFORMATION);
              return;
            case ElevationResult::kRefused:
              Show(clock, IDS_ADJUST_PROGRAM_CHANGED, caption, MB_ICONWARNING);
              return;
            case ElevationResult::kFailed:
              break;
          }
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

std::string DescribeTimeStep(std::int64_t offsetMicros) {
  static const UINT kOne[] = {IDS_STEP_DAY, IDS_STEP_HOUR, IDS_STEP_MINUTE, IDS_STEP_SECOND};
  static const UINT kMany[] = {IDS_STEP_DAYS, IDS_STEP_HOURS, IDS_STEP_MINUTES, IDS_STEP_SECONDS};
  std::vector<std::string> parts;
  for (const TimeStep::Part& part : TimeStep::Parts(offsetMicros)) {
    const int unit = static_cast<int>(part.unit);
    parts.push_back(StringTable::Format(part.count == 1 ? kOne[unit] : kMany[unit], {std::to_string(part.count)}));
  }
  if (parts.size() == 1) return parts[0];
  return StringTable::Format(IDS_STEP_TWO_PARTS, {parts[0], parts[1]});
}

void AskTimeStep(HWND clock, WPARAM origin, LPARAM offsetSeconds, const TimeAdjustSettings& current,
                 const AdjustmentStarter& start) {
  const std::int64_t offset = static_cast<std::int64_t>(offsetSeconds) * kMicrosPerSecond;
  const std::string question = StringTable::Format(offset >= 0 ? IDS_ADJUST_STEP_BEHIND : IDS_ADJUST_STEP_AHEAD,
                                                   {DescribeTimeStep(offset)});
  if (ShowText(clock, question, StringTable::AppName(), MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  TimeAdjustJob job;
  job.settings = current;
  job.clock = clock;
  job.origin = static_cast<AdjustOrigin>(origin);
  job.approvedOffsetMicros = offset;
  if (start) start(job);
}
