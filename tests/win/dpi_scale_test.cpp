#include "win/dpi_scale.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(DpiScale, ScalesToTheNearestPixelKeepingTheSign) {
  const struct {
    int dpi;
    int size;
    int scaled;
  } cases[] = {
      {96, 17, 17},     {120, 16, 20},   {144, 16, 24},   {192, 16, 32},   {120, 21, 26},  // 26.25
      {120, 2, 3},      {144, 1, 2},     {144, 3, 5},     {120, -25, -31}, {144, -25, -38},  // halves away from 0
      {168, -24, -42},  {144, 0, 0},     {72, 3, 2},      {0, 17, 17},     {-144, 17, 17},  // no DPI: 96
      {240, INT_MAX, INT_MAX},  {240, INT_MIN, INT_MIN},  // beyond what an int holds: kept at the ends
  };
  for (const auto& c : cases) EXPECT_EQ(DpiScale(c.dpi).Scale(c.size), c.scaled) << c.dpi << " dpi, " << c.size;
}

TEST(DpiScale, AStoredFontHeightSurvivesTheFontDialogAtAnyDpiOfAHundredPercentOrMore) {
  // Shown at the display's DPI, stored back as a 96-DPI height: the same number again.
  for (int dpi : {96, 108, 120, 144, 168, 192, 240, 288, 480}) {
    const DpiScale scale(dpi);
    for (int stored = -300; stored <= 300; ++stored)
      ASSERT_EQ(scale.StoredFontHeight(scale.FontHeightAtDpi(stored)), stored) << dpi << " dpi, " << stored;
  }
}

}  // namespace
