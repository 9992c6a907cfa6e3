#include "face/face_window.h"

#include "face/face_options.h"
#include "face/offscreen_image.h"
#include "resource.h"
#include "win/monitor_placement.h"
#include "win/unique_handle.h"
#include "win/window_dpi.h"

void FaceWindow::SetFaceMenuStates(HMENU menu, const FaceOptions& options) {
  auto check = [menu](UINT command, bool on) {
    ::CheckMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  };
  check(ID_TOPMOST, options.topmost);
  // The check means the frame is hidden.
  check(ID_WINDOW_FRAME, options.frameless);
  if (options.frameless) check(ID_TRANSPARENT, options.seeThrough);
  else ::EnableMenuItem(menu, ID_TRANSPARENT, MF_BYCOMMAND | MF_GRAYED);
}

BOOL FaceWindow::OnInitDialog() {
  Dialog::OnInitDialog();
  dpi_ = WindowDpi::System().ForWindow(hwnd());
  // On a change of DPI the dialog manager would resize the window before OnDpiChanged
  // decides: a stored rectangle would grow or shrink at every start.
  WindowDpi::System().KeepDialogSize(hwnd());
  return TRUE;
}

void FaceWindow::OnDpiChanged(int dpi, const RECT* suggested) {
  dpi_ = DpiScale(dpi).dpi();
  // The system suggests the size scaled to the new DPI; a rectangle the program puts the
  // window at is meant in pixels as it is, and a stored one would grow at every start.
  if (suggested != nullptr && !placing_)
    ::SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void FaceWindow::PlaceWindow(const RECT& r) {
  placing_ = true;
  ::MoveWindow(hwnd(), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  placing_ = false;
}

void FaceWindow::KeepOnDesktop() {
  placing_ = true;
  MonitorPlacement::System().KeepInReach(hwnd(), scale().Scale(kLeastVisible));
  placing_ = false;
}

void FaceWindow::ApplyFrameSetting() {
  if (face_ != nullptr && face_->options.frameless) ModifyStyle(WS_THICKFRAME, 0, SWP_FRAMECHANGED);
  else ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED);
}

void FaceWindow::ApplyTopmost() {
  const bool topmost = face_ != nullptr && face_->options.topmost;
  ::SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}

bool FaceWindow::OnFaceCommand(WORD id) {
  if (id != ID_TOPMOST && id != ID_WINDOW_FRAME && id != ID_TRANSPARENT) return false;
  if (face_ == nullptr) return true;
  switch (id) {
    case ID_TOPMOST:
      face_->options.topmost = !face_->options.topmost;
      ApplyTopmost();
      break;
    case ID_WINDOW_FRAME:
      face_->options.frameless = !face_->options.frameless;
      ApplyFrameSetting();
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      break;
    default:
      face_->options.seeThrough = !face_->options.seeThrough;
      ::InvalidateRect(hwnd(), nullptr, TRUE);
      break;
  }
  return true;
}

void FaceWindow::ShowHoverFrame() { ModifyStyle(0, WS_THICKFRAME, SWP_FRAMECHANGED); }

void FaceWindow::StartHoverTimer() {
  if (hwnd() != nullptr) ::SetTimer(hwnd(), kHoverTimer, hoverPeriod_, nullptr);
}

void FaceWindow::EndHover() {
  ::KillTimer(hwnd(), kHoverTimer);
  ApplyFrameSetting();
}

void FaceWindow::OnHoverTimer() {
  POINT cursor;
  RECT window;
  ::GetCursorPos(&cursor);
  ::GetWindowRect(hwnd(), &window);
  if (!::PtInRect(&window, cursor)) EndHover();
}

void FaceWindow::DragWindow() {
  const DWORD pos = ::GetMessagePos();
  ::SendMessageW(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, static_cast<LPARAM>(pos));
}

void FaceWindow::OnMouseMove() {
  ShowHoverFrame();
  StartHoverTimer();
}

void FaceWindow::TellShownText() { TellShownText(ClockFace::LocalNow(), ::GetTickCount()); }

void FaceWindow::TellShownText(const std::tm& local, std::uint32_t tickNow) {
  if (face_ != nullptr && hwnd() != nullptr) accessible_.Update(hwnd(), face_->ExpandTextWide(local, tickNow));
}

void FaceWindow::PaintFace(HDC dc, bool seeThroughAllowed) {
  if (face_ == nullptr) return;
  // One moment for what is read out, the shape and the picture.
  const std::tm local = ClockFace::LocalNow();
  const std::uint32_t tickNow = ::GetTickCount();
  TellShownText(local, tickNow);
  RECT client;
  ::GetClientRect(hwnd(), &client);
  // Only a window without its sizing frame is cut (a see-through window is captionless and
  // borderless: its client area is the whole window).
  const auto style = static_cast<DWORD>(::GetWindowLongW(hwnd(), GWL_STYLE));
  if (seeThroughAllowed && face_->options.seeThrough && !(style & WS_THICKFRAME)) {
    if (PaintSeeThrough(dc, client, local, tickNow)) return;
  } else {
    OffscreenImage::RemoveWindowRegion(hwnd());
  }
  face_->Draw(dc, client, dpi_, local, tickNow);
  DrawOverlay(dc, client, false);
}

bool FaceWindow::PaintSeeThrough(HDC dc, const RECT& client, const std::tm& local, std::uint32_t tickNow) {
  OffscreenImage image;
  if (!image.Create(client.right - client.left, client.bottom - client.top, 24)) return false;
  // The shape is exactly the text's pixels, and each of them shows the text colour.
  face_->Draw(image.dc(), client, dpi_, local, tickNow, ClockFace::TextEdges::kSharp);
  DrawOverlay(image.dc(), client, true);
  RegionHandle region;
  if (!image.BuildRegion(region, face_->backColour)) return false;
  OffscreenImage::GiveRegionCopy(hwnd(), region.get());
  DrawOverlay(image.dc(), client, false);
  return image.CopyTo(dc, 0, 0) != FALSE;
}

LRESULT FaceWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove();
      return Default();
    case WM_TIMER:
      if (wParam != kHoverTimer) break;
      OnHoverTimer();
      return 0;
    case WM_DPICHANGED: {
      // The dialog manager gives the controls their new font and place first; the
      // window's own size is left to OnDpiChanged.
      const LRESULT result = Default();
      OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return result;
    }
    case WM_GETOBJECT: {
      // Asked before the first paint (a hidden window): the text it would show.
      if (accessible_.text().empty()) TellShownText();
      LRESULT result = 0;
      if (accessible_.OnGetObject(hwnd(), wParam, lParam, &result)) return result;
      break;
    }
    case WM_NCDESTROY:
      accessible_.Disconnect();
      break;
    case WM_DISPLAYCHANGE:
      OnDesktopChanged();
      return Default();
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) OnDesktopChanged();
      return Default();
    case WM_STYLECHANGING:
      // Nothing may take the window out of the topmost band while it is meant to be there.
      if (face_ != nullptr && face_->options.topmost && static_cast<int>(wParam) == GWL_EXSTYLE)
        reinterpret_cast<STYLESTRUCT*>(lParam)->styleNew |= WS_EX_TOPMOST;
      break;
    default:
      break;
  }
  return Dialog::WindowProc(message, wParam, lParam);
}
