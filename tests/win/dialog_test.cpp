#include "win/dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

#include "resource.h"
#include "win/string_table.h"
#include "win/unique_handle.h"

namespace {

// The version dialog, with a script of messages posted to itself once it is up.
class ScriptedDialog : public Dialog {
 public:
  explicit ScriptedDialog(std::function<void(HWND)> script) : Dialog(IDD_VERSION), script_(std::move(script)) {}
  int destroyed = 0;
  HWND ownerWhileRunning = nullptr;
  BOOL ownerEnabledWhileRunning = TRUE;

 protected:
  BOOL OnInitDialog() override {
    ownerWhileRunning = ::GetWindow(hwnd(), GW_OWNER);
    if (ownerWhileRunning) ownerEnabledWhileRunning = ::IsWindowEnabled(ownerWhileRunning);
    script_(hwnd());
    return TRUE;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_DESTROY) ++destroyed;
    return Dialog::WindowProc(message, wParam, lParam);
  }

 private:
  std::function<void(HWND)> script_;
};

struct EndCase {
  const char* name;
  std::function<void(HWND)> script;
  INT_PTR expected;
};

TEST(ModalDialog, EndsThroughItsStandardPaths) {
  const EndCase cases[] = {
      {"OK button", [](HWND w) { ::PostMessageA(::GetDlgItem(w, IDOK), BM_CLICK, 0, 0); }, IDOK},
      {"Enter key", [](HWND w) { ::PostMessageA(w, WM_KEYDOWN, VK_RETURN, 0); }, IDOK},
      {"Esc key", [](HWND w) { ::PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0); }, IDCANCEL},
      {"WM_CLOSE", [](HWND w) { ::PostMessageA(w, WM_CLOSE, 0, 0); }, IDCANCEL},
  };
  for (const EndCase& c : cases) {
    ScriptedDialog dialog(c.script);
    EXPECT_EQ(dialog.DoModal(), c.expected) << c.name;
    EXPECT_EQ(dialog.destroyed, 1) << c.name;
    EXPECT_EQ(dialog.hwnd(), nullptr) << c.name;
  }
}

TEST(ModalDialog, DisablesItsOwnerOnlyWhileRunning) {
  Window owner;
  ASSERT_TRUE(owner.Create(0, "owner", WS_POPUP, 0, 0, 50, 50, nullptr));
  ScriptedDialog dialog([](HWND w) { ::PostMessageA(w, WM_CLOSE, 0, 0); });
  dialog.DoModal(owner.hwnd());
  EXPECT_EQ(dialog.ownerWhileRunning, owner.hwnd());
  EXPECT_FALSE(dialog.ownerEnabledWhileRunning);
  EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
}

// The owner hears WM_ENABLE; it notes whether the dialog was still on screen then.
class EnableWatcher : public Window {
 public:
  HWND dialog = nullptr;
  int dialogVisibleAtEnable = -1;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_ENABLE && wParam && dialog != nullptr) dialogVisibleAtEnable = ::IsWindowVisible(dialog) ? 1 : 0;
    return Window::WindowProc(message, wParam, lParam);
  }
};

TEST(ModalDialog, EnablesItsOwnerBeforeItIsHidden) {
  // Hidden first, the dialog would pass the activation on while its owner is still
  // disabled, and the system would give it to another program's window.
  EnableWatcher owner;
  ASSERT_TRUE(owner.Create(0, "owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr));
  ScriptedDialog dialog([&owner](HWND w) {
    owner.dialog = w;
    ::PostMessageA(w, WM_CLOSE, 0, 0);
  });
  dialog.DoModal(owner.hwnd());
  EXPECT_EQ(owner.dialogVisibleAtEnable, 1);
  EXPECT_TRUE(::IsWindowEnabled(owner.hwnd()));
  ::DestroyWindow(owner.hwnd());
}

TEST(ModalDialog, MissingTemplateFails) {
  class Missing : public Dialog {
   public:
    Missing() : Dialog(9999) {}
  } missing;
  EXPECT_EQ(missing.DoModal(), -1);
}

TEST(WindowObject, IsForgottenWhenItsWindowIsDestroyed) {
  struct Counting : Window {
    int ncDestroyed = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_NCDESTROY) ++ncDestroyed;
      return Default();
    }
  } window;
  ASSERT_TRUE(window.Create(0, "w", WS_POPUP, 0, 0, 10, 10, nullptr));
  HWND handle = window.hwnd();
  EXPECT_EQ(Window::FromHandle(handle), &window);
  ::DestroyWindow(handle);
  EXPECT_EQ(window.hwnd(), nullptr);
  EXPECT_EQ(window.ncDestroyed, 1);
  EXPECT_EQ(Window::FromHandle(handle), nullptr);
}

// An exception thrown by a handler stops at the window procedure: the caller gets
// 0, the window and the program go on, and later messages are handled again.
TEST(WindowObject, AThrowingHandlerStopsAtTheBoundary) {
  struct Throwing : Window {
    int handled = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_APP) throw std::runtime_error("handler failed");
      if (message == WM_APP + 1) throw 42;
      if (message == WM_APP + 2) return ++handled;
      return Default();
    }
  } window;
  ASSERT_TRUE(window.Create(0, "w", WS_POPUP, 0, 0, 10, 10, nullptr));
  EXPECT_EQ(::SendMessageA(window.hwnd(), WM_APP, 0, 0), 0);
  EXPECT_EQ(::SendMessageA(window.hwnd(), WM_APP + 1, 0, 0), 0) << "not only std::exception";
  ASSERT_TRUE(::PostMessageA(window.hwnd(), WM_APP, 0, 0));
  MSG msg;
  while (::PeekMessageA(&msg, window.hwnd(), 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);  // through user32's dispatch
  EXPECT_TRUE(::IsWindow(window.hwnd()));
  EXPECT_EQ(::SendMessageA(window.hwnd(), WM_APP + 2, 0, 0), 1);
  EXPECT_EQ(window.handled, 1);
}

// A child control's object sees the messages its parent receives about it; the
// parent sees them when the child has no object or declines them.
TEST(WindowObject, ParentMessagesAboutAControlReachTheControlsObject) {
  struct Parent : Window {
    std::vector<UINT> seen;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_CTLCOLORSTATIC || message == WM_NOTIFY || message == WM_DRAWITEM || message == WM_COMMAND) {
        seen.push_back(message);
        return 7;
      }
      return Default();
    }
  } parent;
  struct Control : Window {
    std::vector<UINT> seen;
    bool OnChildNotify(UINT message, WPARAM, LPARAM, LRESULT* result) override {
      seen.push_back(message);
      if (message == WM_COMMAND) return false;  // declined: the parent handles it
      *result = 42;
      return true;
    }
  } control;
  ASSERT_TRUE(parent.Create(0, "parent", WS_POPUP, 0, 0, 100, 100, nullptr));
  ASSERT_TRUE(control.Create(0, "child", WS_CHILD, 0, 0, 10, 10, parent.hwnd(), reinterpret_cast<HMENU>(5)));
  HWND plain = ::CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, parent.hwnd(), reinterpret_cast<HMENU>(6),
                                 nullptr, nullptr);
  const auto send = [&](UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(parent.hwnd(), message, wParam, lParam);
  };
  EXPECT_EQ(send(WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(control.hwnd())), 42);
  NMHDR header{control.hwnd(), 5, 0};
  EXPECT_EQ(send(WM_NOTIFY, 5, reinterpret_cast<LPARAM>(&header)), 42);
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.hwndItem = control.hwnd();
  EXPECT_EQ(send(WM_DRAWITEM, 5, reinterpret_cast<LPARAM>(&item)), 42);
  EXPECT_EQ(send(WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), reinterpret_cast<LPARAM>(control.hwnd())), 7);
  EXPECT_EQ((std::vector<UINT>{WM_CTLCOLORSTATIC, WM_NOTIFY, WM_DRAWITEM, WM_COMMAND}), control.seen);
  EXPECT_EQ(std::vector<UINT>{WM_COMMAND}, parent.seen);
  // A menu item's draw message names a menu, not a window; a plain control has no object.
  parent.seen.clear();
  control.seen.clear();
  item.CtlType = ODT_MENU;
  item.hwndItem = reinterpret_cast<HWND>(control.hwnd());
  EXPECT_EQ(send(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), 7);
  EXPECT_EQ(send(WM_CTLCOLORSTATIC, 0, reinterpret_cast<LPARAM>(plain)), 7);
  EXPECT_EQ(send(WM_COMMAND, ID_EXIT, 0), 7) << "a menu command has no control";
  EXPECT_TRUE(control.seen.empty());
  EXPECT_EQ((std::vector<UINT>{WM_DRAWITEM, WM_CTLCOLORSTATIC, WM_COMMAND}), parent.seen);
}

TEST(StringTableTest, LoadsTextsAndTheApplicationName) {
  EXPECT_EQ(StringTable::Load(IDS_INPUT_ERROR), "Input data error.");
  EXPECT_EQ(StringTable::Load(IDS_CLOSE_RUNNING_FILE), "Please close the file during execution. ");
  EXPECT_EQ(StringTable::Load(IDS_COUNTER_FORMAT), "Remaining %Q minutes and %q seconds !");
  EXPECT_EQ(StringTable::Load(4711), "");
  EXPECT_EQ(StringTable::AppName(), "velta_win_tests");
}

TEST(UniqueHandleTest, MovesOwnershipAndReleasesOnce) {
  RegionHandle a(::CreateRectRgn(0, 0, 10, 10));
  HRGN raw = a.get();
  RegionHandle b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(b.get(), raw);
  b.reset();
  EXPECT_EQ(::GetObjectType(raw), 0u) << "the region was deleted exactly when the owner let go";
  RegionHandle c(::CreateRectRgn(0, 0, 5, 5));
  HRGN kept = c.release();
  EXPECT_NE(::GetObjectType(kept), 0u);
  ::DeleteObject(kept);
}

}  // namespace
