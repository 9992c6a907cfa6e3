// The tray icon through a seam for the shell: Wine's shell takes every icon at once and has
// one DPI, so a shell that refuses the add at sign-in and a change of the notification area's
// scale are played here; the clock gets them as the real messages.
#include "app/tray_presence.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/clock_window.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "win/window_dpi.h"

namespace {

struct ShellCall {
  DWORD message;
  HICON icon;
  UINT flags;
};
std::vector<ShellCall> calls;
int refusalsLeft = 0;  // adds (and modifies) the shell refuses before it is ready
int notificationAreaDpi = 96;

BOOL WINAPI FakeShell(DWORD message, PNOTIFYICONDATAW record) {
  calls.push_back({message, record->hIcon, record->uFlags});
  if (message == NIM_DELETE) return TRUE;
  if (refusalsLeft > 0) {
    --refusalsLeft;
    return FALSE;
  }
  return TRUE;
}
int FakeDpi() { return notificationAreaDpi; }

int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  if (info.hbmColor != nullptr) ::DeleteObject(info.hbmColor);
  ::DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

int Adds() {
  int n = 0;
  for (const ShellCall& c : calls) n += c.message == NIM_ADD;
  return n;
}

class TrayPresenceSeam : public testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    refusalsLeft = 0;
    notificationAreaDpi = 96;
    TrayPresence::UseShell(&FakeShell, &FakeDpi);
    IniProfileStore probe;
    file_ = probe.path();
    ::DeleteFileA(file_.c_str());
  }
  void TearDown() override {
    if (clock_.hwnd() != nullptr) ::DestroyWindow(clock_.hwnd());
    Window::SetMainWindow(nullptr);
    TrayPresence::UseShell(nullptr, nullptr);
    ::DeleteFileA(file_.c_str());
  }
  std::string file_;
  ClockWindow clock_;
};

TEST_F(TrayPresenceSeam, AnAddRefusedAtSignInIsTriedAgainUntilTheShellTakesIt) {
  refusalsLeft = 4;  // the add and its modify, twice: the third add is taken
  ASSERT_TRUE(clock_.CreateModeless(nullptr));
  HWND clock = clock_.hwnd();
  ASSERT_EQ(Adds(), 1) << "the start-up add, refused";
  for (int tick = 0; tick < 3; ++tick) ::SendMessageW(clock, WM_TIMER, TrayPresence::kRetryTimer, 0);
  EXPECT_EQ(Adds(), 3) << "tried at each tick until it was taken, then no more";
  EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_TRUE(calls.back().flags & NIF_ICON);
  EXPECT_FALSE(::KillTimer(clock, TrayPresence::kRetryTimer)) << "the retry timer stopped once added";

  // Switched off while the shell was not ready: no more tries.
  calls.clear();
  refusalsLeft = 100;
  ::SendMessageW(clock, WM_COMMAND, ID_TASKTRAY, 0);  // off
  ::SendMessageW(clock, WM_COMMAND, ID_TASKTRAY, 0);  // on: refused
  ::SendMessageW(clock, WM_COMMAND, ID_TASKTRAY, 0);  // off again
  const int adds = Adds();
  ::SendMessageW(clock, WM_TIMER, TrayPresence::kRetryTimer, 0);
  EXPECT_EQ(Adds(), adds) << "an icon switched off is not added by a late retry";
}

TEST_F(TrayPresenceSeam, TheIconIsMadeAgainAtTheNotificationAreasDpiAfterAChange) {
  ASSERT_TRUE(clock_.CreateModeless(nullptr));
  HWND clock = clock_.hwnd();
  ASSERT_EQ(Adds(), 1);
  const int small96 = WindowDpi::System().SystemMetric(SM_CXSMICON, 96);
  const int small144 = WindowDpi::System().SystemMetric(SM_CXSMICON, 144);
  ASSERT_NE(small96, small144);
  EXPECT_EQ(IconWidth(calls.back().icon), small96);

  const struct {
    const char* what;
    UINT message;
    WPARAM wParam;
    int dpi;
  } changes[] = {
      {"the clock's own monitor scaled", WM_DPICHANGED, MAKEWPARAM(144, 144), 144},
      {"the displays changed", WM_DISPLAYCHANGE, 32, 96},
      {"a setting changed (the primary monitor's scale, the clock elsewhere)", WM_SETTINGCHANGE, 0, 144},
  };
  for (const auto& c : changes) {
    calls.clear();
    notificationAreaDpi = c.dpi;
    RECT suggested;
    ::GetWindowRect(clock, &suggested);
    ::SendMessageW(clock, c.message, c.wParam, c.message == WM_DPICHANGED ? reinterpret_cast<LPARAM>(&suggested) : 0);
    ASSERT_FALSE(calls.empty()) << c.what;
    EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_MODIFY)) << c.what << ": changed in place";
    EXPECT_EQ(IconWidth(calls.back().icon), c.dpi == 144 ? small144 : small96) << c.what;
  }

  // Nothing new about the DPI: the shell is left alone.
  calls.clear();
  ::SendMessageW(clock, WM_SETTINGCHANGE, SPI_SETBEEP, 0);
  EXPECT_TRUE(calls.empty());
}

}  // namespace
