#include "quicktimer/quick_timer_cells.h"

std::optional<QuickTimerCells::Rect> QuickTimerCells::CellRect(std::int32_t index, const Rect& client) {
  const std::int32_t perRow = (client.right - client.left) / kCellSize;
  if (perRow <= 0 || index < 0) return std::nullopt;
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
