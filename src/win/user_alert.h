// The system's ways of drawing the user's eye to a window: a flashing taskbar
// button, a notification from a notification-area icon, and whether the user
// wants animations at all ("Show animations in Windows"). One object for the
// process; a test puts its own in its place to see what was asked for, since
// Wine has no taskbar and no notification area to look at.
#pragma once

#include <windows.h>
#include <shellapi.h>

class UserAlert {
 public:
  virtual ~UserAlert() = default;

  // The one in use: the system's unless a test has put another in its place.
  static UserAlert& Current();
  // Null: the system's again.
  static void Use(UserAlert* alert);

  // FlashWindowEx.
  virtual BOOL Flash(const FLASHWINFO& info);
  // Shell_NotifyIconW.
  virtual BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW& data);
  // SPI_GETCLIENTAREAANIMATION: false when the user has turned animations off.
  virtual bool ClientAreaAnimation();
};
