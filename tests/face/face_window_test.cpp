// The face window base under a change of DPI: the system's suggested rectangle
// is taken when the user moves the window to a monitor of another scale, not
// when the program puts the window at a stored rectangle.
#include "face/face_window.h"

#include <gtest/gtest.h>

#include "resource.h"

namespace {

class ProbeWindow : public FaceWindow {
 public:
  ProbeWindow() : FaceWindow(IDD_COUNTER, 1000) { SetFace(&face_); }
  using FaceWindow::dpi;
  using FaceWindow::PlaceWindow;

  // The next move reaches a monitor of 144 DPI: the system announces it, suggesting
  // the window's size scaled to it, while the move is being made.
  bool crossesToLargerScale = false;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_WINDOWPOSCHANGED && crossesToLargerScale) {
      crossesToLargerScale = false;
      RECT r;
      ::GetWindowRect(hwnd(), &r);
      RECT suggested{r.left, r.top, r.left + (r.right - r.left) * 3 / 2, r.top + (r.bottom - r.top) * 3 / 2};
      ::SendMessageA(hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    }
    return FaceWindow::WindowProc(message, wParam, lParam);
  }

 private:
  ClockFace face_;
};

TEST(FaceWindow, AStoredPlaceKeepsItsSizeOnAMonitorOfAnotherDpiAndAMoveByTheUserTakesTheSuggestion) {
  ProbeWindow window;
  ASSERT_TRUE(window.CreateModeless(nullptr));
  RECT r;

  window.crossesToLargerScale = true;
  window.PlaceWindow(RECT{100, 100, 500, 300});
  ::GetWindowRect(window.hwnd(), &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right, 500) << "a stored rectangle is in pixels: it must not grow at every start";
  EXPECT_EQ(r.bottom, 300);
  EXPECT_EQ(window.dpi(), 144) << "the DPI is taken all the same";

  window.crossesToLargerScale = true;
  ::SetWindowPos(window.hwnd(), nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::GetWindowRect(window.hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 600) << "dragged there, it keeps its look at the new scale";
  EXPECT_EQ(r.bottom - r.top, 300);
  ::DestroyWindow(window.hwnd());
}

// On Windows 10 1703 and later the dialog manager resizes a per-monitor dialog on a change of
// DPI before the window's own handler runs; a face window asks it not to.
TEST(FaceWindow, AsksTheDialogManagerToLeaveItsSizeAlone) {
  using GetBehaviourFn = int(WINAPI*)(HWND);
  const auto get = reinterpret_cast<GetBehaviourFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("USER32"), "GetDialogDpiChangeBehavior")));
  const bool settable = ::GetProcAddress(::GetModuleHandleA("USER32"), "SetDialogDpiChangeBehavior") != nullptr;
  ProbeWindow window;
  ASSERT_TRUE(window.CreateModeless(nullptr));
  if (get == nullptr || !settable) GTEST_SKIP() << "this system has no dialog DPI behaviour";
  constexpr int kDisableResize = 0x0002;  // DDC_DISABLE_RESIZE
  EXPECT_EQ(get(window.hwnd()) & kDisableResize, kDisableResize);
  ::DestroyWindow(window.hwnd());
}

}  // namespace
