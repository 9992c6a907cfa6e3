#include "win/monitor_placement.h"

#include "win/monitor_fit.h"

MonitorPlacement::MonitorPlacement(HMODULE module) {
  if (module == nullptr) return;
  // All or none: a system with some of them only gets the emulated monitor.
  const char* const names[] = {"GetSystemMetrics", "MonitorFromWindow", "MonitorFromRect",
                               "MonitorFromPoint", "EnumDisplayMonitors", "GetMonitorInfoA"};
  for (const char* name : names)
    if (::GetProcAddress(module, name) == nullptr) return;
  monitorFromWindow_ = reinterpret_cast<MonitorFromWindowFn>(
      reinterpret_cast<void*>(::GetProcAddress(module, "MonitorFromWindow")));
  getMonitorInfo_ = reinterpret_cast<GetMonitorInfoFn>(
      reinterpret_cast<void*>(::GetProcAddress(module, "GetMonitorInfoA")));
}

const MonitorPlacement& MonitorPlacement::System() {
  static const MonitorPlacement system(::GetModuleHandleW(L"USER32"));
  return system;
}

RECT MonitorPlacement::MonitorRect(HWND window, bool workArea) const {
  RECT result{0, 0, 0, 0};
  if (!HasMonitorFunctions()) {
    // The emulated monitor is the primary screen; every window belongs to it.
    if (workArea) {
      if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &result, 0)) result = RECT{0, 0, 0, 0};
    } else {
      result = RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    return result;
  }
  HMONITOR monitor = monitorFromWindow_(window, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (monitor == nullptr || !getMonitorInfo_(monitor, &info)) return result;
  return workArea ? info.rcWork : info.rcMonitor;
}

void MonitorPlacement::KeepOnMonitor(HWND window, bool workArea, bool force) const {
  const RECT m = MonitorRect(window, workArea);
  RECT w;
  if (!::GetWindowRect(window, &w)) return;
  ScreenRect placed{};
  if (!MonitorFit::Place(ScreenRect{m.left, m.top, m.right, m.bottom}, ScreenRect{w.left, w.top, w.right, w.bottom},
                         force, placed))
    return;
  ::SetWindowPos(window, nullptr, placed.left, placed.top, placed.Width(), placed.Height(), SWP_NOZORDER);
}

void MonitorPlacement::KeepInReach(HWND window, int minVisible) const {
  const RECT m = MonitorRect(window, false);
  const RECT work = MonitorRect(window, true);
  RECT w;
  if (!::GetWindowRect(window, &w)) return;
  ScreenRect placed{};
  if (!MonitorFit::KeepInReach(ScreenRect{m.left, m.top, m.right, m.bottom},
                               ScreenRect{work.left, work.top, work.right, work.bottom},
                               ScreenRect{w.left, w.top, w.right, w.bottom}, minVisible, placed))
    return;
  ::SetWindowPos(window, nullptr, placed.left, placed.top, placed.Width(), placed.Height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
