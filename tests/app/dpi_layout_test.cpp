// The sizes the windows are laid out with at the common display scales: every
// size the program gives in pixels is a 96-DPI size scaled by DPI / 96.
#include <gtest/gtest.h>

#include "app/icon_menu_metrics.h"
#include "face/face_metrics.h"
#include "quicktimer/quick_timer_cells.h"
#include "win/dpi_scale.h"

namespace {

struct ScaleCase {
  int dpi;
  ScreenRect firstStart;            // the clock's window at its first start
  int fontHeight;                   // the default font, as it is made (stored: -24)
  int menuItemHeight;               // an icon-menu item with a small font
  int menuPicture;                  // its pictures
  FaceMetrics::Size colourCell;     // a cell of the colour grid
  int cellSize;                     // a QuickTimer cell
  int cellPitch;                    // and from one cell to the next
};

TEST(DpiLayout, SizesAtTheCommonScales) {
  const ScaleCase cases[] = {
      {96, {0, 0, 400, 200}, -24, 18, 16, {12, 20}, 20, 21},
      {120, {0, 0, 500, 250}, -30, 23, 20, {15, 25}, 25, 26},
      {144, {0, 0, 600, 300}, -36, 27, 24, {18, 30}, 30, 32},
      {192, {0, 0, 800, 400}, -48, 36, 32, {24, 40}, 40, 42},
  };
  for (const ScaleCase& c : cases) {
    const DpiScale scale(c.dpi);
    const FaceMetrics face(scale);
    EXPECT_EQ(face.FirstStartRect(), c.firstStart) << c.dpi;
    EXPECT_EQ(face.DefaultFontHeight(), c.fontHeight) << c.dpi;
    EXPECT_EQ(face.GridCell(), c.colourCell) << c.dpi;

    const IconMenuMetrics menu(scale);
    EXPECT_EQ(menu.ItemSize(40, 8, false, false).height, c.menuItemHeight) << c.dpi;
    EXPECT_EQ(menu.PictureSize(), c.menuPicture) << c.dpi;

    const QuickTimerCells::Metrics cells = QuickTimerCells::MetricsAt(scale);
    EXPECT_EQ(cells.cell, c.cellSize) << c.dpi;
    EXPECT_EQ(cells.pitch, c.cellPitch) << c.dpi;
    EXPECT_GT(cells.pitch, cells.cell) << c.dpi << ": a gap between cells";
    EXPECT_LE(cells.inset + cells.picture, cells.cell) << c.dpi << ": the picture lies in its cell";
  }
}

TEST(DpiLayout, IconMenuItemsGrowWithTheirTextAndKeepTheirColumns) {
  struct Case {
    int dpi;
    int textWidth, textHeight;
    bool accelerator, submenu;
    IconMenuMetrics::Size size;
  } const cases[] = {
      {96, 40, 13, false, false, {58, 18}},   // at least 18 high; 18 for the picture column
      {96, 40, 20, true, true, {124, 22}},    // + 50 accelerator column + 16 submenu arrow; text + 2
      {144, 60, 20, false, false, {87, 27}},  // the columns scale, the measured text does not
      {144, 60, 30, true, true, {186, 33}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IconMenuMetrics(DpiScale(c.dpi)).ItemSize(c.textWidth, c.textHeight, c.accelerator, c.submenu), c.size)
        << c.dpi << " " << c.textWidth << "x" << c.textHeight;
}

TEST(DpiLayout, QuickTimerCellsAt144Dpi) {
  const QuickTimerCells::Rect client{0, 0, 600, 300};
  const DpiScale scale(144);
  EXPECT_EQ(*QuickTimerCells::CellRect(0, client, scale), (QuickTimerCells::Rect{3, 138, 33, 168}));
  EXPECT_EQ(*QuickTimerCells::CellRect(1, client, scale), (QuickTimerCells::Rect{35, 138, 65, 168}));
  EXPECT_EQ(QuickTimerCells::HitTest(32, 139, client, 2, scale), 0) << "inside the larger cell";
  EXPECT_EQ(QuickTimerCells::HitTest(34, 150, client, 2, scale), -1) << "the gap, two pixels now";
  EXPECT_EQ(QuickTimerCells::HitTest(32, 139, client, 2), -1) << "at 96 DPI that point lies above the cells";
}

}  // namespace
