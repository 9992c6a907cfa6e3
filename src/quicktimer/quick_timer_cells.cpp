#include "quicktimer/quick_timer_cells.h"

#include <algorithm>

QuickTimerCells::Metrics QuickTimerCells::MetricsAt(DpiScale scale) {
  return Metrics{scale.Scale(kCellSize), scale.Scale(kPitch),        scale.Scale(2),
                 scale.Scale(kPictureSize), scale.Scale(2), scale.Scale(3)};
}

std::optional<QuickTimerCells::Rect> QuickTimerCells::CellRect(std::int32_t index, const Rect& client,
                                                               DpiScale scale) {
  const Metrics m = MetricsAt(scale);
  const std::int32_t width = client.right - client.left;
  if (width < m.cell || index < 0) return std::nullopt;
  // Cell c ends at pitch c + margin + cell: a row takes the cells that end inside the width
  // (one at the least), so none is drawn beyond the window, out of reach.
  const std::int32_t perRow = std::max<std::int32_t>(1, (width - m.margin - m.cell) / m.pitch + 1);
  const std::int32_t column = index % perRow;
  const std::int32_t row = index / perRow;
  Rect cell{};
  cell.left = client.left + m.pitch * column + m.margin;
  cell.right = cell.left + m.cell;
  // The first row is centred vertically; further rows follow below it, never over it.
  cell.top = client.top + (client.bottom - client.top - m.cell) / 2 + m.pitch * row + m.margin;
  cell.bottom = cell.top + m.cell;
  return cell;
}

std::int32_t QuickTimerCells::HitTest(std::int32_t x, std::int32_t y, const Rect& client, std::int32_t count,
                                      DpiScale scale) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::optional<Rect> cell = CellRect(i, client, scale);
    if (!cell) return -1;
    if (cell->Contains(x, y)) return i;
  }
  return -1;
}

std::string QuickTimerCells::TooltipText(const TickCountdown& countdown, std::uint32_t now) {
  return std::to_string(countdown.Remaining(now) / 1000);
}
