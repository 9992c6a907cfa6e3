// The face window base under a change of DPI: the system's suggested rectangle
// is taken when the user moves the window to a monitor of another scale, not
// when the program puts the window at a stored rectangle. And its paint: the face,
// what is drawn over it and the see-through shape cut from them.
#include "face/face_window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "face/offscreen_image.h"
#include "resource.h"
#include "win/unique_handle.h"

namespace {

class ProbeWindow : public FaceWindow {
 public:
  ProbeWindow() : FaceWindow(IDD_COUNTER, 1000) { SetFace(&face_); }
  using FaceWindow::dpi;
  using FaceWindow::PaintFace;
  using FaceWindow::PlaceWindow;
  ClockFace& face() { return face_; }

  // The next move reaches a monitor of 144 DPI: the system announces it, suggesting
  // the window's size scaled to it, while the move is being made.
  bool crossesToLargerScale = false;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_WINDOWPOSCHANGED && crossesToLargerScale) {
      crossesToLargerScale = false;
      RECT r;
      ::GetWindowRect(hwnd(), &r);
      RECT suggested{r.left, r.top, r.left + (r.right - r.left) * 3 / 2, r.top + (r.bottom - r.top) * 3 / 2};
      ::SendMessageA(hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    }
    return FaceWindow::WindowProc(message, wParam, lParam);
  }

 public:
  // With an overlay, a square near the bottom-right corner: kShapeColour in the picture the
  // shape is cut from, kShownColour in the one shown. Each call's forShape is kept.
  bool overlay = false;
  std::vector<bool> overlayCalls;
  static constexpr COLORREF kShapeColour = RGB(0, 255, 0);
  static constexpr COLORREF kShownColour = RGB(255, 0, 0);
  static RECT Square(const RECT& client) {
    return RECT{client.right - 30, client.bottom - 30, client.right - 10, client.bottom - 10};
  }

 protected:
  void DrawOverlay(HDC dc, const RECT& client, bool forShape) override {
    overlayCalls.push_back(forShape);
    if (!overlay) return;
    const RECT square = Square(client);
    BrushHandle brush(::CreateSolidBrush(forShape ? kShapeColour : kShownColour));
    ::FillRect(dc, &square, brush.get());
  }

 private:
  ClockFace face_;
};

TEST(FaceWindow, AStoredPlaceKeepsItsSizeOnAMonitorOfAnotherDpiAndAMoveByTheUserTakesTheSuggestion) {
  ProbeWindow window;
  ASSERT_TRUE(window.CreateModeless(nullptr));
  RECT r;

  window.crossesToLargerScale = true;
  window.PlaceWindow(RECT{100, 100, 500, 300});
  ::GetWindowRect(window.hwnd(), &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 100);
  EXPECT_EQ(r.right, 500) << "a stored rectangle is in pixels: it must not grow at every start";
  EXPECT_EQ(r.bottom, 300);
  EXPECT_EQ(window.dpi(), 144) << "the DPI is taken all the same";

  window.crossesToLargerScale = true;
  ::SetWindowPos(window.hwnd(), nullptr, 150, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::GetWindowRect(window.hwnd(), &r);
  EXPECT_EQ(r.right - r.left, 600) << "dragged there, it keeps its look at the new scale";
  EXPECT_EQ(r.bottom - r.top, 300);
  ::DestroyWindow(window.hwnd());
}

// On Windows 10 1703 and later the dialog manager resizes a per-monitor dialog on a change of
// DPI before the window's own handler runs; a face window asks it not to.
TEST(FaceWindow, AsksTheDialogManagerToLeaveItsSizeAlone) {
  using GetBehaviourFn = int(WINAPI*)(HWND);
  const auto get = reinterpret_cast<GetBehaviourFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("USER32"), "GetDialogDpiChangeBehavior")));
  const bool settable = ::GetProcAddress(::GetModuleHandleA("USER32"), "SetDialogDpiChangeBehavior") != nullptr;
  ProbeWindow window;
  ASSERT_TRUE(window.CreateModeless(nullptr));
  if (get == nullptr || !settable) GTEST_SKIP() << "this system has no dialog DPI behaviour";
  constexpr int kDisableResize = 0x0002;  // DDC_DISABLE_RESIZE
  EXPECT_EQ(get(window.hwnd()) & kDisableResize, kDisableResize);
  ::DestroyWindow(window.hwnd());
}

COLORREF PixelOf(const OffscreenImage& image, int x, int y) {
  ::GdiFlush();
  const std::uint8_t* p = image.bits() + image.stride() * (image.height() - 1 - y) + 3 * x;
  return RGB(p[2], p[1], p[0]);
}

bool HasRegion(HWND window) {
  RegionHandle probe(::CreateRectRgn(0, 0, 0, 0));
  return ::GetWindowRgn(window, probe.get()) != ERROR;
}

bool InRegion(HWND window, int x, int y) {
  RegionHandle probe(::CreateRectRgn(0, 0, 0, 0));
  return ::GetWindowRgn(window, probe.get()) != ERROR && ::PtInRegion(probe.get(), x, y);
}

// A probe window of 300 x 80 pixels showing fixed text with real glyph edges, its frame as `style` says.
void ShowText(ProbeWindow& window, DWORD style) {
  ASSERT_TRUE(window.CreateModeless(nullptr));
  window.ModifyStyle(WS_THICKFRAME, style, SWP_FRAMECHANGED);
  ::MoveWindow(window.hwnd(), 30, 30, 300, 80, FALSE);
  ClockFace& face = window.face();
  face.format = "12:34 Wg&y";
  face.textColour = RGB(255, 255, 255);
  face.backColour = RGB(0, 0, 0);
}

// At each DPI the window is cut to exactly the lit pixels of what it shows: the text drawn for
// that DPI and the overlay's shape picture, with the overlay's shown picture over it.
TEST(FaceWindowPaint, ASeeThroughWindowIsCutToItsTextAndOverlayAtItsDpi) {
  int textHeight[2] = {};
  for (const int dpi : {96, 144}) {
    ProbeWindow window;
    ShowText(window, 0);
    if (dpi != 96) {
      RECT r{30, 30, 330, 110};  // suggested as it is: the size stays
      ::SendMessageA(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
    }
    ASSERT_EQ(window.dpi(), dpi);
    window.face().options.seeThrough = true;
    window.overlay = true;
    OffscreenImage target;
    ASSERT_TRUE(target.Create(300, 80));
    window.overlayCalls.clear();
    window.PaintFace(target.dc(), true);
    EXPECT_EQ(window.overlayCalls, (std::vector<bool>{true, false})) << dpi << ": shape picture, then shown";
    HWND w = window.hwnd();
    RegionHandle shape(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(::GetWindowRgn(w, shape.get()), ERROR) << dpi;
    EXPECT_FALSE(::PtInRegion(shape.get(), 0, 0)) << dpi;
    const RECT square = ProbeWindow::Square(RECT{0, 0, 300, 80});
    EXPECT_EQ(PixelOf(target, square.left, square.top), ProbeWindow::kShownColour) << dpi;
    int top = 80, bottom = -1;
    for (int y = 0; y < 80; ++y)
      for (int x = 0; x < 300; ++x) {
        const bool on = PixelOf(target, x, y) != window.face().backColour;
        ASSERT_EQ(::PtInRegion(shape.get(), x, y) != FALSE, on) << dpi << ": " << x << "," << y;
        if (on && x < square.left - 2) {
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      }
    textHeight[dpi == 96 ? 0 : 1] = bottom - top + 1;
    ::DestroyWindow(w);
  }
  ASSERT_GT(textHeight[0], 5);
  EXPECT_NEAR(textHeight[1] * 2, textHeight[0] * 3, 4) << "the text is drawn half as tall again at 144 DPI";
}

TEST(FaceWindowPaint, SmoothedTextLeavesNoBlendedEdgeInTheShape) {
  // A font that asks for smoothed edges whatever the system's setting, as a font
  // picked on a system with font smoothing on may.
  ProbeWindow window;
  ShowText(window, 0);
  ClockFace& face = window.face();
  face.textColour = RGB(255, 255, 0);
  face.backColour = RGB(0, 0, 128);
  face.font.lfHeight = -40;
  face.font.lfQuality = ANTIALIASED_QUALITY;
  auto blended = [&face](COLORREF c) { return c != face.textColour && c != face.backColour; };

  // Framed, the clock keeps its smooth text: blends of the two colours at the edges.
  OffscreenImage framed;
  ASSERT_TRUE(framed.Create(300, 80));
  face.Draw(framed.dc(), RECT{0, 0, 300, 80}, DpiScale::kBaseDpi, ClockFace::LocalNow(), 0);
  int smooth = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 300; ++x) smooth += blended(PixelOf(framed, x, y));
  ASSERT_GT(smooth, 20) << "this system draws the font without smoothing: nothing to tell apart";

  // See-through, every pixel inside the shape is the text colour, every one outside the background.
  face.options.seeThrough = true;
  OffscreenImage target;
  ASSERT_TRUE(target.Create(300, 80));
  window.PaintFace(target.dc(), true);
  RegionHandle shape(::CreateRectRgn(0, 0, 0, 0));
  ASSERT_NE(::GetWindowRgn(window.hwnd(), shape.get()), ERROR);
  int inside = 0;
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 300; ++x) {
      const bool in = ::PtInRegion(shape.get(), x, y) != FALSE;
      ASSERT_EQ(PixelOf(target, x, y), in ? face.textColour : face.backColour) << x << "," << y;
      inside += in;
    }
  EXPECT_GT(inside, 100);
  ::DestroyWindow(window.hwnd());
}

// Where the shape may not apply, the window loses any it had and shows the face as drawn, with
// the overlay over it; where nothing would be left of the window (no text, no overlay), it keeps
// the shape it had and shows the face as drawn.
TEST(FaceWindowPaint, APlainPaintTakesAwayTheShapeOrKeepsItWhenNothingWouldShow) {
  struct Case {
    const char* name;
    DWORD style;
    bool seeThrough;
    bool allowed;
    const char* format;
    bool overlay;
    bool shapeKept;
  };
  for (const Case& c : {Case{"frame", WS_THICKFRAME, true, true, "12:34 Wg&y", true, false},
                        Case{"not see-through", 0, false, true, "12:34 Wg&y", true, false},
                        Case{"not allowed here", 0, true, false, "12:34 Wg&y", true, false},
                        Case{"nothing to show", 0, true, true, "", false, true}}) {
    ProbeWindow window;
    ShowText(window, c.style);
    HWND w = window.hwnd();
    ::SetWindowRgn(w, ::CreateRectRgn(0, 0, 10, 10), FALSE);
    ClockFace& face = window.face();
    face.format = c.format;
    face.options.seeThrough = c.seeThrough;
    window.overlay = c.overlay;
    RECT client;
    ::GetClientRect(w, &client);
    OffscreenImage target, expected;
    ASSERT_TRUE(target.Create(client.right, client.bottom)) << c.name;
    ASSERT_TRUE(expected.Create(client.right, client.bottom)) << c.name;
    window.PaintFace(target.dc(), c.allowed);
    EXPECT_EQ(HasRegion(w), c.shapeKept) << c.name;
    if (c.shapeKept) {
      EXPECT_TRUE(InRegion(w, 5, 5)) << c.name;
      EXPECT_FALSE(InRegion(w, 50, 50)) << c.name;
    }
    face.Draw(expected.dc(), client, DpiScale::kBaseDpi, ClockFace::LocalNow(), 0);
    if (c.overlay) {
      const RECT square = ProbeWindow::Square(client);
      BrushHandle brush(::CreateSolidBrush(ProbeWindow::kShownColour));
      ::FillRect(expected.dc(), &square, brush.get());
    }
    int different = 0;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) different += PixelOf(target, x, y) != PixelOf(expected, x, y);
    EXPECT_EQ(different, 0) << c.name << ": the face and the overlay, drawn plainly";
    ::DestroyWindow(w);
  }
}

}  // namespace

namespace {

// Windows with next to no room and fonts far larger than the window (as large as a loaded face keeps), at each DPI, framed and
// see-through: the paint ends, and a see-through window keeps a shape no larger than itself.
TEST(FaceWindowPaint, NoRoomAndHugeFontsPaintWithoutHarm) {
  for (const int dpi : {96, 144, 192}) {
    for (const SIZE size : {SIZE{0, 0}, SIZE{1, 1}, SIZE{1, 200}, SIZE{300, 80}}) {
      for (const LONG height : {LONG{-12}, LONG{-1200}, LONG{1200}}) {
        for (const bool seeThrough : {false, true}) {
          SCOPED_TRACE(testing::Message() << dpi << " dpi, " << size.cx << "x" << size.cy << ", height " << height
                                          << (seeThrough ? ", see-through" : ""));
          ProbeWindow window;
          ASSERT_TRUE(window.CreateModeless(nullptr));
          window.ModifyStyle(WS_THICKFRAME | WS_CAPTION, 0, SWP_FRAMECHANGED);
          if (dpi != 96) {
            RECT r{30, 30, 330, 110};
            ::SendMessageA(window.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
          }
          ::MoveWindow(window.hwnd(), 30, 30, size.cx, size.cy, FALSE);
          ClockFace& face = window.face();
          face.format = "%H:%M:%S Wg";
          face.textColour = RGB(255, 255, 255);
          face.backColour = RGB(0, 0, 0);
          face.font.lfHeight = height;
          face.options.seeThrough = seeThrough;
          window.overlay = true;
          OffscreenImage target;
          ASSERT_TRUE(target.Create(std::max<int>(size.cx, 1), std::max<int>(size.cy, 1)));
          window.PaintFace(target.dc(), true);
          RegionHandle shape(::CreateRectRgn(0, 0, 0, 0));
          if (::GetWindowRgn(window.hwnd(), shape.get()) != ERROR) {
            RECT box{};
            ::GetRgnBox(shape.get(), &box);
            EXPECT_LE(box.right, std::max<LONG>(size.cx, 0));
            EXPECT_LE(box.bottom, std::max<LONG>(size.cy, 0));
          }
          ::DestroyWindow(window.hwnd());
        }
      }
    }
  }
}

}  // namespace
