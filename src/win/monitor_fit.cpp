#include "win/monitor_fit.h"

#include <algorithm>

bool MonitorFit::Place(const ScreenRect& monitor, const ScreenRect& window, bool force, ScreenRect& placed) {
  // Without monitor information there is nothing to fit into; shrinking the window to nothing would lose it.
  if (monitor.IsEmpty()) return false;
  if (!force) {
    const bool overlaps = std::max(monitor.left, window.left) < std::min(monitor.right, window.right) &&
                          std::max(monitor.top, window.top) < std::min(monitor.bottom, window.bottom);
    if (overlaps) return false;
  }
  const std::int32_t width = std::min(window.Width(), monitor.Width());
  const std::int32_t height = std::min(window.Height(), monitor.Height());
  std::int32_t x = window.left;
  if (window.left < monitor.left) x = monitor.left;
  else if (window.right > monitor.right) x = monitor.right - width;
  std::int32_t y = window.top;
  if (window.top < monitor.top) y = monitor.top;
  else if (window.bottom > monitor.bottom) y = monitor.bottom - height;
  placed = {x, y, x + width, y + height};
  return true;
}

bool MonitorFit::KeepInReach(const ScreenRect& monitor, const ScreenRect& workArea, const ScreenRect& window,
                             std::int32_t minVisible, ScreenRect& placed) {
  if (monitor.IsEmpty()) return false;
  const std::int32_t across = std::min(monitor.right, window.right) - std::max(monitor.left, window.left);
  const std::int32_t down = std::min(monitor.bottom, window.bottom) - std::max(monitor.top, window.top);
  const std::int32_t least = std::max<std::int32_t>(minVisible, 1);
  if (across >= least && down >= least) return false;
  // Without a work area the monitor itself takes the window.
  return Place(workArea.IsEmpty() ? monitor : workArea, window, true, placed);
}

ScreenRect MonitorFit::Beside(const ScreenRect& anchor, std::int32_t width, std::int32_t height,
                              const ScreenRect& workArea, Side side) {
  if (side == Side::kBelow) {
    const bool roomBelow = workArea.IsEmpty() || anchor.bottom + height <= workArea.bottom;
    const std::int32_t top = roomBelow ? anchor.bottom : anchor.top - height;
    return ScreenRect{anchor.left, top, anchor.left + width, top + height};
  }
  const bool roomRight = workArea.IsEmpty() || anchor.right + width <= workArea.right;
  const std::int32_t left = roomRight ? anchor.right : anchor.left - width;
  return ScreenRect{left, anchor.top, left + width, anchor.top + height};
}
