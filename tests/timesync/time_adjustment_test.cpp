// Setting the clock from a server on 127.0.0.1, under Wine. The real
// SetSystemTime is only called with a time within half a second of now, which
// Wine accepts without touching the host's clock; larger changes it refuses.
#include "timesync/time_adjustment.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "resource.h"
#include "timesync/adjust_arguments.h"
#include "timesync/ntp_test_replies.h"
#include "timesync/socket_api.h"
#include "timesync/test_servers.h"
#include "win/string_table.h"

namespace {

using Replies = std::vector<std::vector<std::uint8_t>>;

std::int64_t UtcNow() { return PlatformSocketApi().UtcNowMicros(); }

std::int64_t ToUnixMicros(const SYSTEMTIME& utc) {
  FILETIME ft{};
  if (!::SystemTimeToFileTime(&utc, &ft)) return 0;
  const std::uint64_t ticks = (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<std::int64_t>(ticks / 10) - 11644473600LL * kMicrosPerSecond;
}

// A server whose clock is this machine's moved by `shift` microseconds.
ScriptedUdpServer::Script Shifted(std::int64_t shift) {
  return [shift](int, const std::vector<std::uint8_t>& request) {
    const std::uint64_t stamp = ntp_test::ToNtpStamp(UtcNow() + shift);
    return Replies{ntp_test::StampedReply(request, stamp, stamp)};
  };
}

TimeAdjustSettings On(const ScriptedUdpServer& server, std::int32_t timeoutMs = 2000, std::int32_t retries = 1) {
  TimeAdjustSettings settings;
  settings.server = "127.0.0.1";
  settings.port = server.Port();
  settings.timeoutMs = timeoutMs;
  settings.retries = retries;
  return settings;
}

TEST(AdjustSystemTime, SetsTheClockToItsOwnTimePlusTheOffsetToTheMillisecond) {
  const std::int64_t shifts[] = {250000, -750000, 999000, 3600 * kMicrosPerSecond + 125000,
                                 -86400 * kMicrosPerSecond - 500000};
  for (const std::int64_t shift : shifts) {
    ScriptedUdpServer server(Shifted(shift));
    std::vector<SYSTEMTIME> set;
    std::int64_t serverNow = 0;
    // Corrections beyond an hour are allowed here; when they are is tested below.
    ASSERT_EQ(AdjustSystemTime(On(server), [&](const SYSTEMTIME& utc) -> DWORD {
      serverNow = UtcNow() + shift;
      set.push_back(utc);
      return ERROR_SUCCESS;
    }, TimeStep::Approval{true, {}}), AdjustOutcome::kAdjusted) << shift;
    ASSERT_EQ(set.size(), 1u) << shift;
    // Dropping the milliseconds, or the fraction of the server's time, would be up to a second off.
    EXPECT_NEAR(static_cast<double>(ToUnixMicros(set[0]) - serverNow), 0.0, 20000.0) << "shift " << shift << " us";
    FILETIME ft;
    SYSTEMTIME same;
    ASSERT_TRUE(::SystemTimeToFileTime(&set[0], &ft) && ::FileTimeToSystemTime(&ft, &same));
    EXPECT_EQ(set[0].wDayOfWeek, same.wDayOfWeek) << shift;
  }

  // A refused SetSystemTime is a failed adjustment; refused for want of rights, it says so.
  const struct {
    DWORD error;
    AdjustOutcome outcome;
  } refusals[] = {{ERROR_PRIVILEGE_NOT_HELD, AdjustOutcome::kNeedsRights},
                  {ERROR_INVALID_PARAMETER, AdjustOutcome::kFailed},
                  {ERROR_ACCESS_DENIED, AdjustOutcome::kFailed}};
  for (const auto& r : refusals) {
    ScriptedUdpServer server(Shifted(0));
    EXPECT_EQ(AdjustSystemTime(On(server), [&r](const SYSTEMTIME&) { return r.error; }), r.outcome) << r.error;
  }
}

TEST(AdjustSystemTime, FailsWithoutTouchingTheClock) {
  struct Case {
    const char* name;
    ScriptedUdpServer::Script script;
    std::int32_t timeoutMs;
    std::int32_t retries;
  };
  const Case cases[] = {
      {"silent server", [](int, const std::vector<std::uint8_t>&) { return Replies{}; }, 300, 2},
      {"kiss-o'-death",
       [](int, const std::vector<std::uint8_t>& r) {
         auto reply = ntp_test::SoundReply(r, 0xE0000000u);
         reply[1] = 0;
         return Replies{reply};
       },
       1000, 2},
      {"no receive time (it once read as 2036)",
       [](int, const std::vector<std::uint8_t>& r) {
         return Replies{ntp_test::StampedReply(r, 0, ntp_test::ToNtpStamp(UtcNow()))};
       },
       1000, 2},
      {"a datagram for another request only",
       [](int, const std::vector<std::uint8_t>& r) {
         auto reply = ntp_test::StampedReply(r, ntp_test::ToNtpStamp(UtcNow()), ntp_test::ToNtpStamp(UtcNow()));
         reply[24] ^= 0x01;
         return Replies{reply};
       },
       300, 1},
      {"no attempts", Shifted(0), 1000, 0},
      {"negative time-out", Shifted(0), -1, 1},
  };
  for (const Case& c : cases) {
    ScriptedUdpServer server(c.script);
    int calls = 0;
    EXPECT_EQ(AdjustSystemTime(On(server, c.timeoutMs, c.retries), [&calls](const SYSTEMTIME&) -> DWORD {
      ++calls;
      return ERROR_SUCCESS;
    }), AdjustOutcome::kFailed) << c.name;
    EXPECT_EQ(calls, 0) << c.name;
  }
  // A port that only wraps around to the server's is not the server's.
  ScriptedUdpServer server(Shifted(0));
  TimeAdjustSettings wrapped = On(server);
  wrapped.port = std::to_string(std::stoi(server.Port()) + 65536);
  EXPECT_EQ(AdjustSystemTime(wrapped, [](const SYSTEMTIME&) -> DWORD { return ERROR_SUCCESS; }),
            AdjustOutcome::kFailed);
  EXPECT_EQ(server.Requests(), 0);
}

TEST(AdjustSystemTime, RealSetSystemTimeTakesAServerLessThanHalfASecondOffAndRefusesMore) {
  for (const std::int64_t shift : {400000LL, -400000LL, 0LL}) {
    ScriptedUdpServer server(Shifted(shift));
    EXPECT_EQ(AdjustSystemTime(On(server)), AdjustOutcome::kAdjusted) << shift;
  }
  // Wine refuses it as Windows refuses a process without the right to set the clock.
  ScriptedUdpServer halfHourOff(Shifted(1800 * kMicrosPerSecond));
  EXPECT_EQ(AdjustSystemTime(On(halfHourOff)), AdjustOutcome::kNeedsRights);
  ScriptedUdpServer dayOff(Shifted(86400 * kMicrosPerSecond));
  EXPECT_EQ(AdjustSystemTime(On(dayOff), SetSystemTimeClock, TimeStep::Approval{true, {}}), AdjustOutcome::kNeedsRights);
}

TEST(TimeAdjustWorker, WithoutAClockWindowDoesNothing) {
  ScriptedUdpServer server(Shifted(0));
  TimeAdjustJob job;
  job.settings = On(server);
  int calls = 0;
  EXPECT_EQ(TimeAdjustWorker(job, [&calls](const SYSTEMTIME&) -> DWORD { return ++calls, ERROR_SUCCESS; }), 0u);
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(server.Requests(), 0);
}

TEST(AdjustArguments, ComeBackWholeThroughTheSystemsCommandLineReader) {
  const char* servers[] = {"127.0.0.1", "", "two words", "quote\"inside", "trailing\\", "back\\\"slash quote",
                           "\\\\server\\share \\", "--port"};
  for (const char* server : servers) {
    TimeAdjustSettings settings;
    settings.server = server;
    settings.port = "a \"b\"";
    const std::string line = "velta-cli.exe " + AdjustArguments::Build(settings);
    std::wstring wide(line.begin(), line.end());
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(wide.c_str(), &argc);
    ASSERT_NE(argv, nullptr) << server;
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
      const std::wstring a = argv[i];
      args.emplace_back(a.begin(), a.end());
    }
    ::LocalFree(argv);
    const std::vector<std::string> expected = {"velta-cli.exe", "adjust", "--server", server, "--port", "a \"b\"",
                                               "--timeout", "5000", "--retry", "3", "--samples", "4"};
    EXPECT_EQ(args, expected) << line;
  }
}

// A window of this thread to receive what workers post and to own message boxes.
class ClockStandIn {
 public:
  ClockStandIn() {
    window_ = ::CreateWindowExA(0, "STATIC", "clock stand-in", WS_POPUP | WS_VISIBLE, 10, 10, 200, 100, nullptr,
                                nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::ValidateRect(window_, nullptr);
  }
  ~ClockStandIn() { ::DestroyWindow(window_); }
  HWND get() const { return window_; }
  // The kTimeAdjustedMessage waiting in the queue, if any.
  bool TakeResult(WPARAM& outcome, LPARAM& origin) {
    MSG msg;
    if (!::PeekMessageA(&msg, window_, kTimeAdjustedMessage, kTimeAdjustedMessage, PM_REMOVE)) return false;
    outcome = msg.wParam;
    origin = msg.lParam;
    return true;
  }
  bool Invalidated() const { return ::GetUpdateRect(window_, nullptr, FALSE) != FALSE; }

 private:
  HWND window_;
};

TEST(TimeAdjustWorker, PostsTheOutcomeAndWhoAskedToTheClock) {
  struct Case {
    const char* name;
    DWORD setError;
    bool silent;
    AdjustOrigin origin;
    AdjustOutcome outcome;
  };
  const Case cases[] = {
      {"set", ERROR_SUCCESS, false, AdjustOrigin::kCommand, AdjustOutcome::kAdjusted},
      {"refused for want of rights", ERROR_PRIVILEGE_NOT_HELD, false, AdjustOrigin::kStartUp, AdjustOutcome::kNeedsRights},
      {"refused otherwise", ERROR_INVALID_PARAMETER, false, AdjustOrigin::kCommand, AdjustOutcome::kFailed},
      {"no answer", ERROR_SUCCESS, true, AdjustOrigin::kStartUp, AdjustOutcome::kFailed},
  };
  for (const Case& c : cases) {
    ScriptedUdpServer server(c.silent ? ScriptedUdpServer::Script([](int, const std::vector<std::uint8_t>&) {
      return Replies{};
    })
                                      : Shifted(0));
    ClockStandIn clock;
    TimeAdjustJob job;
    job.settings = On(server, 300, 1);
    job.clock = clock.get();
    job.origin = c.origin;
    TimeAdjustWorker(job, [&c](const SYSTEMTIME&) { return c.setError; });
    WPARAM outcome = 99;
    LPARAM origin = 99;
    ASSERT_TRUE(clock.TakeResult(outcome, origin)) << c.name;
    EXPECT_EQ(outcome, static_cast<WPARAM>(c.outcome)) << c.name;
    EXPECT_EQ(origin, static_cast<LPARAM>(c.origin)) << c.name;
    EXPECT_FALSE(clock.Invalidated()) << c.name << ": the worker leaves the window to its thread";
  }
}

// Answers the message boxes of this thread as they open, from a timer that runs in
// their modal loops, and notes what each said and who owned it.
struct BoxAnswers {
  std::vector<int> answers;  // button per box, in order; IDOK when the list has run out
  std::vector<std::string> texts;
  std::vector<HWND> owners;
  std::vector<UINT> buttons;  // number of buttons
};
BoxAnswers* g_boxes = nullptr;

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = nullptr;
  for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = ::FindWindowExA(nullptr, w, "#32770", nullptr)) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(w) && ::GetDlgItem(w, 0xFFFF) != nullptr) box = w;
  }
  if (box == nullptr || g_boxes == nullptr) return;
  char text[512] = {};
  ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  g_boxes->texts.emplace_back(text);
  g_boxes->owners.push_back(::GetWindow(box, GW_OWNER));
  UINT count = 0;
  for (int id = IDOK; id <= IDNO; ++id) count += ::GetDlgItem(box, id) != nullptr ? 1 : 0;
  g_boxes->buttons.push_back(count);
  const std::size_t n = g_boxes->texts.size() - 1;
  const int answer = n < g_boxes->answers.size() ? g_boxes->answers[n] : IDOK;
  // Hidden at once, so the next tick cannot take the same box for a second one.
  ::ShowWindow(box, SW_HIDE);
  ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, answer)));
}

TEST(ReportTimeAdjustment, ShowsWhatHappenedInBoxesOwnedByTheClockAndAsksForRights) {
  const std::string succeeded = StringTable::Load(IDS_ADJUST_SUCCEEDED);
  const std::string failed = StringTable::Load(IDS_ADJUST_FAILED);
  const std::string question = StringTable::Load(IDS_ADJUST_NEEDS_ADMIN);
  const std::string notSet = StringTable::Load(IDS_ADJUST_NOT_SET);
  const std::string changed = StringTable::Load(IDS_ADJUST_PROGRAM_CHANGED);
  ASSERT_FALSE(question.empty());
  ASSERT_FALSE(notSet.empty());
  ASSERT_FALSE(changed.empty());
  constexpr auto kStarted = ElevationResult::kStarted;
  struct Case {
    const char* name;
    AdjustOutcome outcome;
    AdjustOrigin origin;
    std::uint32_t option;
    std::vector<int> answers;
    ElevationResult elevatedStarts;  // what the elevated run reports when asked to start
    std::vector<std::string> shown;
    bool elevated;     // whether the elevated run was asked for
    bool invalidated;  // the clock repaints
  };
  const Case cases[] = {
      {"success with the message", AdjustOutcome::kAdjusted, AdjustOrigin::kCommand, OptAdjustMessage, {}, kStarted,
       {succeeded}, false, true},
      {"success without it", AdjustOutcome::kAdjusted, AdjustOrigin::kStartUp, 0, {}, kStarted, {}, false, true},
      {"failure", AdjustOutcome::kFailed, AdjustOrigin::kCommand, OptAdjustMessage, {}, kStarted, {failed}, false, false},
      {"rights refused, No", AdjustOutcome::kNeedsRights, AdjustOrigin::kCommand, 0, {IDNO}, kStarted,
       {question, failed}, false, false},
      {"rights refused, Yes", AdjustOutcome::kNeedsRights, AdjustOrigin::kCommand, 0, {IDYES}, kStarted, {question},
       true, false},
      {"rights refused, Yes, and the elevated run cannot start", AdjustOutcome::kNeedsRights, AdjustOrigin::kCommand, 0,
       {IDYES}, ElevationResult::kFailed, {question, failed}, true, false},
      {"rights refused, Yes, and No at the consent prompt", AdjustOutcome::kNeedsRights, AdjustOrigin::kCommand, 0,
       {IDYES}, ElevationResult::kCancelled, {question, notSet}, true, false},
      {"rights refused at start-up, Yes, and No at the consent prompt", AdjustOutcome::kNeedsRights,
       AdjustOrigin::kStartUp, 0, {IDYES}, ElevationResult::kCancelled, {question, notSet}, true, false},
      {"rights refused, Yes, and the program file changed", AdjustOutcome::kNeedsRights, AdjustOrigin::kCommand, 0,
       {IDYES}, ElevationResult::kRefused, {question, changed}, true, false},
      {"rights refused at start-up, No", AdjustOutcome::kNeedsRights, AdjustOrigin::kStartUp, 0, {IDNO}, kStarted,
       {question}, false, false},
      {"rights refused at start-up, Yes", AdjustOutcome::kNeedsRights, AdjustOrigin::kStartUp, 0, {IDYES}, kStarted,
       {question}, true, false},
      {"the elevated run set the clock", AdjustOutcome::kAdjusted, AdjustOrigin::kElevated, OptAdjustMessage, {},
       kStarted, {succeeded}, false, true},
      {"the elevated run failed", AdjustOutcome::kFailed, AdjustOrigin::kElevated, 0, {}, kStarted, {failed}, false,
       false},
  };
  for (const Case& c : cases) {
    ClockStandIn clock;
    BoxAnswers boxes;
    boxes.answers = c.answers;
    g_boxes = &boxes;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, AnswerBox);
    TimeAdjustSettings current;
    current.server = "time.example";
    current.port = "4123";
    int elevatedRuns = 0;
    ReportTimeAdjustment(clock.get(), static_cast<WPARAM>(c.outcome), static_cast<LPARAM>(c.origin), current,
                         TimeAdjustOptions::FromWord(c.option), [&](HWND owner, const TimeAdjustSettings& settings,
                                                                     std::optional<std::int64_t> approved) {
                           ++elevatedRuns;
                           EXPECT_FALSE(approved) << c.name;
                           EXPECT_EQ(owner, clock.get()) << c.name;
                           EXPECT_EQ(settings, current) << c.name << ": the settings of the moment";
                           return c.elevatedStarts;
                         });
    ::KillTimer(nullptr, timer);
    g_boxes = nullptr;
    EXPECT_EQ(boxes.texts, c.shown) << c.name;
    for (std::size_t i = 0; i < boxes.owners.size(); ++i) {
      EXPECT_EQ(boxes.owners[i], clock.get()) << c.name << ": box " << i << " belongs to the clock";
      EXPECT_EQ(boxes.buttons[i], boxes.texts[i] == question ? 2u : 1u) << c.name << ": box " << i;
    }
    EXPECT_EQ(elevatedRuns, c.elevated ? 1 : 0) << c.name;
    EXPECT_EQ(clock.Invalidated(), c.invalidated) << c.name;
  }

  // After a yes to a correction beyond an hour, the elevated run is allowed that one
  // correction, not any: the server is asked again and could say another.
  for (const std::int64_t seconds : {std::int64_t{3 * 86400 + 7200}, std::int64_t{-3660}, std::int64_t{3155760000}}) {
    ClockStandIn clock;
    BoxAnswers boxes;
    boxes.answers = {IDYES};
    g_boxes = &boxes;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, AnswerBox);
    std::optional<std::int64_t> given;
    const LPARAM origin = static_cast<LPARAM>(AdjustOrigin::kStartUp) | kStepApproved |
                          static_cast<LPARAM>(seconds) * (LPARAM{1} << kApprovedShift);
    ReportTimeAdjustment(clock.get(), static_cast<WPARAM>(AdjustOutcome::kNeedsRights), origin, TimeAdjustSettings{},
                         TimeAdjustOptions{}, [&](HWND, const TimeAdjustSettings&, std::optional<std::int64_t> approved) {
                           given = approved;
                           return kStarted;
                         });
    ::KillTimer(nullptr, timer);
    g_boxes = nullptr;
    EXPECT_EQ(given, std::optional<std::int64_t>(seconds * kMicrosPerSecond)) << seconds;
  }
}


// A server on 127.0.0.1 whose sound answer, `shift` off, is spoiled by `spoil`.
ScriptedUdpServer::Script Spoiled(void (*spoil)(std::vector<std::uint8_t>&), std::int64_t shift = 0) {
  return [spoil, shift](int, const std::vector<std::uint8_t>& request) {
    const std::uint64_t stamp = ntp_test::ToNtpStamp(UtcNow() + shift);
    auto reply = ntp_test::StampedReply(request, stamp, stamp);
    if (spoil) spoil(reply);
    return Replies{reply};
  };
}

// The clock's adjustment and its elevated run ("Velta.exe adjust ...") against one server;
// what each set, through the setter seam.
struct BothPaths {
  AdjustOutcome clock;
  int clockSets = 0;
  int elevatedExit = -1;
  int elevatedSets = 0;
};
BothPaths AdjustBothWays(const ScriptedUdpServer& server, const TimeStep::Approval& approval = {},
                         const std::vector<std::string>& extra = {}) {
  BothPaths result;
  TimeAdjustSettings settings = On(server, 1000, 1);
  settings.samples = 1;
  result.clock = AdjustSystemTime(settings, [&](const SYSTEMTIME&) -> DWORD { return ++result.clockSets, 0; },
                                  approval);
  std::vector<std::string> args = {"--server", "127.0.0.1", "--port", server.Port(), "--timeout", "1000",
                                   "--retry", "1", "--samples", "1"};
  args.insert(args.end(), extra.begin(), extra.end());
  result.elevatedExit = RunAdjustmentOnly(args, [&](const SYSTEMTIME&) -> DWORD { return ++result.elevatedSets, 0; });
  return result;
}

TEST(AdjustSystemTime, RefusesWhatATimeServerMustNotBeBelievedAbout) {
  using Reply = std::vector<std::uint8_t>;
  const struct {
    const char* name;
    void (*spoil)(Reply&);
  } cases[] = {
      {"stratum 16", [](Reply& r) { r[1] = 16; }},
      {"stratum 255", [](Reply& r) { r[1] = 255; }},
      {"root distance 16 s", [](Reply& r) { r[9] = 16; }},
      {"negative root delay", [](Reply& r) { r[4] = 0x80; }},
      {"mode 5 (broadcast)", [](Reply& r) { r[0] = static_cast<std::uint8_t>((r[0] & ~7) | 5); }},
      {"transmit before receive", [](Reply& r) { r[40] = static_cast<std::uint8_t>(r[40] - 1); }},
  };
  for (const auto& c : cases) {
    ScriptedUdpServer server(Spoiled(c.spoil));
    const BothPaths both = AdjustBothWays(server);
    EXPECT_EQ(both.clock, AdjustOutcome::kFailed) << c.name;
    EXPECT_EQ(both.elevatedExit, 1) << c.name;
    EXPECT_EQ(both.clockSets + both.elevatedSets, 0) << c.name << ": nothing set";
  }
  // The reason reaches the caller.
  ScriptedUdpServer server(Spoiled([](Reply& r) { r[1] = 16; }));
  AdjustDetails details;
  EXPECT_EQ(AdjustSystemTime(On(server, 1000, 1), [](const SYSTEMTIME&) -> DWORD { return 0; }, {}, &details),
            AdjustOutcome::kFailed);
  EXPECT_FALSE(details.answered);
  EXPECT_EQ(details.fetch.failure, FetchFailure::kInvalidReply);
  EXPECT_EQ(details.fetch.reply, NtpReplyCheck::kStratumTooHigh);
}

TEST(AdjustSystemTime, AsksBeforeACorrectionOfMoreThanAnHour) {
  const std::int64_t hourAndMinute = (3600 + 60) * kMicrosPerSecond;
  for (const std::int64_t shift : {hourAndMinute, -hourAndMinute}) {
    ScriptedUdpServer server(Spoiled(nullptr, shift));
    const BothPaths asked = AdjustBothWays(server);
    EXPECT_EQ(asked.clock, AdjustOutcome::kNeedsConsent) << shift;
    EXPECT_EQ(asked.elevatedExit, 3) << shift;
    EXPECT_EQ(asked.clockSets + asked.elevatedSets, 0) << shift << ": nothing set before a yes";

    TimeStep::Approval yes;
    yes.offsetMicros = shift;
    const BothPaths allowed = AdjustBothWays(server, yes, {"--allow-step"});
    EXPECT_EQ(allowed.clock, AdjustOutcome::kAdjusted) << shift;
    EXPECT_EQ(allowed.elevatedExit, 0) << shift;
    EXPECT_EQ(allowed.clockSets, 1) << shift;
    EXPECT_EQ(allowed.elevatedSets, 1) << shift;

    // The elevated run after the clock's question takes the correction said yes to, and only it.
    const std::string seconds = std::to_string(shift / kMicrosPerSecond);
    const std::string opposite = std::to_string(-shift / kMicrosPerSecond);
    EXPECT_EQ(AdjustBothWays(server, yes, {"--approved-step", seconds}).elevatedSets, 1) << shift;
    const BothPaths another = AdjustBothWays(server, yes, {"--approved-step", opposite});
    EXPECT_EQ(another.elevatedExit, 3) << shift;
    EXPECT_EQ(another.elevatedSets, 0) << shift;

    // A yes to one correction is no yes to another.
    TimeStep::Approval other;
    other.offsetMicros = -shift;
    EXPECT_EQ(AdjustBothWays(server, other).clock, AdjustOutcome::kNeedsConsent) << shift;
  }
  // A clock whose battery died twenty years ago is set with one yes.
  const std::int64_t years = std::int64_t{7305} * 86400 * kMicrosPerSecond;
  ScriptedUdpServer server(Spoiled(nullptr, years));
  TimeStep::Approval yes;
  yes.offsetMicros = years;
  const BothPaths set = AdjustBothWays(server, yes);
  EXPECT_EQ(set.clock, AdjustOutcome::kAdjusted);
}

TEST(AdjustSystemTime, UsesTheSampleWithTheShortestRoundTrip) {
  // Four answers, each held by the server for another time and each another offset:
  // the quick one (10 s) is believed, whatever order it comes in.
  struct Answer {
    int holdMs;
    std::int64_t shift;
  };
  const std::vector<Answer> answers = {{250, 40 * kMicrosPerSecond}, {150, 20 * kMicrosPerSecond},
                                       {0, 10 * kMicrosPerSecond}, {200, 30 * kMicrosPerSecond}};
  ScriptedUdpServer server([&answers](int index, const std::vector<std::uint8_t>& request) {
    const Answer& a = answers[static_cast<std::size_t>(index) % answers.size()];
    ::Sleep(static_cast<DWORD>(a.holdMs));  // counts as the network's: the stamps are taken after it
    const std::uint64_t stamp = ntp_test::ToNtpStamp(UtcNow() + a.shift);
    return Replies{ntp_test::StampedReply(request, stamp, stamp)};
  });
  TimeAdjustSettings settings = On(server, 2000, 1);
  ASSERT_EQ(settings.samples, 4) << "four samples by default";
  std::int64_t setTo = 0, expected = 0;
  AdjustDetails details;
  ASSERT_EQ(AdjustSystemTime(settings, [&](const SYSTEMTIME& utc) -> DWORD {
    setTo = ToUnixMicros(utc);
    expected = UtcNow() + 10 * kMicrosPerSecond;
    return ERROR_SUCCESS;
  }, {}, &details), AdjustOutcome::kAdjusted);
  EXPECT_EQ(server.Requests(), 4);
  EXPECT_NEAR(static_cast<double>(details.offsetMicros), 10.0 * kMicrosPerSecond, 60000.0);
  EXPECT_NEAR(static_cast<double>(setTo - expected), 0.0, 60000.0);
}

TEST(TimeAdjustWorker, AsksTheClockBeforeACorrectionOfMoreThanAnHour) {
  const std::int64_t shift = -(3 * 86400 + 2 * 3600) * kMicrosPerSecond;
  ScriptedUdpServer server(Spoiled(nullptr, shift));
  ClockStandIn clock;
  TimeAdjustJob job;
  job.settings = On(server, 1000, 1);
  job.clock = clock.get();
  job.origin = AdjustOrigin::kStartUp;
  int sets = 0;
  TimeAdjustWorker(job, [&sets](const SYSTEMTIME&) -> DWORD { return ++sets, 0; });
  EXPECT_EQ(sets, 0);
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, clock.get(), kTimeStepMessage, kTimeStepMessage, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>(AdjustOrigin::kStartUp));
  EXPECT_NEAR(static_cast<double>(msg.lParam), static_cast<double>(shift / kMicrosPerSecond), 1.0);

  // With the yes, the outcome comes back marked as allowed.
  job.approvedOffsetMicros = shift;
  TimeAdjustWorker(job, [&sets](const SYSTEMTIME&) -> DWORD { return ++sets, ERROR_PRIVILEGE_NOT_HELD; });
  WPARAM outcome = 99;
  LPARAM origin = 99;
  ASSERT_TRUE(clock.TakeResult(outcome, origin));
  EXPECT_EQ(outcome, static_cast<WPARAM>(AdjustOutcome::kNeedsRights));
  EXPECT_EQ(origin, static_cast<LPARAM>(AdjustOrigin::kStartUp) | kStepApproved |
                        static_cast<LPARAM>(shift / kMicrosPerSecond) * (LPARAM{1} << kApprovedShift))
      << "the yes and the correction it was for";
}

TEST(AskTimeStep, NamesTheCorrectionAndSetsOnlyAfterYes) {
  const bool english = StringTable::Load(IDS_ADJUST_STEP_BEHIND).rfind("The time server", 0) == 0;
  const struct {
    std::int64_t seconds;
    int answer;
    const char* english;
  } cases[] = {
      {3 * 86400 + 2 * 3600, IDYES, "The time server says this clock is 3 days 2 hours behind. Set it?"},
      {-(3600 + 60), IDNO, "The time server says this clock is 1 hour 1 minute ahead. Set it?"},
      {3600 + 60, IDNO, "The time server says this clock is 1 hour 1 minute behind. Set it?"},
  };
  for (const auto& c : cases) {
    ClockStandIn clock;
    BoxAnswers boxes;
    boxes.answers = {c.answer};
    g_boxes = &boxes;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, AnswerBox);
    TimeAdjustSettings current;
    current.server = "time.example";
    std::vector<TimeAdjustJob> started;
    AskTimeStep(clock.get(), static_cast<WPARAM>(AdjustOrigin::kCommand), static_cast<LPARAM>(c.seconds), current,
                [&started](const TimeAdjustJob& job) { return started.push_back(job), true; });
    ::KillTimer(nullptr, timer);
    g_boxes = nullptr;
    ASSERT_EQ(boxes.texts.size(), 1u) << c.english;
    if (english) EXPECT_EQ(boxes.texts[0], c.english);
    EXPECT_EQ(boxes.buttons[0], 2u);
    EXPECT_EQ(boxes.owners[0], clock.get());
    if (c.answer == IDNO) {
      EXPECT_TRUE(started.empty()) << c.english << ": No sets nothing";
      continue;
    }
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].settings, current);
    EXPECT_EQ(started[0].clock, clock.get());
    EXPECT_EQ(started[0].approvedOffsetMicros, std::optional<std::int64_t>(c.seconds * kMicrosPerSecond));
  }
}

TEST(RunElevatedAdjustment, RefusesAProgramThatIsNotTheClocksOwnWithTheMessage) {
  // The clock's own way: a program file is run only when it carries the running clock's
  // seal. These tests are not sealed, so their own file is refused; so is any other.
  ClockStandIn clock;
  EXPECT_EQ(RunElevatedAdjustment(clock.get(), TimeAdjustSettings{}, std::nullopt), ElevationResult::kRefused);

  BoxAnswers boxes;
  boxes.answers = {IDYES};
  g_boxes = &boxes;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, AnswerBox);
  ReportTimeAdjustment(clock.get(), static_cast<WPARAM>(AdjustOutcome::kNeedsRights),
                       static_cast<LPARAM>(AdjustOrigin::kCommand), TimeAdjustSettings{}, TimeAdjustOptions{});
  ::KillTimer(nullptr, timer);
  g_boxes = nullptr;
  const std::vector<std::string> expected = {StringTable::Load(IDS_ADJUST_NEEDS_ADMIN),
                                             StringTable::Load(IDS_ADJUST_PROGRAM_CHANGED)};
  EXPECT_EQ(boxes.texts, expected);
  MSG msg;
  EXPECT_FALSE(::PeekMessageA(&msg, clock.get(), kTimeAdjustedMessage, kTimeAdjustedMessage, PM_REMOVE))
      << "nothing was started to report back";
}

}  // namespace
