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

  // The selection now points past the end: every cell command is ignored.
  const std::uint32_t flags = window.quickTimers().running()[0]->action.flags;
  for (WORD id : {ID_QT_STOP, ID_QT_COUNTER_WINDOW, ID_QT_MESSAGE_BOX, ID_QT_PLAY_SOUND, ID_QT_EXECUTE_APP}) {
    ::SendMessageA(window.hwnd(), WM_COMMAND, id, 0);
    EXPECT_EQ(window.quickTimers().running().size(), 1u) << id;
    EXPECT_EQ(window.quickTimers().running()[0]->action.flags, flags) << id;
  }
  ::DestroyWindow(window.hwnd());
  Window::SetMainWindow(nullptr);
}

}  // namespace
