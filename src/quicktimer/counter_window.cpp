#include "quicktimer/counter_window.h"

#include "win/monitor_placement.h"
#include "face/display_settings_dialog.h"
#include "resource.h"
#include "win/unique_handle.h"

CounterWindow::CounterWindow() : Dialog(IDD_COUNTER) {}

bool CounterWindow::ShowFace(ClockFace* face) {
  face_ = face;
  if (hwnd() != nullptr) {
    ::InvalidateRect(hwnd(), nullptr, FALSE);
    return true;
  }
  if (face_ == nullptr || !CreateModeless(::GetDesktopWindow())) return false;
  const RECT& r = face_->windowRect;
  ::MoveWindow(hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  ::ShowWindow(hwnd(), SW_SHOW);
  // Unforced: only a window left wholly off the screens is brought back.
  MonitorPlacement::System().KeepOnMonitor(hwnd(), true, false);
  return true;
}

void CounterWindow::ShowOkButton() {
  if (hwnd() != nullptr) ::ShowWindow(Item(IDOK), SW_SHOW);
}

BOOL CounterWindow::OnInitDialog() {
  Dialog::OnInitDialog();
  ApplyTopmost();
  ApplyFrameSetting();
  return TRUE;
}

void CounterWindow::ApplyTopmost() {
  const bool topmost = face_ != nullptr && (face_->option & OptTopmost);
  ::SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CounterWindow::ApplyFrameSetting() {
  if (face_ != nullptr && (face_->option & OptFrameless)) ModifyStyle(WS_THICKFRAME, 0, SWP_FRAMECHANGED);
  else ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
}

// OK, Enter and Esc only hide the window; the owning QuickTimer destroys it at its next tick.
void CounterWindow::OnOK() { ::ShowWindow(hwnd(), SW_HIDE); }
void CounterWindow::OnCancel() { ::ShowWindow(hwnd(), SW_HIDE); }

void CounterWindow::OnPaint() {
  PaintGuard paint(hwnd());
  if (face_ == nullptr) return;
  HWND ok = Item(IDOK);
  // Once the OK button shows, the window paints as a plain rectangle so the button stays reachable.
  const BOOL enable = ok != nullptr && !::IsWindowVisible(ok);
  if (!face_->UpdateWindowShape(paint.dc(), hwnd(), enable)) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    face_->Draw(paint.dc(), client);
  }
}

void CounterWindow::KeepOkButtonInCorner() {
  HWND ok = Item(IDOK);
  if (ok == nullptr) return;
  RECT client, button;
  ::GetClientRect(hwnd(), &client);
  ::GetWindowRect(ok, &button);
  ::SetWindowPos(ok, nullptr, client.right - (button.right - button.left), client.bottom - (button.bottom - button.top),
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CounterWindow::PostNcDestroy() { delete this; }

void CounterWindow::ShowContextMenu(POINT client) {
  if (face_ == nullptr) return;
  MenuHandle menu(::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_COUNTER_MENU)));
  HMENU popup = ::GetSubMenu(menu.get(), 0);
  if (popup == nullptr) return;
  const std::uint32_t option = face_->option;
  if (option & OptTopmost) ::CheckMenuItem(popup, ID_TOPMOST, MF_BYCOMMAND | MF_CHECKED);
  if (option & OptFrameless) {
    ::CheckMenuItem(popup, ID_WINDOW_FRAME, MF_BYCOMMAND | MF_CHECKED);
    if (option & OptTransparent) ::CheckMenuItem(popup, ID_TRANSPARENT, MF_BYCOMMAND | MF_CHECKED);
  } else {
    ::EnableMenuItem(popup, ID_TRANSPARENT, MF_BYCOMMAND | MF_GRAYED);
  }
  POINT screen = client;
  ::ClientToScreen(hwnd(), &screen);
  ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

void CounterWindow::EditDisplaySettings() {
  if (face_ == nullptr) return;
  ClockFace* face = face_;
  // Countdown faces edit as countdown faces; the dialog works on a copy.
  ClockFace copy;
  copy.CopySettingsFrom(*face);
  DisplaySettingsDialog dialog(face->IsCountdown() ? DisplaySettingsDialog::Variant::Countdown
                                                   : DisplaySettingsDialog::Variant::Plain);
  const bool accepted = dialog.EditFace(copy, hwnd());
  // The QuickTimer may have ended meanwhile, and its face with it: the window is gone then.
  if (hwnd() == nullptr) return;
  if (!accepted) return;
  face->CopySettingsFrom(copy);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

bool CounterWindow::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case ID_WINDOW_FRAME:
      if (face_ == nullptr) return true;
      face_->option ^= OptFrameless;
      ApplyFrameSetting();
      return true;
    case ID_TRANSPARENT:
      if (face_ == nullptr) return true;
      face_->option ^= OptTransparent;
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      return true;
    case ID_TOPMOST:
      if (face_ == nullptr) return true;
      face_->option ^= OptTopmost;
      ApplyTopmost();
      return true;
    case ID_DISPLAY_SETTING:
      EditDisplaySettings();
      return true;
    default:
      return Dialog::OnCommand(id, code, control);
  }
}

LRESULT CounterWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SIZE: {
      const LRESULT result = Default();
      KeepOkButtonInCorner();
      return result;
    }
    case WM_LBUTTONDOWN:
      ::KillTimer(hwnd(), kHoverTimer);
      // Moves the window with the mouse until the button is released.
      ::SendMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
      if (hwnd() != nullptr) ::SetTimer(hwnd(), kHoverTimer, 1000, nullptr);
      return 0;
    case WM_MOUSEMOVE:
      // The frame shows while the mouse is over the window, so it can be resized.
      ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
      ::SetTimer(hwnd(), kHoverTimer, 1000, nullptr);
      return Default();
    case WM_TIMER:
      if (wParam == kHoverTimer) {
        POINT cursor;
        RECT window;
        ::GetCursorPos(&cursor);
        ::GetWindowRect(hwnd(), &window);
        if (!::PtInRect(&window, cursor)) {
          ApplyFrameSetting();
          ::KillTimer(hwnd(), kHoverTimer);
        }
        return 0;
      }
      return Default();
    case WM_NCACTIVATE:
      if (!wParam) {
        ::KillTimer(hwnd(), kHoverTimer);
        ApplyFrameSetting();
      }
      return Default();
    case WM_RBUTTONUP:
      ShowContextMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return hwnd() != nullptr ? Default() : 0;
    case WM_DESTROY:
      if (face_ != nullptr) ::GetWindowRect(hwnd(), &face_->windowRect);
      return Default();
    default:
      return Dialog::WindowProc(message, wParam, lParam);
  }
}
