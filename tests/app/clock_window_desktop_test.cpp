// The clock window among the system's events: the taskbar recreated, sleep and
// unlock, display and work-area changes, time-zone changes, a change of DPI
// and the keyboard's context menu, driven by messages on a real window.
#include "app/clock_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "app/tray_icon.h"
#include "app/clock_window_fixture.h"
#include "face/offscreen_image.h"
#include "quicktimer/quick_timer_cells.h"
#include "quicktimer/running_timer.h"
#include "quicktimer/timer_action.h"
#include "quicktimer/timer_action_state.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "win/bitmap_canvas.h"
#include "win/monitor_placement.h"

namespace {

class ClockWindowDesktop : public ClockWindowFixture {
 protected:
  RECT WindowRect() const {
    RECT r{};
    ::GetWindowRect(hwnd(), &r);
    return r;
  }
  COLORREF ClientPixel(int x, int y) const {
    WindowDcGuard dc(hwnd());
    return ::GetPixel(dc.dc(), x, y);
  }
};

// NIM_MODIFY succeeds only for an icon the shell knows.
bool TrayIconKnown(HWND window) {
  NOTIFYICONDATAW record = TrayIcon::Record(window, nullptr, 0, "probe", true, TrayIcon::kId);
  record.uFlags = NIF_TIP;
  return ::Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

TEST_F(ClockWindowDesktop, TaskbarCreatedPutsTheTrayIconBackOnlyWhenItIsMeantToShow) {
  const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  ASSERT_TRUE(window_.clockOptions.trayIcon);
  ASSERT_TRUE(TrayIconKnown(hwnd())) << "shown after start-up";

  // Explorer restarts: the new shell knows no icons.
  ASSERT_TRUE(TrayIcon::Tray(hwnd(), nullptr, 0, nullptr, false));
  ASSERT_FALSE(TrayIconKnown(hwnd()));
  ::SendMessageA(hwnd(), taskbarCreated, 0, 0);
  EXPECT_TRUE(TrayIconKnown(hwnd())) << "added again";

  ::SendMessageA(hwnd(), WM_COMMAND, ID_TASKTRAY, 0);  // "TaskTray" off removes it
  ASSERT_FALSE(window_.clockOptions.trayIcon);
  ASSERT_FALSE(TrayIconKnown(hwnd()));
  ::SendMessageA(hwnd(), taskbarCreated, 0, 0);
  EXPECT_FALSE(TrayIconKnown(hwnd())) << "switched off, it stays away";
}

TEST_F(ClockWindowDesktop, WakingAndDesktopChangesRedrawAtOnceAndArmTheMinuteTimer) {
  const struct {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool redraws;
  } cases[] = {
      {"resume from sleep", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0, true},
      {"resume by the user", WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0, true},
      {"going to sleep", WM_POWERBROADCAST, PBT_APMSUSPEND, 0, false},
      {"session unlocked", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 1, true},
      {"session locked", WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 1, false},
      {"display change", WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768), true},
      {"work area change", WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, true},
      {"another setting", WM_SETTINGCHANGE, SPI_SETBEEP, 0, false},
  };
  int shade = 0;
  for (const auto& c : cases) {
    Paint();
    const COLORREF before = ClientPixel(5, 5);
    ASSERT_TRUE(TakeTimer(ClockWindow::kMinuteTimer)) << c.name;
    // A new background that only a paint can show.
    shade += 40;
    window_.face().backColour = RGB(20, shade, 200);
    ::SendMessageA(hwnd(), c.message, c.wParam, c.lParam);
    EXPECT_EQ(ClientPixel(5, 5), c.redraws ? RGB(20, shade, 200) : before) << c.name;
    EXPECT_EQ(TakeTimer(ClockWindow::kMinuteTimer), c.redraws) << c.name;
    ::SetTimer(hwnd(), ClockWindow::kMinuteTimer, 60000, nullptr);
  }
}

TEST_F(ClockWindowDesktop, DesktopChangesBringBackAClockWhollyOffTheDesktopAndLeaveOneStillOnIt) {
  const RECT work = MonitorPlacement::System().MonitorRect(hwnd(), true);
  ASSERT_GT(work.right - work.left, 400);
  const struct {
    const char* name;
    UINT message;
    WPARAM wParam;
    POINT at;
    POINT expected;
  } cases[] = {
      {"display change, wholly off to the left", WM_DISPLAYCHANGE, 32, {-2000, 100}, {work.left, 100}},
      {"display change, wholly below", WM_DISPLAYCHANGE, 32, {100, 5000}, {100, work.bottom - 200}},
      {"display change, half on the left edge", WM_DISPLAYCHANGE, 32, {-200, 100}, {-200, 100}},
      {"display change, a 2-pixel sliver on the left", WM_DISPLAYCHANGE, 32, {-398, 100}, {work.left, 100}},
      {"work area change, 15 pixels at the bottom", WM_SETTINGCHANGE, SPI_SETWORKAREA, {100, work.bottom - 15},
       {100, work.bottom - 200}},
      {"work area change, wholly off to the right", WM_SETTINGCHANGE, SPI_SETWORKAREA, {5000, 50}, {work.right - 400, 50}},
      {"work area change, partly below", WM_SETTINGCHANGE, SPI_SETWORKAREA, {100, work.bottom - 50}, {100, work.bottom - 50}},
  };
  for (const auto& c : cases) {
    ::SetWindowPos(hwnd(), nullptr, c.at.x, c.at.y, 400, 200, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SendMessageA(hwnd(), c.message, c.wParam, 0);
    const RECT r = WindowRect();
    EXPECT_EQ(r.left, c.expected.x) << c.name;
    EXPECT_EQ(r.top, c.expected.y) << c.name;
    EXPECT_EQ(r.right - r.left, 400) << c.name << ": the size stays";
  }
}

// Another time zone through the runtime's TZ variable: the runtime reads its
// zone once, so the clock must ask it to read it again.
class ZoneVariable {
 public:
  explicit ZoneVariable(const char* setting) { ::_putenv(setting); }
  ~ZoneVariable() {
    ::_putenv("TZ=");
    ::_tzset();
  }
};

// Hours the runtime's local time is ahead of UTC now.
int LocalHoursAhead() {
  const std::time_t now = std::time(nullptr);
  std::tm local = ClockFace::LocalNow();
  const long long ahead = static_cast<long long>(_mkgmtime(&local)) - static_cast<long long>(now);
  return static_cast<int>((ahead + (ahead < 0 ? -1800 : 1800)) / 3600);
}

TEST_F(ClockWindowDesktop, TimeAndZoneChangesReadTheZoneAgainBeforeTheRedraw) {
  // The setting's name comes wide to the clock's Unicode window, also from a narrow sender.
  const struct {
    const char* name;
    UINT message;
    const char* setting;
    const wchar_t* wideSetting;
  } cases[] = {
      {"time change", WM_TIMECHANGE, nullptr, nullptr},
      {"time-zone setting, sent wide", WM_SETTINGCHANGE, nullptr, L"TimeZone"},
      {"time-zone setting, sent narrow", WM_SETTINGCHANGE, "TimeZone", nullptr},
  };
  for (const auto& c : cases) {
    ZoneVariable first("TZ=AAA-3");
    ::_tzset();
    ASSERT_EQ(LocalHoursAhead(), 3) << c.name;
    ZoneVariable second("TZ=BBB-7");
    if (c.wideSetting != nullptr) ::SendMessageW(hwnd(), c.message, 0, reinterpret_cast<LPARAM>(c.wideSetting));
    else ::SendMessageA(hwnd(), c.message, 0, reinterpret_cast<LPARAM>(c.setting));
    EXPECT_EQ(LocalHoursAhead(), 7) << c.name;
  }
}

// Notes where the open popup menu is and whether it is the context menu, and closes it.
struct OpenedMenu {
  bool seen = false;
  RECT rect{};
  UINT firstId = 0;
  int count = 0;
};
OpenedMenu g_menu;

void CALLBACK ReadContextMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND popup = ::FindWindowA("#32768", nullptr);
  if (popup == nullptr || !::IsWindowVisible(popup)) return;
  ::KillTimer(nullptr, id);
  auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
  g_menu.seen = true;
  ::GetWindowRect(popup, &g_menu.rect);
  g_menu.firstId = ::GetMenuItemID(menu, 0);
  g_menu.count = ::GetMenuItemCount(menu);
  ::EndMenu();
}

TEST_F(ClockWindowDesktop, ContextMenuFromTheKeyboardOpensAtTheClocksCorner) {
  ::SetWindowPos(hwnd(), nullptr, 120, 80, 400, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  g_menu = {};
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, ReadContextMenu);
  ::SendMessageA(hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd()), MAKELPARAM(-1, -1));
  ::KillTimer(nullptr, timer);  // left running, it would close the menus of later tests
  ASSERT_TRUE(g_menu.seen) << "the menu key and Shift+F10 open the menu";
  EXPECT_EQ(g_menu.firstId, static_cast<UINT>(ID_TASKTRAY)) << "menu 129";
  EXPECT_EQ(g_menu.count, 19);
  EXPECT_EQ(g_menu.rect.left, 120);
  EXPECT_EQ(g_menu.rect.top, 80);

  // A right click opened the menu already at its release; the system's
  // WM_CONTEXTMENU that follows must not open it a second time.
  g_menu = {};
  const UINT_PTR again = ::SetTimer(nullptr, 0, 50, ReadContextMenu);
  ::SendMessageA(hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd()), MAKELPARAM(200, 150));
  ::KillTimer(nullptr, again);
  EXPECT_FALSE(g_menu.seen);
}

// The height of the window's shape, whose pixels are the face's text.
int ShapeHeight(HWND window) {
  RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
  if (::GetWindowRgn(window, region.get()) == ERROR) return 0;
  RECT box{};
  ::GetRgnBox(region.get(), &box);
  return box.bottom - box.top;
}

TEST_F(ClockWindowDesktop, ADpiChangeTakesTheSuggestedPlaceAndScalesTextShapeCellsAndTips) {
  // See-through, so the shape shows how tall the text is drawn.
  ::SendMessageA(hwnd(), WM_COMMAND, ID_WINDOW_FRAME, 0);
  ::SendMessageA(hwnd(), WM_COMMAND, ID_TRANSPARENT, 0);
  TimerAction settings;
  settings.flags = TimerActionState::kMessageWindow;
  settings.countdown.duration = 600000;
  window_.quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount()));
  window_.face().format = "%H:%M";  // no cells under the text: the shape's box is the text's and the cell's
  Paint();
  const int before = ShapeHeight(hwnd());
  ASSERT_GT(before, 0);

  RECT suggested{40, 30, 40 + 600, 30 + 300};
  ::SendMessageA(hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  const RECT r = WindowRect();
  EXPECT_EQ(r.left, 40);
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(r.right, 640);
  EXPECT_EQ(r.bottom, 330);
  Paint();
  const int after = ShapeHeight(hwnd());
  EXPECT_GT(after * 10, before * 13) << "the text and the cell are drawn about half as tall again";
  EXPECT_LT(after * 10, before * 17);
  EXPECT_EQ(window_.face().font.lfHeight, -24) << "the stored font stays a 96-DPI font";

  // The cell's tool rectangle follows the cell, which is 30 pixels now.
  HWND tooltip = window_.quickTimers().tooltip();
  ASSERT_NE(tooltip, nullptr);
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V1_SIZE;
  ASSERT_TRUE(::SendMessageA(tooltip, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const auto cell = QuickTimerCells::CellRect(0, {client.left, client.top, client.right, client.bottom}, DpiScale(144));
  ASSERT_TRUE(cell.has_value());
  EXPECT_EQ(cell->right - cell->left, 30);
  EXPECT_EQ((QuickTimerCells::Rect{tool.rect.left, tool.rect.top, tool.rect.right, tool.rect.bottom}), *cell);
  const POINT inside{cell->right - 2, cell->bottom - 2};  // outside the 96-DPI cell, inside the scaled one
  EXPECT_EQ(window_.quickTimers().HitCell(inside), 0);
  window_.quickTimers().running()[0]->action.flags = 0;
}

COLORREF PixelOf(const OffscreenImage& image, int x, int y) {
  ::GdiFlush();
  const std::uint8_t* p = image.bits() + image.stride() * (image.height() - 1 - y) + 3 * x;
  return RGB(p[2], p[1], p[0]);
}

// A see-through clock with QuickTimer cells at 144 DPI, pixel for pixel: its shape is exactly the
// pixels of the text drawn sharp and of the cells' shape picture that are not the background, and
// inside it the window shows that picture with the cells drawn over it.
TEST_F(ClockWindowDesktop, SeeThroughWithCellsAt144IsCutToTheScaledTextAndCellsPixelForPixel) {
  ::SendMessageA(hwnd(), WM_COMMAND, ID_WINDOW_FRAME, 0);
  ::SendMessageA(hwnd(), WM_COMMAND, ID_TRANSPARENT, 0);
  ClockFace& face = window_.face();
  face.format = "Wg 12:34";  // the same text at every paint
  // Smoothing asked for by the font: the shape's pixels are the text colour all the same.
  face.font.lfQuality = ANTIALIASED_QUALITY;
  face.textColour = RGB(255, 255, 0);
  face.backColour = RGB(0, 0, 128);
  TimerAction settings;
  settings.flags = TimerActionState::kMessageWindow;
  settings.countdown.duration = 600000;
  for (int i = 0; i < 2; ++i) window_.quickTimers().Add(std::make_unique<RunningTimer>(settings, ::GetTickCount()));
  RECT suggested{40, 30, 40 + 630, 30 + 240};
  ::SendMessageA(hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  Paint();

  RECT client;
  ::GetClientRect(hwnd(), &client);
  ASSERT_EQ(client.right, 630) << "see-through, the client area is the whole window";
  OffscreenImage picture;
  ASSERT_TRUE(picture.Create(client.right, client.bottom));
  face.Draw(picture.dc(), client, 144, ClockFace::LocalNow(), ::GetTickCount(), ClockFace::TextEdges::kSharp);
  window_.quickTimers().Draw(picture.dc(), client, true);
  OffscreenImage shown;
  ASSERT_TRUE(shown.Create(client.right, client.bottom));
  ::BitBlt(shown.dc(), 0, 0, client.right, client.bottom, picture.dc(), 0, 0, SRCCOPY);
  window_.quickTimers().Draw(shown.dc(), client, false);
  OffscreenImage screen;
  ASSERT_TRUE(screen.Create(client.right, client.bottom));
  {
    WindowDcGuard dc(hwnd());
    ::BitBlt(screen.dc(), 0, 0, client.right, client.bottom, dc.dc(), 0, 0, SRCCOPY);
  }

  RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(hwnd(), region.get()), ERROR);
  const auto cell = QuickTimerCells::CellRect(1, {client.left, client.top, client.right, client.bottom}, DpiScale(144));
  ASSERT_TRUE(cell.has_value());
  int inside = 0;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) {
      const bool in = ::PtInRegion(region.get(), x, y) != FALSE;
      ASSERT_EQ(in, PixelOf(picture, x, y) != face.backColour) << x << "," << y;
      if (x >= cell->left && x < cell->right && y >= cell->top && y < cell->bottom)
        ASSERT_TRUE(in) << "the whole of the second 30-pixel cell is kept: " << x << "," << y;
      if (!in) continue;
      ++inside;
      ASSERT_EQ(PixelOf(screen, x, y), PixelOf(shown, x, y)) << x << "," << y;
    }
  EXPECT_GT(inside, 2 * 30 * 30);
  for (auto& entry : window_.quickTimers().running()) entry->action.flags = 0;
}

}  // namespace
