// The clock window: a captionless modal dialog whose life is the process's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/icon_menu.h"
#include "face/clock_face.h"
#include "launcher/launcher_item.h"
#include "launcher/launcher_window.h"
#include "quicktimer/timer_action.h"
#include "timesync/time_adjust_settings.h"
#include "win/dialog.h"
#include "win/unique_handle.h"

class ProfileStore;

class ClockWindow : public Dialog {
 public:
  ClockWindow();
  ~ClockWindow() override;

  enum TimerId : UINT_PTR { kMinuteTimer = 1, kPollTimer = 2, kHoverTimer = 3 };

  ClockFace& face() { return face_; }

  // Time-server connection settings, stored in section "Adjust".
  TimeAdjustSettings adjust;

  // Loads (1) or saves (0) every stored setting of the window: the face's
  // block in "Settings" (the rectangle taken from the window itself when
  // saving), then "Adjust" and the launcher's "Exec" sections through one
  // more store.
  void TransferSettings(int direction);

  LauncherGroups& launcherGroups() { return launcherGroups_; }
  LauncherWindow* launcherWindow() { return launcherWindow_.get(); }

  // Milliseconds from `second` (0-59) to the next whole minute.
  static UINT MinuteTimerPeriod(int second) { return 60000u - 1000u * static_cast<UINT>(second); }

  // The running QuickTimers; an entry's position is its cell's index.
  const std::vector<std::unique_ptr<TimerAction>>& running() const { return running_; }
  // Appends a started QuickTimer: its cell appears and the poll timer runs.
  void AddRunning(std::unique_ptr<TimerAction> entry);
  HWND tooltip() const { return tooltip_; }
  std::int32_t selectedCell() const { return selectedCell_; }

 protected:
  BOOL OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool PreTranslateMessage(MSG* msg) override;

 private:
  void OnPaint();
  void OnTimer(UINT_PTR id);
  void OnDestroy();
  // The time-adjustment settings ("Adjust") and the launcher groups ("Exec")
  // in the shared store of TransferSettings.
  void TransferAdjustSettings(ProfileStore& store, int direction);
  void TransferLauncherSettings(ProfileStore& store, int direction);
  void ArmMinuteTimer();
  void ApplyFrameSetting();
  // Shows the sizing frame (while the mouse is over the window); nothing if it is there.
  void ShowFrame();
  // Starts one time-adjustment worker with copies of the settings and option bits.
  void StartTimeAdjustment();
  // The see-through paint; nonzero when it has painted the window.
  BOOL PaintSeeThrough(HDC dc, BOOL enable);
  // The QuickTimer cells over the face: inverted for the see-through shape, or normally
  // with one cell pressed (-1: none).
  void DrawCells(HDC dc, const RECT& client, bool inverted, int pressed);

  // Context menu, mouse and tray.
  void ShowContextMenu(int x, int y);
  void ShowTrayIcon(bool add);
  void OnLButtonDown(POINT at);
  void OnRButtonDown(POINT at);
  void OnMouseMove();
  void OnActivateApp(BOOL active);
  void OnHoverCheck();
  void OnExit();
  void OnDisplaySetting();
  void ToggleLauncher();
  bool IsLauncherVisible() const;
  // Launcher entries whose decoded files are in use by a running program.
  static int ActiveEncodedRuns();

  // QuickTimers: start, poll, cells, their tooltips and menu.
  void StartQuickTimer();
  void PollQuickTimers();
  void RebuildTooltips();
  bool OnToolTipText(NMHDR* header);
  int HitCell(POINT at) const;
  void ShowCellMenu(const TimerAction& entry, POINT at);
  void OnCellCommand(WORD id);

  IconHandle icon_;
  ClockFace face_;
  std::vector<std::unique_ptr<TimerAction>> running_;
  HWND tooltip_ = nullptr;  // a child popup of the window: it goes with it
  LauncherGroups launcherGroups_;
  std::unique_ptr<LauncherWindow> launcherWindow_;
  std::int32_t selectedCell_ = -1;
  // The open context menu's icon menu: it draws the items while the menu is open.
  IconMenu* iconMenu_ = nullptr;
};
