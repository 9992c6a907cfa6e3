#include "win/user_alert.h"

namespace {
UserAlert* g_inUse = nullptr;
}

UserAlert& UserAlert::Current() {
  static UserAlert system;
  return g_inUse != nullptr ? *g_inUse : system;
}

void UserAlert::Use(UserAlert* alert) { g_inUse = alert; }

BOOL UserAlert::Flash(const FLASHWINFO& info) {
  FLASHWINFO copy = info;
  return ::FlashWindowEx(&copy);
}

BOOL UserAlert::NotifyIcon(DWORD message, NOTIFYICONDATAW& data) { return ::Shell_NotifyIconW(message, &data); }

bool UserAlert::ClientAreaAnimation() {
  BOOL on = TRUE;
  // A system that does not know the setting animates.
  if (!::SystemParametersInfoW(SPI_GETCLIENTAREAANIMATION, 0, &on, 0)) return true;
  return on != FALSE;
}
