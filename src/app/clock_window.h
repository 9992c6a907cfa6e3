// The clock window: a captionless modal dialog whose life is the process's.
// It keeps start-up, the order of its paint, its commands and the sequence of
// its settings; the face window base does frame, topmost, see-through and the
// DPI of its monitor, the running QuickTimers draw their own cells, the
// context menu and tray icon are objects of their own. It comes back to the
// right time and place after sleep, a locked session, a change of the
// displays, of the work area or of the time zone, and puts its tray icon back
// when the taskbar is recreated.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "app/icon_menu.h"
#include "app/settings_keeper.h"
#include "app/tray_presence.h"
#include "face/clock_face.h"
#include "face/face_options.h"
#include "face/face_window.h"
#include "launcher/launcher_item.h"
#include "launcher/launcher_window.h"
#include "quicktimer/running_quick_timers.h"
#include "timesync/time_adjust_settings.h"
#include "timesync/time_adjustment.h"
#include "win/session_notification.h"
#include "win/unique_handle.h"

class ClockWindow : public FaceWindow {
 public:
  ClockWindow();

  enum TimerId : UINT_PTR { kMinuteTimer = 1, kPollTimer = RunningQuickTimers::kPollTimer };

  ClockFace& face() { return face_; }

  // Time-server connection settings, stored in section "Adjust".
  TimeAdjustSettings adjust;
  // The clock's own switches and time adjustment's, stored in the face's Option word.
  ClockOptions clockOptions;
  TimeAdjustOptions adjustOptions;

  // Loads or saves every stored setting of the window through one store of the
  // settings file: the face's block in "Settings" (a save takes the rectangle
  // from the window itself), then "Adjust" and the launcher's "Exec" sections.
  // A load moves the window to the stored rectangle. A save is the keeper's, now.
  // False when a save could not be written.
  bool TransferSettings(Transfer direction);
  // Decides when the settings are written; every change of them is told to it.
  SettingsKeeper& settingsKeeper() { return keeper_; }

  LauncherWindow* launcherWindow() { return launcherWindow_.get(); }
  RunningQuickTimers& quickTimers() { return quickTimers_; }

  // Milliseconds from `second`.`millisecond` of the local time to the next
  // whole minute: at least 1, so that a tick that came a little early (or in a
  // leap second) comes again as the minute turns instead of a minute later.
  static UINT MinuteTimerPeriod(int second, int millisecond);
  // The same to the next whole second, for a format that shows the seconds.
  static UINT SecondTimerPeriod(int millisecond);

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG* msg) override;
  void OnMouseMove() override;
  void DrawOverlay(HDC dc, const RECT& client, bool forShape) override;
  void OnDpiChanged(int dpi, const RECT* suggested) override;
  // Displays, work area, resume from sleep, unlock: back on the desktop, drawn
  // at once, the minute timer armed from this moment.
  void OnDesktopChanged() override;

 private:
  // The clock's sections of one store, in their fixed order.
  void TransferClockSections(ProfileStore& store, Transfer direction);
  void OnPaint();
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  // The user signs out or the system shuts down: the settings saved, the QuickTimers ended,
  // encoded runs given a moment to be encoded again, the clock ended; no dialog on the way.
  void OnEndSession();
  void ArmMinuteTimer();
  // Starts one time-adjustment worker with a copy of the settings; its outcome
  // comes back as kTimeAdjustedMessage.
  void AdjustTimeInBackground(AdjustOrigin origin);
  // The runtime's time zone again (after a change of the time or the zone), then the face anew.
  void OnTimeChanged();
  // The window's icons at its DPI.
  void LoadWindowIcons();

  // Context menu, mouse and tray.
  void ShowContextMenu(int x, int y);
  void ShowTrayIcon(bool add);
  void OnLButtonDown(POINT at);
  void OnRButtonDown(POINT at);
  // A digit key: the menu of that QuickTimer's cell; false when there is no such cell.
  bool OpenCellMenuByKey(WPARAM key);
  void OnActivateApp(BOOL active);
  void OnExit();
  void OnDisplaySetting();
  void StartQuickTimer();
  // What the QuickTimers have to tell, after the poll that found it: a notification from the
  // tray icon for each one whose time is up, a message box for each failure.
  void TellQuickTimerNews();
  void ToggleLauncher();
  // "Start at sign-in": the Startup folder's shortcut on or off.
  void ToggleSignInStart();
  bool IsLauncherVisible() const;
  // The commands that open a modal dialog or end the clock.
  static bool OpensOrEnds(WORD id);

  IconHandle smallIcon_;  // window (small), at the window's DPI
  IconHandle bigIcon_;    // window (big), drag image, minimised paint
  TrayPresence tray_;     // notification area, at the DPI it has now
  UINT taskbarCreated_ = 0;
  SessionNotification session_;
  ClockFace face_;
  RunningQuickTimers quickTimers_;
  LauncherGroups launcherGroups_;
  std::unique_ptr<LauncherWindow> launcherWindow_;
  SettingsKeeper keeper_;
  // The open context menu's icon menu: it draws the items while the menu is open.
  IconMenu* iconMenu_ = nullptr;
  bool tellingNews_ = false;
};
