// The monitors a window can be on. The monitor functions of newer systems are
// taken from USER32 by name; where any is missing one emulated monitor, the
// primary screen with the system's work area, stands for all monitors.
#pragma once

#include <windows.h>

class MonitorPlacement {
 public:
  // The functions of `module`; without all six of them the single emulated monitor is used.
  explicit MonitorPlacement(HMODULE module);

  // The system's functions, looked up once at the first use (user-interface thread only).
  static const MonitorPlacement& System();

  bool HasMonitorFunctions() const { return monitorFromWindow_ != nullptr; }

  // The monitor nearest to `window`: its work area or its full area; (0, 0, 0, 0) when
  // no monitor information can be had.
  RECT MonitorRect(HWND window, bool workArea) const;

  // Moves and, if needed, shrinks `window` to lie within its monitor rectangle. Unforced,
  // only a window wholly outside that rectangle is moved.
  void KeepOnMonitor(HWND window, bool workArea, bool force) const;

  // MonitorFit::KeepInReach for `window` on its nearest monitor: it stays while `minVisible`
  // pixels of it, across and down, lie on that monitor's full area, and comes wholly into the
  // work area otherwise.
  void KeepInReach(HWND window, int minVisible) const;

 private:
  using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
  using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
  MonitorFromWindowFn monitorFromWindow_ = nullptr;
  GetMonitorInfoFn getMonitorInfo_ = nullptr;
};
