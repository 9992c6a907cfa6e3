#include "app/tray_presence.h"

#include <utility>

#include "app/tray_icon.h"
#include "resource.h"
#include "win/window_dpi.h"

namespace {

// The notification area is on the primary monitor, which holds the screen's origin; its
// DPI now, not GetDpiForSystem's, which keeps the DPI of the sign-in until the next one.
int PrimaryMonitorDpi() { return WindowDpi::System().ForPoint(POINT{0, 0}); }

TrayPresence::NotifyFn notifyShell = &::Shell_NotifyIconW;
TrayPresence::DpiFn trayDpi = &PrimaryMonitorDpi;

}  // namespace

void TrayPresence::UseShell(NotifyFn notify, DpiFn dpi) {
  notifyShell = notify != nullptr ? notify : &::Shell_NotifyIconW;
  trayDpi = dpi != nullptr ? dpi : &PrimaryMonitorDpi;
}

void TrayPresence::Attach(HWND window, std::string tip) {
  window_ = window;
  tip_ = std::move(tip);
}

void TrayPresence::MakeIcon(int dpi) {
  const WindowDpi& system = WindowDpi::System();
  IconHandle icon(system.LoadIconAt(::GetModuleHandleW(nullptr), IDI_VELTA, system.SystemMetric(SM_CXSMICON, dpi)));
  if (icon.get() == nullptr) return;
  icon_ = std::move(icon);
  iconDpi_ = dpi;
}

bool TrayPresence::Add() {
  NOTIFYICONDATAW record =
      TrayIcon::Record(window_, icon_.get(), TrayIcon::kCallbackMessage, tip_.c_str(), true, TrayIcon::kId);
  added_ = notifyShell(NIM_ADD, &record) != FALSE;
  if (!added_) {
    // An icon the shell holds already from an earlier add (its answer lost): take it as it is.
    added_ = notifyShell(NIM_MODIFY, &record) != FALSE;
  }
  if (added_) ::KillTimer(window_, kRetryTimer);
  else ::SetTimer(window_, kRetryTimer, kRetryPeriodMs, nullptr);
  return added_;
}

void TrayPresence::Show() {
  meantToShow_ = true;
  if (icon_.get() == nullptr || iconDpi_ != trayDpi()) MakeIcon(trayDpi());
  Add();
}

void TrayPresence::Hide() {
  meantToShow_ = false;
  ::KillTimer(window_, kRetryTimer);
  NOTIFYICONDATAW record = TrayIcon::Record(window_, nullptr, 0, nullptr, false, TrayIcon::kId);
  notifyShell(NIM_DELETE, &record);
  added_ = false;
}

void TrayPresence::FollowDpi() {
  const int dpi = trayDpi();
  if (icon_.get() != nullptr && dpi == iconDpi_) return;
  MakeIcon(dpi);
  if (!meantToShow_ || !added_) return;
  NOTIFYICONDATAW record = TrayIcon::Record(window_, icon_.get(), 0, nullptr, true, TrayIcon::kId);
  record.uFlags = NIF_ICON;
  if (!notifyShell(NIM_MODIFY, &record)) Add();
}

void TrayPresence::OnTaskbarCreated() {
  added_ = false;
  MakeIcon(trayDpi());
  if (meantToShow_) Add();
}

bool TrayPresence::OnTimer(UINT_PTR id) {
  if (id != kRetryTimer) return false;
  if (meantToShow_ && !added_) Add();
  else ::KillTimer(window_, kRetryTimer);
  return true;
}
