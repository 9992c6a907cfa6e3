// A clock window started modeless on a settings file of its own (deleted before and after),
// shown without taking the activation, for tests that drive it by messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/clock_window.h"
#include "storage/ini_profile_store.h"

// The clock's Option word as a save composes it from its owners' fields.
inline std::uint32_t OptionWordOf(ClockWindow& clock) {
  return clock.face().options.Word() | clock.face().otherOptionBits | clock.clockOptions.Word() |
         clock.adjustOptions.Word();
}

// Sets the owners' fields from a whole Option word, as a load does.
inline void SetOptionWord(ClockWindow& clock, std::uint32_t word) {
  clock.face().options = FaceOptions::FromWord(word);
  clock.clockOptions = ClockOptions::FromWord(word);
  clock.adjustOptions = TimeAdjustOptions::FromWord(word);
  clock.face().otherOptionBits = word & ~(FaceOptions::kBits | ClockOptions::kBits | TimeAdjustOptions::kBits);
}

class ClockWindowFixture : public testing::Test {
 protected:
  void SetUp() override {
    IniProfileStore probe;
    file_ = probe.path();
    ::DeleteFileA(file_.c_str());
    ASSERT_TRUE(window_.CreateModeless(nullptr));
    ::ShowWindow(window_.hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(window_.hwnd());
  }
  void TearDown() override {
    if (window_.hwnd() != nullptr) ::DestroyWindow(window_.hwnd());
    Window::SetMainWindow(nullptr);
    ::DeleteFileA(file_.c_str());
  }

  HWND hwnd() const { return window_.hwnd(); }
  void Paint() { ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
  // True when the timer existed (it is gone afterwards).
  bool TakeTimer(UINT_PTR id) { return ::KillTimer(hwnd(), id) != FALSE; }

  std::string file_;
  ClockWindow window_;
};
