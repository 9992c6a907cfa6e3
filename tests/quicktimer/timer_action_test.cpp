#include "quicktimer/timer_action.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "quicktimer/counter_window.h"
#include "win/window.h"

namespace {

std::string TestDir() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

// Lets the windows handle what the ticks sent them (paints, shows).
void Pump() {
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

bool WaitForFile(const std::string& path, DWORD ms) {
  for (DWORD waited = 0; waited <= ms; waited += 50) {
    if (::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    ::Sleep(50);
  }
  return false;
}

TEST(TimerAction, NewRecordHasTheDefaults) {
  TimerAction action;
  EXPECT_EQ(action.flags, 0u);
  EXPECT_EQ(action.countdown.duration, 0u);
  EXPECT_EQ(action.counterFace.format, "Remaining %Q minutes and %q seconds !");
  EXPECT_EQ(action.messageFace.format, "Time is Up !");
  EXPECT_EQ(action.messageFace.textColour, 0x000000FFu);
  EXPECT_EQ(action.counterFace.textColour, 0x00FFFFFFu);
  EXPECT_EQ(action.counterFace.option, 8u);
  EXPECT_TRUE(action.counterFace.IsCountdown());
  EXPECT_FALSE(action.messageFace.IsCountdown());
  EXPECT_EQ(action.counterFace.countdown, &action.countdown);
  EXPECT_EQ(action.counterWindow(), nullptr);
}

TEST(TimerAction, CopyCountsItsOwnCountdown) {
  auto original = std::make_unique<TimerAction>();
  original->flags = 0x10F;
  original->countdown = {90000, 0};
  original->wave = "a.wav";
  original->soundTime.duration = 5000;
  original->app = "b.exe";
  original->param = "b.exe x";
  original->counterFace.format = "%T";
  original->messageFace.windowRect = RECT{10, 20, 110, 120};
  TimerAction copy(*original);
  original.reset();  // the dialog's record goes; the running copy must not refer to it
  EXPECT_EQ(copy.flags, 0x10Fu);
  EXPECT_EQ(copy.countdown.duration, 90000u);
  EXPECT_EQ(copy.wave, "a.wav");
  EXPECT_EQ(copy.soundTime.duration, 5000u);
  EXPECT_EQ(copy.app, "b.exe");
  EXPECT_EQ(copy.param, "b.exe x");
  EXPECT_EQ(copy.counterFace.format, "%T");
  EXPECT_EQ(copy.messageFace.windowRect.right, 110);
  EXPECT_EQ(copy.counterFace.countdown, &copy.countdown);
  copy.flags = 0;
}

TEST(TimerAction, CounterAndMessageWindowsThroughExpiryAndDismissal) {
  TimerAction action;
  action.flags = 0x1 | 0x2;
  action.counterFace.windowRect = RECT{30, 40, 330, 190};
  action.messageFace.windowRect = RECT{400, 300, 700, 450};
  action.countdown = {1000, 5000};

  EXPECT_TRUE(action.Step(5000));
  HWND counter = action.windowHandle(ActionHost::kCounter);
  ASSERT_TRUE(::IsWindow(counter));
  EXPECT_TRUE(::IsWindowVisible(counter));
  RECT r;
  ::GetWindowRect(counter, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(counter, IDOK))) << "OK is hidden while counting";
  EXPECT_EQ(action.windowHandle(ActionHost::kMessage), nullptr);
  Pump();

  // Expiry: both flash and show their OK buttons.
  EXPECT_TRUE(action.Step(6000));
  HWND message = action.windowHandle(ActionHost::kMessage);
  ASSERT_TRUE(::IsWindow(message));
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(counter, IDOK)));
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(message, IDOK)));
  EXPECT_TRUE(action.counterFace.option & OptInverted);
  EXPECT_TRUE(action.messageFace.option & OptInverted);
  Pump();
  EXPECT_TRUE(action.Step(6500));
  EXPECT_FALSE(action.counterFace.option & OptInverted) << "flashing";

  // OK hides the counter window; the next tick destroys it and keeps where it was.
  ::MoveWindow(counter, 50, 60, 300, 150, TRUE);
  ::SendMessageA(counter, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(counter, IDOK)));
  EXPECT_FALSE(::IsWindowVisible(counter));
  EXPECT_TRUE(action.Step(7000));
  EXPECT_FALSE(::IsWindow(counter));
  EXPECT_EQ(action.flags, 0x2u);
  EXPECT_EQ(action.counterFace.windowRect.left, 50);
  EXPECT_EQ(action.counterFace.windowRect.top, 60);

  // Esc in the message window does the same; the entry ends with it.
  ::SendMessageA(message, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(action.Step(7500));
  EXPECT_FALSE(::IsWindow(message));
}

TEST(TimerAction, DestructionClosesWindowsThatAreStillOpen) {
  HWND counter = nullptr;
  {
    TimerAction action;
    action.flags = 0x1;
    action.countdown = {60000, 100};
    action.Step(200);
    counter = action.windowHandle(ActionHost::kCounter);
    ASSERT_TRUE(::IsWindow(counter));
  }
  EXPECT_FALSE(::IsWindow(counter));
}

TEST(TimerAction, WindowDestroyedBehindItsBackIsForgotten) {
  TimerAction action;
  action.flags = 0x1;
  action.countdown = {60000, 100};
  action.Step(200);
  HWND first = action.windowHandle(ActionHost::kCounter);
  ::DestroyWindow(first);  // its object deletes itself; the record must not touch it again
  EXPECT_TRUE(action.Step(700));
  HWND second = action.windowHandle(ActionHost::kCounter);
  EXPECT_TRUE(::IsWindow(second)) << "while counting, a counter window that has gone is opened again";
  EXPECT_TRUE(::IsWindowVisible(second));
}

TEST(TimerAction, ApplicationActionStartsTheProgram) {
  const std::string mark = TestDir() + "qt_helper_started.mark";
  ::DeleteFileA(mark.c_str());
  TimerAction action;
  action.flags = 0x8;
  action.app = TestDir() + "qt_helper.exe";
  action.param = "qt_helper.exe " + mark;
  action.countdown = {0, 100};
  EXPECT_FALSE(action.Step(100));
  EXPECT_TRUE(WaitForFile(mark, 5000));
  std::ifstream in(mark);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, action.param) << "the command line is Param exactly";
}

TEST(TimerAction, MissingApplicationClearsItsFlagQuietly) {
  TimerAction action;
  action.flags = 0x8;
  action.app = TestDir() + "no_such_program.exe";
  action.countdown = {0, 100};
  EXPECT_FALSE(action.Step(100));
  EXPECT_FALSE(TimerAction::ExecuteApplication(action.app, ""));
}

// A program that never gets ready for input must not hold the clock's thread for good.
TEST(TimerAction, WaitForAProgramThatNeverGetsIdleIsBounded) {
  const std::string mark = TestDir() + "qt_helper_busy.mark";
  ::DeleteFileA(mark.c_str());
  struct Call {
    std::string app, param;
    bool started = false;
  } call{TestDir() + "qt_helper.exe", "qt_helper.exe busy " + mark};
  HANDLE thread = ::CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* c = static_cast<Call*>(p);
        c->started = TimerAction::ExecuteApplication(c->app, c->param, 2000);
        return 0;
      },
      &call, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  // Without a bound the call would never return (the helper stays 20 s and never reads input).
  EXPECT_EQ(::WaitForSingleObject(thread, 15000), WAIT_OBJECT_0);
  ::CloseHandle(thread);
  EXPECT_TRUE(call.started);
  EXPECT_TRUE(WaitForFile(mark, 2000));
}

// A WAV file with 0.2 s of silence, 8 kHz mono 8-bit.
std::string MakeWave(const std::string& path) {
  const std::uint32_t samples = 1600;
  std::vector<unsigned char> data(samples, 0x80);
  std::ofstream out(path, std::ios::binary);
  auto u32 = [&](std::uint32_t v) { out.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { out.write(reinterpret_cast<const char*>(&v), 2); };
  out.write("RIFF", 4); u32(36 + samples); out.write("WAVEfmt ", 8); u32(16); u16(1); u16(1); u32(8000); u32(8000);
  u16(1); u16(8); out.write("data", 4); u32(samples);
  out.write(reinterpret_cast<const char*>(data.data()), samples);
  return path;
}

TEST(TimerAction, SoundLoopsForItsPlayTimeAndStops) {
  TimerAction action;
  action.flags = 0x4;
  action.wave = MakeWave(TestDir() + "qt_silence.wav");
  action.soundTime.duration = 600;
  const std::uint32_t start = ::GetTickCount();
  action.countdown = {0, start};
  EXPECT_TRUE(action.Step(start));
  EXPECT_TRUE(action.IsSoundPlaying());
  EXPECT_TRUE(action.Step(start + 500));
  EXPECT_FALSE(action.Step(start + 1000));
  EXPECT_FALSE(action.IsSoundPlaying());
}

}  // namespace

namespace {

// Whether a point of the window (window coordinates) is shown: inside its shape, or any
// point when it has none.
bool ShowsPoint(HWND window, POINT at) {
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  const int kind = ::GetWindowRgn(window, region);
  const bool inside = kind == ERROR || ::PtInRegion(region, at.x, at.y);
  ::DeleteObject(region);
  return inside;
}

POINT OkCentre(HWND window) {
  RECT button, frame;
  ::GetWindowRect(::GetDlgItem(window, IDOK), &button);
  ::GetWindowRect(window, &frame);
  return {(button.left + button.right) / 2 - frame.left, (button.top + button.bottom) / 2 - frame.top};
}

TEST(TimerAction, AnExpiredSeeThroughCounterWindowKeepsItsOkButtonReachable) {
  TimerAction action;
  action.flags = 0x1;
  action.counterFace.option = OptTopmost | OptFrameless | OptTransparent;
  action.countdown = {1000, 5000};
  ASSERT_TRUE(action.Step(5000));
  HWND counter = action.windowHandle(ActionHost::kCounter);
  ASSERT_TRUE(::IsWindow(counter));
  ::UpdateWindow(counter);
  EXPECT_FALSE(ShowsPoint(counter, OkCentre(counter))) << "while counting, the shape is the text alone";

  ASSERT_TRUE(action.Step(6000));
  ASSERT_TRUE(::IsWindowVisible(::GetDlgItem(counter, IDOK)));
  ::UpdateWindow(counter);
  Pump();
  EXPECT_TRUE(ShowsPoint(counter, OkCentre(counter))) << "after expiry the shape no longer cuts OK away";
  action.flags = 0;
}

}  // namespace
