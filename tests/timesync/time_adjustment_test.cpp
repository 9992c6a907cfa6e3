// Setting the clock from a server on 127.0.0.1, under Wine. The real
// SetSystemTime is only called with a time within half a second of now, which
// Wine accepts without touching the host's clock; larger changes it refuses.
#include "timesync/time_adjustment.h"

#include <shellapi.h>

#include <gtest/gtest.h>

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
    ASSERT_EQ(AdjustSystemTime(On(server), [&](const SYSTEMTIME& utc) -> DWORD {
      serverNow = UtcNow() + shift;
      set.push_back(utc);
      return ERROR_SUCCESS;
    }), AdjustOutcome::kAdjusted) << shift;
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

TEST(AdjustSystemTime, RealSetSystemTimeTakesAServerLessThanHalfASecondOffAndRefusesAnHourOff) {
  for (const std::int64_t shift : {400000LL, -400000LL, 0LL}) {
    ScriptedUdpServer server(Shifted(shift));
    EXPECT_EQ(AdjustSystemTime(On(server)), AdjustOutcome::kAdjusted) << shift;
  }
  // Wine refuses it as Windows refuses a process without the right to set the clock.
  ScriptedUdpServer hourOff(Shifted(3600 * kMicrosPerSecond));
  EXPECT_EQ(AdjustSystemTime(On(hourOff)), AdjustOutcome::kNeedsRights);
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
                                               "--timeout", "5000", "--retry", "3"};
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
  ASSERT_FALSE(question.empty());
  struct Case {
    const char* name;
    AdjustOutcome outcome;
    AdjustOrigin origin;
    std::uint32_t option;
    std::vector<int> answers;
    bool elevatedStarts;  // what the elevated run reports when asked to start
    std::vector<std::string> shown;
    bool elevated;     // whether the elevated run was asked for
    bool invalidated;  // the clock repaints
  };
  const Case cases[] = {
      {"success with the message", AdjustOutcome::kAdjusted, AdjustOrigin::kCommand, OptAdjustMessage, {}, true,
       {succeeded}, false, true},
      {"success without it", AdjustOutcome::kAdjusted, AdjustOrigin::kStartUp, 0, {}, true, {}, false, true},
      {"failure", AdjustOutcome::kFailed, AdjustOrigin::kCommand, OptAdjustMessage, {}, true, {failed}, false, false},
      {"rights refused, No", AdjustOutcome::kNeedsRights, AdjustOrigin::kCommand, 0, {IDNO}, true,
       {question, failed}, false, false},
      {"rights refused, Yes", AdjustOutcome::kNeedsRights, AdjustOrigin::kCommand, 0, {IDYES}, true, {question},
       true, false},
      {"rights refused, Yes, and velta-cli cannot start", AdjustOutcome::kNeedsRights, AdjustOrigin::kCommand, 0,
       {IDYES}, false, {question, failed}, true, false},
      {"rights refused at start-up, No", AdjustOutcome::kNeedsRights, AdjustOrigin::kStartUp, 0, {IDNO}, true,
       {question}, false, false},
      {"rights refused at start-up, Yes", AdjustOutcome::kNeedsRights, AdjustOrigin::kStartUp, 0, {IDYES}, true,
       {question}, true, false},
      {"the elevated run set the clock", AdjustOutcome::kAdjusted, AdjustOrigin::kElevated, OptAdjustMessage, {},
       true, {succeeded}, false, true},
      {"the elevated run failed", AdjustOutcome::kFailed, AdjustOrigin::kElevated, 0, {}, true, {failed}, false,
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
                         TimeAdjustOptions::FromWord(c.option), [&](HWND owner, const TimeAdjustSettings& settings) {
                           ++elevatedRuns;
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
}

}  // namespace
