// The cell menu acts on the cell last pressed; by the time a command arrives
// that entry may have moved or gone.
#include "app/clock_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "quicktimer/quick_timer_cells.h"
#include "quicktimer/running_timer.h"
#include "quicktimer/timer_action.h"
#include "quicktimer/timer_action_state.h"
#include "resource.h"

namespace {

// Ends the cell menu as soon as the menu's own loop dispatches a timer message.
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  ::EndMenu();
}

TEST(ClockWindowCells, CommandsForAStaleCellIndexChangeNothing) {
  ClockWindow window;
  ASSERT_TRUE(window.CreateModeless(nullptr));
  for (int i = 0; i < 2; ++i) {
    TimerAction settings;
    settings.flags = TimerActionState::kMessageWindow;
    settings.countdown.duration = 600000;  // far from due
    window.quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount()));
  }
  RECT client;
  ::GetClientRect(window.hwnd(), &client);
  const auto cell = QuickTimerCells::CellRect(1, {client.left, client.top, client.right, client.bottom});
  ASSERT_TRUE(cell.has_value());

  ::SetTimer(nullptr, 0, 100, CloseMenu);
  ::SendMessageA(window.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM((cell->left + cell->right) / 2, (cell->top + cell->bottom) / 2));
  ASSERT_EQ(window.quickTimers().selectedCell(), 1) << "pressing the second cell selects it";

  ::SendMessageA(window.hwnd(), WM_COMMAND, ID_QT_STOP, 0);
  ASSERT_EQ(window.quickTimers().running().size(), 1u) << "Stop removed the selected entry";

  // The selected entry has gone: every cell command is ignored.
  const std::uint32_t flags = window.quickTimers().running()[0]->action.flags;
  for (WORD id : {ID_QT_STOP, ID_QT_COUNTER_WINDOW, ID_QT_MESSAGE_BOX, ID_QT_PLAY_SOUND, ID_QT_EXECUTE_APP}) {
    ::SendMessageA(window.hwnd(), WM_COMMAND, id, 0);
    EXPECT_EQ(window.quickTimers().running().size(), 1u) << id;
    EXPECT_EQ(window.quickTimers().running()[0]->action.flags, flags) << id;
  }
  ::DestroyWindow(window.hwnd());
  Window::SetMainWindow(nullptr);
}

// The poll runs inside the cell menu's loop: an entry before the pressed one
// may end there and the others move up. The menu's commands still belong to
// the entry that was pressed, not to whichever now has its position.
HWND g_host = nullptr;

void CALLBACK PollThenCloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
  if (::FindWindowA("#32768", nullptr) == nullptr) return;
  ::KillTimer(nullptr, id);
  ::SendMessageA(g_host, WM_TIMER, ClockWindow::kPollTimer, 0);
  ::EndMenu();
}

TEST(ClockWindowCells, CommandsActOnThePressedEntryAfterAnEarlierOneEnded) {
  const WORD commands[] = {ID_QT_PLAY_SOUND, ID_QT_STOP};
  for (const WORD command : commands) {
    ClockWindow window;
    ASSERT_TRUE(window.CreateModeless(nullptr));
    // The first has no action left and ends at the next poll; the other two run on.
    for (const std::uint32_t flags : {0u, 0x100u | TimerActionState::kMessageWindow,
                                      0x200u | TimerActionState::kMessageWindow}) {
      TimerAction settings;
      settings.flags = flags;
      settings.countdown.duration = 600000;
      window.quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount()));
    }
    const RunningTimer* pressed = window.quickTimers().running()[1].get();
    const RunningTimer* last = window.quickTimers().running()[2].get();
    RECT client;
    ::GetClientRect(window.hwnd(), &client);
    const auto cell = QuickTimerCells::CellRect(1, {client.left, client.top, client.right, client.bottom});
    ASSERT_TRUE(cell.has_value());
    g_host = window.hwnd();
    ::SetTimer(nullptr, 0, 50, PollThenCloseMenu);
    ::SendMessageA(window.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON,
                   MAKELPARAM((cell->left + cell->right) / 2, (cell->top + cell->bottom) / 2));
    ASSERT_EQ(window.quickTimers().running().size(), 2u) << "the first entry ended during the menu";
    ASSERT_EQ(window.quickTimers().running()[0].get(), pressed);

    ::SendMessageA(window.hwnd(), WM_COMMAND, command, 0);
    const auto& running = window.quickTimers().running();
    if (command == ID_QT_STOP) {
      ASSERT_EQ(running.size(), 1u);
      EXPECT_EQ(running[0].get(), last) << "Stop ended the pressed QuickTimer, not the one after it";
    } else {
      ASSERT_EQ(running.size(), 2u);
      EXPECT_EQ(running[0]->action.flags, 0x100u | TimerActionState::kMessageWindow | TimerActionState::kPlaySound)
          << "the pressed QuickTimer got the sound";
      EXPECT_EQ(running[1]->action.flags, 0x200u | TimerActionState::kMessageWindow) << "the next one is untouched";
    }
    ::DestroyWindow(window.hwnd());
    Window::SetMainWindow(nullptr);
  }
}

}  // namespace
