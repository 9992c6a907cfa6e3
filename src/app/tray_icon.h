// The clock's icon in the notification area of the taskbar.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

class TrayIcon {
 public:
  // The message the icon sends to its window; lParam is the mouse message over the icon.
  static constexpr UINT kCallbackMessage = WM_USER + 16;
  static constexpr UINT kId = 1;
  // The tip holds at most this many UTF-16 units (the first-version record's 64 with the
  // terminating null); a longer text is cut before the character that would not fit whole.
  static constexpr size_t kTipLength = 63;

  // The notification record for an add (with the given callback and UTF-8 tip, either may be
  // 0/null) or a delete, of the first-version size every shell accepts.
  static NOTIFYICONDATAW Record(HWND window, HICON icon, UINT callbackMessage, const char* tip, bool add, UINT id);

  // The record of a notification from the shown icon: title and text (UTF-8, cut to what the
  // record holds), the information icon, not shown in the user's quiet time.
  static NOTIFYICONDATAW NotificationRecord(HWND window, const std::string& title, const std::string& text,
                                            UINT id = kId);
  // Shows that notification (NIM_MODIFY with NIF_INFO) through UserAlert; the shell's answer.
  static BOOL Notify(HWND window, const std::string& title, const std::string& text, UINT id = kId);

  // Adds or deletes the icon; the shell's answer is returned and nobody needs to look at it.
  static BOOL Tray(HWND window, HICON icon, UINT callbackMessage, const char* tip, bool add, UINT id = kId);

  // The message the shell sends every top-level window when the taskbar has been
  // (re)created, after Explorer restarted: icons must be added again. Lets it
  // through to `window` even when this program runs with more rights than the shell.
  static UINT RegisterTaskbarCreated(HWND window);
};
