#include "app/context_menu.h"

#include "face/face_options.h"
#include "face/face_window.h"
#include "resource.h"

namespace {

// Pictures of the items, in the order they are given.
struct ItemIcon {
  UINT command;
  UINT icon;
};
constexpr ItemIcon kItemIcons[] = {
    {ID_TASKTRAY, IDI_TASKTRAY},         {ID_MENU_ICONS, IDI_MENU_ICONS},
    {ID_EXIT, IDI_EXIT},                 {ID_VERSION, IDI_VERSION},
    {ID_TOPMOST, IDI_TOPMOST},           {ID_QUICKTIMER, IDI_QUICKTIMER},
    {ID_LAUNCHER, IDI_LAUNCHER},         {ID_DATE_AND_CLOCK, IDI_DATE_AND_CLOCK},
    {ID_WINDOW_FRAME, IDI_WINDOW_FRAME}, {ID_TRANSPARENT, IDI_TRANSPARENT},
    {ID_TIME_ADJUST, IDI_TIME_ADJUST},   {ID_EXECUTE_ADJUST, IDI_EXECUTE_ADJUST},
    {ID_START_AT_SIGN_IN, IDI_START_AT_SIGN_IN},
};

}  // namespace

bool ContextMenu::Load(const ClockOptions& clock, const FaceOptions& face, bool startsAtSignIn) {
  HMENU loaded = ::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_CONTEXT_MENU));
  if (loaded == nullptr) return false;
  if (clock.menuIcons) {
    iconMenu_ = std::make_unique<IconMenu>(DpiScale(dpi_));
    iconMenu_->Attach(loaded);
    iconMenu_->MakeOwnerDrawn();
    iconMenu_->SetCheckImage(IDI_CHECK, IconMenu::kIcon);
    for (const ItemIcon& item : kItemIcons) iconMenu_->SetItemPicture(item.command, item.icon, IconMenu::kIcon);
    iconMenu_->SetItemIcon(ID_DISPLAY_SETTING, windowIcon_, false);
  } else {
    plain_.reset(loaded);
  }

  HMENU menu = popup();
  if (menu == nullptr) return false;
  auto check = [menu](UINT command, bool on) {
    ::CheckMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  };
  check(ID_TASKTRAY, clock.trayIcon);
  check(ID_MENU_ICONS, clock.menuIcons);
  check(ID_START_AT_SIGN_IN, startsAtSignIn);
  FaceWindow::SetFaceMenuStates(menu, face);
  return true;
}

HMENU ContextMenu::popup() const {
  HMENU bar = iconMenu_ ? iconMenu_->menu() : plain_.get();
  return bar != nullptr ? ::GetSubMenu(bar, 0) : nullptr;
}

void ContextMenu::Track(HWND owner, int x, int y) const {
  HMENU menu = popup();
  if (menu != nullptr) ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
}
