#include "face/clock_face.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "face/countdown_face.h"
#include "win/bitmap_canvas.h"
#include "win/wide_text.h"
#include "face/scoped_locale.h"

namespace {

std::tm Moment() {
  std::tm t{};
  t.tm_year = 126; t.tm_mon = 11; t.tm_mday = 10; t.tm_hour = 9; t.tm_min = 5; t.tm_sec = 7;
  t.tm_wday = 4; t.tm_yday = 343;
  return t;
}

constexpr int kDpi = DpiScale::kBaseDpi;

struct Block {
  SIZE size;   // DrawText's measured block
  RECT lit;    // lit pixels when the block is drawn at (0, 0)
};

// Draws `text` the way the face does, but at the origin, to learn its extent and ink.
Block Reference(const ClockFace& face, const std::string& text, int dpi = kDpi) {
  BitmapCanvas canvas(1200, 300);
  canvas.Fill(face.backColour);
  const LOGFONTW made = face.FontAtDpi(dpi);
  FontHandle font(::CreateFontIndirectW(&made));
  SelectGuard select(canvas.dc(), font.get());
  ::SetBkMode(canvas.dc(), TRANSPARENT);
  ::SetTextColor(canvas.dc(), face.textColour);
  const std::wstring wide = WideText::From(text);
  RECT r{0, 0, 0, 0};
  ::DrawTextW(canvas.dc(), wide.data(), static_cast<int>(wide.size()), &r, face.flagDT | DT_CALCRECT);
  ::DrawTextW(canvas.dc(), wide.data(), static_cast<int>(wide.size()), &r, face.flagDT);
  return {{r.right - r.left, r.bottom - r.top}, canvas.LitBounds(face.backColour)};
}

TEST(ClockFaceDraw, BlockLandsWhereTheCentringArithmeticSays) {
  // At the DPI it is drawn for: the stored 96-DPI font made for that DPI.
  for (const int dpi : {96, 144}) {
    ClockFace face;
    face.format = "%H:%M";
    const Block ref = Reference(face, "09:05", dpi);
    ASSERT_GT(ref.size.cx, 0) << dpi;
    BitmapCanvas canvas(400, 200);
    face.Draw(canvas.dc(), RECT{0, 0, 400, 200}, dpi, Moment(), 0);
    const int dx = (402 - ref.size.cx) / 2;
    const int dy = (202 - ref.size.cy) / 2;
    const RECT lit = canvas.LitBounds(face.backColour);
    EXPECT_EQ(lit.left, ref.lit.left + dx) << dpi;
    EXPECT_EQ(lit.right, ref.lit.right + dx) << dpi;
    EXPECT_EQ(lit.top, ref.lit.top + dy) << dpi;
    EXPECT_EQ(lit.bottom, ref.lit.bottom + dy) << dpi;
    EXPECT_EQ(canvas.Pixel(0, 0), face.backColour) << dpi;
    EXPECT_EQ(canvas.Pixel(399, 199), face.backColour) << dpi;
    const Block at96 = Reference(face, "09:05");
    EXPECT_NEAR((lit.bottom - lit.top) * 96, (at96.lit.bottom - at96.lit.top) * dpi, dpi) << "scaled ink";
  }
}

TEST(ClockFaceDraw, BlockOffsetByTheRectangleOrigin) {
  ClockFace face;
  face.format = "%H:%M";
  const Block ref = Reference(face, "09:05");
  BitmapCanvas canvas(400, 200);
  canvas.Fill(RGB(0, 0, 255));
  face.Draw(canvas.dc(), RECT{50, 20, 350, 180}, kDpi, Moment(), 0);
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
  face.Draw(canvas.dc(), RECT{0, 0, 400, 200}, kDpi, Moment(), 0);
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
  face.Draw(plain.dc(), RECT{0, 0, 400, 200}, kDpi, Moment(), 0);
  face.options.inverted = true;
  BitmapCanvas inverted(400, 200);
  face.Draw(inverted.dc(), RECT{0, 0, 400, 200}, kDpi, Moment(), 0);
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
  face.Draw(canvas.dc(), RECT{0, 0, 400, 200}, kDpi, Moment(), 0);
  const RECT lit = canvas.LitBounds(face.backColour);
  EXPECT_EQ(lit.right, -1) << "no pixel may differ from the background";
}

TEST(ClockFaceDraw, RightAlignedLinesShareTheRightEdge) {
  ClockFace face;
  face.flagDT = DT_RIGHT;
  face.format = "%A\r\n%H:%M";
  BitmapCanvas canvas(400, 200);
  face.Draw(canvas.dc(), RECT{0, 0, 400, 200}, kDpi, Moment(), 0);
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
  face.Draw(canvas.dc(), RECT{0, 0, 400, 200}, kDpi, Moment(), 0);
  EXPECT_EQ(::GetCurrentObject(canvas.dc(), OBJ_FONT), fontBefore);
  EXPECT_EQ(::GetCurrentObject(canvas.dc(), OBJ_BRUSH), brushBefore);
}

std::wstring LocaleText(LCID locale, LCTYPE what) {
  wchar_t text[128] = {};
  ::GetLocaleInfoW(locale, what, text, 128);
  return text;
}

// Draws `text` wide where the face would put it.
void DrawReference(const ClockFace& face, HDC dc, const std::wstring& text) {
  const LOGFONTW made = face.FontAtDpi(DpiScale::kBaseDpi);
  FontHandle font(::CreateFontIndirectW(&made));
  SelectGuard select(dc, font.get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, face.textColour);
  RECT r{0, 0, 400, 200};
  ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r, face.flagDT | DT_CALCRECT);
  ::OffsetRect(&r, (402 - (r.right - r.left)) / 2, (202 - (r.bottom - r.top)) / 2);
  ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r, face.flagDT);
}

TEST(ClockFaceDraw, NamesInTheUsersLanguageWhateverTheSystemCodePage) {
  // A user whose region differs from the system's language: the runtime's names come
  // in code page 932 while the stored format and the system are code page 1252. Drawn
  // narrow, the Shift-JIS bytes of the names showed as Latin letters.
  const struct {
    const char* runtimeLocale;
    LCID lcid;
  } cases[] = {{"Japanese_Japan.932", MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT)},
               {"Russian_Russia.1251", MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA), SORT_DEFAULT)}};
  for (const auto& c : cases) {
    ScopedLocale locale(c.runtimeLocale);
    ASSERT_TRUE(locale.ok()) << c.runtimeLocale;
    ClockFace face;
    face.format = "%B %A";
    // The locale's own names for December and Thursday, from the system.
    const std::wstring expected =
        LocaleText(c.lcid, LOCALE_SMONTHNAME12) + L" " + LocaleText(c.lcid, LOCALE_SDAYNAME4);
    ASSERT_GT(expected.size(), 2u) << c.runtimeLocale;
    EXPECT_EQ(face.ExpandTextWide(Moment(), 0), expected) << c.runtimeLocale;
    EXPECT_EQ(face.ExpandText(Moment(), 0), WideText::ToUtf8(expected)) << c.runtimeLocale << ": UTF-8";

    BitmapCanvas drawn(400, 200), reference(400, 200);
    face.Draw(drawn.dc(), RECT{0, 0, 400, 200}, kDpi, Moment(), 0);
    reference.Fill(face.backColour);
    DrawReference(face, reference.dc(), expected);
    int different = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 400; ++x) different += drawn.Pixel(x, y) != reference.Pixel(x, y);
    EXPECT_EQ(different, 0) << c.runtimeLocale;
    EXPECT_GT(drawn.LitBounds(face.backColour).right, 0) << c.runtimeLocale;
  }
  // The format's own text is UTF-8 whatever the code pages, beside the locale's names.
  {
    ScopedLocale locale("Japanese_Japan.932");
    ClockFace face;
    face.format = "\xC3\xA9t\xC3\xA9 %Y \xF0\x9F\x95\x92";  // "été %Y 🕒"
    EXPECT_EQ(face.ExpandTextWide(Moment(), 0), L"\u00e9t\u00e9 2026 \xD83D\xDD52");
  }
}

TEST(CountdownFace, SubstitutesItsCountdownAndKeepsTheFormat) {
  CountdownFace face(119);  // "Remaining %Q minutes and %q seconds !"
  TickCountdown countdown{300000, 1000};
  face.countdown = countdown;
  EXPECT_EQ(face.ExpandText(Moment(), 1000 + 174500), "Remaining 2 minutes and 5 seconds !");
  EXPECT_EQ(face.ExpandTextWide(Moment(), 1000 + 174500), L"Remaining 2 minutes and 5 seconds !");
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
