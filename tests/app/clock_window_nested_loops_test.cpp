// Dialogs run loops of their own while the clock goes on. A QuickTimer's
// counter window's display settings (and the colour drop-down and dialog inside
// them): the poll, the cell menu's Stop and the end of the clock come in
// through them. The clock's own display settings: its tray menu still works.
#include "app/clock_window.h"
#include "app/clock_window_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "face/colour_button.h"
#include "face/colour_grid.h"
#include "launcher/active_encoded_runs.h"
#include "launcher/ui_script.h"
#include "quicktimer/quick_timer_cells.h"
#include "quicktimer/running_timer.h"
#include "quicktimer/timer_action.h"
#include "quicktimer/timer_action_state.h"
#include "resource.h"
#include "storage/ini_profile_store.h"

namespace {

std::string ClassOf(HWND w) {
  char name[32] = {};
  ::GetClassNameA(w, name, sizeof name);
  return name;
}

// A visible dialog of this thread titled "Display Setting", or null.
HWND FindDisplayDialog() {
  HWND found = nullptr;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND w, LPARAM out) -> BOOL {
        if (::IsWindowVisible(w) && UiScript::Title(w) == "Display Setting") {
          *reinterpret_cast<HWND*>(out) = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Should a step never find its window, the owned dialogs are cancelled and any
// menu closed after ten seconds, so that the test fails instead of waiting for good.
class Watchdog {
 public:
  Watchdog() : timer_(::SetTimer(nullptr, 0, 10000, &Watchdog::Bite)) {}
  ~Watchdog() { ::KillTimer(nullptr, timer_); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  static void CALLBACK Bite(HWND, UINT, UINT_PTR, DWORD) {
    ::EndMenu();
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM) -> BOOL {
          if (ClassOf(w) == "#32770" && ::GetWindow(w, GW_OWNER) != nullptr) ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
          return TRUE;
        },
        0);
  }
  UINT_PTR timer_;
};

class ClockWithCounterWindow : public testing::Test {
 protected:
  void SetUp() override {
    IniProfileStore probe;
    file_ = probe.path();
    ::DeleteFileA(file_.c_str());
    ASSERT_TRUE(clock_.CreateModeless(nullptr));
    ::ShowWindow(clock_.hwnd(), SW_SHOWNOACTIVATE);
    TimerAction settings;
    settings.flags = TimerActionState::kCounterWindow;
    settings.countdown.duration = 600000;
    settings.counterFace.windowRect = RECT{500, 400, 700, 500};
    clock_.quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount()));
    ::SendMessageA(clock_.hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
    counter_ = clock_.quickTimers().running()[0]->windowHandle(ActionHost::kCounter);
    ASSERT_TRUE(::IsWindow(counter_));
    // Select its cell, as the press that opens the cell menu does.
    RECT client;
    ::GetClientRect(clock_.hwnd(), &client);
    const auto cell = QuickTimerCells::CellRect(0, {client.left, client.top, client.right, client.bottom});
    UiScript closeMenu({[](HWND w) {
      if (ClassOf(w) != "#32768") return false;
      ::EndMenu();
      return true;
    }});
    ::SendMessageA(clock_.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cell->left + 5, cell->top + 5));
    ASSERT_EQ(clock_.quickTimers().selectedCell(), 0);
  }
  void TearDown() override {
    if (clock_.hwnd() != nullptr) ::DestroyWindow(clock_.hwnd());
    Window::SetMainWindow(nullptr);
    ::DeleteFileA(file_.c_str());
  }

  // Opens the counter window's display settings; `inside` runs in its loop
  // (and the loops it opens) until it has acted. Returns once the dialog has gone.
  void EditCounterFace(std::vector<UiScript::Step> inside) {
    UiScript script(std::move(inside));
    Watchdog watchdog;
    ::SendMessageA(counter_, WM_COMMAND, ID_DISPLAY_SETTING, 0);
    EXPECT_TRUE(script.Done()) << "every step ran inside the dialog";
  }

  std::string file_;
  ClockWindow clock_;
  HWND counter_ = nullptr;
};

// The dialog, or the colour drop-down opened from it, is running when the
// QuickTimer is stopped: its window and the dialog go at once, nothing is
// touched after it, and the record goes at the next poll.
TEST_F(ClockWithCounterWindow, StopWhileItsDisplaySettingsRun) {
  HWND clock = clock_.hwnd();
  EditCounterFace({UiScript::OnDialog("Display Setting", [clock](HWND) {
    ::SendMessageA(clock, WM_COMMAND, ID_QT_STOP, 0);
  })});
  EXPECT_TRUE(clock_.quickTimers().running().empty());
  EXPECT_FALSE(::IsWindow(counter_));
  EXPECT_EQ(FindDisplayDialog(), nullptr) << "the dialog went with its window";
  EXPECT_TRUE(::IsWindowEnabled(clock)) << "the clock was never disabled";
}

TEST_F(ClockWithCounterWindow, StopWhileTheColourDropDownOfItsDisplaySettingsIsOpen) {
  HWND clock = clock_.hwnd();
  EditCounterFace({UiScript::OnDialog("Display Setting", [](HWND d) { UiScript::Click(d, IDC_TEXT_COLOUR); }),
                   [clock](HWND w) {
                     if (ClassOf(w) != "#32768") return false;
                     ::SendMessageA(clock, WM_COMMAND, ID_QT_STOP, 0);
                     ::EndMenu();
                     return true;
                   }});
  EXPECT_TRUE(clock_.quickTimers().running().empty());
  EXPECT_FALSE(::IsWindow(counter_));
  EXPECT_EQ(FindDisplayDialog(), nullptr);
}

// "..." of the colour drop-down opens the system's colour dialog over the
// display settings; the QuickTimer stops while it is open.
TEST_F(ClockWithCounterWindow, StopWhileTheColourDialogOfItsDisplaySettingsIsOpen) {
  HWND clock = clock_.hwnd();
  EditCounterFace({UiScript::OnDialog("Display Setting", [](HWND d) { UiScript::Click(d, IDC_TEXT_COLOUR); }),
                   [](HWND w) {
                     if (ClassOf(w) != "#32768") return false;
                     // The grid's last cell is "...".
                     const int other = ColourButton::kFirstCellId + ColourGrid::kOtherCell;
                     HWND button = ::GetDlgItem(FindDisplayDialog(), IDC_TEXT_COLOUR);
                     ::EndMenu();
                     ::PostMessageA(button, WM_COMMAND, other, 0);
                     return true;
                   },
                   [clock](HWND w) {
                     if (UiScript::Title(w) == "Display Setting" || ClassOf(w) != "#32770") return false;
                     ::SendMessageA(clock, WM_COMMAND, ID_QT_STOP, 0);
                     return true;
                   }});
  EXPECT_TRUE(clock_.quickTimers().running().empty());
  EXPECT_FALSE(::IsWindow(counter_));
  EXPECT_EQ(FindDisplayDialog(), nullptr);
}

// The clock window is destroyed (as at the end of a session) while the
// counter window's dialog runs: every QuickTimer ends and saves its faces.
TEST_F(ClockWithCounterWindow, ClockDestroyedWhileTheCounterWindowsDialogRuns) {
  HWND clock = clock_.hwnd();
  EditCounterFace({UiScript::OnDialog("Display Setting", [clock](HWND) { ::DestroyWindow(clock); })});
  EXPECT_EQ(clock_.hwnd(), nullptr);
  EXPECT_FALSE(::IsWindow(counter_));
  EXPECT_TRUE(clock_.quickTimers().running().empty());
  IniProfileStore store;
  EXPECT_EQ(store.GetInt("QuickTimerDlg", "left", -1), 500) << "the ended QuickTimer saved its counter face";
  EXPECT_NE(store.GetString("Settings", "Format", ""), "") << "the clock saved its settings";
}

// The clock's own display settings disable it, but its tray icon's menu still
// reaches it: what that menu switches meanwhile ("Topmost", "Window Frame")
// stays switched when the dialog ends with OK, which brings only the look.
TEST(ClockWindowDisplaySettings, OptionsSwitchedFromTheTrayMeanwhileStaySwitched) {
  IniProfileStore probe;
  const std::string file = probe.path();
  ::DeleteFileA(file.c_str());
  ClockWindow clock;
  ASSERT_TRUE(clock.CreateModeless(nullptr));
  ::ShowWindow(clock.hwnd(), SW_SHOWNOACTIVATE);
  const FaceOptions before = clock.face().options;
  ASSERT_TRUE(before.topmost);
  ASSERT_FALSE(before.frameless);
  HWND window = clock.hwnd();
  UiScript script({UiScript::OnDialog("Display Setting", [window](HWND d) {
    ::SendMessageA(window, WM_COMMAND, ID_TOPMOST, 0);
    ::SendMessageA(window, WM_COMMAND, ID_WINDOW_FRAME, 0);
    ::SetDlgItemTextA(d, IDC_FORMAT, "%H:%M");
    UiScript::Click(d, IDOK);
  })});
  {
    Watchdog watchdog;
    ::SendMessageA(window, WM_COMMAND, ID_DISPLAY_SETTING, 0);
  }
  ASSERT_TRUE(script.Done());
  EXPECT_EQ(clock.face().format, "%H:%M") << "the dialog's look";
  EXPECT_FALSE(clock.face().options.topmost) << "switched off from the tray meanwhile";
  EXPECT_TRUE(clock.face().options.frameless) << "switched on from the tray meanwhile";
  EXPECT_FALSE(::GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME) << "the window is frameless, as its option says";
  IniProfileStore store;
  EXPECT_EQ(static_cast<std::uint32_t>(store.GetInt("Settings", "Option", 0)), OptionWordOf(clock)) << "and saved so";
  ::DestroyWindow(window);
  Window::SetMainWindow(nullptr);
  ::DeleteFileA(file.c_str());
}

// The clock runs modally, as it does in the program, and the user ends it
// (Esc, Exit, closing it) or asks for another dialog while a counter window's
// dialog is open. The clock's own loop could only return once the dialog's has,
// and the process would outlive its clock: it stays, the open dialog comes to
// the front, no second one opens. Once that dialog is done, closing ends the clock.
TEST(ClockWindowModal, EndedOrAskedForADialogWhileACounterWindowsDialogRunsKeepsOneDialogAndTheClock) {
  IniProfileStore probe;
  const std::string file = probe.path();
  ::DeleteFileA(file.c_str());
  static ClockWindow* s_clock;
  static DWORD s_closedAt;
  static bool s_visibleAfterClose;
  static int s_dialogs;
  ClockWindow clock;
  s_clock = &clock;
  s_visibleAfterClose = false;
  s_dialogs = 0;
  UiScript script({
      [](HWND w) {
        if (w != s_clock->hwnd() || !::IsWindowVisible(w)) return false;
        TimerAction settings;
        settings.flags = TimerActionState::kCounterWindow;
        settings.countdown.duration = 600000;
        s_clock->quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount()));
        ::SendMessageA(w, WM_TIMER, ClockWindow::kPollTimer, 0);
        ::PostMessageA(s_clock->quickTimers().running()[0]->windowHandle(ActionHost::kCounter), WM_COMMAND,
                       ID_DISPLAY_SETTING, 0);
        return true;
      },
      UiScript::OnDialog("Display Setting",
                         [](HWND) {
                           HWND clockWindow = s_clock->hwnd();
                           ::PostMessageA(clockWindow, WM_CLOSE, 0, 0);
                           ::PostMessageA(clockWindow, WM_COMMAND, ID_EXIT, 0);
                           ::PostMessageA(clockWindow, WM_COMMAND, IDCANCEL, 0);
                           for (int i = 0; i < 3; ++i) ::PostMessageA(clockWindow, WM_COMMAND, ID_DISPLAY_SETTING, 0);
                           ::PostMessageA(s_clock->quickTimers().running()[0]->windowHandle(ActionHost::kCounter),
                                          WM_COMMAND, ID_DISPLAY_SETTING, 0);
                           s_closedAt = ::GetTickCount();
                         }),
      [](HWND w) {
        if (UiScript::Title(w) != "Display Setting" || ::GetTickCount() - s_closedAt < 300) return false;
        s_visibleAfterClose = ::IsWindowVisible(s_clock->hwnd()) != FALSE;
        ::EnumThreadWindows(
            ::GetCurrentThreadId(),
            [](HWND d, LPARAM) -> BOOL {
              if (::IsWindowVisible(d) && UiScript::Title(d) == "Display Setting") ++s_dialogs;
              return TRUE;
            },
            0);
        UiScript::Click(w, IDCANCEL);
        ::PostMessageA(s_clock->hwnd(), WM_CLOSE, 0, 0);  // handled once the dialog has gone
        return true;
      },
  });
  {
    Watchdog watchdog;
    EXPECT_EQ(clock.DoModal(), IDCANCEL);
  }
  EXPECT_TRUE(script.Done());
  EXPECT_TRUE(s_visibleAfterClose) << "the clock stayed while its program's dialog was open";
  EXPECT_EQ(s_dialogs, 1) << "the commands brought the open dialog forward and opened no other";
  EXPECT_TRUE(clock.quickTimers().running().empty());
  Window::SetMainWindow(nullptr);
  ::DeleteFileA(file.c_str());
}

// The session ends while one of the clock's dialogs or message boxes is open: the clock saves
// at once and goes, and the dialog's loop (our own, or the system's message box) ends with it
// instead of keeping the process waiting for the user.
TEST(ClockWindowModal, TheEndOfTheSessionEndsTheClockUnderAnOpenDialogOrMessageBox) {
  IniProfileStore probe;
  const std::string file = probe.path();
  static ClockWindow* s_clock;
  static std::unique_ptr<EncodedRunCount> s_run;
  static LRESULT s_query;
  const struct {
    const char* what;
    UINT command;                    // opens it
    bool encodedRun;                 // Exit refuses with a message box while one runs
    std::function<bool(HWND)> open;  // recognises it
  } cases[] = {
      {"display settings", ID_DISPLAY_SETTING, false, [](HWND w) { return UiScript::Title(w) == "Display Setting"; }},
      {"Exit's message box", ID_EXIT, true,
       [](HWND w) { return ClassOf(w) == "#32770" && Window::FromHandle(w) == nullptr && ::IsWindowEnabled(w); }},
  };
  for (const auto& c : cases) {
    ::DeleteFileA(file.c_str());
    ClockWindow clock;
    s_clock = &clock;
    s_query = 0;
    UINT command = c.command;
    bool encodedRun = c.encodedRun;
    auto open = c.open;
    UiScript script({
        [command, encodedRun](HWND w) {
          if (w != s_clock->hwnd() || !::IsWindowVisible(w)) return false;
          if (encodedRun) s_run = std::make_unique<EncodedRunCount>();
          s_clock->face().options.topmost = !s_clock->face().options.topmost;  // saved only at the next occasion
          ::PostMessageA(w, WM_COMMAND, command, 0);
          return true;
        },
        [open](HWND w) {
          if (!open(w)) return false;
          s_run.reset();  // the started program has ended meanwhile
          s_query = ::SendMessageA(s_clock->hwnd(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
          ::SendMessageA(s_clock->hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
          return true;
        },
    });
    const DWORD start = ::GetTickCount();
    {
      Watchdog watchdog;
      clock.DoModal();
    }
    EXPECT_TRUE(script.Done()) << c.what;
    EXPECT_EQ(s_query, TRUE) << c.what;
    EXPECT_LT(::GetTickCount() - start, 5000u) << c.what << ": the clock went without waiting for the user";
    bool dialogLeft = false;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM out) -> BOOL {
          if (::IsWindowVisible(w) && ClassOf(w) == "#32770") *reinterpret_cast<bool*>(out) = true;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&dialogLeft));
    EXPECT_FALSE(dialogLeft) << c.what << ": no dialog left on the screen";
    IniProfileStore saved(file);
    EXPECT_EQ(static_cast<std::uint32_t>(saved.GetInt("Settings", "Option", 0)) & OptTopmost, 0u)
        << c.what << ": the settings were saved";
    // The quit message that ended the loops is the process's end; the test goes on.
    MSG quit;
    EXPECT_TRUE(::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << c.what;
    Window::SetMainWindow(nullptr);
  }
  ::DeleteFileA(file.c_str());
}

}  // namespace
