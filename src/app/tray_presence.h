// The clock's icon kept in the notification area: added (and added again while
// the shell, not ready at sign-in, refuses it), drawn at the DPI the
// notification area has now rather than the one the process started with, and
// put back when the taskbar is recreated.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "win/unique_handle.h"

class TrayPresence {
 public:
  // How often a refused add is tried again.
  static constexpr UINT_PTR kRetryTimer = 24;
  static constexpr UINT kRetryPeriodMs = 2000;

  // The shell and the notification area's DPI as the program reaches them; tests put their own in.
  using NotifyFn = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW record);
  using DpiFn = int (*)();
  static void UseShell(NotifyFn notify, DpiFn dpi);

  // The window the icon belongs to (callbacks, the retry timer); `tip` is UTF-8.
  void Attach(HWND window, std::string tip);

  // Adds the icon; refused, it is tried again on the retry timer until the shell takes it.
  void Show();
  // Deletes the icon and stops any retry.
  void Hide();
  // After a change of DPI, of the displays or of a setting: a new icon when the notification
  // area's DPI is not the one the icon was made for, handed to the shell in place.
  void FollowDpi();
  // The taskbar was recreated: the shell knows no icon, and its DPI may be new.
  void OnTaskbarCreated();
  // WM_TIMER; true when it was the retry timer.
  bool OnTimer(UINT_PTR id);

  bool meantToShow() const { return meantToShow_; }
  bool added() const { return added_; }
  HICON icon() const { return icon_.get(); }
  int iconDpi() const { return iconDpi_; }

 private:
  void MakeIcon(int dpi);
  bool Add();

  HWND window_ = nullptr;
  std::string tip_;
  IconHandle icon_;
  int iconDpi_ = 0;
  bool meantToShow_ = false;
  bool added_ = false;
};
