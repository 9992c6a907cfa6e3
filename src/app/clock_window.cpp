#include "app/clock_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <ctime>

#include "app/context_menu.h"
#include "app/icon_menu_metrics.h"
#include "app/sign_in_start.h"
#include "app/tray_icon.h"
#include "face/display_settings_dialog.h"
#include "face/time_formatter.h"
#include "launcher/active_encoded_runs.h"
#include "launcher/launcher_groups.h"
#include "launcher/settings_journal.h"
#include "quicktimer/quick_timer_cells.h"
#include "quicktimer/quick_timer_dialog.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "storage/settings_save_message.h"
#include "timesync/time_adjust_dialog.h"
#include "timesync/time_adjustment.h"
#include "win/message_box.h"
#include "win/modal_windows.h"
#include "win/string_table.h"
#include "win/wide_text.h"
#include "win/window_dpi.h"

namespace {
constexpr UINT kHoverPeriod = 2000;
// How long the end of the session may wait for started encoded programs to end, so
// their files are encoded again: less than the system allows an application.
constexpr std::uint32_t kEndSessionWaitMs = 3000;
}  // namespace

ClockWindow::ClockWindow()
    : FaceWindow(IDD_CLOCK, kHoverPeriod),
      keeper_([this](ProfileStore& store) { TransferClockSections(store, Transfer::Save); }) {
  SetFace(&face_);
}

UINT ClockWindow::MinuteTimerPeriod(int second, int millisecond) {
  const int period = 60000 - 1000 * second - millisecond;
  return static_cast<UINT>(std::max(period, 1));
}

UINT ClockWindow::SecondTimerPeriod(int millisecond) { return static_cast<UINT>(std::max(1000 - millisecond, 1)); }

BOOL ClockWindow::OnInitDialog() {
  FaceWindow::OnInitDialog();
  Window::SetMainWindow(hwnd());
  quickTimers_.Attach(hwnd());
  keeper_.Attach(hwnd());
  quickTimers_.SetFacesKeeper([this](const TimerAction& faces, HWND askedBy) {
    return keeper_.QuickTimerFacesChanged(faces, askedBy);
  });
  quickTimers_.SetDpi(dpi());
  LoadWindowIcons();
  tray_.Attach(hwnd(), StringTable::AppName());
  TransferSettings(Transfer::Load);
  // A stored place off every screen (a monitor gone, a hand-edited file) would leave
  // the clock out of reach: it comes back; one partly on a screen stays where it is.
  KeepOnDesktop();
  launcherWindow_ = std::make_unique<LauncherWindow>(launcherGroups_);
  launcherWindow_->Create(hwnd());
  WideText::SetWindow(hwnd(), StringTable::AppName());
  ApplyFrameSetting();
  taskbarCreated_ = TrayIcon::RegisterTaskbarCreated(hwnd());
  if (clockOptions.trayIcon) ShowTrayIcon(true);
  session_.Register(hwnd());
  ApplyTopmost();
  if (adjustOptions.atStart) AdjustTimeInBackground(AdjustOrigin::kStartUp);
  ArmMinuteTimer();
  return TRUE;
}

void ClockWindow::LoadWindowIcons() {
  HINSTANCE module = ::GetModuleHandleW(nullptr);
  const WindowDpi& system = WindowDpi::System();
  IconHandle small(system.LoadIconAt(module, IDI_VELTA, system.SystemMetric(SM_CXSMICON, dpi())));
  IconHandle big(system.LoadIconAt(module, IDI_VELTA, system.SystemMetric(SM_CXICON, dpi())));
  // The window holds the new icons before the old ones go.
  ::SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  ::SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  bigIcon_ = std::move(big);
  smallIcon_ = std::move(small);
}

void ClockWindow::OnDpiChanged(int dpi, const RECT* suggested) {
  FaceWindow::OnDpiChanged(dpi, suggested);
  quickTimers_.SetDpi(dpi);
  LoadWindowIcons();
  tray_.FollowDpi();
}

void ClockWindow::OnDesktopChanged() {
  KeepOnDesktop();
  tray_.FollowDpi();
  // Drawn now, not when the system gets round to it: the face may show the time it went to sleep with.
  ::RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  // Also when no paint came (a hidden clock): the next minute is measured from now.
  ArmMinuteTimer();
}

void ClockWindow::OnTimeChanged() {
  // The runtime keeps the zone it read first; a new zone or daylight-saving rule is read again.
  _tzset();
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

bool ClockWindow::TransferSettings(Transfer direction) {
  if (direction == Transfer::Save) return keeper_.Save();
  IniProfileStore store;
  TransferClockSections(store, Transfer::Load);
  if (store.IsForeignText()) SettingsSaveMessage::Process().ShowForeignTextOnce(store.path(), nullptr);
  return true;
}

void ClockWindow::TransferClockSections(ProfileStore& store, Transfer direction) {
  if (direction == Transfer::Save) ::GetWindowRect(hwnd(), &face_.windowRect);
  face_.TransferProfile(store, "Settings", direction, clockOptions.Word() | adjustOptions.Word());
  if (direction == Transfer::Load) {
    clockOptions = ClockOptions::FromWord(face_.otherOptionBits);
    adjustOptions = TimeAdjustOptions::FromWord(face_.otherOptionBits);
    face_.otherOptionBits &= ~(ClockOptions::kBits | TimeAdjustOptions::kBits);
    PlaceWindow(face_.windowRect);
  }
  TransferTimeAdjustSettings(store, adjust, direction);
  TransferLauncher(store, "Exec", direction, launcherGroups_);
}

void ClockWindow::AdjustTimeInBackground(AdjustOrigin origin) {
  TimeAdjustJob job;
  job.settings = adjust;
  job.clock = hwnd();
  job.origin = origin;
  StartTimeAdjustment(job);
}

void ClockWindow::ArmMinuteTimer() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  // A face that shows the seconds is drawn as each second begins; any other once a minute.
  const UINT period = TimeFormatter::ShowsSeconds(face_.format) ? SecondTimerPeriod(now.wMilliseconds)
                                                                : MinuteTimerPeriod(now.wSecond, now.wMilliseconds);
  ::SetTimer(hwnd(), kMinuteTimer, period, nullptr);
}

void ClockWindow::DrawOverlay(HDC dc, const RECT& client, bool forShape) { quickTimers_.Draw(dc, client, forShape); }

bool ClockWindow::PreTranslateMessage(MSG* msg) {
  quickTimers_.RelayEvent(msg);
  if (msg->message == WM_KEYDOWN && msg->hwnd == hwnd() && OpenCellMenuByKey(msg->wParam)) return true;
  return Dialog::PreTranslateMessage(msg);
}

bool ClockWindow::OpenCellMenuByKey(WPARAM key) {
  // Without a mouse the cells are 1 to 9, left to right: the digit opens that QuickTimer's menu.
  int cell = -1;
  if (key >= '1' && key <= '9') cell = static_cast<int>(key - '1');
  else if (key >= VK_NUMPAD1 && key <= VK_NUMPAD9) cell = static_cast<int>(key - VK_NUMPAD1);
  if (cell < 0 || static_cast<std::size_t>(cell) >= quickTimers_.running().size()) return false;
  RECT client;
  ::GetClientRect(hwnd(), &client);
  const auto rect = QuickTimerCells::CellRect(cell, {client.left, client.top, client.right, client.bottom}, scale());
  const POINT at = rect ? POINT{(rect->left + rect->right) / 2, (rect->top + rect->bottom) / 2} : POINT{0, 0};
  quickTimers_.DrawPressed(cell);
  quickTimers_.ShowCellMenu(cell, at);
  quickTimers_.DrawPressed(-1);
  return true;
}

void ClockWindow::OnPaint() {
  PaintGuard paint(hwnd());
  HDC dc = paint.dc();
  if (::IsIconic(hwnd())) {
    ::SendMessageW(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int cx = WindowDpi::System().SystemMetric(SM_CXICON, dpi());
    const int cy = WindowDpi::System().SystemMetric(SM_CYICON, dpi());
    const int x = (client.right - client.left - cx + 1) / 2;
    const int y = (client.bottom - client.top - cy + 1) / 2;
    ::DrawIconEx(dc, x, y, bigIcon_.get(), cx, cy, 0, nullptr, DI_NORMAL);
    return;
  }
  PaintFace(dc, true);
  // Every drawing of the face arms the minute timer for the next whole minute.
  ArmMinuteTimer();
  // Every paint puts the clock back on top, except while one of its modal dialogs runs or one
  // of its menus is open (a face drawn each second would otherwise cover its own menu).
  GUITHREADINFO thread{};
  thread.cbSize = sizeof(thread);
  const bool inMenu = ::GetGUIThreadInfo(::GetCurrentThreadId(), &thread) && (thread.flags & GUI_INMENUMODE);
  if (::IsWindowEnabled(hwnd()) && face_.options.topmost && !inMenu)
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ClockWindow::OnTimer(UINT_PTR id) {
  if (tray_.OnTimer(id)) return;
  if (id == kMinuteTimer) ::InvalidateRect(hwnd(), nullptr, TRUE);
  else if (id == kPollTimer) quickTimers_.Poll();
  else if (id == kHoverTimer) OnHoverTimer();
  // An open tip shows the time left at this moment.
  quickTimers_.UpdateTip();
}

void ClockWindow::OnDestroy() {
  session_.Unregister();
  ShowTrayIcon(false);
  // Every QuickTimer still running ends with the window: sounds stop, windows close; their faces
  // are written with the clock's settings, in the one last save.
  quickTimers_.EndAll();
  keeper_.SaveAtEnd();
}

void ClockWindow::OnEndSession() {
  // As at Exit, but nothing is asked or shown: the session ends whatever the clock would say.
  SettingsSaveMessage::Process().Silence();
  ShowTrayIcon(false);
  quickTimers_.EndAll(false);
  keeper_.SaveAtEnd();
  // The started programs are being closed too; each watcher encodes its file again as its
  // program ends. What is still running when the wait is over stays as it is. This thread is
  // busy waiting, so the watchers change the list of restored files themselves meanwhile
  // instead of handing each change here.
  SettingsJournal::Instance().SetWindow(nullptr);
  WaitForEncodedRuns(kEndSessionWaitMs);
  EndDialog(IDCANCEL);
  // A dialog or message box still open runs a loop of its own inside the clock's: the quit
  // message ends each of them in turn (they pass it on), then the clock's.
  if (ModalWindows::Open()) ::PostQuitMessage(0);
}

void ClockWindow::ShowTrayIcon(bool add) {
  if (add) tray_.Show();
  else tray_.Hide();
}

void ClockWindow::ShowContextMenu(int x, int y) {
  // Drawn at the DPI of the monitor it opens on (the tray's may not be the clock's).
  const int menuDpi = WindowDpi::System().ForPoint(POINT{x, y});
  IconHandle windowIcon(WindowDpi::System().LoadIconAt(::GetModuleHandleW(nullptr), IDI_VELTA,
                                                       IconMenuMetrics(DpiScale(menuDpi)).PictureSize()));
  ContextMenu menu(windowIcon.get(), menuDpi);
  if (!menu.Load(clockOptions, face_.options, SignInStart::IsOnForThisUser())) return;
  iconMenu_ = menu.iconMenu();
  menu.Track(hwnd(), x, y);
  iconMenu_ = nullptr;
}

void ClockWindow::OnLButtonDown(POINT at) {
  ::KillTimer(hwnd(), kHoverTimer);
  const int hit = quickTimers_.HitCell(at);
  quickTimers_.DrawPressed(hit);
  if (hit >= 0) quickTimers_.ShowCellMenu(hit, at);
  else DragWindow();
  quickTimers_.DrawPressed(-1);
  StartHoverTimer();
}

void ClockWindow::OnRButtonDown(POINT at) {
  const int hit = quickTimers_.HitCell(at);
  if (hit >= 0) quickTimers_.DrawPressed(hit);  // pressed until the next paint
}

void ClockWindow::OnMouseMove() {
  ShowHoverFrame();
  if (!IsLauncherVisible()) StartHoverTimer();
}

void ClockWindow::OnActivateApp(BOOL active) {
  if (active) return;
  EndHover();
  // What changed untold (the window moved or sized, "Topmost") is written now; with nothing
  // new the file is left alone.
  keeper_.Save();
  // Back on top, without taking the activation back from the application that has it.
  if (face_.options.topmost) ApplyTopmost();
}

void ClockWindow::OnExit() {
  if (ActiveEncodedRuns() > 0) {
    ::ShowWindow(hwnd(), SW_HIDE);
    MessageBoxes::ShowString(IDS_CLOSE_RUNNING_FILE, MB_OK);
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    return;
  }
  OnOK();
}

void ClockWindow::OnDisplaySetting() {
  // The dialog edits a copy; the clock's face changes only when it ends with OK.
  DisplaySettingsDialog dialog;
  if (!dialog.EditFace(face_)) return;
  keeper_.Changed(SettingsKeeper::kClockFace, SettingsKeeper::When::kNow);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void ClockWindow::StartQuickTimer() {
  // The dialog reads the faces from the file: what ended QuickTimers handed is written first.
  keeper_.SavePending();
  QuickTimerDialog dialog([this](const TimerAction& faces, HWND askedBy) {
    return keeper_.QuickTimerFacesChanged(faces, askedBy);
  });
  if (dialog.DoModal() != IDOK) return;
  quickTimers_.Add(std::make_unique<RunningTimer>(dialog.settings(), ::GetTickCount()));
}

void ClockWindow::ToggleSignInStart() {
  // Not an option of the settings file: the shortcut itself is the state, shared with the installer.
  const SignInStart start = SignInStart::ForThisProgram();
  if (!start.Set(!start.IsOn())) MessageBoxes::ShowString(IDS_SIGN_IN_START_FAILED, MB_OK | MB_ICONWARNING, hwnd());
}

void ClockWindow::TellQuickTimerNews() {
  // A box already open here tells what came meanwhile when it is closed.
  if (tellingNews_) return;
  tellingNews_ = true;
  for (RunningQuickTimers::News news = quickTimers_.TakeNews(); !news.empty(); news = quickTimers_.TakeNews()) {
    if (clockOptions.trayIcon) {
      const std::string title = StringTable::Load(IDS_QT_TIME_UP_TITLE);
      for (const std::string& which : news.timeUp) TrayIcon::Notify(hwnd(), title, which);
    }
    for (const std::string& message : news.messages) MessageBoxes::Show(message, MB_OK | MB_ICONWARNING, hwnd());
  }
  tellingNews_ = false;
}

void ClockWindow::ToggleLauncher() {
  if (launcherWindow_ && launcherWindow_->hwnd()) launcherWindow_->ToggleLauncher(hwnd());
}

bool ClockWindow::OpensOrEnds(WORD id) {
  switch (id) {
    case ID_DISPLAY_SETTING:
    case ID_QUICKTIMER:
    case ID_TIME_ADJUST:
    case ID_VERSION:
    case ID_LAUNCHER:  // the launcher's own dialogs hide with it
    case ID_EXIT:
    case IDOK:  // Enter, Esc and closing end the clock as Exit does
    case IDCANCEL:
      return true;
    default:
      return false;
  }
}

bool ClockWindow::IsLauncherVisible() const {
  return launcherWindow_ && launcherWindow_->hwnd() && ::IsWindowVisible(launcherWindow_->hwnd());
}

bool ClockWindow::OnCommand(WORD id, WORD code, HWND control) {
  if (quickTimers_.OnCommand(id)) return true;
  // While a dialog or message box of the program waits for the user, what would open a
  // second one, or end the clock from under it, brings that one to the front instead.
  if (OpensOrEnds(id) && ModalWindows::BringForward()) return true;
  switch (id) {
    case ID_TASKTRAY:
      clockOptions.trayIcon = !clockOptions.trayIcon;
      ShowTrayIcon(clockOptions.trayIcon);
      keeper_.Changed(SettingsKeeper::kClockFace, SettingsKeeper::When::kNow);
      return true;
    case ID_MENU_ICONS:
      clockOptions.menuIcons = !clockOptions.menuIcons;  // shows at the next opening of the menu
      keeper_.Changed(SettingsKeeper::kClockFace, SettingsKeeper::When::kNow);
      return true;
    case ID_START_AT_SIGN_IN:
      ToggleSignInStart();
      return true;
    case ID_TOPMOST:
      OnFaceCommand(id);
      keeper_.Changed(SettingsKeeper::kClockFace, SettingsKeeper::When::kLater);
      return true;
    case ID_WINDOW_FRAME:
    case ID_TRANSPARENT:
      OnFaceCommand(id);
      keeper_.Changed(SettingsKeeper::kClockFace, SettingsKeeper::When::kNow);
      return true;
    case ID_DISPLAY_SETTING:
      OnDisplaySetting();
      return true;
    case ID_LAUNCHER:
      ToggleLauncher();
      return true;
    case ID_DATE_AND_CLOCK:
      // The system's own date and time settings; nothing to report if they cannot be opened.
      ::ShellExecuteW(nullptr, L"open", L"control.exe", L"timedate.cpl", nullptr, SW_SHOWNORMAL);
      return true;
    case ID_EXIT:
      OnExit();
      return true;
    case ID_QUICKTIMER:
      StartQuickTimer();
      return true;
    case ID_TIME_ADJUST:
      if (ShowTimeAdjustDialog(adjust, adjustOptions))
        keeper_.Changed(SettingsKeeper::kTimeAdjust, SettingsKeeper::When::kNow);
      return true;
    case ID_EXECUTE_ADJUST:
      AdjustTimeInBackground(AdjustOrigin::kCommand);
      return true;
    case ID_VERSION: {
      Dialog version(IDD_VERSION);
      version.DoModal();
      return true;
    }
    default:
      return Dialog::OnCommand(id, code, control);
  }
}

LRESULT ClockWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    // Explorer started again: the shell has forgotten the icon. Its DPI may be new too.
    tray_.OnTaskbarCreated();
    return 0;
  }
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // the face paints every pixel
    case WM_SIZE: {
      const LRESULT result = Default();
      quickTimers_.PlaceTips();  // the cells move with the client area
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      return result;
    }
    case LauncherWindow::kGroupsChanged:
      // Written once for a run of changes (files dropped together), and not left for a later
      // save: an added item may be an encoded file only these settings name.
      keeper_.Changed(SettingsKeeper::kLauncherGroups, SettingsKeeper::When::kSoon);
      return 0;
    case SettingsKeeper::kSaveMessage:
      keeper_.OnSaveMessage();
      return 0;
    case RunningQuickTimers::kNewsMessage:
      TellQuickTimerNews();
      return 0;
    case kTimeAdjustedMessage:
      // A worker's result, shown here: the message boxes belong to the clock.
      ReportTimeAdjustment(hwnd(), wParam, lParam, adjust, adjustOptions);
      return 0;
    case kTimeStepMessage:
      // A correction of more than an hour: set only after the user's yes.
      AskTimeStep(hwnd(), wParam, lParam, adjust);
      return 0;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(bigIcon_.get());
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      return Default();
    case WM_TIMECHANGE: {
      const LRESULT result = Default();
      OnTimeChanged();
      return result;
    }
    case WM_SETTINGCHANGE:
      // A Unicode window gets the setting's name wide.
      if (lParam != 0 && _wcsicmp(reinterpret_cast<const wchar_t*>(lParam), L"TimeZone") == 0) OnTimeChanged();
      // A new scale of the primary monitor reaches a clock on another one only as a setting.
      tray_.FollowDpi();
      return FaceWindow::WindowProc(message, wParam, lParam);  // the work area
    case WM_POWERBROADCAST:
      // Going to sleep: nobody sees the face, so it is not drawn again (a face with seconds
      // would be each second) until it is back. Back from sleep or hibernation: the face still
      // shows the time it went to sleep with, and drawing it arms the timer again.
      if (wParam == PBT_APMSUSPEND) ::KillTimer(hwnd(), kMinuteTimer);
      if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) OnDesktopChanged();
      return Default();
    case WM_WTSSESSION_CHANGE:
      // The same while the session is locked.
      if (wParam == WTS_SESSION_LOCK) ::KillTimer(hwnd(), kMinuteTimer);
      if (wParam == WTS_SESSION_UNLOCK) OnDesktopChanged();
      return Default();
    case WM_CONTEXTMENU:
      // From the keyboard (the menu key, Shift+F10) the position is -1, -1: the menu
      // opens at the clock's top-left corner. A right click has opened it already.
      if (GET_X_LPARAM(lParam) == -1 && GET_Y_LPARAM(lParam) == -1) {
        RECT window;
        ::GetWindowRect(hwnd(), &window);
        ShowContextMenu(window.left, window.top);
        return 0;
      }
      return Default();
    case WM_DESTROY:
      OnDestroy();
      return Default();
    case WM_QUERYENDSESSION:
      // Never held up by the clock: what Exit would refuse is handled at WM_ENDSESSION.
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) OnEndSession();
      return 0;
    case WM_RBUTTONUP: {
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ::ClientToScreen(hwnd(), &at);
      ShowContextMenu(at.x, at.y);
      return Default();
    }
    case WM_LBUTTONDOWN:
      OnLButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return Default();
    case WM_RBUTTONDOWN:
      OnRButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return Default();
    case WM_NOTIFY:
      if (quickTimers_.OnNotify(reinterpret_cast<NMHDR*>(lParam))) return TRUE;
      return Default();
    case WM_LBUTTONDBLCLK:
      ::KillTimer(hwnd(), kHoverTimer);
      ToggleLauncher();
      return Default();
    case WM_ACTIVATEAPP: {
      const LRESULT result = Default();
      OnActivateApp(static_cast<BOOL>(wParam));
      return result;
    }
    case WM_MEASUREITEM:
      if (iconMenu_ == nullptr) return Default();
      iconMenu_->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      Default();
      return TRUE;
    case WM_MENUCHAR:
      // Owner-drawn items have no text the system could match a key against.
      if (iconMenu_ == nullptr || HIWORD(wParam) != MF_POPUP) return Default();
      return iconMenu_->MenuChar(static_cast<wchar_t>(LOWORD(wParam)), reinterpret_cast<HMENU>(lParam));
    case WM_DRAWITEM:
      if (iconMenu_ == nullptr) return Default();
      iconMenu_->DrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      Default();
      return TRUE;
    case TrayIcon::kCallbackMessage:
      if (lParam == WM_LBUTTONUP || lParam == WM_RBUTTONUP) {
        ::SetForegroundWindow(hwnd());
        POINT cursor;
        ::GetCursorPos(&cursor);
        ShowContextMenu(cursor.x, cursor.y);
        // The rule for a menu opened from the notification area: a message to the window
        // after it, or the next menu opened from the icon can close at once.
        ::PostMessageW(hwnd(), WM_NULL, 0, 0);
      }
      return 1;
    default:
      return FaceWindow::WindowProc(message, wParam, lParam);
  }
}
