// The clock window's settings: loaded at start-up, saved at the end and when
// the application loses the activation, in the file beside the executable.
#include "app/clock_window.h"
#include "app/clock_window_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "storage/ini_profile_store.h"
#include "storage/scratch_dir.h"
#include "win/monitor_placement.h"

namespace {

class ClockWindowSettings : public testing::Test {
 protected:
  void SetUp() override {
    IniProfileStore probe;
    file_ = probe.path();
    ::DeleteFileA(file_.c_str());
  }
  void TearDown() override {
    if (window_.hwnd() != nullptr) ::DestroyWindow(window_.hwnd());
    Window::SetMainWindow(nullptr);
    ::DeleteFileA(file_.c_str());
  }

  void Start() { ASSERT_TRUE(window_.CreateModeless(nullptr)); }
  RECT WindowRect() {
    RECT r{};
    ::GetWindowRect(window_.hwnd(), &r);
    return r;
  }
  std::int32_t Stored(const char* key) {
    IniProfileStore store(file_);
    return store.GetInt("Settings", key, -12345);
  }

  std::string file_;
  ClockWindow window_;
};

TEST_F(ClockWindowSettings, AStoreWithOnlyFormatKeepsEveryOtherDefault) {
  ScratchDir::Write(file_, "[Settings]\r\nFormat=%H:%M:%S\r\n");
  const auto mtime = ScratchDir::AgeByAnHour(file_);
  ClockFace defaults;
  Start();
  EXPECT_EQ(window_.face().format, "%H:%M:%S");
  EXPECT_EQ(OptionWordOf(window_), 0x30008u);
  EXPECT_EQ(window_.face().textColour, defaults.textColour);
  EXPECT_EQ(window_.face().flagDT, 1);
  const RECT r = WindowRect();
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 400);
  EXPECT_EQ(r.bottom, 200);
  EXPECT_EQ(std::filesystem::last_write_time(file_), mtime) << "loading writes nothing";

  ::DestroyWindow(window_.hwnd());
  IniProfileStore store(file_);
  std::vector<std::string> keys;
  ASSERT_TRUE(store.EnumKeys("Settings", keys));
  // "Format" was there already and keeps its line; the nine others go above it, newest first.
  EXPECT_EQ(keys, (std::vector<std::string>{"Option", "bottom", "right", "top", "left", "FlagDT", "BackColor",
                                            "ForeColor", "Font", "Format"}));
  EXPECT_EQ(store.GetString("Settings", "Format", ""), "%H:%M:%S");
  EXPECT_EQ(store.GetInt("Settings", "Option", 0), 196616);
}

TEST_F(ClockWindowSettings, ASaveTakesTheRectangleFromTheWindowItself) {
  ScratchDir::Write(file_, "[Settings]\r\nleft=30\r\ntop=40\r\nright=330\r\nbottom=140\r\nOption=0\r\n");
  Start();
  RECT r = WindowRect();
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right, 330);
  EXPECT_EQ(r.bottom, 140);
  EXPECT_EQ(::GetWindowLongA(window_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "Option 0: not topmost";

  ::MoveWindow(window_.hwnd(), 70, 90, 250, 120, TRUE);
  ::SendMessageA(window_.hwnd(), WM_ACTIVATEAPP, TRUE, 0);
  EXPECT_EQ(Stored("left"), 30) << "gaining the activation saves nothing";
  ::SendMessageA(window_.hwnd(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(Stored("left"), 70);
  EXPECT_EQ(Stored("top"), 90);
  EXPECT_EQ(Stored("right"), 320);
  EXPECT_EQ(Stored("bottom"), 210);
  EXPECT_EQ(Stored("Option"), 0);

  ::MoveWindow(window_.hwnd(), 5, 6, 300, 100, TRUE);
  ::DestroyWindow(window_.hwnd());
  EXPECT_EQ(Stored("left"), 5);
  EXPECT_EQ(Stored("bottom"), 106);
}

// The stored option word, load -> save: every bit comes back as it was, those of no owner here
// (a later version's) too, and a save with nothing changed gives the same bytes.
TEST_F(ClockWindowSettings, TheOptionWordComesBackAsStored) {
  const struct {
    const char* name;
    std::uint32_t word;
  } cases[] = {
      {"no bits", 0},
      {"every known bit", 0x2 | 0x4 | 0x8 | 0x10 | 0x10000 | 0x20000 | 0x100000 | 0x200000},
      {"unknown high bits", 0xC0000000u | 0x8 | 0x10000},
      {"inverted, the user's choice", 0x30018},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ::DeleteFileA(file_.c_str());
    std::string first;
    {
      ClockWindow clock;
      ASSERT_TRUE(clock.CreateModeless(nullptr));
      SetOptionWord(clock, c.word);
      clock.adjust.server = "127.0.0.1";
      ASSERT_TRUE(clock.TransferSettings(Transfer::Save));
      first = ScratchDir::Read(file_);
      ::DestroyWindow(clock.hwnd());
      Window::SetMainWindow(nullptr);
    }
    EXPECT_NE(first.find("\r\nOption=" + std::to_string(static_cast<std::int32_t>(c.word)) + "\r\n"), std::string::npos)
        << first;
    ClockWindow again;
    ASSERT_TRUE(again.CreateModeless(nullptr));
    EXPECT_EQ(OptionWordOf(again), c.word);
    ASSERT_TRUE(again.TransferSettings(Transfer::Save));
    EXPECT_EQ(ScratchDir::Read(file_), first);
    ::DestroyWindow(again.hwnd());
    Window::SetMainWindow(nullptr);
    EXPECT_EQ(ScratchDir::Read(file_), first);
  }
}

// A click elsewhere with nothing changed: the settings file is not written at all.
TEST_F(ClockWindowSettings, LosingTheActivationWithNothingChangedLeavesTheFileAlone) {
  Start();
  ASSERT_TRUE(window_.TransferSettings(Transfer::Save));
  const std::string before = ScratchDir::Read(file_);
  const auto mtime = ScratchDir::AgeByAnHour(file_);
  const std::string folder = file_.substr(0, file_.find_last_of("\\/"));
  auto names = [&folder] {
    std::set<std::string> all;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) all.insert(entry.path().filename().string());
    return all;
  };
  const std::set<std::string> files = names();
  for (int i = 0; i < 3; ++i) ::SendMessageA(window_.hwnd(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(ScratchDir::Read(file_), before);
  EXPECT_EQ(std::filesystem::last_write_time(file_), mtime);
  EXPECT_EQ(names(), files) << "no temporary file either";
  // A change is still saved at the next occasion.
  ::MoveWindow(window_.hwnd(), 70, 90, 250, 120, TRUE);
  ::SendMessageA(window_.hwnd(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(Stored("left"), 70);
}

TEST_F(ClockWindowSettings, OtherSectionsSurviveASave) {
  const std::string others = "[QuickTimerDlg]\r\nFormat=%Q\r\n\r\n[QuickTimerMsg]\r\nForeColor=255\r\n";
  ScratchDir::Write(file_, others);
  Start();
  ::DestroyWindow(window_.hwnd());
  const std::string text = ScratchDir::Read(file_);
  EXPECT_EQ(text.substr(0, others.size()), others);
  EXPECT_EQ(text.substr(others.size(), 14), "\r\n[Settings]\r\n");
}

TEST_F(ClockWindowSettings, AStoredPlaceOffEveryScreenComesBackAndOnePartlyOnStays) {
  RECT work{};
  {
    ClockWindow probe;
    ASSERT_TRUE(probe.CreateModeless(nullptr));
    work = MonitorPlacement::System().MonitorRect(probe.hwnd(), true);
    ::DestroyWindow(probe.hwnd());
    Window::SetMainWindow(nullptr);
  }
  const struct {
    const char* name;
    RECT stored;
    RECT expected;
  } cases[] = {
      // Near the far end of what the store accepts: no screen is there.
      {"far up and left", {-30000, -30000, -29600, -29800}, {work.left, work.top, work.left + 400, work.top + 200}},
      {"beyond the right edge", {5000, 100, 5300, 250}, {work.right - 300, 100, work.right, 250}},
      {"half over the left edge", {-150, 60, 250, 260}, {-150, 60, 250, 260}},
  };
  for (const auto& c : cases) {
    ::DeleteFileA(file_.c_str());
    ScratchDir::Write(file_, "[Settings]\r\nleft=" + std::to_string(c.stored.left) + "\r\ntop=" +
                                 std::to_string(c.stored.top) + "\r\nright=" + std::to_string(c.stored.right) +
                                 "\r\nbottom=" + std::to_string(c.stored.bottom) + "\r\n");
    ClockWindow clock;
    ASSERT_TRUE(clock.CreateModeless(nullptr)) << c.name;
    RECT r{};
    ::GetWindowRect(clock.hwnd(), &r);
    EXPECT_EQ(r.left, c.expected.left) << c.name;
    EXPECT_EQ(r.top, c.expected.top) << c.name;
    EXPECT_EQ(r.right, c.expected.right) << c.name;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.name;
    ::DestroyWindow(clock.hwnd());
    Window::SetMainWindow(nullptr);
  }
}

}  // namespace
