#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>

namespace {

TEST(TrayIcon, AddRecordCarriesIconCallbackAndTip) {
  HWND window = reinterpret_cast<HWND>(0x1234);
  HICON icon = reinterpret_cast<HICON>(0x5678);
  const NOTIFYICONDATAW add = TrayIcon::Record(window, icon, TrayIcon::kCallbackMessage, "Velta", true, 1);
  EXPECT_EQ(add.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
  EXPECT_EQ(add.cbSize, static_cast<DWORD>(offsetof(NOTIFYICONDATAW, szTip) + 64 * sizeof(wchar_t)))
      << "ends with the tip of 64 wide characters";
  EXPECT_EQ(add.hWnd, window);
  EXPECT_EQ(add.uID, 1u);
  EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_ICON | NIF_MESSAGE | NIF_TIP));
  EXPECT_EQ(add.uCallbackMessage, 0x0410u);
  EXPECT_EQ(add.hIcon, icon);
  EXPECT_STREQ(add.szTip, L"Velta");

  const NOTIFYICONDATAW bare = TrayIcon::Record(window, icon, 0, nullptr, true, 1);
  EXPECT_EQ(bare.uFlags, static_cast<UINT>(NIF_ICON));

  const NOTIFYICONDATAW remove = TrayIcon::Record(window, icon, TrayIcon::kCallbackMessage, "Velta", false, 1);
  EXPECT_EQ(remove.cbSize, static_cast<DWORD>(NOTIFYICONDATAW_V1_SIZE));
  EXPECT_EQ(remove.hWnd, window);
  EXPECT_EQ(remove.uID, 1u);
  EXPECT_EQ(remove.uFlags, 0u);
  EXPECT_EQ(remove.uCallbackMessage, 0u);
  EXPECT_EQ(remove.hIcon, nullptr);
  EXPECT_STREQ(remove.szTip, L"");
}

// The tip is cut to the record's 63 wide characters, never inside a character: a name of
// letters outside the basic plane (two UTF-16 units each) loses the whole last one.
TEST(TrayIcon, LongTipsAreCutOnAWholeCharacter) {
  const auto repeat = [](const char* piece, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += piece;
    return text;
  };
  const struct {
    const char* what;
    std::string tip;
    std::wstring shown;
  } cases[] = {
      {"ASCII, short", std::string(62, 'n'), std::wstring(62, L'n')},
      {"ASCII, exactly full", std::string(63, 'n'), std::wstring(63, L'n')},
      {"ASCII, long", std::string(300, 'n'), std::wstring(63, L'n')},
      {"Japanese, long", repeat("\xE6\x99\x82", 70), std::wstring(63, L'\u6642')},
      {"Cyrillic, long", repeat("\xD0\x96", 64), std::wstring(63, L'\u0416')},
      // 31 emoji fill 62 units; the 32nd would need units 63 and 64.
      {"emoji, long", repeat("\xF0\x9F\x95\x92", 40), [] {
         std::wstring w;
         for (int i = 0; i < 31; ++i) w += L"\xD83D\xDD52";
         return w;
       }()},
      {"emoji after one letter", "a" + repeat("\xF0\x9F\x95\x92", 40), [] {
         std::wstring w = L"a";
         for (int i = 0; i < 31; ++i) w += L"\xD83D\xDD52";
         return w;
       }()},
  };
  for (const auto& c : cases) {
    const NOTIFYICONDATAW add = TrayIcon::Record(nullptr, nullptr, 0, c.tip.c_str(), true, 1);
    EXPECT_EQ(std::wstring(add.szTip), c.shown) << c.what;
    EXPECT_LE(std::wcslen(add.szTip), TrayIcon::kTipLength) << c.what;
  }
}

// A notification modifies the shown icon with the notification's fields alone: the record is of
// a size that has them, title and text are cut to their fields on a whole character.
TEST(TrayIcon, NotificationRecordCarriesTitleAndTextCutToTheirFields) {
  HWND window = reinterpret_cast<HWND>(0x1234);
  std::string longText;
  for (int i = 0; i < 200; ++i) longText += "\xF0\x9F\x95\x92";  // two UTF-16 units each
  const NOTIFYICONDATAW note = TrayIcon::NotificationRecord(window, std::string(100, 't'), longText);
  EXPECT_GE(note.cbSize, static_cast<DWORD>(offsetof(NOTIFYICONDATAW, dwInfoFlags) + sizeof(DWORD)));
  EXPECT_EQ(note.hWnd, window);
  EXPECT_EQ(note.uID, TrayIcon::kId);
  EXPECT_EQ(note.uFlags, static_cast<UINT>(NIF_INFO)) << "the icon, its message and its tip stay as they are";
  EXPECT_EQ(std::wstring(note.szInfoTitle), std::wstring(63, L't'));
  EXPECT_EQ(std::wcslen(note.szInfo), 254u) << "127 whole pairs in 255 units";
  EXPECT_EQ(note.dwInfoFlags, static_cast<DWORD>(NIIF_INFO | NIIF_RESPECT_QUIET_TIME));
}

TEST(TrayIcon, AddsAndDeletesThroughTheShell) {
  HWND window = ::CreateWindowExW(0, L"STATIC", L"tray test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  HICON icon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  EXPECT_TRUE(TrayIcon::Tray(window, icon, TrayIcon::kCallbackMessage, "tray test \xE6\x99\x82\xF0\x9F\x95\x92", true));
  EXPECT_TRUE(TrayIcon::Tray(window, icon, TrayIcon::kCallbackMessage, nullptr, false));
  EXPECT_FALSE(TrayIcon::Tray(window, icon, TrayIcon::kCallbackMessage, nullptr, false)) << "already gone";
  ::DestroyWindow(window);
}

}  // namespace
