#include "quicktimer/quick_timer_cells.h"

#include <gtest/gtest.h>

namespace {

using Rect = QuickTimerCells::Rect;

TEST(QuickTimerCells, CellRectangles) {
  struct Case {
    const char* name;
    Rect client;
    int index;
    Rect expected;
  } const cases[] = {
      {"first cell of a 400 x 200 client", {0, 0, 400, 200}, 0, {2, 92, 22, 112}},
      {"second cell", {0, 0, 400, 200}, 1, {23, 92, 43, 112}},
      {"last cell of the first row (19 across) ends at the right edge", {0, 0, 400, 200}, 18, {380, 92, 400, 112}},
      {"first cell of the second row lies below the first row", {0, 0, 400, 200}, 19, {2, 113, 22, 133}},
      {"second row, second cell", {0, 0, 400, 200}, 20, {23, 113, 43, 133}},
      {"third row", {0, 0, 400, 200}, 38, {2, 134, 22, 154}},
      {"client not at the origin", {10, 50, 410, 250}, 1, {33, 142, 53, 162}},
      {"odd height truncates", {0, 0, 100, 41}, 0, {2, 12, 22, 32}},
      {"exactly one cell wide: one per row", {0, 0, 20, 20}, 1, {2, 23, 22, 43}},
  };
  for (const Case& c : cases) {
    const auto cell = QuickTimerCells::CellRect(c.index, c.client);
    ASSERT_TRUE(cell.has_value()) << c.name;
    EXPECT_EQ(*cell, c.expected) << c.name;
  }
}

// Cells are a pixel apart, so fewer fit across than the width holds cell
// widths: a row takes only those that end inside the client area, where they
// can be seen and pressed.
TEST(QuickTimerCells, EveryCellOfARowLiesInsideTheClientArea) {
  for (std::int32_t width = 22; width <= 450; ++width) {
    const Rect client{7, 0, 7 + width, 60};
    int across = 0;
    for (int index = 0;; ++index) {
      const auto cell = QuickTimerCells::CellRect(index, client);
      ASSERT_TRUE(cell.has_value()) << width;
      if (cell->top != QuickTimerCells::CellRect(0, client)->top) break;
      EXPECT_LE(cell->right, client.right) << "cell " << index << " of a client " << width << " wide";
      ++across;
    }
    EXPECT_EQ(across, (width - 1) / QuickTimerCells::kPitch) << width << ": as many as fit";
  }
}

TEST(QuickTimerCells, NarrowClientHasNoCells) {
  for (const Rect client : {Rect{0, 0, 19, 200}, Rect{0, 0, 0, 0}, Rect{50, 0, 10, 200}}) {
    EXPECT_FALSE(QuickTimerCells::CellRect(0, client).has_value());
    EXPECT_EQ(QuickTimerCells::HitTest(5, 100, client, 3), -1);
  }
}

TEST(QuickTimerCells, HitTest) {
  const Rect client{0, 0, 400, 200};
  struct Case {
    const char* name;
    int x, y, count, expected;
  } const cases[] = {
      {"top-left pixel of the first cell", 2, 92, 3, 0},
      {"last pixel inside the first cell", 21, 111, 3, 0},
      {"right edge of the first cell is outside", 22, 100, 3, -1},
      {"the gap between the first two cells", 22, 95, 3, -1},
      {"bottom edge is outside", 10, 112, 3, -1},
      {"second cell", 23, 92, 3, 1},
      {"third cell", 50, 100, 3, 2},
      {"a cell position with no running entry", 70, 100, 3, -1},
      {"no entries", 10, 100, 0, -1},
      {"the face above the cells", 10, 50, 3, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(QuickTimerCells::HitTest(c.x, c.y, client, c.count), c.expected) << c.name;
}

TEST(QuickTimerCells, TooltipShowsWholeSecondsLeft) {
  struct Case {
    const char* name;
    TickCountdown countdown;
    std::uint32_t now;
    const char* expected;
  } const cases[] = {
      {"90.5 s left", {180000, 1000}, 1000 + 89500, "90"},
      {"just started", {180000, 5000}, 5000, "180"},
      {"under a second", {1000, 0x10}, 0x10 + 1, "0"},
      {"expired", {1000, 100}, 5000, "0"},
      {"across the wrap of the tick counter", {60000, 0xFFFFF000}, 0x1000, "51"},
  };
  for (const Case& c : cases) EXPECT_EQ(QuickTimerCells::TooltipText(c.countdown, c.now), c.expected) << c.name;
}

}  // namespace
