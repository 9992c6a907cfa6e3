// The clock window's context menu (menu 129): its item states follow the
// Option word, and with OptMenuIcons it is an icon menu with a picture per item.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "app/icon_menu.h"
#include "face/face_options.h"
#include "win/dpi_scale.h"
#include "win/unique_handle.h"

class ContextMenu {
 public:
  // `windowIcon` is the window's own icon at the menu's picture size, shown at
  // "Display Setting..."; it stays the caller's. `dpi`: where the menu is shown.
  explicit ContextMenu(HICON windowIcon, int dpi = DpiScale::kBaseDpi) : windowIcon_(windowIcon), dpi_(dpi) {}

  // Loads the menu (an icon menu with pictures when the clock's options ask for them) and sets
  // the checks and grays of the options; "Start at sign-in" is checked when `startsAtSignIn`.
  // False when the menu resource cannot be loaded.
  bool Load(const ClockOptions& clock, const FaceOptions& face, bool startsAtSignIn = false);

  // The popup that is shown.
  HMENU popup() const;
  // Non-null while the menu is an icon menu: it answers the measure and draw requests.
  IconMenu* iconMenu() const { return iconMenu_.get(); }

  // Shows the popup at (x, y) in screen coordinates until it closes; the chosen
  // command reaches `owner` as WM_COMMAND.
  void Track(HWND owner, int x, int y) const;

 private:
  HICON windowIcon_;
  int dpi_;
  MenuHandle plain_;
  std::unique_ptr<IconMenu> iconMenu_;
};
