#include "quicktimer/quick_timer_cells.h"

#include <algorithm>

std::optional<QuickTimerCells::Rect> QuickTimerCells::CellRect(std::int32_t index, const Rect& client) {
  const std::int32_t width = client.right - client.left;
  if (width < kCellSize || index < 0) return std::nullopt;
  // Cell c ends at 21 c + 22: a row takes the cells that end inside the width
  // (one at the least), so none is drawn beyond the window, out of reach.
  const std::int32_t perRow = std::max<std::int32_t>(1, (width - 1) / kPitch);
  const std::int32_t column = index % perRow;
  const std::int32_t row = index / perRow;
  Rect cell{};
  cell.left = client.left + kPitch * column + 2;
  cell.right = cell.left + kCellSize;
  // The first row is centred vertically; further rows follow below it, never over it.
  cell.top = client.top + (client.bottom - client.top - kCellSize) / 2 + kPitch * row + 2;
  cell.bottom = cell.top + kCellSize;
  return cell;
}

std::int32_t QuickTimerCells::HitTest(std::int32_t x, std::int32_t y, const Rect& client, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::optional<Rect> cell = CellRect(i, client);
    if (!cell) return -1;
    if (cell->Contains(x, y)) return i;
  }
  return -1;
}

std::string QuickTimerCells::TooltipText(const TickCountdown& countdown, std::uint32_t now) {
  return std::to_string(countdown.Remaining(now) / 1000);
}
