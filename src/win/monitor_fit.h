// Where a window goes to lie within a monitor rectangle: the arithmetic of
// keeping a window on its monitor, apart from the calls that move it.
#pragma once

#include <cstdint>

struct ScreenRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  bool operator==(const ScreenRect&) const = default;
  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
};

class MonitorFit {
 public:
  // The position and size that keep `window` within `monitor`; false when the
  // window stays as it is. Unforced, a window moves only when it lies wholly
  // outside the monitor (a window left on a monitor that has gone comes back);
  // forced, every window that sticks out is pulled in and, when larger than the
  // monitor, cut to its size. An empty monitor rectangle moves nothing.
  static bool Place(const ScreenRect& monitor, const ScreenRect& window, bool force, ScreenRect& placed);

  // A window's own rule at start, after the displays, the work area, sleep or a lock: it stays
  // where it is while at least `minVisible` pixels of it, across and down, lie on `monitor`
  // (the whole monitor, taskbar included: a window laid over the taskbar stays there). A window
  // off the monitor, or holding only a sliver of it that no mouse can take hold of, comes back
  // wholly into `workArea`. False when the window stays.
  // Where a new window of `width` x `height` opens beside `anchor` (the clock) without covering
  // it: below it, or above it where the work area has no room below (kBelow); right of it, or
  // left of it where there is no room on the right (kRight). Along the other axis it starts
  // where the anchor starts.
  enum class Side { kBelow, kRight };
  static ScreenRect Beside(const ScreenRect& anchor, std::int32_t width, std::int32_t height,
                           const ScreenRect& workArea, Side side);

  static bool KeepInReach(const ScreenRect& monitor, const ScreenRect& workArea, const ScreenRect& window,
                          std::int32_t minVisible, ScreenRect& placed);
};
