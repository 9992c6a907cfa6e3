// The clock's owner-drawn context menu as assistive technology and the keyboard meet it: each
// item's data starts with its name in the form oleacc reads (MSAAMENUINFO), and a letter typed
// while the menu is open (WM_MENUCHAR, which the system sends since it cannot read drawn items)
// chooses the item with that access key.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/clock_window_fixture.h"
#include "app/context_menu.h"
#include "app/icon_menu_item.h"
#include "face/face_options.h"
#include "resource.h"
#include "win/unique_handle.h"
#include "win/wide_text.h"

namespace {

TEST(ContextMenuNames, EveryDrawnItemCarriesThePlainItemsTextForAssistiveTechnology) {
  ContextMenu plain(nullptr);
  ASSERT_TRUE(plain.Load(ClockOptions{}, FaceOptions{}));
  ContextMenu drawn(nullptr);
  ASSERT_TRUE(drawn.Load(ClockOptions::FromWord(OptMenuIcons), FaceOptions{}));
  HMENU plainPopup = plain.popup();
  HMENU drawnPopup = drawn.popup();
  ASSERT_EQ(::GetMenuItemCount(plainPopup), ::GetMenuItemCount(drawnPopup));
  int named = 0;
  for (int position = 0; position < ::GetMenuItemCount(drawnPopup); ++position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_ID;
    ASSERT_TRUE(::GetMenuItemInfoW(drawnPopup, static_cast<UINT>(position), TRUE, &info));
    if (info.fType & MFT_SEPARATOR) continue;
    ASSERT_TRUE(info.fType & MFT_OWNERDRAW) << position;
    ASSERT_NE(info.dwItemData, 0u) << position;
    // What oleacc reads: the item data points at an MSAAMENUINFO.
    const auto* msaa = reinterpret_cast<const MSAAMENUINFO*>(info.dwItemData);
    EXPECT_EQ(msaa->dwMSAASignature, static_cast<DWORD>(MSAA_MENU_SIG)) << position;
    ASSERT_NE(msaa->pszWText, nullptr);
    EXPECT_EQ(msaa->cchWText, std::wcslen(msaa->pszWText)) << "the length leaves out the terminating null";
    wchar_t text[128] = {};
    ::GetMenuStringW(plainPopup, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(msaa->pszWText), std::wstring(text)) << "the name is the plain item's text, " << position;
    EXPECT_EQ(reinterpret_cast<const IconMenuItem::ItemData*>(info.dwItemData)->item->command, info.wID);
    ++named;
  }
  EXPECT_EQ(named, ::GetMenuItemCount(drawnPopup) - 5) << "every item but the five separators";
}

// Keys typed into the open context menu, as WM_MENUCHAR sent to the clock, and the answers.
class ContextMenuKeys : public ClockWindowFixture {
 protected:
  struct Answer {
    int position;
    int code;  // MNC_EXECUTE, MNC_SELECT, MNC_IGNORE
  };
  static inline ContextMenuKeys* self_ = nullptr;
  static void CALLBACK Ask(HWND, UINT, UINT_PTR id, DWORD) {
    HWND menuWindow = ::FindWindowW(L"#32768", nullptr);
    if (menuWindow == nullptr || !::IsWindowVisible(menuWindow)) return;
    ::KillTimer(nullptr, id);
    auto* menu = reinterpret_cast<HMENU>(::SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    self_->menu_ = menu;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) self_->commands_.push_back(::GetMenuItemID(menu, i));
    for (wchar_t key : self_->keys_) {
      const LRESULT r = ::SendMessageW(self_->hwnd(), WM_MENUCHAR, MAKEWPARAM(key, MF_POPUP),
                                       reinterpret_cast<LPARAM>(menu));
      self_->answers_[key] = Answer{LOWORD(r), HIWORD(r)};
    }
    ::EndMenu();
  }
  void AskAll(std::vector<wchar_t> keys) {
    self_ = this;
    keys_ = std::move(keys);
    ::SetTimer(nullptr, 0, 50, &Ask);
    // The menu key: the menu opens at the clock's corner and runs its loop here.
    ::SendMessageW(hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd()), MAKELPARAM(-1, -1));
  }
  int PositionOf(UINT command) const {
    for (std::size_t i = 0; i < commands_.size(); ++i)
      if (commands_[i] == command) return static_cast<int>(i);
    return -2;
  }
  std::vector<wchar_t> keys_;
  std::map<wchar_t, Answer> answers_;
  HMENU menu_ = nullptr;
  std::vector<UINT> commands_;  // by position, while the menu was open
};

TEST_F(ContextMenuKeys, EachItemsAccessKeyChoosesIt) {
  ASSERT_TRUE(window_.clockOptions.menuIcons) << "menu icons on, the default";
  AskAll({L'q', L'Q', L'l', L'v', L'u', L'w', L'x', L't', L'm', L'd', L'c', L'e', L'j', L'z', L'7'});
  ASSERT_NE(menu_, nullptr) << "the menu opened";
  const struct {
    wchar_t key;
    UINT command;  // 0: no item
    int code;
  } cases[] = {
      {L'q', ID_QUICKTIMER, MNC_EXECUTE},     {L'Q', ID_QUICKTIMER, MNC_EXECUTE},  // either case
      {L'l', ID_LAUNCHER, MNC_EXECUTE},       {L'v', ID_VERSION, MNC_EXECUTE},
      {L'u', ID_MENU_ICONS, MNC_EXECUTE},     {L'w', ID_WINDOW_FRAME, MNC_EXECUTE},
      {L'x', ID_EXIT, MNC_EXECUTE},           // "E&xit"
      {L't', ID_TASKTRAY, MNC_EXECUTE},       // of the four items that start with T, the one with &T
      {L'm', ID_TOPMOST, MNC_EXECUTE},        {L'd', ID_DISPLAY_SETTING, MNC_EXECUTE},
      {L'c', ID_DATE_AND_CLOCK, MNC_EXECUTE}, {L'e', ID_EXECUTE_ADJUST, MNC_EXECUTE},
      {L'j', ID_TIME_ADJUST, MNC_EXECUTE},    {L'z', 0, MNC_IGNORE},
      {L'7', 0, MNC_IGNORE},
  };
  for (const auto& c : cases) {
    const Answer& a = answers_[c.key];
    EXPECT_EQ(a.code, c.code) << static_cast<char>(c.key);
    if (c.command != 0) {
      EXPECT_EQ(a.position, PositionOf(c.command)) << static_cast<char>(c.key);
    }
  }
}

}  // namespace
