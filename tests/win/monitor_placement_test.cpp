#include "win/monitor_placement.h"

#include <gtest/gtest.h>

namespace {

bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

class TestWindow {
 public:
  TestWindow(int x, int y, int w, int h) {
    window_ = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, x, y, w, h, nullptr, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
  }
  ~TestWindow() { ::DestroyWindow(window_); }
  HWND get() const { return window_; }
  RECT Rect() const {
    RECT r;
    ::GetWindowRect(window_, &r);
    return r;
  }

 private:
  HWND window_;
};

TEST(MonitorPlacement, WithoutMonitorFunctionsOneEmulatedMonitorIsTheScreen) {
  // KERNEL32 has none of the six: the emulated monitor stands in.
  const MonitorPlacement emulated(::GetModuleHandleA("KERNEL32"));
  EXPECT_FALSE(emulated.HasMonitorFunctions());
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  TestWindow window(5000, 5000, 100, 100);  // far off the screen: it still belongs to the one monitor
  EXPECT_TRUE(Same(emulated.MonitorRect(window.get(), true), work));
  EXPECT_TRUE(Same(emulated.MonitorRect(window.get(), false),
                   RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}));
}

TEST(MonitorPlacement, SystemFunctionsAreFoundOnce) {
  const MonitorPlacement& system = MonitorPlacement::System();
  EXPECT_EQ(&system, &MonitorPlacement::System());
  EXPECT_TRUE(system.HasMonitorFunctions());
  TestWindow window(10, 10, 100, 100);
  const RECT full = system.MonitorRect(window.get(), false);
  EXPECT_EQ(full.left, 0);
  EXPECT_EQ(full.right, ::GetSystemMetrics(SM_CXSCREEN));
}

TEST(MonitorPlacement, KeepOnMonitorMovesRealWindows) {
  const MonitorPlacement emulated(::GetModuleHandleA("KERNEL32"));
  for (const MonitorPlacement* placement : {&MonitorPlacement::System(), &emulated}) {
    TestWindow window(-100, 50, 500, 300);
    const RECT work = placement->MonitorRect(window.get(), true);
    ASSERT_GT(work.right - work.left, 500);

    placement->KeepOnMonitor(window.get(), true, false);
    EXPECT_TRUE(Same(window.Rect(), RECT{-100, 50, 400, 350})) << "partly on the monitor: unforced stays";

    placement->KeepOnMonitor(window.get(), true, true);
    EXPECT_TRUE(Same(window.Rect(), RECT{work.left, 50, work.left + 500, 350}));

    TestWindow lost(work.right + 700, 100, 200, 100);  // left behind on a monitor that is gone
    placement->KeepOnMonitor(lost.get(), true, false);
    EXPECT_TRUE(Same(lost.Rect(), RECT{work.right - 200, 100, work.right, 200}));

    TestWindow wide(100, 100, work.right - work.left + 200, 100);
    placement->KeepOnMonitor(wide.get(), true, true);
    EXPECT_TRUE(Same(wide.Rect(), RECT{work.left, 100, work.right, 200}));
  }
}

}  // namespace
