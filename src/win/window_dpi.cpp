#include "win/window_dpi.h"

#include "win/module_path.h"

namespace {

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The screen's DPI as every system reports it.
int ScreenDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  return DpiScale(dpi).dpi();
}

}  // namespace

WindowDpi::WindowDpi(HMODULE user32, HMODULE shcore, HMODULE comctl32, SetDialogDpiChangeBehaviorFn dialogBehaviour)
    : getDpiForWindow_(Lookup<GetDpiForWindowFn>(user32, "GetDpiForWindow")),
      getDpiForSystem_(Lookup<GetDpiForSystemFn>(user32, "GetDpiForSystem")),
      getSystemMetricsForDpi_(Lookup<GetSystemMetricsForDpiFn>(user32, "GetSystemMetricsForDpi")),
      monitorFromPoint_(Lookup<MonitorFromPointFn>(user32, "MonitorFromPoint")),
      getDpiForMonitor_(Lookup<GetDpiForMonitorFn>(shcore, "GetDpiForMonitor")),
      loadIconWithScaleDown_(Lookup<LoadIconWithScaleDownFn>(comctl32, "LoadIconWithScaleDown")),
      setDialogDpiChangeBehavior_(dialogBehaviour != nullptr
                                      ? dialogBehaviour
                                      : Lookup<SetDialogDpiChangeBehaviorFn>(user32, "SetDialogDpiChangeBehavior")) {}

const WindowDpi& WindowDpi::System() {
  // shcore exists from Windows 8.1 on; it stays loaded for the life of the process.
  static const WindowDpi system(::GetModuleHandleW(L"USER32"), ModulePath::LoadSystemLibrary(L"shcore.dll"),
                                ::GetModuleHandleW(L"comctl32.dll"));
  return system;
}

int WindowDpi::ForSystem() const {
  if (getDpiForSystem_ != nullptr) return DpiScale(static_cast<int>(getDpiForSystem_())).dpi();
  return ScreenDpi();
}

int WindowDpi::ForWindow(HWND window) const {
  if (getDpiForWindow_ != nullptr && window != nullptr) {
    const UINT dpi = getDpiForWindow_(window);
    if (dpi != 0) return static_cast<int>(dpi);  // 0: no such window
  }
  return ForSystem();
}

int WindowDpi::ForPoint(POINT at) const {
  if (monitorFromPoint_ != nullptr && getDpiForMonitor_ != nullptr) {
    HMONITOR monitor = monitorFromPoint_(at, MONITOR_DEFAULTTONEAREST);
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (monitor != nullptr && SUCCEEDED(getDpiForMonitor_(monitor, kEffectiveDpi, &x, &y)) && x != 0)
      return static_cast<int>(x);
  }
  return ForSystem();
}

int WindowDpi::SystemMetric(int index, int dpi) const {
  if (getSystemMetricsForDpi_ != nullptr) return getSystemMetricsForDpi_(index, static_cast<UINT>(DpiScale(dpi).dpi()));
  // The system's own metrics are for its DPI.
  return ::MulDiv(::GetSystemMetrics(index), DpiScale(dpi).dpi(), ForSystem());
}

LOGFONTW WindowDpi::SystemFontAt(const LOGFONTW& font, int dpi) const {
  LOGFONTW scaled = font;
  const int system = ForSystem();
  scaled.lfHeight = ::MulDiv(font.lfHeight, DpiScale(dpi).dpi(), system);
  scaled.lfWidth = ::MulDiv(font.lfWidth, DpiScale(dpi).dpi(), system);
  return scaled;
}

bool WindowDpi::KeepDialogSize(HWND dialog) const {
  constexpr int kDisableResize = 0x0002;  // DDC_DISABLE_RESIZE
  if (setDialogDpiChangeBehavior_ == nullptr || dialog == nullptr) return false;
  return setDialogDpiChangeBehavior_(dialog, kDisableResize, kDisableResize) != FALSE;
}

HICON WindowDpi::LoadIconAt(HINSTANCE module, UINT id, int size) const {
  if (loadIconWithScaleDown_ != nullptr) {
    HICON icon = nullptr;
    if (SUCCEEDED(loadIconWithScaleDown_(module, MAKEINTRESOURCEW(id), size, size, &icon)) && icon != nullptr)
      return icon;
  }
  return static_cast<HICON>(::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}
