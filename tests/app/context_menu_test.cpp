#include "app/context_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "face/face_options.h"
#include "resource.h"
#include "win/unique_handle.h"

namespace {

struct StateCase {
  const char* name;
  std::uint32_t option;
  std::vector<UINT> checked;  // of the five checkable items
  bool transparentGrayed;
};

const UINT kCheckable[] = {ID_TASKTRAY, ID_MENU_ICONS, ID_TOPMOST, ID_WINDOW_FRAME, ID_TRANSPARENT};

class ContextMenuStates : public ::testing::TestWithParam<StateCase> {};

TEST_P(ContextMenuStates, ChecksAndGraysFollowTheOptions) {
  const StateCase& c = GetParam();
  for (std::uint32_t icons : {0u, static_cast<std::uint32_t>(OptMenuIcons)}) {
    const std::uint32_t option = (c.option & ~OptMenuIcons) | icons;
    ContextMenu menu(nullptr);
    ASSERT_TRUE(menu.Load(ClockOptions::FromWord(option), FaceOptions::FromWord(option)));
    EXPECT_EQ(menu.iconMenu() != nullptr, icons != 0);
    for (UINT id : kCheckable) {
      bool expected = false;
      for (UINT on : c.checked) expected = expected || on == id;
      if (id == ID_MENU_ICONS) expected = icons != 0;
      const UINT state = ::GetMenuState(menu.popup(), id, MF_BYCOMMAND);
      EXPECT_EQ((state & MF_CHECKED) != 0, expected) << id << (icons ? " with icons" : "");
    }
    const UINT transparent = ::GetMenuState(menu.popup(), ID_TRANSPARENT, MF_BYCOMMAND);
    EXPECT_EQ((transparent & MF_GRAYED) != 0, c.transparentGrayed);
    for (UINT id : {ID_TASKTRAY, ID_TOPMOST, ID_WINDOW_FRAME, ID_EXIT, ID_VERSION})
      EXPECT_EQ(::GetMenuState(menu.popup(), id, MF_BYCOMMAND) & MF_GRAYED, 0u) << id;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Options, ContextMenuStates,
    ::testing::Values(
        StateCase{"Defaults", 0x30008, {ID_TASKTRAY, ID_TOPMOST}, true},
        // With the frame shown, "Transparent" is grayed and never checked, even when set.
        StateCase{"TransparentWithFrame", OptTransparent | OptTopmost, {ID_TOPMOST}, true},
        StateCase{"FramelessOpaque", OptFrameless, {ID_WINDOW_FRAME}, false},
        StateCase{"FramelessTransparent", OptFrameless | OptTransparent | OptTrayIcon,
                  {ID_WINDOW_FRAME, ID_TRANSPARENT, ID_TASKTRAY}, false},
        StateCase{"Nothing", 0, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ContextMenu, StartAtSignInIsCheckedWhenOnInPlainAndIconMenus) {
  for (std::uint32_t icons : {0u, static_cast<std::uint32_t>(OptMenuIcons)}) {
    for (bool on : {false, true}) {
      ContextMenu menu(nullptr);
      ASSERT_TRUE(menu.Load(ClockOptions::FromWord(0x30008 | icons), FaceOptions::FromWord(0x30008), on));
      const UINT state = ::GetMenuState(menu.popup(), ID_START_AT_SIGN_IN, MF_BYCOMMAND);
      ASSERT_NE(state, static_cast<UINT>(-1));
      EXPECT_EQ((state & MF_CHECKED) != 0, on) << (icons ? "with icons" : "plain");
      EXPECT_EQ(state & MF_GRAYED, 0u);
    }
  }
}

TEST(ContextMenu, EveryItemHasItsIconAndTheWindowIconStaysTheCallers) {
  HICON windowIcon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VELTA),
                                                     IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  ASSERT_NE(windowIcon, nullptr);
  {
    ContextMenu menu(windowIcon);
    ASSERT_TRUE(menu.Load(ClockOptions{}, FaceOptions{}));  // the defaults: icons, tray, topmost
    for (UINT id : {ID_TASKTRAY, ID_MENU_ICONS, ID_START_AT_SIGN_IN, ID_TOPMOST, ID_WINDOW_FRAME, ID_TRANSPARENT, ID_DISPLAY_SETTING,
                    ID_QUICKTIMER, ID_LAUNCHER, ID_TIME_ADJUST, ID_EXECUTE_ADJUST, ID_EXIT, ID_DATE_AND_CLOCK,
                    ID_VERSION}) {
      const IconMenuItem* item = IconMenu::FindItem(id);
      ASSERT_NE(item, nullptr) << id;
      EXPECT_EQ(item->kind(), IconMenuItem::Picture::kIcon) << id;
      EXPECT_TRUE(item->HasPicture()) << id;
    }
    EXPECT_EQ(IconMenu::FindItem(ID_DISPLAY_SETTING)->picture(), windowIcon);
  }
  EXPECT_EQ(IconMenu::LiveCount(), 0);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(windowIcon, &info)) << "the window's icon outlives the menu";
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  ::DestroyIcon(windowIcon);
}

// The ids of the popup of menu 129 in one language set, 0 for a separator.
std::vector<UINT> PopupIds(WORD language) {
  HMODULE module = ::GetModuleHandleA(nullptr);
  HRSRC found = ::FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_MENU), MAKEINTRESOURCEA(IDR_CONTEXT_MENU),
                                  language);
  if (found == nullptr) return {};
  MenuHandle menu(::LoadMenuIndirectA(::LockResource(::LoadResource(module, found))));
  HMENU popup = ::GetSubMenu(menu.get(), 0);
  std::vector<UINT> ids;
  for (int i = 0; i < ::GetMenuItemCount(popup); ++i) {
    const UINT id = ::GetMenuItemID(popup, i);
    ids.push_back(id == static_cast<UINT>(-1) ? 0u : id);
  }
  return ids;
}

TEST(ContextMenu, BothLanguageSetsHaveTheItemsInTheSameOrder) {
  const std::vector<UINT> expected{ID_TASKTRAY,    ID_MENU_ICONS, ID_START_AT_SIGN_IN, 0, ID_TOPMOST, ID_WINDOW_FRAME, ID_TRANSPARENT,
                                   ID_DISPLAY_SETTING, 0, ID_QUICKTIMER, ID_LAUNCHER, 0, ID_TIME_ADJUST,
                                   ID_EXECUTE_ADJUST, 0, ID_EXIT, 0, ID_DATE_AND_CLOCK, ID_VERSION};
  EXPECT_EQ(PopupIds(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), expected);
  EXPECT_EQ(PopupIds(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)), expected);
}

}  // namespace
