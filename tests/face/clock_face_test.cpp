#include "face/clock_face.h"

#include <gtest/gtest.h>

#include <string>

#include "face/countdown_face.h"
#include "win/bitmap_canvas.h"

namespace {

std::tm Moment() {
  std::tm t{};
  t.tm_year = 126; t.tm_mon = 11; t.tm_mday = 10; t.tm_hour = 9; t.tm_min = 5; t.tm_sec = 7;
  t.tm_wday = 4; t.tm_yday = 343;
  return t;
}

struct Block {
  SIZE size;   // DrawText's measured block
  RECT lit;    // lit pixels when the block is drawn at (0, 0)
};

// Draws `text` the way the face does, but at the origin, to learn its extent and ink.
Block Reference(const ClockFace& face, const std::string& text) {
  BitmapCanvas canvas(1200, 300);
  canvas.Fill(face.backColour);
  FontHandle font(::CreateFontIndirectA(&face.font));
  SelectGuard select(canvas.dc(), font.get());
  ::SetBkMode(canvas.dc(), TRANSPARENT);
  ::SetTextColor(canvas.dc(), face.textColour);
  RECT r{0, 0, 0, 0};
  ::DrawTextA(canvas.dc(), text.data(), static_cast<int>(text.size()), &r, face.flagDT | DT_CALCRECT);
  ::DrawTextA(canvas.dc(), text.data(), static_cast<int>(text.size()), &r, face.flagDT);
  return {{r.right - r.left, r.bottom - r.top}, canvas.LitBounds(face.backColour)};
}

TEST(ClockFaceDraw, BlockLandsWhereTheCentringArithmeticSays) {
  ClockFace face;
  face.format = "%H:%M";
  const Block ref = Reference(face, "09:05");
  ASSERT_GT(ref.size.cx, 0);
  BitmapCanvas canvas(400, 200);
  face.DrawAt(canvas.dc(), RECT{0, 0, 400, 200}, Moment(), 0);
  const int dx = (402 - ref.size.cx) / 2;
  const int dy = (202 - ref.size.cy) / 2;
  const RECT lit = canvas.LitBounds(face.backColour);
  EXPECT_EQ(lit.left, ref.lit.left + dx);
  EXPECT_EQ(lit.right, ref.lit.right + dx);
  EXPECT_EQ(lit.top, ref.lit.top + dy);
  EXPECT_EQ(lit.bottom, ref.lit.bottom + dy);
  EXPECT_EQ(canvas.Pixel(0, 0), face.backColour);
  EXPECT_EQ(canvas.Pixel(399, 199), face.backColour);
}

TEST(ClockFaceDraw, BlockOffsetByTheRectangleOrigin) {
  ClockFace face;
  face.format = "%H:%M";
  const Block ref = Reference(face, "09:05");
  BitmapCanvas canvas(400, 200);
  canvas.Fill(RGB(0, 0, 255));
  face.DrawAt(canvas.dc(), RECT{50, 20, 350, 180}, Moment(), 0);
  // The background covers exactly the rectangle; the outline outside it is the caller's to clip.
  EXPECT_EQ(canvas.Pixel(50, 20), face.backColour);
  EXPECT_EQ(canvas.Pixel(349, 179), face.backColour);
  EXPECT_EQ(canvas.Pixel(48, 18), RGB(0, 0, 255));
  EXPECT_EQ(canvas.Pixel(351, 181), RGB(0, 0, 255));
  int firstLit = -1;
  for (int x = 50; x < 350 && firstLit < 0; ++x)
    for (int y = 20; y < 180; ++y)
      if (canvas.Pixel(x, y) != face.backColour) { firstLit = x; break; }
  EXPECT_EQ(firstLit, 50 + (302 - ref.size.cx) / 2 + ref.lit.left);
}

TEST(ClockFaceDraw, WiderBlockOverhangsBothSides) {
  ClockFace face;
  face.format = "%Y/%m/%d %A %B %H:%M:%S %Y/%m/%d";
  const std::string text = "2026/12/10 Thursday December 09:05:07 2026/12/10";
  const Block ref = Reference(face, text);
  ASSERT_GT(ref.size.cx, 420) << "the sample must be wider than the rectangle";
  BitmapCanvas canvas(400, 200);
  face.DrawAt(canvas.dc(), RECT{0, 0, 400, 200}, Moment(), 0);
  const int dx = (402 - ref.size.cx) / 2;
  EXPECT_LT(dx, 0);
  const RECT lit = canvas.LitBounds(face.backColour);
  EXPECT_EQ(lit.left, 0);
  EXPECT_EQ(lit.right, 399);
  // The ink cut away on the left and the right is about the same.
  const int cutLeft = -(ref.lit.left + dx);
  const int cutRight = ref.lit.right + dx - 399;
  EXPECT_NEAR(cutLeft, cutRight, 12);
}

TEST(ClockFaceDraw, InvertedOptionInvertsBackgroundAndText) {
  ClockFace face;
  face.format = "%H:%M";
  BitmapCanvas plain(400, 200);
  face.DrawAt(plain.dc(), RECT{0, 0, 400, 200}, Moment(), 0);
  face.option |= OptInverted;
  BitmapCanvas inverted(400, 200);
  face.DrawAt(inverted.dc(), RECT{0, 0, 400, 200}, Moment(), 0);
  for (int y = 0; y < 200; y += 3)
    for (int x = 0; x < 400; x += 3)
      ASSERT_EQ(inverted.Pixel(x, y), plain.Pixel(x, y) ^ 0xFFFFFF) << x << "," << y;
  EXPECT_EQ(inverted.Pixel(0, 0), RGB(255, 255, 255));
}

TEST(ClockFaceDraw, EmptyFormatDrawsOnlyTheBackground) {
  ClockFace face;
  face.format.clear();
  face.backColour = RGB(10, 20, 30);
  BitmapCanvas canvas(400, 200);
  face.DrawAt(canvas.dc(), RECT{0, 0, 400, 200}, Moment(), 0);
  const RECT lit = canvas.LitBounds(face.backColour);
  EXPECT_EQ(lit.right, -1) << "no pixel may differ from the background";
}

TEST(ClockFaceDraw, RightAlignedLinesShareTheRightEdge) {
  ClockFace face;
  face.flagDT = DT_RIGHT;
  face.format = "%A\r\n%H:%M";
  BitmapCanvas canvas(400, 200);
  face.DrawAt(canvas.dc(), RECT{0, 0, 400, 200}, Moment(), 0);
  const RECT lit = canvas.LitBounds(face.backColour);
  const int middle = (lit.top + lit.bottom) / 2;
  int rightTop = -1, rightBottom = -1;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 400; ++x)
      if (canvas.Pixel(x, y) != face.backColour) {
        int& edge = y < middle ? rightTop : rightBottom;
        if (x > edge) edge = x;
      }
  EXPECT_NEAR(rightTop, rightBottom, 3);
}

TEST(ClockFaceDraw, DrawLeavesTheDcAsItWas) {
  ClockFace face;
  BitmapCanvas canvas(400, 200);
  HGDIOBJ fontBefore = ::GetCurrentObject(canvas.dc(), OBJ_FONT);
  HGDIOBJ brushBefore = ::GetCurrentObject(canvas.dc(), OBJ_BRUSH);
  face.DrawAt(canvas.dc(), RECT{0, 0, 400, 200}, Moment(), 0);
  EXPECT_EQ(::GetCurrentObject(canvas.dc(), OBJ_FONT), fontBefore);
  EXPECT_EQ(::GetCurrentObject(canvas.dc(), OBJ_BRUSH), brushBefore);
}

TEST(CountdownFace, SubstitutesItsCountdownAndKeepsTheFormat) {
  CountdownFace face(119);  // "Remaining %Q minutes and %q seconds !"
  TickCountdown countdown{300000, 1000};
  face.countdown = countdown;
  EXPECT_EQ(face.ExpandText(Moment(), 1000 + 174500), "Remaining 2 minutes and 5 seconds !");
  EXPECT_EQ(face.format, "Remaining %Q minutes and %q seconds !");
  ClockFace plain(120);
  EXPECT_EQ(plain.format, "Time is Up !");
  // Copying settings never copies the countdown or the variant.
  CountdownFace other;
  other.CopySettingsFrom(face);
  EXPECT_FALSE(other.countdown.has_value());
  EXPECT_EQ(other.format, face.format);
}

}  // namespace
