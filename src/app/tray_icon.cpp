#include "app/tray_icon.h"

#include <cstring>
#include <iterator>
#include <string>

#include "win/user_alert.h"
#include "win/wide_text.h"

namespace {

// `text` into a record's field of `size` units with its null; never half a surrogate pair: the
// shell would show the lone half as a box.
void CopyCut(const std::wstring& text, wchar_t* field, std::size_t size) {
  std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
  if (length < text.size() && length > 0 && text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;
  text.copy(field, length);
  field[length] = L'\0';
}

}  // namespace

NOTIFYICONDATAW TrayIcon::Record(HWND window, HICON icon, UINT callbackMessage, const char* tip, bool add,
                                 UINT id) {
  NOTIFYICONDATAW record;
  std::memset(&record, 0, sizeof record);
  record.cbSize = NOTIFYICONDATAW_V1_SIZE;
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
    const std::wstring wide = WideText::From(tip);
    std::size_t length = wide.size() < kTipLength ? wide.size() : kTipLength;
    // Never half a surrogate pair: the shell would show the lone half as a box.
    if (length < wide.size() && length > 0 && wide[length - 1] >= 0xD800 && wide[length - 1] <= 0xDBFF) --length;
    wide.copy(record.szTip, length);
    record.szTip[length] = L'\0';
  }
  return record;
}

NOTIFYICONDATAW TrayIcon::NotificationRecord(HWND window, const std::string& title, const std::string& text,
                                             UINT id) {
  NOTIFYICONDATAW record;
  std::memset(&record, 0, sizeof record);
  // The first size with the notification's fields.
  record.cbSize = NOTIFYICONDATAW_V3_SIZE;
  record.hWnd = window;
  record.uID = id;
  record.uFlags = NIF_INFO;
  CopyCut(WideText::From(title), record.szInfoTitle, std::size(record.szInfoTitle));
  CopyCut(WideText::From(text), record.szInfo, std::size(record.szInfo));
  record.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
  return record;
}

BOOL TrayIcon::Notify(HWND window, const std::string& title, const std::string& text, UINT id) {
  NOTIFYICONDATAW record = NotificationRecord(window, title, text, id);
  return UserAlert::Current().NotifyIcon(NIM_MODIFY, record);
}

UINT TrayIcon::RegisterTaskbarCreated(HWND window) {
  const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
  using FilterFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  // Windows 7 and later; looked up so that its absence costs nothing.
  static const auto filter = reinterpret_cast<FilterFn>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "ChangeWindowMessageFilterEx")));
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW
  if (message != 0 && filter != nullptr && window != nullptr) filter(window, message, kAllow, nullptr);
  return message;
}

BOOL TrayIcon::Tray(HWND window, HICON icon, UINT callbackMessage, const char* tip, bool add, UINT id) {
  NOTIFYICONDATAW record = Record(window, icon, callbackMessage, tip, add, id);
  return ::Shell_NotifyIconW(add ? NIM_ADD : NIM_DELETE, &record);
}
