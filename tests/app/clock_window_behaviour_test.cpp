// The clock window's timers, paint, cells, tooltips and launcher toggle, driven
// by messages on a real window.
#include "app/clock_window.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/tray_icon.h"
#include "launcher/active_encoded_runs.h"
#include "app/clock_window_fixture.h"
#include "quicktimer/quick_timer_cells.h"
#include "launcher/ui_script.h"
#include "quicktimer/running_timer.h"
#include "quicktimer/timer_action.h"
#include "quicktimer/timer_action_state.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "storage/scratch_dir.h"
#include "storage/settings_save_message.h"
#include "win/user_alert.h"
#include "win/wide_text.h"

namespace {

class ClockWindowBehaviour : public ClockWindowFixture {
 protected:
  QuickTimerCells::Rect Client() const {
    RECT r;
    ::GetClientRect(hwnd(), &r);
    return {r.left, r.top, r.right, r.bottom};
  }
  QuickTimerCells::Rect Cell(int index) const { return *QuickTimerCells::CellRect(index, Client()); }

  // A running QuickTimer far from its end, with the given action flags.
  void AddTimer(std::uint32_t flags, std::uint32_t duration = 600000) {
    TimerAction settings;
    settings.flags = flags;
    settings.countdown.duration = duration;
    window_.quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount()));
  }

};

TEST(ClockWindowMinuteTimer, PeriodRunsToTheNextWholeMinute) {
  const struct {
    int second;
    int millisecond;
    UINT period;
  } cases[] = {
      {0, 0, 60000}, {30, 0, 30000}, {59, 0, 1000},  // whole seconds
      {0, 1, 59999}, {30, 250, 29750}, {59, 999, 1},  // the milliseconds count too
      {59, 985, 15},  // a tick 15 ms early comes again as the minute turns, not a minute later
      {60, 0, 1}, {60, 999, 1},  // a leap second: never 0 or less, which would be no timer at all
  };
  for (const auto& c : cases)
    EXPECT_EQ(ClockWindow::MinuteTimerPeriod(c.second, c.millisecond), c.period) << c.second << "." << c.millisecond;
}

TEST(ClockWindowMinuteTimer, WithSecondsPeriodRunsToTheNextWholeSecond) {
  const struct {
    int millisecond;
    UINT period;
  } cases[] = {{0, 1000}, {1, 999}, {500, 500}, {985, 15}, {999, 1}, {1000, 1}, {1500, 1}};
  for (const auto& c : cases) EXPECT_EQ(ClockWindow::SecondTimerPeriod(c.millisecond), c.period) << c.millisecond;
}

// The clock draws itself (no paint asked for here): with seconds in the format each second,
// without them not before the minute turns. What it drew is read as screen readers read it.
TEST_F(ClockWindowBehaviour, AFaceWithSecondsIsDrawnEachSecondOneWithoutOnceAMinute) {
  auto shown = [this] { return WideText::ToUtf8(window_.accessibleText().text()); };
  auto pump = [](DWORD ms) {
    MSG msg;
    const DWORD until = ::GetTickCount() + ms;
    while (static_cast<LONG>(until - ::GetTickCount()) > 0) {
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
      ::Sleep(5);
    }
  };
  // A busy machine may hand the timer over late: each turn is waited for up to two and a half
  // seconds, still far from the once a minute of a face without seconds.
  auto nextShown = [&](const std::string& from) {
    const DWORD until = ::GetTickCount() + 2500;
    while (shown() == from && static_cast<LONG>(until - ::GetTickCount()) > 0) pump(20);
    return shown();
  };
  window_.face().format = "%S";
  Paint();
  const std::string first = shown();
  const std::string second = nextShown(first);
  EXPECT_NE(second, first) << "drawn again as the second turned";
  EXPECT_NE(nextShown(second), second) << "and again";

  SYSTEMTIME now;
  ::GetLocalTime(&now);
  if (now.wSecond >= 56) pump(5000);  // the minute turning meanwhile would redraw it
  window_.face().format = "%H:%M";
  Paint();
  window_.face().format = "%H:%M:%S";  // shown only once something draws the face again
  pump(1300);
  EXPECT_EQ(shown().size(), 5u) << "no drawing within the minute: " << shown();
}

TEST_F(ClockWindowBehaviour, APaintArmsTheMinuteTimerAgain) {
  ASSERT_TRUE(TakeTimer(ClockWindow::kMinuteTimer)) << "armed at start-up";
  EXPECT_FALSE(TakeTimer(ClockWindow::kMinuteTimer));
  Paint();
  EXPECT_TRUE(TakeTimer(ClockWindow::kMinuteTimer)) << "the paint armed it";
}

TEST_F(ClockWindowBehaviour, SeeThroughShapeKeepsTheCells) {
  ::SendMessageA(hwnd(), WM_COMMAND, ID_WINDOW_FRAME, 0);
  ::SendMessageA(hwnd(), WM_COMMAND, ID_TRANSPARENT, 0);
  ASSERT_TRUE(window_.face().options.frameless && window_.face().options.seeThrough);
  AddTimer(TimerActionState::kMessageWindow);
  Paint();

  RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(hwnd(), region.get()), ERROR) << "the see-through clock has a shape";
  const QuickTimerCells::Rect cell = Cell(0);
  EXPECT_TRUE(::PtInRegion(region.get(), cell.left, cell.top)) << "the corner of cell 0's border";
  EXPECT_TRUE(::PtInRegion(region.get(), cell.right - 1, cell.bottom - 1));
  EXPECT_TRUE(::PtInRegion(region.get(), (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
  const QuickTimerCells::Rect client = Client();
  EXPECT_FALSE(::PtInRegion(region.get(), client.right - 2, client.bottom - 2)) << "empty background is cut away";
}

// Runs inside the version dialog's modal loop: paints the clock there, notes
// whether it rose above the other topmost window and closes the dialog.
struct ZOrderProbe {
  HWND clock = nullptr;
  HWND other = nullptr;
  bool ran = false;
  bool clockDisabled = false;
  bool clockAboveAfterPaint = false;
};
ZOrderProbe g_probe;

bool IsAbove(HWND upper, HWND lower) {
  for (HWND w = ::GetWindow(lower, GW_HWNDPREV); w != nullptr; w = ::GetWindow(w, GW_HWNDPREV)) {
    if (w == upper) return true;
  }
  return false;
}

void CALLBACK PaintInsideModal(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = nullptr;
  for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); w; w = ::FindWindowExA(nullptr, w, "#32770", nullptr)) {
    if (::GetWindow(w, GW_OWNER) == g_probe.clock && ::IsWindowVisible(w)) dialog = w;
  }
  if (dialog == nullptr) return;
  ::KillTimer(nullptr, id);
  g_probe.ran = true;
  g_probe.clockDisabled = !::IsWindowEnabled(g_probe.clock);
  ::SetWindowPos(g_probe.other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  ::RedrawWindow(g_probe.clock, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  g_probe.clockAboveAfterPaint = IsAbove(g_probe.clock, g_probe.other);
  ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(ClockWindowBehaviour, APaintUnderItsOwnModalDialogLeavesOtherTopmostWindowsAbove) {
  ASSERT_TRUE(window_.face().options.topmost);
  HWND other = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "STATIC", "other", WS_POPUP | WS_VISIBLE, 50, 50,
                                 100, 100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(other, nullptr);
  g_probe = ZOrderProbe{hwnd(), other};
  ::SetTimer(nullptr, 0, 50, PaintInsideModal);
  ::SendMessageA(hwnd(), WM_COMMAND, ID_VERSION, 0);
  ASSERT_TRUE(g_probe.ran);
  EXPECT_TRUE(g_probe.clockDisabled) << "the modal dialog disables its owner";
  EXPECT_FALSE(g_probe.clockAboveAfterPaint) << "a paint while disabled does not raise the clock";

  // Enabled again, a paint puts the clock back on top of the band.
  ::SetWindowPos(other, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  ASSERT_FALSE(IsAbove(hwnd(), other));
  Paint();
  EXPECT_TRUE(IsAbove(hwnd(), other));
  ::DestroyWindow(other);
}

TEST_F(ClockWindowBehaviour, DoubleClickShowsAndHidesTheLauncherAndEndsTheHover) {
  HWND launcher = window_.launcherWindow()->hwnd();
  ASSERT_NE(launcher, nullptr);
  ASSERT_FALSE(::IsWindowVisible(launcher));
  ::SendMessageA(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  ::SendMessageA(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_TRUE(::IsWindowVisible(launcher));
  EXPECT_FALSE(TakeTimer(ClockWindow::kHoverTimer)) << "the double-click stopped the hover timer";
  ::SendMessageA(hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
  EXPECT_FALSE(::IsWindowVisible(launcher));
}

// Reads the open cell menu's check marks and closes it.
struct CellMenuChecks {
  bool seen = false;
  bool counter = false, message = false, sound = false, execute = false;
};
CellMenuChecks g_checks;

void CALLBACK ReadCellMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND popup = ::FindWindowA("#32768", nullptr);
  if (popup == nullptr) return;
  auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
  if (menu != nullptr) {
    auto checked = [menu](UINT item) { return (::GetMenuState(menu, item, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    g_checks = {true, checked(ID_QT_COUNTER_WINDOW), checked(ID_QT_MESSAGE_BOX), checked(ID_QT_PLAY_SOUND),
                checked(ID_QT_EXECUTE_APP)};
  }
  ::KillTimer(nullptr, id);
  ::EndMenu();
}

TEST_F(ClockWindowBehaviour, CellMenuChecksFollowTheFlagsAndItsCommandsToggleOneBitEach) {
  AddTimer(0);
  const QuickTimerCells::Rect cell = Cell(0);
  const LPARAM at = MAKELPARAM((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
  for (std::uint32_t flags = 0; flags < 16; ++flags) {
    window_.quickTimers().running()[0]->action.flags = flags;
    g_checks = {};
    ::SetTimer(nullptr, 0, 50, ReadCellMenu);
    ::SendMessageA(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ASSERT_TRUE(g_checks.seen) << flags;
    EXPECT_EQ(g_checks.counter, (flags & TimerActionState::kCounterWindow) != 0) << flags;
    EXPECT_EQ(g_checks.message, (flags & TimerActionState::kMessageWindow) != 0) << flags;
    EXPECT_EQ(g_checks.sound, (flags & TimerActionState::kPlaySound) != 0) << flags;
    EXPECT_EQ(g_checks.execute, (flags & TimerActionState::kExecuteApplication) != 0) << flags;
  }
  ASSERT_EQ(window_.quickTimers().selectedCell(), 0);

  const struct {
    WORD command;
    std::uint32_t bit;
  } commands[] = {{ID_QT_COUNTER_WINDOW, TimerActionState::kCounterWindow},
                  {ID_QT_MESSAGE_BOX, TimerActionState::kMessageWindow},
                  {ID_QT_PLAY_SOUND, TimerActionState::kPlaySound},
                  {ID_QT_EXECUTE_APP, TimerActionState::kExecuteApplication}};
  for (const auto& c : commands) {
    window_.quickTimers().running()[0]->action.flags = 0x100 | TimerActionState::kMessageWindow;
    const std::uint32_t before = window_.quickTimers().running()[0]->action.flags;
    ::SendMessageA(hwnd(), WM_COMMAND, c.command, 0);
    EXPECT_EQ(window_.quickTimers().running()[0]->action.flags, before ^ c.bit) << c.command;
    ::SendMessageA(hwnd(), WM_COMMAND, c.command, 0);
    EXPECT_EQ(window_.quickTimers().running()[0]->action.flags, before) << c.command;
  }
  window_.quickTimers().running()[0]->action.flags = 0;
}

TEST_F(ClockWindowBehaviour, PollMovesTheSurvivorsTipToCellZeroAndDropsTheTipsWithTheLast) {
  AddTimer(0);  // no action left: ends at the first poll
  AddTimer(TimerActionState::kMessageWindow);
  HWND tooltip = window_.quickTimers().tooltip();
  ASSERT_NE(tooltip, nullptr);
  ASSERT_EQ(::SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2);

  ::SendMessageA(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
  ASSERT_EQ(window_.quickTimers().running().size(), 1u);
  tooltip = window_.quickTimers().tooltip();
  ASSERT_NE(tooltip, nullptr);
  ASSERT_EQ(::SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  ASSERT_TRUE(::SendMessageA(tooltip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
  const QuickTimerCells::Rect cell = Cell(0);
  EXPECT_EQ((QuickTimerCells::Rect{tool.rect.left, tool.rect.top, tool.rect.right, tool.rect.bottom}), cell);

  window_.quickTimers().running()[0]->action.flags = 0;
  ::SendMessageA(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
  EXPECT_TRUE(window_.quickTimers().running().empty());
  EXPECT_EQ(window_.quickTimers().tooltip(), nullptr);
  EXPECT_FALSE(::IsWindow(tooltip)) << "the tooltip control went with the last cell";
  EXPECT_FALSE(TakeTimer(ClockWindow::kPollTimer)) << "no poll without QuickTimers";
}

// The cells are placed in the client area, the first row centred: a clock made
// smaller, or one that gains or loses its frame, has its cells elsewhere, and
// each cell's tip goes with it.
TEST_F(ClockWindowBehaviour, EachTipFollowsItsCellWhenTheClientAreaChanges) {
  AddTimer(TimerActionState::kMessageWindow);
  AddTimer(TimerActionState::kMessageWindow);
  const auto tipsAtTheCells = [this](const char* when) {
    HWND tooltip = window_.quickTimers().tooltip();
    ASSERT_NE(tooltip, nullptr) << when;
    ASSERT_EQ(::SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 2) << when;
    for (int i = 0; i < 2; ++i) {
      TTTOOLINFOA tool{};
      tool.cbSize = TTTOOLINFOA_V1_SIZE;
      ASSERT_TRUE(::SendMessageA(tooltip, TTM_ENUMTOOLSA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)));
      EXPECT_EQ(tool.uId, reinterpret_cast<UINT_PTR>(window_.quickTimers().running()[i].get())) << when;
      EXPECT_EQ((QuickTimerCells::Rect{tool.rect.left, tool.rect.top, tool.rect.right, tool.rect.bottom}), Cell(i))
          << when << ": cell " << i;
    }
  };
  tipsAtTheCells("as started");
  RECT r;
  ::GetWindowRect(hwnd(), &r);
  ::MoveWindow(hwnd(), r.left, r.top, r.right - r.left, (r.bottom - r.top) / 2, TRUE);
  tipsAtTheCells("half as high");
  ::SendMessageA(hwnd(), WM_COMMAND, ID_WINDOW_FRAME, 0);
  tipsAtTheCells("the frame toggled");
  ::MoveWindow(hwnd(), r.left, r.top, 30, 60, TRUE);
  tipsAtTheCells("one cell across");
}

// Stop from the cell menu while the entry's counter window has its own menu open:
// the window goes at once, its object only once its menu has returned.
HWND g_clock = nullptr;

void CALLBACK StopInsideCounterMenu(HWND, UINT, UINT_PTR id, DWORD) {
  if (::FindWindowA("#32768", nullptr) == nullptr) return;
  ::KillTimer(nullptr, id);
  ::SendMessageA(g_clock, WM_COMMAND, ID_QT_STOP, 0);
  ::EndMenu();
}

bool g_menuSeen = false;

void CALLBACK CloseAnyMenu(HWND, UINT, UINT_PTR id, DWORD) {
  if (::FindWindowA("#32768", nullptr) == nullptr) return;
  g_menuSeen = true;
  ::KillTimer(nullptr, id);
  ::EndMenu();
}

TEST_F(ClockWindowBehaviour, TheEndOfTheSessionSavesAtOnceAndWaitsOnlyForEncodedRuns) {
  window_.face().options.topmost = !window_.face().options.topmost;  // saved only at the next occasion
  const std::uint32_t option = OptionWordOf(window_);
  // A cancelled end of the session changes nothing.
  EXPECT_EQ(::SendMessageA(hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE);
  ::SendMessageA(hwnd(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(::GetFileAttributesA(file_.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing saved";

  // A started encoded program that ends a moment later: the clock says yes at once,
  // then waits for it before it goes, and saves while the message is handled.
  auto run = std::make_unique<EncodedRunCount>();
  std::atomic<bool> ended{false};
  std::thread program([&] {
    ::Sleep(150);
    ended = true;
    run.reset();
  });
  EXPECT_EQ(::SendMessageA(hwnd(), WM_QUERYENDSESSION, 0, 0), TRUE) << "asked while Exit would refuse";
  EXPECT_EQ(::SendMessageA(hwnd(), WM_ENDSESSION, TRUE, 0), 0);
  EXPECT_TRUE(ended) << "the run ended before the clock went on";
  program.join();
  IniProfileStore saved(file_);
  EXPECT_EQ(static_cast<std::uint32_t>(saved.GetInt("Settings", "Option", 0)), option);
}

// Takes every message posted to `window` from the queue (paints are not posted) and counts the WM_NULLs.
int TakePostedNulls(HWND window) {
  MSG msg;
  int nulls = 0;
  while (::PeekMessageA(&msg, window, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) nulls += msg.message == WM_NULL ? 1 : 0;
  return nulls;
}

TEST_F(ClockWindowBehaviour, TheTrayMenuIsFollowedByAMessageToTheClock) {
  TakePostedNulls(hwnd());
  // The menu opened from the icon as the shell asks for it, and closed.
  for (const LPARAM click : {LPARAM{WM_RBUTTONUP}, LPARAM{WM_LBUTTONUP}}) {
    g_menuSeen = false;
    ::SetTimer(nullptr, 0, 50, CloseAnyMenu);
    EXPECT_EQ(::SendMessageA(hwnd(), TrayIcon::kCallbackMessage, 1, click), 1);
    ASSERT_TRUE(g_menuSeen) << click;
    EXPECT_EQ(TakePostedNulls(hwnd()), 1) << "after the menu from the icon, for " << click;
  }
  // Other mouse messages over the icon open nothing and post nothing.
  EXPECT_EQ(::SendMessageA(hwnd(), TrayIcon::kCallbackMessage, 1, WM_MOUSEMOVE), 1);
  EXPECT_EQ(TakePostedNulls(hwnd()), 0);
}

// Without a mouse: a digit opens the menu of that QuickTimer's cell, and a counter window's
// menu opens from the menu key, as the clock's own does.
TEST_F(ClockWindowBehaviour, CellAndCounterMenusOpenFromTheKeyboard) {
  AddTimer(TimerActionState::kCounterWindow);
  ::SendMessageW(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
  const struct {
    WPARAM key;
    bool menu;
  } cases[] = {{'1', true}, {VK_NUMPAD1, true}, {'2', false}, {'0', false}, {'A', false}};
  for (const auto& c : cases) {
    g_menuSeen = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseAnyMenu);
    MSG key{hwnd(), WM_KEYDOWN, c.key, 0, ::GetTickCount(), {}};
    Window::PreTranslate(&key);  // as the message loop does
    // and the characters the dialog manager made of the key reach their window, as they would
    // there (left queued, one would choose the item with that access key in the next menu)
    MSG typed;
    while (::PeekMessageW(&typed, nullptr, WM_CHAR, WM_DEADCHAR, PM_REMOVE)) ::DispatchMessageW(&typed);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(g_menuSeen, c.menu) << c.key;
    if (c.menu) EXPECT_EQ(window_.quickTimers().selectedCell(), 0) << c.key;
  }
  HWND counter = window_.quickTimers().running()[0]->windowHandle(ActionHost::kCounter);
  ASSERT_TRUE(::IsWindow(counter));
  g_menuSeen = false;
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, CloseAnyMenu);
  ::SendMessageW(counter, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(counter), MAKELPARAM(-1, -1));
  ::KillTimer(nullptr, timer);
  EXPECT_TRUE(g_menuSeen) << "the counter window's menu from the menu key";
}

TEST_F(ClockWindowBehaviour, StoppingATimerWhoseCounterWindowRunsAMenu) {
  AddTimer(TimerActionState::kCounterWindow);
  ::SendMessageA(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
  HWND counter = window_.quickTimers().running()[0]->windowHandle(ActionHost::kCounter);
  ASSERT_TRUE(::IsWindow(counter));
  const QuickTimerCells::Rect cell = Cell(0);
  ::SetTimer(nullptr, 0, 50, CloseAnyMenu);
  ::SendMessageA(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell.left + 5, cell.top + 5));
  ASSERT_EQ(window_.quickTimers().selectedCell(), 0);

  g_clock = hwnd();
  ::SetTimer(nullptr, 0, 50, StopInsideCounterMenu);
  ::SendMessageA(counter, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  EXPECT_TRUE(window_.quickTimers().running().empty());
  EXPECT_FALSE(::IsWindow(counter));
  ::SendMessageA(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);  // frees what waited for the menu
  EXPECT_TRUE(window_.quickTimers().running().empty());
}

// Sees what the clock asks of the shell: Wine shows no notification.
class RecordingAlert : public UserAlert {
 public:
  RecordingAlert() { UserAlert::Use(this); }
  ~RecordingAlert() override { UserAlert::Use(nullptr); }
  BOOL Flash(const FLASHWINFO& info) override {
    flashes.push_back(info.hwnd);
    return FALSE;
  }
  BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& data) override {
    if (message == NIM_MODIFY && (data.uFlags & NIF_INFO)) notes.push_back(data);
    return TRUE;
  }
  std::vector<HWND> flashes;
  std::vector<NOTIFYICONDATAW> notes;
};

void PumpFor(DWORD ms) {
  const DWORD start = ::GetTickCount();
  MSG msg;
  while (::GetTickCount() - start < ms) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(10);
  }
}

// A QuickTimer whose time is up: with the tray icon shown, a notification from it says which
// one; it is sent after the poll, from the clock's own message, not from inside the poll.
TEST_F(ClockWindowBehaviour, ATimeUpIsNotifiedFromTheTrayIconWhenItIsShown) {
  RecordingAlert alert;
  for (const bool tray : {true, false}) {
    SCOPED_TRACE(tray ? "tray icon shown" : "no tray icon");
    alert.notes.clear();
    if (window_.clockOptions.trayIcon != tray) ::SendMessageA(hwnd(), WM_COMMAND, ID_TASKTRAY, 0);
    AddTimer(TimerActionState::kMessageWindow, 0);
    ::SendMessageA(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
    EXPECT_TRUE(alert.notes.empty()) << "nothing from inside the poll";
    ASSERT_EQ(alert.flashes.size(), 1u) << "the message window's button flashes";
    PumpFor(100);
    if (tray) {
      ASSERT_EQ(alert.notes.size(), 1u);
      const NOTIFYICONDATAW& note = alert.notes[0];
      EXPECT_EQ(note.hWnd, hwnd());
      EXPECT_EQ(note.uID, TrayIcon::kId) << "the clock's icon";
      EXPECT_GE(note.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V2_SIZE)) << "a record with the notification's fields";
      EXPECT_EQ(WideText::ToUtf8(note.szInfoTitle), "Time is Up !");
      const std::string text = WideText::ToUtf8(note.szInfo);
      EXPECT_NE(text.find("0-minute QuickTimer"), std::string::npos) << text;
      EXPECT_EQ(note.dwInfoFlags & NIIF_ICON_MASK, static_cast<DWORD>(NIIF_INFO));
    } else {
      EXPECT_TRUE(alert.notes.empty());
    }
    window_.quickTimers().running()[0]->action.flags = 0;
    ::SendMessageA(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
    alert.flashes.clear();
  }
}

int g_boxes = 0;
HWND g_pollClock = nullptr;
UINT_PTR g_boxWatch = 0;
HWND g_lastBox = nullptr;
// Inside the message box's loop: the poll comes again (the second QuickTimer ends there), then OK.
void CALLBACK PollThenConfirm(HWND, UINT, UINT_PTR, DWORD) {
  // A box the clock owns.
  HWND box = UiScript::ShownBoxOwnedBy(g_pollClock);
  if (box == nullptr || box == g_lastBox) return;
  g_lastBox = box;
  ++g_boxes;
  ::SendMessageA(g_pollClock, WM_TIMER, ClockWindow::kPollTimer, 0);
  ::SendMessageA(g_pollClock, WM_TIMER, ClockWindow::kPollTimer, 0);
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);  // the watch goes on: a second box would be counted too
}

// The settings file is read-only and two QuickTimers end one after the other: the first's save
// fails and is told in a box after the poll; the poll that runs inside that box ends the second
// (its failure is not told again); nothing is read past the end of the list.
TEST_F(ClockWindowBehaviour, QuickTimersEndingWhileTheReadOnlyMessageIsOpen) {
  ScratchDir::Write(file_, "[Settings]\r\nFormat=%H:%M\r\n");
  ::SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY);
  SettingsSaveMessage::Process().Rearm();  // whatever earlier clocks of this process have told
  RecordingAlert alert;
  const DWORD now = ::GetTickCount();
  for (const std::uint32_t duration : {12000u, 6000u}) {
    TimerAction settings;
    settings.flags = TimerActionState::kMessageWindow;
    settings.countdown.duration = duration;
    window_.quickTimers().Add(std::make_unique<RunningTimer>(settings, now - 6000));
  }
  // The second (6 s) is up: its message window opens; it is dismissed at once.
  ::SendMessageA(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
  HWND message = window_.quickTimers().running()[1]->windowHandle(ActionHost::kMessage);
  ASSERT_NE(message, nullptr);
  ::SendMessageA(message, WM_COMMAND, IDOK, 0);
  // The first is made due as well and dismissed the same way, at the poll inside the box.
  window_.quickTimers().running()[0]->action.countdown.duration = 0;
  ::SendMessageA(hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);  // opens the first's window, ends the second
  ASSERT_EQ(window_.quickTimers().running().size(), 1u);
  EXPECT_EQ(g_boxes, 0) << "no box from inside the poll";
  HWND first = window_.quickTimers().running()[0]->windowHandle(ActionHost::kMessage);
  ASSERT_NE(first, nullptr);
  ::ShowWindow(first, SW_HIDE);
  g_boxes = 0;
  g_pollClock = hwnd();
  g_boxWatch = ::SetTimer(nullptr, 0, 50, PollThenConfirm);
  PumpFor(1500);
  ::KillTimer(nullptr, g_boxWatch);
  EXPECT_EQ(g_boxes, 1) << "the read-only message once";
  EXPECT_TRUE(window_.quickTimers().running().empty()) << "both ended";
  ::SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
