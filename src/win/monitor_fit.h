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
};
