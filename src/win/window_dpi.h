// The DPI windows are drawn at, and the system's functions that work per DPI.
// Those of newer systems (GetDpiForWindow, GetDpiForSystem and
// GetSystemMetricsForDpi of Windows 10, GetDpiForMonitor of Windows 8.1,
// comctl32's LoadIconWithScaleDown, SetDialogDpiChangeBehavior of Windows 10
// 1703) are taken by name at the first use; where one is missing the screen's DPI (LOGPIXELSX) stands for every window and
// monitor, and system sizes are scaled from it.
#pragma once

#include <windows.h>

#include "win/dpi_scale.h"

class WindowDpi {
 public:
  using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);

  // The functions of the given modules; any of them may be null. `dialogBehaviour`, when given,
  // stands for user32's SetDialogDpiChangeBehavior (which Wine does not have).
  WindowDpi(HMODULE user32, HMODULE shcore, HMODULE comctl32, SetDialogDpiChangeBehaviorFn dialogBehaviour = nullptr);

  // The system's functions, looked up once at the first use (user-interface thread only).
  static const WindowDpi& System();

  bool HasWindowDpi() const { return getDpiForWindow_ != nullptr; }

  // The DPI `window` is drawn at: its monitor's for a per-monitor aware program.
  int ForWindow(HWND window) const;
  // The DPI of the primary screen when the user signed in; sizes of the shell
  // (the notification area) follow it.
  int ForSystem() const;
  // The DPI of the monitor nearest to a screen point.
  int ForPoint(POINT at) const;

  // GetSystemMetrics at a DPI (SM_CXSMICON, SM_CXICON, ...).
  int SystemMetric(int index, int dpi) const;
  // A font of the system's metrics (made for ForSystem()) for drawing at `dpi`.
  LOGFONTW SystemFontAt(const LOGFONTW& font, int dpi) const;

  // Stops the dialog manager from resizing `dialog` itself on a change of DPI (it still gives
  // its controls their new font and place): a window that keeps its own rectangle. False where
  // the system has no such setting (before Windows 10 1703, which also scales no dialog).
  bool KeepDialogSize(HWND dialog) const;

  // An icon resource at size x size pixels, from the image of that size when the
  // resource has one, else scaled down from a larger one. The caller destroys it.
  HICON LoadIconAt(HINSTANCE module, UINT id, int size) const;

 private:
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  using GetDpiForSystemFn = UINT(WINAPI*)();
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  using MonitorFromPointFn = HMONITOR(WINAPI*)(POINT, DWORD);
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

  GetDpiForWindowFn getDpiForWindow_ = nullptr;
  GetDpiForSystemFn getDpiForSystem_ = nullptr;
  GetSystemMetricsForDpiFn getSystemMetricsForDpi_ = nullptr;
  MonitorFromPointFn monitorFromPoint_ = nullptr;
  GetDpiForMonitorFn getDpiForMonitor_ = nullptr;
  LoadIconWithScaleDownFn loadIconWithScaleDown_ = nullptr;
  SetDialogDpiChangeBehaviorFn setDialogDpiChangeBehavior_ = nullptr;
};
