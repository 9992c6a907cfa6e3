#include "quicktimer/timer_action.h"

#include "resource.h"
#include "win/monitor_fit.h"
#include "win/monitor_placement.h"
#include "win/window.h"
#include "win/window_dpi.h"

namespace {

// The widest a counter shows in practice: three figures of minutes and two of seconds.
constexpr std::uint32_t kWidestCountdownMs = (179 * 60 + 59) * 1000;

}  // namespace

TimerAction::TimerAction() : counterFace(IDS_COUNTER_FORMAT), messageFace(IDS_MESSAGE_FORMAT) {
  messageFace.textColour = 0x000000FF;
  PlaceNewWindows();
}

void TimerAction::PlaceNewWindows() {
  HWND clock = Window::MainWindow();
  const int dpi = clock != nullptr ? WindowDpi::System().ForWindow(clock) : WindowDpi::System().ForSystem();
  CountdownFace widest = counterFace;
  widest.countdown = TickCountdown{kWidestCountdownMs, 1};
  const SIZE counter = counterFace.WindowSizeFor(widest.ExpandTextWide(ClockFace::LocalNow(), 1), dpi);
  const SIZE message = messageFace.WindowSizeFor(messageFace.ExpandTextWide(ClockFace::LocalNow(), 1), dpi);
  RECT anchor{0, 0, 0, 0};
  if (clock == nullptr || !::GetWindowRect(clock, &anchor)) {
    // No clock to go beside: a first start's corner, sized for the text.
    counterFace.windowRect = RECT{0, 0, counter.cx, counter.cy};
    messageFace.windowRect = RECT{0, 0, message.cx, message.cy};
    return;
  }
  // Beside the clock, never over it and its cells: the counter below it, the message on its right.
  const RECT work = MonitorPlacement::System().MonitorRect(clock, true);
  const ScreenRect clockRect{anchor.left, anchor.top, anchor.right, anchor.bottom};
  const ScreenRect workArea{work.left, work.top, work.right, work.bottom};
  const ScreenRect below = MonitorFit::Beside(clockRect, counter.cx, counter.cy, workArea, MonitorFit::Side::kBelow);
  const ScreenRect right = MonitorFit::Beside(clockRect, message.cx, message.cy, workArea, MonitorFit::Side::kRight);
  counterFace.windowRect = RECT{below.left, below.top, below.right, below.bottom};
  messageFace.windowRect = RECT{right.left, right.top, right.right, right.bottom};
}
