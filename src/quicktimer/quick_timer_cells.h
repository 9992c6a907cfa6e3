// Where the cells of running QuickTimers lie on the clock window, which one a
// point hits, and what a cell's tooltip says.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "face/tick_countdown.h"
#include "win/dpi_scale.h"

class QuickTimerCells {
 public:
  struct Rect {
    std::int32_t left, top, right, bottom;
    bool Contains(std::int32_t x, std::int32_t y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
  };

  // At 96 DPI; every size is scaled to the DPI of the window the cells are on.
  static constexpr std::int32_t kCellSize = 20;
  static constexpr std::int32_t kPitch = 21;  // a one-pixel gap between cells and between rows
  static constexpr std::int32_t kPictureSize = 16;

  struct Metrics {
    std::int32_t cell;     // a cell is this wide and tall
    std::int32_t pitch;    // from one cell to the next, across and down
    std::int32_t margin;   // from the client's left edge (and the centred top) to the first cell
    std::int32_t picture;  // the square picture in a cell
    std::int32_t inset;    // the picture's offset in a raised cell
    std::int32_t pressedInset;  // and in a pressed one
    bool operator==(const Metrics&) const = default;
  };
  static Metrics MetricsAt(DpiScale scale);

  // Cell `index` in the client rectangle: rows of the cells that fit across whole, one
  // at the least; none when the client is narrower than a cell.
  static std::optional<Rect> CellRect(std::int32_t index, const Rect& client, DpiScale scale = DpiScale());
  // The first of `count` cells containing the point, or -1.
  static std::int32_t HitTest(std::int32_t x, std::int32_t y, const Rect& client, std::int32_t count,
                              DpiScale scale = DpiScale());
  // Whole seconds left, truncated.
  static std::string TooltipText(const TickCountdown& countdown, std::uint32_t now);
};
