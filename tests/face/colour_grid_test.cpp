#include "face/colour_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "face/colour_button.h"
#include "win/bitmap_canvas.h"
#include "win/window.h"

namespace {

constexpr UINT kFirst = ColourButton::kFirstCellId;

std::vector<int> CheckedCells(const ColourGrid& grid) {
  std::vector<int> checked;
  for (int i = 0; i < ColourGrid::kCells; ++i)
    if (::GetMenuState(grid.menu(), kFirst + static_cast<UINT>(i), MF_BYCOMMAND) & MF_CHECKED) checked.push_back(i);
  return checked;
}

TEST(ColourGridTest, CellsArePaletteSystemColoursAndTheOtherMarker) {
  ColourGrid grid;
  EXPECT_EQ(grid.Cell(0), RGB(0, 0, 0));
  EXPECT_EQ(grid.Cell(13), RGB(255, 0, 0));
  EXPECT_EQ(grid.Cell(19), RGB(255, 255, 255));
  EXPECT_EQ(grid.Cell(20), ::GetSysColor(COLOR_MENU));
  EXPECT_EQ(grid.Cell(21), ::GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(grid.Cell(22), ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(grid.Cell(23), ColourGrid::kOtherColour);
}

TEST(ColourGridTest, ChecksTheFirstCellOfTheCurrentColourOrTheOtherCell) {
  ColourGrid probe;
  // The window colour is also a palette colour (white), so two cells show it.
  const COLORREF shared = probe.Cell(21);
  int first = 0;
  while (probe.Cell(first) != shared) ++first;
  ASSERT_LT(first, 21) << "the system's window colour should repeat a palette cell";
  struct Case {
    const char* name;
    COLORREF current;
    int checked;
  } const cases[] = {
      {"a colour of no cell", RGB(1, 2, 3), ColourGrid::kOtherCell},
      {"the marker itself", ColourGrid::kOtherColour, ColourGrid::kOtherCell},
      {"a colour shown by two cells", shared, first},
      {"black, the first cell", RGB(0, 0, 0), 0},
      {"a plain palette colour", RGB(255, 0, 0), 13},
  };
  for (const Case& c : cases) {
    ColourGrid grid;
    ASSERT_TRUE(grid.Build(kFirst, c.current, 16)) << c.name;
    EXPECT_EQ(::GetMenuItemCount(grid.menu()), ColourGrid::kCells) << c.name;
    EXPECT_EQ(CheckedCells(grid), std::vector<int>{c.checked}) << c.name;
  }
}

TEST(ColourGridTest, FourColumnsOfSixCellsMeasuringTwelveByTwenty) {
  ColourGrid grid;
  ASSERT_TRUE(grid.Build(kFirst, 0, 16));
  for (int i = 0; i < ColourGrid::kCells; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    ASSERT_TRUE(::GetMenuItemInfoA(grid.menu(), static_cast<UINT>(i), TRUE, &info));
    EXPECT_EQ(info.wID, kFirst + static_cast<UINT>(i));
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
    EXPECT_EQ((info.fType & MFT_MENUBREAK) != 0, i % 6 == 0 && i != 0) << "cell " << i;
    // The item data: the cell's name as assistive technology reads it, then its colour.
    const auto* entry = reinterpret_cast<const ColourGrid::Entry*>(info.dwItemData);
    EXPECT_EQ(entry->colour, grid.Cell(i));
    EXPECT_EQ(entry->accessible.dwMSAASignature, static_cast<DWORD>(MSAA_MENU_SIG));
    EXPECT_EQ(std::wstring(entry->accessible.pszWText, entry->accessible.cchWText), grid.Name(i));
  }
  const COLORREF red = grid.Cell(1);
  EXPECT_EQ(grid.Name(1), L"Red " + std::to_wstring(GetRValue(red)) + L", green " + std::to_wstring(GetGValue(red)) +
                              L", blue " + std::to_wstring(GetBValue(red)));
  EXPECT_EQ(grid.Name(ColourGrid::kOtherCell), L"Other colour...");
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  grid.MeasureItem(&measure);
  EXPECT_EQ(measure.itemWidth, 12u);
  EXPECT_EQ(measure.itemHeight, 20u);
}

// A parent window with one owner-drawn button taken over by a ColourButton;
// the parent notes the change notifications it receives.
class ButtonFixture : public testing::Test {
 protected:
  static constexpr int kButtonId = 1000;

  struct Parent : Window {
    ColourButton* button = nullptr;
    std::vector<COLORREF> seen;  // the button's colour at each notification
    bool fromTheButton = true;   // every notification named the button's id and handle
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_COMMAND && HIWORD(wParam) == ColourButton::kColourChanged) {
        seen.push_back(button->GetColour());
        fromTheButton = fromTheButton && LOWORD(wParam) == kButtonId &&
                        reinterpret_cast<HWND>(lParam) == button->hwnd();
        return 0;
      }
      return Default();
    }
  };

  void SetUp() override {
    ASSERT_TRUE(parent.Create(0, "parent", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr));
    HWND control = ::CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 10, 66, 21,
                                     parent.hwnd(), reinterpret_cast<HMENU>(kButtonId), nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    ASSERT_TRUE(button.SubclassItem(parent.hwnd(), kButtonId));
    parent.button = &button;
  }

  static void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }

  void Choose(int cell) {
    ::SendMessageA(button.hwnd(), WM_COMMAND, kFirst + static_cast<UINT>(cell), 0);
  }

  Parent parent;
  ColourButton button;
};

TEST_F(ButtonFixture, ChoosingACellStoresItsColourThenNotifiesItsParentOnce) {
  ColourGrid grid;
  for (int cell : {13, 0, 22}) {
    parent.seen.clear();
    Choose(cell);
    EXPECT_EQ(button.GetColour(), grid.Cell(cell)) << "cell " << cell;
    EXPECT_EQ(parent.seen, std::vector<COLORREF>{grid.Cell(cell)}) << "cell " << cell << ": told at once";
    Pump();
    EXPECT_EQ(parent.seen.size(), 1u) << "cell " << cell;
  }
  EXPECT_TRUE(parent.fromTheButton);
}

TEST_F(ButtonFixture, TheOtherCellDefersTheColourDialogWithoutAChange) {
  button.SetColour(RGB(1, 2, 3));
  Choose(ColourGrid::kOtherCell);
  MSG msg;
  ASSERT_TRUE(::PeekMessageA(&msg, button.hwnd(), ColourButton::kColourDialogMessage,
                             ColourButton::kColourDialogMessage, PM_REMOVE))
      << "the colour dialog is asked for by a posted message, after the grid has closed";
  EXPECT_EQ(msg.wParam, 24u);
  Pump();
  EXPECT_EQ(button.GetColour(), RGB(1, 2, 3));
  EXPECT_TRUE(parent.seen.empty());
}

// Ends the colour dialog that the button opens, through the thread's own timer.
HWND g_ownerOfDialog = nullptr;
WPARAM g_dialogAnswer = IDOK;
BOOL CALLBACK EndColourDialog(HWND window, LPARAM found) {
  char cls[16] = {};
  ::GetClassNameA(window, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && ::IsWindowVisible(window) && ::GetWindow(window, GW_OWNER) == g_ownerOfDialog) {
    ::PostMessageA(window, WM_COMMAND, g_dialogAnswer, 0);
    *reinterpret_cast<bool*>(found) = true;
    return FALSE;
  }
  return TRUE;
}
void CALLBACK ColourDialogTimer(HWND, UINT, UINT_PTR id, DWORD) {
  bool found = false;
  ::EnumThreadWindows(::GetCurrentThreadId(), EndColourDialog, reinterpret_cast<LPARAM>(&found));
  if (found) ::KillTimer(nullptr, id);
}

TEST_F(ButtonFixture, TheColourDialogNotifiesOnlyAfterOk) {
  g_ownerOfDialog = parent.hwnd();
  for (WPARAM answer : {WPARAM{IDCANCEL}, WPARAM{IDOK}}) {
    parent.seen.clear();
    button.SetColour(RGB(10, 20, 30));
    g_dialogAnswer = answer;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, ColourDialogTimer);
    ::SendMessageA(button.hwnd(), ColourButton::kColourDialogMessage, 24, 24);
    ::KillTimer(nullptr, timer);
    Pump();
    EXPECT_EQ(button.GetColour(), RGB(10, 20, 30));
    EXPECT_EQ(parent.seen.size(), answer == IDOK ? 1u : 0u) << (answer == IDOK ? "OK" : "Cancel");
  }
}

TEST_F(ButtonFixture, DrawsItselfThroughItsParentsDrawMessage) {
  button.SetColour(RGB(255, 0, 0));
  struct Case {
    const char* name;
    UINT state;
    COLORREF ground;  // inside the swatch frame, around the colour square
  } const cases[] = {{"enabled", 0, RGB(255, 255, 255)}, {"disabled", ODS_DISABLED, RGB(0xC0, 0xC0, 0xC0)}};
  for (const Case& c : cases) {
    BitmapCanvas canvas(66, 21);
    canvas.Fill(RGB(0, 0, 255));
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = kButtonId;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = c.state;
    item.hwndItem = button.hwnd();
    item.hDC = canvas.dc();
    item.rcItem = RECT{0, 0, 66, 21};
    EXPECT_EQ(::SendMessageA(parent.hwnd(), WM_DRAWITEM, kButtonId, reinterpret_cast<LPARAM>(&item)), TRUE) << c.name;
    // Swatch: (0,0)-(50,21) outlined, inset one pixel, colour square inset three more.
    EXPECT_EQ(canvas.Pixel(25, 10), RGB(255, 0, 0)) << c.name;
    EXPECT_EQ(canvas.Pixel(4, 4), RGB(0x80, 0x80, 0x80)) << c.name << ": grey frame of the colour square";
    EXPECT_EQ(canvas.Pixel(3, 10), c.ground) << c.name;
    EXPECT_NE(canvas.Pixel(58, 10), RGB(0, 0, 255)) << c.name << ": the arrow box is drawn";
  }
}

}  // namespace
