#include "app/clock_window.h"

#include "resource.h"
#include "storage/ini_profile_store.h"
#include "win/string_table.h"

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

BOOL ClockWindow::PaintSeeThrough(HDC dc, BOOL enable) { return FALSE; }

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
  }
  // Every paint puts the clock back on top, except while one of its modal dialogs runs.
  if (::IsWindowEnabled(hwnd()) && (face_.option & OptTopmost))
    ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

void ClockWindow::OnTimer(UINT_PTR id) {
  if (id == kMinuteTimer) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void ClockWindow::OnDestroy() { TransferSettings(0); }

void ClockWindow::OnActivateApp(BOOL active) {
  if (active) return;
  ::KillTimer(hwnd(), kHoverTimer);
  ApplyFrameSetting();
  TransferSettings(0);
  if (face_.option & OptTopmost) ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

bool ClockWindow::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case ID_EXIT:
      OnOK();
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
    case WM_ACTIVATEAPP: {
      const LRESULT result = Default();
      OnActivateApp(static_cast<BOOL>(wParam));
      return result;
    }
    default:
      return Dialog::WindowProc(message, wParam, lParam);
  }
}
