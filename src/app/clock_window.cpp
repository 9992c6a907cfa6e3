#include "app/clock_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <cstdio>

#include "app/context_menu.h"
#include "app/tray_icon.h"
#include "face/display_settings_dialog.h"
#include "face/offscreen_image.h"
#include "launcher/active_encoded_runs.h"
#include "launcher/launcher_groups.h"
#include "quicktimer/quick_timer_cells.h"
#include "quicktimer/quick_timer_dialog.h"
#include "quicktimer/running_timers.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "win/message_box.h"
#include "timesync/time_adjust_dialog.h"
#include "timesync/time_adjustment.h"
#include "win/string_table.h"

namespace {
constexpr UINT kHoverPeriod = 2000;
constexpr UINT kPollPeriod = 500;

QuickTimerCells::Rect CellsClient(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const QuickTimerCells::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
}  // namespace

ClockWindow::ClockWindow()
    : Dialog(IDD_CLOCK),
      icon_(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELTA), IMAGE_ICON,
                                            16, 16, LR_DEFAULTCOLOR))) {
  face_.option |= OptTrayIcon | OptMenuIcons;
}

// Every QuickTimer still running ends with the window: sounds stop, windows close, faces are saved.
ClockWindow::~ClockWindow() { running_.clear(); }

BOOL ClockWindow::OnInitDialog() {
  Dialog::OnInitDialog();
  Window::SetMainWindow(hwnd());
  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
  TransferSettings(1);
  launcherWindow_ = std::make_unique<LauncherWindow>(launcherGroups_);
  launcherWindow_->Create(hwnd());
  ::SetWindowTextA(hwnd(), StringTable::AppName().c_str());
  ApplyFrameSetting();
  if (face_.option & OptTrayIcon) ShowTrayIcon(true);
  ::SetWindowPos(hwnd(), (face_.option & OptTopmost) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE);
  if (face_.option & OptAdjustAtStart) StartTimeAdjustment();
  ArmMinuteTimer();
  return TRUE;
}

void ClockWindow::TransferSettings(int direction) {
  RECT current{};
  ::GetWindowRect(hwnd(), &current);
  if (direction == 1) {
    {
      IniProfileStore store;
      face_.TransferProfile(store, "Settings", 1);
    }
    const RECT& r = face_.windowRect;
    ::MoveWindow(hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  } else {
    face_.windowRect = current;
    // Its own store, written back before the next one reads the file.
    face_.TransferProfile("Settings", 0);
  }
  IniProfileStore store;
  TransferAdjustSettings(store, direction);
  TransferLauncherSettings(store, direction);
}

void ClockWindow::TransferAdjustSettings(ProfileStore& store, int direction) {
  TransferTimeAdjustSettings(store, adjust, direction);
}

void ClockWindow::TransferLauncherSettings(ProfileStore& store, int direction) {
  TransferLauncher(store, "Exec", direction, launcherGroups_);
}

void ClockWindow::ApplyFrameSetting() {
  if (face_.option & OptFrameless) ModifyStyle(WS_THICKFRAME, 0, SWP_FRAMECHANGED);
  else ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
}

void ClockWindow::StartTimeAdjustment() {
  TimeAdjustJob job;
  job.settings = adjust;
  job.clock = hwnd();
  job.option = face_.option & (OptAdjustAtStart | OptAdjustMessage);
  ::StartTimeAdjustment(job);
}

void ClockWindow::ArmMinuteTimer() {
  ::SetTimer(hwnd(), kMinuteTimer, MinuteTimerPeriod(ClockFace::LocalNow().tm_sec), nullptr);
}

void ClockWindow::ShowFrame() { ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED); }

BOOL ClockWindow::PaintSeeThrough(HDC dc, BOOL enable) {
  const auto style = static_cast<DWORD>(::GetWindowLongA(hwnd(), GWL_STYLE));
  if (!enable || (style & WS_THICKFRAME)) {
    OffscreenImage::RemoveWindowRegion(hwnd());
    return FALSE;
  }
  RECT client;
  ::GetClientRect(hwnd(), &client);
  OffscreenImage image;
  if (!image.Create(client.right - client.left, client.bottom - client.top, 24)) return FALSE;
  face_.Draw(image.dc(), client);
  ArmMinuteTimer();
  // Inverted cells keep no pixel of the background colour, so the shape holds them whole.
  DrawCells(image.dc(), client, true, -1);
  RegionHandle region;
  if (!image.BuildRegion(region, face_.backColour)) return FALSE;  // the window keeps its region
  OffscreenImage::GiveRegionCopy(hwnd(), region.get());
  DrawCells(image.dc(), client, false, -1);
  return image.CopyTo(dc, 0, 0);
}

void ClockWindow::DrawCells(HDC dc, const RECT& client, bool inverted, int pressed) {
  if (running_.empty()) return;
  BitmapHandle picture(::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_CELLS)));
  MemoryDcHandle source(::CreateCompatibleDC(dc));
  SelectGuard select(source.get(), picture.get());
  for (std::size_t i = 0; i < running_.size(); ++i) {
    const auto cell = QuickTimerCells::CellRect(static_cast<std::int32_t>(i), CellsClient(client));
    if (!cell) return;
    RECT r = ToRect(*cell);
    const bool isPressed = static_cast<int>(i) == pressed;
    if (inverted) {
      ::InvertRect(dc, &r);
    } else if (picture) {
      const int d = isPressed ? 3 : 2;
      ::BitBlt(dc, r.left + d, r.top + d, 16, 16, source.get(), 0, 0, SRCCOPY);
    }
    ::DrawEdge(dc, &r, isPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  }
}

int ClockWindow::HitCell(POINT at) const {
  RECT client;
  ::GetClientRect(hwnd(), &client);
  return QuickTimerCells::HitTest(at.x, at.y, CellsClient(client), static_cast<std::int32_t>(running_.size()));
}

void ClockWindow::AddRunning(std::unique_ptr<TimerAction> entry) {
  running_.push_back(std::move(entry));
  ::SetTimer(hwnd(), kPollTimer, kPollPeriod, nullptr);
  RebuildTooltips();
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void ClockWindow::StartQuickTimer() {
  QuickTimerDialog dialog;
  if (dialog.DoModal() != IDOK) return;
  auto entry = std::make_unique<TimerAction>(dialog.settings());
  entry->counterFace.option &= ~OptInverted;
  entry->messageFace.option &= ~OptInverted;
  entry->countdown.start = ::GetTickCount();
  AddRunning(std::move(entry));
}

void ClockWindow::PollQuickTimers() {
  const std::size_t removed = PollRunning(running_, [](TimerAction& entry) { return entry.Step(); });
  if (running_.empty()) {
    ::KillTimer(hwnd(), kPollTimer);
    RebuildTooltips();
    ::InvalidateRect(hwnd(), nullptr, TRUE);
  } else if (removed > 0) {
    RebuildTooltips();
    ::InvalidateRect(hwnd(), nullptr, TRUE);
  }
}

void ClockWindow::RebuildTooltips() {
  if (tooltip_ != nullptr) {
    ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;
  }
  if (running_.empty()) return;
  RECT client;
  ::GetClientRect(hwnd(), &client);
  tooltip_ = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
  if (tooltip_ == nullptr) return;
  // A negative time puts the delays back to the system's defaults.
  ::SendMessageA(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOMATIC, MAKELPARAM(static_cast<WORD>(-1), 0));
  for (std::size_t i = 0; i < running_.size(); ++i) {
    const auto cell = QuickTimerCells::CellRect(static_cast<std::int32_t>(i), CellsClient(client));
    if (!cell) break;
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = 0;
    tool.hwnd = hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(running_[i].get());
    tool.rect = ToRect(*cell);
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    ::SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

bool ClockWindow::OnToolTipText(NMHDR* header) {
  auto* info = reinterpret_cast<NMTTDISPINFOA*>(header);
  for (const auto& entry : running_) {
    if (reinterpret_cast<UINT_PTR>(entry.get()) != header->idFrom) continue;
    const std::string text = QuickTimerCells::TooltipText(entry->countdown, ::GetTickCount());
    std::snprintf(info->szText, sizeof info->szText, "%s", text.c_str());
    info->lpszText = info->szText;
    return true;
  }
  return false;  // the entry has gone meanwhile
}

void ClockWindow::ShowCellMenu(const TimerAction& entry, POINT at) {
  MenuHandle menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CELL_MENU)));
  HMENU popup = ::GetSubMenu(menu.get(), 0);
  if (popup == nullptr) return;
  const struct {
    UINT id;
    std::uint32_t bit;
  } checks[] = {{ID_QT_EXECUTE_APP, TimerActionState::kExecuteApplication},
                {ID_QT_COUNTER_WINDOW, TimerActionState::kCounterWindow},
                {ID_QT_MESSAGE_BOX, TimerActionState::kMessageWindow},
                {ID_QT_PLAY_SOUND, TimerActionState::kPlaySound}};
  for (const auto& check : checks) {
    if (entry.flags & check.bit) ::CheckMenuItem(popup, check.id, MF_BYCOMMAND | MF_CHECKED);
  }
  ::ClientToScreen(hwnd(), &at);
  ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
}

void ClockWindow::OnCellCommand(WORD id) {
  // The selected index may be stale: the entries may have moved or gone since the click.
  if (selectedCell_ < 0 || static_cast<std::size_t>(selectedCell_) >= running_.size()) return;
  TimerAction& entry = *running_[static_cast<std::size_t>(selectedCell_)];
  switch (id) {
    case ID_QT_STOP:
      running_.erase(running_.begin() + selectedCell_);
      RebuildTooltips();
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      break;
    case ID_QT_COUNTER_WINDOW: entry.flags ^= TimerActionState::kCounterWindow; break;
    case ID_QT_MESSAGE_BOX: entry.flags ^= TimerActionState::kMessageWindow; break;
    case ID_QT_PLAY_SOUND: entry.flags ^= TimerActionState::kPlaySound; break;
    case ID_QT_EXECUTE_APP: entry.flags ^= TimerActionState::kExecuteApplication; break;
    default: break;
  }
}

bool ClockWindow::PreTranslateMessage(MSG* msg) {
  if (tooltip_ != nullptr) ::SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(msg));
  return Dialog::PreTranslateMessage(msg);
}

void ClockWindow::OnPaint() {
  PaintGuard paint(hwnd());
  HDC dc = paint.dc();
  if (::IsIconic(hwnd())) {
    ::SendMessageA(hwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    ::GetClientRect(hwnd(), &client);
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon_.get());
    return;
  }
  if (!PaintSeeThrough(dc, (face_.option & OptTransparent) != 0)) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    face_.Draw(dc, client);
    ArmMinuteTimer();
    DrawCells(dc, client, false, -1);
  }
  // Every paint puts the clock back on top, except while one of its modal dialogs runs.
  if (::IsWindowEnabled(hwnd()) && (face_.option & OptTopmost))
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ClockWindow::OnTimer(UINT_PTR id) {
  if (id == kMinuteTimer) ::InvalidateRect(hwnd(), nullptr, TRUE);
  else if (id == kPollTimer) PollQuickTimers();
  else if (id == kHoverTimer) OnHoverCheck();
  // An open tip shows the time left at this moment.
  if (tooltip_ != nullptr) ::SendMessageA(tooltip_, TTM_UPDATE, 0, 0);
}

void ClockWindow::OnDestroy() {
  tooltip_ = nullptr;  // destroyed with the window
  ShowTrayIcon(false);
  TransferSettings(0);
}

void ClockWindow::ShowTrayIcon(bool add) {
  const std::string tip = StringTable::AppName();
  TrayIcon::Tray(hwnd(), icon_.get(), TrayIcon::kCallbackMessage, add ? tip.c_str() : nullptr, add);
}

void ClockWindow::ShowContextMenu(int x, int y) {
  ContextMenu menu(icon_.get());
  if (!menu.Load(face_.option)) return;
  iconMenu_ = menu.iconMenu();
  menu.Track(hwnd(), x, y);
  iconMenu_ = nullptr;
}

void ClockWindow::OnLButtonDown(POINT at) {
  ::KillTimer(hwnd(), kHoverTimer);
  const int hit = HitCell(at);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  {
    WindowDcGuard dc(hwnd());
    DrawCells(dc.dc(), client, false, hit);
  }
  if (hit >= 0) {
    selectedCell_ = hit;
    ShowCellMenu(*running_[static_cast<std::size_t>(hit)], at);
  } else {
    // The system moves the window with the mouse until the button is released, frame or not.
    const DWORD pos = ::GetMessagePos();
    ::SendMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(pos));
  }
  {
    WindowDcGuard dc(hwnd());
    ::GetClientRect(hwnd(), &client);
    DrawCells(dc.dc(), client, false, -1);
  }
  ::SetTimer(hwnd(), kHoverTimer, kHoverPeriod, nullptr);
}

void ClockWindow::OnRButtonDown(POINT at) {
  const int hit = HitCell(at);
  if (hit < 0) return;
  RECT client;
  ::GetClientRect(hwnd(), &client);
  WindowDcGuard dc(hwnd());
  DrawCells(dc.dc(), client, false, hit);  // pressed until the next paint
}

void ClockWindow::OnMouseMove() {
  // While the mouse is over the window it has its sizing frame (and so no see-through shape).
  ShowFrame();
  if (!IsLauncherVisible()) ::SetTimer(hwnd(), kHoverTimer, kHoverPeriod, nullptr);
}

void ClockWindow::OnHoverCheck() {
  POINT cursor;
  RECT window;
  ::GetCursorPos(&cursor);
  ::GetWindowRect(hwnd(), &window);
  if (::PtInRect(&window, cursor)) return;
  ApplyFrameSetting();
  ::KillTimer(hwnd(), kHoverTimer);
}

void ClockWindow::OnActivateApp(BOOL active) {
  if (active) return;
  ::KillTimer(hwnd(), kHoverTimer);
  ApplyFrameSetting();
  TransferSettings(0);
  // Back on top, without taking the activation back from the application that has it.
  if (face_.option & OptTopmost)
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

int ClockWindow::ActiveEncodedRuns() { return ::ActiveEncodedRuns(); }

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
  TransferSettings(0);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void ClockWindow::ToggleLauncher() {
  if (launcherWindow_ && launcherWindow_->hwnd()) launcherWindow_->ToggleLauncher(hwnd());
}

bool ClockWindow::IsLauncherVisible() const {
  return launcherWindow_ && launcherWindow_->hwnd() && ::IsWindowVisible(launcherWindow_->hwnd());
}

bool ClockWindow::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case ID_TASKTRAY:
      face_.option ^= OptTrayIcon;
      ShowTrayIcon((face_.option & OptTrayIcon) != 0);
      TransferSettings(0);
      return true;
    case ID_MENU_ICONS:
      face_.option ^= OptMenuIcons;  // shows at the next opening of the menu
      TransferSettings(0);
      return true;
    case ID_TOPMOST:
      face_.option ^= OptTopmost;  // stored at the next save
      ::SetWindowPos(hwnd(), (face_.option & OptTopmost) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
      return true;
    case ID_WINDOW_FRAME:
      face_.option ^= OptFrameless;
      ApplyFrameSetting();
      TransferSettings(0);
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      return true;
    case ID_TRANSPARENT:
      face_.option ^= OptTransparent;
      TransferSettings(0);
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      return true;
    case ID_DISPLAY_SETTING:
      OnDisplaySetting();
      return true;
    case ID_LAUNCHER:
      ToggleLauncher();
      return true;
    case ID_DATE_AND_CLOCK:
      // The system's own date and time settings; nothing to report if they cannot be opened.
      ::ShellExecuteA(nullptr, "open", "control.exe", "timedate.cpl", nullptr, SW_SHOWNORMAL);
      return true;
    case ID_EXIT:
      OnExit();
      return true;
    case ID_QUICKTIMER:
      StartQuickTimer();
      return true;
    case ID_QT_STOP:
    case ID_QT_COUNTER_WINDOW:
    case ID_QT_MESSAGE_BOX:
    case ID_QT_PLAY_SOUND:
    case ID_QT_EXECUTE_APP:
      OnCellCommand(id);
      return true;
    case ID_TIME_ADJUST:
      if (ShowTimeAdjustDialog(adjust, face_.option)) TransferSettings(0);
      return true;
    case ID_EXECUTE_ADJUST:
      StartTimeAdjustment();
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
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // the face paints every pixel
    case WM_SIZE: {
      const LRESULT result = Default();
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      return result;
    }
    case WM_QUERYDRAGICON:
      return reinterpret_cast<LRESULT>(icon_.get());
    case WM_TIMER: {
      OnTimer(static_cast<UINT_PTR>(wParam));
      return Default();
    }
    case WM_TIMECHANGE: {
      const LRESULT result = Default();
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      return result;
    }
    case WM_DESTROY:
      OnDestroy();
      return Default();
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
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == TTN_NEEDTEXTA && tooltip_ != nullptr && header->hwndFrom == tooltip_)
        return OnToolTipText(header) ? TRUE : FALSE;
      return Default();
    }
    case WM_LBUTTONDBLCLK:
      ::KillTimer(hwnd(), kHoverTimer);
      ToggleLauncher();
      return Default();
    case WM_MOUSEMOVE:
      OnMouseMove();
      return Default();
    case WM_ACTIVATEAPP: {
      const LRESULT result = Default();
      OnActivateApp(static_cast<BOOL>(wParam));
      return result;
    }
    case WM_STYLECHANGING:
      // Nothing may take the clock out of the topmost band while it is meant to be there.
      if ((face_.option & OptTopmost) && static_cast<int>(wParam) == GWL_EXSTYLE)
        reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew |= WS_EX_TOPMOST;
      return Default();
    case WM_MEASUREITEM:
      if (iconMenu_ == nullptr) return Default();
      iconMenu_->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      Default();
      return TRUE;
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
      }
      return 1;
    default:
      return Dialog::WindowProc(message, wParam, lParam);
  }
}
