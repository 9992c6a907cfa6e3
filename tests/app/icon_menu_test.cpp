#include "app/icon_menu.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "resource.h"
#include "win/bitmap_canvas.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

namespace {

constexpr UINT kWord = 1;
constexpr UINT kPlain = 2;
constexpr UINT kPictured = 3;

// A popup with a word-and-accelerator item, a plain item, an item with a picture and a submenu.
HMENU SampleMenu() {
  HMENU menu = ::CreatePopupMenu();
  ::AppendMenuA(menu, MF_STRING, kWord, "Word\tCtrl+W");
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu, MF_STRING, kPlain, "Plain");
  ::AppendMenuA(menu, MF_STRING | MF_CHECKED, kPictured, "Pictured");
  HMENU sub = ::CreatePopupMenu();
  ::AppendMenuA(sub, MF_STRING, kPlain, "Plain");
  ::AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "More");
  return menu;
}

SIZE TextExtent(HFONT font, const char* text) {
  MemoryDcHandle dc(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
  SelectGuard select(dc.get(), font);
  RECT r{0, 0, 0, 0};
  ::DrawTextA(dc.get(), text, -1, &r, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

FontHandle SystemMenuFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  return FontHandle(::CreateFontIndirectA(&metrics.lfMenuFont));
}

TEST(IconMenu, AcceleratorColumnAndPictureColumnInTheWidth) {
  FontHandle font(::CreateFontA(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma"));
  MemoryDcHandle dc(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
  SelectGuard select(dc.get(), font.get());
  const SIZE word = TextExtent(font.get(), "Word");
  ASSERT_GT(word.cx, 0);
  EXPECT_EQ(IconMenu::MeasureText(dc.get(), "Word\tCtrl+W", false).cx, word.cx + 50 + 18);
  EXPECT_EQ(IconMenu::MeasureText(dc.get(), "Word", false).cx, word.cx + 18);
  EXPECT_EQ(IconMenu::MeasureText(dc.get(), "Word", true).cx, word.cx + 18 + 16);
  // A tab at the very start is no accelerator separator: the whole text is measured.
  EXPECT_EQ(IconMenu::MeasureText(dc.get(), "\tWord", false).cx, TextExtent(font.get(), "\tWord").cx + 18);
}

TEST(IconMenu, HeightIsTheTextPlusTwoAndAtLeastEighteen) {
  MemoryDcHandle dc(::CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
  bool sawSmall = false;
  bool sawLarge = false;
  for (int cell : {12, 14, 17, 20, 30}) {
    // A positive height asks for the cell height, which is what DrawText measures.
    FontHandle font(::CreateFontA(cell, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_TT_ONLY_PRECIS, 0, 0, 0,
                                  "Tahoma"));
    SelectGuard select(dc.get(), font.get());
    RECT r{0, 0, 0, 0};
    ::DrawTextA(dc.get(), "Word", -1, &r, DT_CALCRECT | DT_NOCLIP | DT_EXPANDTABS | DT_SINGLELINE);
    const int text = r.bottom - r.top;
    if (cell == 12) EXPECT_EQ(text, 12);
    sawSmall = sawSmall || text + 2 < 18;
    sawLarge = sawLarge || text + 2 > 18;
    EXPECT_EQ(IconMenu::MeasureText(dc.get(), "Word", false).cy, std::max(text + 2, 18)) << cell;
  }
  EXPECT_TRUE(sawSmall && sawLarge);
}

TEST(IconMenu, ConvertsEveryItemAndMeasuresInTheMenuFont) {
  {
    IconMenu menu;
    menu.Attach(SampleMenu());
    menu.MakeOwnerDrawn();
    // The two "Plain" items share one record; the separator gets none.
    EXPECT_EQ(IconMenu::ItemCount(), 4u);
    for (int position : {0, 2, 3, 4}) {
      MENUITEMINFOA info{};
      info.cbSize = sizeof(info);
      info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU | MIIM_STATE | MIIM_ID;
      ASSERT_TRUE(::GetMenuItemInfoA(menu.menu(), position, TRUE, &info));
      EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << position;
      EXPECT_NE(info.dwItemData, 0u) << position;
      if (position == 3) EXPECT_TRUE(info.fState & MFS_CHECKED) << "the state survives";
      if (position == 4) {
        EXPECT_NE(info.hSubMenu, nullptr) << "the submenu survives";
        EXPECT_TRUE(reinterpret_cast<const IconMenuItem::ItemData*>(info.dwItemData)->item->submenu);
      }
    }

    FontHandle font = SystemMenuFont();
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = kWord;  // no item data: found by command
    menu.MeasureItem(&measure);
    EXPECT_EQ(measure.itemWidth, static_cast<UINT>(TextExtent(font.get(), "Word").cx + 50 + 18));
    EXPECT_GE(measure.itemHeight, 18u);

    measure = MEASUREITEMSTRUCT{};
    measure.CtlType = ODT_MENU;
    measure.itemID = 999;  // no such record: nothing is measured
    menu.MeasureItem(&measure);
    EXPECT_EQ(measure.itemWidth, 0u);

    EXPECT_FALSE(menu.SetItemPicture(999, IDI_EXIT, IconMenu::kIcon));
    EXPECT_FALSE(menu.SetItemPicture(kPictured, IDI_EXIT, 3));
    EXPECT_FALSE(menu.SetItemPicture(kPictured, 9999, IconMenu::kIcon));
    EXPECT_FALSE(menu.SetCheckImage(IDI_CHECK, 0));
    EXPECT_TRUE(menu.SetItemPicture(kPictured, IDI_EXIT, IconMenu::kIcon));
    EXPECT_TRUE(IconMenu::FindItem(kPictured)->HasPicture());
  }
  EXPECT_EQ(IconMenu::LiveCount(), 0);
  EXPECT_EQ(IconMenu::ItemCount(), 0u) << "the records go with the last icon menu";
}

TEST(IconMenu, RecordsAreSharedWhileAnyIconMenuLives) {
  IconMenu first;
  first.Attach(SampleMenu());
  first.MakeOwnerDrawn();
  HICON icon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELTA), IMAGE_ICON,
                                               16, 16, LR_DEFAULTCOLOR));
  ASSERT_TRUE(first.SetItemIcon(kPlain, icon, false));
  {
    IconMenu second;
    second.Attach(SampleMenu());
    second.MakeOwnerDrawn();
    EXPECT_EQ(IconMenu::ItemCount(), 4u);
    EXPECT_EQ(IconMenu::FindItem(kPlain)->picture(), icon);
    EXPECT_EQ(IconMenu::LiveCount(), 2);
  }
  EXPECT_EQ(IconMenu::LiveCount(), 1);
  EXPECT_EQ(IconMenu::ItemCount(), 4u);
  first.SetItemIcon(kPlain, nullptr, false);
  ICONINFO info{};
  EXPECT_TRUE(::GetIconInfo(icon, &info)) << "an icon that is not owned is not destroyed";
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  ::DestroyIcon(icon);
}

// Draws one item of a 160 x 20 rectangle at (0, 0) into a canvas filled with `ground`.
void DrawOne(const IconMenu& menu, BitmapCanvas& canvas, UINT command, UINT state, UINT action, COLORREF ground) {
  canvas.Fill(ground);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.itemID = command;
  draw.itemAction = action;
  draw.itemState = state;
  draw.hDC = canvas.dc();
  draw.rcItem = RECT{0, 0, 160, 20};
  menu.DrawItem(&draw);
}

int CountColour(const BitmapCanvas& canvas, RECT area, COLORREF colour) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += canvas.Pixel(x, y) == colour;
  return n;
}

TEST(IconMenuDraw, CheckedItemWithItsIconIsAPressedFrameUnlessHighlighted) {
  IconMenu menu;
  menu.Attach(SampleMenu());
  menu.MakeOwnerDrawn();
  ASSERT_TRUE(menu.SetItemPicture(kPictured, IDI_VERSION, IconMenu::kIcon));
  const COLORREF ground = RGB(10, 80, 10);
  const COLORREF iconBlue = RGB(40, 100, 210);
  BitmapCanvas canvas(160, 20);

  DrawOne(menu, canvas, kPictured, 0, ODA_DRAWENTIRE, ground);
  EXPECT_EQ(canvas.Pixel(4, 9), iconBlue) << "the picture sits in the box at (1, 1)";
  EXPECT_EQ(canvas.Pixel(0, 0), ground);
  EXPECT_EQ(canvas.Pixel(150, 10), ground);

  DrawOne(menu, canvas, kPictured, ODS_CHECKED, ODA_DRAWENTIRE, ground);
  EXPECT_EQ(canvas.Pixel(4, 9), iconBlue) << "drawn again over the frame";
  EXPECT_NE(canvas.Pixel(0, 0), ground) << "the frame covers the whole item";
  EXPECT_NE(canvas.Pixel(159, 19), ground);
  EXPECT_EQ(CountColour(canvas, RECT{100, 2, 158, 18}, ground), 0);

  DrawOne(menu, canvas, kPictured, ODS_CHECKED | ODS_SELECTED, ODA_SELECT, ground);
  EXPECT_EQ(canvas.Pixel(4, 9), iconBlue);
  EXPECT_EQ(canvas.Pixel(150, 10), ::GetSysColor(COLOR_HIGHLIGHT)) << "highlighted, not pressed";
}

TEST(IconMenuDraw, CheckedItemWithoutPictureShowsTheCheckImageOrACheckBox) {
  IconMenu menu;
  menu.Attach(SampleMenu());
  menu.MakeOwnerDrawn();
  const COLORREF ground = RGB(10, 80, 10);
  BitmapCanvas canvas(160, 20);
  const RECT box{1, 1, 18, 19};
  const RECT gap{18, 0, 22, 20};  // between the picture column and the text

  DrawOne(menu, canvas, kPlain, ODS_CHECKED, ODA_DRAWENTIRE, ground);
  EXPECT_LT(CountColour(canvas, box, ground), 17 * 18 / 2) << "a check box fills the picture box";
  EXPECT_EQ(CountColour(canvas, gap, ground), 4 * 20);

  ASSERT_TRUE(menu.SetCheckImage(IDI_CHECK, IconMenu::kIcon));
  DrawOne(menu, canvas, kPlain, ODS_CHECKED, ODA_DRAWENTIRE, ground);
  EXPECT_GT(CountColour(canvas, box, RGB(0, 0, 0)), 15) << "the black tick of icon 134";
  EXPECT_GT(CountColour(canvas, box, ground), 17 * 18 / 2) << "around it the ground shows";
}

TEST(IconMenuDraw, AcceleratorTextStartsFiftyPixelsBeforeTheRightEdge) {
  IconMenu menu;
  menu.Attach(SampleMenu());
  menu.MakeOwnerDrawn();
  const COLORREF ground = RGB(250, 250, 250);
  BitmapCanvas canvas(160, 20);
  DrawOne(menu, canvas, kWord, 0, ODA_DRAWENTIRE, ground);
  std::vector<bool> ink(160, false);
  for (int x = 0; x < 160; ++x)
    for (int y = 0; y < 20; ++y) ink[x] = ink[x] || canvas.Pixel(x, y) != ground;
  int firstText = 0;
  while (firstText < 160 && !ink[firstText]) ++firstText;
  EXPECT_GE(firstText, 22);
  EXPECT_LE(firstText, 24);
  int firstAccelerator = 110;
  while (firstAccelerator < 160 && !ink[firstAccelerator]) ++firstAccelerator;
  EXPECT_LE(firstAccelerator, 112) << "accelerator from x = 160 - 50";
  for (int x = 75; x < 110; ++x) EXPECT_FALSE(ink[x]) << "nothing between the word and the accelerator, x " << x;
}

// An item's access key is underlined, in the Japanese "(&X)" form as in the English one, and the
// underline alone is hidden while the system hides keyboard cues (ODS_NOACCEL): never an "&" drawn.
TEST(IconMenuDraw, TheAccessKeyIsUnderlinedOrHiddenWithTheKeyboardCues) {
  const struct {
    const wchar_t* keyed;
    const wchar_t* plain;  // the same text without its access key
  } cases[] = {{L"Tr&ansparent", L"Transparent"}, {L"\x900F\x904E(&A)", L"\x900F\x904E(A)"}, {L"A && &B", L"A && B"}};
  const COLORREF ground = RGB(250, 250, 250);
  for (const auto& c : cases) {
    HMENU popup = ::CreatePopupMenu();
    ::AppendMenuW(popup, MF_STRING, 41, c.keyed);
    ::AppendMenuW(popup, MF_STRING, 42, c.plain);
    IconMenu menu;
    menu.Attach(popup);
    menu.MakeOwnerDrawn();
    BitmapCanvas plain(160, 20), hidden(160, 20), shown(160, 20);
    DrawOne(menu, plain, 42, 0, ODA_DRAWENTIRE, ground);
    DrawOne(menu, hidden, 41, ODS_NOACCEL, ODA_DRAWENTIRE, ground);
    DrawOne(menu, shown, 41, 0, ODA_DRAWENTIRE, ground);
    std::set<int> hiddenRows, shownRows;  // rows where the keyed item differs from the plain text
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 160; ++x) {
        if (hidden.Pixel(x, y) != plain.Pixel(x, y)) hiddenRows.insert(y);
        if (shown.Pixel(x, y) != plain.Pixel(x, y)) shownRows.insert(y);
      }
    EXPECT_TRUE(hiddenRows.empty()) << WideText::ToUtf8(c.keyed) << ": without cues, the plain text";
    EXPECT_FALSE(shownRows.empty()) << WideText::ToUtf8(c.keyed) << ": the key underlined";
    EXPECT_LE(shownRows.size(), 2u) << WideText::ToUtf8(c.keyed) << ": the underline and nothing else";
  }
}

TEST(IconMenuDraw, GrayedItemHasEmbossedGrayText) {
  ASSERT_FALSE(IconMenu::HighContrast()) << "the usual theme";
  IconMenu menu;
  menu.Attach(SampleMenu());
  menu.MakeOwnerDrawn();
  ASSERT_TRUE(menu.SetItemPicture(kPictured, IDI_VERSION, IconMenu::kIcon));
  const COLORREF ground = RGB(10, 10, 90);
  BitmapCanvas canvas(160, 20);
  DrawOne(menu, canvas, kPictured, ODS_GRAYED, ODA_DRAWENTIRE, ground);
  const COLORREF gray = ::GetSysColor(COLOR_GRAYTEXT);
  auto bounds = [&](COLORREF colour) {
    RECT b{160, 20, -1, -1};
    for (int y = 0; y < 20; ++y)
      for (int x = 20; x < 160; ++x)
        if (canvas.Pixel(x, y) == colour) {
          b.left = std::min<LONG>(b.left, x); b.top = std::min<LONG>(b.top, y);
          b.right = std::max<LONG>(b.right, x); b.bottom = std::max<LONG>(b.bottom, y);
        }
    return b;
  };
  const RECT white = bounds(::GetSysColor(COLOR_3DHILIGHT));  // white in the usual theme
  const RECT shade = bounds(gray);
  ASSERT_GE(white.right, 0) << "a white copy of the text";
  ASSERT_GE(shade.right, 0) << "a gray copy of the text";
  EXPECT_EQ(white.left, shade.left + 1);
  EXPECT_EQ(white.right, shade.right + 1);
  EXPECT_EQ(white.bottom, shade.bottom + 1);
  EXPECT_NE(canvas.Pixel(4, 9), RGB(40, 100, 210)) << "the picture is drawn disabled";
}

}  // namespace

namespace {

// A high-contrast scheme for the time of one test (colours and the flag), put back after it.
class HighContrastScheme {
 public:
  static constexpr COLORREF kMenu = RGB(0, 0, 0), kText = RGB(255, 255, 255), kHighlight = RGB(26, 235, 255),
                            kHighlightText = RGB(0, 0, 0), kGray = RGB(63, 242, 63);
  HighContrastScheme() {
    for (int i = 0; i < 6; ++i) saved_[i] = ::GetSysColor(kElements[i]);
    const COLORREF scheme[6] = {kMenu, kText, kHighlight, kHighlightText, kGray, RGB(255, 255, 255)};
    ::SetSysColors(6, kElements, scheme);
    HIGHCONTRASTW contrast{sizeof(contrast), HCF_HIGHCONTRASTON, nullptr};
    flagSet_ = ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0) != FALSE;
    // Wine does not keep the flag: the menu is told instead.
    if (!flagSet_) IconMenu::AssumeHighContrast(true);
  }
  ~HighContrastScheme() {
    ::SetSysColors(6, kElements, saved_);
    HIGHCONTRASTW contrast{sizeof(contrast), 0, nullptr};
    if (flagSet_) ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(contrast), &contrast, 0);
    IconMenu::AssumeHighContrast(std::nullopt);
  }
  HighContrastScheme(const HighContrastScheme&) = delete;
  HighContrastScheme& operator=(const HighContrastScheme&) = delete;
  bool flagSet() const { return flagSet_; }

 private:
  static constexpr int kElements[6] = {COLOR_MENU, COLOR_MENUTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                                       COLOR_GRAYTEXT, COLOR_3DHILIGHT};
  COLORREF saved_[6];
  bool flagSet_ = false;
};

}  // namespace

// In a high-contrast theme a grayed item must not look enabled: its text is the theme's gray
// text alone (no light embossed copy, no fixed white), on the menu or on the highlight, and a
// checked item's pressed look is a frame in the text's colour instead of a dithered button.
TEST(IconMenuDraw, EveryStateInTheSystemsColoursHighContrastIncluded) {
  HighContrastScheme scheme;
  ASSERT_TRUE(IconMenu::HighContrast());
  IconMenu menu;
  menu.Attach(SampleMenu());
  menu.MakeOwnerDrawn();
  ASSERT_TRUE(menu.SetItemPicture(kPictured, IDI_VERSION, IconMenu::kIcon));
  BitmapCanvas canvas(160, 20);
  const RECT text{20, 2, 157, 18};  // inside the highlight's edge
  using S = HighContrastScheme;
  const struct {
    const char* what;
    UINT command, state, action;
    COLORREF ink, ground;
    COLORREF absent;  // a colour no pixel of the text may have
  } cases[] = {
      {"enabled", kPlain, 0, ODA_DRAWENTIRE, S::kText, S::kMenu, S::kGray},
      {"grayed", kPlain, ODS_GRAYED, ODA_DRAWENTIRE, S::kGray, S::kMenu, S::kText},
      {"highlighted", kPlain, ODS_SELECTED, ODA_SELECT, S::kHighlightText, S::kHighlight, S::kGray},
      {"grayed and highlighted", kPlain, ODS_SELECTED | ODS_GRAYED, ODA_SELECT, S::kGray, S::kHighlight, S::kText},
  };
  for (const auto& c : cases) {
    DrawOne(menu, canvas, c.command, c.state, c.action, S::kMenu);
    EXPECT_GT(CountColour(canvas, text, c.ink), 10) << c.what << ": the text in its colour";
    EXPECT_EQ(canvas.Pixel(150, 10), c.ground) << c.what;
    EXPECT_EQ(CountColour(canvas, text, c.absent), 0) << c.what;
  }
  DrawOne(menu, canvas, kPictured, ODS_CHECKED, ODA_DRAWENTIRE, S::kMenu);
  EXPECT_EQ(canvas.Pixel(0, 0), S::kText) << "a frame in the text colour";
  EXPECT_EQ(canvas.Pixel(159, 19), S::kText);
  EXPECT_EQ(canvas.Pixel(150, 10), S::kMenu) << "no dither under the text";
}
