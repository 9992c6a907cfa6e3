// When the settings file is written: each way a setting changes, on a real clock window with
// its own settings file, and what the file holds and when.
#include "app/settings_keeper.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "app/clock_window.h"
#include "launcher/ui_script.h"
#include "quicktimer/running_timer.h"
#include "quicktimer/timer_action.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "storage/scratch_dir.h"
#include "storage/settings_save_message.h"

namespace {

// Three launcher items in the first tab, so that the launcher can change its groups unasked.
constexpr char kStartText[] =
    "[Exec]\r\nNum=10\r\n\r\n[Exec_0]\r\nNum=3\r\n"
    "\r\n[Exec_0_0]\r\nPass=0\r\nName=A\r\nPath=C:\\Tools\\a.exe\r\n"
    "\r\n[Exec_0_1]\r\nPass=0\r\nName=B\r\nPath=C:\\Tools\\b.exe\r\n"
    "\r\n[Exec_0_2]\r\nPass=0\r\nName=C\r\nPath=C:\\Tools\\c.exe\r\n";

void Command(HWND window, WORD id) { ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

// Takes what is posted to this thread for a while (the keeper's and the launcher's messages).
void TakePosted(DWORD ms = 300) {
  MSG msg;
  const DWORD until = ::GetTickCount() + ms;
  // Bounded by the time even while messages keep coming: one that posts itself again ends too.
  auto left = [until] { return static_cast<LONG>(until - ::GetTickCount()) > 0; };
  while (left()) {
    while (left() && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::Sleep(10);
  }
}

// The launcher's list: its first tab's rows moved as a user moves them.
void MoveLauncherRow(ClockWindow& clock, int row, int delta) {
  HWND launcher = clock.launcherWindow()->hwnd();
  HWND list = ::GetDlgItem(launcher, IDC_LAUNCHER_LIST);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  const int button = delta > 0 ? IDC_LAUNCHER_DOWN : IDC_LAUNCHER_UP;
  ::SendMessageA(launcher, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(launcher, button)));
}

// QuickTimers with nothing left to do, whose time is up: the next poll ends them.
void EndQuickTimers(ClockWindow& clock, std::initializer_list<const char*> counterFormats) {
  for (const char* format : counterFormats) {
    TimerAction settings;
    settings.flags = 0;
    settings.countdown.duration = 0;
    settings.counterFace.format = format;
    clock.quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount() - 1000));
  }
  ::SendMessageA(clock.hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
}

class SettingsKeeperTest : public testing::Test {
 protected:
  void SetUp() override {
    IniProfileStore probe;
    file_ = probe.path();
    folder_ = file_.substr(0, file_.find_last_of("\\/"));
    ::DeleteFileA(file_.c_str());
    SettingsSaveMessage::Process().Rearm();
  }
  void TearDown() override {
    Stop();
    ::SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(file_.c_str());
    SettingsSaveMessage::Process().Rearm();
  }

  // A clock on the launcher's three items, its file as the clock itself writes it, an hour old.
  void Start() {
    Stop();
    ::SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
    ScratchDir::Write(file_, kStartText);
    clock_ = std::make_unique<ClockWindow>();
    ASSERT_TRUE(clock_->CreateModeless(nullptr));
    ::ShowWindow(clock_->hwnd(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(clock_->TransferSettings(Transfer::Save));
    TakePosted(100);
    ScratchDir::AgeByAnHour(file_);
  }
  void Stop() {
    if (clock_ && clock_->hwnd() != nullptr) ::DestroyWindow(clock_->hwnd());
    clock_.reset();
    Window::SetMainWindow(nullptr);
  }
  std::set<std::string> Names() const {
    std::set<std::string> all;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) all.insert(entry.path().filename().string());
    return all;
  }

  std::string file_;
  std::string folder_;
  std::unique_ptr<ClockWindow> clock_;
};

// Each source of a change: how many saves write the file at once (before any posted message is
// taken), how many once the posted messages are taken, and what the file holds then. A source
// with nothing new leaves the file as it was: same bytes, same time, no temporary file.
TEST_F(SettingsKeeperTest, EachChangeIsWrittenWhenItsSourceAsks) {
  const struct {
    const char* name;
    std::function<void(ClockWindow&)> change;
    int atOnce;
    std::function<void(ClockWindow&)> then;  // before the posted messages are taken
    int afterwards;
    std::function<bool(IniProfileStore&)> stored;
  } cases[] = {
      {"nothing changed, the activation goes elsewhere three times",
       [](ClockWindow& c) {
         for (int i = 0; i < 3; ++i) ::SendMessageA(c.hwnd(), WM_ACTIVATEAPP, FALSE, 0);
       },
       0, nullptr, 0, nullptr},
      {"a menu toggle (menu icons) is written at once, once",
       [](ClockWindow& c) { Command(c.hwnd(), ID_MENU_ICONS); }, 1, nullptr, 1,
       [](IniProfileStore& s) { return (s.GetInt("Settings", "Option", 0) & 0x20000) == 0; }},
      {"the window frame toggled is written at once",
       [](ClockWindow& c) { Command(c.hwnd(), ID_WINDOW_FRAME); }, 1, nullptr, 1, nullptr},
      {"topmost waits for the next save, the activation going elsewhere",
       [](ClockWindow& c) { Command(c.hwnd(), ID_TOPMOST); }, 0,
       [](ClockWindow& c) { ::SendMessageA(c.hwnd(), WM_ACTIVATEAPP, FALSE, 0); }, 1,
       [](IniProfileStore& s) { return (s.GetInt("Settings", "Option", 0) & 0x8) == 0; }},
      {"a launcher item moved is in the file with no other save",
       [](ClockWindow& c) { MoveLauncherRow(c, 0, 1); }, 0, nullptr, 1,
       [](IniProfileStore& s) {
         return s.GetString("Exec_0_0", "Name", "") == "B" && s.GetString("Exec_0_1", "Name", "") == "A";
       }},
      {"launcher items moved three times are written once",
       [](ClockWindow& c) {
         MoveLauncherRow(c, 0, 1);
         MoveLauncherRow(c, 1, 1);
         MoveLauncherRow(c, 0, 1);
       },
       0, nullptr, 1,
       [](IniProfileStore& s) {
         return s.GetString("Exec_0_0", "Name", "") == "C" && s.GetString("Exec_0_1", "Name", "") == "B" &&
                s.GetString("Exec_0_2", "Name", "") == "A";
       }},
      {"launcher items moved and back leave the file alone",
       [](ClockWindow& c) {
         MoveLauncherRow(c, 0, 1);
         MoveLauncherRow(c, 1, -1);
       },
       0, nullptr, 0, nullptr},
      {"a QuickTimer that ends writes its faces once, after the poll",
       [](ClockWindow& c) { EndQuickTimers(c, {"%T one"}); }, 0, nullptr, 1,
       [](IniProfileStore& s) { return s.GetString("QuickTimerDlg", "Format", "") == "%T one"; }},
      // The poll ends them from the highest cell down: the first cell's faces are the last word.
      {"two QuickTimers that end in one poll write once, the faces of the last to end",
       [](ClockWindow& c) { EndQuickTimers(c, {"%T first", "%T second"}); }, 0, nullptr, 1,
       [](IniProfileStore& s) { return s.GetString("QuickTimerDlg", "Format", "") == "%T first"; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start();
    const std::string before = ScratchDir::Read(file_);
    const auto mtime = std::filesystem::last_write_time(file_);
    const std::set<std::string> names = Names();
    SettingsKeeper& keeper = clock_->settingsKeeper();
    const int writes = keeper.writes();

    c.change(*clock_);
    EXPECT_EQ(keeper.writes() - writes, c.atOnce) << "at once";
    if (c.then) c.then(*clock_);
    TakePosted();
    EXPECT_EQ(keeper.writes() - writes, c.afterwards) << "after the posted messages";
    EXPECT_EQ(keeper.pending(), 0u) << "nothing told is left unwritten";
    if (c.afterwards == 0) {
      EXPECT_EQ(ScratchDir::Read(file_), before);
      EXPECT_EQ(std::filesystem::last_write_time(file_), mtime);
    } else {
      EXPECT_NE(ScratchDir::Read(file_), before);
    }
    EXPECT_EQ(Names(), names) << "no temporary file left";
    if (c.stored) {
      IniProfileStore store(file_);
      EXPECT_TRUE(c.stored(store)) << ScratchDir::Read(file_);
    }
    // The last save at the end writes nothing new either.
    const std::string settled = ScratchDir::Read(file_);
    Stop();
    EXPECT_EQ(ScratchDir::Read(file_), settled);
  }
}

// The QuickTimer dialog hands a new look while a QuickTimer that ended is not written yet (the
// dialog read the file before it): the place is the ended one's, the look the dialog's.
TEST_F(SettingsKeeperTest, ADialogsLookMeetsTheFacesOfAQuickTimerNotWrittenYet) {
  Start();
  TimerAction settings;
  settings.flags = 0;
  settings.counterFace.windowRect = RECT{600, 500, 900, 650};
  clock_->quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount() - 1000));
  ::SendMessageA(clock_->hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
  ASSERT_EQ(clock_->settingsKeeper().pending(), SettingsKeeper::kQuickTimerFaces);
  TimerAction fromDialog;  // as read before the end: the default place, a new look
  fromDialog.counterFace.format = "%T new look";
  ASSERT_TRUE(clock_->settingsKeeper().QuickTimerFacesChanged(fromDialog, clock_->hwnd()));
  IniProfileStore store(file_);
  EXPECT_EQ(store.GetInt("QuickTimerDlg", "left", -1), 600);
  EXPECT_EQ(store.GetString("QuickTimerDlg", "Format", ""), "%T new look");
}

int g_boxes = 0;
HWND g_clock = nullptr;
HWND g_lastBox = nullptr;
// Done inside the first box before it is confirmed.
std::function<void()> g_insideBox;
// Counts each box the clock owns and confirms it.
void CALLBACK ConfirmBoxes(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = UiScript::ShownBoxOwnedBy(g_clock);
  if (box == nullptr) return;
  if (box != g_lastBox) ++g_boxes;
  g_lastBox = box;
  if (g_insideBox) std::exchange(g_insideBox, nullptr)();
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
}

// A read-only settings file: the first change that cannot be written says so, once; every
// other source after it (toggles, a QuickTimer that ends, the launcher, losing the activation,
// the end) is silent, and the file keeps its bytes.
TEST_F(SettingsKeeperTest, AFailedSaveIsToldOnceWhateverAsksNext) {
  Start();
  const std::string before = ScratchDir::Read(file_);
  ASSERT_TRUE(::SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY));
  g_boxes = 0;
  g_lastBox = nullptr;
  g_clock = clock_->hwnd();
  // While the box is open a QuickTimer ends: its save is made once the box is closed, not
  // asked for again and again inside the box's loop.
  bool queuedInsideBox = true;
  g_insideBox = [this, &queuedInsideBox] {
    EndQuickTimers(*clock_, {"%T inside"});
    TakePosted(200);
    MSG msg;
    queuedInsideBox = ::PeekMessageA(&msg, clock_->hwnd(), SettingsKeeper::kSaveMessage,
                                     SettingsKeeper::kSaveMessage, PM_NOREMOVE) != FALSE;
  };
  const UINT_PTR watch = ::SetTimer(nullptr, 0, 50, ConfirmBoxes);
  Command(clock_->hwnd(), ID_MENU_ICONS);
  EXPECT_EQ(g_boxes, 1) << "told at the toggle, over the clock";
  EXPECT_FALSE(queuedInsideBox) << "no save asked for over and over while the box is open";
  EXPECT_EQ(clock_->settingsKeeper().pending(), SettingsKeeper::kQuickTimerFaces) << "kept for after the box";
  TakePosted(200);
  EXPECT_EQ(clock_->settingsKeeper().pending(), 0u) << "tried again after the box";
  Command(clock_->hwnd(), ID_MENU_ICONS);
  Command(clock_->hwnd(), ID_WINDOW_FRAME);
  EndQuickTimers(*clock_, {"%T gone"});
  MoveLauncherRow(*clock_, 0, 1);
  ::SendMessageA(clock_->hwnd(), WM_ACTIVATEAPP, FALSE, 0);
  TakePosted(500);
  Stop();
  TakePosted(200);
  ::KillTimer(nullptr, watch);
  EXPECT_EQ(g_boxes, 1) << "once in all";
  EXPECT_EQ(ScratchDir::Read(file_), before);
}

}  // namespace

namespace {

// The session ends while the message of a failed save is open (the file was locked a moment and
// is writable again): what changed meanwhile is written before WM_ENDSESSION returns, as the
// process may be ended right after it, not left for after the box.
TEST_F(SettingsKeeperTest, TheEndOfTheSessionWritesEvenWhileTheFailureIsShown) {
  Start();
  ASSERT_TRUE(::SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_READONLY));
  g_boxes = 0;
  g_lastBox = nullptr;
  g_clock = clock_->hwnd();
  std::string atEnd;
  g_insideBox = [this, &atEnd] {
    ::SetFileAttributesA(file_.c_str(), FILE_ATTRIBUTE_NORMAL);
    EndQuickTimers(*clock_, {"%T at the end"});
    ::SendMessageA(clock_->hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    atEnd = ScratchDir::Read(file_);
  };
  const UINT_PTR watch = ::SetTimer(nullptr, 0, 50, ConfirmBoxes);
  Command(clock_->hwnd(), ID_MENU_ICONS);
  ::KillTimer(nullptr, watch);
  MSG quit;
  while (::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  EXPECT_EQ(g_boxes, 1);
  const std::string copy = file_ + ".at-end";
  ScratchDir::Write(copy, atEnd);
  IniProfileStore store(copy);
  EXPECT_EQ(store.GetString("QuickTimerDlg", "Format", ""), "%T at the end") << atEnd;
  EXPECT_EQ(store.GetInt("Settings", "Option", 0) & 0x20000, 0) << "the toggle that could not be written";
  ::DeleteFileA(copy.c_str());
}

}  // namespace

namespace {

// The settings file cannot be read or replaced (a folder of its name, a file another program
// holds without sharing): every source of a save fails, told once, no save asks for another,
// and no temporary file is left behind.
TEST_F(SettingsKeeperTest, ASettingsFileInTheWayIsToldOnceAndLeavesNothing) {
  const struct {
    const char* what;
    std::function<HANDLE(const std::string&)> block;  // returns what to close afterwards
  } cases[] = {
      {"a folder in its place",
       [](const std::string& file) {
         ::DeleteFileA(file.c_str());
         ::CreateDirectoryA(file.c_str(), nullptr);
         return INVALID_HANDLE_VALUE;
       }},
      {"held without sharing",
       [](const std::string& file) {
         return ::CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SettingsSaveMessage::Process().Rearm();
    Start();
    const std::set<std::string> names = Names();
    const HANDLE held = c.block(file_);
    g_boxes = 0;
    g_lastBox = nullptr;
    g_clock = clock_->hwnd();
    const UINT_PTR watch = ::SetTimer(nullptr, 0, 50, ConfirmBoxes);
    Command(clock_->hwnd(), ID_MENU_ICONS);
    Command(clock_->hwnd(), ID_MENU_ICONS);
    EndQuickTimers(*clock_, {"%T gone"});
    MoveLauncherRow(*clock_, 0, 1);
    for (int i = 0; i < 3; ++i) ::SendMessageA(clock_->hwnd(), WM_ACTIVATEAPP, FALSE, 0);
    TakePosted(500);
    EXPECT_EQ(clock_->settingsKeeper().pending(), 0u);
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, clock_->hwnd(), SettingsKeeper::kSaveMessage, SettingsKeeper::kSaveMessage,
                                PM_NOREMOVE))
        << "no save asks for another";
    Stop();
    TakePosted(200);
    ::KillTimer(nullptr, watch);
    EXPECT_EQ(g_boxes, 1) << "once in all";
    EXPECT_EQ(Names(), names) << "no temporary file left";
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    ::RemoveDirectoryA(file_.c_str());
  }
}

}  // namespace

namespace {

int g_systemBoxes = 0;
// Counts and confirms each system message box of this thread, whoever owns it.
void CALLBACK ConfirmAnyBox(HWND, UINT, UINT_PTR, DWORD) {
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND w, LPARAM) -> BOOL {
        char name[16] = {};
        ::GetClassNameA(w, name, sizeof name);
        if (std::string(name) == "#32770" && ::IsWindowVisible(w) && Window::FromHandle(w) == nullptr) {
          ++g_systemBoxes;
          ::PostMessageA(w, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
      },
      0);
}

// A QuickTimer's program failed to start and the session ends before that was told: nothing
// waits for the user inside WM_ENDSESSION, and the QuickTimer's faces are written.
TEST_F(SettingsKeeperTest, TheEndOfTheSessionShowsNoQuickTimerNews) {
  Start();
  TimerAction settings;
  settings.flags = TimerActionState::kExecuteApplication;
  settings.app = "C:\\no such folder\\no such program.exe";
  settings.countdown.duration = 0;
  settings.counterFace.format = "%T failed";
  clock_->quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount() - 1000));
  ::SendMessageA(clock_->hwnd(), WM_TIMER, ClockWindow::kPollTimer, 0);
  g_systemBoxes = 0;
  const UINT_PTR watch = ::SetTimer(nullptr, 0, 50, ConfirmAnyBox);
  ::SendMessageA(clock_->hwnd(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  ::KillTimer(nullptr, watch);
  EXPECT_EQ(g_systemBoxes, 0) << "a box inside WM_ENDSESSION keeps the session waiting";
  IniProfileStore store(file_);
  EXPECT_EQ(store.GetString("QuickTimerDlg", "Format", ""), "%T failed");
}

}  // namespace
