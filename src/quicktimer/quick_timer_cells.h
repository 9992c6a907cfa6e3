// Where the cells of running QuickTimers lie on the clock window, which one a
// point hits, and what a cell's tooltip says.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "face/tick_countdown.h"

class QuickTimerCells {
 public:
  struct Rect {
    std::int32_t left, top, right, bottom;
    bool Contains(std::int32_t x, std::int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
  };

  static constexpr std::int32_t kCellSize = 20;
  static constexpr std::int32_t kPitch = 21;  // a one-pixel gap between cells and between rows

  // Cell `index` in the client rectangle: rows of the cells that fit across whole, one
  // at the least; none when the client is narrower than a cell.
  static std::optional<Rect> CellRect(std::int32_t index, const Rect& client);
  // The first of `count` cells containing the point, or -1.
  static std::int32_t HitTest(std::int32_t x, std::int32_t y, const Rect& client, std::int32_t count);
  // Whole seconds left, truncated.
  static std::string TooltipText(const TickCountdown& countdown, std::uint32_t now);
};
