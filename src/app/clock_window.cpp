#include "app/clock_window.h"

#include <shellapi.h>
#include <windowsx.h>

#include "app/context_menu.h"
#include "app/tray_icon.h"
#include "face/offscreen_image.h"
#include "resource.h"
#include "storage/ini_profile_store.h"
#include "win/message_box.h"
#include "win/string_table.h"

namespace {
constexpr UINT kHoverPeriod = 2000;
}  // namespace

ClockWindow::ClockWindow()
    : Dialog(IDD_CLOCK),
      icon_(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELTA), IMAGE_ICON,
                                            16, 16, LR_DEFAULTCOLOR))) {
  face_.option |= OptTrayIcon | OptMenuIcons;
}

ClockWindow::~ClockWindow() = default;

BOOL ClockWindow::OnInitDialog() {
  Dialog::OnInitDialog();
  Window::SetMainWindow(hwnd());
  ::SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
  ::SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_.get()));
  TransferSettings(1);
  ::SetWindowTextA(hwnd(), StringTable::AppName().c_str());
  ApplyFrameSetting();
  if (face_.option & OptTrayIcon) ShowTrayIcon(true);
  ::SetWindowPos(hwnd(), (face_.option & OptTopmost) ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE);
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

void ClockWindow::TransferAdjustSettings(ProfileStore& store, int direction) {}

void ClockWindow::TransferLauncherSettings(ProfileStore& store, int direction) {}

void ClockWindow::ApplyFrameSetting() {
  if (face_.option & OptFrameless) ModifyStyle(WS_THICKFRAME, 0, SWP_FRAMECHANGED);
  else ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
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
  // No QuickTimer runs yet, so there is no cell to draw.
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
  else if (id == kHoverTimer) OnHoverCheck();
}

void ClockWindow::OnDestroy() {
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

void ClockWindow::OnLButtonDown() {
  ::KillTimer(hwnd(), kHoverTimer);
  // The system moves the window with the mouse until the button is released, frame or not.
  const DWORD at = ::GetMessagePos();
  ::SendMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(at));
  ::SetTimer(hwnd(), kHoverTimer, kHoverPeriod, nullptr);
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

int ClockWindow::ActiveEncodedRuns() { return 0; }

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
  // The display settings dialog edits a copy of the face; it is not there yet.
}

void ClockWindow::ToggleLauncher() {
  // Shows the launcher window beside the clock or hides it; it is not there yet.
}

bool ClockWindow::IsLauncherVisible() const { return false; }

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
      OnLButtonDown();
      return Default();
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
