#include "win/dialog.h"

#include <gtest/gtest.h>

#include <functional>

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
    void PostNcDestroy() override { ++ncDestroyed; }
  } window;
  ASSERT_TRUE(window.Create(0, "w", WS_POPUP, 0, 0, 10, 10, nullptr));
  HWND handle = window.hwnd();
  EXPECT_EQ(Window::FromHandle(handle), &window);
  ::DestroyWindow(handle);
  EXPECT_EQ(window.hwnd(), nullptr);
  EXPECT_EQ(window.ncDestroyed, 1);
  EXPECT_EQ(Window::FromHandle(handle), nullptr);
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
