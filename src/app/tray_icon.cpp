#include "app/tray_icon.h"

#include <cstring>

NOTIFYICONDATAA TrayIcon::Record(HWND window, HICON icon, UINT callbackMessage, const char* tip, bool add,
                                 UINT id) {
  NOTIFYICONDATAA record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = NOTIFYICONDATAA_V1_SIZE;
  record.hWnd = window;
  record.uID = id;
  if (!add) return record;
  record.uFlags = NIF_ICON;
  record.hIcon = icon;
  if (callbackMessage != 0) {
    record.uFlags |= NIF_MESSAGE;
    record.uCallbackMessage = callbackMessage;
  }
  if (tip != nullptr) {
    record.uFlags |= NIF_TIP;
    std::strncpy(record.szTip, tip, kTipLength);
    record.szTip[kTipLength] = '\0';
  }
  return record;
}

BOOL TrayIcon::Tray(HWND window, HICON icon, UINT callbackMessage, const char* tip, bool add, UINT id) {
  NOTIFYICONDATAA record = Record(window, icon, callbackMessage, tip, add, id);
  return ::Shell_NotifyIconA(add ? NIM_ADD : NIM_DELETE, &record);
}
