#include "quicktimer/running_timer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "face/face_options.h"
#include "quicktimer/counter_window.h"
#include "win/user_alert.h"
#include "win/wide_text.h"
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

TEST(RunningTimer, CounterAndMessageWindowsThroughExpiryAndDismissal) {
  TimerAction settings;
  settings.flags = 0x1 | 0x2;
  settings.counterFace.windowRect = RECT{30, 40, 330, 190};
  settings.messageFace.windowRect = RECT{400, 300, 700, 450};
  settings.countdown.duration = 1000;
  RunningTimer run(settings, 5000);
  EXPECT_TRUE(run.Step(5000));
  HWND counter = run.windowHandle(ActionHost::kCounter);
  ASSERT_TRUE(::IsWindow(counter));
  EXPECT_TRUE(::IsWindowVisible(counter));
  RECT r;
  ::GetWindowRect(counter, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(counter, IDOK))) << "OK is hidden while counting";
  EXPECT_EQ(run.windowHandle(ActionHost::kMessage), nullptr);
  Pump();

  // Expiry: both flash and show their OK buttons.
  EXPECT_TRUE(run.Step(6000));
  HWND message = run.windowHandle(ActionHost::kMessage);
  ASSERT_TRUE(::IsWindow(message));
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(counter, IDOK)));
  EXPECT_TRUE(::IsWindowVisible(::GetDlgItem(message, IDOK)));
  EXPECT_TRUE(run.blink(ActionHost::kCounter));
  EXPECT_TRUE(run.blink(ActionHost::kMessage));
  Pump();
  EXPECT_TRUE(run.Step(6500));
  EXPECT_FALSE(run.blink(ActionHost::kCounter)) << "flashing";
  EXPECT_EQ(run.action.counterFace.options, settings.counterFace.options) << "the blink is not a setting";
  EXPECT_EQ(run.action.messageFace.options, settings.messageFace.options);

  // OK hides the counter window; the next tick destroys it and keeps where it was.
  ::MoveWindow(counter, 50, 60, 300, 150, TRUE);
  ::SendMessageA(counter, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(counter, IDOK)));
  EXPECT_FALSE(::IsWindowVisible(counter));
  EXPECT_TRUE(run.Step(7000));
  EXPECT_FALSE(::IsWindow(counter));
  EXPECT_EQ(run.action.flags, 0x2u);
  EXPECT_EQ(run.action.counterFace.windowRect.left, 50);
  EXPECT_EQ(run.action.counterFace.windowRect.top, 60);

  // Esc in the message window does the same; the entry ends with it.
  ::SendMessageA(message, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(run.Step(7500));
  EXPECT_FALSE(::IsWindow(message));
}

TEST(RunningTimer, DestructionClosesWindowsThatAreStillOpen) {
  HWND counter = nullptr;
  {
    TimerAction settings;
    settings.flags = 0x1;
    settings.countdown.duration = 60000;
    RunningTimer run(settings, 100);
    run.Step(200);
    counter = run.windowHandle(ActionHost::kCounter);
    ASSERT_TRUE(::IsWindow(counter));
  }
  EXPECT_FALSE(::IsWindow(counter));
}

TEST(RunningTimer, WindowDestroyedBehindItsBackIsForgotten) {
  TimerAction settings;
  settings.flags = 0x1;
  settings.countdown.duration = 60000;
  RunningTimer run(settings, 100);
  run.Step(200);
  HWND first = run.windowHandle(ActionHost::kCounter);
  ::DestroyWindow(first);  // behind the record's back: it must not touch that window again
  EXPECT_TRUE(run.Step(700));
  HWND second = run.windowHandle(ActionHost::kCounter);
  EXPECT_TRUE(::IsWindow(second)) << "while counting, a counter window that has gone is opened again";
  EXPECT_TRUE(::IsWindowVisible(second));
}

TEST(RunningTimer, ApplicationActionStartsTheProgram) {
  const std::string mark = TestDir() + "qt_helper_started.mark";
  ::DeleteFileA(mark.c_str());
  TimerAction settings;
  settings.flags = 0x8;
  settings.app = TestDir() + "qt_helper.exe";
  settings.param = "qt_helper.exe " + mark;
  settings.countdown.duration = 0;
  RunningTimer run(settings, 100);
  EXPECT_FALSE(run.Step(100));
  EXPECT_TRUE(WaitForFile(mark, 5000));
  std::ifstream in(mark);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, run.action.param) << "the command line is Param exactly";
}

// A program whose folder's name no ANSI code page holds (Japanese and an emoji) starts all the same.
TEST(RunningTimer, AProgramInAFolderOfAnyNameStarts) {
  const std::string folder = TestDir() + "\xE6\x99\x82\xE8\xA8\x88 \xF0\x9F\x95\x92";
  const std::string program = folder + "\\qt_helper.exe";
  ::CreateDirectoryW(WideText::From(folder).c_str(), nullptr);
  ASSERT_TRUE(::CopyFileW(WideText::From(TestDir() + "qt_helper.exe").c_str(), WideText::From(program).c_str(), FALSE));
  const std::string mark = TestDir() + "qt_helper_wide.mark";
  ::DeleteFileA(mark.c_str());
  EXPECT_TRUE(RunningTimer::ExecuteApplication(program, "qt_helper.exe " + mark));
  EXPECT_TRUE(WaitForFile(mark, 5000));
  ::DeleteFileA(mark.c_str());
  for (int i = 0; i < 50 && !::DeleteFileW(WideText::From(program).c_str()); ++i) ::Sleep(100);
  ::RemoveDirectoryW(WideText::From(folder).c_str());
}

// The flag clears all the same; the failure is news for the clock to tell, not a box from the tick.
TEST(RunningTimer, AMissingApplicationClearsItsFlagAndIsToldAfterTheTick) {
  TimerAction settings;
  settings.flags = 0x8;
  settings.app = TestDir() + "no_such_program.exe";
  settings.countdown.duration = 0;
  RunningTimer run(settings, 100);
  EXPECT_FALSE(run.Step(100));
  EXPECT_FALSE(RunningTimer::ExecuteApplication(run.action.app, ""));
  const RunningTimer::News news = run.TakeNews();
  EXPECT_TRUE(news.timeUp);
  EXPECT_NE(news.failure.find("no_such_program.exe"), std::string::npos) << news.failure;
  EXPECT_TRUE(run.TakeNews().failure.empty()) << "told once";
}

// A program that never gets ready for input must not hold the clock's thread for good.
TEST(RunningTimer, WaitForAProgramThatNeverGetsIdleIsBounded) {
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
        c->started = RunningTimer::ExecuteApplication(c->app, c->param, 2000);
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

TEST(RunningTimer, SoundLoopsForItsPlayTimeAndStops) {
  TimerAction settings;
  settings.flags = 0x4;
  settings.wave = MakeWave(TestDir() + "qt_silence.wav");
  settings.soundTime.duration = 600;
  const std::uint32_t start = ::GetTickCount();
  settings.countdown.duration = 0;
  RunningTimer run(settings, start);
  EXPECT_TRUE(run.Step(start));
  EXPECT_TRUE(run.action.IsSoundPlaying());
  EXPECT_TRUE(run.Step(start + 500));
  EXPECT_FALSE(run.Step(start + 1000));
  EXPECT_FALSE(run.action.IsSoundPlaying());
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

TEST(RunningTimer, AnExpiredSeeThroughCounterWindowKeepsItsOkButtonReachable) {
  TimerAction settings;
  settings.flags = 0x1;
  settings.counterFace.options = FaceOptions::FromWord(OptTopmost | OptFrameless | OptTransparent);
  settings.countdown.duration = 1000;
  RunningTimer run(settings, 5000);
  ASSERT_TRUE(run.Step(5000));
  HWND counter = run.windowHandle(ActionHost::kCounter);
  ASSERT_TRUE(::IsWindow(counter));
  ::UpdateWindow(counter);
  EXPECT_FALSE(ShowsPoint(counter, OkCentre(counter))) << "while counting, the shape is the text alone";

  ASSERT_TRUE(run.Step(6000));
  ASSERT_TRUE(::IsWindowVisible(::GetDlgItem(counter, IDOK)));
  ::UpdateWindow(counter);
  Pump();
  EXPECT_TRUE(ShowsPoint(counter, OkCentre(counter))) << "after expiry the shape no longer cuts OK away";
  run.action.flags = 0;
}

// Sees what the time-up asks of the shell, which Wine does not show.
class RecordingAlert : public UserAlert {
 public:
  RecordingAlert() { UserAlert::Use(this); }
  ~RecordingAlert() override { UserAlert::Use(nullptr); }
  BOOL Flash(const FLASHWINFO& info) override {
    flashes.push_back(info);
    return FALSE;
  }
  BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& data) override { return TRUE; }
  bool ClientAreaAnimation() override { return animations; }

  std::vector<FLASHWINFO> flashes;
  bool animations = true;
};

// The colour in the middle of a window's left edge, where no text is.
COLORREF EdgePixel(HWND window) {
  ::UpdateWindow(window);
  Pump();
  HDC dc = ::GetDC(window);
  RECT client;
  ::GetClientRect(window, &client);
  const COLORREF colour = ::GetPixel(dc, 3, client.bottom / 2);
  ::ReleaseDC(window, dc);
  return colour;
}

// The message window of a QuickTimer whose time is up has a button in the taskbar, which flashes
// until the window is brought to the front; the time-up is news once.
TEST(RunningTimerTimeUp, TheMessageWindowIsInTheTaskbarAndFlashesItsButtonOnce) {
  RecordingAlert alert;
  TimerAction settings;
  settings.flags = TimerActionState::kMessageWindow;
  settings.messageFace.windowRect = RECT{400, 300, 700, 450};
  settings.countdown.duration = 1000;
  RunningTimer run(settings, 5000);
  EXPECT_TRUE(run.Step(5500));
  EXPECT_FALSE(run.TakeNews().timeUp) << "still counting";
  EXPECT_TRUE(run.Step(6000));
  HWND message = run.windowHandle(ActionHost::kMessage);
  ASSERT_TRUE(::IsWindowVisible(message));
  const auto exStyle = static_cast<DWORD>(::GetWindowLongW(message, GWL_EXSTYLE));
  EXPECT_TRUE(exStyle & WS_EX_APPWINDOW);
  EXPECT_FALSE(exStyle & WS_EX_TOOLWINDOW) << "a tool window has no taskbar button";
  EXPECT_EQ(::GetWindow(message, GW_OWNER), nullptr) << "an owned window has no taskbar button";
  EXPECT_EQ(WideText::OfWindow(message), "Time is Up !") << "the button's text";
  ASSERT_EQ(alert.flashes.size(), 1u);
  EXPECT_EQ(alert.flashes[0].hwnd, message);
  EXPECT_EQ(alert.flashes[0].cbSize, sizeof(FLASHWINFO));
  EXPECT_EQ(alert.flashes[0].dwFlags, static_cast<DWORD>(FLASHW_ALL | FLASHW_TIMERNOFG)) << "until it is in front";
  const RunningTimer::News news = run.TakeNews();
  EXPECT_TRUE(news.timeUp);
  EXPECT_NE(run.description().find("QuickTimer"), std::string::npos) << run.description();
  EXPECT_TRUE(run.Step(6500));
  EXPECT_EQ(alert.flashes.size(), 1u) << "flashed once, not at every tick";
  EXPECT_FALSE(run.TakeNews().timeUp) << "told once";
  run.action.flags = 0;
}

// The blink is the windows' look of the moment: the faces' option words stay the user's. With
// animations turned off in the system the windows stay inverted instead of blinking.
TEST(RunningTimerTimeUp, TheBlinkIsDrawnNotStoredAndStaysSteadyWithoutAnimations) {
  RecordingAlert alert;
  for (const bool animations : {true, false}) {
    SCOPED_TRACE(animations ? "animations on" : "animations off");
    alert.animations = animations;
    TimerAction settings;
    settings.flags = TimerActionState::kCounterWindow | TimerActionState::kMessageWindow;
    settings.counterFace.windowRect = RECT{30, 40, 330, 190};
    settings.messageFace.windowRect = RECT{400, 300, 700, 450};
    settings.messageFace.otherOptionBits = 0x40000000u;  // a bit of a later version
    settings.countdown.duration = 1000;
    RunningTimer run(settings, 5000);
    run.Step(5000);
    std::vector<COLORREF> edges;
    for (std::uint32_t now = 6000; now <= 7500; now += 500) {
      run.Step(now);
      edges.push_back(EdgePixel(run.windowHandle(ActionHost::kMessage)));
      EXPECT_EQ(run.action.messageFace.options, settings.messageFace.options);
      EXPECT_EQ(run.action.counterFace.options, settings.counterFace.options);
    }
    // The message face is black behind red text: inverted, its background is white.
    const std::vector<COLORREF> blinking{0xFFFFFF, 0, 0xFFFFFF, 0}, steady(4, 0xFFFFFF);
    EXPECT_EQ(edges, animations ? blinking : steady);
    run.action.flags = 0;
    run.End();
    // What the entry's end stores: the options as the user left them.
    EXPECT_EQ(run.action.messageFace.options, settings.messageFace.options);
    EXPECT_EQ(run.action.messageFace.otherOptionBits, 0x40000000u);
  }
}

}  // namespace
