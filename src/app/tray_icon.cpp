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

UINT TrayIcon::RegisterTaskbarCreated(HWND window) {
  const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
  using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  // Windows 7 and later; looked up so that its absence costs nothing.
  static const auto filter = reinterpret_cast<FilterFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("USER32"), "ChangeWindowMessageFilterEx")));
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  if (message != 0 && filter != nullptr && window != nullptr) filter(window, message, kAllow, nullptr);
  return message;
}

BOOL TrayIcon::Tray(HWND window, HICON icon, UINT callbackMessage, const char* tip, bool add, UINT id) {
  NOTIFYICONDATAA record = Record(window, icon, callbackMessage, tip, add, id);
  return ::Shell_NotifyIconA(add ? NIM_ADD : NIM_DELETE, &record);
}
