#include "quicktimer/counter_window.h"

#include "face/display_settings_dialog.h"
#include "resource.h"
#include "win/modal_windows.h"
#include "win/unique_handle.h"
#include "win/user_alert.h"
#include "win/wide_text.h"

namespace {
constexpr UINT kHoverPeriod = 1000;
}

CounterWindow::CounterWindow() : FaceWindow(IDD_COUNTER, kHoverPeriod) {}

bool CounterWindow::ShowFace(ClockFace* face) {
  SetFace(face);
  if (hwnd() != nullptr) {
    ::InvalidateRect(hwnd(), nullptr, FALSE);
    return true;
  }
  if (face == nullptr || !CreateModeless(::GetDesktopWindow())) return false;
  PlaceWindow(face->windowRect);
  ::ShowWindow(hwnd(), SW_SHOW);
  // Unforced: only a window left wholly off the screens is brought back.
  KeepOnDesktop();
  return true;
}

void CounterWindow::ShowOkButton() {
  if (hwnd() != nullptr) ::ShowWindow(Item(IDOK), SW_SHOW);
}

void CounterWindow::FlashTaskbarButton() {
  if (hwnd() == nullptr) return;
  FLASHWINFO info{};
  info.cbSize = sizeof info;
  info.hwnd = hwnd();
  info.dwFlags = FLASHW_ALL | FLASHW_TIMERNOFG;
  UserAlert::Current().Flash(info);
}

void CounterWindow::SetBlink(bool inverted) {
  if (blink_ == inverted) return;
  blink_ = inverted;
  if (hwnd() != nullptr) ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void CounterWindow::Close() {
  if (hwnd() != nullptr) ::DestroyWindow(hwnd());
}

BOOL CounterWindow::OnInitDialog() {
  FaceWindow::OnInitDialog();
  if (!taskbarTitle_.empty()) {
    // Not yet shown: the taskbar takes the button from the styles it is first shown with.
    const auto exStyle = static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_EXSTYLE));
    ::SetWindowLongW(hwnd(), GWL_EXSTYLE, static_cast<LONG>((exStyle & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW));
    WideText::SetWindow(hwnd(), taskbarTitle_);
  }
  ApplyTopmost();
  ApplyFrameSetting();
  return TRUE;
}

// OK, Enter and Esc only hide the window; the owning QuickTimer closes it at its next tick.
void CounterWindow::OnOK() { ::ShowWindow(hwnd(), SW_HIDE); }
void CounterWindow::OnCancel() { ::ShowWindow(hwnd(), SW_HIDE); }

void CounterWindow::OnPaint() {
  PaintGuard paint(hwnd());
  HWND ok = Item(IDOK);
  // Once the OK button shows, the window paints as a plain rectangle so the button stays reachable.
  PaintFace(paint.dc(), ok != nullptr && !::IsWindowVisible(ok));
  if (blink_) {
    RECT client;
    ::GetClientRect(hwnd(), &client);
    ::InvertRect(paint.dc(), &client);
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

void CounterWindow::OnDpiChanged(int dpi, const RECT* suggested) {
  FaceWindow::OnDpiChanged(dpi, suggested);
  KeepOkButtonInCorner();
}

void CounterWindow::ShowContextMenu(POINT client) {
  if (face() == nullptr) return;
  MenuHandle menu(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_COUNTER_MENU)));
  HMENU popup = ::GetSubMenu(menu.get(), 0);
  if (popup == nullptr) return;
  SetFaceMenuStates(popup, face()->options);
  POINT screen = client;
  ::ClientToScreen(hwnd(), &screen);
  ::TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

void CounterWindow::EditDisplaySettings() {
  ClockFace* face = this->face();
  if (face == nullptr) return;
  // One dialog at a time: one already open (this window's or the clock's) comes to the front.
  if (ModalWindows::BringForward()) return;
  // Countdown faces edit as countdown faces. The QuickTimer may end while the dialog
  // runs: its window goes then (and the dialog with it), the face stays until this returns.
  DisplaySettingsDialog dialog(*face);
  if (dialog.EditFace(*face, hwnd()) && hwnd() != nullptr) ::InvalidateRect(hwnd(), nullptr, TRUE);
}

bool CounterWindow::OnCommand(WORD id, WORD code, HWND control) {
  if (OnFaceCommand(id)) return true;
  if (id == ID_DISPLAY_SETTING) {
    EditDisplaySettings();
    return true;
  }
  return Dialog::OnCommand(id, code, control);
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
      DragWindow();
      StartHoverTimer();
      return 0;
    case WM_NCACTIVATE:
      if (!wParam) EndHover();
      return Default();
    case WM_RBUTTONUP:
      ShowContextMenu(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return hwnd() != nullptr ? Default() : 0;
    case WM_CONTEXTMENU:
      // From the keyboard (the menu key, Shift+F10) the position is -1, -1: the menu opens at
      // the window's top-left corner. A right click has opened it already.
      if (static_cast<short>(LOWORD(lParam)) == -1 && static_cast<short>(HIWORD(lParam)) == -1) {
        ShowContextMenu(POINT{0, 0});
        return 0;
      }
      return Default();
    case WM_DESTROY:
      if (face() != nullptr) ::GetWindowRect(hwnd(), &face()->windowRect);
      return Default();
    default:
      return FaceWindow::WindowProc(message, wParam, lParam);
  }
}
