#include "quicktimer/counter_window.h"

#include <gtest/gtest.h>

#include <string>

#include "resource.h"
#include "win/bitmap_canvas.h"

namespace {

struct MenuState {
  UINT topmost = 0, frame = 0, transparent = 0, display = 0;
  bool seen = false;
};
MenuState g_menu;

// Runs inside the menu's own loop: reads the open popup's items and closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND popup = ::FindWindowA("#32768", nullptr);
  if (popup == nullptr) return;
  auto menu = reinterpret_cast<HMENU>(::SendMessageA(popup, MN_GETHMENU, 0, 0));
  if (menu != nullptr) {
    g_menu.topmost = ::GetMenuState(menu, ID_TOPMOST, MF_BYCOMMAND);
    g_menu.frame = ::GetMenuState(menu, ID_WINDOW_FRAME, MF_BYCOMMAND);
    g_menu.transparent = ::GetMenuState(menu, ID_TRANSPARENT, MF_BYCOMMAND);
    g_menu.display = ::GetMenuState(menu, ID_DISPLAY_SETTING, MF_BYCOMMAND);
    g_menu.seen = true;
  }
  ::KillTimer(nullptr, id);
  ::EndMenu();
}

MenuState OpenMenu(HWND window) {
  g_menu = MenuState{};
  ::SetTimer(nullptr, 0, 100, ReadOpenMenu);
  ::SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  return g_menu;
}

TEST(CounterWindow, OpensAtTheFaceRectangleWithOkHidden) {
  ClockFace face;
  CounterWindow window;
  ASSERT_TRUE(window.ShowFace(&face));
  HWND w = window.hwnd();
  RECT r;
  ::GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 400);
  EXPECT_EQ(r.bottom, 200);
  EXPECT_TRUE(::IsWindowVisible(w));
  EXPECT_TRUE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST) << "Option 8 is topmost";
  EXPECT_TRUE(::GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
  HWND ok = ::GetDlgItem(w, IDOK);
  EXPECT_FALSE(::IsWindowVisible(ok));
  window.ShowOkButton();
  EXPECT_TRUE(::IsWindowVisible(ok));

  // Resizing keeps OK in the bottom-right corner of the client area.
  ::MoveWindow(w, 100, 120, 300, 180, TRUE);
  RECT client, button;
  ::GetClientRect(w, &client);
  ::GetWindowRect(ok, &button);
  ::MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(button.right, client.right);
  EXPECT_EQ(button.bottom, client.bottom);

  // Closing stores the rectangle in the face.
  window.Close();
  EXPECT_FALSE(::IsWindow(w));
  EXPECT_EQ(window.hwnd(), nullptr);
  EXPECT_EQ(face.windowRect.left, 100);
  EXPECT_EQ(face.windowRect.top, 120);
  EXPECT_EQ(face.windowRect.right, 400);
  EXPECT_EQ(face.windowRect.bottom, 300);
}

TEST(CounterWindow, FollowsADpiChangeAndComesBackAfterADisplayChange) {
  ClockFace face;
  face.format = "Wg 12:34";  // the same text at every paint
  CounterWindow window;
  ASSERT_TRUE(window.ShowFace(&face));
  HWND w = window.hwnd();
  window.ShowOkButton();

  RECT suggested{30, 40, 30 + 600, 40 + 300};
  ::SendMessageA(w, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  RECT r, client, button;
  ::GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right, 630);
  EXPECT_EQ(r.bottom, 340);
  ::RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(face.font.lfHeight, -24) << "the face keeps its 96-DPI font";
  ::GetClientRect(w, &client);
  ::GetWindowRect(::GetDlgItem(w, IDOK), &button);
  ::MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(button.right, client.right) << "OK stays in the corner";
  EXPECT_EQ(button.bottom, client.bottom);
  // Beside OK the window shows the face as it is drawn for 144 DPI, pixel for pixel.
  BitmapCanvas shown(client.right, client.bottom), drawn(client.right, client.bottom);
  HDC dc = ::GetDC(w);
  ::BitBlt(shown.dc(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  ::ReleaseDC(w, dc);
  face.Draw(drawn.dc(), client, 144, ClockFace::LocalNow(), ::GetTickCount());
  int different = 0;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x)
      if (!::PtInRect(&button, POINT{x, y})) different += shown.Pixel(x, y) != drawn.Pixel(x, y);
  EXPECT_EQ(different, 0) << "the face is drawn at the new DPI";
  EXPECT_GT(drawn.LitBounds(face.backColour).right, 0);

  // A monitor that went away: a window wholly off the desktop comes back, one partly on stays.
  ::SetWindowPos(w, nullptr, -3000, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageA(w, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  ::GetWindowRect(w, &r);
  EXPECT_GE(r.left, 0);
  EXPECT_EQ(r.top, 50);
  ::SetWindowPos(w, nullptr, -100, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageA(w, WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
  ::GetWindowRect(w, &r);
  EXPECT_EQ(r.left, -100);
  window.Close();
}

TEST(CounterWindow, OkEnterAndEscOnlyHide) {
  ClockFace face;
  CounterWindow window;
  ASSERT_TRUE(window.ShowFace(&face));
  HWND w = window.hwnd();
  for (WORD id : {IDOK, IDCANCEL}) {
    ::ShowWindow(w, SW_SHOW);
    ::SendMessageA(w, WM_COMMAND, id, 0);
    EXPECT_TRUE(::IsWindow(w));
    EXPECT_FALSE(::IsWindowVisible(w));
  }
  ::DestroyWindow(w);
}

TEST(CounterWindow, ContextMenuAndItsCommands) {
  ClockFace face;
  face.options = FaceOptions::FromWord(OptTopmost | OptTransparent);
  CounterWindow window;
  ASSERT_TRUE(window.ShowFace(&face));
  HWND w = window.hwnd();

  MenuState framed = OpenMenu(w);
  ASSERT_TRUE(framed.seen);
  EXPECT_TRUE(framed.topmost & MF_CHECKED);
  EXPECT_FALSE(framed.frame & MF_CHECKED);
  EXPECT_TRUE(framed.transparent & MF_GRAYED) << "Transparent is grayed while the window has its frame";
  EXPECT_FALSE(framed.transparent & MF_CHECKED);
  EXPECT_FALSE(framed.display & MF_GRAYED);

  ::SendMessageA(w, WM_COMMAND, ID_WINDOW_FRAME, 0);
  EXPECT_TRUE(face.options.frameless);
  EXPECT_FALSE(::GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
  ::SendMessageA(w, WM_COMMAND, ID_TOPMOST, 0);
  EXPECT_FALSE(face.options.topmost);
  EXPECT_FALSE(::GetWindowLongA(w, GWL_EXSTYLE) & WS_EX_TOPMOST);

  MenuState frameless = OpenMenu(w);
  ASSERT_TRUE(frameless.seen);
  EXPECT_FALSE(frameless.topmost & MF_CHECKED);
  EXPECT_TRUE(frameless.frame & MF_CHECKED);
  EXPECT_FALSE(frameless.transparent & MF_GRAYED);
  EXPECT_TRUE(frameless.transparent & MF_CHECKED);

  ::SendMessageA(w, WM_COMMAND, ID_TRANSPARENT, 0);
  EXPECT_FALSE(face.options.seeThrough);
  ::SendMessageA(w, WM_COMMAND, ID_WINDOW_FRAME, 0);
  EXPECT_TRUE(::GetWindowLongA(w, GWL_STYLE) & WS_THICKFRAME);
  ::DestroyWindow(w);
}

TEST(CounterWindow, DestroyedWhileItsMenuIsOpen) {
  ClockFace face;
  CounterWindow window;
  ASSERT_TRUE(window.ShowFace(&face));
  static HWND s_window;
  s_window = window.hwnd();
  // The owner's tick destroys the window while the menu loop runs.
  ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    ::EndMenu();
    ::DestroyWindow(s_window);
  });
  ::SendMessageA(s_window, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  for (int i = 0; i < 20 && ::IsWindow(s_window); ++i) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::Sleep(25);
  }
  EXPECT_FALSE(::IsWindow(s_window));
  EXPECT_EQ(window.hwnd(), nullptr);
  EXPECT_FALSE(window.InHandler()) << "the menu's handler has returned";
  EXPECT_EQ(face.windowRect.right, 400);
}

}  // namespace
