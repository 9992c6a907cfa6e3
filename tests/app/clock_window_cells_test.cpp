// The cell menu acts on the cell last pressed; by the time a command arrives
// that entry may have moved or gone.
#include "app/clock_window.h"

#include <gtest/gtest.h>

#include <memory>

#include "quicktimer/quick_timer_cells.h"
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
    auto entry = std::make_unique<TimerAction>();
    entry->flags = TimerActionState::kMessageWindow;
    entry->countdown = {600000, ::GetTickCount()};  // far from due
    window.AddRunning(std::move(entry));
  }
  RECT client;
  ::GetClientRect(window.hwnd(), &client);
  const auto cell = QuickTimerCells::CellRect(1, {client.left, client.top, client.right, client.bottom});
  ASSERT_TRUE(cell.has_value());

  ::SetTimer(nullptr, 0, 100, CloseMenu);
  ::SendMessageA(window.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM((cell->left + cell->right) / 2, (cell->top + cell->bottom) / 2));
  ASSERT_EQ(window.selectedCell(), 1) << "pressing the second cell selects it";

  ::SendMessageA(window.hwnd(), WM_COMMAND, ID_QT_STOP, 0);
  ASSERT_EQ(window.running().size(), 1u) << "Stop removed the selected entry";

  // The selection now points past the end: every cell command is ignored.
  const std::uint32_t flags = window.running()[0]->flags;
  for (WORD id : {ID_QT_STOP, ID_QT_COUNTER_WINDOW, ID_QT_MESSAGE_BOX, ID_QT_PLAY_SOUND, ID_QT_EXECUTE_APP}) {
    ::SendMessageA(window.hwnd(), WM_COMMAND, id, 0);
    EXPECT_EQ(window.running().size(), 1u) << id;
    EXPECT_EQ(window.running()[0]->flags, flags) << id;
  }
  ::DestroyWindow(window.hwnd());
  Window::SetMainWindow(nullptr);
}

}  // namespace
